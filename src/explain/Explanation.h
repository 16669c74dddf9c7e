// SPDX-License-Identifier: GPL-3.0-or-later
// The three explanation pages and the length-limit notice: each a single window, created the first time it is
// shown or hidden and kept until the program ends.
#pragma once

#include "ui/Form.h"

#include <functional>

namespace explain {

class FrmBun3a;
class FrmBun3b;
class FrmBun3c;
class FrmBun3d;

class Explanation {
public:
    Explanation();
    // The window the pages and the notice belong to (kept above it, minimised with it); set before the first is
    // created.
    void setOwner(QWidget *owner) { m_owner = owner; }
    QWidget *owner() const { return m_owner; }
    // Told of each page and of the notice as it is created, for whatever must follow their controls.
    void setOnCreated(std::function<void(QWidget *)> created) { m_created = std::move(created); }
    ~Explanation();
    Explanation(const Explanation &) = delete;
    Explanation &operator=(const Explanation &) = delete;

    // Pages are numbered 1 to 3 in paging order; any other number ends the program with a message, as a fault of
    // the program. Checked platform operations.
    void showPage(int page);
    void hidePage(int page);
    void showNotice();
    void hideNotice();

    // The window, created now if it does not exist yet.
    ui::Form &page(int page);
    FrmBun3d &notice();
    // The window if it has been created, else nullptr.
    ui::Form *pageIfCreated(int page) const;
    FrmBun3d *noticeIfCreated() const;

private:
    QWidget *m_owner = nullptr;
    std::function<void(QWidget *)> m_created;
    ui::SingleInstance<FrmBun3a> m_page1;
    ui::SingleInstance<FrmBun3b> m_page2;
    ui::SingleInstance<FrmBun3c> m_page3;
    ui::SingleInstance<FrmBun3d> m_notice;
};

} // namespace explain
