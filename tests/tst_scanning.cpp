// SPDX-License-Identifier: GPL-3.0-or-later
// Switch scanning on the real keyboard, its steps driven by a test clock: the order it scans the keyboard in, one
// and two switches, switch keys and mouse presses taken from the window, a text written, converted and copied with
// one switch, and nothing changed while scanning is off.
#include "Harness.h"
#include "assist/Clock.h"
#include "assist/FrmSettei.h"
#include "assist/Scanner.h"
#include "assist/Speech.h"
#include "convert/Conversion.h"
#include "convert/FrmKoho.h"

#include <QAccessible>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

constexpr int Interval = 1200; // the default step, in milliseconds

QString label(const ui::Button *key)
{
    return key->accessibleName().isEmpty() ? key->text() : key->accessibleName();
}

struct Scanning {
    explicit Scanning(Harness &harness, assist::ScanMode mode, bool mouseSwitch = true)
        : h(harness)
    {
        h.app().scanner().setClock(clock);
        h.app().scanner().onHighlight = [this](const QString &name) { spoken = name; };
        assist::AccessSettings settings = h.app().accessOptions().current();
        settings.scan = mode;
        settings.mouseSwitch = mouseSwitch;
        h.app().accessOptions().set(settings);
    }
    ~Scanning() { h.app().scanner().setClock(assist::steadyClock()); }
    assist::Scanner &scanner() { return h.app().scanner(); }
    QStringList highlighted()
    {
        QStringList labels;
        for (const ui::Button *key : scanner().highlighted())
            labels << label(key);
        return labels;
    }

    // One word a step: wait (one interval), move and pick (the switch keys to the focus; page:move and page:pick to
    // page 1), mouse:NAME (a press and release of the left button on that key, the field or a button of page 1),
    // right:NAME (the right button).
    void run(const QString &script)
    {
        for (const QString &word : script.split(u' ', Qt::SkipEmptyParts)) {
            const AccessSettingsKeys keys = keysOf();
            if (word == u"wait")
                clock.advance(Interval);
            else if (word == u"move" || word == u"pick")
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(word == u"move" ? keys.move : keys.pick));
            else if (word == u"page:move" || word == u"page:pick") // to page 1, as where a compositor focuses it
                QTest::keyClick(&h.page(1), Qt::Key(word == u"page:move" ? keys.move : keys.pick));
            else if (word.startsWith(u"mouse:") || word.startsWith(u"right:"))
                QTest::mouseClick(control(word.mid(6)), word.startsWith(u"mouse:") ? Qt::LeftButton : Qt::RightButton);
            else
                qFatal("unknown step %s", qPrintable(word));
            QCoreApplication::processEvents(); // the bar shows what the last key changed
        }
    }

    QWidget *control(const QString &name)
    {
        QWidget *onKeyboard = h.keyboard().findChild<QWidget *>(name);
        return onKeyboard ? onKeyboard : h.page(1).findChild<QWidget *>(name);
    }

    // Waits for `key`'s group, picks it, waits for the key and picks it: how many steps and presses that took.
    int reach(ui::Button *key)
    {
        int cost = 0;
        const auto until = [&](auto reached) {
            for (int guard = 0; !reached() && guard < 60; ++guard, ++cost)
                clock.advance(Interval);
            // A press on the bare window, which would take an open conversion were it a click.
            QTest::mouseClick(&h.keyboard(), Qt::LeftButton, {}, QPoint(2, 2));
            QCoreApplication::processEvents();
            ++cost;
        };
        until([&] {
            const std::vector<ui::Button *> keys = scanner().highlighted();
            return scanner().keyIndex() < 0 && std::find(keys.begin(), keys.end(), key) != keys.end();
        });
        until([&] { return scanner().highlighted() == std::vector<ui::Button *> { key }; });
        return cost;
    }

    struct AccessSettingsKeys {
        int move, pick;
    };
    AccessSettingsKeys keysOf() const
    {
        const assist::AccessSettings &settings = h.app().accessOptions().current();
        return { settings.moveKey, settings.pickKey };
    }

    Harness &h;
    assist::ManualClock clock;
    QString spoken;
};

