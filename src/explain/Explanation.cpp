// SPDX-License-Identifier: GPL-3.0-or-later
// Creation on first use, showing and hiding of the explanation windows.
#include "Explanation.h"

#include "Pages.h"

namespace explain {

namespace {

template<typename T> std::unique_ptr<T> told(std::unique_ptr<T> window, const std::function<void(QWidget *)> &created)
{
    if (created)
        created(window.get());
    return window;
}

} // namespace

Explanation::Explanation()
    : m_page1([this] { return told(std::make_unique<FrmBun3a>(*this), m_created); })
    , m_page2([this] { return told(std::make_unique<FrmBun3b>(*this), m_created); })
    , m_page3([this] { return told(std::make_unique<FrmBun3c>(*this), m_created); })
    , m_notice([this] { return told(std::make_unique<FrmBun3d>(m_owner), m_created); })
{ }

Explanation::~Explanation() = default;

namespace {

// A page number outside 1 to 3 is a fault in the program, never the user's doing: it stops here, before any other
// page could stand in for it.
[[noreturn]] void noSuchPage(int page)
{
    qFatal("gojuon-keyboard: there is no explanation page %d (the pages are 1, 2 and 3)", page);
}

} // namespace

ui::Form &Explanation::page(int page)
{
    switch (page) {
    case 1:
        return m_page1.get();
    case 2:
        return m_page2.get();
    case 3:
        return m_page3.get();
    }
    noSuchPage(page);
}

ui::Form *Explanation::pageIfCreated(int page) const
{
    switch (page) {
    case 1:
        return m_page1.ifCreated();
    case 2:
        return m_page2.ifCreated();
    case 3:
        return m_page3.ifCreated();
    }
    noSuchPage(page);
}

FrmBun3d &Explanation::notice()
{
    return m_notice.get();
}

FrmBun3d *Explanation::noticeIfCreated() const
{
    return m_notice.ifCreated();
}

void Explanation::showPage(int n)
{
    page(n).showWindow();
}

void Explanation::hidePage(int n)
{
    page(n).hideWindow();
}

void Explanation::showNotice()
{
    notice().showWindow();
}

void Explanation::hideNotice()
{
    notice().hideWindow();
}

} // namespace explain
