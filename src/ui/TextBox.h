// SPDX-License-Identifier: GPL-3.0-or-later
// A one-line text field with the classic text-box semantics the keyboard relies on: assigning the text leaves
// the caret at 0, selection by start and length, a maximum length that never splits a character, and one
// notification per character that arrives from the keyboard or the input method.
#pragma once

#include <QLineEdit>

namespace ui {

// The first `units` UTF-16 units of `text`, one fewer when the cut would leave half of a surrogate pair.
QString leftWholeCharacters(const QString &text, int units);
// `position`, moved back to the start of the character when it falls between the halves of a surrogate pair.
int characterBoundary(const QString &text, int position);
// The number of UTF-16 units of the character that starts at `position` (2 for a surrogate pair).
int characterUnitsAt(const QString &text, int position);
// The number of UTF-16 units of the last character.
int lastCharacterUnits(const QString &text);

class TextBox : public QLineEdit {
    Q_OBJECT
public:
    explicit TextBox(QWidget *parent = nullptr);

    QString Text() const { return text(); }
    // Checked platform operations: each throws PlatformError when refused.
    // Assigning cuts to the maximum length and collapses the selection to start 0, length 0.
    void assignText(const QString &text);
    // The caret position, or the start of the selection.
    int SelStart() const;
    // A start beyond the end means the end; setting the start selects nothing.
    void setSelStart(int start);
    // Selects from the current start; a length past the end selects to the end, a negative one selects nothing.
    void setSelLength(int length);
    void SetFocus();

    QColor backColor() const;
    void setBackColor(const QColor &color);

    // Where the character at `position` begins, in the field's own pixels (as it is scrolled now).
    int positionLeft(int position) const;

Q_SIGNALS:
    // A character from the physical keyboard or the input method is about to reach the field.
    void characterArriving();
    // A left click has placed the caret or the selection.
    void clicked();
    void mouseMoved();
    // The field's menu (Qt's own: undo, cut, copy, paste…) is about to open; entries may be added to it.
    void contextMenuOpening(QMenu *menu);

protected:
    void contextMenuEvent(QContextMenuEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Whether a replacement of `length` characters from `start`, relative to the caret, is the selection.
    bool replacesTheSelection(int start, int length) const;
    void keepCaretInsideText();
};

} // namespace ui
