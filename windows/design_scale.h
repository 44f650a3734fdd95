#pragma once

// The windows are drawn for an 800 x 588 client area. On a larger screen the
// whole design grows by one factor, so that it fills the screen as it filled
// the small screens it was made for. Qt does the growing: the factor becomes
// Qt's own scale factor before the first window is made, and every window,
// box, font and picture is laid out in the design's device-independent
// pixels. On a high-DPI desktop it comes on top of the desktop's own scaling.
//
// What Qt cannot know stays here: where the design sits on a wider screen,
// how wide the speech bubble grows, smooth pictures at whole factors, and
// the typed bubble that repaints only its newest character.

#include <QPoint>
#include <QSize>
#include <QString>

class QLabel;
class QScreen;
class QWidget;

/// The client area the main window's definition is laid out for.
inline constexpr QSize design_area{800, 588};

/// How much larger the design is drawn on a screen of this size
/// (device-independent pixels): as large as fits, never below 1, and so that
/// the screen is covered to its last pixel.
double design_scale(QSize screen);

/// design_scale for the given screen's geometry; 1 without a screen.
double design_scale(const QScreen *screen);

/// Makes factor Qt's scale factor for every window made from now on, on top
/// of any factor the user set. Call once, after the application object is
/// made and before the first window.
void apply_design_scale(double factor);

/// Where the design's top-left corner lies on a screen this wide, in the
/// scaled device-independent pixels: centred in the spare width. At factor 1
/// it stays in the corner, as always.
QPoint design_offset(int screen_width, double factor);

/// The speech bubble's width once the window is active. At factor 1 it is
/// the screen's width, as it always was; scaled, it reaches from its left
/// edge to the right edge of the screen, so no sentence runs off the screen.
int bubble_width(int screen_width, int bubble_left, double factor);

/// Moves every control of the main window by offset.
void place_design(QWidget &window, QPoint offset);

/// Draws the picture of a picture box enlarged smoothly to the screen's
/// pixels, as Qt does not at whole factors (a face at 2 or 3 would turn
/// blocky), and keeps the last few enlarged pictures by their content.
void smooth_picture(QLabel &picture);

/// Makes label (the speech bubble, typed into a character at a time)
/// repaint only the characters that are new; show_text sets its text.
void retain_typed_text(QLabel &label);

/// Sets a label's text; a label made by retain_typed_text repaints only
/// what is new.
void show_text(QLabel &label, const QString &text);
