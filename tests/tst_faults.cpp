// SPDX-License-Identifier: GPL-3.0-or-later
// Every platform operation of every handler refused in turn: the handler must stop at that step with the steps
// before it done, report the failure once, keep the text, and leave a program that goes on working.
//
// Each case prepares a state, runs its handler through the real widget event and says, step by step, which
// operation the handler performs and what that step changes. A snapshot of everything a user could see (text,
// selection, variables, focus, windows, colours, pictures, beeps, clipboard) must then equal the state before the
// event with exactly the completed steps applied.
#include "Colours.h"
#include "FaultPlan.h"
#include "KeyboardModel.h"
#include "convert/FrmKoho.h"
#include "explain/Explanation.h"
#include "explain/Pages.h"
#include "keyboard/KeyboardLayout.h"
#include "ui/Platform.h"

#include <QTest>
#include <array>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using ui::Operation;

namespace {

struct Case {
    // Brings the program into the state the case starts from.
    std::function<void(Harness &)> prepare;
    // The handler's steps from that state; `created` is what the clean run left, for windows it creates.
    std::function<Plan(Harness &, const Snapshot &created)> plan;
    // Sends the event that runs the handler.
    std::function<void(Harness &)> trigger;
    // The case creates a window, which no later event can take back: every run starts a new program.
    bool fresh = false;
};

// An empty field with no pending click, every window created, the notice hidden and page 1 alone visible.
void settle(Harness &h, bool createAll = true)
{
    if (createAll) {
        h.explanation().showPage(2);
        h.explanation().showPage(3);
        h.explanation().hidePage(2);
        h.explanation().hidePage(3);
        h.explanation().hideNotice();
    }
    h.click(u"cmdClrall"_s);
    QCoreApplication::processEvents();
}

// A preparation: settle, then あ clicked `count` times.
std::function<void(Harness &)> settled(int count = 0, bool createAll = true)
{
    return [=](Harness &h) {
        settle(h, createAll);
        h.fill(count);
    };
}

// settled, then x typed on the physical keyboard at the end.
std::function<void(Harness &)> typedAfter(int count)
{
    return [count](Harness &h) {
        settled(count)(h);
        h.field()->end(false);
        h.type(u"x"_s);
    };
}

QWidget *pageControl(Harness &h, int n, const QString &name)
{
    return child(h.page(n), name);
}

Case clickKey(const QString &key, std::function<void(Harness &)> prepare, bool fresh = false)
{
    return { std::move(prepare),
        [key](Harness &h, const Snapshot &created) {
            if (key.startsWith(u"cmdEmoji")) {
                // A face mark goes to the end, then the length check; no selection, no focus.
                const QString old = h.text();
                const QString mark = h.key(key)->text();
                const QString made = old + mark;
                Plan plan { key + u"_Click"_s, clickOnKey(h, key), {} };
                const int measured = int(std::min<qsizetype>(made.size(), 16));
                plan.steps.push_back({ Operation::SetText,
                    { { u"text"_s, wholeLeft(made, 16) }, { u"selection"_s, u"caret 0"_s },
                        { u"Jikazu"_s, number(measured) } } });
                lengthCheck(plan, h, made, created);
                return plan;
            }
            return insertion(h, key, typedBy(h, key), created);
        },
        [key](Harness &h) { h.click(key); }, fresh };
}

int g_rows = 0; // rows in the table
int g_rowsRun = 0;

QTestData &row(const char *name)
{
    ++g_rows;
    return QTest::newRow(name);
}

void addRows()
{
    QTest::addColumn<Case>("sweep");

    // Character keys.
    row("kana key, clicked place inside the text") << clickKey(u"cmdMoji_5"_s, [](Harness &h) {
        settle(h);
        h.fill(3);
        h.clickFieldAt(1);
    });
    row("small kana at the limit, notice exists") << clickKey(u"cmdMojiS_0"_s, settled(15));
    row("symbol key at the limit, notice created now") << clickKey(u"cmdKigo_3"_s, settled(15, false), true);
    row("digit key after typing: the mark selects") << clickKey(u"cmdKazu_5"_s, [](Harness &h) {
        settle(h);
        h.type(u"ab"_s);
    });
    row("voiced key") << clickKey(u"cmdDaku_0"_s, settled(2));
    row("space key") << clickKey(u"cmdSpce"_s, settled());
    row("face mark") << clickKey(u"cmdEmoji3"_s, settled(2));
    row("face mark past the limit") << clickKey(u"cmdEmoji1"_s, settled(9));
    row("face mark past the limit, notice created now") << clickKey(u"cmdEmoji2"_s, settled(12, false), true);

    // Editing commands.
    const auto deletion = [](Harness &h, const Snapshot &created) {
        const QString old = h.text();
        const keyboard::KeyboardVariables &v = h.vars();
        Plan plan { u"cmdClr_Click"_s, clickOnKey(h, u"cmdClr"_s), {} };
        plan.before.push_back({ u"Jikazu"_s, number(old.size()) });
        if (!old.isEmpty()) {
            const bool inside = v.Aru == 1 && v.Kasoru < old.size();
            const QString text = deleted(old, v);
            Step assign { Operation::SetText, { { u"text"_s, text }, { u"selection"_s, u"caret 0"_s } } };
            if (inside)
                assign.effects.insert(
                    assign.effects.end(), { { u"Kasoru"_s, number(text.size()) }, { u"Aru"_s, u"0"_s } });
            plan.steps.push_back(assign);
        }
        if (old.size() <= 15) {
            if (!h.explanation().noticeIfCreated())
                createWindow(plan, 4, created);
            plan.steps.push_back({ Operation::HideWindow, { { u"window FrmBun3d"_s, u"hidden"_s } } });
        }
        const Effect lowered { u"Kanjisu"_s, number(std::max(v.Kanjisu - 1, 0)) };
        if (plan.steps.empty())
            plan.before.push_back(lowered);
        else
            plan.steps.back().effects.push_back(lowered);
        plan.steps.push_back({ Operation::SetFocus, { { u"focus FrmKyBod"_s, u"cmdCopy"_s } } });
        return plan;
    };
    const auto clickClr = [](Harness &h) { h.click(u"cmdClr"_s); };
    row("delete inside the text, notice shown") << Case { [](Harness &h) {
                                                             typedAfter(14)(h);
                                                             h.explanation().showNotice();
                                                             h.clickFieldAt(3);
                                                         },
        deletion, clickClr };
    row("delete from 16 typed characters") << Case { typedAfter(15), deletion, clickClr };
    row("delete from an empty text, notice created now") << Case { [](Harness &h) {
                                                                      settle(h, false);
                                                                      h.type(u"ab"_s);
                                                                      h.field()->clear();
                                                                  },
        deletion, clickClr, true };
    row("clear") << Case { [](Harness &h) {
                              settle(h);
                              h.type(u"ab"_s);
                              h.fill(2);
                          },
        [](Harness &h, const Snapshot &) {
            std::vector<Effect> before = clickOnKey(h, u"cmdClrall"_s);
            before.insert(before.end(), { { u"Jikazu"_s, u"0"_s }, { u"Kanjisu"_s, u"0"_s } });
            return Plan { u"cmdClrall_Click"_s, before,
                { { Operation::SetText, { { u"text"_s, QString() }, { u"selection"_s, u"caret 0"_s } } },
                    { Operation::SetFocus, { { u"focus FrmKyBod"_s, u"Txt1"_s } } } } };
        },
        [](Harness &h) { h.click(u"cmdClrall"_s); } };
    const auto copy = [](Harness &h, const Snapshot &created) {
        QStringList calls = h.desktop.clipboardCalls;
        Plan plan { u"cmdCopy_Click"_s, clickOnKey(h, u"cmdCopy"_s), {} };
        calls << u"clear"_s;
        plan.steps.push_back({ Operation::ClipboardClear, { { u"clipboard"_s, calls.join(u'|') } } });
        calls << u"set:"_s + h.text();
        plan.steps.push_back({ Operation::ClipboardSetText, { { u"clipboard"_s, calls.join(u'|') } } });
        if (!h.explanation().pageIfCreated(3))
            createWindow(plan, 3, created);
        plan.steps.push_back({ Operation::ShowWindow, { { u"window FrmBun3c"_s, u"visible"_s } } });
        plan.steps.push_back({ Operation::SetFocus, { { u"focus FrmKyBod"_s, u"Txt1"_s } } });
        return plan;
    };
    const auto clickCopy = [](Harness &h) { h.click(u"cmdCopy"_s); };
    row("copy") << Case { settled(3), copy, clickCopy };
    row("copy, page 3 created now") << Case { settled(3, false), copy, clickCopy, true };
    const auto explain = [](Harness &h, const Snapshot &created) {
        Plan plan { u"cmdBun_Click"_s, clickOnKey(h, u"cmdBun"_s), {} };
        if (!h.explanation().pageIfCreated(2))
            createWindow(plan, 2, created);
        plan.steps.push_back({ Operation::ShowWindow, { { u"window FrmBun3b"_s, u"visible"_s } } });
        return plan;
    };
    const auto clickBun = [](Harness &h) { h.click(u"cmdBun"_s); };
    row("explanation") << Case { settled(), explain, clickBun };
    row("explanation, page 2 created now") << Case { settled(0, false), explain, clickBun, true };

    // Hover highlighting on the keyboard: one key of each group and every command.
    for (const char *key : { "cmdMoji_7", "cmdMojiS_3", "cmdDaku_16", "cmdKazu_9", "cmdKigo_12", "cmdBun", "cmdEmoji1",
             "cmdEmoji2", "cmdEmoji3", "cmdSpce", "cmdCopy", "cmdClr", "cmdClrall", "cmdEND" }) {
        const QString name = QLatin1String(key);
        row(qPrintable(u"pointer onto "_s + name))
            << Case { [name](Harness &h) { h.moveOnto(h.key(name == u"cmdKazu_9" ? u"cmdMoji_0"_s : u"cmdKazu_0"_s)); },
                   [name](Harness &h, const Snapshot &) { return keyHover(h, name); },
                   [name](Harness &h) { h.moveOnto(h.key(name)); } };
    }
    row("pointer onto the keyboard's surface") << Case { [](Harness &h) { h.moveOnto(h.key(u"cmdMoji_0"_s)); },
        [](Harness &, const Snapshot &) {
            return Plan { u"Form_MouseMove"_s, {},
                { { Operation::SetColor, { { u"back FrmKyBod"_s, LightGreen.name() } } } } };
        },
        [](Harness &h) { h.moveOnto(&h.keyboard(), QPoint(2, 2)); } };
    row("pointer onto the field") << Case { [](Harness &h) { h.moveOnto(h.key(u"cmdMoji_0"_s)); },
        [](Harness &, const Snapshot &) {
            return Plan { u"Txt1_MouseMove"_s, {},
                { { Operation::SetColor, { { u"field colour"_s, Hover.name() } } } } };
        },
        [](Harness &h) { h.moveOnto(h.field()); } };

    // The pages: every button of the ring, its highlighting, and the controls that only reset the buttons.
    for (int n = 1; n <= 3; ++n) {
        for (const QChar which : { u'B', u'N', u'E' }) {
            const QString button = u"CmdBun%1%2"_s.arg(n).arg(which);
            row(qPrintable(button + u" click"_s)) << Case { [n](Harness &h) {
                                                               settle(h);
                                                               h.explanation().hidePage(1);
                                                               h.explanation().showPage(n);
                                                           },
                [n, which](Harness &h, const Snapshot &created) { return navigation(h, n, which, created); },
                [n, button](Harness &h) { QTest::mouseClick(pageControl(h, n, button), Qt::LeftButton); } };
            row(qPrintable(u"pointer onto "_s + button))
                << Case { [n, which](Harness &h) {
                             settle(h);
                             h.explanation().showPage(n);
                             h.moveOnto(
                                 pageControl(h, n, u"CmdBun%1%2"_s.arg(n).arg(QChar(which == u'B' ? u'E' : u'B'))));
                         },
                       [n, button](Harness &, const Snapshot &) {
                           Plan plan { button + u"_MouseMove"_s, {}, pageReset(n) };
                           plan.steps.push_back({ Operation::SetColor, { { u"colour "_s + button, Hover.name() } } });
                           return plan;
                       },
                       [n, button](Harness &h) { h.moveOnto(pageControl(h, n, button)); } };
        }
    }
    row("page 1 next, page 2 created now") << Case { settled(0, false),
        [](Harness &h, const Snapshot &created) { return navigation(h, 1, u'N', created); },
        [](Harness &h) { QTest::mouseClick(pageControl(h, 1, u"CmdBun1N"_s), Qt::LeftButton); }, true };
    const auto resetOnly = [](int n, const QString &control, bool click) {
        return Case { [n](Harness &h) {
                         settle(h);
                         h.explanation().showPage(n);
                         h.moveOnto(pageControl(h, n, u"CmdBun%1N"_s.arg(n)));
                     },
            [n, control, click](Harness &, const Snapshot &) {
                const QString group = control.left(control.indexOf(u'_'));
                return Plan { group + (click ? u"_Click"_s : u"_MouseMove"_s), {}, pageReset(n) };
            },
            [n, control, click](Harness &h) {
                QWidget *target = pageControl(h, n, control);
                if (click)
                    QTest::mouseClick(target, Qt::LeftButton);
                else
                    h.moveOnto(target);
            },
            n == 1 };
    };
    row("click on page 1's first picture") << resetOnly(1, u"ImgBun1a_0"_s, true);
    for (const char *control : { "ImgBun2a", "ImgBun2b", "lblBun2a", "lblBun2b", "ImgBun3", "lblBun3b" })
        row(qPrintable(u"pointer onto "_s + QLatin1String(control)))
            << resetOnly(control[6] - '0', QLatin1String(control), false);
    row("pointer onto page 1's second picture") << Case { [](Harness &h) {
                                                             settle(h);
                                                             h.moveOnto(&h.page(1), QPoint(2, 2));
                                                             h.moveOnto(pageControl(h, 1, u"CmdBun1N"_s));
                                                         },
        [](Harness &, const Snapshot &) {
            return Plan { u"ImgBun1b_MouseMove"_s, {}, pageReset(1) };
        },
        [](Harness &h) { h.moveOnto(pageControl(h, 1, u"ImgBun1b_1"_s)); } };
    row("page 1's change of look") << Case { [](Harness &h) {
                                                settle(h);
                                                h.moveOnto(pageControl(h, 1, u"CmdBun1B"_s));
                                            },
        [](Harness &h, const Snapshot &) {
            const QWidget *second = pageControl(h, 1, u"ImgBun1b_1"_s);
            const QString at = u"%1,%2"_s.arg(second->x()).arg(second->y());
            const QWidget *first = pageControl(h, 1, u"ImgBun1a_0"_s);
            const QString firstAt = u"%1,%2"_s.arg(first->x()).arg(first->y());
            return Plan { u"Form_MouseMove"_s, {},
                { { Operation::SetColor, { { u"back FrmBun3a"_s, LightGreen.name() } } },
                    { Operation::SetPicture, { { u"picture ImgBun1a_0"_s, u"hidden at "_s + firstAt } } },
                    { Operation::SetPicture, { { u"picture ImgBun1b_1"_s, u"shown at "_s + at } } },
                    { Operation::SetPicture, { { u"picture ImgBun1b_1"_s, u"shown at 420,10"_s } } } } };
        },
        [](Harness &h) { h.moveOnto(&h.page(1), QPoint(2, 2)); }, true };
    row("the notice's close button") << Case { settled(16),
        [](Harness &, const Snapshot &) {
            return Plan { u"CmdBun4E_Click"_s, { { u"focus FrmBun3d"_s, u"CmdBun4E"_s } },
                { { Operation::HideWindow, { { u"window FrmBun3d"_s, u"hidden"_s } } } } };
        },
        [](Harness &h) {
            QTest::mouseClick(h.explanation().notice().findChild<QWidget *>(u"CmdBun4E"_s), Qt::LeftButton);
        } };
}

// The failure reports, caught so that each can be checked.
QStringList g_reports;
QtMessageHandler g_previous = nullptr;

void catchReports(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (type == QtWarningMsg && qstrcmp(context.category, "gojuon-keyboard") == 0
        && message.contains(u" stopped: "_s)) {
        g_reports << qFormatLogMessage(type, context, message); // as the program prints it
        return;
    }
    g_previous(type, context, message);
}

int g_pairs = 0;
std::array<int, OperationCount> g_byOperation {};

} // namespace

