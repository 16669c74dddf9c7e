// SPDX-License-Identifier: GPL-3.0-or-later
// The builder that turns a window table into widgets, and the window's own painting and events.
#include "Form.h"

#include "Controls.h"
#include "Fonts.h"
#include "Log.h"
#include "Platform.h"
#include "TextBox.h"

#include <QAccessibleWidget>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCursor>
#include <QDoubleSpinBox>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>
#include <vector>

#if defined(GOJUON_HAVE_XCB) && QT_CONFIG(xcb)
#include <xcb/xcb.h>
#define GOJUON_X11_FOCUS_MODEL
#endif

namespace ui {

namespace {

// Reads one of the program's own images. Naming the format, rather than letting Qt guess it, makes Qt use just the
// decoder that format needs: a guess loads every image plugin on the system to ask each whether it can read the file.
QImage resourceImage(const QString &name)
{
    QFile file(QLatin1Char(':') + name);
    QImageReader reader(&file, QFileInfo(name).suffix().toLatin1());
    reader.setAutoDetectImageFormat(false);
    QImage image = file.open(QIODevice::ReadOnly) ? reader.read() : QImage();
    if (image.isNull()) {
        qCWarning(lcProgram, "the image %s could not be read (%s); the windows do without it.", qPrintable(name),
            qPrintable(file.isOpen() ? reader.errorString() : file.errorString()));
        return image;
    }
    // The pointers, the icon and the GIF picture are palette images, and Qt 6.4 crashes smoothly scaling a palette
    // image (as a pointer is at 125 % or 150 %). Every image leaves here with true colours, so nothing can.
    if (image.colorCount() > 0)
        image.convertTo(image.hasAlphaChannel() ? QImage::Format_ARGB32_Premultiplied : QImage::Format_RGB32);
    return image;
}

// A page's picture for a device pixel ratio. Above 1 it is the drawing made twice as fine (`name@2x`), at 200 % pixel
// for pixel; at 125 % to 175 % the fine drawing reduced is sharper than the coarse one enlarged. The coarse drawing
// stands in if the fine one cannot be read.
QPixmap pictureFor(const QString &name, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1) {
        const QFileInfo file(name);
        QPixmap fine
            = QPixmap::fromImage(resourceImage(file.completeBaseName() + QStringLiteral("@2x.") + file.suffix()));
        if (!fine.isNull()) {
            fine.setDevicePixelRatio(2);
            return fine;
        }
    }
    return QPixmap::fromImage(resourceImage(name));
}

constexpr int PointerSize = 32;

// The window icon at the sizes a desktop shows it: title bars and task lists take 16 to 32 pixels, window switchers
// and docks 48 or 64. Each is drawn for its size, so none is a blurred reduction of another.
QIcon applicationIcon()
{
    QIcon icon;
    for (const QString &name : { QStringLiteral("icon-16.png"), QStringLiteral("icon-24.png"),
             QStringLiteral("icon.png"), QStringLiteral("icon-48.png"), QStringLiteral("icon-64.png") }) {
        const QImage image = resourceImage(name);
        if (!image.isNull())
            icon.addPixmap(QPixmap::fromImage(image));
    }
    return icon;
}

// Screen readers announce a window by its title when it is a frame; Qt describes a plain widget as a filler.
QAccessibleInterface *accessibleWindow(const QString &, QObject *object)
{
    auto *form = qobject_cast<Form *>(object);
    return form && form->isWindow() ? new QAccessibleWidget(form, QAccessible::Window) : nullptr;
}

} // namespace

QFont toQFont(const FontDef &font)
{
    QFont qfont;
    const QString family = font.face.isEmpty() ? QString() : installedFamily(font.face);
    if (!family.isEmpty())
        qfont.setFamilies({ family });
    // The windows' texts are large (18 pixels and up), where hinting changes next to nothing; but light hinting has
    // FreeType's auto-hinter go through every character of each Japanese face the first time it is used, which cost
    // several milliseconds and megabytes at every start.
    qfont.setHintingPreference(QFont::PreferNoHinting);
    qfont.setPixelSize(pointsToPixels(font.points));
    // A family of one heavy weight draws the same glyphs whatever weight is asked; asked alike, its fonts of one size
    // share them, and the face is set up for that size once (a match against every installed font, at start-up).
    qfont.setBold(font.bold && !hasOneWeight(family));
    qfont.setUnderline(font.underline);
    return qfont;
}

