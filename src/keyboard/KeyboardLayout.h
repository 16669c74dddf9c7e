// SPDX-License-Identifier: GPL-3.0-or-later
// The table the keyboard window is built from.
#pragma once

#include "ui/FormTable.h"

namespace keyboard {

inline constexpr int MaxLength = 16; // the field's own limit; the keys keep the text at 15

extern const ui::FormDef FrmKyBodDefinition;

} // namespace keyboard
