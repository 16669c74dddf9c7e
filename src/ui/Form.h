// SPDX-License-Identifier: GPL-3.0-or-later
// A window built from its table: it owns the controls, paints its background and edge lines, and reports
// pointer moves over its bare surface. Closing it by its frame only hides it (it is never deleted on close),
// so it comes back unchanged; and a close never refuses, so the application can always quit.
// A window with an owner belongs to it, as a dialog does: the window manager keeps it above its owner, gives it no
// taskbar entry of its own and minimises it with the owner. It is still neither modal nor parented: the owner's
// life does not decide its own.
#pragma once

#include "FormTable.h"

#include <QCursor>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace ui {

class Form : public QWidget {
    Q_OBJECT
public:
    // `flags` replaces the kind of window: by default a plain window, or a dialog when it has an owner.
    explicit Form(const FormDef &definition, QWidget *owner = nullptr, Qt::WindowFlags flags = {});

    const FormDef &definition() const { return m_definition; }

    QColor backColor() const { return m_backColor; }
    // Checked platform operations: each throws PlatformError when refused.
    void setBackColor(const QColor &color);
    void showWindow();
    void hideWindow();
    // Shows the window again if it was hidden or minimised, raises it and asks the desktop to make it active.
    void bringToFront();
    // Tells the window manager never to give this window the focus, not even by asking it first (X11's "no input"
    // model), so that it never stands between the user and the window it belongs to. Call before it first shows.
    void refuseFocusFromWindowManager();
    // Keeps a window that has no owner for the window manager out of task bars and pagers (X11). Call before it
    // first shows.
    void keepOffTaskbar();

    void setVisible(bool visible) override;

    // The control built from the table row with this name and array index. A name the table lacks or a control of
    // another kind is a fault of the window's code: the program ends at once, naming the window and the control,
    // when the window is built, rather than crash later wherever the control is first used.
    template<typename T> T *control(QStringView name, int index = NoIndex) const
    {
        QWidget *widget = find(name, index);
        T *typed = qobject_cast<T *>(widget);
        if (!typed)
            wrongControl(name, index, widget, T::staticMetaObject.className());
        return typed;
    }

    // The elements of a control array, in index order; an index the table lacks is null. Checked as control is.
    template<typename T> std::vector<T *> controlArray(QStringView name) const
    {
        std::vector<T *> elements;
        for (const Built &built : m_controls) {
            if (built.definition->name == name && built.definition->index != NoIndex) {
                T *typed = qobject_cast<T *>(built.widget);
                if (!typed)
                    wrongControl(name, built.definition->index, built.widget, T::staticMetaObject.className());
                if (elements.size() <= std::size_t(built.definition->index))
                    elements.resize(std::size_t(built.definition->index) + 1);
                elements[std::size_t(built.definition->index)] = typed;
            }
        }
        if (elements.empty())
            wrongControl(name, NoIndex, nullptr, T::staticMetaObject.className(), true);
        return elements;
    }

Q_SIGNALS:
    void surfaceMouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    struct Built {
        const ControlDef *definition;
        QWidget *widget;
    };

    QWidget *find(QStringView name, int index) const;
    [[noreturn]] void wrongControl(
        QStringView name, int index, const QWidget *found, const char *expected, bool array = false) const;
    void build();
    QCursor pointer(Pointer kind);

    const FormDef &m_definition;
    QWidget *const m_owner;
    QColor m_backColor;
    std::vector<Built> m_controls;
};

QFont toQFont(const FontDef &font);
// The pointer's image at the given device pixel ratio.
QCursor toQCursor(Pointer pointer, qreal devicePixelRatio = 1);

// A secondary window: one instance, created the first time it is needed, never destroyed before the end.
template<typename T> class SingleInstance {
public:
    explicit SingleInstance(std::function<std::unique_ptr<T>()> create)
        : m_create(std::move(create))
    { }

    T &get()
    {
        if (!m_instance)
            m_instance = m_create();
        return *m_instance;
    }
    T *ifCreated() const { return m_instance.get(); }

private:
    std::function<std::unique_ptr<T>()> m_create;
    std::unique_ptr<T> m_instance;
};

} // namespace ui
