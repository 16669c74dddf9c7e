// SPDX-License-Identifier: GPL-3.0-or-later
// The text field's operations and its keyboard and input-method hooks.
#include "TextBox.h"

#include "Controls.h"
#include "Platform.h"

#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QValidator>
#include <QtGui/private/qguiapplication_p.h>
#include <algorithm>
#include <qpa/qplatforminputcontext.h>
#include <qpa/qplatformintegration.h>

namespace ui {

namespace {

// Qt cuts typed, pasted and assigned text at the maximum length by UTF-16 units; this drops any half of a
// surrogate pair such a cut (or a paste) leaves behind, so the field only ever holds whole characters.
class WholeCharacters final : public QValidator {
public:
    using QValidator::QValidator;

    State validate(QString &input, int &pos) const override
    {
        for (qsizetype i = 0; i < input.size();) {
            const bool pair = input.at(i).isHighSurrogate() && i + 1 < input.size() && input.at(i + 1).isLowSurrogate();
            if (pair) {
                i += 2;
            } else if (input.at(i).isSurrogate()) {
                input.remove(i, 1);
                if (pos > i)
                    --pos;
            } else {
                ++i;
            }
        }
        return Acceptable;
    }
};

// Characters in the classic sense: what produces a character message, including Backspace, Enter, Escape and
// Ctrl+letter, but not Delete or the cursor keys.
bool carriesCharacter(const QKeyEvent *event)
{
    const QString text = event->text();
    return !text.isEmpty() && text != QChar(0x7F);
}

// Qt's ibus plugin passes the field's text and selection to the input method only once the engine has asked for
// them. mozc asks when it is enabled, in whichever program has the focus then, and on each key it handles: in a
// program started after mozc was enabled, the first 変換 found no text and converted nothing. Asking on the
// engine's behalf lets that first press convert; other input methods' plugins have no such slot.
void askForSurroundingText()
{
    QPlatformInputContext *context = QGuiApplicationPrivate::platformIntegration()->inputContext();
    if (context && context->isValid() && context->metaObject()->indexOfSlot("surroundingTextRequired()") >= 0)
        QMetaObject::invokeMethod(context, "surroundingTextRequired");
}

} // namespace

QString leftWholeCharacters(const QString &text, int units)
{
    if (units >= text.size())
        return text;
    if (units <= 0)
        return {};
    return text.left(text.at(units - 1).isHighSurrogate() ? units - 1 : units);
}

int characterBoundary(const QString &text, int position)
{
    const bool insidePair = position > 0 && position < text.size() && text.at(position - 1).isHighSurrogate()
        && text.at(position).isLowSurrogate();
    return insidePair ? position - 1 : position;
}

int characterUnitsAt(const QString &text, int position)
{
    return position + 1 < text.size() && text.at(position).isHighSurrogate() && text.at(position + 1).isLowSurrogate()
        ? 2
        : 1;
}

int lastCharacterUnits(const QString &text)
{
    const qsizetype size = text.size();
    return size >= 2 && text.at(size - 1).isLowSurrogate() && text.at(size - 2).isHighSurrogate() ? 2 : 1;
}

TextBox::TextBox(QWidget *parent)
    : QLineEdit(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setValidator(new WholeCharacters(this));
    // Some desktop palettes grey an inactive window's text, which in a field read as disabled: the text keeps the
    // active colour while another window (an explanation page) is active. A disabled field still looks disabled.
    QPalette colours = palette();
    colours.setColor(QPalette::Inactive, QPalette::Text, colours.color(QPalette::Active, QPalette::Text));
    setPalette(colours);
}

void TextBox::assignText(const QString &newText)
{
    FaultHook::check(Operation::SetText);
    setText(newText);
    setCursorPosition(0);
}

int TextBox::SelStart() const
{
    return hasSelectedText() ? selectionStart() : cursorPosition();
}

void TextBox::setSelStart(int start)
{
    FaultHook::check(Operation::SetSelection);
    // A start between the halves of a surrogate pair goes past that character, so that what comes next (a key, an
    // input method's conversion of the selection) cannot break it. The selection mark counts a pair typed on the
    // keyboard as one unit, which leaves it there.
    const QString current = text();
    start = std::clamp(start, 0, int(current.size()));
    if (characterBoundary(current, start) != start)
        ++start;
    setCursorPosition(start);
}

void TextBox::setSelLength(int length)
{
    FaultHook::check(Operation::SetSelection);
    const QString current = text();
    const int start = SelStart();
    const int available = int(current.size()) - start;
    length = std::min(length, available);
    if (length > 0 && characterBoundary(current, start + length) != start + length)
        ++length; // the whole of a character, never half of it
    if (length > 0)
        setSelection(start, length);
    else
        setCursorPosition(start);
}

void TextBox::SetFocus()
{
    giveFocus(this);
}

QColor TextBox::backColor() const
{
    return palette().color(QPalette::Base);
}

void TextBox::setBackColor(const QColor &color)
{
    FaultHook::check(Operation::SetColor);
    if (color == backColor())
        return;
    QPalette colours = palette();
    colours.setColor(QPalette::All, QPalette::Base, color); // the same whether the window is active or not
    setPalette(colours);
}

int TextBox::positionLeft(int position) const
{
    // QLineEdit knows where it draws its caret; the text between the caret and `position` moves that by its width.
    const QString current = text();
    const QFontMetrics metrics = fontMetrics();
    return cursorRect().center().x() + metrics.horizontalAdvance(current.left(position))
        - metrics.horizontalAdvance(current.left(cursorPosition()));
}

void TextBox::contextMenuEvent(QContextMenuEvent *event)
{
    QMenu *menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    Q_EMIT contextMenuOpening(menu);
    menu->popup(event->globalPos());
}

void TextBox::keyPressEvent(QKeyEvent *event)
{
    if (carriesCharacter(event))
        Q_EMIT characterArriving();
    QLineEdit::keyPressEvent(event);
    keepCaretInsideText();
}

// While an input method shows a preedit, QLineEdit takes places in the text and the preedit together for places
// in the text: caret keys and clicks walk past the end of the text, where the next character would go in after
// padding spaces, and a drag selects from the middle of a character. The caret and the selection stay inside the
// text, on whole characters.
void TextBox::keepCaretInsideText()
{
    const QString current = text();
    const int size = int(current.size());
    if (!hasSelectedText()) {
        const int caret = characterBoundary(current, std::min(cursorPosition(), size));
        if (caret != cursorPosition())
            setCursorPosition(caret);
        return;
    }
    const int start = characterBoundary(current, std::min(selectionStart(), size));
    int end = std::min(selectionEnd(), size);
    if (characterBoundary(current, end) != end)
        ++end;
    if (start == selectionStart() && end == selectionEnd())
        return;
    const bool backwards = cursorPosition() == selectionStart();
    if (start == end)
        setCursorPosition(start);
    else if (backwards)
        setSelection(end, start - end);
    else
        setSelection(start, end - start);
}

bool TextBox::replacesTheSelection(int start, int length) const
{
    return hasSelectedText() && length == selectedText().size() && cursorPosition() + start == selectionStart();
}

void TextBox::inputMethodEvent(QInputMethodEvent *event)
{
    // The range to replace, relative to the caret, kept inside the text and to whole characters: QLineEdit would
    // move the caret past the end for one that starts beyond it and pad the text with spaces up to there, leave a
    // selection outside the text for one that reaches beyond it, and break a character that either end cuts. As
    // QLineEdit does, a range that starts before the text starts at 0.
    int start = event->replacementStart();
    int length = event->replacementLength();
    const auto keepInsideText = [&] {
        const QString current = text();
        const int caret = cursorPosition();
        const int size = int(current.size());
        const int from = std::clamp(caret + start, 0, size);
        int end = from + std::clamp(length, 0, size - from);
        if (characterBoundary(current, end) != end)
            ++end;
        const int first = characterBoundary(current, from);
        length = end - first;
        start = first - caret;
    };
    keepInsideText();
    const QString commit = event->commitString();
    if (length > 0 && replacesTheSelection(start, length)) {
        // A conversion replaces the selected kana by deleting them around the caret. QLineEdit would first drop
        // the selected text itself and then delete as many characters again around the caret, losing or
        // reordering text; so only the deletion happens, from the start of the selection.
        setCursorPosition(selectionStart());
        start = 0;
    } else if (!commit.isEmpty() && hasSelectedText()) {
        // A commit types over the selection, which QLineEdit drops before anything else; dropping it here
        // first lets each committed character be announced with the length it really meets.
        del();
        keepInsideText();
    }
    if (commit.isEmpty()) {
        QInputMethodEvent adjusted(event->preeditString(), event->attributes());
        adjusted.setCommitString({}, start, length);
        QLineEdit::inputMethodEvent(&adjusted);
        event->accept();
        return;
    }
    if (length > 0) {
        // The replaced text goes before the first character arrives; the commit then goes where it was.
        const int target = std::max(0, cursorPosition() + start);
        QInputMethodEvent removal;
        removal.setCommitString({}, start, length);
        QLineEdit::inputMethodEvent(&removal);
        start = std::min(target, int(text().size())) - cursorPosition();
    }
    // A commit of n characters arrives as n characters in a row, each announced just before it goes in.
    // The new preedit comes with the last one.
    qsizetype from = 0;
    while (from < commit.size()) {
        const qsizetype units = commit.at(from).isHighSurrogate() && from + 1 < commit.size() ? 2 : 1;
        const bool first = from == 0;
        const bool last = from + units >= commit.size();
        Q_EMIT characterArriving();
        QInputMethodEvent step(last ? event->preeditString() : QString(),
            last ? event->attributes() : QList<QInputMethodEvent::Attribute> {});
        step.setCommitString(commit.mid(from, units), first ? start : 0, 0);
        QLineEdit::inputMethodEvent(&step);
        from += units;
    }
    event->accept();
}

void TextBox::focusInEvent(QFocusEvent *event)
{
    QLineEdit::focusInEvent(event);
    askForSurroundingText();
    // The keys set the text and the selection while they hold the focus themselves, so the input method has
    // not seen them; without this it would convert what was selected before.
    QGuiApplication::inputMethod()->update(
        Qt::ImSurroundingText | Qt::ImCursorPosition | Qt::ImAnchorPosition | Qt::ImCurrentSelection);
}

void TextBox::mousePressEvent(QMouseEvent *event)
{
    QLineEdit::mousePressEvent(event);
    keepCaretInsideText();
}

void TextBox::mouseDoubleClickEvent(QMouseEvent *event)
{
    QLineEdit::mouseDoubleClickEvent(event);
    keepCaretInsideText();
}

void TextBox::mouseMoveEvent(QMouseEvent *event)
{
    QLineEdit::mouseMoveEvent(event);
    keepCaretInsideText();
    event->accept();
    Q_EMIT mouseMoved();
}

void TextBox::mouseReleaseEvent(QMouseEvent *event)
{
    QLineEdit::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        Q_EMIT clicked();
}

} // namespace ui
