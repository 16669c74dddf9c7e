// SPDX-License-Identifier: GPL-3.0-or-later
// The candidate window as data: the segments of the reading in a row along the top, nine candidate rows, and the
// page, accept and cancel buttons along the bottom. Captions are written as code points, with the character beside.
#include "convert/FrmHenkan.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"

#include <array>

namespace convert {

namespace {

using ui::Pointer;

constexpr ui::FontDef RowFont { ui::FaceRoundedGothic, 15 };
constexpr ui::FontDef SegmentFont { ui::FaceRoundedGothic, 13.8 };
constexpr ui::FontDef ButtonFont { ui::FaceRoundedGothic, 12 };

// Every control is a button that never takes the focus (the keys stay with the text field), grey until marked.
constexpr ui::ControlDef button(QStringView name, int index, QStringView caption, int left, int top, int width,
    int height, const ui::FontDef &font, QStringView toolTip = {})
{
    return { name, ui::ControlKind::Button, index, caption, left, top, width, height, font, ui::KeyRest,
        Pointer::Inherit, ui::NoTabStop, toolTip };
}

// A segment of the reading; the window places and sizes the segments to their texts as they change.
constexpr ui::ControlDef segment(int index)
{
    return button(u"cmdBunsetsu", index, {}, 72 + 372 * index, 48, 360, 408, SegmentFont);
}

// Candidate row 1 to 9, numbered by the window.
constexpr ui::ControlDef row(int index)
{
    return button(u"cmdKoho", index, {}, 72, 504 + 384 * index, 5616, 360, RowFont);
}

// clang-format off
constexpr std::array Controls = std::to_array<ui::ControlDef>({
    segment(0), segment(1), segment(2), segment(3), segment(4), segment(5), segment(6), segment(7),
    segment(8), segment(9), segment(10), segment(11), segment(12), segment(13), segment(14),
    row(0), row(1), row(2), row(3), row(4), row(5), row(6), row(7), row(8),
    //       name            caption                 left   top   width height font
    button(u"cmdMae",       ui::NoIndex, u"\u25B2",      72, 3960,  720,  432, ButtonFont, u"\u524D\u306E\u5019\u88DC"), // ▲ 前の候補
    button(u"cmdTsugi",     ui::NoIndex, u"\u25BC",     852, 3960,  720,  432, ButtonFont, u"\u6B21\u306E\u5019\u88DC"), // ▼ 次の候補
    button(u"cmdKakutei",   ui::NoIndex, u"\u78BA\u5B9A", 3288, 3960, 1152, 432, ButtonFont,
           u"\u3053\u306E\u6587\u5B57\u3067\u6C7A\u3081\u307E\u3059 (Enter)"), // 確定: この文字で決めます
    button(u"cmdTorikeshi", ui::NoIndex, u"\u53D6\u6D88", 4536, 3960, 1152, 432, ButtonFont,
           u"\u5909\u63DB\u3092\u3084\u3081\u3066\u304B\u306A\u306B\u623B\u3057\u307E\u3059 (Esc)"), // 取消: 変換をやめてかなに戻します
});

// A thin dark edge, since the window has no frame of its own.
constexpr std::array Lines = std::to_array<ui::LineDef>({
    //            x1    y1    x2    y2 width  colour
    { u"Lin1",     0,    0, 5760,    0,    1, ui::LineDeepGreen },
    { u"Lin2",     0,    0,    0, 4464,    1, ui::LineDeepGreen },
    { u"Lin3",     0, 4452, 5760, 4452,    1, ui::LineDeepGreen },
    { u"Lin4",  5748,    0, 5748, 4464,    1, ui::LineDeepGreen },
});
// clang-format on

} // namespace

const ui::FormDef FrmHenkanDefinition {
    .name = u"FrmHenkan",
    .caption = u"\u5909\u63DB", // 変換
    .clientWidth = 5760,
    .clientHeight = 4464,
    .designedLeft = 0, // placed under the text being converted
    .designedTop = 0,
    .backColor = ui::WindowBright,
    .pointer = Pointer::Ring,
    .controls = Controls,
    .lines = Lines,
};

} // namespace convert
