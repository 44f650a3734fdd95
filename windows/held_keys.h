#pragma once

#include <QObject>
#include <QPointer>

// A key held down is one press. The window system repeats a held key, and Qt
// hands every repeat on like a new press: a held access key would click its
// button again and again (each click of the print button nests one more
// printed report), and a held Return or Space would press whatever button
// the next window puts under the keyboard. So the repeats go to the line
// edit of a box only, and only to the one that took the key's first press:
// a held digit or Backspace types on, a key held over from another window
// types nothing.
class HeldKeys : public QObject
{
public:
    /// Watches every key of the application from now on, until destroyed.
    /// With repeats_unmarked, a press with the key, scan code and time of
    /// the last release is taken for a repeat too (X11). Elsewhere two quick
    /// presses of one key may share a time: a Windows key message tells the
    /// time to 10 or 16 ms only, and "11" typed fast would lose a digit.
    explicit HeldKeys(bool repeats_unmarked, QObject *parent = nullptr);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    const bool repeats_unmarked;
    QPointer<QObject> typed_into; // the line edit that took the last first press
    int typed_key = 0;
    // The last release: X11 repeats a key as a release and a press at the
    // same server time, and Qt marks them as repeats only when the press is
    // already queued behind the release.
    struct Key
    {
        int key = 0;
        quint32 scan_code = 0;
        quint64 time = 0;
        bool operator==(const Key &) const = default;
    };
    Key released;
};
