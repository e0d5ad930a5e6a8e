#include "main_window.h"

#include <gtest/gtest.h>

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QFontMetricsF>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPainterPath>
#include <QPushButton>
#include <QStyleOptionFrame>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

// Readable QStrings in failure messages.
void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace {

const QString kLine123 =
    QStringLiteral("合值：6 和尾：6 跨度：2 两码合：345 两码差：121 两码积：236");

// Closes every modal box as soon as it shows and remembers what it said, so that a test fails
// instead of hanging when a box appears.
class ModalBoxCloser {
public:
    struct Box {
        QString title;
        QString text;
        QMessageBox::Icon icon = QMessageBox::NoIcon;
        QStringList buttons;
    };

    ModalBoxCloser()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
        timer_.start(10);
    }

    std::vector<Box> seen;

private:
    void Poll()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal == nullptr)
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (box == nullptr) {
            seen.push_back({modal->windowTitle(), {}, QMessageBox::NoIcon, {}});
            modal->close();
            return;
        }
        Box record{box->windowTitle(), box->text(), box->icon(), {}};
        for (QAbstractButton* button : box->buttons())
            record.buttons << button->text();
        seen.push_back(record);
        box->buttons().constFirst()->click();
    }

    QTimer timer_;
};

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        form.show();
        form.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    }

    template <typename T = QLineEdit> T* Child(const char* name)
    {
        auto* child = form.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(child, nullptr) << name;
        return child;
    }

    static QWidget* Focus() { return QApplication::focusWidget(); }

    // The focus returns to the window only once the window is active again, for example after a
    // modal box has closed.
    static bool FocusComesTo(const QWidget* widget)
    {
        return QTest::qWaitFor([widget] { return Focus() == widget; }, 2000);
    }

    // Types as a user does: into whatever has the focus.
    static void Type(const QString& keys) { QTest::keyClicks(Focus(), keys); }
    static void Press(Qt::Key key) { QTest::keyClick(Focus(), key); }

    void TypeDraw(const QString& a, const QString& b, const QString& c)
    {
        Child("Text1")->setFocus();
        ASSERT_TRUE(FocusComesTo(Child("Text1")));
        Type(a);
        Type(b);
        Type(c);
    }

    Form1 form;
    ModalBoxCloser boxes;
};

TEST_F(WindowTest, AFreshWindowShowsItsControlsInPlace)
{
    EXPECT_EQ(form.windowTitle(), "Dravix");
    EXPECT_EQ(form.size(), QSize(385, 199));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());

    const struct {
        const char* name;
        QRect geometry;
    } controls[] = {
        {"Label1", {64, 24, 121, 17}},  {"Text1", {192, 16, 25, 25}},
        {"Text3", {224, 16, 25, 25}},   {"Text4", {256, 16, 25, 25}},
        {"Command1", {88, 56, 65, 25}}, {"Command2", {216, 56, 65, 25}},
        {"Text2", {8, 96, 369, 41}},
    };
    for (const auto& control : controls)
        EXPECT_EQ(Child<QWidget>(control.name)->geometry(), control.geometry) << control.name;

    EXPECT_EQ(Child<QLabel>("Label1")->text(), "请输入3D号码：");
    EXPECT_EQ(Child<QLabel>("Label1")->palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_EQ(Child<QLabel>("Label1")->font().pointSize(), 12);
    EXPECT_EQ(Child<QLabel>("Label1")->font().weight(), QFont::Bold);
    EXPECT_EQ(Child<QPushButton>("Command1")->text(), "计算");
    EXPECT_EQ(Child<QPushButton>("Command2")->text(), "清空");
    for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
        EXPECT_TRUE(Child(name)->text().isEmpty()) << name;
        EXPECT_FALSE(Child(name)->isReadOnly()) << name;
    }
    for (const char* name : {"Text1", "Text3", "Text4"})
        EXPECT_EQ(Child(name)->font().pointSize(), 12) << name;
    EXPECT_FALSE(Child<QPushButton>("Command1")->isDefault());
    EXPECT_FALSE(Child<QPushButton>("Command2")->isDefault());
    EXPECT_EQ(Focus(), Child("Text1"));
}

