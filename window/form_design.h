// What both windows share, with no toolkit in it: the fixed texts (UTF-8), the window's and the
// controls' places in twips, their fonts, the prompt's colour, and the order in which they are
// created, which is the tab order.
#pragma once

#include <algorithm>
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

struct Control {
    std::string_view name;
    Kind kind;
    Twips place;
    std::string_view caption; // the label's or a button's
    // A box's name for a screen reader; the label and the buttons are named by their caption.
    std::string_view accessibleName;
    FontRole font;
};

// The controls keep the names of the window's first design, which do not follow the screen: Text1,
// Text3 and Text4 are the three number boxes, left to right; Text2, between them in this list, is
// the report box, below them on the screen; Command1 is "计算" and Command2 "清空". In creation
// order: the prompt first, so that it labels Text1 for a screen reader, then the tab order.
inline constexpr Control kLabel1 = {"Label1",         Kind::Label, {960, 360, 1815, 255},
                                    "请输入3D号码：", "",          kPromptFont};
inline constexpr Control kText1 = {"Text1", Kind::TextBox, {2880, 240, 375, 375},
                                   "",      "第一个号码",  kNumberFont};
inline constexpr Control kCommand1 = {"Command1", Kind::Button, {1320, 840, 975, 375},
                                      "计算",     "",           kDefaultFont};
inline constexpr Control kCommand2 = {"Command2", Kind::Button, {3240, 840, 975, 375},
                                      "清空",     "",           kDefaultFont};
inline constexpr Control kText2 = {"Text2", Kind::TextBox, {120, 1440, 5535, 615},
                                   "",      "计算结果",    kDefaultFont};
inline constexpr Control kText3 = {"Text3", Kind::TextBox, {3360, 240, 375, 375},
                                   "",      "第二个号码",  kNumberFont};
inline constexpr Control kText4 = {"Text4", Kind::TextBox, {3840, 240, 375, 375},
                                   "",      "第三个号码",  kNumberFont};
inline constexpr std::array<const Control*, 7> kControls = {
    &kLabel1, &kText1, &kCommand1, &kCommand2, &kText2, &kText3, &kText4};

// A control's place in kControls.
inline std::size_t IndexOf(const Control& control)
{
    return static_cast<std::size_t>(std::find(kControls.begin(), kControls.end(), &control) -
                                    kControls.begin());
}

inline constexpr std::string_view kNotice = "请输入开奖号码";
inline constexpr std::string_view kOk = "确定";

// The text of the general error report for a handler's failure: "运行时错误：溢出" for an
// overflow.
std::string ErrorReport(const std::exception_ptr& error);

} // namespace design
