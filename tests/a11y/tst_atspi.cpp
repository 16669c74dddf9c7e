// SPDX-License-Identifier: GPL-3.0-or-later
// What a screen reader hears: the real program is started on an X server with accessibility on, and its keys are
// read back over AT-SPI, the desktop's accessibility bus, as Orca would read them. Run by atspi-check.sh, which
// provides the X server and a session bus and names the program in GOJUON_PROGRAM.
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QElapsedTimer>
#include <QProcess>
#include <QRect>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString Accessible = u"org.a11y.atspi.Accessible"_s;
const QString Component = u"org.a11y.atspi.Component"_s;

// An object on the accessibility bus: the connection that serves it and its path there.
struct Node {
    QString service;
    QString path;
};

// What the test needs to know of one object.
struct Described {
    QString role;
    QString name;
    QRect screenExtents;
};

class AtSpi {
public:
    explicit AtSpi(const QDBusConnection &bus)
        : m_bus(bus)
    { }

    QDBusMessage call(
        const Node &node, const QString &interface, const QString &method, const QVariantList &arguments = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(node.service, node.path, interface, method);
        message.setArguments(arguments);
        return m_bus.call(message, QDBus::Block, 5000);
    }

    QList<Node> children(const Node &node)
    {
        const QDBusMessage reply = call(node, Accessible, u"GetChildren"_s);
        QList<Node> nodes;
        if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
            return nodes;
        const QDBusArgument array = reply.arguments().constFirst().value<QDBusArgument>();
        array.beginArray();
        while (!array.atEnd()) {
            Node child;
            QDBusObjectPath path;
            array.beginStructure();
            array >> child.service >> path;
            array.endStructure();
            child.path = path.path();
            nodes << child;
        }
        array.endArray();
        return nodes;
    }

    Described describe(const Node &node)
    {
        Described described;
        const QDBusMessage name = call(node, u"org.freedesktop.DBus.Properties"_s, u"Get"_s, { Accessible, u"Name"_s });
        if (!name.arguments().isEmpty())
            described.name = name.arguments().constFirst().value<QDBusVariant>().variant().toString();
        const QDBusMessage role = call(node, Accessible, u"GetRoleName"_s);
        if (!role.arguments().isEmpty())
            described.role = role.arguments().constFirst().toString();
        const QDBusMessage extents = call(node, Component, u"GetExtents"_s, { QVariant::fromValue(quint32(0)) });
        if (extents.type() == QDBusMessage::ReplyMessage && !extents.arguments().isEmpty()) {
            const QDBusArgument box = extents.arguments().constFirst().value<QDBusArgument>();
            int x = 0, y = 0, width = 0, height = 0;
            box.beginStructure();
            box >> x >> y >> width >> height;
            box.endStructure();
            described.screenExtents = QRect(x, y, width, height);
        }
        return described;
    }

private:
    QDBusConnection m_bus;
};

} // namespace

class AtSpiTest : public QObject {
    Q_OBJECT

private:
    QProcess m_program;
    std::unique_ptr<AtSpi> m_atspi;
    Node m_application;
    Described m_keyboard;
    QList<Described> m_keyboardControls;

    // The keyboard window's controls, with extents made relative to the window.
    void readKeyboard(const Node &frame)
    {
        QList<Node> pending = m_atspi->children(frame);
        while (!pending.isEmpty()) {
            const Node node = pending.takeFirst();
            Described described = m_atspi->describe(node);
            described.screenExtents.translate(-m_keyboard.screenExtents.topLeft());
            m_keyboardControls << described;
            pending << m_atspi->children(node);
        }
    }