TEST_F(WindowTest, TheWindowShowsTheProgramIconAndVersion)
{
    for (const int size : {16, 32, 48}) {
        const QPixmap pixmap = form.windowIcon().pixmap(QSize(size, size));
        EXPECT_EQ(pixmap.size(), QSize(size, size)) << size;
        // The tile's red, not a blank image.
        EXPECT_EQ(pixmap.toImage().pixelColor(size / 2, size / 6), QColor(255, 0, 0)) << size;
    }
    EXPECT_EQ(QApplication::applicationVersion(), "1.0.0.0");
    EXPECT_EQ(QApplication::windowIcon().availableSizes().size(), 3);
}

TEST_F(WindowTest, ControlsHaveChineseAccessibleNames)
{
    const struct {
        const char* name;
        const char* accessibleName;
    } controls[] = {{"Text1", "第一个号码"}, {"Text3", "第二个号码"}, {"Text4", "第三个号码"},
                    {"Text2", "计算结果"},   {"Command1", "计算"},    {"Command2", "清空"}};
    for (const auto& control : controls)
        EXPECT_EQ(Child<QWidget>(control.name)->accessibleName(),
                  QString::fromUtf8(control.accessibleName));
}

TEST_F(WindowTest, TabGoesRoundTheControlsInTabIndexOrder)
{
    for (const char* next : {"Command1", "Command2", "Text2", "Text3", "Text4", "Text1"}) {
        Press(Qt::Key_Tab);
        EXPECT_EQ(Focus(), Child<QWidget>(next)) << next;
    }
}

TEST_F(WindowTest, ThreeDigitsAndEnterCalculate)
{
    Type("1");
    EXPECT_EQ(Focus(), Child("Text3"));
    Type("2");
    EXPECT_EQ(Focus(), Child("Text4"));
    Type("3");
    EXPECT_EQ(Focus(), Child<QWidget>("Command1"));
    Press(Qt::Key_Return);
    EXPECT_EQ(Child("Text2")->text(), kLine123);
    EXPECT_EQ(Child("Text2")->cursorPosition(), 0);
    EXPECT_EQ(Focus(), Child<QWidget>("Command1"));
    EXPECT_TRUE(boxes.seen.empty());
}

TEST_F(WindowTest, ScreenReadersSeeAWindowAndTheLabelledFirstBox)
{
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&form);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "Dravix");
    const auto labels =
        QAccessible::queryAccessibleInterface(Child("Text1"))->relations(QAccessible::Label);
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels[0].first->object(), Child<QLabel>("Label1"));
}

TEST_F(WindowTest, SpaceAndClickCalculateToo)
{
    TypeDraw("9", "8", "7");
    Press(Qt::Key_Space);
    EXPECT_EQ(Child("Text2")->text(),
              "合值：24 和尾：4 跨度：2 两码合：765 两码差：121 两码积：236");
    Child("Text4")->setText("9");
    QTest::mouseClick(Child<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(Child("Text2")->text(),
              "合值：26 和尾：6 跨度：1 两码合：787 两码差：101 两码积：212");
}

TEST_F(WindowTest, EnterInATextBoxPressesNothing)
{
    for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
        Child(name)->setFocus();
        Press(Qt::Key_Return);
    }
    EXPECT_TRUE(boxes.seen.empty());
    EXPECT_TRUE(Child("Text2")->text().isEmpty());
}

