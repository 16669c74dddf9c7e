// SPDX-License-Identifier: GPL-3.0-or-later
// Highlighting under the pointer: the key under it white, every other key light grey, 終 red, a mark key lighting
// the kana it voices, and the window and field changing colour for good.
#include "Colours.h"
#include "Harness.h"
#include "assist/AccessSettings.h"
#include "assist/Dwell.h"
#include "convert/FrmKoho.h"
#include "ui/Platform.h"

#include <QApplication>
#include <QPainter>
#include <QScopeGuard>
#include <QTest>

using namespace Qt::StringLiterals;

class HoverTest : public QObject {
    Q_OBJECT

private:
    // The colour of every key and command except those named.
    static QList<QColor> othersColours(Harness &h, const QStringList &except)
    {
        QList<QColor> colours;
        for (ui::Button *button : h.keyboard().findChildren<ui::Button *>()) {
            if (!except.contains(button->objectName()))
                colours << button->backColor();
        }
        return colours;
    }
    static bool allAre(const QList<QColor> &colours, const QColor &colour)
    {
        return std::all_of(colours.begin(), colours.end(), [&](const QColor &c) { return c == colour; });
    }

    // The keyboard, the bar and the pages (made now, with `make`).
    static QList<QWidget *> windows(Harness &h, bool make)
    {
        QList<QWidget *> all { &h.keyboard(), &h.keyboard().candidateBar() };
        for (int page = 1; page <= 3; ++page)
            all << (make ? &h.page(page) : h.windowIfCreated(page));
        all.removeAll(nullptr);
        return all;
    }
    static QList<ui::Button *> allButtons(Harness &h)
    {
        QList<ui::Button *> buttons;
        for (QWidget *window : windows(h, false))
            buttons << window->findChildren<ui::Button *>();
        return buttons;
    }
    static QWidget *anyControl(Harness &h, const QString &name)
    {
        for (bool make : { false, true }) {
            for (QWidget *window : windows(h, make)) {
                if (auto *found = window->findChild<QWidget *>(name))
                    return found;
            }
        }
        qFatal("no control named %s", qPrintable(name));
    }

    // One word per step: on:NAME moves to a control's middle, surface to the keyboard's bare surface, by:DX,DY that
    // far from the last point; wait:MS turns the clock; click:NAME clicks with the mouse; disable:NAME; page:N shows
    // page N; enter:NAME tells a control the pointer is on it without a move (a window shown under it); off turns dwell
    // off, secs:S sets its time. Returns the buttons clicked, in order.
    static QString dwellOn(Harness &h, const QString &script)
    {
        assist::AccessSettings settings;
        settings.dwell = true;
        h.app().accessOptions().set(settings);
        QStringList clicked;
        QSet<ui::Button *> heard;
        const auto listen = [&] {
            for (ui::Button *button : allButtons(h)) {
                if (!heard.contains(button)) {
                    heard.insert(button);
                    connect(
                        button, &ui::Button::clicked, button, [&clicked, button] { clicked << button->objectName(); });
                }
            }
        };
        QWidget *window = &h.keyboard();
        QPoint at;
        for (const QString &step : script.split(u' ', Qt::SkipEmptyParts)) {
            const QString arg = step.section(u':', 1);
            if (step.startsWith(u"on:")) {
                QWidget *control = anyControl(h, arg);
                window = control->window();
                at = control->mapTo(window, control->rect().center());
                h.moveTo(*window, at);
            } else if (step == u"surface") {
                window = &h.keyboard();
                h.moveTo(*window, at = QPoint(3, 3));
            } else if (step.startsWith(u"by:")) {
                h.moveTo(*window, at += QPoint(arg.section(u',', 0, 0).toInt(), arg.section(u',', 1).toInt()));
            } else if (step.startsWith(u"wait:")) {
                listen();
                h.clock.advance(arg.toInt());
            } else if (step.startsWith(u"click:")) {
                listen();
                QTest::mouseClick(qobject_cast<ui::Button *>(anyControl(h, arg)), Qt::LeftButton);
                QCoreApplication::processEvents(); // the bar follows once the keyboard has painted
            } else if (step.startsWith(u"enter:")) {
                QWidget *control = anyControl(h, arg);
                const QPointF middle = control->rect().center();
                QEnterEvent enter(middle, control->mapTo(control->window(), middle), control->mapToGlobal(middle));
                QCoreApplication::sendEvent(control, &enter);
            } else if (step.startsWith(u"disable:")) {
                anyControl(h, arg)->setEnabled(false);
            } else if (step.startsWith(u"page:")) {
                h.page(arg.toInt()).showWindow();
            } else if (step == u"off" || step.startsWith(u"secs:")) {
                settings.dwell = step != u"off";
                settings.dwellSeconds = step == u"off" ? settings.dwellSeconds : arg.toDouble();
                h.app().accessOptions().set(settings);
            } else {
                qFatal("unknown step %s", qPrintable(step));
            }
        }
        return clicked.join(u' ');
    }