ui::Button *barButton(Harness &h, const QString &name)
{
    return child<ui::Button>(h.keyboard().candidateBar(), name);
}

} // namespace

class ScanningTest : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void scanOrder_data();
    void scanOrder();
    void switches_data();
    void switches();
    void oneSwitchComposition();
};

// The whole keyboard as one switch scans it, fresh and once kana are typed (the bar's entries then lead).
void ScanningTest::scanOrder_data()
{
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<int>("group");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("first");
    QTest::addColumn<QString>("last");
    QTest::addColumn<int>("count");
    const QList<std::array<QString, 3>> fresh {
        { u"\u3042\u884C"_s, u"\u3042"_s, u"\u304A"_s }, // あ行 あ お
        { u"\u304B\u884C"_s, u"\u304B"_s, u"\u3054"_s }, // か行 か .. こ が .. ご
        { u"\u3055\u884C"_s, u"\u3055"_s, u"\u305E"_s }, // さ行 さ .. そ ざ .. ぞ
        { u"\u305F\u884C"_s, u"\u305F"_s, u"\u3069"_s }, // た行 た .. と だ .. ど
        { u"\u306A\u884C"_s, u"\u306A"_s, u"\u306E"_s }, // な行 な の
        { u"\u306F\u884C"_s, u"\u306F"_s, u"\u307D"_s }, // は行 は .. ほ ば .. ぼ ぱ .. ぽ
        { u"\u307E\u884C"_s, u"\u307E"_s, u"\u3082"_s }, // ま行 ま も
        { u"\u3084\u884C"_s, u"\u3084"_s, u"\u3088"_s }, // や行 や よ
        { u"\u3089\u884C"_s, u"\u3089"_s, u"\u308D"_s }, // ら行 ら ろ
        { u"\u308F\u884C"_s, u"\u308F"_s, u"\u3002"_s }, // わ行 わ 。
        { u"\u9577\u97F3\u3068\u5C0F\u3055\u3044\u3063\u3083\u3085\u3087"_s, u"\u30FC"_s,
            u"\u3087"_s }, // 長音と小さいっゃゅょ ー ょ
        { u"\u5C0F\u3055\u3044\u3041\u3043\u3045\u3047\u3049"_s, u"\u3041"_s, u"\u3049"_s }, // 小さいぁぃぅぇぉ
        { u"\u6570\u5B57"_s, u"\uFF11"_s, u"\uFF10"_s }, // 数字 １ ０
        { u"\u8A18\u53F7"_s, u"\u266A"_s, u"\u300D"_s }, // 記号 ♪ 」
        { u"\u9854\u6587\u5B57\u3068\u30B3\u30DE\u30F3\u30C9"_s, u"\u8AAC\u660E\u3092 \u51FA\u3059"_s,
            u"\u7D42"_s }, // 顔文字とコマンド 説明を 出す 終
        { u"\u5019\u88DC\u30D0\u30FC\u306E\u30DC\u30BF\u30F3"_s, u"\u8AAD\u307F\u4E0A\u3052"_s,
            u"\u8A2D\u5B9A"_s }, // 候補バーのボタン 読み上げ 設定
        { u"\u8AAC\u660E\u30FC\uFF11"_s, u"\u524D"_s, u"\u9589"_s }, // 説明ー１ 前 閉, open at start
    };
    for (int group = 0; group < int(fresh.size()); ++group) {
        const auto &[name, first, last] = fresh.at(group);
        QTest::addRow("fresh %d %s", group, qPrintable(name)) << QStringList() << group << name << first << last << 17;
    }
    // きょう typed: its entries lead, the keys follow, then the bar's 変換, 読み上げ and 設定, then page 1.
    const QStringList kyou { u"cmdMoji_6"_s, u"cmdMojiS_8"_s, u"cmdMoji_2"_s };
    QTest::newRow("typed: entries first") << kyou << 0 << u"\u5019\u88DC"_s << u"\u4ECA\u65E5"_s // 候補 今日
                                          << u"\u30AD\u30E7\u30A6"_s << 18; // キョウ
    QTest::newRow("typed: あ column second") << kyou << 1 << u"\u3042\u884C"_s << u"\u3042"_s << u"\u304A"_s << 18;
    QTest::newRow("typed: bar's buttons after the keys")
        << kyou << 16 << u"\u5019\u88DC\u30D0\u30FC\u306E\u30DC\u30BF\u30F3"_s << u"\u5909\u63DB"_s << u"\u8A2D\u5B9A"_s
        << 18; // 候補バーのボタン 変換 設定
}

