#include "form_design.h"
#include "main_window.h"
#include "window_scenarios.h"

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.left(80).toStdString() << '"';
}

namespace {

// A shown Form1, driven as the scenario table says. Every modal box is written down and closed as
// soon as it shows, so that a test fails instead of hanging.
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
    void Keys(const std::string& keys) const
    {
        const std::pair<char, QKeyCombination> special[] = {{'\t', Qt::Key_Tab},
                                                            {'\r', Qt::Key_Return},
                                                            {'\b', Qt::Key_Backspace},
                                                            {'\x1b', Qt::Key_Escape},
                                                            {'\x16', Qt::CTRL | Qt::Key_V},
                                                            {'\x1a', Qt::CTRL | Qt::Key_Z}};
        for (const QChar key : QString::fromStdString(keys)) {
            QWidget* focus = QApplication::focusWidget();
            const auto* named = std::find_if(std::begin(special), std::end(special),
                                             [key](const auto& k) { return k.first == key; });
            if (named == std::end(special))
                QTest::keyClicks(focus, key);
            else
                QTest::keyClick(focus, named->second.key(), named->second.keyboardModifiers());
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
        const Qt::Key keys[] = {Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape};
        if (closer == scenarios::Closer::Click)
            QTest::mouseClick(buttons.constFirst(), Qt::LeftButton);
        else
            QTest::keyClick(focus, keys[static_cast<int>(closer)]);
    }

    std::vector<std::string> boxes;
    int unready = 0;
    QTimer poll;
};

TEST(Form1, BehavesAsAPersonExpects)
{
    scenarios::RunAll<Window>();
}

// What the person sees, and what a screen reader and the desktop are told.
TEST(Form1, LooksAndSpeaksAsDesigned)
{
    Window w;
    EXPECT_EQ(w.form.size(), QSize(385, 199));
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&w.form);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "Dravix");
    for (const scenarios::Place& place : scenarios::kPlaces) {
        EXPECT_EQ(w.Get<QWidget>(place.name)->geometry(),
                  QRect(place.left, place.top, place.width, place.height))
            << place.name;
    }
    // Name to a screen reader, face (Song, serif, everywhere but in the prompt, which is Hei,
    // sans) and size.
    const char* song = "Serif CJK SC|SimSun|宋体";
    const std::tuple<const char*, QString, const char*, int> controls[] = {
        {"Label1", "请输入3D号码：", "Sans CJK SC|SimHei|黑体", 12},
        {"Text1", "第一个号码", song, 12},
        {"Text3", "第二个号码", song, 12},
        {"Text4", "第三个号码", song, 12},
        {"Text2", "计算结果", song, 9},
        {"Command1", "计算", song, 9},
        {"Command2", "清空", song, 9},
    };
    for (const auto& [name, spoken, face, points] : controls) {
        QWidget* control = w.Get<QWidget>(name);
        EXPECT_EQ(QAccessible::queryAccessibleInterface(control)->text(QAccessible::Name), spoken);
        const QString family = QFontInfo(control->font()).family();
        EXPECT_TRUE(family.contains(QRegularExpression(face))) << name << family.toStdString();
        EXPECT_EQ(control->font().pointSize(), points) << name;
    }
    const QAccessibleInterface* text1 = QAccessible::queryAccessibleInterface(w.Get("Text1"));
    EXPECT_EQ(text1->role(), QAccessible::EditableText);
    const auto labels = text1->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->object(), w.Get<QLabel>("Label1"));

    // The prompt, bold red in 17 px, shows every row of its glyphs' outline.
    auto* label = w.Get<QLabel>("Label1");
    EXPECT_EQ(label->font().weight(), QFont::Bold);
    QPainterPath outline;
    outline.addText(0, 0, label->font(), label->text());
    const QImage red =
        label->grab().toImage().createMaskFromColor(qRgb(255, 0, 0), Qt::MaskOutColor);
    EXPECT_GE(QRegion(QBitmap::fromImage(red)).boundingRect().height(),
              std::ceil(outline.boundingRect().height()));

    const std::unique_ptr<QMenu> menu(w.Get("Text1")->createStandardContextMenu());
    EXPECT_EQ(menu->actions().constFirst()->text().left(2), "撤消");
    for (const int size : {16, 32, 48})
        EXPECT_TRUE(w.form.windowIcon().availableSizes().contains(QSize(size, size))) << size;
    EXPECT_EQ(w.form.windowIcon().pixmap(32).toImage().pixelColor(16, 5), QColor(255, 0, 0));
    // A failure other than an overflow is named too.
    EXPECT_EQ(design::ErrorReport(std::make_exception_ptr(std::runtime_error("x"))),
              "运行时错误：x");
    EXPECT_EQ(design::ErrorReport(std::make_exception_ptr(42)), "运行时错误：未知错误");
    // What ties the running window to the installed desktop entry and its icon.
    EXPECT_EQ(QGuiApplication::desktopFileName() + ".desktop",
              QFileInfo(DRAVIX_DESKTOP_ENTRY).fileName());
    EXPECT_TRUE(QFileInfo::exists(DRAVIX_DESKTOP_ENTRY));
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
