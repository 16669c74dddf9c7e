// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion by the desktop's input method: an input method replaces the selected kana with kanji, and the
// field must neither lose nor reorder text while it does, nor miscount what the input method commits.
#include "Harness.h"

#include <QInputMethodEvent>
#include <QInputMethodQueryEvent>
#include <QTest>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// How an input method hands the field the conversion of the selected `length` characters. The caret is at
// `caret` relative to the start of the selection (0 or `length`).
using Conversion = std::function<void(QWidget *field, int length, int caret, const QString &converted)>;

// ibus (mozc): deletes the selection around the caret, shows the candidate as preedit, commits it on Enter.
void deleteThenCommit(QWidget *field, int length, int caret, const QString &converted)
{
    sendInputMethod(field, {}, {}, -caret, length);
    sendInputMethod(field, converted);
    sendInputMethod(field, {}, converted);
}

// The same deletion, carried by the commit itself.
void commitReplacing(QWidget *field, int length, int caret, const QString &converted)
{
    sendInputMethod(field, {}, converted, -caret, length);
}

// fcitx5 has already taken the selection off the deletion it passes on, which leaves nothing to delete; the
// preedit then takes the place of the selection.
void preeditOverSelection(QWidget *field, int, int, const QString &converted)
{
    sendInputMethod(field, {}, {}, 0, 0);
    sendInputMethod(field, converted);
    sendInputMethod(field, {}, converted);
}

// An input method that commits over the selection without deleting it first.
void commitOverSelection(QWidget *field, int, int, const QString &converted)
{
    sendInputMethod(field, {}, converted);
}

struct Query {
    QString surrounding;
    int cursor;
    int anchor;
    QString selection;
};

Query query(QWidget *field)
{
    QInputMethodQueryEvent event(
        Qt::ImSurroundingText | Qt::ImCursorPosition | Qt::ImAnchorPosition | Qt::ImCurrentSelection);
    QCoreApplication::sendEvent(field, &event);
    return { event.value(Qt::ImSurroundingText).toString(), event.value(Qt::ImCursorPosition).toInt(),
        event.value(Qt::ImAnchorPosition).toInt(), event.value(Qt::ImCurrentSelection).toString() };
}

} // namespace

Q_DECLARE_METATYPE(Conversion)

class InputMethodTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replacingTheSelectionHappensOnce_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("caretAtStart");
        QTest::addColumn<int>("how");

        const QList<std::pair<QString, QString>> contexts {
            { {}, {} }, { u"あいうえお"_s, {} }, { u"漢字"_s, {} }, { {}, u"です"_s }, { u"あい"_s, u"うえ"_s },
            { u"\U00020BB7"_s, u"x"_s }, // a character of two UTF-16 units before the selection
        };
        const char *const hows[] = { "delete alone", "delete with preedit", "commit", "commit with preedit" };
        for (const auto &[before, after] : contexts) {
            for (const bool caretAtStart : { false, true }) {
                for (int how = 0; how < 4; ++how) {
                    QTest::addRow("%s[かんじ]%s, caret at %s, %s", qPrintable(before), qPrintable(after),
                        caretAtStart ? "start" : "end", hows[how])
                        << before << after << caretAtStart << how;
                }
            }
        }
    }

    // A conversion deletes exactly the selected kana, relative to the caret, and puts the kanji in their place.
    void replacingTheSelectionHappensOnce()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, caretAtStart);
        QFETCH(int, how);

        ui::TextBox field;
        field.setMaxLength(16);
        const QString kana = u"かんじ"_s;
        field.setText(before + kana + after);
        const int start = int(before.size());
        field.setSelection(caretAtStart ? start + 3 : start, caretAtStart ? -3 : 3);
        QCOMPARE(field.selectedText(), kana);
        QCOMPARE(field.cursorPosition(), caretAtStart ? start : start + 3);

        const int relative = caretAtStart ? 0 : -3;
        switch (how) {
        case 0:
            sendInputMethod(&field, {}, {}, relative, 3);
            QCOMPARE(field.text(), before + after);
            sendInputMethod(&field, {}, u"感じ"_s);
            break;
        case 1:
            sendInputMethod(&field, u"感じ"_s, {}, relative, 3);
            QCOMPARE(field.text(), before + after);
            sendInputMethod(&field, {}, u"感じ"_s);
            break;
        case 2:
            sendInputMethod(&field, {}, u"感じ"_s, relative, 3);
            break;
        case 3:
            sendInputMethod(&field, u"じ"_s, u"感"_s, relative, 3);
            QCOMPARE(field.text(), before + u"感"_s + after);
            sendInputMethod(&field, {}, u"じ"_s);
            break;
        }
        QCOMPARE(field.text(), before + u"感じ"_s + after);
        QCOMPARE(field.cursorPosition(), start + 2);
        QVERIFY(!field.hasSelectedText());
    }

    void replacementWithoutASelection_data()
    {
        QTest::addColumn<int>("caret");
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("expected");
        QTest::addColumn<int>("expectedCaret");

        // The field holds あいうえお; the commit is XY.
        QTest::newRow("the two before the caret") << 5 << -2 << 2 << u"あいうXY"_s << 5;
        QTest::newRow("two, some way before the caret") << 4 << -3 << 2 << u"あXYえお"_s << 3;
        QTest::newRow("across the caret") << 2 << -1 << 3 << u"あXYお"_s << 3;
        QTest::newRow("after the caret") << 1 << 1 << 2 << u"あいXYお"_s << 4;
        QTest::newRow("at the caret") << 0 << 0 << 1 << u"XYいうえお"_s << 2;
        QTest::newRow("before the start") << 1 << -3 << 2 << u"XYうえお"_s << 2;
    }

    // What the field does itself when nothing is selected: the commit goes where the replaced text was.
    void replacementWithoutASelection()
    {
        QFETCH(int, caret);
        QFETCH(int, start);
        QFETCH(int, length);
        QFETCH(QString, expected);
        QFETCH(int, expectedCaret);

        ui::TextBox field;
        field.setMaxLength(16);
        field.setText(u"あいうえお"_s);
        field.setCursorPosition(caret);
        sendInputMethod(&field, {}, u"XY"_s, start, length);
        QCOMPARE(field.text(), expected);
        QCOMPARE(field.cursorPosition(), expectedCaret);
    }

    void conversionThenTheNextKey_data()
    {
        QTest::addColumn<Conversion>("convert");
        QTest::newRow("delete, then commit (ibus)") << Conversion(deleteThenCommit);
        QTest::newRow("commit replacing the selection") << Conversion(commitReplacing);
        QTest::newRow("preedit over the selection (fcitx5)") << Conversion(preeditOverSelection);
        QTest::newRow("commit over the selection") << Conversion(commitOverSelection);
    }

    // Two words converted in a row, as a user does: after each conversion the next on-screen key selects only
    // what it typed itself, whatever the number of characters the conversion committed.
    void conversionThenTheNextKey()
    {
        QFETCH(Conversion, convert);
        Harness h;
        h.click({ "cmdMoji_5", "cmdMoji_45", "cmdDaku_6" }); // か ん じ
        QCOMPARE(h.selected(), u"かんじ"_s);
        convert(h.field(), 3, 3, u"漢字"_s);
        QCOMPARE(h.text(), u"漢字"_s);
        QCOMPARE(h.vars().Kanjisu, 2);

        h.click(u"cmdMoji_6"_s); // き
        QCOMPARE(h.text(), u"漢字き"_s);
        QCOMPARE(h.selected(), u"き"_s);
        convert(h.field(), 1, 1, u"木"_s);
        QCOMPARE(h.text(), u"漢字木"_s);
        QCOMPARE(h.vars().Kanjisu, 3);

        h.click(u"cmdMoji_47"_s); // 。
        QCOMPARE(h.text(), u"漢字木。"_s);
        QCOMPARE(h.selected(), u"。"_s);
        QCOMPARE(QApplication::focusWidget(), h.field());
    }

    void inputMethodSeesTheSelection_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("keys");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selection");

        QTest::newRow("whole text") << QString() << QStringList { u"cmdMoji_5"_s, u"cmdMoji_45"_s, u"cmdDaku_6"_s }
                                    << u"かんじ"_s << u"かんじ"_s;
        QTest::newRow("after typed text")
            << u"漢字"_s << QStringList { u"cmdMoji_44"_s, u"cmdMoji_5"_s } << u"漢字をか"_s << u"をか"_s;
    }

    // An input method reconverts what the field reports as selected around the caret.
    void inputMethodSeesTheSelection()
    {
        QFETCH(QString, typed);
        QFETCH(QStringList, keys);
        QFETCH(QString, text);
        QFETCH(QString, selection);

        Harness h;
        if (!typed.isEmpty())
            sendInputMethod(h.field(), {}, typed);
        for (const QString &key : keys)
            h.click(key);
        const Query seen = query(h.field());
        QCOMPARE(seen.surrounding, text);
        QCOMPARE(seen.selection, selection);
        QCOMPARE(std::max(seen.cursor, seen.anchor), int(text.size()));
        QCOMPARE(std::abs(seen.cursor - seen.anchor), int(selection.size()));
        QCOMPARE(seen.surrounding.mid(std::min(seen.cursor, seen.anchor), selection.size()), selection);
    }
};

QTEST_MAIN(InputMethodTest)
#include "tst_inputmethod.moc"
