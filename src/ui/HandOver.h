// SPDX-License-Identifier: GPL-3.0-or-later
// A second start of the program hands over to the first: it asks the running one to come to the front and ends
// before it opens any window, so that a user who starts it twice never gets a second copy on top of the first.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <optional>

class QSocketNotifier;

namespace ui {

// One private socket per program and display in the user's runtime directory ($XDG_RUNTIME_DIR). The only request
// it takes is "activate", with the later start's activation token if it has one, from the same user; anything else
// is dropped without effect. Where there is no runtime directory, or no local sockets (Windows), the program simply
// runs on its own; where the socket or its lock cannot be used, it says so once and runs on its own.
class HandOver : public QObject {
    Q_OBJECT
public:
    // Made first thing in main, before the application object: asks a running program of this name on the same
    // desktop to come to the front, passing on $XDG_ACTIVATION_TOKEN. When it answered, handedOver() is true and this
    // process should end. Otherwise this process takes the socket, ready for listen(), unless another program holds
    // it or there is none to take. A program still starting, or another start taking the socket, is waited for a
    // moment (two seconds at most).
    HandOver(QByteArrayView name, QByteArrayView desktop);
    ~HandOver() override;
    HandOver(const HandOver &) = delete;
    HandOver &operator=(const HandOver &) = delete;

    // What tells one desktop from another, so that each display keeps a keyboard of its own: the platform and the
    // displays the application object will connect to (the -platform and -display options win over the
    // environment).
    static QByteArray desktopOf(QByteArrayView platformOption, QByteArrayView displayOption);

    bool handedOver() const { return m_handedOver; }
    // The socket later starts reach this program by; empty when it runs on its own.
    QString socketPath() const;

    // Starts answering later starts; needs the application object. Each request to come to the front emits
    // activationRequested() with the later start's activation token (empty when it had none) and is then
    // acknowledged. The socket goes when the application is about to quit.
    void listen();
    // Stops answering and removes the socket.
    void stop();

Q_SIGNALS:
    void activationRequested(const QByteArray &token);

private:
    bool m_handedOver = false;
#ifdef Q_OS_UNIX
    class Peer;
    void acceptPeers();
    void takePlace(int fd, const QByteArray &path);
    // Answers a finished request (`token` set) or drops the connection (none).
    void answer(Peer *peer, const std::optional<QByteArray> &token);

    QByteArray m_path;
    QByteArray m_lockPath;
    int m_listener = -1;
    unsigned long long m_device = 0; // the socket file this program made, so that only it is removed
    unsigned long long m_inode = 0;
    QSocketNotifier *m_notifier = nullptr;
    int m_peers = 0;
#endif
};

} // namespace ui
