// SPDX-License-Identifier: GPL-3.0-or-later
// Control arrays: controls of one name addressed by a 16-bit index, with one click and one pointer-move
// notification for the whole array, each carrying the element's index, so no handler has to ask who sent it.
#pragma once

#include "Controls.h"

#include <QObject>
#include <cstdint>
#include <type_traits>
#include <vector>

class QButtonGroup;

namespace ui {

// What every control array has that is not a template: moc needs its notifications in a class of their own.
class ControlArrayBase : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

Q_SIGNALS:
    void clicked(std::int16_t index);
    void mouseMoved(std::int16_t index);

protected:
    // Buttons number their clicks through a button group: one connection for the whole array, and the arrow keys
    // move the focus from key to key within it.
    void addButton(QAbstractButton *button, std::int16_t index);

private:
    QButtonGroup *m_group = nullptr;
};

// An array may hold only some indices (page 1's two picture arrays hold one element each, 0 and 1): the others
// are null.
template<typename Control> class ControlArray : public ControlArrayBase {
public:
    ControlArray(std::vector<Control *> elements, QObject *parent)
        : ControlArrayBase(parent)
        , m_elements(std::move(elements))
    {
        for (std::size_t index = 0; index < m_elements.size(); ++index) {
            Control *element = m_elements[index];
            if (!element)
                continue;
            const auto at = std::int16_t(index);
            if constexpr (std::is_base_of_v<QAbstractButton, Control>)
                addButton(element, at);
            else
                connect(element, &Control::clicked, this, [this, at] { Q_EMIT clicked(at); });
            connect(element, &Control::mouseMoved, this, [this, at] { Q_EMIT mouseMoved(at); });
        }
    }

    Control *operator[](std::int16_t index) const { return m_elements.at(std::size_t(index)); }
    std::int16_t size() const { return std::int16_t(m_elements.size()); }
    auto begin() const { return m_elements.begin(); }
    auto end() const { return m_elements.end(); }

private:
    std::vector<Control *> m_elements;
};

using ButtonArray = ControlArray<Button>;
using PictureArray = ControlArray<Picture>;

} // namespace ui