void ScanningTest::scanOrder()
{
    QFETCH(QStringList, typed);
    QFETCH(int, group);
    QFETCH(QString, name);
    QFETCH(QString, first);
    QFETCH(QString, last);
    QFETCH(int, count);
    Harness h;
    for (const QString &key : typed)
        h.click(key);
    QCoreApplication::processEvents();
    Scanning scan(h, assist::ScanMode::StepByStep);
    for (int i = 0; i < group; ++i)
        scan.run(u"move"_s);
    QCOMPARE(scan.scanner().groupIndex(), group);
    QCOMPARE(scan.spoken, name);
    const QStringList keys = scan.highlighted();
    QCOMPARE(keys.value(0), first);
    QCOMPARE(keys.value(keys.size() - 1), last);
    // Round the whole scan once: back at the start after `count` steps, and never a key outside a group.
    for (int i = group; i < count; ++i)
        scan.run(u"move"_s);
    QCOMPARE(scan.scanner().groupIndex(), 0);
}

// Switch presses and what they do, one script a row; every row starts scanning afresh.
void ScanningTest::switches_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("mouseSwitch");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("group");
    QTest::addColumn<int>("key");
    using M = assist::ScanMode;
    const int automatic = int(M::Automatic), step = int(M::StepByStep), off = int(M::Off);
    QTest::newRow("auto: あ column, い") << automatic << true << u"pick wait pick"_s << u"\u3044"_s << 0 << -1;
    QTest::newRow("auto: the move key picks too") << automatic << true << u"move wait move"_s << u"\u3044"_s << 0 << -1;
    QTest::newRow("auto: groups step by themselves") << automatic << true << u"wait wait"_s << QString() << 2 << -1;
    // In the な column (five keys).
    const QString naColumnThenNineSteps = u"wait wait wait wait pick"_s + u" wait"_s.repeated(9);
    QTest::newRow("auto: a key at the last step of the second cycle")
        << automatic << true << naColumnThenNineSteps << QString() << 4 << 4;
    QTest::newRow("auto: back to the groups after two cycles")
        << automatic << true << naColumnThenNineSteps + u" wait"_s << QString() << 4 << -1;
    QTest::newRow("step: move moves, pick picks")
        << step << true << u"move move pick move pick"_s << u"\u3057"_s << 0 << -1; // し
    QTest::newRow("step: switches pressed on a page")
        << step << true << u"page:move page:pick page:pick"_s << u"\u304B"_s << 0 << -1; // か
    QTest::newRow("step: a click on a page is no switch")
        << step << true << u"mouse:CmdBun1E"_s << QString() << 0 << -1;
    QTest::newRow("step: no step without a press") << step << true << u"wait wait pick wait"_s << QString() << 0 << 0;
    QTest::newRow("step: back to the groups after two cycles")
        << step << true << u"pick move move move move move move move move move move"_s << QString() << 0 << -1;
    QTest::newRow("mouse press on 終 is a switch")
        << automatic << true << u"mouse:cmdEND wait mouse:Txt1"_s << u"\u3044"_s << 0 << -1;
    QTest::newRow("step: right button moves")
        << step << true << u"right:cmdMoji_3 mouse:cmdMoji_40 mouse:Txt1"_s << u"\u304B"_s << 0 << -1; // か
    QTest::newRow("mouse not a switch: clicks")
        << automatic << false << u"mouse:cmdMoji_5 wait"_s << u"\u304B"_s << 1 << -1;
    QTest::newRow("off: Space types") << off << true << u"move"_s << u" "_s << -1 << -1;
    QTest::newRow("off: clicks as ever") << off << true << u"mouse:cmdMoji_5 wait"_s << u"\u304B"_s << -1 << -1;
}

