// What both windows share, with no toolkit in it: the fixed texts (UTF-8), the window's and the
// controls' places in twips, their fonts, the prompt's colour, and the order in which they are
// created, which is the tab order.
#pragma once

#include <array>
#include <cstddef>
#include <exception>
#include <string>
#include <string_view>

namespace design {

// 1440 twips to the inch: 15 to a pixel at 96 dots per inch.
inline constexpr int kTwipsPerInch = 1440;

struct Twips {
    int left, top, width, height;
};

inline constexpr std::string_view kTitle = "Dravix";
inline constexpr Twips kClientArea = {0, 0, 5775, 2985};

// Windows' names of the two faces; where they are missing, Windows' font mapper finds a Chinese
// face by the GB2312 character set, and the Qt window names Linux faces with the same glyph forms.
enum class Face { Song, Hei };
inline constexpr std::string_view kSongFace = "宋体";
inline constexpr std::string_view kHeiFace = "黑体";

struct Font {
    Face face;
    int points;
    bool bold;
};

// The three fonts of the window; a control names its font by its place in this list.
enum FontRole { kNumberFont, kPromptFont, kDefaultFont, kFontRoles };
inline constexpr std::array<Font, kFontRoles> kFonts = {
    {{Face::Song, 12, false}, {Face::Hei, 12, true}, {Face::Song, 9, false}}};

struct Rgb {
    int red, green, blue;
};
inline constexpr Rgb kPromptColour = {255, 0, 0};

enum class Kind { Label, TextBox, Button };

// The controls keep the names of the window's first design, which do not follow the screen: Text1,
// Text3 and Text4 are the three number boxes, left to right; Text2, between them here, is the
// report box, below them on the screen; Command1 is "计算" and Command2 "清空". In creation order:
// the prompt first, as it is read, then the tab order. A control is known by its Id, which is its
// place in kControls.
enum class Id : std::size_t { Label1, Text1, Command1, Command2, Text2, Text3, Text4 };
inline constexpr std::size_t kControlCount = 7;

struct Control {
    Id id;
    std::string_view name;
    Kind kind;
    Twips place;
    std::string_view caption; // the label's or a button's
    // A box's name for a screen reader; the label and the buttons are named by their caption.
    std::string_view accessibleName;
    FontRole font;
    // Said after a box's name: the first box is what the prompt asks for. The prompt is no label of
    // the box, which a screen reader would say instead of the box's own name.
    std::string_view accessibleDescription = {};
};

inline constexpr std::string_view kPrompt = "请输入3D号码：";

// clang-format off
inline constexpr std::array<Control, kControlCount> kControls = {{
    {Id::Label1,   "Label1",   Kind::Label,   {960, 360, 1815, 255},  kPrompt,         "",           kPromptFont},
    {Id::Text1,    "Text1",    Kind::TextBox, {2880, 240, 375, 375},  "",              "第一个号码", kNumberFont, kPrompt},
    {Id::Command1, "Command1", Kind::Button,  {1320, 840, 975, 375},  "计算",          "",           kDefaultFont},
    {Id::Command2, "Command2", Kind::Button,  {3240, 840, 975, 375},  "清空",          "",           kDefaultFont},
    {Id::Text2,    "Text2",    Kind::TextBox, {120, 1440, 5535, 615}, "",              "计算结果",   kDefaultFont},
    {Id::Text3,    "Text3",    Kind::TextBox, {3360, 240, 375, 375},  "",              "第二个号码", kNumberFont},
    {Id::Text4,    "Text4",    Kind::TextBox, {3840, 240, 375, 375},  "",              "第三个号码", kNumberFont},
}};
// clang-format on

constexpr std::size_t IndexOf(Id id)
{
    return static_cast<std::size_t>(id);
}
constexpr const Control& ControlOf(Id id)
{
    return kControls[IndexOf(id)];
}
static_assert(
    [] {
        for (std::size_t index = 0; index < kControlCount; ++index) {
            if (IndexOf(kControls[index].id) != index)
                return false;
        }
        return true;
    }(),
    "each control stands at its Id's place");

inline constexpr std::string_view kNotice = "请输入开奖号码";
inline constexpr std::string_view kOk = "确定";

// The text of the general error report for a handler's failure: "运行时错误：溢出" for an
// overflow.
std::string ErrorReport(const std::exception_ptr& error);

} // namespace design
