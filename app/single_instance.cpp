#include "single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QGuiApplication>
#include <QLocalSocket>
#include <QStandardPaths>

#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif
#if QT_CONFIG(xcb)
#include <X11/Xlib.h>
#endif

namespace {

// Tokens are short; a knock is not a channel for anything larger.
constexpr qsizetype max_token_size = 1024;
constexpr qsizetype max_display_name = 32;

/// The X display Qt connected to: its -display, else DISPLAY.
QString x11_display_name()
{
#if QT_CONFIG(xcb)
    const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (Display *display = x11 ? x11->display() : nullptr)
        return QString::fromLocal8Bit(DisplayString(display));
#endif
    return qEnvironmentVariable("DISPLAY");
}

QString file_name_part(QString text)
{
    for (QChar &c : text) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    }
    return text;
}

} // namespace

QString instance_display()
{
    // Keyed by what Qt really uses: an X11 or offscreen start inside a Wayland
    // session must not meet the desktop's own instance.
    const QString platform = QGuiApplication::platformName();
    QString display;
    if (platform == QLatin1String("xcb"))
        display = QStringLiteral("x11-") + x11_display_name();
    else if (platform.startsWith(QLatin1String("wayland")))
        display = QStringLiteral("wayland-") +
                  qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    else
        display = platform;
#ifdef Q_OS_WIN
    // One per Windows session (console or remote desktop) of the user.
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session))
        display += QStringLiteral("-sitzung-%1").arg(session);
#endif
    return file_name_part(display);
}

SingleInstance::SingleInstance(const QString &display)
{
    // The runtime folder belongs to the user alone, so the display is the
    // rest of the key. Qt names none when it cannot make a private one; a
    // lock anywhere else could be another user's, or land in the working
    // directory.
#ifdef Q_OS_WIN
    // Windows has no runtime folder (Qt names the home folder); the temporary
    // folder is the user's own too. The socket is a named pipe there.
    const QString folder = QDir::tempPath();
#else
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
#endif
    if (folder.isEmpty())
        return;
    // A local socket's path holds about a hundred bytes, and a Wayland
    // display may be named by a full path: a long name is cut to a digest.
    QString name = display;
    if (name.size() > max_display_name)
        name = QString::fromLatin1(
            QCryptographicHash::hash(display.toUtf8(), QCryptographicHash::Sha256)
                .toHex()
                .left(max_display_name));
    base_path = QDir(folder).filePath(QStringLiteral("quendra-") + name);
    lock = std::make_unique<QLockFile>(base_path + QStringLiteral(".lock"));
    // A stand runs for days: only an owner that is gone makes the lock stale,
    // never its age.
    lock->setStaleLockTime(0);
}

SingleInstance::~SingleInstance()
{
    release();
}

bool SingleInstance::claim(const QByteArray &activation_token)
{
    if (!lock)
        return true;
    const QString socket_path = base_path + QStringLiteral(".sock");
    if (!lock->tryLock(0)) {
        if (lock->error() != QLockFile::LockFailedError)
            return true; // no lock can be made: go ahead without one
#ifdef Q_OS_WIN
        // Windows lets only the process the user just started take the
        // foreground; this start hands that right on to the running one.
        AllowSetForegroundWindow(ASFW_ANY);
#endif
        QLocalSocket knock;
        knock.connectToServer(socket_path);
        if (knock.waitForConnected(1000)) {
            knock.write(activation_token.left(max_token_size));
            knock.disconnectFromServer(); // writes what is left first
            if (knock.state() != QLocalSocket::UnconnectedState)
                knock.waitForDisconnected(1000);
        }
        return false;
    }

    // A socket file left by a killed instance would block listening.
    QLocalServer::removeServer(socket_path);
    server.setSocketOptions(QLocalServer::UserAccessOption);
    // A knock is whatever the second start wrote before it hung up.
    connect(&server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server.nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, this, [this, socket] {
                emit knocked(socket->readAll().left(max_token_size));
                socket->deleteLater();
            });
        }
    });
    // Without the socket a second start still ends; it only cannot knock.
    server.listen(socket_path);
    return true;
}

void SingleInstance::release()
{
    // Closing the server removes its socket file; unlocking removes the lock.
    server.close();
    if (lock && lock->isLocked())
        lock->unlock();
}
