// SPDX-License-Identifier: GPL-3.0-or-later
// The settings window as data: dwell and its time, scanning with its interval and switches, speech with the reason
// it cannot be had. Captions are written as code points, with the characters beside.
#include "assist/FrmSettei.h"
#include "ui/Colors.h"
#include "ui/Fonts.h"

#include <array>

namespace assist {

namespace {

using ui::Pointer;

constexpr ui::FontDef TextFont { ui::FaceRoundedGothic, 12 };
constexpr ui::FontDef SmallFont { ui::FaceRoundedGothic, 10 };

// clang-format off
constexpr std::array Controls = std::to_array<ui::ControlDef>({
    { u"chkDwell", ui::ControlKind::CheckBox, ui::NoIndex, u"\u30DD\u30A4\u30F3\u30BF\u3092\u6B62\u3081\u3066\u62BC\u3059", // ポインタを止めて押す
        240, 200, 4260, 440, TextFont, ui::WindowBright, Pointer::Inherit, 1, {}, false, ui::SystemWindowText, 32767, true },
    { u"numDwell", ui::ControlKind::Number, ui::NoIndex, {}, // 止める時間
        4560, 200, 1200, 440, TextFont, ui::WindowBright, Pointer::Inherit, 2, {}, false, ui::SystemWindowText, 32767, true, AccessSettings::MinDwellSeconds, AccessSettings::MaxDwellSeconds, 0.1, u"\u6B62\u3081\u308B\u6642\u9593" },
    { u"lblScan", ui::ControlKind::Label, ui::NoIndex, u"\u30B9\u30AD\u30E3\u30F3", // スキャン
        240, 860, 1200, 400, TextFont, ui::WindowBright, Pointer::Inherit, ui::NoTabStop, {}, false, ui::SystemWindowText, 32767, true },
    { u"cboScan", ui::ControlKind::Choice, ui::NoIndex, u"\u3057\u306A\u3044\n\u81EA\u52D5\uFF08\u30B9\u30A4\u30C3\u30C1\uFF11\u3064\uFF09\n\uFF11\u6B69\u305A\u3064\uFF08\u30B9\u30A4\u30C3\u30C1\uFF12\u3064\uFF09", // しない / 自動（スイッチ１つ） / １歩ずつ（スイッチ２つ） / スキャン
        1440, 800, 3060, 440, TextFont, ui::WindowBright, Pointer::Inherit, 3, {}, false, ui::SystemWindowText, 32767, true, 0, 0, 0, u"\u30B9\u30AD\u30E3\u30F3" },
    { u"numScan", ui::ControlKind::Number, ui::NoIndex, {}, // スキャンの間隔
        4560, 800, 1200, 440, TextFont, ui::WindowBright, Pointer::Inherit, 4, {}, false, ui::SystemWindowText, 32767, true, AccessSettings::MinScanSeconds, AccessSettings::MaxScanSeconds, 0.1, u"\u30B9\u30AD\u30E3\u30F3\u306E\u9593\u9694" },
    { u"lblMoveKey", ui::ControlKind::Label, ui::NoIndex, u"\u9032\u3081\u308B\u30AD\u30FC", // 進めるキー
        600, 1460, 1500, 400, TextFont, ui::WindowBright, Pointer::Inherit, ui::NoTabStop, {}, false, ui::SystemWindowText, 32767, true },
    { u"cmdMoveKey", ui::ControlKind::Button, ui::NoIndex, {}, // 進めるキー
        2100, 1380, 2400, 480, TextFont, ui::KeyRest, Pointer::Inherit, 5, {}, false, ui::SystemWindowText, 32767, true, 0, 0, 0, u"\u9032\u3081\u308B\u30AD\u30FC" },
    { u"lblPickKey", ui::ControlKind::Label, ui::NoIndex, u"\u9078\u3076\u30AD\u30FC", // 選ぶキー
        600, 2060, 1500, 400, TextFont, ui::WindowBright, Pointer::Inherit, ui::NoTabStop, {}, false, ui::SystemWindowText, 32767, true },
    { u"cmdPickKey", ui::ControlKind::Button, ui::NoIndex, {}, // 選ぶキー
        2100, 1980, 2400, 480, TextFont, ui::KeyRest, Pointer::Inherit, 6, {}, false, ui::SystemWindowText, 32767, true, 0, 0, 0, u"\u9078\u3076\u30AD\u30FC" },
    { u"chkMouse", ui::ControlKind::CheckBox, ui::NoIndex, u"\u30DE\u30A6\u30B9\u306E\u30DC\u30BF\u30F3\u3082\u30B9\u30A4\u30C3\u30C1\u306B\u3059\u308B", // マウスのボタンもスイッチにする
        600, 2580, 5160, 440, TextFont, ui::WindowBright, Pointer::Inherit, 7, {}, false, ui::SystemWindowText, 32767, true },
    { u"chkSpeech", ui::ControlKind::CheckBox, ui::NoIndex, u"\u8AAD\u307F\u4E0A\u3052\u308B", // 読み上げる
        240, 3180, 5520, 440, TextFont, ui::WindowBright, Pointer::Inherit, 8, {}, false, ui::SystemWindowText, 32767, true },
    { u"lblSpeech", ui::ControlKind::Label, ui::NoIndex, {},
        600, 3660, 5160, 660, SmallFont, ui::WindowBright, Pointer::Inherit, ui::NoTabStop, {}, false, ui::SystemWindowText, 32767, true },
    { u"cmdTojiru", ui::ControlKind::Button, ui::NoIndex, u"\u9589\u3058\u308B", // 閉じる
        4440, 4440, 1320, 520, TextFont, ui::KeyRest, Pointer::Inherit, 9, {}, false, ui::SystemWindowText, 32767, true },
});
// clang-format on

} // namespace

const ui::FormDef FrmSetteiDefinition {
    .name = u"FrmSettei",
    .caption = u"\u8A2D\u5B9A", // 設定
    .clientWidth = 6000,
    .clientHeight = 5160,
    .designedLeft = 0, // placed beside the keyboard when opened
    .designedTop = 0,
    .backColor = ui::WindowBright,
    .font = TextFont,
    .pointer = Pointer::Arrow,
    .controls = Controls,
    .lines = {},
};

} // namespace assist