    // The furthest any button's dwell ring has closed, in percent.
    static int widestRing(Harness &h)
    {
        qreal most = 0;
        for (ui::Button *button : allButtons(h))
            most = std::max(most, button->dwellProgress());
        return qRound(most * 100);
    }

private Q_SLOTS:
    // The focused key carries a dotted frame inside its bevel, its dots alternately black and white so that it
    // stands out on every colour a key or a page's button can have; the face keeps its colour.
    void focusMarkOnEveryColour_data()
    {
        QTest::addColumn<QColor>("colour");
        QTest::newRow("mid grey at start") << Initial;
        QTest::newRow("light grey at rest") << Rest;
        QTest::newRow("white under the pointer") << Hover;
        QTest::newRow("終 red under the pointer") << Red;
        QTest::newRow("the notice's salmon") << NoticeButton;
        QTest::newRow("black") << QColor(0, 0, 0);
    }

    void focusMarkOnEveryColour()
    {
        QFETCH(QColor, colour);
        Harness h;
        ui::Button *key = h.key(u"cmdMoji_12"_s);
        key->setBackColor(colour);
        QCoreApplication::processEvents(); // a new colour shows once the handler that set it is done
        const auto frameDots = [key] {
            QImage image(key->size(), QImage::Format_RGB32);
            key->render(&image);
            const QRect frame = key->rect().adjusted(3, 3, -4, -4);
            QList<QRgb> dots;
            for (int x = frame.left(); x <= frame.right(); ++x)
                dots << image.pixel(x, frame.top()) << image.pixel(x, frame.bottom());
            for (int y = frame.top() + 1; y < frame.bottom(); ++y)
                dots << image.pixel(frame.left(), y) << image.pixel(frame.right(), y);
            return dots;
        };
        const QList<QRgb> unfocused = frameDots();
        QVERIFY(std::all_of(unfocused.begin(), unfocused.end(), [&](QRgb dot) { return dot == colour.rgb(); }));

        key->setFocus(Qt::TabFocusReason);
        const QList<QRgb> focused = frameDots();
        const auto count = [&](QRgb wanted) { return std::count(focused.begin(), focused.end(), wanted); };
        const auto black = count(qRgb(0, 0, 0)), white = count(qRgb(255, 255, 255));
        QCOMPARE(black + white, focused.size()); // every dot is one or the other, alternating
        QVERIFY2(qAbs(black - white) <= 4, qPrintable(u"%1 black, %2 white"_s.arg(black).arg(white)));
        QCOMPARE(key->backColor(), colour);
        QImage image(key->size(), QImage::Format_RGB32);
        key->render(&image);
        QCOMPARE(image.pixel(5, 5), colour.rgb()); // the face inside the frame, beside the caption
    }

