// SPDX-License-Identifier: GPL-3.0-or-later
// Painting and event handling of the buttons, labels and pictures.
#include "Controls.h"

#include "Platform.h"
#include "Units.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <cmath>
#include <utility>

namespace ui {

namespace {
long long g_colorRepaints = 0;
// Buttons whose colour changed during the running handler.
std::vector<Button *> g_colorChanged;
} // namespace

namespace {

// A dotted frame inside the bevel, as the classic platform marks a focused button, of dots alternately black and
// white: one of the two stands out on every face colour, and the face keeps its own.
void drawFocusMark(QPainter &painter, const QRect &frame)
{
    const auto dot = [&painter](int x, int y) { painter.fillRect(x, y, 1, 1, (x + y) % 2 ? Qt::black : Qt::white); };
    for (int x = frame.left(); x <= frame.right(); ++x) {
        dot(x, frame.top());
        dot(x, frame.bottom());
    }
    for (int y = frame.top() + 1; y < frame.bottom(); ++y) {
        dot(frame.left(), y);
        dot(frame.right(), y);
    }
}

} // namespace

void giveFocus(QWidget *widget)
{
    FaultHook::check(Operation::SetFocus);
    if (!widget->window()->isActiveWindow())
        widget->window()->activateWindow();
    widget->setFocus(Qt::OtherFocusReason);
}

namespace {

// What a screen reader learns of a button: Qt's own description of a push button, with the scan highlight as the
// button being selected, so that the highlight is announced while the keyboard's focus stays in the text field.
class AccessibleButton : public QAccessibleWidget {
public:
    explicit AccessibleButton(Button *button)
        : QAccessibleWidget(button, QAccessible::Button)
    { }

    QString text(QAccessible::Text kind) const override
    {
        QString said = QAccessibleWidget::text(kind);
        if (kind == QAccessible::Name && said.isEmpty())
            said = button()->text();
        return said;
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.pressed = button()->isDown();
        state.checkable = button()->isCheckable();
        state.checked = button()->isChecked();
        state.selectable = true;
        state.selected = button()->scanMarked();
        return state;
    }

    QStringList actionNames() const override
    {
        QStringList names { pressAction() };
        if (button()->isCheckable())
            names << toggleAction();
        return names << QAccessibleWidget::actionNames();
    }

