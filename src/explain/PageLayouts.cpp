// SPDX-License-Identifier: GPL-3.0-or-later
// The explanation pages and the notice as data.
#include "Pages.h"
#include "ui/Fonts.h"

namespace explain {

namespace {
constexpr ui::ColorValue Green = 0x00D000;
constexpr ui::ColorValue LightGreen = 0x80FF80;
constexpr ui::ColorValue Pink = 0xC0C0FF;
} // namespace

const ui::FormDef FrmBun3aDefinition {
    u"FrmBun3a",
    u"\u8AAC\u660E\u30FC\uFF11" /* 説明ー１ */,
    7296,
    2400,
    2604,
    660,
    Green,
    { ui::FaceGothic, 13.8 },
    ui::Pointer::Arrow,
    false,
    {},
    {},
};

const ui::FormDef FrmBun3bDefinition {
    u"FrmBun3b",
    u"\u8AAC\u660E\u30FC\uFF12" /* 説明ー２ */,
    7296,
    2400,
    2604,
    648,
    LightGreen,
    { ui::FacePGothic, 12, true },
    ui::Pointer::Arrow,
    false,
    {},
    {},
};

const ui::FormDef FrmBun3cDefinition {
    u"FrmBun3c",
    u"\u8AAC\u660E\u30FC\uFF13" /* 説明ー３ */,
    7296,
    2400,
    2604,
    648,
    LightGreen,
    {},
    ui::Pointer::Arrow,
    false,
    {},
    {},
};

const ui::FormDef FrmBun3dDefinition {
    u"FrmBun3d",
    u"\u8AAC\u660E\u30FC\uFF14" /* 説明ー４ */,
    2772,
    1800,
    4932,
    2664,
    Pink,
    {},
    ui::Pointer::Ryokai,
    false,
    {},
    {},
};

} // namespace explain
