#pragma once

class QByteArray;
class QWidget;

// What the desktops need, as the end-to-end tests measure it: openbox,
// mutter and KWin give each window of the program the keyboard when it
// opens, and so does sway with the kiosk recipe's `for_window ... focus`
// line, so the windows ask for nothing themselves. Only a window that is to
// come back to the front must ask: for a second start that knocked, and at
// start with the launcher's activation token.

/// Asks the window system to bring window to the front with the keyboard:
/// at once if it is on the screen, else as soon as it is. token is the one
/// the program was launched with, or the one a second start brought along:
/// an xdg-activation token on Wayland, a startup id on X11 (may be empty).
void bring_to_front(QWidget &window, const QByteArray &token);
