// SPDX-License-Identifier: GPL-3.0-or-later
// The keyboard's behaviour worked out again, apart from the program: the tests' own account of what a key, a command
// or a page button does.
#include "KeyboardModel.h"

#include "ui/Platform.h"

#include <QHash>

using namespace Qt::StringLiterals;

QString wholeLeft(const QString &text, int units)
{
    if (units >= text.size())
        return text;
    if (units <= 0)
        return {};
    return text.left(text.at(units - 1).isHighSurrogate() ? units - 1 : units);
}

int voicedKana(int mark)
{
    // Marks 0 to 14 voice か to と (kana 5 to 19), 15 to 19 voice は to ほ (25 to 29), and 20 to 24 give the same five
    // their semi-voiced sound.
    return mark >= 15 && mark <= 19 ? mark + 10 : mark + 5;
}

QString typedBy(Harness &h, const QString &key)
{
    const qsizetype underscore = key.indexOf(u'_');
    const QString group = key.left(underscore);
    const int index = underscore < 0 ? -1 : key.mid(underscore + 1).toInt();
    const auto caption = [&](const QString &of) { return h.key(of)->text(); };
    if (group == u"cmdMoji" || group == u"cmdKazu" || group == u"cmdKigo")
        return caption(key);
    if (group == u"cmdMojiS")
        return QString(QChar(char16_t(caption(key).at(0).unicode() - 1)));
    if (group == u"cmdDaku") {
        const QChar kana = caption(u"cmdMoji_%1"_s.arg(voicedKana(index))).at(0);
        return QString(QChar(char16_t(kana.unicode() + (index < 20 ? 1 : 2))));
    }
    if (group == u"cmdSpce")
        return u"\u3000"_s;
    return {};
}

QString accepted(const QString &text, int at, const QString &composed)
{
    QString in;
    for (qsizetype i = 0; i < composed.size();) {
        const qsizetype units = composed.at(i).isHighSurrogate() && i + 1 < composed.size() ? 2 : 1;
        if (text.size() + in.size() + units <= FieldUnits)
            in += composed.mid(i, units);
        i += units;
    }
    return text.left(at) + in + text.mid(at);
}

void clickKeysFor(Harness &h, const QString &text)
{
    static QHash<QString, QString> keys;
    if (keys.isEmpty()) {
        for (const ui::Button *button : h.keyboard().findChildren<ui::Button *>())
            keys.insert(typedBy(h, button->objectName()), button->objectName());
    }
    for (const QChar c : text)
        h.click(keys.value(QString(c)));
}

namespace {

// Whether a place clicked into the text is still to be used, and where it falls: moved back to the start of the
// character when it lies between the halves of a pair.
std::optional<int> clickedPlace(const QString &text, const keyboard::KeyboardVariables &vars)
{
    if (vars.Aru != 1 || vars.Kasoru >= text.size())
        return std::nullopt;
    int at = vars.Kasoru;
    if (at > 0 && text.at(at - 1).isHighSurrogate() && text.at(at).isLowSurrogate())
        --at;
    return at;
}

} // namespace

QString inserted(const QString &text, const QString &typed, const keyboard::KeyboardVariables &vars)
{
    if (const std::optional<int> at = clickedPlace(text, vars))
        return text.left(*at) + typed + text.mid(*at);
    return text + typed;
}

QString deleted(const QString &text, const keyboard::KeyboardVariables &vars)
{
    if (const std::optional<int> at = clickedPlace(text, vars)) {
        const int units = text.at(*at).isHighSurrogate() && *at + 1 < text.size() ? 2 : 1;
        return text.left(*at) + text.mid(*at + units);
    }
    return wholeLeft(text, int(text.size()) - 1);
}

KeyboardModel::KeyboardModel(Harness &harness)
    : reported(ui::failuresReported())
    , h(harness)
{ }

void KeyboardModel::startEvent()
{
    text.reset();
    aru.reset();
    clipboard.reset();
}

// A key inserts at a clicked place inside the text, else at the end; anything beyond 15 units brings the notice and
// the beep, and the text keeps its first 15 units, never half a character.
void KeyboardModel::insert(const QString &typed, const Before &before)
{
    text = inserted(before.text, typed, before.vars);
    if (text->size() > Limit) {
        text = wholeLeft(*text, Limit);
        visible[Notice] = true;
        ++beeps;
    }
}

void KeyboardModel::click(QWidget *control, const Before &before)
{
    const QString name = control->objectName();
    if (control->window() == &h.keyboard()) {
        if (const QString typed = typedBy(h, name); !typed.isEmpty()) {
            insert(typed, before);
            aru = 0;
        } else if (name.startsWith(u"cmdEmoji")) {
            // A face mark goes to the end and leaves a clicked place for the next key.
            Before atEnd = before;
            atEnd.vars.Aru = 0;
            insert(static_cast<ui::Button *>(control)->text(), atEnd);
            aru = before.vars.Aru;
        } else if (name == u"cmdClr") {
            if (!before.text.isEmpty()) {
                text = deleted(before.text, before.vars);
                if (clickedPlace(before.text, before.vars))
                    aru = 0;
            }
            if (before.text.size() <= Limit)
                visible[Notice] = false;
        } else if (name == u"cmdClrall") {
            text = QString();
        } else if (name == u"cmdCopy") {
            if (std::exchange(m_refuseNext, false)) {
                ++reported;
                ++refusedCopies;
                clipboard = QString(); // cleared, then refused
            } else {
                visible[Page3] = true;
                clipboard = before.text;
            }
        } else if (name == u"cmdBun") {
            visible[Page2] = true;
        }
        return;
    }
    if (name == u"CmdBun4E") {
        visible[Notice] = false;
        return;
    }
    // The pages' ring: 前 shows the page before, 次 the page after, and each hides its own page; 閉 only hides it.
    if (name.startsWith(u"CmdBun") && name.size() == 8) {
        const int page = name.at(6).digitValue();
        const QChar which = name.at(7);
        if (which == u'B')
            visible[std::size_t(page == 1 ? 3 : page - 1)] = true;
        if (which == u'N')
            visible[std::size_t(page == 3 ? 1 : page + 1)] = true;
        visible[std::size_t(page)] = false;
    }
}
