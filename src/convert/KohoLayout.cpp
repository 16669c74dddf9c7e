// SPDX-License-Identifier: GPL-3.0-or-later
// The candidate bar as data: two rows as tall as the keys, 変換 and ◀ at their start, ▶ at the end of the second,
// and the buttons of a conversion (短く 長く, 確定 取消) at the end of each row, 読み上げ and 設定 in place of 短く
// 長く outside a conversion. The entries, candidates and segments are placed by the bar as their texts need. Captions
// are written as code points, with the character beside.
#include "convert/FrmKoho.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"

#include <array>

namespace convert {

namespace {

using ui::Pointer;

constexpr ui::FontDef EntryFont { ui::FaceRoundedGothic, 15 };
constexpr ui::FontDef HenkanFont { ui::FaceRoundedGothic, 16.2 };
constexpr ui::FontDef ButtonFont { ui::FaceRoundedGothic, 12 };

// Every control is a button that never takes the focus (the keys stay with the text field), grey until marked.
constexpr ui::ControlDef button(QStringView name, int index, QStringView caption, int left, int top, int width,
    int height, const ui::FontDef &font, QStringView toolTip = {}, bool visible = true)
{
    return { name, ui::ControlKind::Button, index, caption, left, top, width, height, font, ui::KeyRest,
        Pointer::Inherit, ui::NoTabStop, toolTip, false, ui::SystemButtonText, 32767, visible };
}

// An entry or a candidate; placed along the rows as its text needs.
constexpr ui::ControlDef entry(int index)
{
    return button(u"cmdKoho", index, {}, FrmKoho::FlowLeft, FrmKoho::Row1Top, FrmKoho::RowHeight, FrmKoho::RowHeight,
        EntryFont, {}, false);
}

// A segment of the reading being converted; placed along the first row.
constexpr ui::ControlDef segment(int index)
{
    return button(u"cmdBunsetsu", index, {}, FrmKoho::FlowLeft, FrmKoho::Row1Top, FrmKoho::RowHeight,
        FrmKoho::RowHeight, EntryFont, {}, false);
}

template<std::size_t N, typename Make> constexpr std::array<ui::ControlDef, N> many(Make make)
{
    std::array<ui::ControlDef, N> controls {};
    for (std::size_t i = 0; i < N; ++i)
        controls[i] = make(int(i));
    return controls;
}

constexpr auto Entries = many<FrmKoho::EntrySlots>(entry);
constexpr auto Segments = many<FrmKoho::SegmentSlots>(segment);

constexpr int Row1 = FrmKoho::Row1Top, Row2 = FrmKoho::Row2Top, H = FrmKoho::RowHeight;

// clang-format off
constexpr std::array Fixed = std::to_array<ui::ControlDef>({
    //       name            index        caption                left  top   width height font
    button(u"cmdHenkan",    ui::NoIndex, u"\u5909\u63DB",          48, Row1,  720,  H, HenkanFont,
           u"\u9078\u3093\u3060\u304B\u306A\u3092\u6F22\u5B57\u306B\u5909\u63DB\u3057\u307E\u3059"), // 変換: 選んだかなを漢字に変換します
    button(u"cmdMae",       ui::NoIndex, u"\u25C0",                48, Row2,  720,  H, ButtonFont,
           u"\u524D\u306E\u5019\u88DC\u3092\u8868\u793A\u3057\u307E\u3059", false), // ◀ 前の候補を表示します
    button(u"cmdTsugi",     ui::NoIndex, u"\u25B6",              8208, Row2,  720,  H, ButtonFont,
           u"\u6B21\u306E\u5019\u88DC\u3092\u8868\u793A\u3057\u307E\u3059", false), // ▶ 次の候補を表示します
    button(u"cmdMijikaku",  ui::NoIndex, u"\u77ED\u304F",        7560, Row1,  672,  H, ButtonFont,
           u"\u533A\u5207\u308A\u3092\u77ED\u304F\u3057\u307E\u3059 (Shift+\u2190)", false), // 短く: 区切りを短くします
    button(u"cmdNagaku",    ui::NoIndex, u"\u9577\u304F",        8256, Row1,  672,  H, ButtonFont,
           u"\u533A\u5207\u308A\u3092\u9577\u304F\u3057\u307E\u3059 (Shift+\u2192)", false), // 長く: 区切りを長くします
    button(u"cmdKakutei",   ui::NoIndex, u"\u78BA\u5B9A",        6816, Row2,  672,  H, ButtonFont,
           u"\u3053\u306E\u6587\u5B57\u3067\u6C7A\u3081\u307E\u3059 (Enter)", false), // 確定: この文字で決めます
    button(u"cmdTorikeshi", ui::NoIndex, u"\u53D6\u6D88",        7512, Row2,  672,  H, ButtonFont,
           u"\u5909\u63DB\u3092\u3084\u3081\u3066\u304B\u306A\u306B\u623B\u3057\u307E\u3059 (Esc)", false), // 取消: 変換をやめてかなに戻します
    // Where 短く and 長く stand while converting, and shown instead of them otherwise.
    button(u"cmdYomiage",   ui::NoIndex, u"\u8AAD\u307F\u4E0A\u3052", 7152, Row1, 1080,  H, ButtonFont,
           u"\u5165\u529B\u6B04\u306E\u6587\u5B57\u3092\u8AAD\u307F\u4E0A\u3052\u307E\u3059"), // 読み上げ: 入力欄の文字を読み上げます
    button(u"cmdSettei",    ui::NoIndex, u"\u8A2D\u5B9A",        8256, Row1,  672,  H, ButtonFont,
           u"\u30C9\u30A6\u30A7\u30EB\u3001\u30B9\u30AD\u30E3\u30F3\u3001\u8AAD\u307F\u4E0A\u3052\u306E\u8A2D\u5B9A"), // 設定: ドウェル、スキャン、読み上げの設定
});

// A thin dark edge, since the window has no frame of its own.
constexpr std::array Lines = std::to_array<ui::LineDef>({
    //            x1    y1    x2    y2 width  colour
    { u"Lin1",     0,    0, 8976,    0,    1, ui::LineDeepGreen },
    { u"Lin2",     0,    0,    0, 1172,    1, ui::LineDeepGreen },
    { u"Lin3",     0, 1160, 8976, 1160,    1, ui::LineDeepGreen },
    { u"Lin4",  8964,    0, 8964, 1172,    1, ui::LineDeepGreen },
});
// clang-format on

template<std::size_t... N> constexpr auto join(const std::array<ui::ControlDef, N> &...parts)
{
    std::array<ui::ControlDef, (N + ...)> all {};
    std::size_t at = 0;
    ((std::copy(parts.begin(), parts.end(), all.begin() + std::ptrdiff_t(at)), at += N), ...);
    return all;
}

// What the bar is for, said where the entries will be, as long as there are none.
constexpr std::array Hint = std::to_array<ui::ControlDef>({
    { u"lblHint", ui::ControlKind::Label, ui::NoIndex,
        u"\u304B\u306A\u3092\u62BC\u3059\u3068\u3001\u3053\u3053\u306B\u6F22\u5B57\u306E"
        u"\u5019\u88DC\u304C\u51FA\u307E\u3059", // かなを押すと、ここに漢字の候補が出ます
        FrmKoho::FlowLeft + 96, FrmKoho::Row1Top + 132, 7200, 360, ButtonFont, ui::KeyRest, Pointer::Inherit,
        ui::NoTabStop, {}, false, ui::SystemWindowText },
});

constexpr auto Controls = join(Fixed, Hint, Entries, Segments);

} // namespace

const ui::FormDef FrmKohoDefinition {
    .name = u"FrmKoho",
    .caption = u"\u5019\u88DC", // 候補
    .clientWidth = FrmKoho::Width,
    .clientHeight = FrmKoho::Height,
    .designedLeft = 0, // docked along the keyboard's bottom edge
    .designedTop = 0,
    .backColor = ui::WindowBright,
    .pointer = Pointer::Ring,
    .controls = Controls,
    .lines = Lines,
};

} // namespace convert
