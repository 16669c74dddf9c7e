// SPDX-License-Identifier: GPL-3.0-or-later
// The explanation pages and the notice.
#include "Pages.h"

#include "Explanation.h"

namespace explain {

FrmBun3a::FrmBun3a(Explanation &explanation)
    : ui::Form(FrmBun3aDefinition)
    , m_explanation(explanation)
{ }

FrmBun3b::FrmBun3b(Explanation &explanation)
    : ui::Form(FrmBun3bDefinition)
    , m_explanation(explanation)
{ }

FrmBun3c::FrmBun3c(Explanation &explanation)
    : ui::Form(FrmBun3cDefinition)
    , m_explanation(explanation)
{ }

FrmBun3d::FrmBun3d()
    : ui::Form(FrmBun3dDefinition)
{ }

} // namespace explain