QCursor toQCursor(Pointer pointer, qreal devicePixelRatio)
{
    QString name;
    switch (pointer) {
    case Pointer::Ring:
        name = QStringLiteral("cursor-ring");
        break;
    case Pointer::BarArrow:
        name = QStringLiteral("cursor-bar-arrow");
        break;
    case Pointer::Ryokai:
        name = QStringLiteral("cursor-ryokai");
        break;
    case Pointer::Arrow:
    case Pointer::Inherit:
        return QCursor(Qt::ArrowCursor);
    }
    // The images are drawn 32 x 32 and, twice as fine, 64 x 64, with the hot spot in the middle. The pointer grows
    // with the windows: on a screen of two device pixels to the pixel it is the fine image, pixel for pixel; other
    // ratios scale the nearer drawing.
    const bool fine = devicePixelRatio > 1;
    QImage image = resourceImage(name + (fine ? QStringLiteral("@2x.png") : QStringLiteral(".png")));
    if (image.isNull())
        return QCursor(Qt::ArrowCursor); // the standard pointer stands in
    const int side = qRound(PointerSize * devicePixelRatio);
    if (image.width() != side)
        image = image.scaled(side, side, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    // X11 takes the image pixel for pixel and the hot spot in the image's own pixels, whatever the ratio; the other
    // platforms scale the image by its ratio and take the hot spot in logical pixels.
    const bool hotSpotInDevicePixels = QGuiApplication::platformName() == QLatin1String("xcb");
    const int hotSpot = hotSpotInDevicePixels ? side / 2 : PointerSize / 2;
    return QCursor(pixmap, hotSpot, hotSpot);
}

Form::Form(const FormDef &definition, QWidget *owner, Qt::WindowFlags flags)
    : QWidget(nullptr,
        flags       ? flags
            : owner ? Qt::Dialog
                    : Qt::Window)
    , m_definition(definition)
    , m_owner(owner)
    , m_backColor(toQColor(definition.backColor))
{
    static const bool describedAsWindows = (QAccessible::installFactory(accessibleWindow), true);
    Q_UNUSED(describedAsWindows);
    setObjectName(definition.name.toString());
    setWindowTitle(definition.caption.toString());
    setMouseTracking(true);
    // A window that belongs to another opens without taking the focus: the keyboard's handlers that open one give
    // the focus back to the text field, where the input method needs it, and a window manager that focused each new
    // window would win that race now and then.
    if (owner)
        setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_OpaquePaintEvent);
    if (!definition.font.face.isEmpty() || definition.font.points > 0)
        setFont(toQFont(definition.font));
    if (definition.pointer != Pointer::Inherit)
        setCursor(pointer(definition.pointer));
    if (definition.hasIcon)
        setWindowIcon(applicationIcon());

    // The client area at its designed place, kept on the screen.
    QRect client
        = twipsToRect(definition.designedLeft, definition.designedTop, definition.clientWidth, definition.clientHeight);
    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect available = screen->availableGeometry();
        client.moveLeft(std::clamp(
            client.left(), available.left(), std::max(available.left(), available.right() - client.width())));
        client.moveTop(
            std::clamp(client.top(), available.top(), std::max(available.top(), available.bottom() - client.height())));
    }
    setGeometry(client);
    setFixedSize(client.size());
    build();
}

