// SPDX-License-Identifier: GPL-3.0-or-later
// Switch scanning over the groups the keyboard gives. A switch press is taken before the window sees it, so that
// Space or Enter never types into the field and a mouse press never clicks while the scan runs; a picked key is
// clicked as the pointer clicks it, so that an open conversion is taken first.
#include "Scanner.h"

#include "assist/Clock.h"
#include "ui/Controls.h"

#include <QAccessible>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <algorithm>
#include <cmath>

namespace assist {

namespace {

// A group not picked after the highlight went round it this often is left for the groups again.
constexpr int CyclesInGroup = 2;

} // namespace

Scanner::Scanner(AccessOptions &options, Clock &clock, Groups groups, QObject *parent)
    : QObject(parent)
    , m_options(options)
    , m_clock(&clock)
    , m_groupsOf(std::move(groups))
{
    connect(&m_options, &AccessOptions::changed, this, &Scanner::apply);
    apply();
}

Scanner::~Scanner()
{
    if (m_clock)
        m_clock->stop(m_timer);
    unmark();
}

void Scanner::watch(QWidget *window, bool mouse)
{
    m_windows.push_back({ window, mouse });
}

void Scanner::setClock(Clock &clock)
{
    if (m_clock)
        m_clock->stop(m_timer);
    m_clock = &clock;
    startTimer();
}

void Scanner::apply()
{
    m_mode = m_options.current().scan;
    if (m_mode == ScanMode::Off) {
        if (m_clock)
            m_clock->stop(m_timer);
        unmark();
        m_groups.clear();
        if (std::exchange(m_filtering, false))
            QCoreApplication::instance()->removeEventFilter(this);
        return;
    }
    // Only while scanning: with it off no event passes through here.
    if (!std::exchange(m_filtering, true))
        QCoreApplication::instance()->installEventFilter(this);
    restart();
}

void Scanner::restart()
{
    m_groups = m_groupsOf();
    m_group = 0;
    m_key = 0;
    m_inGroup = false;
    m_wraps = 0;
    m_fresh = true;
    show();
    startTimer();
}

void Scanner::groupsChanged()
{
    if (m_mode == ScanMode::Off || m_inGroup)
        return;
    m_groups = m_groupsOf();
    if (m_fresh)
        m_group = 0;
    m_group = std::min(m_group, std::max(0, int(m_groups.size()) - 1));
    show();
}

void Scanner::startTimer()
{
    if (!m_clock)
        return;
    if (m_mode != ScanMode::Automatic) {
        m_clock->stop(m_timer);
        return;
    }
    const int ms = int(std::lround(m_options.current().scanSeconds * 1000));
    m_clock->start(m_timer, ms, [this] { tick(); });
}

void Scanner::tick()
{
    step();
    startTimer();
}

void Scanner::step()
{
    m_fresh = false;
    if (!m_inGroup) {
        m_groups = m_groupsOf();
        if (!m_groups.empty())
            m_group = (m_group + 1) % int(m_groups.size());
    } else if (++m_key >= int(m_groups.at(std::size_t(m_group)).keys.size())) {
        m_key = 0;
        if (++m_wraps >= CyclesInGroup) {
            m_inGroup = false;
            m_groups = m_groupsOf();
            m_group = std::min(m_group, std::max(0, int(m_groups.size()) - 1));
        }
    }
    show();
}

void Scanner::move()
{
    if (m_mode == ScanMode::Automatic) {
        pick();
    } else if (m_mode == ScanMode::StepByStep) {
        step();
    }
}

void Scanner::pick()
{
    if (m_mode == ScanMode::Off || m_groups.empty())
        return;
    if (!m_inGroup) {
        m_inGroup = true;
        m_key = 0;
        m_wraps = 0;
        m_fresh = false;
        show();
        startTimer();
        return;
    }
    QPointer<ui::Button> key = m_groups.at(std::size_t(m_group)).keys.at(std::size_t(m_key));
    unmark();
    if (m_clock)
        m_clock->stop(m_timer);
    if (key && key->isVisibleTo(key->window()))
        key->click();
    // The click may have ended scanning (a settings window) or the program.
    if (m_mode != ScanMode::Off)
        restart();
}

std::vector<ui::Button *> Scanner::highlighted() const
{
    if (m_mode == ScanMode::Off || m_groups.empty())
        return {};
    const ScanGroup &group = m_groups.at(std::size_t(m_group));
    if (m_inGroup)
        return { group.keys.at(std::size_t(m_key)) };
    return group.keys;
}

void Scanner::unmark()
{
    for (const QPointer<ui::Button> &button : m_marked) {
        if (button)
            button->setScanMarked(false);
    }
    m_marked.clear();
}

void Scanner::show()
{
    // First among the program's filters again: one installed since (an open conversion's watch for presses
    // elsewhere) would otherwise see a switch press as a click.
    if (m_filtering)
        QCoreApplication::instance()->installEventFilter(this);
    unmark();
    const std::vector<ui::Button *> keys = highlighted();
    if (keys.empty())
        return;
    for (ui::Button *key : keys) {
        key->setScanMarked(true);
        m_marked.emplace_back(key);
    }
    ui::Button *first = keys.front();
    const QString name = m_inGroup ? (first->accessibleName().isEmpty() ? first->text() : first->accessibleName())
                                   : m_groups.at(std::size_t(m_group)).name;
    // Said as the focus coming to the key, while the keyboard's focus stays in the text field.
    if (QAccessible::isActive()) {
        QAccessibleEvent event(first, QAccessible::Focus);
        QAccessible::updateAccessibility(&event);
    }
    if (onHighlight)
        onHighlight(name);
}

bool Scanner::isWatched(QObject *object, bool mouse) const
{
    if (!object->isWidgetType())
        return false;
    const QWidget *window = static_cast<QWidget *>(object)->window();
    return std::any_of(m_windows.begin(), m_windows.end(),
        [&](const Watched &w) { return w.window == window && (w.mouse || !mouse); });
}

bool Scanner::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        const auto *key = static_cast<QKeyEvent *>(event);
        const AccessSettings &settings = m_options.current();
        const bool moves = key->key() == settings.moveKey, picks = key->key() == settings.pickKey;
        // With a modifier the key is the user's own (Shift+Space, Ctrl+Enter); while a control grabs the keys (a
        // switch key being chosen in the settings) they are its own.
        if ((!moves && !picks) || (key->modifiers() & ~Qt::KeypadModifier) || QWidget::keyboardGrabber()
            || !isWatched(watched, false))
            return false;
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept();
        } else if (event->type() == QEvent::KeyPress && !key->isAutoRepeat()) {
            if (moves)
                move();
            else
                pick();
        }
        return true;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseButtonRelease:
        if (!m_options.current().mouseSwitch || !isWatched(watched, true))
            return false;
        if (event->type() != QEvent::MouseButtonRelease) {
            // With two switches the right button moves and any other picks.
            if (m_mode == ScanMode::StepByStep && static_cast<QMouseEvent *>(event)->button() == Qt::RightButton)
                move();
            else
                pick();
        }
        return true;
    case QEvent::ContextMenu:
        return static_cast<QContextMenuEvent *>(event)->reason() == QContextMenuEvent::Mouse
            && m_options.current().mouseSwitch && isWatched(watched, true);
    default:
        return false;
    }
}

} // namespace assist
