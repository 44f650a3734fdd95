#include "held_keys.h"

#include "platform.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QLineEdit>

HeldKeys::HeldKeys(bool repeats_unmarked, QObject *parent)
    : QObject(parent), repeats_unmarked(repeats_unmarked)
{
    watch_key_presses();
    QCoreApplication::instance()->installEventFilter(this);
}

bool HeldKeys::eventFilter(QObject *watched, QEvent *event)
{
    // Each key goes to the window first, which hands it to the focused
    // control, and from there, unless taken, to each widget around it.
    // Shortcuts, access keys included, are looked up with the shortcut
    // override that comes before each press.
    const QEvent::Type type = event->type();
    if (!watched->isWidgetType() || (type != QEvent::KeyPress && type != QEvent::ShortcutOverride &&
                                     type != QEvent::KeyRelease))
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (type == QEvent::KeyRelease) {
        released = {key->key(), key->nativeScanCode(), key->timestamp()};
        return false;
    }
    // Keys made up without a scan code or a time (tests, virtual keyboards
    // such as wtype's) never count as repeats by time.
    const Key pressed{key->key(), key->nativeScanCode(), key->timestamp()};
    const bool repeated = marked_repeat_held(*key) || (repeats_unmarked && pressed.scan_code != 0 &&
                                                       pressed.time != 0 && pressed == released);
    if (!repeated) {
        // Seen again by the dialog when the line edit leaves the key to it
        // (Return): then nothing was typed, and its repeats go nowhere.
        if (type == QEvent::KeyPress) {
            typed_into = qobject_cast<QLineEdit *>(watched);
            typed_key = key->key();
        }
        return false;
    }
    if (type == QEvent::KeyPress && watched == typed_into && key->key() == typed_key)
        return false;
    // Taken: an accepted shortcut override keeps the shortcut from firing.
    event->accept();
    return true;
}
