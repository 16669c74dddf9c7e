// SPDX-License-Identifier: GPL-3.0-or-later
// The test harness: the real program, offscreen, with a recording desktop.
#include "Harness.h"

#include "assist/Scanner.h"
#include "convert/FrmKoho.h"
#include "explain/Pages.h"
#include "ui/Fonts.h"
#include "ui/Platform.h"

#include <QDir>
#include <QInputMethodEvent>
#include <QTest>
#include <algorithm>
#include <memory>
#include <optional>

namespace {

class SilentSpeech : public assist::SpeechBackend {
public:
    QString unavailableReason() const override { return {}; }
    bool readsKanji() const override { return false; }
    void speak(const QString &) override { }
};

} // namespace

Harness::Harness(const assist::AccessSettings &atStart)
    : m_app(std::make_unique<keyboard::KeyboardApp>(desktop, [this] {
        auto table = std::make_unique<TableEngine>();
        table->mode = engineMode;
        engine = table.get();
        return table;
    }))
{
    static const bool fontsRegistered = ui::registerFonts();
    Q_UNUSED(fontsRegistered);
    ui::FaultHook::disarm();
    // Speech that never reaches the machine's speech service: what was said is read from the Speech object.
    m_app->speech().setBackend([] { return std::make_unique<SilentSpeech>(); });
    m_app->setClock(clock);
    m_app->accessOptions().set(atStart);
    m_app->start();
    // The candidate bar follows the keyboard once it has painted; then the keyboard is the active window, as a user
    // finds it.
    if (!QTest::qWaitFor([this] { return keyboard().candidateBar().isVisible(); }))
        qWarning("the candidate bar did not show");
    activateKeyboard();
}

Harness::~Harness()
{
    ui::FaultHook::disarm();
}

void Harness::activateKeyboard()
{
    keyboard().activateWindow();
    if (!QTest::qWaitForWindowActive(&keyboard()))
        qWarning("the keyboard window did not become active");
}

ui::Form &Harness::window(int which)
{
    if (which == Bar)
        return keyboard().candidateBar();
    return which == Keyboard ? keyboard() : which == Notice ? explanation().notice() : explanation().page(which);
}

ui::Form *Harness::windowIfCreated(int which)
{
    if (which == Keyboard)
        return &keyboard();
    if (which == Bar)
        return &keyboard().candidateBar();
    return which == Notice ? explanation().noticeIfCreated() : explanation().pageIfCreated(which);
}

void Harness::click(const QString &objectName)
{
    QTest::mouseClick(key(objectName), Qt::LeftButton);
}

void Harness::click(std::initializer_list<const char *> objectNames)
{
    for (const char *name : objectNames)
        click(QLatin1String(name));
}

void Harness::fill(int count)
{
    for (int i = 0; i < count; ++i)
        click(QStringLiteral("cmdMoji_0"));
}

void Harness::clickFieldAt(int position)
{
    ui::TextBox *box = field();
    // The caret's x for `position`: the text margin plus the width of what stands before it, then half a pixel
    // to the left so the click falls nearer that boundary than any other.
    const QMargins margins = box->textMargins();
    const int x = 2 + margins.left() + box->fontMetrics().horizontalAdvance(box->text().left(position)) + 1;
    QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, QPoint(x, box->height() / 2));
}

void Harness::type(const QString &text)
{
    field()->setFocus();
    // One key event per character, carrying the character as its text, as a keyboard layout would send it.
    for (qsizetype at = 0; at < text.size();) {
        const qsizetype units = text.at(at).isHighSurrogate() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, field(), Qt::Key_unknown, text.mid(at, units), Qt::NoModifier);
        at += units;
    }
}

void Harness::moveTo(QWidget &window, QPoint at)
{
    // Where the last move went, in every test of the run: the platform drops repeats whichever program made them.
    static std::optional<QPoint> last;
    const QPoint global = window.mapToGlobal(at);
    if (global == last)
        QTest::mouseMove(window.windowHandle(), at.x() > 0 ? at - QPoint(1, 0) : at + QPoint(1, 0));
    QTest::mouseMove(window.windowHandle(), at);
    last = global;
}

void Harness::moveOnto(QWidget *control, QPoint at)
{
    // Straight to the control's window: the window routes it to the control under the point, and a control that
    // does not take it passes it on to what lies behind.
    QWidget &window = *control->window();
    moveTo(window, control->mapTo(&window, at.isNull() ? control->rect().center() : at));
}

void Harness::dwellOn(QWidget *control)
{
    assist::AccessSettings dwell;
    dwell.dwell = true;
    m_app->accessOptions().set(dwell);
    moveOnto(control);
    clock.advance(int(dwell.dwellSeconds * 1000));
    m_app->accessOptions().set({});
}

bool Harness::switchTo(QWidget *control)
{
    assist::AccessSettings scanning;
    scanning.scan = assist::ScanMode::StepByStep;
    m_app->accessOptions().set(scanning);
    const assist::Scanner &scanner = m_app->scanner();
    const auto lit = [&scanner, control] {
        const std::vector<ui::Button *> keys = scanner.highlighted();
        return std::find(keys.begin(), keys.end(), control) != keys.end();
    };
    // Each switch goes where a key goes: to the keyboard's focus.
    const auto press = [this](int key) { QTest::keyClick(keyboard().focusWidget(), Qt::Key(key)); };
    constexpr int MostMoves = 64;
    int moves = 0;
    while (!lit() && moves++ < MostMoves)
        press(scanning.moveKey);
    bool found = lit();
    if (found) {
        press(scanning.pickKey);
        while (scanner.highlighted().size() != 1 || !lit()) {
            if (moves++ >= MostMoves)
                break;
            press(scanning.moveKey);
        }
        found = scanner.highlighted().size() == 1 && lit();
        if (found)
            press(scanning.pickKey);
    }
    m_app->accessOptions().set({});
    return found;
}

bool Harness::noticeVisible()
{
    const explain::FrmBun3d *notice = explanation().noticeIfCreated();
    return notice && notice->isVisible();
}

void sendInputMethod(QWidget *field, const QString &preedit, const QString &commit, int start, int length)
{
    QInputMethodEvent event(preedit, {});
    event.setCommitString(commit, start, length);
    QCoreApplication::sendEvent(field, &event);
}

void saveArtefact(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("GOJUON_ARTIFACTS", QDir::tempPath());
    QDir().mkpath(folder);
    window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