    const Described *controlAt(const QRect &geometry) const
    {
        for (const Described &control : m_keyboardControls) {
            if (control.screenExtents == geometry)
                return &control;
        }
        return nullptr;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QString program = qEnvironmentVariable("GOJUON_PROGRAM");
        QVERIFY2(!program.isEmpty(), "GOJUON_PROGRAM names no program (see atspi-check.sh)");
        QDBusConnection session = QDBusConnection::sessionBus();
        QVERIFY2(session.isConnected(), "no session bus: run under dbus-run-session (see atspi-check.sh)");
        const QDBusMessage address = session.call(
            QDBusMessage::createMethodCall(u"org.a11y.Bus"_s, u"/org/a11y/bus"_s, u"org.a11y.Bus"_s, u"GetAddress"_s));
        QVERIFY2(address.type() == QDBusMessage::ReplyMessage, qPrintable(address.errorMessage()));
        const QDBusConnection accessibility
            = QDBusConnection::connectToBus(address.arguments().constFirst().toString(), u"a11y"_s);
        QVERIFY2(accessibility.isConnected(), "cannot connect to the accessibility bus");
        m_atspi = std::make_unique<AtSpi>(accessibility);

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"QT_LINUX_ACCESSIBILITY_ALWAYS_ON"_s, u"1"_s);
        environment.insert(u"QT_QPA_PLATFORM"_s, u"xcb"_s);
        m_program.setProcessEnvironment(environment);
        m_program.setProcessChannelMode(QProcess::ForwardedChannels);
        m_program.start(program, {});
        QVERIFY2(m_program.waitForStarted(), qPrintable(m_program.errorString()));

        // The program registers with the accessibility registry once its windows are up.
        const Node registry { u"org.a11y.atspi.Registry"_s, u"/org/a11y/atspi/accessible/root"_s };
        QElapsedTimer waited;
        waited.start();
        while (m_application.service.isEmpty() && waited.elapsed() < 20000) {
            for (const Node &application : m_atspi->children(registry)) {
                for (const Node &window : m_atspi->children(application)) {
                    const Described described = m_atspi->describe(window);
                    if (described.name == u"\u30AD\u30FC\u30DC\u30FC\u30C9"_s) {
                        m_application = application;
                        m_keyboard = described;
                        readKeyboard(window);
                    }
                }
            }
            if (m_application.service.isEmpty()) {
                QVERIFY2(m_program.state() == QProcess::Running, "the program ended before its windows were read");
                QTest::qWait(100);
            }
        }
        QVERIFY2(!m_application.service.isEmpty(), "the keyboard window (キーボード) never appeared on the AT-SPI bus");
    }

    void cleanupTestCase()
    {
        if (m_program.state() != QProcess::NotRunning) {
            m_program.terminate();
            if (!m_program.waitForFinished(3000)) {
                m_program.kill();
                m_program.waitForFinished(3000);
            }
        }
    }

    void keyboardIsAFrameNamedByItsTitle() { QCOMPARE(m_keyboard.role, u"frame"_s); }

    void everyKeyAndCommandHasAName()
    {
        int buttons = 0;
        for (const Described &control : std::as_const(m_keyboardControls)) {
            if (control.role != u"push button"_s)
                continue;
            ++buttons;
            QVERIFY2(!control.name.trimmed().isEmpty(),
                qPrintable(u"a button without a name at %1,%2"_s.arg(control.screenExtents.x())
                               .arg(control.screenExtents.y())));
        }
        QCOMPARE(buttons, 117);
    }

    void keysSayWhatTheyType_data()
    {
        QTest::addColumn<QRect>("geometry");
        QTest::addColumn<QString>("name");
        // Found by their place in the window, as a user finds them.
        QTest::newRow("〃 beside か types が") << QRect(QPoint(640, 110), QPoint(660, 130)) << u"\u304C"_s;
        QTest::newRow("small あ types ぁ") << QRect(QPoint(660, 130), QPoint(686, 156)) << u"\u3041"_s;
        QTest::newRow("あ") << QRect(QPoint(690, 110), QPoint(735, 155)) << u"\u3042"_s;
        QTest::newRow("終") << QRect(QPoint(675, 370), QPoint(735, 410)) << u"\u7D42"_s;
    }

    void keysSayWhatTheyType()
    {
        QFETCH(QRect, geometry);
        QFETCH(QString, name);
        const Described *key = controlAt(geometry);
        QVERIFY2(key, "no accessible object in the key's place");
        QCOMPARE(key->role, u"push button"_s);
        QCOMPARE(key->name, name);
    }

    void textFieldHasAName()
    {
        const Described *field = controlAt(QRect(QPoint(46, 43), QPoint(699, 97)));
        QVERIFY2(field, "no accessible object in the text field's place");
        QCOMPARE(field->role, u"text"_s);
        QVERIFY(!field->name.trimmed().isEmpty());
    }
};

QTEST_GUILESS_MAIN(AtSpiTest)
#include "tst_atspi.moc"
