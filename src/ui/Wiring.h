// SPDX-License-Identifier: GPL-3.0-or-later
// Connects a window's controls to its handlers, one line per control, each handler guarded and named as the
// failure reports print it. A window's wiring then reads as a table: control, click handler, pointer-move handler.
#pragma once

#include "Platform.h"

#include <QObject>
#include <type_traits>

namespace ui {

// A handler of a window and the name a failure report gives it.
template<typename Window, typename... Args> struct Handler {
    const char *name;
    void (Window::*function)(Args...);
};

template<typename Window, typename... Args>
constexpr Handler<Window, Args...> named(const char *name, void (Window::*function)(Args...))
{
    return { name, function };
}

// No handler for that event.
struct NoHandler { };
inline constexpr NoHandler None;

// A control's clicks and pointer moves to two handlers of its window; either may be None. The control is any
// with clicked and mouseMoved notifications: a button, a picture, the text field, or a control array, whose
// handlers take the element's index.
template<typename Window, typename Control, typename Click, typename Move>
void wire(Window *window, Control *control, Click click, Move move)
{
    if constexpr (!std::is_same_v<Click, NoHandler>)
        QObject::connect(control, &Control::clicked, window, guarded(click.name, window, click.function));
    if constexpr (!std::is_same_v<Move, NoHandler>)
        QObject::connect(control, &Control::mouseMoved, window, guarded(move.name, window, move.function));
}

// Any other notification to a handler of the window.
template<typename Window, typename Sender, typename Signal, typename... Args>
void wireSignal(Window *window, Sender *sender, Signal signal, Handler<Window, Args...> handler)
{
    QObject::connect(sender, signal, window, guarded(handler.name, window, handler.function));
}

} // namespace ui

// The handler of the window being wired (`this`) that has this name, named so in failure reports.
#define UI_ON(name) ::ui::named(#name, &std::remove_pointer_t<decltype(this)>::name)
