// SPDX-License-Identifier: GPL-3.0-or-later
// The fault sweep's plans and snapshots, apart from its table of cases: each handler's steps as its algorithm
// gives them, worked out from what the program shows and not from its code.
#include "FaultPlan.h"

#include "Colours.h"
#include "KeyboardModel.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"

#include <array>

using namespace Qt::StringLiterals;
using ui::Operation;

namespace {

QString selectionOf(const QLineEdit *field)
{
    return field->hasSelectedText() ? u"%1+%2"_s.arg(field->selectionStart()).arg(field->selectedText().size())
                                    : u"caret %1"_s.arg(field->cursorPosition());
}

} // namespace

Snapshot snapshot(Harness &h)
{
    Snapshot s;
    ui::TextBox *field = h.field();
    s[u"text"_s] = field->text();
    s[u"selection"_s] = selectionOf(field);
    s[u"field colour"_s] = field->backColor().name();
    const keyboard::KeyboardVariables &v = h.vars();
    s[u"MojiX"_s] = v.MojiX;
    s[u"Kasoru"_s] = number(v.Kasoru);
    s[u"Aru"_s] = number(v.Aru);
    s[u"Jikazu"_s] = number(v.Jikazu);
    s[u"Kanjisu"_s] = number(v.Kanjisu);
    s[u"m"_s] = u"%1 %2 %3 %4 %5"_s.arg(v.m1).arg(v.m2).arg(v.m3).arg(v.m4).arg(v.m5);
    s[u"beeps"_s] = number(h.desktop.beeps);
    s[u"clipboard"_s] = h.desktop.clipboardCalls.join(u'|');
    for (int w = 0; w < WindowCount; ++w) {
        const QString name = QLatin1String(WindowNames[w]);
        const ui::Form *form = h.windowIfCreated(w);
        if (!form) {
            s[u"window "_s + name] = u"none"_s;
            continue;
        }
        s[u"window "_s + name] = form->isVisible() ? u"visible"_s : u"hidden"_s;
        s[u"back "_s + name] = form->backColor().name();
        s[u"focus "_s + name] = form->focusWidget() ? form->focusWidget()->objectName() : QString();
        for (const ui::Button *button : form->findChildren<ui::Button *>())
            s[u"colour "_s + button->objectName()] = button->backColor().name();
        for (const ui::Picture *picture : form->findChildren<ui::Picture *>()) {
            s[u"picture "_s + picture->objectName()] = u"%1 at %2,%3"_s.arg(
                picture->isVisibleTo(form) ? u"shown"_s : u"hidden"_s, number(picture->x()), number(picture->y()));
        }
    }
    return s;
}

Snapshot expected(Snapshot state, const Plan &plan, std::size_t completed)
{
    for (const Effect &effect : plan.before)
        state[effect.property] = effect.value;
    for (std::size_t i = 0; i < completed; ++i) {
        for (const Effect &effect : plan.steps[i].effects)
            state[effect.property] = effect.value;
    }
    return state;
}

QString differences(const Snapshot &actual, const Snapshot &wanted)
{
    QString found;
    for (const auto &[property, value] : wanted) {
        const auto it = actual.find(property);
        const QString have = it == actual.end() ? u"(absent)"_s : it->second;
        if (have != value)
            found += u"\n    %1: %2, not %3"_s.arg(property, have, value);
    }
    for (const auto &[property, value] : actual) {
        if (!wanted.count(property))
            found += u"\n    %1: %2, not absent"_s.arg(property, value);
    }
    return found;
}

namespace {

QString groupOf(const QString &control)
{
    const qsizetype underscore = control.indexOf(u'_');
    return underscore < 0 ? control : control.left(underscore);
}

} // namespace

void createWindow(Plan &plan, int which, const Snapshot &created)
{
    const QString name = QLatin1String(WindowNames[which]);
    std::vector<Effect> window;
    int buttons = 0;
    for (const auto &[property, value] : created) {
        if (property == u"window "_s + name)
            window.push_back({ property, u"hidden"_s });
        else if (property.endsWith(u' ' + name) || property.startsWith(u"colour CmdBun%1"_s.arg(which))
            || property.startsWith(u"picture ImgBun%1"_s.arg(which)))
            window.push_back({ property, value });
        buttons += property.startsWith(u"colour CmdBun%1"_s.arg(which));
    }
    for (int i = 0; i < buttons; ++i)
        plan.steps.push_back({ Operation::SetColor, i + 1 == buttons ? window : std::vector<Effect> {} });
}

std::vector<Effect> clickOnKey(Harness &h, const QString &key)
{
    std::vector<Effect> effects { { u"focus FrmKyBod"_s, key } };
    if (h.field()->hasFocus())
        effects.push_back({ u"selection"_s, u"caret %1"_s.arg(h.field()->cursorPosition()) });
    return effects;
}

QString lengthCheck(Plan &plan, Harness &h, const QString &made, const Snapshot &created)
{
    if (made.size() <= Limit)
        return made;
    if (!h.explanation().noticeIfCreated())
        createWindow(plan, Notice, created);
    plan.steps.push_back({ Operation::ShowWindow, { { u"window FrmBun3d"_s, u"visible"_s } } });
    plan.steps.push_back({ Operation::Beep, { { u"beeps"_s, number(h.desktop.beeps + 1) } } });
    const QString text = wholeLeft(made, Limit);
    plan.steps.push_back({ Operation::SetText, { { u"text"_s, text }, { u"selection"_s, u"caret 0"_s } } });
    return text;
}

