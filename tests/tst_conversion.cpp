// SPDX-License-Identifier: GPL-3.0-or-later
// The program's own conversion, driven as a user drives it, against a table of a few words: each row is what the
// user does (keys clicked, the 変換 key, the conversion's keys, clicks on the candidate bar or elsewhere) and
// what the field, its selection, the selection mark and the bar show afterwards.
#include "Harness.h"
#include "KeyboardModel.h"
#include "assist/Speech.h"
#include "convert/Conversion.h"
#include "convert/FrmKoho.h"
#include "ui/Platform.h"

#include <QAccessible>
#include <QMenu>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

convert::Conversion &conversion(Harness &h)
{
    return h.keyboard().conversion();
}

convert::FrmKoho &bar(Harness &h)
{
    return h.keyboard().candidateBar();
}

// The bar shows a conversion: its segments.
bool converting(Harness &h)
{
    return child(bar(h), u"cmdBunsetsu_0"_s)->isVisibleTo(&bar(h));
}

// What the bar offers now, in its buttons' order, once the keyboard has painted what the last key changed.
QStringList shownEntries(Harness &h)
{
    QCoreApplication::processEvents();
    QStringList texts;
    for (int i = 0; i < convert::FrmKoho::EntrySlots; ++i) {
        auto *button = child<ui::Button>(bar(h), u"cmdKoho_%1"_s.arg(i));
        if (button->isVisibleTo(&bar(h)))
            texts << button->text();
    }
    return texts;
}

void clickOnBar(Harness &h, const QString &name)
{
    QCoreApplication::processEvents();
    auto *button = child<ui::Button>(bar(h), name);
    if (!button->isVisibleTo(&bar(h)) || !button->isEnabled())
        qWarning("%s is not there to click", qPrintable(name));
    QTest::mouseClick(button, Qt::LeftButton);
}

// A key to the focus, with the character a keyboard layout gives it.
void key(int qtKey, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    static const QHash<int, QString> texts { { Qt::Key_Space, u" "_s }, { Qt::Key_Return, u"\r"_s },
        { Qt::Key_Escape, u"\x1b"_s }, { Qt::Key_Backspace, u"\b"_s } };
    const QString text = qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9 ? QString(QChar(qtKey)) : texts.value(qtKey);
    QTest::sendKeyEvent(QTest::Click, QApplication::focusWidget(), Qt::Key(qtKey), text, modifiers);
}

// Opens the field's menu and takes its first entry, as a user does with the mouse.
QAction *menuEntry(Harness &h)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(10, 10), h.field()->mapToGlobal(QPoint(10, 10)));
    QCoreApplication::sendEvent(h.field(), &event);
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    return menu ? menu->actions().value(0) : nullptr;
}

