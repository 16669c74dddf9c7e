// SPDX-License-Identifier: GPL-3.0-or-later
// The colours the windows show, written down once for every test: a test compares a face with what a user would
// call it, not with whatever the program's tables say.
#pragma once

#include <QColor>

inline const QColor Initial(128, 128, 128); // keys, field and page buttons before the pointer first comes
inline const QColor Rest(192, 192, 192); // keys and buttons once the pointer has passed
inline const QColor Hover(255, 255, 255); // the key or button under the pointer
inline const QColor Red(255, 0, 0); // 終 under the pointer
inline const QColor Green(0, 208, 0); // the keyboard and page 1 at start
inline const QColor LightGreen(128, 255, 128); // once the pointer crossed the surface; pages 2 and 3 always
inline const QColor DarkGreen(0, 128, 0); // the windows' lines
inline const QColor NoticeBack(255, 192, 192);
inline const QColor NoticeButton(255, 128, 128);
