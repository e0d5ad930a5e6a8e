// The Qt window: both tables of the window, and what only it tells a screen reader and the desktop.
#include "form_design.h"
#include "main_window.h"
#include "window_scenarios.h"

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include <cstring>
#include <memory>

namespace {

// A shown Form1, driven as the tables say. Every modal box is written down and closed as soon as
// it shows, so that a test fails instead of hanging.
class Window {
public:
    explicit Window(scenarios::Closer closer = scenarios::Closer::Enter)
    {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        QObject::connect(&poll, &QTimer::timeout, [this, closer] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget()))
                Close(box, closer);
        });
        poll.start(10);
    }

    template <class T = QLineEdit> T* Get(const std::string& name) const
    {
        return form.findChild<T*>(QString::fromStdString(name));
    }
    // A control character other than Backspace, Tab and Enter is Ctrl with its letter: "\x16" is
    // Ctrl+V.
    void Keys(const std::string& keys) const
    {
        for (const char key : keys) {
            QWidget* focus = QApplication::focusWidget();
            if (key > 0 && key <= 26 && std::strchr("\b\t\r", key) == nullptr)
                QTest::keyClick(focus, Qt::Key(Qt::Key_A + key - 1), Qt::ControlModifier);
            else
                QTest::keyClick(focus, key);
            // What a key posts, as a paste of lines does its first line, is done before the next.
            QCoreApplication::processEvents();
        }
    }
    void Click(const std::string& name) const
    {
        QTest::mouseClick(Get<QWidget>(name), Qt::LeftButton);
    }
    void Copy(const std::string& text) const
    {
        QGuiApplication::clipboard()->setText(QString::fromStdString(text));
    }
    std::string Focus() const
    {
        QCoreApplication::processEvents();
        const QWidget* focus = QApplication::focusWidget();
        return focus == nullptr ? "" : focus->objectName().toStdString();
    }
    std::string Text(const std::string& name) const { return Get(name)->text().toStdString(); }
    int FirstShown(const std::string& name) const
    {
        QLineEdit* box = Get(name);
        box->repaint(); // where the text scrolls to is settled as it is drawn
        return box->cursorPositionAt({box->contentsRect().left() + 4, box->height() / 2});
    }
    std::vector<std::string> Boxes() const { return boxes; }

    std::array<int, 4> Place(const std::string& name) const
    {
        const QRect place = name == "Form1" ? form.rect() : Get<QWidget>(name)->geometry();
        return {place.left(), place.top(), place.width(), place.height()};
    }
    std::tuple<std::string, QAccessible::Role, std::string> Spoken(const std::string& name)
    {
        QObject* const part = name == "Form1" ? &form : Get<QWidget>(name);
        const QAccessibleInterface* spoken = QAccessible::queryAccessibleInterface(part);
        return {spoken->text(QAccessible::Name).toStdString(), spoken->role(),
                spoken->text(QAccessible::Description).toStdString()};
    }
    static QAccessible::Role Role(const scenarios::Part& part)
    {
        constexpr QAccessible::Role kRoles[] = {QAccessible::Window, QAccessible::StaticText,
                                                QAccessible::EditableText, QAccessible::Button};
        return kRoles[static_cast<int>(part.role)];
    }

    Form1 form;

private:
    void Close(QMessageBox* box, scenarios::Closer closer)
    {
        // Keys sent before the box has the keyboard would reach Form1's focused button instead;
        // on a busy machine the next poll finds the box ready.
        QWidget* const focus = box->focusWidget();
        if (!box->isActiveWindow() || focus == nullptr) {
            if (++unready > 100) {
                ADD_FAILURE() << "a message box never took the keyboard";
                box->reject();
            }
            return;
        }
        unready = 0;
        const QList<QAbstractButton*> buttons = box->buttons();
        const QString icon = box->icon() == QMessageBox::Critical ? "error"
                             : box->icon() == QMessageBox::NoIcon ? "none"
                                                                  : "other";
        boxes.push_back((box->windowTitle() + '|' + box->text() + '|' + icon + '|' +
                         QString::number(buttons.size()) + ' ' + buttons.constFirst()->text())
                            .toStdString());
        // The box's one button has the focus: Enter and Space press it, Escape cancels the box.
        if (closer == scenarios::Closer::Click)
            QTest::mouseClick(buttons.constFirst(), Qt::LeftButton);
        else
            QTest::keyClick(focus, "\r \x1b"[static_cast<int>(closer)]);
    }

    std::vector<std::string> boxes;
    int unready = 0;
    QTimer poll;
};

TEST(Form1, BehavesAsAPersonExpects)
{
    scenarios::RunAll<Window>();
}

// Where each part is, and what a screen reader and the desktop are told.
TEST(Form1, LooksAndSpeaksAsDesigned)
{
    Window w;
    scenarios::CheckPlaces(w, 1.0);
    scenarios::CheckSpoken(w);
    // No label stands for the first box's own name, and each box's text is one run of attributes
    // to its last character, which Orca reads a line up to.
    QAccessibleInterface* first = QAccessible::queryAccessibleInterface(w.Get("Text1"));
    EXPECT_TRUE(first->relations(QAccessible::Label).isEmpty());
    w.Get("Text1")->setText("236");
    int start = -1, end = -1;
    first->textInterface()->attributes(1, &start, &end);
    EXPECT_EQ(std::make_pair(start, end), std::make_pair(0, 3));

    // Every size the desktop asks of the program's icon is drawn, not scaled from another.
    for (const int size : {16, 32, 48})
        EXPECT_TRUE(w.form.windowIcon().availableSizes().contains(QSize(size, size))) << size;
    const std::unique_ptr<QMenu> menu(w.Get("Text1")->createStandardContextMenu());
    EXPECT_EQ(menu->actions().constFirst()->text().left(2), "撤消");
    // A failure other than an overflow is named too.
    EXPECT_EQ(design::ErrorReport(std::make_exception_ptr(std::runtime_error("x"))),
              "运行时错误：x");
    EXPECT_EQ(design::ErrorReport(std::make_exception_ptr(42)), "运行时错误：未知错误");
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    SetUpApplication(app);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