    // A pointer resting on a button clicks it once, after the dwell time (1 s unless set), with a ring closing
    // meanwhile; a pointer shaking within 10 px still rests, one moving further begins again from there.
    void dwell_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("clicked");
        QTest::addColumn<int>("ring"); // the widest ring left, in percent
        // clang-format off
        QTest::newRow("resting: one click") << u"on:cmdMoji_0 wait:3000"_s << u"cmdMoji_0"_s << 0;
        QTest::newRow("shaking within 9 px: one click") << u"on:cmdMoji_0 wait:300 by:9,0 wait:300 by:-9,0 wait:300 by:0,9 wait:50 by:-6,-6 wait:3000"_s << u"cmdMoji_0"_s << 0;
        QTest::newRow("the ring grows") << u"on:cmdMoji_0 wait:500"_s << u""_s << 50;
        QTest::newRow("it steps as time goes") << u"on:cmdMoji_0 wait:920"_s << u""_s << 90;
        QTest::newRow("11 px begins again") << u"on:cmdMoji_0 wait:900 by:11,0 wait:900"_s << u""_s << 90;
        QTest::newRow("and then clicks") << u"on:cmdMoji_0 wait:900 by:11,0 wait:1000"_s << u"cmdMoji_0"_s << 0;
        QTest::newRow("no second click while it stays") << u"on:cmdMoji_0 wait:1000 by:3,3 wait:3000 by:-8,0 wait:3000"_s << u"cmdMoji_0"_s << 0;
        QTest::newRow("a second once it has left") << u"on:cmdMoji_0 wait:1000 surface on:cmdMoji_0 wait:1000"_s << u"cmdMoji_0 cmdMoji_0"_s << 0;
        QTest::newRow("another key") << u"on:cmdMoji_0 wait:1000 on:cmdMoji_1 wait:1000"_s << u"cmdMoji_0 cmdMoji_1"_s << 0;
        QTest::newRow("leaving early clears the ring") << u"on:cmdMoji_0 wait:600 on:cmdMoji_1 wait:400"_s << u""_s << 40;
        QTest::newRow("a key shown under a still pointer") << u"enter:cmdMoji_0 wait:3000"_s << u""_s << 0;
        QTest::newRow("bare window") << u"surface wait:3000"_s << u""_s << 0;
        QTest::newRow("text field") << u"on:Txt1 wait:3000"_s << u""_s << 0;
        QTest::newRow("face-mark label") << u"on:lblEmoji1 wait:3000"_s << u""_s << 0;
        QTest::newRow("disabled key") << u"disable:cmdMoji_0 on:cmdMoji_0 wait:3000"_s << u""_s << 0;
        QTest::newRow("disabled mid-dwell") << u"on:cmdMoji_0 wait:500 disable:cmdMoji_0 wait:3000"_s << u""_s << 0;
        QTest::newRow("a click is not doubled") << u"on:cmdMoji_0 wait:500 click:cmdMoji_0 wait:3000"_s << u"cmdMoji_0"_s << 0;
        QTest::newRow("a command") << u"on:cmdClr wait:1000"_s << u"cmdClr"_s << 0;
        QTest::newRow("the bar's button") << u"click:cmdMoji_11 on:cmdHenkan wait:1000"_s << u"cmdMoji_11 cmdHenkan"_s << 0;
        QTest::newRow("the bar's entry") << u"click:cmdMoji_0 on:cmdKoho_0 wait:1000"_s << u"cmdMoji_0 cmdKoho_0"_s << 0;
        QTest::newRow("the conversion's button") << u"click:cmdMoji_11 click:cmdHenkan on:cmdKakutei wait:1000"_s << u"cmdMoji_11 cmdHenkan cmdKakutei"_s << 0;
        QTest::newRow("a page's button") << u"on:CmdBun1N wait:1000"_s << u"CmdBun1N"_s << 0;
        QTest::newRow("a page made later") << u"page:3 on:CmdBun3E wait:1000"_s << u"CmdBun3E"_s << 0;
        QTest::newRow("a longer time") << u"secs:2 on:cmdMoji_0 wait:1900"_s << u""_s << 95;
        QTest::newRow("the shortest") << u"secs:0.3 on:cmdMoji_0 wait:300"_s << u"cmdMoji_0"_s << 0;
        QTest::newRow("off: nothing") << u"off on:cmdMoji_0 wait:3000"_s << u""_s << 0;
        QTest::newRow("off mid-dwell clears the ring") << u"on:cmdMoji_0 wait:500 off wait:3000"_s << u""_s << 0;
        QTest::newRow("on as the keyboard starts") << u"started-on on:cmdMoji_0 wait:1000"_s << u"cmdMoji_0"_s << 0;
        // clang-format on
    }

    void dwell()
    {
        QFETCH(QString, script);
        QFETCH(QString, clicked);
        QFETCH(int, ring);
        assist::AccessSettings atStart;
        atStart.dwell = script.startsWith(u"started-on ");
        Harness h(atStart);
        QCOMPARE(dwellOn(h, script.remove(u"started-on "_s)), clicked);
        QCOMPARE(widestRing(h), ring);
    }

    // With speech on, a dwell beginning on a button asks for its name to be spoken: once, not again as it restarts.
    void dwellAsksToSpeakTheName()
    {
        Harness h;
        QStringList spoken;
        h.app().dwell()->onHover = [&spoken](const QString &name) { spoken << name; };
        assist::AccessSettings settings;
        settings.dwell = true;
        h.app().accessOptions().set(settings);
        h.moveOnto(h.key(u"cmdMojiS_0"_s)); // captioned あ, named ぁ
        QCOMPARE(spoken, QStringList());
        settings.speech = true;
        h.app().accessOptions().set(settings);
        h.moveOnto(h.key(u"cmdMoji_1"_s));
        h.moveOnto(h.key(u"cmdMoji_1"_s), h.key(u"cmdMoji_1"_s)->rect().center() + QPoint(11, 0));
        h.moveOnto(h.key(u"cmdMojiS_0"_s));
        QCOMPARE(spoken, QStringList({ u"\u3044"_s, u"\u3041"_s })); // い ぁ
    }

    void keysStartMidGrey()
    {
        Harness h;
        QVERIFY(allAre(othersColours(h, {}), Initial));
        QCOMPARE(h.field()->backColor(), Initial);
    }

    void keyUnderThePointer_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("kana"); // lit with it
        QTest::addColumn<int>("m1");
        QTest::addColumn<int>("m3");
        QTest::newRow("あ") << u"cmdMoji_0"_s << QString() << 0 << 0;
        QTest::newRow("〃 beside か lights か") << u"cmdDaku_0"_s << u"cmdMoji_5"_s << 5 << 0;
        QTest::newRow("〃 beside と") << u"cmdDaku_14"_s << u"cmdMoji_19"_s << 19 << 14;
        QTest::newRow("〃 beside は skips な") << u"cmdDaku_15"_s << u"cmdMoji_25"_s << 25 << 15;
        QTest::newRow("ｏ beside は") << u"cmdDaku_20"_s << u"cmdMoji_25"_s << 25 << 20;
        QTest::newRow("ｏ beside ほ") << u"cmdDaku_24"_s << u"cmdMoji_29"_s << 29 << 24;
        // Other groups leave m1 at the kana hovered before.
        QTest::newRow("small や") << u"cmdMojiS_6"_s << QString() << 3 << 0;
        QTest::newRow("digit ０") << u"cmdKazu_0"_s << QString() << 3 << 0;
        QTest::newRow("symbol ？") << u"cmdKigo_11"_s << QString() << 3 << 0;
        QTest::newRow("copy") << u"cmdCopy"_s << QString() << 3 << 0;
        QTest::newRow("face mark") << u"cmdEmoji2"_s << QString() << 3 << 0;
    }

    void keyUnderThePointer()
    {
        QFETCH(QString, key);
        QFETCH(QString, kana);
        QFETCH(int, m1);
        QFETCH(int, m3);
        Harness h;
        h.moveOnto(h.key(u"cmdMoji_3"_s)); // something else was highlighted before
        h.moveOnto(h.key(key));
        const QStringList white = kana.isEmpty() ? QStringList { key } : QStringList { key, kana };
        for (const QString &name : white)
            QCOMPARE(h.key(name)->backColor(), Hover);
        QVERIFY(allAre(othersColours(h, white), Rest));
        QCOMPARE(h.vars().m1, m1);
        QCOMPARE(h.vars().m3, m3);
    }

    void hoverIndicesPerGroup()
    {
        Harness h;
        h.moveOnto(h.key(u"cmdMojiS_4"_s));
        h.moveOnto(h.key(u"cmdKazu_7"_s));
        h.moveOnto(h.key(u"cmdKigo_9"_s));
        QCOMPARE(h.vars().m2, 4);
        QCOMPARE(h.vars().m4, 7);
        QCOMPARE(h.vars().m5, 9);
    }

    void endTurnsRedUntilThePointerMovesOn()
    {
        Harness h;
        h.moveOnto(h.key(u"cmdEND"_s));
        QCOMPARE(h.key(u"cmdEND"_s)->backColor(), Red);
        QVERIFY(allAre(othersColours(h, { u"cmdEND"_s }), Rest));
        h.moveOnto(h.key(u"cmdClrall"_s));
        QCOMPARE(h.key(u"cmdEND"_s)->backColor(), Rest);
        QCOMPARE(h.key(u"cmdClrall"_s)->backColor(), Hover);
    }

    void surfaceFieldAndLabelsKeepTheHighlight_data()
    {
        QTest::addColumn<QString>("onto"); // child name, or empty for the window itself
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("window");
        QTest::addColumn<QColor>("field");
        QTest::newRow("bare surface") << QString() << QPoint(3, 3) << LightGreen << Initial;
        QTest::newRow("the separator line") << QString() << QPoint(300, 364) << LightGreen << Initial;
        QTest::newRow("text field") << u"Txt1"_s << QPoint() << Green << Hover;
        QTest::newRow("face-mark label") << u"lblEmoji1"_s << QPoint() << Green << Initial;
    }

    void surfaceFieldAndLabelsKeepTheHighlight()
    {
        QFETCH(QString, onto);
        QFETCH(QPoint, at);
        QFETCH(QColor, window);
        QFETCH(QColor, field);
        Harness h;
        h.moveOnto(h.key(u"cmdMoji_0"_s));
        h.moveOnto(onto.isEmpty() ? &h.keyboard() : child(h.keyboard(), onto), at);
        QCOMPARE(h.key(u"cmdMoji_0"_s)->backColor(), Hover);
        QVERIFY(allAre(othersColours(h, { u"cmdMoji_0"_s }), Rest));
        QCOMPARE(h.keyboard().backColor(), window);
        QCOMPARE(h.field()->backColor(), field);
        // Once changed, the window and field keep their colours whatever the pointer does next.
        h.moveOnto(h.key(u"cmdMoji_9"_s));
        QCOMPARE(h.keyboard().backColor(), window);
        QCOMPARE(h.field()->backColor(), field);
    }

    // The field keeps its colours while another window is active, whatever the desktop's palette does with an
    // inactive window: greyed, it read as disabled.
    void fieldLooksTheSameWhenInactive_data()
    {
        QTest::addColumn<bool>("lit"); // the pointer has crossed the field
        QTest::addColumn<QColor>("field");
        QTest::newRow("at start") << false << Initial;
        QTest::newRow("after the pointer lit it") << true << Hover;
    }

    void fieldLooksTheSameWhenInactive()
    {
        QFETCH(bool, lit);
        QFETCH(QColor, field);
        // As some desktop themes give it: an inactive window's fields paler, their text grey.
        const QPalette desktop = QApplication::palette();
        QPalette greyed = desktop;
        greyed.setColor(QPalette::Inactive, QPalette::Base, QColor(0xE0, 0xE0, 0xE0));
        greyed.setColor(QPalette::Inactive, QPalette::Text, QColor(0x90, 0x90, 0x90));
        QApplication::setPalette(greyed);
        const auto restore = qScopeGuard([&desktop] { QApplication::setPalette(desktop); });
        Harness h;
        if (lit)
            h.moveOnto(h.field());
        h.type(u"\u3042"_s); // あ
        h.activateKeyboard();
        QCOMPARE(h.field()->backColor(), field);
        // Inside the frame, without the caret: both mark the focus only in the active window.
        const auto looks = [&h, field] {
            QImage image(h.field()->size(), QImage::Format_RGB32);
            h.field()->render(&image);
            QPainter(&image).fillRect(
                h.field()->inputMethodQuery(Qt::ImCursorRectangle).toRect().adjusted(-1, 0, 1, 0), field);
            return image.copy(image.rect().adjusted(3, 3, -3, -3));
        };
        const QImage active = looks();
        QCOMPARE(active.pixelColor(active.width() - 1, active.height() / 2), field);

        h.page(1).activateWindow();
        QTRY_VERIFY(h.page(1).isActiveWindow());
        QVERIFY(!h.keyboard().isActiveWindow());
        const QPalette colours = h.field()->palette();
        for (const QPalette::ColorRole role : { QPalette::Base, QPalette::Text })
            QCOMPARE(colours.color(QPalette::Inactive, role), colours.color(QPalette::Active, role));
        QCOMPARE(looks(), active);
    }

    void clicksAndTypingChangeNoColour()
    {
        Harness h;
        h.moveOnto(h.key(u"cmdMoji_0"_s));
        const QList<QColor> before = othersColours(h, {});
        h.click(u"cmdMoji_1"_s); // QTest clicks without moving first
        h.type(u"x"_s);
        QCOMPARE(othersColours(h, {}), before);
    }

    void movesWithinOneKeyRepaintNothing()
    {
        Harness h;
        h.moveOnto(h.key(u"cmdMoji_0"_s), QPoint(5, 5));
        QCoreApplication::processEvents();
        const long long repaints = ui::Button::colorRepaints();
        for (int x = 6; x < 30; ++x) {
            h.moveOnto(h.key(u"cmdMoji_0"_s), QPoint(x, 10));
            QCoreApplication::processEvents();
            QCOMPARE(ui::Button::colorRepaints(), repaints);
        }
        h.moveOnto(h.key(u"cmdDaku_0"_s));
        QCoreApplication::processEvents();
        QCOMPARE(ui::Button::colorRepaints(), repaints + 3); // あ back to grey, 〃 and か white
    }

    void refusedColourStopsTheResetWhereItStands()
    {
        Harness h;
        h.moveOnto(h.key(u"cmdMoji_30"_s));
        h.moveOnto(h.key(u"cmdMoji_2"_s), QPoint(1, 1));
        ui::Button *earlier = h.key(u"cmdMoji_2"_s);
        ui::Button *later = h.key(u"cmdMoji_30"_s);
        QCOMPARE(earlier->backColor(), Hover);
        later->setBackColor(Hover); // two highlighted keys: one before the failing step, one after it
        // The reset paints cmdMoji 0..47 first; let the 6th paint fail.
        ui::FaultHook::arm(ui::Operation::SetColor, 5);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(u"cmdKazu_MouseMove stopped"_s));
        h.moveOnto(h.key(u"cmdKazu_3"_s));
        QCOMPARE(earlier->backColor(), Rest); // painted before the failure
        QCOMPARE(later->backColor(), Hover); // after it: keeps its colour
        QCOMPARE(h.key(u"cmdKazu_3"_s)->backColor(), Rest); // never highlighted
        QCOMPARE(h.vars().m4, 0);
        h.moveOnto(h.key(u"cmdKazu_3"_s), QPoint(2, 2));
        QCOMPARE(h.key(u"cmdKazu_3"_s)->backColor(), Hover);
    }
};

QTEST_MAIN(HoverTest)
#include "tst_hover.moc"