    void doAction(const QString &action) override
    {
        if (!button()->isEnabled())
            return;
        if (action == pressAction() || action == toggleAction())
            button()->click();
        else
            QAccessibleWidget::doAction(action);
    }

private:
    Button *button() const { return static_cast<Button *>(widget()); }
};

QAccessibleInterface *accessibleButton(const QString &, QObject *object)
{
    auto *button = qobject_cast<Button *>(object);
    return button ? new AccessibleButton(button) : nullptr;
}

} // namespace

Button::Button(QWidget *parent)
    : QAbstractButton(parent)
{
    static const bool described = (QAccessible::installFactory(accessibleButton), true);
    Q_UNUSED(described);
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

Button::~Button()
{
    std::erase(g_colorChanged, this);
}

void Button::setBackColor(QRgb color)
{
    FaultHook::check(Operation::SetColor);
    color |= 0xFF000000u; // always opaque
    if (color == m_backColor)
        return;
    m_backColor = color;
    if (m_colorPending)
        return;
    m_colorPending = true;
    if (g_colorChanged.empty())
        QMetaObject::invokeMethod(qApp, &Button::showChangedColors, Qt::QueuedConnection);
    g_colorChanged.push_back(this);
}

void Button::showChangedColors()
{
    for (Button *button : std::exchange(g_colorChanged, {})) {
        button->m_colorPending = false;
        if (button->m_backColor != button->m_shownColor) {
            button->m_shownColor = button->m_backColor;
            ++g_colorRepaints;
            button->update();
        }
    }
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
    painter.fillRect(face, QColor::fromRgb(m_backColor));

    // A raised bevel: a black outline, light top and left edges, dark bottom and right ones. Filled rectangles
    // rather than lines: the raster engine's fast path.
    const int w = face.width();
    const int h = face.height();
    const QColor black(0, 0, 0);
    painter.fillRect(0, 0, w, 1, black);
    painter.fillRect(0, h - 1, w, 1, black);
    painter.fillRect(0, 0, 1, h, black);
    painter.fillRect(w - 1, 0, 1, h, black);
    painter.fillRect(1, 1, w - 3, 1, light);
    painter.fillRect(1, 1, 1, h - 3, light);
    painter.fillRect(1, h - 2, w - 2, 1, dark);
    painter.fillRect(w - 2, 1, 1, h - 2, dark);

    QRect textRect = face.adjusted(2, 2, -2, -2);
    if (sunken)
        textRect.translate(1, 1);
    if (m_caption.text() != text() || m_captionWidth != textRect.width() || m_captionFont != font())
        prepareCaption(textRect.width());
    painter.setFont(font());
    // A button that cannot be used now shows its caption grey, readable on every face colour.
    painter.setPen(isEnabled() ? palette().color(QPalette::ButtonText) : QColor(112, 112, 112));
    const QSizeF captionSize = m_caption.size();
    const qreal x
        = m_caption.textWidth() < 0 ? textRect.left() + (textRect.width() - captionSize.width()) / 2 : textRect.left();
    painter.drawStaticText(QPointF(x, textRect.top() + (textRect.height() - captionSize.height()) / 2), m_caption);

    if (hasFocus())
        drawFocusMark(painter, face.adjusted(3, 3, -4, -4));
    drawAccessMarks(painter);
}

void Button::setDwellProgress(qreal progress)
{
    progress = std::clamp(progress, qreal(0), qreal(1));
    if (qFuzzyCompare(progress + 1, m_dwellProgress + 1))
        return;
    m_dwellProgress = progress;
    update();
}

void Button::setScanMarked(bool marked)
{
    if (std::exchange(m_scanMarked, marked) == marked)
        return;
    update();
    if (QAccessible::isActive()) {
        QAccessible::State changed;
        changed.selected = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

// Black under white (the frame) and under orange (the ring, on a faint track): one of the two tones stands out on any
// face.
void Button::drawAccessMarks(QPainter &painter) const
{
    if (!m_scanMarked && m_dwellProgress <= 0)
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = std::min(width(), height());
    if (m_scanMarked) {
        const qreal thick = std::max(2.0, side / 12.0);
        const QRectF frame = QRectF(rect()).adjusted(thick / 2, thick / 2, -thick / 2, -thick / 2);
        painter.setPen(QPen(Qt::black, thick * 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(frame.adjusted(thick / 2, thick / 2, -thick / 2, -thick / 2));
        painter.setPen(QPen(Qt::white, thick, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
        painter.drawRect(frame);
    }
    if (m_dwellProgress > 0) {
        const qreal thick = std::max(3.0, side / 9.0);
        const qreal radius = side / 2.0 - thick;
        const QRectF ring(QPointF(width() / 2.0 - radius, height() / 2.0 - radius), QSizeF(radius * 2, radius * 2));
        const int span = -int(std::lround(m_dwellProgress * 360 * 16)); // clockwise from twelve o'clock
        // The whole ring faintly first, so that what is left to close shows too.
        painter.setPen(QPen(QColor(0, 0, 0, 70), thick, Qt::SolidLine, Qt::FlatCap));
        painter.drawEllipse(ring);
        painter.setPen(QPen(Qt::black, thick + 2, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(ring, 90 * 16, span);
        painter.setPen(QPen(QColor(255, 140, 0), thick, Qt::SolidLine, Qt::FlatCap));
        painter.drawArc(ring, 90 * 16, span);
    }
    painter.restore();
}

// The caption is laid out once, not on every repaint: wrapped at spaces, centred, only when it does not fit.
void Button::prepareCaption(int width)
{
    m_captionWidth = width;
    m_captionFont = font();
    m_caption.setText(text());
    m_caption.setTextFormat(Qt::PlainText);
    QTextOption option(Qt::AlignHCenter);
    option.setWrapMode(QTextOption::WordWrap);
    m_caption.setTextOption(option);
    m_caption.setTextWidth(QFontMetrics(m_captionFont).horizontalAdvance(text()) <= width ? -1 : width);
    m_caption.prepare(QTransform(), m_captionFont);
}

bool Button::event(QEvent *event)
{
    const bool handled = QAbstractButton::event(event);
    if (event->type() == QEvent::Polish) {
        // The style's polish makes buttons translucent and hover-aware; this face covers itself and shows no
        // hover state of the style's, so the window need not paint beneath it nor repaint it on enter and leave.
        setAttribute(Qt::WA_OpaquePaintEvent);
        setAttribute(Qt::WA_Hover, false);
    }
    return handled;
}

// Enter, on the main keys or the keypad, activates the focused key or command at once, as on the classic platform;
// Space keeps its own press-and-release. A held Enter clicks once, as a held Space does.
void Button::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        event->accept();
        if (!event->isAutoRepeat())
            click();
        return;
    }
    QAbstractButton::keyPressEvent(event);
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
}

Picture::Picture(QWidget *parent)
    : QWidget(parent)
{
    setMouseTracking(true);
    setAttribute(Qt::WA_NoMousePropagation);
    setFocusPolicy(Qt::NoFocus);
}

void Picture::setPicture(std::function<QPixmap(qreal)> read)
{
    m_read = std::move(read);
    m_readRatio = 0;
    m_pixmap = {};
    update();
}

const QPixmap &Picture::picture() const
{
    const qreal ratio = devicePixelRatioF();
    if (m_read && ratio != m_readRatio) {
        m_pixmap = m_read(ratio);
        m_readRatio = ratio;
    }
    return m_pixmap;
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
    painter.drawPixmap(rect(), picture());
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
