// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard window as data: every control with its caption, place in twips, font, colour, pointer and
// place in the tab order. Captions are written as code points because several have look-alikes.
#include "KeyboardLayout.h"

#include "ui/Colors.h"
#include "ui/Fonts.h"

#include <array>

namespace keyboard {

namespace {

using ui::Pointer;

constexpr ui::FontDef TextFont { ui::FaceRoundedGothic, 25.8 };
constexpr ui::FontDef KanaFont { ui::FaceRoundedGothic, 22.2 };
constexpr ui::FontDef RiFont { ui::FaceRoundedGothic, 19.8 }; // り is wider than the other kana
constexpr ui::FontDef EndFont { ui::FaceRoundedGothic, 16.2 };
constexpr ui::FontDef SmallFont { ui::FaceRoundedGothic, 13.8 };
constexpr ui::FontDef MarkFont { ui::FaceRoundedGothic, 10.8, true };
constexpr ui::FontDef SpaceFont { ui::FaceRoundedGothicLight, 10.8 };
constexpr ui::FontDef SymbolFont { ui::FacePGothic, 10.8, true };
constexpr ui::FontDef FaceMarkFont { ui::FacePGothic, 9, true };

constexpr QStringView VoicedMark = u"\u3003"; // 〃
constexpr QStringView SemiVoicedMark = u"\uFF4F"; // ｏ (a full-width o)

// Every key of a kind shares its size, font and pointer, and every key opens grey: a row of the table below
// states only what varies.
constexpr ui::ControlDef key(QStringView name, int index, QStringView caption, int left, int top, int width, int height,
    const ui::FontDef &font, Pointer pointer, int tabOrder, QStringView toolTip = {})
{
    return { name, ui::ControlKind::Button, index, caption, left, top, width, height, font, ui::KeyStart, pointer,
        tabOrder, toolTip };
}

// A key of the fifty-sound chart.
constexpr ui::ControlDef kana(
    int index, QStringView caption, int left, int top, int tabOrder, const ui::FontDef &font = KanaFont)
{
    return key(u"cmdMoji", index, caption, left, top, 550, 550, font, Pointer::Inherit, tabOrder);
}

// A small-kana key, left of and below its kana key; its caption is the full-size kana.
constexpr ui::ControlDef smallKana(int index, QStringView caption, int left, int top, int tabOrder)
{
    return key(u"cmdMojiS", index, caption, left, top, 320, 320, SmallFont, Pointer::Inherit, tabOrder);
}

// The mark keys: 〃 right of the か, さ, た and は columns' keys, ｏ below the 〃 of the は column.
constexpr ui::ControlDef voiced(int index, int left, int top, int tabOrder)
{
    return key(u"cmdDaku", index, VoicedMark, left, top, 250, 252, MarkFont, Pointer::Inherit, tabOrder);
}

constexpr ui::ControlDef semiVoiced(int index, int left, int top, int tabOrder)
{
    return key(u"cmdDaku", index, SemiVoicedMark, left, top, 250, 252, MarkFont, Pointer::Inherit, tabOrder);
}

// A digit key of the top row.
constexpr ui::ControlDef digit(int index, QStringView caption, int left, int tabOrder)
{
    return key(u"cmdKazu", index, caption, left, 100, 400, 300, MarkFont, Pointer::Arrow, tabOrder);
}

// A symbol key: square in the top row and beside the text field, narrower for the brackets in the や column.
constexpr ui::ControlDef symbol(int index, QStringView caption, int left, int top, int width, int tabOrder)
{
    return key(u"cmdKigo", index, caption, left, top, width, 300, SymbolFont, Pointer::Arrow, tabOrder);
}

// A key of the bottom row, which holds one of each: explanation, face marks, space and the commands.
constexpr ui::ControlDef command(QStringView name, QStringView caption, int left, int width, int height,
    const ui::FontDef &font, int tabOrder, QStringView toolTip = {}, Pointer pointer = Pointer::Inherit)
{
    return key(name, ui::NoIndex, caption, left, 4440, width, height, font, pointer, tabOrder, toolTip);
}

// A face mark's name, centred under its key; it reacts to nothing and never takes the focus.
constexpr ui::ControlDef faceMarkName(QStringView name, QStringView caption, int left, int width)
{
    return { name, ui::ControlKind::Label, ui::NoIndex, caption, left, 4800, width, 252, FaceMarkFont,
        ui::SystemButtonFace, Pointer::Inherit, ui::NoTabStop, {}, true };
}

constexpr QStringView ClearToolTip
    = u"\u30AB\u30FC\u30BD\u30EB\u306E\u53F3\u3092\u6D88\u3057\u307E\u3059"; // カーソルの右を消します

// clang-format off
constexpr std::array Controls = std::to_array<ui::ControlDef>({
    { .name = u"Txt1", .kind = ui::ControlKind::TextBox, .index = ui::NoIndex, .left = 550, .top = 520, .width = 7850,
      .height = 650, .font = TextFont, .backColor = ui::KeyStart, .pointer = Pointer::BarArrow, .tabOrder = 0,
      .foreColor = ui::SystemWindowText, .maxLength = MaxLength },

    // The fifty-sound chart, the あ column on the right.
    // index  caption    left   top tab
    kana(  0, u"\u3042", 8280, 1320,  1), // あ
    kana(  1, u"\u3044", 8280, 1920,  3), // い
    kana(  2, u"\u3046", 8280, 2520,  5), // う
    kana(  3, u"\u3048", 8280, 3120,  7), // え
    kana(  4, u"\u304A", 8280, 3720,  9), // お

    kana(  5, u"\u304B", 7080, 1320, 11), // か
    kana(  6, u"\u304D", 7080, 1920, 13), // き
    kana(  7, u"\u304F", 7080, 2520, 15), // く
    kana(  8, u"\u3051", 7080, 3120, 17), // け
    kana(  9, u"\u3053", 7080, 3720, 19), // こ

    kana( 10, u"\u3055", 6120, 1320, 21), // さ
    kana( 11, u"\u3057", 6120, 1920, 23), // し
    kana( 12, u"\u3059", 6120, 2520, 25), // す
    kana( 13, u"\u305B", 6120, 3120, 27), // せ
    kana( 14, u"\u305D", 6120, 3720, 29), // そ

    kana( 15, u"\u305F", 5160, 1320, 31), // た
    kana( 16, u"\u3061", 5160, 1920, 33), // ち
    kana( 17, u"\u3064", 5160, 2520, 35), // つ
    kana( 18, u"\u3066", 5160, 3120, 38), // て
    kana( 19, u"\u3068", 5160, 3720, 40), // と

    kana( 20, u"\u306A", 4200, 1320, 42), // な
    kana( 21, u"\u306B", 4200, 1920, 43), // に
    kana( 22, u"\u306C", 4200, 2520, 44), // ぬ
    kana( 23, u"\u306D", 4200, 3120, 45), // ね
    kana( 24, u"\u306E", 4200, 3720, 46), // の

    kana( 25, u"\u306F", 3240, 1320, 47), // は
    kana( 26, u"\u3072", 3240, 1920, 50), // ひ
    kana( 27, u"\u3075", 3240, 2520, 53), // ふ
    kana( 28, u"\u3078", 3240, 3120, 56), // へ
    kana( 29, u"\u307B", 3240, 3720, 59), // ほ

    kana( 30, u"\u307E", 2520, 1320, 62), // ま
    kana( 31, u"\u307F", 2520, 1920, 63), // み
    kana( 32, u"\u3080", 2520, 2520, 64), // む
    kana( 33, u"\u3081", 2520, 3120, 65), // め
    kana( 34, u"\u3082", 2520, 3720, 66), // も

    kana( 35, u"\u3084", 1800, 1320, 67), // や
    kana( 36, u"\u3086", 1800, 2520, 71), // ゆ
    kana( 37, u"\u3088", 1800, 3720, 75), // よ

    kana( 38, u"\u3089",  840, 1320, 77), // ら
    kana( 39, u"\u308A",  840, 1920, 78, RiFont), // り
    kana( 40, u"\u308B",  840, 2520, 79), // る
    kana( 41, u"\u308C",  840, 3120, 80), // れ
    kana( 42, u"\u308D",  840, 3720, 81), // ろ

    kana( 43, u"\u308F",  120, 1320, 82), // わ
    kana( 44, u"\u3092",  120, 1920, 83), // を
    kana( 45, u"\u3093",  120, 2520, 84), // ん
    kana( 46, u"\u3001",  120, 3120, 85), // 、
    kana( 47, u"\u3002",  120, 3720, 86), // 。

    // Small-kana keys, left of and below their kana key.
    //    index  caption    left   top tab
    smallKana(0, u"\u3042", 7920, 1560,  2), // あ
    smallKana(1, u"\u3044", 7920, 2160,  4), // い
    smallKana(2, u"\u3046", 7920, 2760,  6), // う
    smallKana(3, u"\u3048", 7920, 3360,  8), // え
    smallKana(4, u"\u304A", 7920, 3960, 10), // お
    smallKana(5, u"\u3064", 4800, 2760, 37), // つ
    smallKana(6, u"\u3084", 1440, 1560, 68), // や
    smallKana(7, u"\u3086", 1440, 2760, 72), // ゆ
    smallKana(8, u"\u3088", 1440, 3960, 76), // よ

    // Mark keys; the comment names the kana each one types.
    //      index  left   top tab
        voiced( 0, 7680, 1320, 12), // が
        voiced( 1, 7680, 1920, 14), // ぎ
        voiced( 2, 7680, 2520, 16), // ぐ
        voiced( 3, 7680, 3120, 18), // げ
        voiced( 4, 7680, 3720, 20), // ご
        voiced( 5, 6720, 1320, 22), // ざ
        voiced( 6, 6720, 1920, 24), // じ
        voiced( 7, 6720, 2520, 26), // ず
        voiced( 8, 6720, 3120, 28), // ぜ
        voiced( 9, 6720, 3720, 30), // ぞ
        voiced(10, 5760, 1320, 32), // だ
        voiced(11, 5760, 1920, 34), // ぢ
        voiced(12, 5760, 2520, 36), // づ
        voiced(13, 5760, 3120, 39), // で
        voiced(14, 5760, 3720, 41), // ど
        voiced(15, 3840, 1320, 48), // ば
        voiced(16, 3840, 1920, 51), // び
        voiced(17, 3840, 2520, 54), // ぶ
        voiced(18, 3840, 3120, 57), // べ
        voiced(19, 3840, 3720, 60), // ぼ
    semiVoiced(20, 3840, 1610, 49), // ぱ
    semiVoiced(21, 3840, 2210, 52), // ぴ
    semiVoiced(22, 3840, 2810, 55), // ぷ
    semiVoiced(23, 3840, 3410, 58), // ぺ
    semiVoiced(24, 3840, 4010, 61), // ぽ

    // Digit keys in the top row; ０ stands right of ９.
    // index  caption    left  tab
    digit( 0, u"\uFF10", 6360, 102), // ０
    digit( 1, u"\uFF11", 2040,  93), // １
    digit( 2, u"\uFF12", 2520,  94), // ２
    digit( 3, u"\uFF13", 3000,  95), // ３
    digit( 4, u"\uFF14", 3480,  96), // ４
    digit( 5, u"\uFF15", 3960,  97), // ５
    digit( 6, u"\uFF16", 4440,  98), // ６
    digit( 7, u"\uFF17", 4920,  99), // ７
    digit( 8, u"\uFF18", 5400, 100), // ８
    digit( 9, u"\uFF19", 5880, 101), // ９

    // Symbol keys: the top row, beside the text field, and the brackets in the や column.
    //  index  caption    left   top width  tab
    symbol( 0, u"\u266A",  120,  480,  300,  87), // ♪
    symbol( 1, u"\u203B",  120,  100,  300,  88), // ※
    symbol( 2, u"\u25CE",  480,  100,  300,  89), // ◎
    symbol( 3, u"\u25CF",  840,  100,  300,  90), // ●
    symbol( 4, u"\u2606", 1200,  100,  300,  91), // ☆
    symbol( 5, u"\u2605", 1560,  100,  300,  92), // ★
    symbol( 6, u"\u30FB", 7080,  100,  300, 103), // ・
    symbol( 7, u"\u2025", 7440,  100,  300, 104), // ‥
    symbol( 8, u"\u30FC", 7800,  100,  300, 105), // ー
    symbol( 9, u"\uFF5E", 8160,  100,  300, 106), // ～
    symbol(10, u"\uFF01", 8520,  100,  300, 107), // ！
    symbol(11, u"\uFF1F", 8520,  480,  300, 108), // ？
    symbol(12, u"\uFF08", 1540, 2040,  250,  69), // （
    symbol(13, u"\uFF09", 1850, 2040,  250,  70), // ）
    symbol(14, u"\u300C", 1540, 3240,  250,  73), // 「
    symbol(15, u"\u300D", 1850, 3240,  250,  74), // 」

    // The bottom row.
    //      name          caption                             left width height  font          tab  tool tip      pointer
    command(u"cmdBun",    u"\u8AAC\u660E\u3092 \u51FA\u3059",  120,  700,   492, FaceMarkFont, 109), // 説明を 出す
    command(u"cmdEmoji1", u"\uFF3C(^o^)\uFF0F",                900,  950,   330, FaceMarkFont, 110), // ＼(^o^)／
    command(u"cmdEmoji2", u"\uFF4D(_ _)\uFF4D",               1920,  900,   330, FaceMarkFont, 111), // ｍ(_ _)ｍ
    command(u"cmdEmoji3", u"(^-^)/~~",                        2920,  950,   330, FaceMarkFont, 112),
    command(u"cmdSpce",   u"\u7A7A\u767D",                    4000,  550,   492, SpaceFont,    113), // 空白
    command(u"cmdCopy",   u"\u30B3\u30D4\u30FC",              4650, 1050,   492, SmallFont,    114), // コピー
    command(u"cmdClr",    u"\uFF11\u5B57\u6D88",              5800, 1050,   492, SmallFont,    115, ClearToolTip), // １字消
    command(u"cmdClrall", u"\u5168\u6D88\u53BB",              6930, 1050,   492, SmallFont,    116), // 全消去
    command(u"cmdEND",    u"\u7D42",                          8100,  732,   492, EndFont,      117, {},           Pointer::Arrow), // 終

    // The names under the face-mark keys.
    //           name          caption                            left width
    faceMarkName(u"lblEmoji1", u"\u3070\u3093\u3056\uFF5E\u3044",  900,  996), // ばんざ～い
    faceMarkName(u"lblEmoji2", u"\u3054\u3081\u3093\u306D",       2000,  800), // ごめんね
    faceMarkName(u"lblEmoji3", u"\u3055\u3088\u306A\u3089",       3000,  800), // さよなら
});

constexpr std::array Lines = std::to_array<ui::LineDef>({
    //           x1    y1    x2    y2 width colour
    { u"Line1", 480, 4370, 8520, 4370,    5, ui::LineGreen },
});
// clang-format on

} // namespace

constexpr ui::FormDef FrmKyBodDefinition {
    .name = u"FrmKyBod",
    .caption = u"\u30AD\u30FC\u30DC\u30FC\u30C9", // キーボード
    .clientWidth = 8976,
    .clientHeight = 5028,
    .designedLeft = 1848,
    .designedTop = 3408,
    .backColor = ui::WindowStart,
    .pointer = Pointer::Ring,
    .hasIcon = true,
    .controls = Controls,
    .lines = Lines,
};

} // namespace keyboard
