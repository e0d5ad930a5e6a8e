#include "main_window.h"

#include <gtest/gtest.h>

#include <QtTest>
#include <QtWidgets>

#include <cmath>
#include <memory>
#include <ostream>

void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.left(80).toStdString() << '"';
}

namespace {

// A shown Form1, used as a person would: keys go to whatever has the focus ("\t" is Tab, "\r"
// Enter, "\b" Backspace). Every modal box is written down and closed as soon as it shows, so that
// a test fails instead of hanging.
class Window {
public:
    Window()
    {
        form.show();
        form.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&form));
        QObject::connect(&poll, &QTimer::timeout, [this] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                const QList<QAbstractButton*> buttons = box->buttons();
                const char* icon = QMetaEnum::fromType<QMessageBox::Icon>().valueToKey(box->icon());
                boxes << box->windowTitle() + '|' + box->text() + '|' + icon + '|' +
                             QString::number(buttons.size()) + ' ' + buttons.constFirst()->text();
                buttons.constFirst()->click();
            }
        });
        poll.start(10);
    }

    template <class T = QLineEdit> T* Get(const char* id) const { return form.findChild<T*>(id); }
    QWidget* Focus() const { return QApplication::focusWidget(); }
    void Type(const QString& keys) const
    {
        for (const QChar key : keys)
            QTest::keyClicks(Focus(), key);
    }
    void Click(const char* id) const { QTest::mouseClick(Get<QPushButton>(id), Qt::LeftButton); }
    void Set(const char* box, const QString& text) const { Get(box)->setText(text); }
    void Paste(const char* box, const QString& text) const
    {
        QGuiApplication::clipboard()->setText(text);
        Get(box)->setFocus();
        QTest::keyClick(Focus(), Qt::Key_V, Qt::ControlModifier);
    }

    Form1 form;
    QStringList boxes; // "title|text|icon|buttons" of every modal box shown
    QTimer poll;
};

