#pragma once

// The windows are drawn for an 800 x 588 client area. On a larger screen the
// whole design grows by one factor, so that it fills the screen as it filled
// the small screens it was made for. Qt does the growing: the factor becomes
// Qt's own scale factor for the screen, and every window, box, font and
// picture is laid out in the design's device-independent pixels. On a
// high-DPI desktop it comes on top of the desktop's own scaling.
//
// The factor follows the screen: when a screen changes its size, or a new
// one comes, its factor is worked out anew, and the windows on it are fitted
// to it. What Qt cannot know lies beside this: where the design sits on a
// wider screen (centring.h), smooth pictures at whole factors
// (smooth_picture.h) and the typed bubble (typed_bubble.h).

#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QSize>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <vector>

class QScreen;

/// The client area the main window's definition is laid out for.
inline constexpr QSize design_area{800, 588};

/// How much larger the design is drawn on a screen of this size
/// (device-independent pixels): as large as fits, never below 1, and so that
/// the screen is covered to its last pixel.
double design_scale(QSize screen);

/// Gives every screen the design's factor for its size as Qt's scale factor
/// for it, or 1 at the original size, from the first window on and anew
/// whenever the screen changes size. Then each window on it fits it within
/// the event loop's next turns: a full-screen one covers it, any other keeps
/// its size and place in the design, moved back onto the screen if needed.
class DesignScale : public QObject
{
    Q_OBJECT

public:
    /// Make it after the application object and before the first window.
    explicit DesignScale(bool original_size, QObject *parent = nullptr);

    /// The design's factor on screen; 1 without one.
    double factor(const QScreen *screen) const;

signals:
    /// screen took a new size or factor, and its windows were fitted to it.
    void changed(QScreen *screen);

private:
    struct Kept
    {
        QPointer<QWidget> window;
        QPoint corner; // of its frame
        QSize size;
    };
    void follow(QScreen *screen);
    void rescale(QScreen *screen);
    void fit_windows(QScreen *screen, const std::vector<Kept> &kept);

    bool original_size;
    QHash<const QScreen *, double> factors;
    QHash<QString, double> desktop_factors;
    std::vector<QScreen *> pending;
    QTimer settle;
};