Q_DECLARE_METATYPE(Case)

class FaultsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void initTestCase() { g_previous = qInstallMessageHandler(catchReports); }

    void everyStepRefusedInTurn_data() { addRows(); }

    void everyStepRefusedInTurn()
    {
        QFETCH(Case, sweep);
        ++g_rowsRun;
        std::unique_ptr<Harness> h = std::make_unique<Harness>();

        // A first run shows the windows the handler creates, as they look when first made.
        sweep.prepare(*h);
        sweep.trigger(*h);
        const Snapshot created = snapshot(*h);

        // Every run starts with the keyboard the active window, as after start-up: which window is active decides
        // whether the field gives up its selection when a key takes the focus.
        Snapshot before;
        Plan plan;
        const auto start = [&] {
            if (sweep.fresh)
                h = std::make_unique<Harness>();
            sweep.prepare(*h);
            QCoreApplication::processEvents();
            h->activateKeyboard();
            before = snapshot(*h);
            plan = sweep.plan(*h, created);
            g_reports.clear();
        };

        // A clean run performs exactly the planned steps, with all their effects.
        start();
        const int checkedBefore = ui::FaultHook::operationsChecked();
        sweep.trigger(*h);
        const int steps = ui::FaultHook::operationsChecked() - checkedBefore;
        QCOMPARE(steps, int(plan.steps.size()));
        QVERIFY2(g_reports.isEmpty(), qPrintable(g_reports.join(u'\n')));
        const QString cleanDifferences = differences(snapshot(*h), expected(before, plan, plan.steps.size()));
        QVERIFY2(cleanDifferences.isEmpty(), qPrintable(u"clean run:"_s + cleanDifferences));

        for (int k = 0; k < steps; ++k) {
            start();
            const Step &refused = plan.steps[std::size_t(k)];
            const QString where = u"%1, step %2 of %3 (%4)"_s.arg(plan.handler)
                                      .arg(k + 1)
                                      .arg(steps)
                                      .arg(QLatin1String(ui::operationName(refused.operation)));
            const int reported = ui::failuresReported();
            const int checked = ui::FaultHook::operationsChecked();
            ui::FaultHook::armAny(k);
            sweep.trigger(*h);

            // Stopped at that step, and reported once, naming the handler and the operation.
            QVERIFY2(!ui::FaultHook::armed(), qPrintable(where + u": the step was never reached"_s));
            QVERIFY2(ui::FaultHook::operationsChecked() - checked == k + 1,
                qPrintable(where + u": %1 operations ran"_s.arg(ui::FaultHook::operationsChecked() - checked)));
            QVERIFY2(ui::failuresReported() == reported + 1 && g_reports.size() == 1,
                qPrintable(where + u": reported %1 times"_s.arg(ui::failuresReported() - reported)));
            const QString report
                = u"%1 stopped: could not %2"_s.arg(plan.handler, QLatin1String(ui::operationName(refused.operation)));
            QVERIFY2(g_reports.first().contains(report), qPrintable(where + u": "_s + g_reports.first()));

            // The steps before it done, none after it.
            const Snapshot after = snapshot(*h);
            const QString found = differences(after, expected(before, plan, std::size_t(k)));
            QVERIFY2(found.isEmpty(), qPrintable(where + found));

            // The text is the one before or one a completed step made, never anything else.
            QStringList madeTexts { before.at(u"text"_s) };
            for (int i = 0; i < k; ++i) {
                for (const Effect &effect : plan.steps[std::size_t(i)].effects) {
                    if (effect.property == u"text")
                        madeTexts << effect.value;
                }
            }
            QVERIFY2(madeTexts.contains(after.at(u"text"_s)), qPrintable(where + u": the text was lost"_s));

            // The program goes on: the next key works.
            h->click(u"cmdClrall"_s);
            h->click(u"cmdMoji_1"_s);
            QVERIFY2(h->text() == u"い"_s && ui::failuresReported() == reported + 1,
                qPrintable(where + u": the next key did not work"_s));
            ++g_pairs;
            ++g_byOperation[std::size_t(refused.operation)];
        }
    }

    // Start-up: the keyboard's load step opens page 1, whose own load step places its pictures. A refused step stops
    // the load step it belongs to; the keyboard opens all the same and works.
    void startUpStepsRefusedInTurn()
    {
        // Building the keyboard's own table and its candidate bar's comes first; it is no handler's step.
        const int counted = ui::FaultHook::operationsChecked();
        {
            const ui::Form bare(keyboard::FrmKyBodDefinition);
            const ui::Form bar(convert::FrmKohoDefinition);
        }
        const int building = ui::FaultHook::operationsChecked() - counted;
        int total = 0;
        {
            TestDesktop desktop;
            keyboard::KeyboardApp program(desktop);
            const int before = ui::FaultHook::operationsChecked();
            program.start();
            total = ui::FaultHook::operationsChecked() - before - building;
        }
        // Page 1 made (three buttons' colours), its load step (picture shown, moved, the other hidden), page 1 shown.
        QCOMPARE(total, 7);
        for (int step = 0; step < total; ++step) {
            TestDesktop desktop;
            keyboard::KeyboardApp program(desktop);
            g_reports.clear();
            const int reported = ui::failuresReported();
            ui::FaultHook::armAny(building + step);
            program.start();
            const QString where = u"start-up, step %1 of %2"_s.arg(step + 1).arg(total);
            QVERIFY2(!ui::FaultHook::armed() && ui::failuresReported() == reported + 1 && g_reports.size() == 1,
                qPrintable(where));
            QVERIFY2(g_reports.first().contains(u"Form_Load stopped"_s), qPrintable(where + g_reports.first()));

            const ui::Form *page1 = program.explanation().pageIfCreated(1);
            QVERIFY2(bool(page1) == (step >= 3), qPrintable(where + u": page 1 made or not"_s));
            if (page1) {
                QVERIFY2(page1->isVisible() == (step < 6), qPrintable(where + u": page 1 shown or not"_s));
                const QWidget *first = page1->findChild<QWidget *>(u"ImgBun1a_0"_s);
                QVERIFY2((first->pos() == QPoint(420, 10)) == (step >= 5), qPrintable(where + u": picture moved"_s));
            }
            QVERIFY2(program.keyboard().isVisible(), qPrintable(where));
            QTest::mouseClick(program.keyboard().findChild<QWidget *>(u"cmdMoji_1"_s), Qt::LeftButton);
            QVERIFY2(program.keyboard().findChild<QLineEdit *>(u"Txt1"_s)->text() == u"い"_s,
                qPrintable(where + u": the next key did not work"_s));
            ++g_pairs;
            ++g_byOperation[std::size_t(step < 3 ? Operation::SetColor
                    : step < 6                   ? Operation::SetPicture
                                                 : Operation::ShowWindow)];
        }
    }

    void cleanupTestCase()
    {
        qInstallMessageHandler(g_previous);
        QString byOperation;
        for (int op = 0; op < OperationCount; ++op) {
            byOperation += u"%1 %2, "_s.arg(g_byOperation[std::size_t(op)])
                               .arg(QLatin1String(ui::operationName(Operation(op))));
        }
        byOperation.chop(2);
        qInfo("faults: %d (handler, step) pairs refused and survived: %s", g_pairs, qPrintable(byOperation));
        // Every kind of platform operation was refused somewhere, when the whole table ran.
        if (g_rows > 0 && g_rowsRun == g_rows) {
            for (int op = 0; op < OperationCount; ++op)
                QVERIFY2(g_byOperation[std::size_t(op)] > 0, ui::operationName(Operation(op)));
        }
    }
};

QTEST_MAIN(FaultsTest)
#include "tst_faults.moc"
