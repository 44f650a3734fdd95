#pragma once

class QWidget;

/// Places a dialog where the design puts it: centred on its screen, frame
/// and title bar included, and wholly on it, when first shown; after that
/// where its frame stood when it was last hidden, so a window that the user
/// dragged opens where the user left it. Positions are the frame's, as the
/// window system reports them; the frame is known only once the window
/// manager has framed the window, so the placement is set right again as
/// the frame turns up, until the window is activated. Call once, before
/// the first show. On Wayland the compositor places windows and this
/// changes nothing.
void keep_placement(QWidget &window);
