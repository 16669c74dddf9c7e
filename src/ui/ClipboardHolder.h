// SPDX-License-Identifier: GPL-3.0-or-later
// On X11 a copied text lives in the program that copied it. Where no clipboard manager takes it over as the keyboard
// ends, a small detached process of the program keeps it until another program copies, as xclip does.
#pragma once

#include <QByteArrayView>

namespace ui {

// The hidden argument that starts the program as the holder; not in --help.
inline constexpr char HoldClipboardOption[] = "--hold-clipboard";
// The most the holder serves (far beyond the text field): one property each time, never in pieces.
inline constexpr qsizetype HeldTextLimit = 64 * 1024;

// Called as the program ends, while the application object still exists. On X11, when this program owns the
// clipboard with text and no clipboard manager runs on the display, starts the holder with that text on its
// standard input and returns at once. Elsewhere (Wayland, offscreen, another platform) does nothing. `display` is
// the -display option, when given.
void keepClipboardAfterEnd(QByteArrayView display);

// The holder itself: reads the text from standard input, takes the CLIPBOARD selection on the display in DISPLAY
// and serves it until another program takes the selection or the display closes. Returns the exit status.
int holdClipboard();

} // namespace ui