void ScanningTest::switches()
{
    QFETCH(int, mode);
    QFETCH(bool, mouseSwitch);
    QFETCH(QString, script);
    QFETCH(QString, text);
    QFETCH(int, group);
    QFETCH(int, key);
    Harness h;
    Scanning scan(h, assist::ScanMode(mode), mouseSwitch);
    scan.run(script);
    QCOMPARE(h.text(), text);
    QCOMPARE(h.desktop.ends, 0);
    QCOMPARE(scan.scanner().groupIndex(), group);
    QCOMPARE(scan.scanner().keyIndex(), key);
    // Only what the highlight covers is framed.
    QList<ui::Button *> buttons = h.keyboard().findChildren<ui::Button *>();
    buttons << h.keyboard().candidateBar().findChildren<ui::Button *>();
    int marked = 0;
    for (ui::Button *button : buttons) {
        marked += button->scanMarked();
        // A screen reader reads the highlight as the button being selected.
        QCOMPARE(QAccessible::queryAccessibleInterface(button)->state().selected, button->scanMarked());
    }
    QCOMPARE(marked, int(scan.scanner().highlighted().size()));
    // Scanning off: nothing framed, and the switch keys type again.
    assist::AccessSettings settings = h.app().accessOptions().current();
    settings.scan = assist::ScanMode::Off;
    h.app().accessOptions().set(settings);
    for (const ui::Button *button : buttons)
        QVERIFY(!button->scanMarked());
}

// きょう written with one switch, converted on the bar to its second candidate, accepted, copied and read aloud.
void ScanningTest::oneSwitchComposition()
{
    Harness h;
    Scanning scan(h, assist::ScanMode::Automatic);
    int cost = 0;
    for (const char *name : { "cmdMoji_6", "cmdMojiS_8", "cmdMoji_2" }) // き ょ う
        cost += scan.reach(h.key(QLatin1String(name)));
    QCOMPARE(h.text(), u"\u304D\u3087\u3046"_s);
    cost += scan.reach(barButton(h, u"cmdHenkan"_s));
    QVERIFY(h.keyboard().conversion().active());
    cost += scan.reach(barButton(h, u"cmdKoho_1"_s)); // 京
    cost += scan.reach(barButton(h, u"cmdKakutei"_s));
    QVERIFY(!h.keyboard().conversion().active());
    QCOMPARE(h.text(), u"\u4EAC"_s); // 京
    cost += scan.reach(h.key(u"cmdCopy"_s));
    QCOMPARE(h.desktop.clipboard, u"\u4EAC"_s);
    // The text read aloud; the settings opened and closed again; page 1, open since the start, closed by its 閉.
    cost += scan.reach(barButton(h, u"cmdYomiage"_s));
    QCOMPARE(h.app().speech().lastSpoken(), u"\u304D\u3087\u3046"_s); // きょう, what 京 was written from
    cost += scan.reach(barButton(h, u"cmdSettei"_s));
    QVERIFY(h.app().settingsWindow().isVisible());
    cost += scan.reach(child<ui::Button>(h.app().settingsWindow(), u"cmdTojiru"_s));
    QVERIFY(!h.app().settingsWindow().isVisible());
    cost += scan.reach(child<ui::Button>(h.page(1), u"CmdBun1E"_s));
    QVERIFY(!h.page(1).isVisible());
    qInfo("one switch: %d steps and presses", cost);
}

QTEST_MAIN(ScanningTest)
#include "tst_scanning.moc"
