// SPDX-License-Identifier: GPL-3.0-or-later
// A control array of buttons addressed by a 16-bit index: one click and one pointer-move notification for
// the whole array, each carrying the element's index.
#pragma once

#include "Controls.h"

#include <QObject>
#include <cstdint>
#include <vector>

class QButtonGroup;

namespace ui {

class ButtonArray : public QObject {
    Q_OBJECT
public:
    ButtonArray(std::vector<Button *> elements, QObject *parent);

    Button *operator[](std::int16_t index) const { return m_elements.at(std::size_t(index)); }
    std::int16_t size() const { return std::int16_t(m_elements.size()); }
    auto begin() const { return m_elements.begin(); }
    auto end() const { return m_elements.end(); }

Q_SIGNALS:
    void clicked(std::int16_t index);
    void mouseMoved(std::int16_t index);

private:
    std::vector<Button *> m_elements;
    QButtonGroup *m_group;
};

} // namespace ui
