// The window used as a person uses it, as one table that both windows must pass: a driver per
// window feeds the steps in as real keys, clicks and pastes, and reads the outcome back.
//
// Keys go to whatever has the focus: "\t" is Tab, "\r" Enter, "\b" Backspace, "\x1b" Escape,
// "\x16" Ctrl+V and "\x1a" Ctrl+Z; any other character is typed. A message box is written down as
// "caption|text|icon|buttons" ("none" or "error"; the number of buttons and the first one's
// text) and closed as the row says.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace scenarios {

struct Step {
    enum Kind { Keys, Click, Copy, FocusIs } kind;
    std::string what; // the keys, the control clicked, the text copied, the control with focus
};

inline Step Keys(std::string keys)
{
    return {Step::Keys, std::move(keys)};
}
inline Step Click(std::string control)
{
    return {Step::Click, std::move(control)};
}
// Puts the text on the clipboard; "\x16" then pastes it.
inline Step Copy(std::string text)
{
    return {Step::Copy, std::move(text)};
}
// Checks where the focus is at this point of the row.
inline Step FocusIs(std::string control)
{
    return {Step::FocusIs, std::move(control)};
}

enum class Closer { Enter, Space, Escape, Click };

struct Scenario {
    std::string name;
    std::vector<Step> steps;
    std::string focus;                     // where the focus is afterwards
    std::array<std::string, 4> texts = {}; // Text1, Text2, Text3 and Text4 afterwards
    std::vector<std::string> boxes = {};   // the message boxes shown
    Closer closer = Closer::Enter;         // how each box is closed
};

const std::string kLine123 = "合值：6 和尾：6 跨度：2 两码合：345 两码差：121 两码积：236";
const std::string kLine32767 =
    "合值：32767 和尾：7 跨度：32767 两码合：770 两码差：32767327670 两码积：000";
const std::string kNotice = "Dravix|请输入开奖号码|none|1 确定";
const std::string kOverflow = "Dravix|运行时错误：溢出|error|1 确定";
// Longer than either toolkit lets a box hold unless told otherwise (30 000 and 32 767 characters),
// ending in the digit that counts.
const std::string kLongPaste = std::string(99'999, '0') + "7";

inline const std::vector<Scenario>& All()
{
    static const std::vector<Scenario> all = {
        {"a fresh window", {}, "Text1", {}, {}},
        {"Tab goes round in tab index order",
         {Keys("\t"), FocusIs("Command1"), Keys("\t"), FocusIs("Command2"), Keys("\t"),
          FocusIs("Text2"), Keys("\t"), FocusIs("Text3"), Keys("\t"), FocusIs("Text4"), Keys("\t")},
         "Text1",
         {}},
        {"three digits and Enter", {Keys("123\r")}, "Command1", {"1", kLine123, "2", "3"}},
        {"three digits and Space",
         {Keys("987 ")},
         "Command1",
         {"9", "合值：24 和尾：4 跨度：2 两码合：765 两码差：121 两码积：236", "8", "7"}},
        {"Enter and Escape in a box press nothing",
         {Keys("12\r\x1b"), Click("Text2"), Keys("\r\x1b")},
         "Text2",
         {"1", "", "2", ""}},
        {"a click with a box empty, the notice closed by Escape",
         {Keys("99"), Click("Command1")},
         "Text1",
         {"9", "", "9", ""},
         {kNotice},
         Closer::Escape},
        {"the notice closed by a click",
         {Click("Command1")},
         "Text1",
         {},
         {kNotice},
         Closer::Click},
        {"deleting and pasting are changes",
         {Keys("5\t\t\b"), Copy("42"), Keys("\x16")},
         "Text4",
         {"", "", "42", ""}},
        {"Clear, then undo in every box",
         {Keys("123\r"), Click("Command2"), FocusIs("Command1"), Click("Text1"), Keys("\x1a"),
          Click("Text2"), Keys("\x1a"), Click("Text3"), Keys("\x1a"), Click("Text4"), Keys("\x1a")},
         "Text4",
         {}},
        {"Clear after one digit", {Keys("1"), Click("Command2")}, "Text3", {}},
        {"boxes that look empty, the notice closed by Space",
         {Copy("上一行"), Click("Text2"), Keys("\x16"), Copy("\u00A0 \u3000\u200F"), Click("Text3"),
          Keys("\x16"), Keys("3"), Copy("\t \u3000"), Click("Text1"), Keys("\x16"),
          Click("Command1")},
         "Text1",
         {"\t \u3000", "上一行", "\u00A0 \u3000\u200F", "3"},
         {kNotice},
         Closer::Space},
        {"an overflow, then a draw",
         {Keys("123\r"), Copy("200"), Keys("\t\t\t\x16\t\x16"), Click("Command1"),
          FocusIs("Command1"), Keys("\t\t\t2\t1"), Click("Command1")},
         "Command1",
         {"1", kLine123, "2", "3"},
         {kOverflow}},
        {"a long paste",
         {Copy(kLongPaste), Click("Text1"), Keys("\x16"), Keys("23\r")},
         "Command1",
         {kLongPaste, "合值：12 和尾：2 跨度：5 两码合：905 两码差：541 两码积：416", "2", "3"}},
        {"a long line shows from its first label",
         {Copy("32767"), Click("Text1"), Keys("\x16"), Keys("00\r")},
         "Command1",
         {"32767", kLine32767, "0", "0"}},
    };
    return all;
}

struct Place {
    std::string name;
    int left, top, width, height;
};
// Every control's place in pixels at 96 dots per inch.
inline const Place kPlaces[] = {{"Label1", 64, 24, 121, 17},  {"Text1", 192, 16, 25, 25},
                                {"Text3", 224, 16, 25, 25},   {"Text4", 256, 16, 25, 25},
                                {"Text2", 8, 96, 369, 41},    {"Command1", 88, 56, 65, 25},
                                {"Command2", 216, 56, 65, 25}};

// Runs every row on a fresh window of the driver's kind. A Window is made with the row's closer
// and offers Keys, Click, Copy, Focus (the name of the control with the focus), Text (a box's
// text, UTF-8), FirstShown (the index of the first character that a box shows) and Boxes.
template <typename Window> void RunAll()
{
    for (const Scenario& scenario : All()) {
        SCOPED_TRACE(scenario.name);
        Window w(scenario.closer);
        for (const Step& step : scenario.steps) {
            switch (step.kind) {
            case Step::Keys:
                w.Keys(step.what);
                break;
            case Step::Click:
                w.Click(step.what);
                break;
            case Step::Copy:
                w.Copy(step.what);
                break;
            case Step::FocusIs:
                EXPECT_EQ(w.Focus(), step.what);
                break;
            }
        }
        EXPECT_EQ(w.Focus(), scenario.focus);
        const std::array<std::string, 4> texts = {w.Text("Text1"), w.Text("Text2"), w.Text("Text3"),
                                                  w.Text("Text4")};
        for (std::size_t box = 0; box < texts.size(); ++box) {
            // Not EXPECT_EQ on the array: a megabyte of text would fill the log.
            EXPECT_TRUE(texts[box] == scenario.texts[box])
                << "box " << box << ": " << texts[box].substr(0, 80);
        }
        // The report line is read from its first label, however long it is.
        EXPECT_EQ(w.FirstShown("Text2"), 0);
        EXPECT_EQ(w.Boxes(), scenario.boxes);
    }
}

} // namespace scenarios