void Form::build()
{
    std::vector<QWidget *> tabChain;
    std::vector<const ControlDef *> tabDefinitions;
    for (const ControlDef &def : m_definition.controls) {
        QWidget *widget = nullptr;
        switch (def.kind) {
        case ControlKind::Button: {
            auto *button = new Button(this);
            button->setText(def.caption.toString());
            button->setBackColor(toQColor(def.backColor));
            widget = button;
            break;
        }
        case ControlKind::Label: {
            auto *label = new Label(this);
            label->setText(def.caption.toString());
            if (def.centred)
                label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
            QPalette colours = label->palette();
            colours.setColor(QPalette::WindowText, toQColor(def.foreColor));
            label->setPalette(colours);
            widget = label;
            break;
        }
        case ControlKind::TextBox: {
            auto *textBox = new TextBox(this);
            textBox->setMaxLength(def.maxLength);
            textBox->setBackColor(toQColor(def.backColor));
            widget = textBox;
            break;
        }
        case ControlKind::Picture: {
            auto *picture = new Picture(this);
            picture->setPicture([name = def.caption.toString()](qreal ratio) { return pictureFor(name, ratio); });
            widget = picture;
            break;
        }
        case ControlKind::CheckBox: {
            auto *box = new QCheckBox(def.caption.toString(), this);
            widget = box;
            break;
        }
        case ControlKind::Choice: {
            auto *choice = new QComboBox(this);
            choice->addItems(def.caption.toString().split(QLatin1Char('\n')));
            widget = choice;
            break;
        }
        case ControlKind::Number: {
            auto *number = new QDoubleSpinBox(this);
            number->setRange(def.minimum, def.maximum);
            number->setSingleStep(def.step);
            number->setDecimals(def.step > 0 && def.step < 1 ? int(std::ceil(-std::log10(def.step) - 1e-9)) : 0);
            number->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            widget = number;
            break;
        }
        }
        if (!def.accessibleName.isEmpty())
            widget->setAccessibleName(def.accessibleName.toString());
        widget->setObjectName(def.index == NoIndex
                ? def.name.toString()
                : def.name.toString() + QLatin1Char('_') + QString::number(def.index));
        widget->setGeometry(twipsToRect(def.left, def.top, def.width, def.height));
        if (!def.font.face.isEmpty() || def.font.points > 0) {
            QFont font = toQFont(def.font);
            if (def.font.face.isEmpty())
                font.setFamilies(this->font().families());
            widget->setFont(font);
        }
        if (def.pointer != Pointer::Inherit)
            widget->setCursor(pointer(def.pointer));
        if (!def.toolTip.isEmpty())
            widget->setToolTip(def.toolTip.toString());
        if (!def.visible)
            widget->hide();
        if (def.tabOrder != NoTabStop)
            tabDefinitions.push_back(&def);
        m_controls.push_back({ &def, widget });
    }

    std::stable_sort(tabDefinitions.begin(), tabDefinitions.end(),
        [](const ControlDef *a, const ControlDef *b) { return a->tabOrder < b->tabOrder; });
    QWidget *previous = nullptr;
    for (const ControlDef *def : tabDefinitions) {
        QWidget *widget = find(def->name, def->index);
        if (widget->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

// One cursor for each pointer at each device pixel ratio, shared by every window and control: each image is read
// once.
QCursor Form::pointer(Pointer kind)
{
    static std::map<std::pair<Pointer, qreal>, QCursor> made;
    const std::pair key(kind, devicePixelRatioF());
    auto found = made.find(key);
    if (found == made.end())
        found = made.emplace(key, toQCursor(kind, key.second)).first;
    return found->second;
}

QWidget *Form::find(QStringView name, int index) const
{
    for (const Built &built : m_controls) {
        if (built.definition->name == name && built.definition->index == index)
            return built.widget;
    }
    return nullptr;
}

void Form::wrongControl(QStringView name, int index, const QWidget *found, const char *expected, bool array) const
{
    const QString control = index == NoIndex ? name.toString() : QStringLiteral("%1(%2)").arg(name).arg(index);
    if (found)
        qFatal("gojuon-keyboard: the control %s of the window %s is a %s, not a %s", qPrintable(control),
            qPrintable(m_definition.name.toString()), found->metaObject()->className(), expected);
    qFatal("gojuon-keyboard: the window %s has no control %s%s", qPrintable(m_definition.name.toString()),
        array ? "array " : "", qPrintable(control));
}

void Form::setBackColor(const QColor &color)
{
    FaultHook::check(Operation::SetColor);
    if (color == m_backColor)
        return;
    m_backColor = color;
    update();
}

void Form::showWindow()
{
    FaultHook::check(Operation::ShowWindow);
    show();
}

void Form::hideWindow()
{
    FaultHook::check(Operation::HideWindow);
    hide();
}

void Form::setVisible(bool visible)
{
    if (visible && m_owner) {
        // The owner is named to the platform (WM_TRANSIENT_FOR on X11, the parent toplevel on Wayland, the owner
        // window on Windows) before the window first shows. A window manager links the two only when it already
        // manages the owner (openbox ignores an owner that is not yet mapped), so an owner still hidden, as the
        // keyboard is while its load step opens page 1, shows first.
        QWidget *owner = m_owner->window();
        if (!owner->isVisible())
            owner->show();
        if (!windowHandle() || !windowHandle()->transientParent()) {
            winId();
            windowHandle()->setTransientParent(owner->windowHandle());
        }
    } else if (!visible && isVisible()) {
        // A tool-tip window of this one is a popup inside it on Wayland: it hides first, or the compositor takes it
        // away behind Qt's back and Qt still counts it as shown.
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            auto *form = qobject_cast<Form *>(window);
            if (form && form != this && form->m_owner && form->m_owner->window() == this
                && form->windowType() == Qt::ToolTip && form->isVisible())
                form->hide();
        }
    }
    QWidget::setVisible(visible);
}

#ifdef GOJUON_X11_FOCUS_MODEL
namespace {

xcb_connection_t *x11Connection()
{
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

// The atoms of these names. An atom stays the same for the whole connection (the program has one), so each name is
// asked for once, and the names not known yet together: one round trip to the X server for all of them.
std::vector<xcb_atom_t> x11Atoms(xcb_connection_t *connection, std::initializer_list<const char *> names)
{
    static std::map<QByteArray, xcb_atom_t> known;
    std::vector<std::pair<QByteArray, xcb_intern_atom_cookie_t>> asked;
    for (const char *name : names) {
        if (!known.contains(name))
            asked.emplace_back(name, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name));
    }
    for (const auto &[name, cookie] : asked) {
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        if (reply && reply->atom != XCB_ATOM_NONE)
            known.emplace(name, reply->atom);
        free(reply);
    }
    std::vector<xcb_atom_t> atoms;
    for (const char *name : names) {
        const auto found = known.find(name);
        atoms.push_back(found != known.end() ? found->second : xcb_atom_t(XCB_ATOM_NONE));
    }
    return atoms;
}

// Sets a property that lists atoms: the property's name first, then its values.
void setAtomList(QWidget *window, std::initializer_list<const char *> propertyThenValues)
{
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    const std::vector<xcb_atom_t> atoms = x11Atoms(connection, propertyThenValues);
    if (std::count(atoms.begin(), atoms.end(), xcb_atom_t(XCB_ATOM_NONE)) > 0)
        return;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), atoms.front(), XCB_ATOM_ATOM,
        32, uint32_t(atoms.size() - 1), atoms.data() + 1);
    xcb_flush(connection);
}

} // namespace
#endif

