#include "single_instance.h"

#include "platform.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalSocket>

namespace {

// Tokens are short; a knock is not a channel for anything larger.
constexpr qsizetype max_token_size = 1024;
constexpr qsizetype max_display_name = 32;

QString file_name_part(QString text)
{
    for (QChar &c : text) {
        if (!c.isLetterOrNumber() && c != QLatin1Char('-') && c != QLatin1Char('.'))
            c = QLatin1Char('_');
    }
    return text;
}

} // namespace

SingleInstance::SingleInstance(const QString &display)
{
    // The folder belongs to the user alone, so the display is the rest of
    // the key. A lock anywhere else could be another user's, or land in the
    // working directory.
    const QString folder = instance_folder();
    if (folder.isEmpty())
        return;
    // A local socket's path holds about a hundred bytes, and a Wayland
    // display may be named by a full path: a long name is cut to a digest.
    QString name = file_name_part(display);
    if (name.size() > max_display_name)
        name =
            QString::fromLatin1(QCryptographicHash::hash(name.toUtf8(), QCryptographicHash::Sha256)
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
        allow_foreground_handover();
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
