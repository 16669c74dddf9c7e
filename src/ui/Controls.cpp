// SPDX-License-Identifier: GPL-3.0-or-later
// Painting and event handling of the buttons, labels and pictures.
#include "Controls.h"

#include "Platform.h"
#include "Units.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTextLayout>

namespace ui {

namespace {
long long g_colorRepaints = 0;
} // namespace

void giveFocus(QWidget *widget)
{
    FaultHook::check(Operation::SetFocus);
    if (!widget->window()->isActiveWindow())
        widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
}

Button::Button(QWidget *parent)
    : QAbstractButton(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void Button::setBackColor(const QColor &color)
{
    FaultHook::check(Operation::SetColor);
    if (color == m_backColor)
        return;
    m_backColor = color;
    ++g_colorRepaints;
    update();
}

long long Button::colorRepaints()
{
    return g_colorRepaints;
}

QSize Button::sizeHint() const
{
    return size();
}

void Button::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect face = rect();
    const bool sunken = isDown();
    const QColor light = sunken ? QColor(64, 64, 64) : QColor(255, 255, 255);
    const QColor dark = sunken ? QColor(255, 255, 255) : QColor(64, 64, 64);
    painter.fillRect(face, m_backColor);

    // A raised bevel: light top and left edges, dark bottom and right ones, with a softer inner shadow.
    painter.setPen(QColor(0, 0, 0));
    painter.drawRect(face.adjusted(0, 0, -1, -1));
    painter.setPen(light);
    painter.drawLine(1, 1, face.width() - 3, 1);
    painter.drawLine(1, 1, 1, face.height() - 3);
    painter.setPen(dark);
    painter.drawLine(1, face.height() - 2, face.width() - 2, face.height() - 2);
    painter.drawLine(face.width() - 2, 1, face.width() - 2, face.height() - 2);

    QRect textRect = face.adjusted(2, 2, -2, -2);
    if (sunken)
        textRect.translate(1, 1);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(textRect, Qt::AlignCenter | Qt::TextWordWrap, text());

    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = face.adjusted(3, 3, -3, -3);
        option.backgroundColor = m_backColor;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void Button::mouseMoveEvent(QMouseEvent *event)
{
    QAbstractButton::mouseMoveEvent(event);
    event->accept(); // the window behind must not see the move
    Q_EMIT mouseMoved();
}

Label::Label(QWidget *parent)
    : QLabel(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setWordWrap(true);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setTextFormat(Qt::PlainText);
    setAutoFillBackground(false);
    setFocusPolicy(Qt::NoFocus);
}

void Label::paintEvent(QPaintEvent *)
{
    // Wrapped lines stand one em apart, as in the gothic faces the windows were designed with. A substitute face
    // with a taller line box would otherwise push the last line of a full label past its bottom edge.
    QTextOption option(alignment() & Qt::AlignHorizontal_Mask);
    option.setWrapMode(wordWrap() ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    QTextLayout layout(text(), font(), this);
    layout.setTextOption(option);
    const qreal em = QFontInfo(font()).pixelSize();
    layout.beginLayout();
    for (qreal top = 0;; top += em) {
        QTextLine line = layout.createLine();
        if (!line.isValid())
            break;
        line.setLineWidth(width());
        line.setPosition(QPointF(0, top - (line.height() - em) / 2));
    }
    layout.endLayout();

    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, QPointF());
}

void Label::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT mouseMoved();
}

void Label::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void Label::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

Picture::Picture(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setFocusPolicy(Qt::NoFocus);
}

void Picture::setPicture(const QPixmap &pixmap)
{
    m_pixmap = pixmap;
    update();
}

void Picture::setShown(bool shown)
{
    FaultHook::check(Operation::SetPicture);
    setVisible(shown);
}

void Picture::moveTwips(int left, int top)
{
    FaultHook::check(Operation::SetPicture);
    move(twipsToPixels(left), twipsToPixels(top));
}

void Picture::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_pixmap);
}

void Picture::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT mouseMoved();
}

void Picture::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void Picture::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (rect().contains(event->position().toPoint()))
        Q_EMIT clicked();
}

} // namespace ui