void Form::refuseFocusFromWindowManager()
{
#ifdef GOJUON_X11_FOCUS_MODEL
    // Qt offers WM_TAKE_FOCUS on every window, which makes one that takes no input "globally active": openbox then
    // hands it the focus when the window it belongs to is minimised, and refuses to bring that window back.
    setAtomList(this, { "WM_PROTOCOLS", "WM_DELETE_WINDOW", "_NET_WM_PING" });
#endif
}

void Form::keepOffTaskbar()
{
#ifdef GOJUON_X11_FOCUS_MODEL
    // Read by Qt when it maps the window, which keeps the states it does not set itself.
    setAtomList(this, { "_NET_WM_STATE", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER" });
#endif
}

void Form::bringToFront()
{
    if (windowState() & Qt::WindowMinimized)
        setWindowState(windowState() & ~Qt::WindowMinimized);
    showWindow();
    raise();
    activateWindow();
}

void Form::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), m_backColor);
    for (const LineDef &line : m_definition.lines) {
        painter.setPen(QPen(toQColor(line.color), line.widthPixels, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(
            twipsToPixels(line.x1), twipsToPixels(line.y1), twipsToPixels(line.x2), twipsToPixels(line.y2));
    }
}

void Form::mouseMoveEvent(QMouseEvent *event)
{
    event->accept();
    Q_EMIT surfaceMouseMoved();
}

} // namespace ui
