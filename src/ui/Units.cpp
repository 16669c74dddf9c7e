// SPDX-License-Identifier: GPL-3.0-or-later
// Colour conversion; the system colours follow the desktop's palette.
#include "Units.h"

#include <QGuiApplication>
#include <QPalette>

namespace ui {

QColor toQColor(ColorValue value)
{
    if (value & 0x80000000u) {
        const QPalette palette = QGuiApplication::palette();
        switch (value & 0xFFu) {
        case 0x05:
            return palette.color(QPalette::Base);
        case 0x08:
            return palette.color(QPalette::Text);
        case 0x0F:
            return palette.color(QPalette::Button);
        case 0x12:
            return palette.color(QPalette::ButtonText);
        default:
            return palette.color(QPalette::Window);
        }
    }
    return QColor(toRgb(value));
}

} // namespace ui
