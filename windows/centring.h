#pragma once

// Where the main window's design sits on a screen it does not fill: drawn
// larger, the design is as tall as the screen, centred in the spare width,
// and the speech bubble reaches to the screen's right edge. At factor 1 the
// design stays in the corner, as always.

#include <QPoint>
#include <QPointer>
#include <QWidget>

#include <utility>
#include <vector>

/// Where the design's top-left corner lies on a screen this wide, in the
/// scaled device-independent pixels: centred in the spare width.
QPoint design_offset(int screen_width, double factor);

/// The speech bubble's width once the window is active. At factor 1 it is
/// the screen's width, as it always was; scaled, it reaches from its left
/// edge to the right edge of the screen, so no sentence runs off the screen.
int bubble_width(int screen_width, int bubble_left, double factor);

/// The places of a window's controls in its design, to move them all by one
/// offset as often as the screen changes.
class DesignPlaces
{
public:
    /// Remembers where window's controls lie now, as laid out by its definition.
    explicit DesignPlaces(QWidget &window);

    /// Puts every control at its place in the design moved by offset.
    void place(QPoint offset) const;

private:
    std::vector<std::pair<QPointer<QWidget>, QPoint>> places;
};