// One word per step: kana:TEXT clicks the keys that type it; key:NAME clicks that key or command; a key's name
// (変換 Space Down Up Left Right S-Left S-Right PgDn PgUp F6 F7 Enter Esc BS 1..9) goes to the focus; on the bar,
// bar:変換 ◀ ▶ 短く 長く 確定 取消 読み上げ click its buttons, rowN its Nth candidate or entry, segN a segment,
// entry:TEXT the entry of that text; menu takes 「変換」 from the field's menu; field clicks into the field; type:X
// types X on the physical keyboard, im:X commits X as an input method; page1 makes page 1 the active window; press:NAME
// clicks a key without the pointer, a11y:NAME by its accessible press action, dwell:NAME by resting the pointer on it.
void run(Harness &h, const QString &script)
{
    static const QHash<QString, std::pair<int, Qt::KeyboardModifiers>> keys {
        { u"変換"_s, { Qt::Key_Henkan, {} } },
        { u"Space"_s, { Qt::Key_Space, {} } },
        { u"Down"_s, { Qt::Key_Down, {} } },
        { u"Up"_s, { Qt::Key_Up, {} } },
        { u"Left"_s, { Qt::Key_Left, {} } },
        { u"Right"_s, { Qt::Key_Right, {} } },
        { u"S-Left"_s, { Qt::Key_Left, Qt::ShiftModifier } },
        { u"S-Right"_s, { Qt::Key_Right, Qt::ShiftModifier } },
        { u"PgDn"_s, { Qt::Key_PageDown, {} } },
        { u"PgUp"_s, { Qt::Key_PageUp, {} } },
        { u"F6"_s, { Qt::Key_F6, {} } },
        { u"F7"_s, { Qt::Key_F7, {} } },
        { u"Enter"_s, { Qt::Key_Return, {} } },
        { u"Esc"_s, { Qt::Key_Escape, {} } },
        { u"BS"_s, { Qt::Key_Backspace, {} } },
        { u"C-A"_s, { Qt::Key_A, Qt::ControlModifier } },
    };
    static const QHash<QString, QString> buttons { { u"bar:変換"_s, u"cmdHenkan"_s }, { u"◀"_s, u"cmdMae"_s },
        { u"▶"_s, u"cmdTsugi"_s }, { u"短く"_s, u"cmdMijikaku"_s }, { u"長く"_s, u"cmdNagaku"_s },
        { u"確定"_s, u"cmdKakutei"_s }, { u"取消"_s, u"cmdTorikeshi"_s }, { u"読み上げ"_s, u"cmdYomiage"_s } };
    for (const QString &step : script.split(u' ', Qt::SkipEmptyParts)) {
        if (step.startsWith(u"kana:"))
            clickKeysFor(h, step.mid(5));
        else if (step.startsWith(u"key:"))
            h.click(step.mid(4));
        else if (step.startsWith(u"type:"))
            h.type(step.mid(5));
        else if (keys.contains(step))
            key(keys.value(step).first, keys.value(step).second);
        else if (step.size() == 1 && step.at(0).isDigit())
            key(Qt::Key_0 + step.toInt());
        else if (step.startsWith(u"row"))
            clickOnBar(h, u"cmdKoho_%1"_s.arg(step.mid(3).toInt() - 1));
        else if (step.startsWith(u"seg"))
            clickOnBar(h, u"cmdBunsetsu_"_s + step.mid(3));
        else if (step.startsWith(u"entry:")) {
            const qsizetype at = shownEntries(h).indexOf(step.mid(6));
            QVERIFY2(at >= 0, qPrintable(step + u" is not on the bar: "_s + shownEntries(h).join(u' ')));
            clickOnBar(h, u"cmdKoho_%1"_s.arg(at));
        } else if (step.startsWith(u"press:"))
            h.key(step.mid(6))->click();
        else if (step.startsWith(u"a11y:")) {
            // What a screen reader does: the key's press action, which clicks it a moment later.
            QAccessibleInterface *key = QAccessible::queryAccessibleInterface(h.key(step.mid(5)));
            key->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
            QTest::qWait(200);
        } else if (step.startsWith(u"dwell:"))
            h.dwellOn(h.key(step.mid(6)));
        else if (buttons.contains(step))
            clickOnBar(h, buttons.value(step));
        else if (step.startsWith(u"im:"))
            sendInputMethod(h.field(), {}, step.mid(3));
        else if (step == u"page1") {
            h.page(1).activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&h.page(1)));
        } else if (step == u"field")
            h.clickFieldAt(int(h.text().size()));
        else if (step == u"menu") {
            QAction *entry = menuEntry(h);
            QVERIFY(entry && entry->isEnabled());
            entry->trigger();
            QApplication::activePopupWidget()->close();
            QTRY_VERIFY(conversion(h).active());
            h.activateKeyboard(); // as the desktop does once the menu has gone
            QTRY_COMPARE(QApplication::focusWidget(), h.field());
        } else
            QFAIL(qPrintable(u"unknown step "_s + step));
    }
}

// The failure reports of the fault sweep below, caught and counted by what was refused.
QtMessageHandler g_previous = nullptr;
QMap<QString, int> g_refused;
int g_sweepRows = 0;
int g_sweepRowsDefined = -1;

