#pragma once

#include <QPushButton>

// A command button in the graphical style: its face in the button's colour,
// its picture centred above its caption. It stays a push button in all else
// (access key, Return and Space, the default button of a dialog); only its
// face is drawn differently. Where the button is too low for the picture at
// its size above the caption, the picture is drawn smaller, in proportion.
class GraphicalButton : public QPushButton
{
    Q_OBJECT

public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent *event) override;
};
