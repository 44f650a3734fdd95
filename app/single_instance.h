#pragma once

// One Quendra per user and display: two professors on one screen would fight
// over the keyboard. The first start holds a lock file in the user's runtime
// folder, named after the window system and display Qt connected to, and
// listens on a local socket beside it; a second start finds the lock taken,
// knocks on the socket so that the running program comes to the front, and
// ends. A lock left by an instance that was killed names a process that no
// longer runs, and QLockFile takes it over. A normal end removes both files.

#include <QByteArray>
#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

#include <memory>

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    /// The lock and socket of this user for display, a name that tells the
    /// window system and its display apart (instance_display()). Without a
    /// folder of the user's own there is no lock, and every start goes ahead.
    explicit SingleInstance(const QString &display);
    ~SingleInstance() override;

    /// Takes the lock and listens for the knocks of later starts. False when
    /// a running instance holds it; that one has then been asked to come to
    /// the front, with activation_token (this start's token from its
    /// launcher, if any) passed on.
    bool claim(const QByteArray &activation_token = {});
    /// Gives the lock and the socket up, for an end that skips destructors.
    void release();

signals:
    /// A second start knocked: the running program is to come to the front,
    /// with the activation token that start brought along (may be empty).
    void knocked(const QByteArray &activation_token);

private:
    QString base_path; // empty without a runtime folder
    std::unique_ptr<QLockFile> lock;
    QLocalServer server;
};
