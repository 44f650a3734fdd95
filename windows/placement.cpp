#include "placement.h"

#include <QWidget>

void pin_at_first_show(QWidget &window)
{
    // Qt has just centred the window; moving it to where it stands marks it as
    // placed by the program, without a second move for the window manager.
    if (!window.testAttribute(Qt::WA_Moved))
        window.move(window.pos());
}
