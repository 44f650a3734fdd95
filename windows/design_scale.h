#pragma once

// The windows are drawn for an 800 x 588 client area. On a larger screen the
// whole design grows by one factor, so that it fills the screen as it filled
// the small screens it was made for: every control's rectangle, every font,
// every picture's drawn size and every button's icon. Sizes are in
// device-independent pixels, so on a high-DPI desktop this comes on top of
// Qt's own scaling. At factor 1 nothing is touched.
//
// The factor is worked out once, at start, and handed to each window; the
// windows are scaled right after setupUi, before they are first shown.

#include <QPoint>
#include <QSize>
#include <QString>

class QDialog;
class QFont;
class QLabel;
class QScreen;
class QWidget;

/// The client area the main window's definition is laid out for.
inline constexpr QSize design_area{800, 588};

/// How much larger the design is drawn on a screen of this size
/// (device-independent pixels): as large as fits, never below 1.
double design_scale(QSize screen);

/// design_scale for the given screen's geometry; 1 without a screen.
double design_scale(const QScreen *screen);

/// Where the scaled design's top-left corner lies on a screen of this width:
/// centred in the spare width. At factor 1 it stays in the corner, as always.
QPoint design_offset(int screen_width, double factor);

/// The speech bubble's width once the window is active. At factor 1 it is
/// the screen's width, as it always was; scaled, it reaches from its left
/// edge to the right edge of the screen, so no sentence runs off the screen.
int bubble_width(int screen_width, int bubble_left, double factor);

/// font, factor times as large (point or pixel size, whichever it has).
QFont scaled_font(const QFont &font, double factor);

/// Scales a window built by setupUi: its size limits and size, its font, and
/// every control in it (rectangle, font, frame line, button icon, picture).
/// The window's direct controls are moved by offset as well.
void scale_window(QWidget &window, double factor, QPoint offset = {});

/// Sets a label's text. A label of a scaled window that is typed into
/// repaints only the characters that are new.
void show_text(QLabel &label, const QString &text);

/// Scales one of Qt's own boxes (input, message) before it is shown: its
/// font, its icon, and the margins and spacing of its layouts.
void scale_box(QDialog &box, double factor);
