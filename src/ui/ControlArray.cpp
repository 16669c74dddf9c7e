// SPDX-License-Identifier: GPL-3.0-or-later
// The button group behind an array of buttons.
#include "ControlArray.h"

#include <QButtonGroup>

namespace ui {

void ControlArrayBase::addButton(QAbstractButton *button, std::int16_t index)
{
    if (!m_group) {
        m_group = new QButtonGroup(this);
        m_group->setExclusive(false);
        connect(m_group, &QButtonGroup::idClicked, this, [this](int at) { Q_EMIT clicked(std::int16_t(at)); });
    }
    m_group->addButton(button, index);
}

} // namespace ui