void countReports(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "gojuon-keyboard") == 0
        && message.contains(u" stopped: "_s)) {
        ++g_refused[message.section(u": could not "_s, 1).section(u':', 0, 0).section(u';', 0, 0)];
        return;
    }
    g_previous(type, context, message);
}

} // namespace

class ConversionTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { g_previous = qInstallMessageHandler(countReports); }

    // Every platform operation of a conversion's steps refused in turn: the step stops there, is reported once,
    // and the text comes through whole, converted or as it was, with the conversion ended once the user escapes.
    void refusedStepsLoseNothing_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("step");
        QTest::addColumn<QStringList>("outcomes");
        const QStringList asTyped { u"きょうは"_s };
        const QStringList either { u"今日は"_s, u"きょうは"_s };
        const QString open = u"kana:きょうは 変換"_s;
        // Counted as they are made, so that the coverage check below knows when the whole table ran.
        g_sweepRowsDefined = 0;
        const auto row = [](const char *name) -> QTestData & {
            ++g_sweepRowsDefined;
            return QTest::newRow(name);
        };
        row("変換") << u"kana:きょうは"_s << u"変換"_s << asTyped;
        row("the bar's 変換") << u"kana:きょうは"_s << u"bar:変換"_s << asTyped;
        row("Space") << open << u"Space"_s << asTyped;
        row("Shift+Left") << open << u"S-Left"_s << asTyped;
        row("短く") << open << u"短く"_s << asTyped;
        row("a candidate") << open << u"row2"_s << asTyped;
        row("a segment") << open << u"seg1"_s << asTyped;
        row("▶") << u"kana:し 変換"_s << u"▶"_s << QStringList { u"し"_s };
        row("確定") << open << u"確定"_s << either;
        row("Enter") << open << u"Enter"_s << either;
        row("取消") << open << u"取消"_s << asTyped;
        row("Escape") << open << u"Esc"_s << asTyped;
        row("a key takes it first") << open << u"kana:あ"_s << QStringList { u"今日はあ"_s, u"今日は"_s };
        row("終 takes it") << open << u"key:cmdEND"_s << QStringList { u"今日は"_s };
        row("an entry") << u"kana:きょうは"_s << u"entry:京は"_s << QStringList { u"京は"_s, u"きょうは"_s };
    }

    void refusedStepsLoseNothing()
    {
        QFETCH(QString, before);
        QFETCH(QString, step);
        QFETCH(QStringList, outcomes);
        ++g_sweepRows; // a row that fails on the way still ran
        int steps = 0;
        {
            Harness h;
            run(h, before);
            shownEntries(h);
            const int counted = ui::FaultHook::operationsChecked();
            run(h, step);
            steps = ui::FaultHook::operationsChecked() - counted;
        }
        QVERIFY(steps > 0);
        for (int refused = 0; refused < steps; ++refused) {
            Harness h;
            run(h, before);
            shownEntries(h);
            const int reported = ui::failuresReported();
            ui::FaultHook::armAny(refused);
            run(h, step);
            const QString where = u"step %1 of %2"_s.arg(refused + 1).arg(steps);
            QVERIFY2(!ui::FaultHook::armed() && ui::failuresReported() == reported + 1, qPrintable(where));
            // What a user would do next: give the reading back.
            if (conversion(h).active())
                QTest::sendKeyEvent(QTest::Click, h.field(), Qt::Key_Escape, u"\x1b"_s, Qt::NoModifier);
            QVERIFY2(outcomes.contains(h.text()), qPrintable(where + u": "_s + h.text()));
            QVERIFY2(!conversion(h).active() && !converting(h), qPrintable(where));
        }
    }

    // Only over the whole table: each kind of refusal must have been met somewhere.
    void cleanupTestCase()
    {
        qInstallMessageHandler(g_previous);
        qInfo("refused: %s", qPrintable(QStringList(g_refused.keys()).join(u", "_s)));
        if (g_sweepRows == g_sweepRowsDefined) {
            for (const char *what : { "convert the kana", "set a colour" })
                QVERIFY2(g_refused.value(QLatin1String(what)) > 0, what);
        }
    }

    void steps_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("selected");
        QTest::addColumn<int>("kanjisu");
        QTest::addColumn<QString>("shown"); // what the open conversion shows in place of the reading; "-" when closed
        QTest::addColumn<int>("beeps");
        // clang-format off
        QTest::newRow("変換 shows the first candidates") << u"kana:きょうは 変換"_s << u""_s << u""_s << 0 << u"今日は"_s << 0;
        QTest::newRow("Enter takes them") << u"kana:きょうは 変換 Enter"_s << u"今日は"_s << u""_s << 3 << u"-"_s << 0;
        QTest::newRow("Space: the next candidate") << u"kana:きょうは 変換 Space Enter"_s << u"京は"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("変換 again, Down, Up") << u"kana:きょうは 変換 変換 Down Up Enter"_s << u"京は"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("candidates wrap round") << u"kana:きょうは 変換 Space Space Space Space Space"_s << u""_s << u""_s << 0 << u"今日は"_s << 0;
        QTest::newRow("the reading's own forms follow") << u"kana:きょうは 変換 Up Up"_s << u""_s << u""_s << 0 << u"きょうは"_s << 0;
        QTest::newRow("Right: the next segment") << u"kana:きょうは 変換 Right Space Enter"_s << u"今日葉"_s << u""_s << 3 << u"-"_s << 0;
        QTest::newRow("Left back to the first") << u"kana:きょうは 変換 Right Left Space"_s << u""_s << u""_s << 0 << u"京は"_s << 0;
        QTest::newRow("a number chooses and moves on") << u"kana:きょうは 変換 2 3 Enter"_s << u"京歯"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("F7: katakana") << u"kana:きょうは 変換 F7 Enter"_s << u"キョウは"_s << u""_s << 4 << u"-"_s << 0;
        QTest::newRow("F6: hiragana") << u"kana:きょうは 変換 Space F6"_s << u""_s << u""_s << 0 << u"きょうは"_s << 0;
        QTest::newRow("Shift+Left shortens") << u"kana:きょうは 変換 S-Left Enter"_s << u"巨鵜は"_s << u""_s << 3 << u"-"_s << 0;
        QTest::newRow("Shift+Right lengthens") << u"kana:きょうは 変換 S-Right"_s << u""_s << u""_s << 0 << u"きょうは"_s << 0;
        QTest::newRow("Escape gives the reading back") << u"kana:きょうは 変換 Space Right 3 Esc"_s << u"きょうは"_s << u"きょうは"_s << 0 << u"-"_s << 0;
        QTest::newRow("Backspace too") << u"kana:きょうは 変換 BS"_s << u"きょうは"_s << u"きょうは"_s << 0 << u"-"_s << 0;
        QTest::newRow("取消 too") << u"kana:きょうは 変換 Space 取消"_s << u"きょうは"_s << u"きょうは"_s << 0 << u"-"_s << 0;
        QTest::newRow("a candidate chooses and moves on") << u"kana:きょうは 変換 row3 row2 確定"_s << u"強葉"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("a segment becomes current") << u"kana:きょうは 変換 seg1 row3"_s << u""_s << u""_s << 0 << u"今日歯"_s << 0;
        QTest::newRow("▶ only scrolls") << u"kana:し 変換 ▶ 確定"_s << u"死"_s << u""_s << 1 << u"-"_s << 0;
        QTest::newRow("▶ then a candidate of that page") << u"kana:し 変換 ▶ ◀ ▶ row1 確定"_s << u"支"_s << u""_s << 1 << u"-"_s << 0;
        QTest::newRow("PageDown wraps round") << u"kana:し 変換 PgDn PgDn"_s << u""_s << u""_s << 0 << u"死"_s << 0;
        QTest::newRow("the bar's 変換 converts") << u"kana:きょうは bar:変換"_s << u""_s << u""_s << 0 << u"今日は"_s << 0;
        QTest::newRow("and then chooses the next") << u"kana:きょうは bar:変換 bar:変換 確定"_s << u"京は"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("短く mends a boundary") << u"kana:きょうは bar:変換 短く 確定"_s << u"巨鵜は"_s << u""_s << 3 << u"-"_s << 0;
        QTest::newRow("長く mends it back") << u"kana:きょうは bar:変換 短く 長く row2 確定"_s << u"京は"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("an entry takes the whole reading") << u"kana:きょうは entry:今日は"_s << u"今日は"_s << u""_s << 3 << u"-"_s << 0;
        QTest::newRow("an entry as typed") << u"kana:きょうは entry:キョウハ"_s << u"キョウハ"_s << u""_s << 4 << u"-"_s << 0;
        QTest::newRow("a prediction longer than the reading") << u"kana:てんき entry:天気予報"_s << u"天気予報"_s << u""_s << 4 << u"-"_s << 0;
        QTest::newRow("after an entry a key selects what it adds") << u"kana:にほん entry:日本 kana:でんわ"_s << u"日本でんわ"_s << u"でんわ"_s << 2 << u"-"_s << 0;
        QTest::newRow("an entry cut at 16 units, as a commit") << u"type:あああああああああああああ kana:ぺん 変換 Space Enter"_s << u"あああああああああああああボール"_s << u""_s << 17 << u"-"_s << 0;
        QTest::newRow("a second word keeps the order") << u"kana:きょうは 変換 Enter kana:てんき 変換 Enter"_s << u"今日は天気"_s << u""_s << 5 << u"-"_s << 0;
        QTest::newRow("the next key selects what it adds") << u"kana:きょうは 変換 Enter kana:てん"_s << u"今日はてん"_s << u"てん"_s << 3 << u"-"_s << 0;
        QTest::newRow("a key first takes the conversion") << u"kana:きょうは 変換 Space kana:あ"_s << u"京はあ"_s << u"あ"_s << 2 << u"-"_s << 0;
        QTest::newRow("so does a key pressed without the pointer") << u"kana:きょうは 変換 press:cmdMoji_0 Enter"_s << u"今日はあ"_s << u"あ"_s << 5 << u"-"_s << 0;
        QTest::newRow("so does a dwell") << u"kana:きょうは 変換 dwell:cmdMoji_0 Enter"_s << u"今日はあ"_s << u"あ"_s << 5 << u"-"_s << 0;
        QTest::newRow("so does a screen reader's press") << u"kana:きょうは 変換 a11y:cmdMoji_0 Enter"_s << u"今日はあ"_s << u"あ"_s << 5 << u"-"_s << 0;
        QTest::newRow("全消去 takes it, then clears") << u"kana:きょうは 変換 key:cmdClrall"_s << u""_s << u""_s << 0 << u"-"_s << 0;
        QTest::newRow("１字消 takes it, then deletes") << u"kana:きょうは 変換 key:cmdClr"_s << u"今日"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("a key takes it while a page is active") << u"kana:きょうは 変換 page1 kana:あ"_s << u"今日はあ"_s << u"あ"_s << 3 << u"-"_s << 0;
        QTest::newRow("another window leaves it open") << u"kana:きょうは 変換 page1"_s << u""_s << u""_s << 0 << u"今日は"_s << 0;
        QTest::newRow("終 takes it") << u"kana:きょうは 変換 key:cmdEND"_s << u"今日は"_s << u""_s << 3 << u"-"_s << 0;
        QTest::newRow("an input method's commit takes it first") << u"kana:きょうは 変換 Space im:X"_s << u"京はX"_s << u""_s << 3 << u"-"_s << 0;
        QTest::newRow("a click in the field takes it") << u"kana:きょうは 変換 Space field"_s << u"京は"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("a typed character takes it, then goes in") << u"kana:きょうは 変換 type:a"_s << u"今日はa"_s << u""_s << 4 << u"-"_s << 0;
        QTest::newRow("the field's menu converts") << u"kana:にほん menu Space Enter"_s << u"二本"_s << u""_s << 2 << u"-"_s << 0;
        QTest::newRow("sixteen segments, each shown") << u"type:ああああああああああああああああ C-A 変換 Right Right Right Right Right Right Right Right Right Right Right Right Right Right Right"_s << u""_s << u""_s << 16 << u"ああああああああああああああああ"_s << 0;
        QTest::newRow("nothing selected: a beep") << u"kana:あ field 変換"_s << u"あ"_s << u""_s << 0 << u"-"_s << 1;
        QTest::newRow("no kana selected: a beep") << u"key:cmdKazu_1 変換"_s << u"１"_s << u"１"_s << 0 << u"-"_s << 1;
        // clang-format on
    }

    void steps()
    {
        QFETCH(QString, script);
        QFETCH(QString, text);
        QFETCH(QString, selected);
        QFETCH(int, kanjisu);
        QFETCH(QString, shown);
        QFETCH(int, beeps);
        Harness h;
        run(h, script);
        QCoreApplication::processEvents();
        QCOMPARE(h.text(), text);
        QCOMPARE(h.selected(), selected);
        QCOMPARE(h.vars().Kanjisu, kanjisu);
        const convert::Session *session = conversion(h).session();
        QCOMPARE(session ? session->composed() : u"-"_s, shown);
        QCOMPARE(converting(h), shown != u"-"_s);
        QCOMPARE(h.desktop.beeps, beeps);
        if (session) {
            if (h.keyboard().isActiveWindow())
                QCOMPARE(QApplication::focusWidget(), h.field()); // the bar never takes it
            // Every segment has its button, the current one checked.
            const auto current = session->current();
            auto *segment = child<ui::Button>(bar(h), u"cmdBunsetsu_%1"_s.arg(current));
            QVERIFY(segment->isVisibleTo(&bar(h)) && segment->isChecked());
            QCOMPARE(segment->text(), session->chosenText(current));
        }
    }

    // Without a dictionary the menu's entry says why it is off, and the 変換 key only beeps.
    void unavailableEngine()
    {
        Harness h;
        h.engineMode = TableEngine::Unavailable;
        clickKeysFor(h, u"にほん"_s);
        QAction *entry = menuEntry(h);
        QVERIFY(entry);
        QCOMPARE(entry->text(), u"変換"_s);
        QVERIFY(!entry->isEnabled());
        QCOMPARE(entry->toolTip(), u"辞書がありません"_s);
        QApplication::activePopupWidget()->close();
        run(h, u"変換"_s);
        QCOMPARE(h.desktop.beeps, 1);
        QCOMPARE(h.selected(), u"にほん"_s);
        QVERIFY(shownEntries(h).isEmpty());
        QVERIFY(!converting(h));
        auto *henkan = child<ui::Button>(bar(h), u"cmdHenkan"_s);
        QVERIFY(!henkan->isEnabled());
        QCOMPARE(henkan->toolTip(), u"辞書がありません"_s);
    }

    void menuEntryWantsKana()
    {
        Harness h;
        h.click(u"cmdKazu_1"_s);
        QAction *entry = menuEntry(h);
        QVERIFY(entry && !entry->isEnabled());
        QCOMPARE(entry->toolTip(), u"かなを選ぶと変換できます"_s);
        QApplication::activePopupWidget()->close();
    }

    // What was taken is learned; what was cancelled is not.
    void acceptingTeachesTheEngine()
    {
        Harness h;
        run(h, u"kana:きょうは 変換 Space Esc 変換 Space Enter"_s);
        QVERIFY(h.engine);
        QCOMPARE(h.engine->learned, (QList<QStringList> { { u"きょう"_s, u"は"_s }, { u"京"_s, u"は"_s } }));
    }

    // After every key the bar offers the selected kana converted as a whole, predicted and as typed, in that order.
    void entriesAsYouType_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("a word") << u"kana:にほん"_s << QStringList { u"日本"_s, u"二本"_s, u"にほん"_s, u"ニホン"_s };
        QTest::newRow("two words, then each alternative") << u"kana:きょうは"_s
                                                          << QStringList { u"今日は"_s, u"京は"_s, u"今日葉"_s,
                                                                 u"強は"_s, u"今日歯"_s, u"きょうは"_s, u"キョウハ"_s };
        QTest::newRow("a prediction after the conversions")
            << u"kana:てんき"_s << QStringList { u"天気"_s, u"転機"_s, u"天気予報"_s, u"てんき"_s, u"テンキ"_s };
        QTest::newRow("what was taken is predicted next time")
            << u"kana:にほん entry:二本 key:cmdClrall kana:に"_s << QStringList { u"に"_s, u"二本"_s, u"ニ"_s };
        QTest::newRow("only what the key added")
            << u"kana:にほん entry:日本 kana:でんわ"_s << QStringList { u"電話"_s, u"でんわ"_s, u"デンワ"_s };
        QTest::newRow("nothing without kana") << u"key:cmdKazu_1"_s << QStringList {};
        QTest::newRow("nothing while converting")
            << u"kana:にほん 変換"_s << QStringList { u"日本"_s, u"二本"_s, u"にほん"_s, u"ニホン"_s };
        QTest::newRow("a prediction that fits")
            << u"type:ああああああああああああ kana:てん"_s << QStringList { u"てん"_s, u"天気予報"_s, u"テン"_s };
        QTest::newRow("none too long for the field")
            << u"type:あああああああああああああ kana:てん"_s << QStringList { u"てん"_s, u"テン"_s };
    }

    void entriesAsYouType()
    {
        QFETCH(QString, script);
        QFETCH(QStringList, entries);
        Harness h;
        run(h, script);
        QCOMPARE(
            conversion(h).active() ? QStringList() : shownEntries(h), conversion(h).active() ? QStringList() : entries);
        if (conversion(h).active()) {
            // While converting the bar shows the current segment's candidates instead.
            QCOMPARE(shownEntries(h), entries);
        }
        const bool any = !entries.isEmpty() || conversion(h).active();
        QCOMPARE(child(bar(h), u"lblHint"_s)->isVisibleTo(&bar(h)), !any);
    }

    // Speech says an entry in kanji as the kana it stands for: the Japanese voice Debian has reads no kanji.
    void entrySpokenAsItsReading()
    {
        Harness h;
        run(h, u"kana:にほん"_s);
        assist::AccessSettings settings;
        settings.dwell = true;
        settings.speech = true;
        h.app().accessOptions().set(settings);
        auto *entry = child<ui::Button>(bar(h), u"cmdKoho_0"_s);
        QTRY_COMPARE(entry->text(), u"日本"_s); // the bar shows its entries after the key's own repaint
        h.moveOnto(entry);
        QCOMPARE(h.app().speech().lastSpoken(), u"にほん"_s);
        // 読み上げ reads what was converted, by the bar or by a full conversion, as the kana it was written from;
        // kana typed since are read as they stand.
        run(h, u"entry:日本 kana:と 変換 Enter kana:きょうは 変換 Enter kana:の 読み上げ"_s);
        QCOMPARE(h.text(), u"日本と今日はの"_s);
        QCOMPARE(h.app().speech().lastSpoken(), u"にほんときょうはの"_s);
    }

    // More entries than a page holds: ▶ and ◀ turn the pages and take nothing; every entry is as tall as a key,
    // as wide as its text, and five or more are in view at once.
    void entryPages()
    {
        Harness h;
        run(h, u"kana:し"_s);
        const QStringList first = shownEntries(h);
        QVERIFY2(first.size() >= 5, qPrintable(first.join(u' ')));
        const int keyHeight = h.key(u"cmdMoji_0"_s)->height();
        for (int i = 0; i < first.size(); ++i) {
            auto *entry = child<ui::Button>(bar(h), u"cmdKoho_%1"_s.arg(i));
            QVERIFY(entry->height() >= keyHeight);
            QVERIFY(entry->width() >= entry->fontMetrics().horizontalAdvance(entry->text()));
        }
        const QList<convert::Suggestion> all = bar(h).entries();
        if (all.size() > first.size()) {
            run(h, u"▶"_s);
            const QStringList second = shownEntries(h);
            QCOMPARE(second.value(0), all.at(first.size()).text);
            QCOMPARE(h.selected(), u"し"_s); // nothing was taken
            run(h, u"◀"_s);
            QCOMPARE(shownEntries(h), first);
        }
    }

    // The bar stands along the keyboard's bottom edge, as wide as the keyboard, belongs to it, never takes the
    // focus, and names its controls for a screen reader; under the pointer an entry lights up as the keys do.
    void candidateBar()
    {
        Harness h;
        run(h, u"kana:にほん 変換 Enter kana:きょうは"_s);
        convert::FrmKoho &w = bar(h);
        QTRY_VERIFY(w.isVisible());
        shownEntries(h);
        QCOMPARE(w.width(), h.keyboard().width());
        QCOMPARE(w.geometry().x(), h.keyboard().geometry().x());
        const QRect screen = w.screen()->availableGeometry();
        QVERIFY(screen.contains(w.geometry()));
        const int fieldBottom = h.field()->mapToGlobal(QPoint(0, h.field()->height())).y();
        QVERIFY(w.y() > h.keyboard().frameGeometry().bottom()
            || w.geometry().bottom() < h.keyboard().frameGeometry().top() || w.y() >= fieldBottom);
        QCOMPARE(w.windowHandle()->transientParent(), h.keyboard().windowHandle());
        QVERIFY(w.windowFlags() & Qt::WindowDoesNotAcceptFocus);
        QCOMPARE(QApplication::focusWidget(), h.field());

        const auto name
            = [](QWidget *widget) { return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name); };
        const auto description = [](QWidget *widget) {
            return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
        };
        QCOMPARE(name(child(w, u"cmdKoho_0"_s)), u"今日は"_s);
        QCOMPARE(name(child(w, u"cmdHenkan"_s)), u"変換"_s);
        QCOMPARE(description(child(w, u"cmdHenkan"_s)), u"選んだかなを漢字に変換します"_s);
        run(h, u"bar:変換"_s);
        QCOMPARE(QApplication::focusWidget(), h.field());
        const QList<ui::Button *> buttons = w.findChildren<ui::Button *>();
        for (const char *caption : { "短く", "長く", "確定", "取消" }) {
            const auto found = std::find_if(
                buttons.begin(), buttons.end(), [&](ui::Button *b) { return b->text() == QString::fromUtf8(caption); });
            QVERIFY(found != buttons.end() && (*found)->isVisibleTo(&w));
            QCOMPARE(name(*found), QString::fromUtf8(caption));
            QVERIFY(!description(*found).isEmpty());
        }
        ui::Button *first = child<ui::Button>(w, u"cmdKoho_0"_s);
        ui::Button *second = child<ui::Button>(w, u"cmdKoho_1"_s);
        QCOMPARE(name(first), u"今日"_s);
        QVERIFY(first->isChecked() && !second->isChecked());
        QCOMPARE(name(child(w, u"cmdBunsetsu_1"_s)), u"は"_s);
        QVERIFY(child<ui::Button>(w, u"cmdBunsetsu_0"_s)->isChecked());
        QVERIFY(!child(w, u"cmdBunsetsu_2"_s)->isVisible());

        QCoreApplication::processEvents();
        h.moveOnto(second);
        QCoreApplication::processEvents();
        QCOMPARE(second->backColor(), QColor(255, 255, 255));
        QCOMPARE(first->backColor(), QColor(255, 255, 128)); // the chosen one keeps its mark
        saveArtefact(&w, u"candidate-bar"_s);
        // Hidden with the keyboard.
        h.keyboard().hide();
        QVERIFY(!w.isVisible());
    }
};

QTEST_MAIN(ConversionTest)
#include "tst_conversion.moc"