const QString kLine123 = "合值：6 和尾：6 跨度：2 两码合：345 两码差：121 两码积：236";
const QStringList kEmpty = {"", "", "", ""};
const QString kLongPaste = QString(99'999, '0') + '7';
const QString kLine32767 =
    "合值：32767 和尾：7 跨度：32767 两码合：770 两码差：32767327670 两码积：000";

const struct Scenario {
    const char* name;
    void (*act)(Window&); // what the person does
    const char* focus;    // where the focus is afterwards
    QStringList texts;    // Text1, Text2, Text3 and Text4 afterwards
    QStringList boxes;    // the modal boxes shown
} kScenarios[] = {
    // clang-format off
    {"a fresh window", [](Window&) {}, "Text1", kEmpty, {}},
    {"Tab goes round in tab index order", [](Window& w) {
        for (const char* next : {"Command1", "Command2", "Text2", "Text3", "Text4", "Text1"}) {
            w.Type("\t");
            EXPECT_EQ(w.Focus(), w.Get<QWidget>(next)) << next;
        } }, "Text1", kEmpty, {}},
    {"three digits and Enter", [](Window& w) { w.Type("123\r"); }, "Command1",
     {"1", kLine123, "2", "3"}, {}},
    {"three digits and Space", [](Window& w) { w.Type("987 "); }, "Command1",
     {"9", "合值：24 和尾：4 跨度：2 两码合：765 两码差：121 两码积：236", "8", "7"}, {}},
    {"a click", [](Window& w) { w.Type("99"); w.Set("Text4", "8"); w.Click("Command1"); },
     "Command1", {"9", "合值：26 和尾：6 跨度：1 两码合：877 两码差：011 两码积：122", "9", "8"},
     {}},
    {"Enter in a box", [](Window& w) { w.Type("12\r"); w.Get("Text2")->setFocus(); w.Type("\r"); },
     "Text2", {"1", "", "2", ""}, {}},
    {"deleting and pasting are changes", [](Window& w) {
        w.Type("5"); w.Get("Text1")->setFocus(); w.Type("\b"); w.Paste("Text3", "42"); },
     "Text4", {"", "", "42", ""}, {}},
    {"Clear, then undo in every box", [](Window& w) {
        w.Type("1"); w.Set("Text3", "2"); w.Type("3\r"); w.Click("Command2");
        EXPECT_EQ(w.Focus(), w.Get<QWidget>("Command1"));
        for (const char* box : {"Text1", "Text2", "Text3", "Text4"}) {
            w.Get(box)->setFocus();
            QTest::keyClick(w.Focus(), Qt::Key_Z, Qt::ControlModifier);
        } }, "Text4", kEmpty, {}},
    {"Clear after one digit", [](Window& w) { w.Type("1"); w.Click("Command2"); }, "Text3",
     kEmpty, {}},
    {"boxes that look empty", [](Window& w) {
        w.Set("Text2", "上一行"); w.Type("123"); w.Set("Text3", "\u00A0 \u3000\u200F");
        w.Set("Text1", "\n\n"); w.Click("Command1"); }, "Text1",
     {"\n\n", "上一行", "\u00A0 \u3000\u200F", "3"}, {"Dravix|请输入开奖号码|NoIcon|1 确定"}},
    {"an overflow, then a draw", [](Window& w) {
        w.Type("123\r"); w.Set("Text1", "200"); w.Set("Text3", "200"); w.Click("Command1");
        w.Set("Text1", "1"); w.Set("Text3", "2"); w.Click("Command1"); },
     "Command1", {"1", kLine123, "2", "3"}, {"Dravix|运行时错误：溢出|Critical|1 确定"}},
    {"any other error", [](Window& w) {
        ReportError(&w.form, std::make_exception_ptr(std::runtime_error("x")));
        ReportError(&w.form, std::make_exception_ptr(42)); }, "Text1", kEmpty,
     {"Dravix|运行时错误：x|Critical|1 确定", "Dravix|运行时错误：未知错误|Critical|1 确定"}},
    {"a long paste", [](Window& w) { w.Paste("Text1", kLongPaste); w.Type("23\r"); }, "Command1",
     {kLongPaste, "合值：12 和尾：2 跨度：5 两码合：905 两码差：541 两码积：416", "2", "3"}, {}},
    {"a long line shows from its first label", [](Window& w) {
        w.Set("Text1", "32767"); w.Set("Text3", "0"); w.Set("Text4", "0"); w.Click("Command1");
        QLineEdit* report = w.Get("Text2");
        report->repaint(); // where the line scrolls to is settled as it is drawn
        EXPECT_EQ(report->cursorPositionAt({report->contentsRect().left() + 4, 20}), 0); },
     "Command1", {"32767", kLine32767, "0", "0"}, {}},
    // clang-format on
};

TEST(Form1, BehavesAsAPersonExpects)
{
    for (const Scenario& scenario : kScenarios) {
        SCOPED_TRACE(scenario.name);
        Window w;
        scenario.act(w);
        const QWidget* focus = w.Get<QWidget>(scenario.focus);
        EXPECT_TRUE(QTest::qWaitFor([&] { return w.Focus() == focus; }, 2000));
        EXPECT_EQ(QStringList({w.Get("Text1")->text(), w.Get("Text2")->text(),
                               w.Get("Text3")->text(), w.Get("Text4")->text()}),
                  scenario.texts);
        EXPECT_EQ(w.boxes, scenario.boxes);
    }
}

// What the person sees, and what a screen reader and the desktop are told.
TEST(Form1, LooksAndSpeaksAsDesigned)
{
    Window w;
    EXPECT_EQ(w.form.size(), QSize(385, 199));
    QAccessibleInterface* window = QAccessible::queryAccessibleInterface(&w.form);
    EXPECT_EQ(window->role(), QAccessible::Window);
    EXPECT_EQ(window->text(QAccessible::Name), "Dravix");
    // Name, place, name to a screen reader, face (Song, serif, everywhere but in the prompt, which
    // is Hei, sans) and size.
    const char* song = "Serif CJK SC|SimSun|宋体";
    const std::tuple<const char*, QRect, QString, const char*, int> controls[] = {
        // clang-format off
        {"Label1", {64, 24, 121, 17}, "请输入3D号码：", "Sans CJK SC|SimHei|黑体", 12},
        {"Text1", {192, 16, 25, 25}, "第一个号码", song, 12},
        {"Text3", {224, 16, 25, 25}, "第二个号码", song, 12},
        {"Text4", {256, 16, 25, 25}, "第三个号码", song, 12},
        {"Text2", {8, 96, 369, 41}, "计算结果", song, 9},
        {"Command1", {88, 56, 65, 25}, "计算", song, 9},
        {"Command2", {216, 56, 65, 25}, "清空", song, 9},
        // clang-format on
    };
    for (const auto& [name, geometry, spoken, face, points] : controls) {
        QWidget* control = w.Get<QWidget>(name);
        EXPECT_EQ(control->geometry(), geometry) << name;
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
