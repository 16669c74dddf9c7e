// SPDX-License-Identifier: GPL-3.0-or-later
// The test harness: the real program, offscreen, with a recording desktop.
#include "Harness.h"

#include "explain/Pages.h"
#include "ui/Fonts.h"
#include "ui/Platform.h"

#include <QDir>
#include <QTest>

Harness::Harness()
    : m_app(std::make_unique<keyboard::KeyboardApp>(desktop))
{
    static const bool fontsRegistered = ui::registerFonts();
    Q_UNUSED(fontsRegistered);
    ui::FaultHook::disarm();
    m_app->start();
    QWidget &window = m_app->keyboard();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("the keyboard window did not become active");
}

Harness::~Harness()
{
    ui::FaultHook::disarm();
}

ui::TextBox *Harness::field()
{
    return keyboard().findChild<ui::TextBox *>(QStringLiteral("Txt1"));
}

ui::Button *Harness::key(const QString &objectName)
{
    auto *button = keyboard().findChild<ui::Button *>(objectName);
    if (!button)
        qFatal("no key named %s", qPrintable(objectName));
    return button;
}

void Harness::click(const QString &objectName)
{
    QTest::mouseClick(key(objectName), Qt::LeftButton);
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

void Harness::moveOnto(QWidget *widget, QPoint at)
{
    // Straight to the widget's window, as the platform delivers a move: the window routes it to the control
    // under the point, and a control that does not take it passes it on to what lies behind.
    QWidget *window = widget->window();
    QTest::mouseMove(window->windowHandle(), widget->mapTo(window, at.isNull() ? widget->rect().center() : at));
}

QString Harness::text()
{
    return field()->text();
}

QString Harness::selected()
{
    return field()->selectedText();
}

bool Harness::noticeVisible()
{
    const explain::FrmBun3d *notice = explanation().noticeIfCreated();
    return notice && notice->isVisible();
}

void saveArtefact(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("GOJUON_ARTIFACTS", QDir::tempPath());
    QDir().mkpath(folder);
    window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}
