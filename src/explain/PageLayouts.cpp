// SPDX-License-Identifier: GPL-3.0-or-later
// The three explanation pages and the notice as data: every label, button, picture and edge line with its text,
// place in twips, font, colour and place in the tab order. Texts are written as code points because several
// hold full-width spaces, quotation marks and commas that look like their half-width twins.
#include "Pages.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"

#include <array>

namespace explain {

namespace {

using ui::NoIndex;
using ui::Pointer;
constexpr ui::ColorValue WindowText = ui::SystemWindowText;
constexpr ui::ColorValue ButtonText = ui::SystemButtonText;
constexpr ui::ColorValue ButtonFace = ui::SystemButtonFace;

constexpr ui::FontDef WindowFont {};
constexpr ui::FontDef TextFont { ui::FacePGothic, 10.8, true };
constexpr ui::FontDef NoteFont { ui::FacePGothic, 10.2 };
constexpr ui::FontDef PlainTextFont { ui::FacePGothic, 10.8 };
constexpr ui::FontDef PageButtonFont { ui::FacePGothic, 12, true };
constexpr ui::FontDef GothicButtonFont { ui::FaceGothic, 12, true };
constexpr ui::FontDef HeadingFont { ui::FacePGothic, 12, true, true };

// clang-format off
constexpr QStringView lblBun1aText =
    u"\u30DE\u30A6\u30B9\u3092\u52D5\u304B\u305B\u3066\u8D64\u4E38\u3092\u6587\u5B57\u30DC\u30BF\u30F3" // マウスを動かせて赤丸を文字ボタン
    u"\u306B\u5408\u308F\u305B\u3000\uFF08\u767D\u304F\u306A\u308B\uFF09\u3001\u30AF\u30EA\u30C3\u30AF" // に合わせ　（白くなる）、クリック
    u"\u3057\u3066\u4E0B\u3055\u3044\u3002\u3000\u3000\uFF1D\uFF1D\uFF1D\uFF1D\u21D2"; // して下さい。　　＝＝＝＝⇒
constexpr QStringView lblBun1bText =
    u"\u2605(\u534A)\u6FC1\u97F3\u30FB\uFF08\u300C\u3070\u300D\u306A\u3069\uFF09\u306F\u6587" // ★(半)濁音・（「ば」など）は文
    u"\u5B57\u53F3\u306E\u3001[\u25CB][\u3003]\u3092\u30AF\u30EA\u30C3\u30AF\u3002"; // 字右の、[○][〃]をクリック。
constexpr QStringView lblBun1cText =
    u"\u673A\u306E\u4E0A\u306E\u300E\u672C\u5F53\u306E\u30AD\u30FC\u30DC\u30FC\u30C9\u300F\u306E\u624B" // 机の上の『本当のキーボード』の手
    u"\u524D\u306E\u65B9 [\u524D\u5019\u88DC/ \u5909\u63DB (\u6B21\u5019" // 前の方 [前候補/ 変換 (次候
    u"\u88DC)] \u3092\u4F55\u5EA6\u304B\u62BC\u3057\u3066\u3001\u6B63\u3057\u3044\u6587" // 補)] を何度か押して、正しい文
    u"\u5B57\u304C\u51FA\u305F\u3089 [Enter] \u3092\u62BC" // 字が出たら [Enter] を押
    u"\u3057\u3066\u304F\u3060\u3055\u3044\u3002"; // してください。
constexpr QStringView lblBun1dText =
    u"\uFF08\u6587\u5B57\u304C\u767D\u9ED2\u53CD\u8EE2\u3057\u3066\u306A\u304B\u3063\u305F\u3089\u6B21" // （文字が白黒反転してなかったら次
    u"\u306E\u8AAC\u660E\u3092\u53C2\u7167\uFF09"; // の説明を参照）
constexpr QStringView lblBun2aText =
    u"\u5909\u63DB\u3057\u305F\u3044\u6587\u5B57\u306E\u4E0A\u3092\u30DE\u30A6\u30B9\u3067\u306A\u305E" // 変換したい文字の上をマウスでなぞ
    u"\u3063\u3066\u8272\u3092\u5909\u3048\u3066\u4E0B\u3055\u3044\u3002"; // って色を変えて下さい。
constexpr QStringView lblBun2bText =
    u"\uFF08\u30DE\u30A6\u30B9\u306E\u5DE6\u3092\u62BC\u3057\u306A\u304C\u3089\u305A\u3089\u3059\uFF09"; // （マウスの左を押しながらずらす）
constexpr QStringView lblBun2cText =
    u"\u6B21\u306B\u300E\u672C\u5F53\u306E\u30AD\u30FC\u30DC\u30FC\u30C9\u300F\u306E\u624B\u524D\u306E" // 次に『本当のキーボード』の手前の
    u"\u65B9 [\u524D\u5019\u88DC/ \u5909\u63DB (\u6B21\u5019\u88DC)" // 方 [前候補/ 変換 (次候補)
    u"] \u3092\u4F55\u5EA6\u304B\u62BC\u3057\u3066\u3001\u6B63\u3057\u3044\u6587\u5B57\u304C" // ] を何度か押して、正しい文字が
    u"\u51FA\u305F\u3089 [Enter] \u3092\u62BC\u3057\u3066" // 出たら [Enter] を押して
    u"\u304F\u3060\u3055\u3044\u3002"; // ください。
constexpr QStringView lblBun2dText =
    u"[\u5909\u63DB]\u3000\u3000[Enter]"; // [変換]　　[Enter]
constexpr QStringView lblBun3aText =
    u"[\u30B3\u30D4\u30FC] \u3092\u30AF\u30EA\u30C3\u30AF\u3057\u3066\u767D\u67A0\u5185" // [コピー] をクリックして白枠内
    u"\u306E\u6587\u5B57\u3092\u30D1\u30BD\u30B3\u30F3\u306B\u899A\u3048\u3055\u305B\u307E\u3059\u3002" // の文字をパソコンに覚えさせます。
    u"\uFF08\u899A\u3048\u308B\u306E\u306F\u201D\uFF11\u884C\u201D\u3060\u3051\u3067\u3059\uFF09"; // （覚えるのは”１行”だけです）
constexpr QStringView lblBun3bText =
    u"\u30E1\u30E2\u5E33\u3084\u30E1\u30FC\u30EB\u306A\u3069\u3001\u305D\u306E\u6587\u5B57\u3092\u5165" // メモ帳やメールなど、その文字を入
    u"\u308C\u305F\u3044\u6240\u3092\u30AF\u30EA\u30C3\u30AF\u3059\u308B\u3068\uFF64\u305D\u306E\u500B" // れたい所をクリックすると､その個
    u"\u6240\u304B\u5DE6\u4E0A\u306B\u7E26\u68D2\u304C\u70B9\u6EC5\u3057\u307E\u3059\u3002"; // 所か左上に縦棒が点滅します。
constexpr QStringView lblBun3cText =
    u"\u6B21\u306B\u3001\u305D\u306E\u4E0A\u306E\u65B9 [\u7DE8\u96C6(E)]" // 次に、その上の方 [編集(E)]
    u" \u3092\u30AF\u30EA\u30C3\u30AF\u3059\u308B\u3068\u30A8\u30D7\u30ED\u30F3\u306E\u3088\u3046" //  をクリックするとエプロンのよう
    u"\u306A\u3082\u306E\u304C\u51FA\u3066\u304D\u307E\u3059\u304B\u3089\uFF64 \u305D\u306E\u4E2D" // なものが出てきますから､ その中
    u"\u307B\u3069 [\u8CBC\u308A\u4ED8\u3051(P)] \u3092\u30AF\u30EA" // ほど [貼り付け(P)] をクリ
    u"\u30C3\u30AF\u3057\u3066\u4E0B\u3055\u3044\u3002"; // ックして下さい。
constexpr QStringView Lbl1Text =
    u"\u6587\u5B57\u6570\u304C\u4E00\u676F\u3067\u3059\uFF01"; // 文字数が一杯です！
constexpr QStringView Lbl2Text =
    u"\u5168\u89D2\uFF08\u4EEE\u540D\uFF09\u30FB\u534A\u89D2\uFF08\u82F1\u6570\u5B57\uFF09\u5408\u308F" // 全角（仮名）・半角（英数字）合わ
    u"\u305B\u3066\uFF11\uFF15\u6587\u5B57\u307E\u3067\u3067\u3059\u3002\u9854\u6587\u5B57\u306F\uFF17" // せて１５文字までです。顔文字は７
    u"\uFF5E\uFF18\u6587\u5B57\u4F7F\u3063\u3066\u307E\u3059\u3002"; // ～８文字使ってます。
// clang-format on

// A label of a page or the notice; the text colour is the window's or the buttons' system colour.
constexpr ui::ControlDef label(QStringView name, QStringView text, int left, int top, int width, int height,
    const ui::FontDef &font, int tabOrder, ui::ColorValue textColor)
{
    return { name, ui::ControlKind::Label, NoIndex, text, left, top, width, height, font, 0, Pointer::Inherit, tabOrder,
        {}, false, textColor };
}

constexpr ui::ControlDef centred(ui::ControlDef control)
{
    control.centred = true;
    return control;
}

// 前, 次 and 閉 stand in the same places on every page, in one row and of one size.
struct PageButton {
    QStringView caption;
    int left;
};
constexpr PageButton Back { u"\u524D", 2040 }; // 前
constexpr PageButton Next { u"\u6B21", 3120 }; // 次
constexpr PageButton Close { u"\u9589", 4200 }; // 閉

constexpr ui::ControlDef button(QStringView name, QStringView caption, int left, int top, int width, int height,
    const ui::FontDef &font, ui::ColorValue color, int tabOrder)
{
    return { name, ui::ControlKind::Button, NoIndex, caption, left, top, width, height, font, color, Pointer::Inherit,
        tabOrder };
}

constexpr ui::ControlDef pageButton(
    QStringView name, PageButton place, const ui::FontDef &font, ui::ColorValue color, int tabOrder)
{
    return button(name, place.caption, place.left, 1920, 732, 372, font, color, tabOrder);
}

// A picture from the resources; it never takes the focus.
constexpr ui::ControlDef picture(
    QStringView name, int index, QStringView file, int left, int top, int width, int height)
{
    return { name, ui::ControlKind::Picture, index, file, left, top, width, height, WindowFont, 0, Pointer::Inherit,
        ui::NoTabStop };
}

constexpr ui::ControlDef hidden(ui::ControlDef control)
{
    control.visible = false;
    return control;
}

// clang-format off
constexpr std::array Page1Controls = std::to_array<ui::ControlDef>({
    //    name         text         left   top width height  font    tab  colour
    label(u"lblBun1a", lblBun1aText, 240,  120, 4500,   492, TextFont, 0, WindowText),
    label(u"lblBun1b", lblBun1bText, 240,  600, 4860,   252, NoteFont, 5, WindowText),
    label(u"lblBun1c", lblBun1cText, 240,  960, 4524,   696, TextFont, 4, WindowText),
    label(u"lblBun1d", lblBun1dText, 240, 1680, 4860,   252, NoteFont, 6, WindowText),
    //         name         button font              colour      tab
    pageButton(u"CmdBun1B", Back,  GothicButtonFont, ui::KeyStart, 3),
    pageButton(u"CmdBun1N", Next,  PageButtonFont,   ui::KeyStart, 2),
    pageButton(u"CmdBun1E", Close, PageButtonFont,   ui::KeyStart, 1),
    // Two frames of one illustration; the load step moves ImgBun1a onto ImgBun1b's place.
    //             name     index  file             left  top width height
           picture(u"ImgBun1a", 0, u"ImgBun1a.jpg", 5160, 480, 2052,  1812),
    hidden(picture(u"ImgBun1b", 1, u"ImgBun1b.jpg", 5040, 120, 2052,  1812)),
});

// The white lines come first so that the darker edges stay whole where they cross them.
constexpr std::array Page1Lines = std::to_array<ui::LineDef>({
    //           x1    y1    x2    y2 width  colour
    { u"Lin2",    0,   10, 7320,   10,    5, ui::LineLight },
    { u"Lin4",   10,    0,   10, 2400,    5, ui::LineLight },
    { u"Lin1",    0,    0, 7320,    0,    2, ui::LineGreen },
    { u"Lin3",    0,    0,    0, 2400,    2, ui::LineGreen },
    { u"Lin5",   10, 2370, 7320, 2370,    5, ui::LineGreen },
    { u"Lin6",    0, 2390, 7272, 2390,    3, ui::LineDeepGreen },
    { u"Lin7", 7275,   50, 7275, 2400,    5, ui::LineGreen },
    { u"Lin8", 7280,   10, 7280, 2400,    3, ui::LineDeepGreen },
});

constexpr std::array Page2Controls = std::to_array<ui::ControlDef>({
    //    name         text          left   top width height  font      tab  colour
    label(u"lblBun2a", lblBun2aText, 1884,  120, 3096,   504, TextFont,   0, WindowText),
    label(u"lblBun2b", lblBun2bText, 2040,  600, 2940,   252, NoteFont,   6, WindowText),
    label(u"lblBun2c", lblBun2cText, 1900,  960, 3150,   972, TextFont,   3, WindowText),
    label(u"lblBun2d", lblBun2dText, 5330, 1950, 1896,   252, WindowFont, 4, ButtonText),
    //         name         button font        colour    tab
    pageButton(u"CmdBun2B", Back,  WindowFont, ButtonFace, 2),
    pageButton(u"CmdBun2N", Next,  WindowFont, ButtonFace, 5),
    pageButton(u"CmdBun2E", Close, WindowFont, ButtonFace, 1),
    //      name         index    file             left  top width height
    picture(u"ImgBun2a", NoIndex, u"ImgBun2a.jpg",  120, 120, 1704,  2040),
    picture(u"ImgBun2b", NoIndex, u"ImgBun2b.gif", 5040, 120, 2172,  1812),
});

constexpr std::array Page2Lines = std::to_array<ui::LineDef>({
    //           x1    y1    x2    y2 width  colour
    { u"Lin2",   10,   10, 7290,   10,    5, ui::LineLight },
    { u"Lin4",   10,    0,   10, 2400,    5, ui::LineLight },
    { u"Lin1",    0,    0, 7300,    0,    2, ui::LineDeepGreen },
    { u"Lin3",    0,    5,    0, 2400,    2, ui::LineDeepGreen },
    { u"Lin5",   50, 2370, 7300, 2370,    5, ui::LineGreen },
    { u"Lin6",   10, 2390, 7300, 2390,    2, ui::LineDeepGreen },
    { u"Lin7", 7280,   50, 7280, 2370,    6, ui::LineGreen },
    { u"Lin8", 7280,   10, 7280, 2400,    2, ui::LineDeepGreen },
});

constexpr std::array Page3Controls = std::to_array<ui::ControlDef>({
    //    name         text         left   top width height  font    tab  colour
    label(u"lblBun3a", lblBun3aText, 240,  120, 4800,   492, TextFont, 3, ButtonText),
    label(u"lblBun3b", lblBun3bText, 240,  670, 4800,   492, TextFont, 5, ButtonText),
    label(u"lblBun3c", lblBun3cText, 240, 1200, 4812,   672, TextFont, 4, ButtonText),
    //         name         button font            colour    tab
    pageButton(u"CmdBun3B", Back,  PageButtonFont, ButtonFace, 0),
    pageButton(u"CmdBun3N", Next,  PageButtonFont, ButtonFace, 1),
    pageButton(u"CmdBun3E", Close, PageButtonFont, ButtonFace, 2),
    //      name        index    file            left  top width height
    picture(u"ImgBun3", NoIndex, u"ImgBun3.jpg", 5040, 120, 2172,  1692),
});

constexpr std::array Page3Lines = std::to_array<ui::LineDef>({
    //           x1    y1    x2    y2 width  colour
    { u"Lin2",   10,   15, 7280,   15,    5, ui::LineLight },
    { u"Lin4",   10,   10,   10, 2400,    5, ui::LineLight },
    { u"Lin1",    0,    0, 7320,    0,    2, ui::LineDeepGreen },
    { u"Lin3",    0,    0,    0, 2380,    2, ui::LineDeepGreen },
    { u"Lin5",   20, 2370, 7300, 2370,    5, ui::LineGreen },
    { u"Lin6",   30, 2380, 7300, 2380,    2, ui::LineDeepGreen },
    { u"Lin7", 7270,   30, 7270, 2380,    5, ui::LineGreen },
    { u"Lin8", 7270,   10, 7280, 2380,    2, ui::LineDeepGreen },
});

constexpr std::array NoticeControls = std::to_array<ui::ControlDef>({
    //            name     text     left  top width height  font         tab  colour
    centred(label(u"Lbl1", Lbl1Text, 260, 120, 2292,   276, HeadingFont,   0, WindowText)),
            label(u"Lbl2", Lbl2Text, 120, 480, 2556,   880, PlainTextFont, 1, WindowText),
    // The notice's 閉: wider than a page's, and salmon.
    button(u"CmdBun4E", Close.caption, 840, 1320, 972, 372, PageButtonFont, ui::NoticeButton, 2),
});

constexpr std::array NoticeLines = std::to_array<ui::LineDef>({
    //           x1    y1    x2    y2 width  colour
    { u"Lin2",    5,   10, 2760,   10,    5, ui::LineLight },
    { u"Lin4",   10,    0,   10, 1800,    5, ui::LineLight },
    { u"Lin1",    0,    0, 2760,    0,    2, ui::LineRed },
    { u"Lin3",    0,    0,    0, 1800,    2, ui::LineDarkRed },
    { u"Lin5",   30, 1792, 2760, 1792,    6, ui::LineDeepRed },
    { u"Lin6", 2752,   50, 2752, 1800,    5, ui::LineDeepRed },
});
// clang-format on

} // namespace

constexpr ui::FormDef FrmBun3aDefinition {
    .name = u"FrmBun3a",
    .caption = u"\u8AAC\u660E\u30FC\uFF11", // 説明ー１
    .clientWidth = 7296,
    .clientHeight = 2400,
    .designedLeft = 2604,
    .designedTop = 660,
    .backColor = ui::WindowStart,
    .font = { ui::FaceGothic, 13.8 },
    .pointer = Pointer::Arrow,
    .controls = Page1Controls,
    .lines = Page1Lines,
};

constexpr ui::FormDef FrmBun3bDefinition {
    .name = u"FrmBun3b",
    .caption = u"\u8AAC\u660E\u30FC\uFF12", // 説明ー２
    .clientWidth = 7296,
    .clientHeight = 2400,
    .designedLeft = 2604,
    .designedTop = 648,
    .backColor = ui::WindowBright,
    .font = { ui::FacePGothic, 12, true },
    .pointer = Pointer::Arrow,
    .controls = Page2Controls,
    .lines = Page2Lines,
};

constexpr ui::FormDef FrmBun3cDefinition {
    .name = u"FrmBun3c",
    .caption = u"\u8AAC\u660E\u30FC\uFF13", // 説明ー３
    .clientWidth = 7296,
    .clientHeight = 2400,
    .designedLeft = 2604,
    .designedTop = 648,
    .backColor = ui::WindowBright,
    .pointer = Pointer::Arrow,
    .controls = Page3Controls,
    .lines = Page3Lines,
};

constexpr ui::FormDef FrmBun3dDefinition {
    .name = u"FrmBun3d",
    .caption = u"\u8AAC\u660E\u30FC\uFF14", // 説明ー４
    .clientWidth = 2772,
    .clientHeight = 1800,
    .designedLeft = 4932,
    .designedTop = 2664,
    .backColor = ui::NoticeFace,
    .pointer = Pointer::Ryokai,
    .controls = NoticeControls,
    .lines = NoticeLines,
};

} // namespace explain
