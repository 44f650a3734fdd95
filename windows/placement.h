#pragma once

class QWidget;

/// Centres a window on its screen at its first show, with an explicit move.
/// Qt centres a dialog by itself at every show until the program has moved
/// it, and a drag with the window manager does not count as such a move: the
/// window would jump back to the centre each time. Once placed here, it
/// opens where the user left it. Call from showEvent.
void centre_at_first_show(QWidget &window);
