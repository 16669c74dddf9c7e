// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard window as data: every control with its caption, place in twips, font, colour, pointer and
// place in the tab order. Captions are written as code points because several have look-alikes.
#include "KeyboardLayout.h"

#include "ui/Fonts.h"

#include <array>

namespace keyboard {

namespace {

using ui::Pointer;
constexpr auto Button = ui::ControlKind::Button;
constexpr auto TextBox = ui::ControlKind::TextBox;
constexpr auto Label = ui::ControlKind::Label;

constexpr ui::ColorValue MidGrey = 0x808080;
constexpr ui::ColorValue Green = 0x00D000;
constexpr ui::ColorValue DarkGreen = 0x008000;

constexpr ui::FontDef TextFont { ui::FaceRoundedGothic, 25.8 };
constexpr ui::FontDef KanaFont { ui::FaceRoundedGothic, 22.2 };
constexpr ui::FontDef RiFont { ui::FaceRoundedGothic, 19.8 }; // り is wider than the other kana
constexpr ui::FontDef EndFont { ui::FaceRoundedGothic, 16.2 };
constexpr ui::FontDef SmallFont { ui::FaceRoundedGothic, 13.8 };
constexpr ui::FontDef MarkFont { ui::FaceRoundedGothic, 10.8, true };
constexpr ui::FontDef SpaceFont { ui::FaceRoundedGothicLight, 10.8 };
constexpr ui::FontDef SymbolFont { ui::FacePGothic, 10.8, true };
constexpr ui::FontDef FaceMarkFont { ui::FacePGothic, 9, true };

// clang-format off
constexpr std::array Controls = std::to_array<ui::ControlDef>({
    // The text field.
    { u"Txt1", TextBox, ui::NoIndex, u"", 550, 520, 7850, 650, TextFont, MidGrey, Pointer::BarArrow, 0, {}, false, ui::SystemWindowText, MaxLength },
    // Kana keys of the fifty-sound chart, the あ column on the right.
    { u"cmdMoji", Button, 0, u"\u3042", 8280, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 1 }, // あ
    { u"cmdMoji", Button, 1, u"\u3044", 8280, 1920, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 3 }, // い
    { u"cmdMoji", Button, 2, u"\u3046", 8280, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 5 }, // う
    { u"cmdMoji", Button, 3, u"\u3048", 8280, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 7 }, // え
    { u"cmdMoji", Button, 4, u"\u304A", 8280, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 9 }, // お
    { u"cmdMoji", Button, 5, u"\u304B", 7080, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 11 }, // か
    { u"cmdMoji", Button, 6, u"\u304D", 7080, 1920, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 13 }, // き
    { u"cmdMoji", Button, 7, u"\u304F", 7080, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 15 }, // く
    { u"cmdMoji", Button, 8, u"\u3051", 7080, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 17 }, // け
    { u"cmdMoji", Button, 9, u"\u3053", 7080, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 19 }, // こ
    { u"cmdMoji", Button, 10, u"\u3055", 6120, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 21 }, // さ
    { u"cmdMoji", Button, 11, u"\u3057", 6120, 1920, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 23 }, // し
    { u"cmdMoji", Button, 12, u"\u3059", 6120, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 25 }, // す
    { u"cmdMoji", Button, 13, u"\u305B", 6120, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 27 }, // せ
    { u"cmdMoji", Button, 14, u"\u305D", 6120, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 29 }, // そ
    { u"cmdMoji", Button, 15, u"\u305F", 5160, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 31 }, // た
    { u"cmdMoji", Button, 16, u"\u3061", 5160, 1920, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 33 }, // ち
    { u"cmdMoji", Button, 17, u"\u3064", 5160, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 35 }, // つ
    { u"cmdMoji", Button, 18, u"\u3066", 5160, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 38 }, // て
    { u"cmdMoji", Button, 19, u"\u3068", 5160, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 40 }, // と
    { u"cmdMoji", Button, 20, u"\u306A", 4200, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 42 }, // な
    { u"cmdMoji", Button, 21, u"\u306B", 4200, 1920, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 43 }, // に
    { u"cmdMoji", Button, 22, u"\u306C", 4200, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 44 }, // ぬ
    { u"cmdMoji", Button, 23, u"\u306D", 4200, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 45 }, // ね
    { u"cmdMoji", Button, 24, u"\u306E", 4200, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 46 }, // の
    { u"cmdMoji", Button, 25, u"\u306F", 3240, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 47 }, // は
    { u"cmdMoji", Button, 26, u"\u3072", 3240, 1920, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 50 }, // ひ
    { u"cmdMoji", Button, 27, u"\u3075", 3240, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 53 }, // ふ
    { u"cmdMoji", Button, 28, u"\u3078", 3240, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 56 }, // へ
    { u"cmdMoji", Button, 29, u"\u307B", 3240, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 59 }, // ほ
    { u"cmdMoji", Button, 30, u"\u307E", 2520, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 62 }, // ま
    { u"cmdMoji", Button, 31, u"\u307F", 2520, 1920, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 63 }, // み
    { u"cmdMoji", Button, 32, u"\u3080", 2520, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 64 }, // む
    { u"cmdMoji", Button, 33, u"\u3081", 2520, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 65 }, // め
    { u"cmdMoji", Button, 34, u"\u3082", 2520, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 66 }, // も
    { u"cmdMoji", Button, 35, u"\u3084", 1800, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 67 }, // や
    { u"cmdMoji", Button, 36, u"\u3086", 1800, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 71 }, // ゆ
    { u"cmdMoji", Button, 37, u"\u3088", 1800, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 75 }, // よ
    { u"cmdMoji", Button, 38, u"\u3089", 840, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 77 }, // ら
    { u"cmdMoji", Button, 39, u"\u308A", 840, 1920, 550, 550, RiFont, MidGrey, Pointer::Inherit, 78 }, // り
    { u"cmdMoji", Button, 40, u"\u308B", 840, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 79 }, // る
    { u"cmdMoji", Button, 41, u"\u308C", 840, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 80 }, // れ
    { u"cmdMoji", Button, 42, u"\u308D", 840, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 81 }, // ろ
    { u"cmdMoji", Button, 43, u"\u308F", 120, 1320, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 82 }, // わ
    { u"cmdMoji", Button, 44, u"\u3092", 120, 1920, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 83 }, // を
    { u"cmdMoji", Button, 45, u"\u3093", 120, 2520, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 84 }, // ん
    { u"cmdMoji", Button, 46, u"\u3001", 120, 3120, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 85 }, // 、
    { u"cmdMoji", Button, 47, u"\u3002", 120, 3720, 550, 550, KanaFont, MidGrey, Pointer::Inherit, 86 }, // 。
    // Small-kana keys, left of and below their kana key.
    { u"cmdMojiS", Button, 0, u"\u3042", 7920, 1560, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 2 }, // あ
    { u"cmdMojiS", Button, 1, u"\u3044", 7920, 2160, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 4 }, // い
    { u"cmdMojiS", Button, 2, u"\u3046", 7920, 2760, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 6 }, // う
    { u"cmdMojiS", Button, 3, u"\u3048", 7920, 3360, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 8 }, // え
    { u"cmdMojiS", Button, 4, u"\u304A", 7920, 3960, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 10 }, // お
    { u"cmdMojiS", Button, 5, u"\u3064", 4800, 2760, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 37 }, // つ
    { u"cmdMojiS", Button, 6, u"\u3084", 1440, 1560, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 68 }, // や
    { u"cmdMojiS", Button, 7, u"\u3086", 1440, 2760, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 72 }, // ゆ
    { u"cmdMojiS", Button, 8, u"\u3088", 1440, 3960, 320, 320, SmallFont, MidGrey, Pointer::Inherit, 76 }, // よ
    // Voiced-mark keys right of the か, さ, た and は columns; semi-voiced ones below those of the は column.
    { u"cmdDaku", Button, 0, u"\u3003", 7680, 1320, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 12 }, // 〃
    { u"cmdDaku", Button, 1, u"\u3003", 7680, 1920, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 14 }, // 〃
    { u"cmdDaku", Button, 2, u"\u3003", 7680, 2520, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 16 }, // 〃
    { u"cmdDaku", Button, 3, u"\u3003", 7680, 3120, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 18 }, // 〃
    { u"cmdDaku", Button, 4, u"\u3003", 7680, 3720, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 20 }, // 〃
    { u"cmdDaku", Button, 5, u"\u3003", 6720, 1320, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 22 }, // 〃
    { u"cmdDaku", Button, 6, u"\u3003", 6720, 1920, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 24 }, // 〃
    { u"cmdDaku", Button, 7, u"\u3003", 6720, 2520, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 26 }, // 〃
    { u"cmdDaku", Button, 8, u"\u3003", 6720, 3120, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 28 }, // 〃
    { u"cmdDaku", Button, 9, u"\u3003", 6720, 3720, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 30 }, // 〃
    { u"cmdDaku", Button, 10, u"\u3003", 5760, 1320, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 32 }, // 〃
    { u"cmdDaku", Button, 11, u"\u3003", 5760, 1920, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 34 }, // 〃
    { u"cmdDaku", Button, 12, u"\u3003", 5760, 2520, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 36 }, // 〃
    { u"cmdDaku", Button, 13, u"\u3003", 5760, 3120, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 39 }, // 〃
    { u"cmdDaku", Button, 14, u"\u3003", 5760, 3720, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 41 }, // 〃
    { u"cmdDaku", Button, 15, u"\u3003", 3840, 1320, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 48 }, // 〃
    { u"cmdDaku", Button, 16, u"\u3003", 3840, 1920, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 51 }, // 〃
    { u"cmdDaku", Button, 17, u"\u3003", 3840, 2520, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 54 }, // 〃
    { u"cmdDaku", Button, 18, u"\u3003", 3840, 3120, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 57 }, // 〃
    { u"cmdDaku", Button, 19, u"\u3003", 3840, 3720, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 60 }, // 〃
    { u"cmdDaku", Button, 20, u"\uFF4F", 3840, 1610, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 49 }, // ｏ
    { u"cmdDaku", Button, 21, u"\uFF4F", 3840, 2210, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 52 }, // ｏ
    { u"cmdDaku", Button, 22, u"\uFF4F", 3840, 2810, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 55 }, // ｏ
    { u"cmdDaku", Button, 23, u"\uFF4F", 3840, 3410, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 58 }, // ｏ
    { u"cmdDaku", Button, 24, u"\uFF4F", 3840, 4010, 250, 252, MarkFont, MidGrey, Pointer::Inherit, 61 }, // ｏ
    // Digit keys in the top row; ０ stands right of ９.
    { u"cmdKazu", Button, 0, u"\uFF10", 6360, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 102 }, // ０
    { u"cmdKazu", Button, 1, u"\uFF11", 2040, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 93 }, // １
    { u"cmdKazu", Button, 2, u"\uFF12", 2520, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 94 }, // ２
    { u"cmdKazu", Button, 3, u"\uFF13", 3000, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 95 }, // ３
    { u"cmdKazu", Button, 4, u"\uFF14", 3480, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 96 }, // ４
    { u"cmdKazu", Button, 5, u"\uFF15", 3960, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 97 }, // ５
    { u"cmdKazu", Button, 6, u"\uFF16", 4440, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 98 }, // ６
    { u"cmdKazu", Button, 7, u"\uFF17", 4920, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 99 }, // ７
    { u"cmdKazu", Button, 8, u"\uFF18", 5400, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 100 }, // ８
    { u"cmdKazu", Button, 9, u"\uFF19", 5880, 100, 400, 300, MarkFont, MidGrey, Pointer::Arrow, 101 }, // ９
    // Symbol keys: the top row, beside the text field, and the brackets in the や column.
    { u"cmdKigo", Button, 0, u"\u266A", 120, 480, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 87 }, // ♪
    { u"cmdKigo", Button, 1, u"\u203B", 120, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 88 }, // ※
    { u"cmdKigo", Button, 2, u"\u25CE", 480, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 89 }, // ◎
    { u"cmdKigo", Button, 3, u"\u25CF", 840, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 90 }, // ●
    { u"cmdKigo", Button, 4, u"\u2606", 1200, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 91 }, // ☆
    { u"cmdKigo", Button, 5, u"\u2605", 1560, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 92 }, // ★
    { u"cmdKigo", Button, 6, u"\u30FB", 7080, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 103 }, // ・
    { u"cmdKigo", Button, 7, u"\u2025", 7440, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 104 }, // ‥
    { u"cmdKigo", Button, 8, u"\u30FC", 7800, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 105 }, // ー
    { u"cmdKigo", Button, 9, u"\uFF5E", 8160, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 106 }, // ～
    { u"cmdKigo", Button, 10, u"\uFF01", 8520, 100, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 107 }, // ！
    { u"cmdKigo", Button, 11, u"\uFF1F", 8520, 480, 300, 300, SymbolFont, MidGrey, Pointer::Arrow, 108 }, // ？
    { u"cmdKigo", Button, 12, u"\uFF08", 1540, 2040, 250, 300, SymbolFont, MidGrey, Pointer::Arrow, 69 }, // （
    { u"cmdKigo", Button, 13, u"\uFF09", 1850, 2040, 250, 300, SymbolFont, MidGrey, Pointer::Arrow, 70 }, // ）
    { u"cmdKigo", Button, 14, u"\u300C", 1540, 3240, 250, 300, SymbolFont, MidGrey, Pointer::Arrow, 73 }, // 「
    { u"cmdKigo", Button, 15, u"\u300D", 1850, 3240, 250, 300, SymbolFont, MidGrey, Pointer::Arrow, 74 }, // 」
    // The bottom row: explanation, face marks, space and the commands.
    { u"cmdBun", Button, ui::NoIndex, u"\u8AAC\u660E\u3092 \u51FA\u3059", 120, 4440, 700, 492, FaceMarkFont, MidGrey, Pointer::Inherit, 109 }, // 説明を 出す
    { u"cmdEmoji1", Button, ui::NoIndex, u"\uFF3C(^o^)\uFF0F", 900, 4440, 950, 330, FaceMarkFont, MidGrey, Pointer::Inherit, 110 }, // ＼(^o^)／
    { u"cmdEmoji2", Button, ui::NoIndex, u"\uFF4D(_ _)\uFF4D", 1920, 4440, 900, 330, FaceMarkFont, MidGrey, Pointer::Inherit, 111 }, // ｍ(_ _)ｍ
    { u"cmdEmoji3", Button, ui::NoIndex, u"(^-^)/~~", 2920, 4440, 950, 330, FaceMarkFont, MidGrey, Pointer::Inherit, 112 },
    { u"cmdSpce", Button, ui::NoIndex, u"\u7A7A\u767D", 4000, 4440, 550, 492, SpaceFont, MidGrey, Pointer::Inherit, 113 }, // 空白
    { u"cmdCopy", Button, ui::NoIndex, u"\u30B3\u30D4\u30FC", 4650, 4440, 1050, 492, SmallFont, MidGrey, Pointer::Inherit, 114 }, // コピー
    { u"cmdClr", Button, ui::NoIndex, u"\uFF11\u5B57\u6D88", 5800, 4440, 1050, 492, SmallFont, MidGrey, Pointer::Inherit, 115, u"\u30AB\u30FC\u30BD\u30EB\u306E\u53F3\u3092\u6D88\u3057\u307E\u3059" /* カーソルの右を消します */ }, // １字消
    { u"cmdClrall", Button, ui::NoIndex, u"\u5168\u6D88\u53BB", 6930, 4440, 1050, 492, SmallFont, MidGrey, Pointer::Inherit, 116 }, // 全消去
    { u"cmdEND", Button, ui::NoIndex, u"\u7D42", 8100, 4440, 732, 492, EndFont, MidGrey, Pointer::Arrow, 117 }, // 終
    // Names under the face-mark keys; they react to nothing and never take the focus.
    { u"lblEmoji1", Label, ui::NoIndex, u"\u3070\u3093\u3056\uFF5E\u3044", 900, 4800, 996, 252, FaceMarkFont, ui::SystemButtonFace, Pointer::Inherit, ui::NoTabStop, {}, true }, // ばんざ～い
    { u"lblEmoji2", Label, ui::NoIndex, u"\u3054\u3081\u3093\u306D", 2000, 4800, 800, 252, FaceMarkFont, ui::SystemButtonFace, Pointer::Inherit, ui::NoTabStop, {}, true }, // ごめんね
    { u"lblEmoji3", Label, ui::NoIndex, u"\u3055\u3088\u306A\u3089", 3000, 4800, 800, 252, FaceMarkFont, ui::SystemButtonFace, Pointer::Inherit, ui::NoTabStop, {}, true }, // さよなら
});

constexpr std::array Lines = std::to_array<ui::LineDef>({
    { u"Line1", 480, 4370, 8520, 4370, 5, DarkGreen },
});
// clang-format on

} // namespace

const ui::FormDef FrmKyBodDefinition {
    u"FrmKyBod",
    u"\u30AD\u30FC\u30DC\u30FC\u30C9" /* キーボード */,
    8976,
    5028,
    1848,
    3408,
    Green,
    {},
    Pointer::Ring,
    true,
    Controls,
    Lines,
};

} // namespace keyboard
