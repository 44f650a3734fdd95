#include "single_instance.h"

#include <QDir>
#include <QLocalSocket>
#include <QStandardPaths>

namespace {

/// The display as part of a file name: "wayland-0", ":1" becomes "_1".
QString display_key()
{
    QString display = qEnvironmentVariable("WAYLAND_DISPLAY");
    if (display.isEmpty())
        display = qEnvironmentVariable("DISPLAY");
    if (display.isEmpty())
        display = QStringLiteral("ohne-anzeige");
    for (QChar &c : display) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    }
    return display;
}

QString instance_base_path()
{
    // The runtime folder belongs to the user alone, so the display is the
    // rest of the key.
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return QDir(folder).filePath(QStringLiteral("quendra-") + display_key());
}

} // namespace

SingleInstance::SingleInstance()
    : base_path(instance_base_path()), lock(base_path + QStringLiteral(".lock"))
{
    // A stand runs for days: only an owner that is gone makes the lock stale,
    // never its age.
    lock.setStaleLockTime(0);
}

QString SingleInstance::socket_path() const
{
    return base_path + QStringLiteral(".sock");
}

void SingleInstance::listen()
{
    if (!lock.isLocked())
        return;
    // A socket file left by a killed instance would block listening.
    QLocalServer::removeServer(socket_path());
    server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&server, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket *socket = server.nextPendingConnection()) {
            socket->disconnectFromServer();
            socket->deleteLater();
        }
        emit knocked();
    });
    // Without the socket a second start still ends; it only cannot knock.
    server.listen(socket_path());
}

bool SingleInstance::claim()
{
    if (lock.tryLock(0) || lock.error() != QLockFile::LockFailedError)
        return true;

    QLocalSocket knock;
    knock.connectToServer(socket_path());
    if (knock.waitForConnected(1000))
        knock.disconnectFromServer();
    return false;
}
