// SPDX-License-Identifier: GPL-3.0-or-later
// Wiring of a button array: a button group for clicks, the element's index for pointer moves.
#include "ButtonArray.h"

#include <QButtonGroup>

namespace ui {

ButtonArray::ButtonArray(std::vector<Button *> elements, QObject *parent)
    : QObject(parent)
    , m_elements(std::move(elements))
    , m_group(new QButtonGroup(this))
{
    m_group->setExclusive(false);
    for (std::size_t index = 0; index < m_elements.size(); ++index) {
        Button *element = m_elements[index];
        m_group->addButton(element, int(index));
        connect(element, &Button::mouseMoved, this, [this, index] { Q_EMIT mouseMoved(std::int16_t(index)); });
    }
    connect(m_group, &QButtonGroup::idClicked, this, [this](int index) { Q_EMIT clicked(std::int16_t(index)); });
}

} // namespace ui
