#include "placement.h"

#include <QScreen>
#include <QWidget>

void centre_at_first_show(QWidget &window)
{
    if (window.testAttribute(Qt::WA_Moved))
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(window.screen()->availableGeometry().center());
    window.move(frame.topLeft());
}