TEST_F(WindowTest, EveryChangeMovesTheFocusOn)
{
    Child("Text1")->setText("5");
    EXPECT_EQ(Focus(), Child("Text3"));
    Child("Text1")->setFocus();
    Press(Qt::Key_Backspace);
    EXPECT_TRUE(Child("Text1")->text().isEmpty());
    EXPECT_EQ(Focus(), Child("Text3"));

    QGuiApplication::clipboard()->setText("42");
    Child("Text3")->setFocus();
    QTest::keyClick(Focus(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Child("Text3")->text(), "42");
    EXPECT_EQ(Focus(), Child("Text4"));

    Child("Text2")->setFocus();
    Type("x");
    EXPECT_EQ(Focus(), Child("Text2"));
    EXPECT_EQ(Child("Text3")->text(), "42");
}

TEST_F(WindowTest, ClearEmptiesEveryBox)
{
    TypeDraw("1", "2", "3");
    Press(Qt::Key_Return);
    QTest::mouseClick(Child<QPushButton>("Command2"), Qt::LeftButton);
    for (const char* name : {"Text1", "Text2", "Text3", "Text4"}) {
        EXPECT_TRUE(Child(name)->text().isEmpty()) << name;
        EXPECT_FALSE(Child(name)->isUndoAvailable()) << name;
    }
    EXPECT_EQ(Focus(), Child<QWidget>("Command1"));
}

TEST_F(WindowTest, ClearLeavesTheFocusAfterTheLastBoxThatHeldText)
{
    // Emptying a box that is already empty is no change, so it moves no focus.
    Child("Text1")->setText("1");
    QTest::mouseClick(Child<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_TRUE(Child("Text1")->text().isEmpty());
    EXPECT_EQ(Focus(), Child("Text3"));
}

TEST_F(WindowTest, ABlankInputGivesTheNotice)
{
    for (const QString& blank : {QString(), QStringLiteral("   "), QStringLiteral("\u3000")}) {
        Child("Text2")->setText("上一行");
        TypeDraw("1", "2", "3");
        Child("Text3")->setText(blank);
        QTest::mouseClick(Child<QPushButton>("Command1"), Qt::LeftButton);
        ASSERT_EQ(boxes.seen.size(), 1U);
        EXPECT_EQ(boxes.seen[0].text, "请输入开奖号码");
        EXPECT_EQ(boxes.seen[0].title, "Dravix");
        EXPECT_EQ(boxes.seen[0].icon, QMessageBox::NoIcon);
        EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
        EXPECT_TRUE(FocusComesTo(Child("Text1")));
        EXPECT_EQ(Child("Text2")->text(), "上一行");
        boxes.seen.clear();
    }
}

TEST_F(WindowTest, AnOverflowIsReportedAndTheWindowGoesOn)
{
    TypeDraw("1", "2", "3");
    Press(Qt::Key_Return);
    Child("Text1")->setText("200");
    Child("Text3")->setText("200");
    QTest::mouseClick(Child<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(boxes.seen.size(), 1U);
    EXPECT_TRUE(boxes.seen[0].text.contains("溢出")) << boxes.seen[0].text.toStdString();
    EXPECT_EQ(boxes.seen[0].title, "Dravix");
    EXPECT_EQ(boxes.seen[0].icon, QMessageBox::Critical);
    EXPECT_EQ(boxes.seen[0].buttons, QStringList{"确定"});
    EXPECT_EQ(Child("Text2")->text(), kLine123);
    EXPECT_TRUE(form.isVisible());

    Child("Text1")->setText("1");
    Child("Text3")->setText("2");
    QTest::mouseClick(Child<QPushButton>("Command1"), Qt::LeftButton);
    EXPECT_EQ(Child("Text2")->text(), kLine123);
}

TEST_F(WindowTest, ALongPasteIsKeptWholeAndCalculated)
{
    const QString longText = QString(99'999, QLatin1Char('0')) + QLatin1Char('7');
    QGuiApplication::clipboard()->setText(longText);
    QTest::keyClick(Focus(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Child("Text1")->text().size(), 100'000);
    Type("2");
    Type("3");
    Press(Qt::Key_Return);
    EXPECT_EQ(Child("Text2")->text(),
              "合值：12 和尾：2 跨度：5 两码合：905 两码差：541 两码积：416");
}

// The exact outline of a text drawn with its baseline at y = 0.
QRectF Ink(const QFont& font, const QString& text)
{
    QPainterPath outline;
    outline.addText(0, 0, font, text);
    return outline.boundingRect();
}

// Where a line edit draws a text: the clip rectangle, the line box and the text's ink.
struct Placement {
    QRectF clip;
    QRectF line;
    QRectF ink;
    qreal advance = 0;
};

Placement PlaceInLineEdit(const QLineEdit* box, const QString& text)
{
    // QLineEdit clips to its contents rectangle, keeps 2 px on either side, and centres its line
    // box vertically in it.
    QStyleOptionFrame panel;
    panel.initFrom(box);
    panel.lineWidth = box->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &panel, box);
    const QRectF clip = box->style()->subElementRect(QStyle::SE_LineEditContents, &panel, box);
    const QFontMetricsF metrics(box->font());
    constexpr qreal kHorizontalMargin = 2;
    const QRectF line(clip.x() + kHorizontalMargin,
                      clip.y() + std::floor((clip.height() - metrics.height() + 1) / 2),
                      clip.width() - 2 * kHorizontalMargin, metrics.height());
    const QRectF ink = Ink(box->font(), text).translated(line.x(), line.y() + metrics.ascent());
    return {clip, line, ink, metrics.horizontalAdvance(text)};
}

TEST_F(WindowTest, TextsAreFullyVisible)
{
    // A label centres its line box in its contents rectangle.
    const auto* label = Child<QLabel>("Label1");
    const QFontMetricsF labelMetrics(label->font());
    const QRectF contents = label->contentsRect();
    const qreal baseline =
        contents.y() + (contents.height() - labelMetrics.height()) / 2 + labelMetrics.ascent();
    const QRectF labelInk = Ink(label->font(), label->text()).translated(contents.x(), baseline);
    EXPECT_LE(labelMetrics.horizontalAdvance(label->text()), contents.width());
    EXPECT_TRUE(QRectF(label->rect()).contains(labelInk))
        << labelInk.left() << ' ' << labelInk.top() << ' ' << labelInk.right() << ' '
        << labelInk.bottom() << " in " << label->width() << 'x' << label->height();

    for (const char* name : {"Text1", "Text3", "Text4"}) {
        for (char digit = '0'; digit <= '9'; ++digit) {
            const Placement place = PlaceInLineEdit(Child(name), QString(QLatin1Char(digit)));
            EXPECT_LE(place.advance, place.line.width()) << name << ' ' << digit;
            EXPECT_TRUE(place.clip.contains(place.ink)) << name << ' ' << digit;
        }
    }

    const Placement report = PlaceInLineEdit(Child("Text2"), kLine123);
    EXPECT_LE(report.advance, report.line.width());
    EXPECT_TRUE(report.clip.contains(report.ink));
}

TEST_F(WindowTest, ContextMenusSpeakChinese)
{
    const std::unique_ptr<QMenu> menu(Child("Text1")->createStandardContextMenu());
    ASSERT_FALSE(menu->actions().isEmpty());
    const QString undo = menu->actions().constFirst()->text();
    EXPECT_TRUE(std::any_of(undo.begin(), undo.end(), [](QChar c) {
        return c.unicode() >= 0x4E00;
    })) << undo.toStdString();
}

TEST_F(WindowTest, ChineseRendersInSimplifiedChineseFaces)
{
    // Each face must be an installed Simplified Chinese one, not a fallback with other forms;
    // the application's font serves the message boxes and context menus.
    for (const QFont& font : {Child<QWidget>("Label1")->font(), Child<QWidget>("Text1")->font(),
                              Child<QWidget>("Text2")->font(), Child<QWidget>("Command1")->font(),
                              QApplication::font()}) {
        const QFontInfo info(font);
        EXPECT_TRUE(info.family().contains("SC") || info.family().contains("Sim") ||
                    info.family().contains("CN"))
            << info.family().toStdString();
    }
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
