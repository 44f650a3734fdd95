#pragma once

class QPoint;
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

/// After the window's screen changed its size or factor: a window placed by
/// keep_placement that still stands where it was centred is centred anew;
/// any other keeps corner, where its frame stood before the change, moved
/// back onto the screen if needed.
void fit_to_screen(QWidget &window, QPoint corner);
