#pragma once

#include "report_surface.h"

#include <QFont>
#include <QFrame>
#include <QImage>
#include <QList>

// The report window's sheet: a framed area that keeps what is written on it.
// Lines go into a backing image that every paint event copies to the screen,
// so a report written while the window is hidden is there when it is shown,
// and covering or uncovering the window never loses it. Positions are in
// device-independent pixels from the top left of the area inside the frame;
// the image has the screen's pixel ratio, so a high-DPI screen shows the same
// sheet larger and sharp.
class DrawingArea : public QFrame, public ReportSurface
{
    Q_OBJECT

public:
    explicit DrawingArea(QWidget *parent = nullptr);

    void set_font_name(const QString &name) override;
    void set_font_size(double points) override;
    void set_bold(bool bold) override;
    void set_underline(bool underline) override;
    void write_line(const QString &text) override;
    void write_empty_line() override;
    double get_y() const override;
    void set_y(double y) override;

    /// Empties the sheet to white and puts the position back to the top left.
    void clear();

    /// What the sheet shows inside its frame, at the screen's pixel ratio.
    QImage image() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    struct Line
    {
        QFont font;
        double y = 0;
        QString text;
    };

    double line_height() const;
    // Makes the backing image match the inside of the frame and the pixel
    // ratio of the screen, redrawing the lines written so far when either
    // has changed.
    void ensure_image() const;
    void draw(const Line &line) const;

    FontAttributes font_;
    double y_ = 0;
    // Everything written since the last clear, so that the image can be
    // rebuilt at another pixel ratio without losing sharpness.
    QList<Line> lines_;
    mutable QImage image_;
};
