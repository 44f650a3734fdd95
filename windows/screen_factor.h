#pragma once

#include <QHash>
#include <QSize>
#include <QString>

#include <functional>

class QScreen;

/// Makes Qt draw everything on screen factor_for(size) times as large as the
/// desktop and the user have it, where size is the screen's size as they have
/// it (device-independent pixels), and returns that factor. The windows
/// shown on the screen are told at once, as when they move to another
/// screen: a full-screen one takes the screen's new size in the design, any
/// other keeps its size and place in the design; where the compositor places
/// windows (Wayland), they are mapped anew for it to place them on the
/// changed screen. desktop_factors keeps Qt's own factor of each screen from
/// before the first call for it; pass the same one every time.
double scale_screen(QScreen &screen, QHash<QString, double> &desktop_factors,
                    const std::function<double(QSize)> &factor_for);
