#pragma once

// Between the common part of bringing a window to the front (activation.cpp)
// and each system's own (platform_*.cpp).

class QByteArray;
class QWindow;

/// The window system's own part of bringing window, now on the screen, to
/// the front: true when it has been asked directly and that is all (Wayland,
/// with a token); false when Qt's raise and activation are to follow.
bool request_activation(QWindow &window, const QByteArray &token);
