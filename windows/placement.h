#pragma once

class QWidget;

/// Keeps a dialog where it is from its first show on. Qt centres a dialog
/// by itself at every show until the program has moved it, and a drag with
/// the window manager does not count as such a move: the window would jump
/// back to the centre at each show. Pinned here, it opens centred the first
/// time and then where the user left it. Call from showEvent.
void pin_at_first_show(QWidget &window);
