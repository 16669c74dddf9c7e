// SPDX-License-Identifier: GPL-3.0-or-later
// The controls the windows are built from. Each reports pointer moves as its own event and never lets them
// fall through to the window behind it.
#pragma once

#include <QAbstractButton>
#include <QLabel>
#include <QPixmap>
#include <QStaticText>
#include <functional>

class QPainter;

namespace ui {

// Gives a control the keyboard focus, activating its window when needed. Checked platform operation.
void giveFocus(QWidget *widget);

// A push button in the graphical style: a raised face filled with its background colour, caption centred and
// wrapped at spaces. Changing the colour repaints only when the colour really changes.
class Button : public QAbstractButton {
    Q_OBJECT
public:
    explicit Button(QWidget *parent = nullptr);
    ~Button() override;

    QColor backColor() const { return QColor::fromRgb(m_backColor); }
    // Checked platform operation: throws PlatformError when refused. The face is repainted once the running
    // handler is done, and only if its colour then differs from the one shown: a handler that paints every
    // key back to rest and then highlights one costs a repaint only where the picture changes.
    void setBackColor(const QColor &color) { setBackColor(color.rgb()); }
    void setBackColor(QRgb color);
    void SetFocus() { giveFocus(this); }
    // Counts repaints requested by colour changes, for tests and benchmarks.
    static long long colorRepaints();

    // Marks drawn over the face, apart from its colour (which the hover handlers set on every pointer move): how
    // far a resting pointer has come towards activating the button, from 0 (no mark) to 1, as a ring that closes;
    // and the scan highlight, a thick two-tone frame that shows on every face colour.
    void setDwellProgress(qreal progress);
    qreal dwellProgress() const { return m_dwellProgress; }
    void setScanMarked(bool marked);
    bool scanMarked() const { return m_scanMarked; }

    QSize sizeHint() const override;

Q_SIGNALS:
    void mouseMoved();

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    static void showChangedColors();
    void prepareCaption(int width);
    void drawAccessMarks(QPainter &painter) const;

    QStaticText m_caption;
    QFont m_captionFont;
    int m_captionWidth = -1;
    // Plain RGB values: the hover handlers compare 117 of them on every pointer move. Opaque colours never
    // equal the transparent 0 they start from.
    QRgb m_backColor = 0;
    QRgb m_shownColor = 0;
    bool m_colorPending = false;
    qreal m_dwellProgress = 0;
    bool m_scanMarked = false;
};

// A transparent label with wrapped text, clipped at its bottom edge.
class Label : public QLabel {
    Q_OBJECT
public:
    explicit Label(QWidget *parent = nullptr);

Q_SIGNALS:
    void mouseMoved();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
};

// A picture stretched to its frame.
class Picture : public QWidget {
    Q_OBJECT
public:
    explicit Picture(QWidget *parent = nullptr);

    // A picture read only when it is first shown or asked for, for the device pixel ratio it is shown at: one that
    // starts hidden costs nothing at start-up. It is read again if the window comes to a screen of another ratio.
    void setPicture(std::function<QPixmap(qreal devicePixelRatio)> read);
    const QPixmap &picture() const;
    // Checked platform operations.
    void setShown(bool shown);
    void moveTwips(int left, int top);

Q_SIGNALS:
    void mouseMoved();
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    mutable QPixmap m_pixmap;
    std::function<QPixmap(qreal)> m_read;
    mutable qreal m_readRatio = 0; // the device pixel ratio m_pixmap was read for; 0 before the first read
};

} // namespace ui