Plan insertion(Harness &h, const QString &key, const QString &typed, const Snapshot &created)
{
    const QString old = h.text();
    const keyboard::KeyboardVariables &v = h.vars();
    Plan plan { groupOf(key) + u"_Click"_s, clickOnKey(h, key), {} };
    plan.before.push_back({ u"MojiX"_s, typed });
    const QString made = inserted(old, typed, v);
    Step assign { Operation::SetText, {} };
    if (v.Aru == 1)
        plan.before.push_back({ u"Jikazu"_s, number(old.size()) });
    const QString held = wholeLeft(made, 16);
    const int measured = int(std::min<qsizetype>(made.size(), 16));
    assign.effects = { { u"text"_s, held }, { u"selection"_s, u"caret 0"_s } };
    if (v.Aru == 1 && v.Kasoru < old.size())
        assign.effects.push_back({ u"Kasoru"_s, number(held.size()) });
    if (v.Aru == 1)
        assign.effects.push_back({ u"Aru"_s, u"0"_s });
    assign.effects.push_back({ u"Jikazu"_s, number(measured) });
    plan.steps.push_back(assign);
    const QString text = lengthCheck(plan, h, made, created);
    const int start = v.Kanjisu < 1 ? 0 : std::min<int>(v.Kanjisu, int(text.size()));
    const int length = std::min<int>(measured - (v.Kanjisu < 1 ? 0 : v.Kanjisu), int(text.size()) - start);
    plan.steps.push_back({ Operation::SetSelection, { { u"selection"_s, u"caret %1"_s.arg(start) } } });
    plan.steps.push_back({ Operation::SetSelection,
        { { u"selection"_s, length > 0 ? u"%1+%2"_s.arg(start).arg(length) : u"caret %1"_s.arg(start) } } });
    plan.steps.push_back({ Operation::SetFocus, { { u"focus FrmKyBod"_s, u"Txt1"_s } } });
    return plan;
}

Plan keyHover(Harness &h, const QString &key)
{
    Plan plan { groupOf(key) + u"_MouseMove"_s, {}, {} };
    static const std::vector<QString> order = [&] {
        std::vector<QString> names;
        for (const char *group : { "cmdMoji", "cmdMojiS", "cmdDaku", "cmdKazu", "cmdKigo" }) {
            for (int i = 0; h.keyboard().findChild<ui::Button *>(u"%1_%2"_s.arg(QLatin1String(group)).arg(i)); ++i)
                names.push_back(u"%1_%2"_s.arg(QLatin1String(group)).arg(i));
        }
        for (const char *single :
            { "cmdBun", "cmdEmoji1", "cmdEmoji2", "cmdEmoji3", "cmdSpce", "cmdCopy", "cmdClr", "cmdClrall", "cmdEND" })
            names.push_back(QLatin1String(single));
        return names;
    }();
    for (const QString &name : order)
        plan.steps.push_back({ Operation::SetColor, { { u"colour "_s + name, Rest.name() } } });
    // The hover index of the key's group, m1 to m5, takes the key's index.
    const keyboard::KeyboardVariables &v = h.vars();
    const QString group = groupOf(key);
    const int index = key.mid(group.size() + 1).toInt();
    std::array<int, 5> m { v.m1, v.m2, v.m3, v.m4, v.m5 };
    const auto indices = [&] { return u"%1 %2 %3 %4 %5"_s.arg(m[0]).arg(m[1]).arg(m[2]).arg(m[3]).arg(m[4]); };
    const std::array<QString, 5> groups { u"cmdMoji"_s, u"cmdMojiS"_s, u"cmdDaku"_s, u"cmdKazu"_s, u"cmdKigo"_s };
    if (const auto it = std::find(groups.begin(), groups.end(), group); it != groups.end()) {
        m[std::size_t(it - groups.begin())] = index;
        plan.steps.back().effects.push_back({ u"m"_s, indices() });
    }
    plan.steps.push_back({ Operation::SetColor, { { u"colour "_s + key, (key == u"cmdEND" ? Red : Hover).name() } } });
    if (group == u"cmdDaku") {
        // The kana the mark voices lights up too.
        m[0] = voicedKana(index);
        plan.steps.back().effects.push_back({ u"m"_s, indices() });
        plan.steps.push_back({ Operation::SetColor, { { u"colour cmdMoji_%1"_s.arg(m[0]), Hover.name() } } });
    }
    return plan;
}

std::vector<Step> pageReset(int page)
{
    std::vector<Step> steps;
    for (const QChar which : { u'B', u'N', u'E' })
        steps.push_back({ Operation::SetColor, { { u"colour CmdBun%1%2"_s.arg(page).arg(which), Rest.name() } } });
    return steps;
}

Plan navigation(Harness &h, int page, QChar which, const Snapshot &created)
{
    const QString button = u"CmdBun%1%2"_s.arg(page).arg(which);
    Plan plan { button + u"_Click"_s, { { u"focus "_s + QLatin1String(WindowNames[page]), button } }, {} };
    const auto show = [&](int other) {
        if (!h.explanation().pageIfCreated(other))
            createWindow(plan, other, created);
        plan.steps.push_back(
            { Operation::ShowWindow, { { u"window "_s + QLatin1String(WindowNames[other]), u"visible"_s } } });
    };
    const Step hide { Operation::HideWindow, { { u"window "_s + QLatin1String(WindowNames[page]), u"hidden"_s } } };
    if (which == u'B') {
        show(page == 1 ? 3 : page - 1);
        plan.steps.push_back(hide);
    } else if (which == u'N' && page == 1) {
        plan.steps.push_back(hide);
        show(2);
    } else if (which == u'N') {
        show(page == 3 ? 1 : page + 1);
        plan.steps.push_back(hide);
    } else {
        plan.steps.push_back(hide);
    }
    return plan;
}
