#pragma once

class QByteArray;
class QWindow;

/// On Wayland, asks the compositor to activate window with an activation
/// token another program handed us: the launcher's XDG_ACTIVATION_TOKEN, or
/// the one a second start brought along. Sent on Qt's own connection for the
/// window's own surface. False on any other platform, for a window without a
/// surface yet, or when the compositor offers no activation.
bool activate_with_token(QWindow &window, const QByteArray &token);
