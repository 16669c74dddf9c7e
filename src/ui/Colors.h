// SPDX-License-Identifier: GPL-3.0-or-later
// The program's colours, each written once and named by what it colours: the window tables, the handlers that
// light keys and windows up, and the drawing tool that pictures the windows all take them from here.
#pragma once

#include "Units.h"

namespace ui {

// Window faces. The keyboard and page 1 open green and turn bright green once the pointer moves over their bare
// surface; pages 2 and 3 are bright green from the start.
inline constexpr ColorValue WindowStart = 0x00D000;
inline constexpr ColorValue WindowBright = 0x80FF80;
inline constexpr ColorValue NoticeFace = 0xC0C0FF; // pink

// Keys and the pages' buttons: the keys, the text field and page 1's buttons open grey; once the pointer has lit one,
// the others rest light grey; under the pointer a key or button is white (the text field too), and 終 red.
inline constexpr ColorValue KeyStart = 0x808080;
inline constexpr ColorValue KeyRest = 0xC0C0C0;
inline constexpr ColorValue KeyHover = 0xFFFFFF;
inline constexpr ColorValue EndKeyHover = 0x0000FF;
inline constexpr ColorValue NoticeButton = 0x8080FF; // salmon
// The candidate window marks the segment being converted and the candidate chosen for it pale yellow.
inline constexpr ColorValue CandidateChosen = 0x80FFFF;

// The lines drawn on the windows: the light and dark edges of the pages, the notice's red edges, and the
// keyboard's line above its bottom row.
inline constexpr ColorValue LineLight = 0xFFFFFF;
inline constexpr ColorValue LineGreen = 0x008000;
inline constexpr ColorValue LineDeepGreen = 0x004000;
inline constexpr ColorValue LineRed = 0x0000C0;
inline constexpr ColorValue LineDarkRed = 0x000080;
inline constexpr ColorValue LineDeepRed = 0x000040;

} // namespace ui
