#include "centring.h"

#include "design_scale.h"

#include <algorithm>

QPoint design_offset(int screen_width, double factor)
{
    if (factor <= 1.0)
        return {};
    return QPoint(std::max(0, (screen_width - design_area.width()) / 2), 0);
}

int bubble_width(int screen_width, int bubble_left, double factor)
{
    if (factor <= 1.0)
        return screen_width;
    return std::max(1, screen_width - bubble_left);
}

DesignPlaces::DesignPlaces(QWidget &window)
{
    for (QWidget *control : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!control->isWindow())
            places.emplace_back(control, control->pos());
    }
}

void DesignPlaces::place(QPoint offset) const
{
    for (const auto &[control, place] : places) {
        if (control)
            control->move(place + offset);
    }
}
