// SPDX-License-Identifier: GPL-3.0-or-later
// The desktop's side effects (clipboard, beep, ending the program) behind one small interface, so that no
// window touches QClipboard or QApplication directly and tests can record or refuse them.
#pragma once

#include <QString>

namespace ui {

class Desktop {
public:
    virtual ~Desktop() = default;

    // The clipboard and the beep are checked against the fault hook first and throw PlatformError when refused.
    void clearClipboard();
    void setClipboardText(const QString &text);
    void beep();
    // Closes every window and leaves the event loop normally, so the clipboard can be handed to a manager, or to
    // the program's own holder where none runs (see ClipboardHolder.h). Not checked: ending must never be refused,
    // or the user could not quit.
    void endApplication();

protected:
    virtual void doClearClipboard() = 0;
    // Returns false when the platform did not take the text.
    virtual bool doSetClipboardText(const QString &text) = 0;
    virtual void doBeep() = 0;
    virtual void doEndApplication() = 0;
};

// The real desktop, through Qt.
class QtDesktop final : public Desktop {
protected:
    void doClearClipboard() override;
    bool doSetClipboardText(const QString &text) override;
    void doBeep() override;
    void doEndApplication() override;
};

} // namespace ui
