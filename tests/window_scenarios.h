// The window used as a person uses it, and as a person sees and a screen reader hears its parts, as
// tables that both windows must pass: a driver per window feeds each scenario's steps in as real
// keys, clicks and pastes and reads the outcome back, and answers a few questions about where each
// part is and what a screen reader is told of it.
//
// Steps: "{Text2}" clicks a control, "[42]" puts a text on the clipboard, "<Command1>" checks
// where the focus is; anything else is (ASCII) keys for whatever has the focus, where "\t" is Tab,
// "\r" Enter, "\b" Backspace, "\x1b" Escape, "\x16" Ctrl+V and "\x1a" Ctrl+Z. A message box is
// written down as "caption|text|icon|buttons" (icon "none" or "error"; the number of buttons and
// the first one's text) and closed as the row says.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace scenarios {

enum class Closer { Enter, Space, Escape, Click };

struct Scenario {
    std::string name;
    std::string steps;
    std::string focus;                     // where the focus is afterwards
    std::array<std::string, 4> texts = {}; // Text1, Text2, Text3 and Text4 afterwards
    std::vector<std::string> boxes = {};   // the message boxes shown
    Closer closer = Closer::Enter;         // how each box is closed
};

const std::string kLine123 = "合值：6 和尾：6 跨度：2 两码合：345 两码差：121 两码积：236";
const std::string kNotice = "Dravix|请输入开奖号码|none|1 确定";
// Longer than either toolkit lets a box hold unless told otherwise (30 000 and 32 767 characters),
// ending in the digit that counts.
const std::string kLongPaste = std::string(39'999, '0') + "7";

inline const std::vector<Scenario>& All()
{
    // clang-format off
    static const std::vector<Scenario> all = {
        {"a fresh window", "", "Text1"},
        {"Backspace in an empty box is no change, Tab goes round in tab index order",
         "\b\t<Command1>\t<Command2>\t<Text2>\t<Text3>\t<Text4>\t", "Text1"},
        {"three digits and Enter", "123\r", "Command1", {"1", kLine123, "2", "3"}},
        {"Tab back into a box selects its text, which the next key replaces", "5\t\t7", "Text3",
         {"7", "", "", ""}},
        {"three digits and Space", "987 ", "Command1",
         {"9", "合值：24 和尾：4 跨度：2 两码合：765 两码差：121 两码积：236", "8", "7"}},
        {"Enter and Escape in a box press nothing, typing in the report box moves nothing",
         "12\r\x1b{Text2}\r\x1bx", "Text2", {"1", "x", "2", ""}},
        {"a click with a box empty, the notice closed by Escape", "99{Command1}", "Text1",
         {"9", "", "9", ""}, {kNotice}, Closer::Escape},
        {"the notice closed by a click", "{Command1}", "Text1", {}, {kNotice}, Closer::Click},
        {"deleting and pasting are changes, a paste keeps its first line only, which may be none",
         "5\t\t\b[42\r\n1\n2]\x16[\n6]\x16<Text4>[7\n8]\x16{Text4}[\n6]\x16", "Text4",
         {"", "", "42", "7"}},
        {"a paste of lines over a selection is one edit to undo",
         "9\t\t[6\r\n7]\x16<Text3>{Text1}\x1a", "Text3", {"9", "", "", ""}},
        {"a paste that starts with a line feed deletes a selection", "9\t\t[\n6]\x16", "Text3"},
        {"undo takes back a typed digit; Clear, then undo in every box, one emptied by Backspace",
         "5\t\t\x1a<Text3>\t\t123\r\t\t\t\t\b<Command1>{Command2}<Text4>{Text1}\x1a{Text2}\x1a"
         "{Text3}\x1a{Text4}\x1a", "Text4"},
        {"Clear after one digit in the first box, two, or one in the last",
         "1{Command2}<Text3>{Text1}12{Command2}<Text4>{Text4}5{Command2}", "Command1"},
        {"boxes that look empty, the notice closed by Space",
         "[上一行]{Text2}\x16[\u00A0 \u3000\u200F]{Text3}\x16" "3[\t \u3000]{Text1}\x16{Command1}",
         "Text1", {"\t \u3000", "上一行", "\u00A0 \u3000\u200F", "3"}, {kNotice}, Closer::Space},
        {"an overflow, then a draw",
         "123\r[200]\t\t\t\x16\t\x16{Command1}<Command1>\t\t\t2\t1{Command1}", "Command1",
         {"1", kLine123, "2", "3"}, {"Dravix|运行时错误：溢出|error|1 确定"}},
        {"a long paste", "[" + kLongPaste + "]{Text1}\x16" "23\r", "Command1",
         {kLongPaste, "合值：12 和尾：2 跨度：5 两码合：905 两码差：541 两码积：416", "2", "3"}},
        {"a long line shows from its first label", "[32767]{Text1}\x16" "00\r", "Command1",
         {"32767", "合值：32767 和尾：7 跨度：32767 两码合：770 两码差：32767327670 两码积：000",
          "0", "0"}},
    };
    // clang-format on
    return all;
}

// Runs every row on a fresh window of the driver's kind. A Window is made with the row's closer
// and offers Keys, Click, Copy, Focus (the name of the control with the focus), Text (a box's
// text, UTF-8), FirstShown (the index of the first character that a box shows) and Boxes.
template <typename Window> void RunAll()
{
    constexpr std::string_view kOpen = "{[<", kClose = "}]>";
    for (const Scenario& scenario : All()) {
        SCOPED_TRACE(scenario.name);
        Window w(scenario.closer);
        const std::string_view steps = scenario.steps;
        for (std::size_t at = 0, step = 1; at < steps.size(); ++step) {
            const std::size_t kind = kOpen.find(steps[at]);
            const std::size_t end = kind == kOpen.npos
                                        ? std::min(steps.find_first_of(kOpen, at), steps.size())
                                        : steps.find(kClose[kind], at) + 1;
            const std::string_view written = steps.substr(at, end - at);
            // A failure names its step, as the row writes it (the first 40 characters).
            SCOPED_TRACE("step " + std::to_string(step) + ", " +
                         std::string(written.substr(0, 40)));
            const std::string what(written.substr(1, written.size() - 2));
            if (kind == kOpen.npos)
                w.Keys(std::string(written));
            else if (kind == 0)
                w.Click(what);
            else if (kind == 1)
                w.Copy(what);
            else
                EXPECT_EQ(w.Focus(), what) << "where the focus is";
            at = end;
        }
        EXPECT_EQ(w.Focus(), scenario.focus) << "where the focus is at the end";
        for (std::size_t box = 0; box < scenario.texts.size(); ++box) {
            const std::string text = w.Text(std::string("Text") + "1234"[box]);
            // Not EXPECT_EQ: a long text would fill the log.
            EXPECT_TRUE(text == scenario.texts[box])
                << "Text"
                << "1234"[box] << " shows \"" << text.substr(0, 80) << "\", not \""
                << scenario.texts[box].substr(0, 80) << '"';
        }
        // The report line is read from its first label, however long it is.
        EXPECT_EQ(w.FirstShown("Text2"), 0);
        EXPECT_EQ(w.Boxes(), scenario.boxes);
    }
}

// Form1 and its controls as a person sees them at 96 dots per inch (left, top, width and height in
// pixels) and as a screen reader names and describes them.
enum class Role { Window, Label, Text, Button };
struct Part {
    std::string name;
    std::array<int, 4> place;
    std::string spoken;
    Role role;
    std::string described = {};
};
// clang-format off
inline const Part kParts[] = {
    {"Form1", {0, 0, 385, 199}, "Dravix", Role::Window},
    {"Label1", {64, 24, 121, 17}, "请输入3D号码：", Role::Label},
    {"Text1", {192, 16, 25, 25}, "第一个号码", Role::Text, "请输入3D号码："},
    {"Text3", {224, 16, 25, 25}, "第二个号码", Role::Text},
    {"Text4", {256, 16, 25, 25}, "第三个号码", Role::Text},
    {"Text2", {8, 96, 369, 41}, "计算结果", Role::Text},
    {"Command1", {88, 56, 65, 25}, "计算", Role::Button},
    {"Command2", {216, 56, 65, 25}, "清空", Role::Button}};
// clang-format on

// Every part's place, asked of a shown window at its scale of the design: Place gives a control's,
// or the client area's, left, top, width and height in pixels.
template <typename Window> void CheckPlaces(Window& w, double scale)
{
    for (const Part& part : kParts) {
        const std::array<int, 4> place = w.Place(part.name);
        for (std::size_t edge = 0; edge < place.size(); ++edge)
            EXPECT_NEAR(place[edge], part.place[edge] * scale, edge < 2 ? 0.5 : 1)
                << part.name << ' ' << edge;
    }
}

// Every part's name, role and description, as a screen reader asks them: Spoken gives the name,
// the toolkit's role and the description heard of a part, Role the toolkit's role for the part.
template <typename Reader> void CheckSpoken(Reader& reader)
{
    for (const Part& part : kParts) {
        const auto [name, role, description] = reader.Spoken(part.name);
        EXPECT_EQ(name, part.spoken) << part.name;
        EXPECT_EQ(role, reader.Role(part)) << part.name;
        EXPECT_EQ(description, part.described) << part.name;
    }
}

} // namespace scenarios
