#pragma once

// One Quendra per user and display: two professors on one screen would fight
// over the keyboard. The first start holds a lock file in the user's runtime
// folder, named after the display, and listens on a local socket beside it; a
// second start finds the lock taken, knocks on the socket so that the running
// program comes to the front, and ends. A lock left by an instance that was
// killed names a process that no longer runs, and QLockFile takes it over.

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <QString>

class SingleInstance : public QObject
{
    Q_OBJECT

public:
    /// The lock and socket of this user on the display in WAYLAND_DISPLAY,
    /// else DISPLAY.
    SingleInstance();

    /// Takes the lock. False when a running instance holds it; that one has
    /// then been asked to come to the front. Where no lock can be made at all
    /// (no runtime folder), the start goes ahead. Needs no application object,
    /// so a second start ends before it connects to the display.
    bool claim();
    /// Listens for the knocks of later starts; once the application exists.
    void listen();

signals:
    /// A second start knocked: the running program is to come to the front.
    void knocked();

private:
    QString socket_path() const;

    QString base_path;
    QLockFile lock;
    QLocalServer server;
};
