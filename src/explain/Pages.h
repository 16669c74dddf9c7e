// SPDX-License-Identifier: GPL-3.0-or-later
// The explanation pages and the notice as windows.
#pragma once

#include "ui/Form.h"

namespace explain {

class Explanation;

extern const ui::FormDef FrmBun3aDefinition;
extern const ui::FormDef FrmBun3bDefinition;
extern const ui::FormDef FrmBun3cDefinition;
extern const ui::FormDef FrmBun3dDefinition;

class FrmBun3a : public ui::Form {
    Q_OBJECT
public:
    explicit FrmBun3a(Explanation &explanation);

private:
    Explanation &m_explanation;
};

class FrmBun3b : public ui::Form {
    Q_OBJECT
public:
    explicit FrmBun3b(Explanation &explanation);

private:
    Explanation &m_explanation;
};

class FrmBun3c : public ui::Form {
    Q_OBJECT
public:
    explicit FrmBun3c(Explanation &explanation);

private:
    Explanation &m_explanation;
};

class FrmBun3d : public ui::Form {
    Q_OBJECT
public:
    FrmBun3d();
};

} // namespace explain
