// SPDX-License-Identifier: GPL-3.0-or-later
// What a window contains is data: one constant table per window, in the units the windows were designed in.
// ui::Form::build is the only code that turns such a table into widgets.
#pragma once

#include "Units.h"

#include <QStringView>
#include <span>

namespace ui {

enum class ControlKind {
    Button,
    Label,
    TextBox,
    Picture,
    CheckBox, // the caption beside the box
    Choice, // a drop-down list: the caption holds its items, one a line
    Number, // a number from minimum to maximum in steps, shown with as many decimals as the step has
};

enum class Pointer {
    Inherit, // the pointer of the control's window
    Arrow, // the platform's standard arrow
    Ring, // red ring of the keyboard window
    BarArrow, // bar and arrow of the text field
    Ryokai, // 了解 tile of the notice
};

struct FontDef {
    QStringView face; // empty: the window's font
    double points = 0;
    bool bold = false;
    bool underline = false;
};

inline constexpr int NoIndex = -1;
inline constexpr int NoTabStop = -1;

struct ControlDef {
    QStringView name;
    ControlKind kind;
    int index; // element of a control array, or NoIndex
    QStringView caption = {}; // caption, label text, or the picture's resource name; none for a text box
    int left, top, width, height; // twips
    FontDef font;
    ColorValue backColor; // buttons and text boxes
    Pointer pointer;
    int tabOrder; // NoTabStop for controls that never take the focus
    QStringView toolTip = {};
    bool centred = false; // labels: centred text
    ColorValue foreColor = SystemButtonText; // labels
    int maxLength = 32767; // text boxes
    bool visible = true; // shown when the window is created
    double minimum = 0, maximum = 0, step = 0; // numbers
    QStringView accessibleName = {}; // what a screen reader names a control whose caption does not say it
};

struct LineDef {
    QStringView name;
    int x1, y1, x2, y2; // twips
    int widthPixels;
    ColorValue color;
};

struct FormDef {
    QStringView name;
    QStringView caption;
    int clientWidth, clientHeight; // twips
    int designedLeft, designedTop; // twips from the screen's top-left corner
    ColorValue backColor;
    FontDef font = {}; // face empty: the platform's default
    Pointer pointer;
    bool hasIcon = false;
    std::span<const ControlDef> controls;
    std::span<const LineDef> lines;
};

} // namespace ui
