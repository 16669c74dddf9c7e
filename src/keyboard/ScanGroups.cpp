// SPDX-License-Identifier: GPL-3.0-or-later
// The scanning order of the keyboard's keys. The chart runs right to left, each column top to bottom, with the
// voiced keys laid out beside its kana after them (か .. こ, が .. ご); the small kana come after the chart, those a
// writer needs most (っ ゃ ゅ ょ, with the long-vowel mark ー) first, so that the rare small vowels cost the steps.
#include "ScanGroups.h"

#include "FrmKyBod.h"
#include "convert/FrmKoho.h"
#include "ui/Controls.h"

using namespace Qt::StringLiterals;

namespace keyboard {

namespace {

struct Span {
    QStringView array;
    int first, last;
};

// Each group as runs of a control array's indices.
struct GroupDef {
    QStringView name; // empty: the first key's name and 行 (row of the chart)
    std::initializer_list<Span> spans;
};

const GroupDef Groups[] = {
    { {}, { { u"cmdMoji", 0, 4 } } }, // あ
    { {}, { { u"cmdMoji", 5, 9 }, { u"cmdDaku", 0, 4 } } }, // か, が
    { {}, { { u"cmdMoji", 10, 14 }, { u"cmdDaku", 5, 9 } } }, // さ, ざ
    { {}, { { u"cmdMoji", 15, 19 }, { u"cmdDaku", 10, 14 } } }, // た, だ
    { {}, { { u"cmdMoji", 20, 24 } } }, // な
    { {}, { { u"cmdMoji", 25, 29 }, { u"cmdDaku", 15, 19 }, { u"cmdDaku", 20, 24 } } }, // は, ば, ぱ
    { {}, { { u"cmdMoji", 30, 34 } } }, // ま
    { {}, { { u"cmdMoji", 35, 37 } } }, // や
    { {}, { { u"cmdMoji", 38, 42 } } }, // ら
    { {}, { { u"cmdMoji", 43, 47 } } }, // わ
    // 長音と小さいっゃゅょ: ー is typed about as often as っ and ょ
    { u"\u9577\u97F3\u3068\u5C0F\u3055\u3044\u3063\u3083\u3085\u3087",
        { { u"cmdKigo", 8, 8 }, { u"cmdMojiS", 5, 8 } } },
    { u"\u5C0F\u3055\u3044\u3041\u3043\u3045\u3047\u3049", { { u"cmdMojiS", 0, 4 } } }, // 小さいぁぃぅぇぉ
    { u"\u6570\u5B57", { { u"cmdKazu", 1, 9 }, { u"cmdKazu", 0, 0 } } }, // 数字: １ to ９, then ０
    { u"\u8A18\u53F7", { { u"cmdKigo", 0, 7 }, { u"cmdKigo", 9, 15 } } }, // 記号 (ー is with the small kana)
    { u"\u9854\u6587\u5B57\u3068\u30B3\u30DE\u30F3\u30C9", // 顔文字とコマンド
        { { u"cmdBun", -1, -1 }, { u"cmdEmoji1", -1, -1 }, { u"cmdEmoji2", -1, -1 }, { u"cmdEmoji3", -1, -1 },
            { u"cmdSpce", -1, -1 }, { u"cmdCopy", -1, -1 }, { u"cmdClr", -1, -1 }, { u"cmdClrall", -1, -1 },
            { u"cmdEND", -1, -1 } } },
};

const QString EntriesName = u"\u5019\u88DC"_s; // 候補
const QString BarButtonsName = u"\u5019\u88DC\u30D0\u30FC\u306E\u30DC\u30BF\u30F3"_s; // 候補バーのボタン

} // namespace

ScanGroups::ScanGroups(FrmKyBod &keyboard, std::function<std::vector<QWidget *>()> windows)
    : m_keyboard(keyboard)
    , m_windows(std::move(windows))
{
    for (const GroupDef &def : Groups) {
        assist::ScanGroup group;
        for (const Span &span : def.spans) {
            for (int index = span.first; index <= span.last; ++index) {
                const QString name = index < 0 ? span.array.toString() : u"%1_%2"_s.arg(span.array).arg(index);
                if (auto *key = keyboard.findChild<ui::Button *>(name, Qt::FindDirectChildrenOnly))
                    group.keys.push_back(key);
            }
        }
        if (group.keys.empty())
            continue;
        const ui::Button *first = group.keys.front();
        group.name = !def.name.isEmpty()        ? def.name.toString()
            : first->accessibleName().isEmpty() ? first->text() + u"\u884C"_s // 行
                                                : first->accessibleName() + u"\u884C"_s;
        m_keys.push_back(std::move(group));
    }
    // A key of the keyboard, however pressed, makes what the bar shows now old news.
    for (const assist::ScanGroup &group : m_keys) {
        for (ui::Button *key : group.keys)
            QObject::connect(key, &ui::Button::pressed, &m_context, [this] { m_entriesAtKey = shownEntries(); });
    }
}

QStringList ScanGroups::shownEntries() const
{
    QStringList texts;
    for (const ui::Button *entry : m_keyboard.candidateBar().scanEntries())
        texts.append(entry->text());
    return texts;
}

std::vector<assist::ScanGroup> ScanGroups::operator()() const
{
    const convert::FrmKoho &bar = m_keyboard.candidateBar();
    assist::ScanGroup entries { EntriesName, bar.scanEntries() };
    assist::ScanGroup buttons { BarButtonsName, bar.scanButtons() };
    const bool converting = m_keyboard.conversion().active();
    const bool lead = m_entriesLead && !entries.keys.empty() && shownEntries() != m_entriesAtKey;
    std::vector<assist::ScanGroup> groups;
    if (lead) {
        groups.push_back(std::move(entries));
        if (converting)
            groups.push_back(std::move(buttons));
    }
    groups.insert(groups.end(), m_keys.begin(), m_keys.end());
    for (assist::ScanGroup *group : { &entries, &buttons }) {
        if (!group->keys.empty())
            groups.push_back(std::move(*group));
    }
    for (QWidget *window : m_windows()) {
        if (!window || !window->isVisible())
            continue;
        assist::ScanGroup group { window->windowTitle(), {} };
        for (ui::Button *button : window->findChildren<ui::Button *>(Qt::FindDirectChildrenOnly)) {
            if (button->isVisible() && button->isEnabled())
                group.keys.push_back(button);
        }
        if (!group.keys.empty())
            groups.push_back(std::move(group));
    }
    return groups;
}

} // namespace keyboard
