#pragma once

// What differs between the systems Quendra runs on, named in one place: the
// console, the single-instance key and its transport, activation, the
// hourglass, the fonts and the spooler's answer. Each system answers in files
// of its own, picked by CMake: platform_windows.cpp and spooler_windows.cpp
// on Windows; platform_linux.cpp and spooler_cups.cpp elsewhere, where the
// window system Qt connected to (X11, Wayland or none) is known only at run
// time. Lookups in Qt's native interface stay in these files too; one that
// finds nothing says so once, as the feature it serves then stops.

#include <QByteArray>
#include <QString>

#include <cstdio>
#include <optional>

class QCursor;
class QKeyEvent;
struct QMetaObject;
class QWidget;

// Console

/// Writes text for the user to stream (stdout or stderr). A Windows program
/// has no console of its own, so it writes to the one it was started from.
void write_console(const QString &text, std::FILE *stream);

// Single instance: a lock file and a local socket (a named pipe on Windows)
// beside it, which a second start knocks on.

/// The folder of this user's lock and socket; empty when there is no folder
/// that belongs to the user alone.
QString instance_folder();
/// The window system and display the application object connected to, which
/// with the folder makes the key: "x11-:0", "wayland-wayland-1", "offscreen";
/// on Windows the user's session as well.
QString instance_display();
/// Before a second start knocks: lets the running one take the foreground,
/// where only the program the user just started may.
void allow_foreground_handover();

// Activation

/// The launcher's activation tokens for this start: an xdg-activation token
/// for Wayland and a startup id for X11.
struct LaunchTokens
{
    QByteArray activation_token;
    QByteArray startup_id;
};
/// Takes the tokens before the application object exists, while no other
/// thread reads the environment: the Wayland one leaves it, so that it goes
/// with the first window and not to a program we start. Qt itself takes the
/// startup id at its first window on X11.
LaunchTokens take_launch_tokens();
/// The token for the window system Qt connected to: what a second start
/// hands on to the running one.
QByteArray launch_token(const LaunchTokens &tokens);
/// After the main window is first shown: brings it to the front with the
/// launcher's token where Qt does not do so itself.
void activate_after_launch(QWidget &window, const LaunchTokens &tokens);
/// Asks the window system to bring window to the front with the keyboard:
/// at once if it is on the screen, else as soon as it is. token is the one
/// the program was launched with, or the one a second start brought along
/// (may be empty).
void bring_to_front(QWidget &window, const QByteArray &token);
/// Whether the compositor, not the program, places the windows (Wayland):
/// a window is placed anew only when it maps again.
bool compositor_places_windows();

// Keys

/// From now on notes of each key press whether its key was down already,
/// where the window system says so and Qt does not pass it on (Windows).
/// For marked_repeat_held; once the application object exists.
void watch_key_presses();
/// Whether press, which Qt marked as a repeat, repeats a key held down. Qt
/// for Windows marks every press of a key whose release it did not see: a
/// box that closes on Return leaves the release to a window that is gone,
/// and the next Return, on the next box, would count as held. Each key
/// message of Windows says whether the key was down before it.
bool marked_repeat_held(const QKeyEvent &press);
/// Whether a key the user holds may come as presses that Qt does not mark as
/// repeats. X11 repeats a held key as a release and a press at the same
/// server time, and Qt marks them only when the press is already queued
/// behind the release. On Wayland Qt repeats the key itself.
bool key_repeats_unmarked();

// Pointer

/// The pointer while a report is computed.
QCursor hourglass_cursor();

// Fonts

/// The windows name the classic Windows faces; where the system lacks them,
/// their metric twins stand in. main_window is the class of the window whose
/// first frame shows only those faces.
void substitute_design_fonts(const QMetaObject &main_window);

// Printing

/// Why the spooler refused the job just handed to printer_name, in the
/// spooler's own words; nothing when it took it. Asked on the thread that
/// printed, right after the end of the document.
std::optional<QString> spooler_refusal(const QString &printer_name);
