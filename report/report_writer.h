#pragma once

#include "report_surface.h"

#include <QFont>
#include <QList>
#include <QString>

class QPaintDevice;
class QPainter;

// The one writer behind both report surfaces. It keeps the font attributes
// in force and the writing position, measures every line with the fonts of
// the device the report is for, keeps the lines written in order, and draws
// each one through the painter it has been handed, if any. The screen sheet
// and the printed page each bring their painter and their own extras.
class ReportWriter : public ReportSurface
{
public:
    /// One line as written: its text (empty for an empty line), the font it
    /// was written in, and its top and bottom in pixels of the device.
    struct Line
    {
        QString text;
        QFont font;
        double top = 0;
        double bottom = 0;
        bool empty = false; // write_empty_line rather than write_line
    };

    /// Lines are measured with the fonts of device; they start in font.
    ReportWriter(const QPaintDevice &device, FontAttributes font);

    /// Lines written from now on are drawn through painter as well; none
    /// are drawn while it is null.
    void set_painter(QPainter *painter) { painter_ = painter; }
    /// get_y and set_y count in units of this many device pixels; 1 at first.
    void set_unit(double device_per_unit) { device_per_unit_ = device_per_unit; }

    void set_font_name(const QString &name) override { font_.name = name; }
    void set_font_size(double points) override { font_.set_size(points); }
    void set_bold(bool bold) override { font_.bold = bold; }
    void set_underline(bool underline) override { font_.underline = underline; }
    void write_line(const QString &text) override;
    void write_empty_line() override;
    double get_y() const override { return y_ / device_per_unit_; }
    void set_y(double y) override { y_ = y * device_per_unit_; }

    /// Every line since the start or the last forget_lines, in order.
    const QList<Line> &lines() const { return lines_; }
    /// Forgets the lines written and goes back to the top.
    void forget_lines();
    /// Draws the written lines from index first on through painter.
    void draw_lines(QPainter &painter, qsizetype first = 0) const;

private:
    const Line &add(const QString &text, bool empty);
    void draw(QPainter &painter, const Line &line) const;

    const QPaintDevice &device_;
    QPainter *painter_ = nullptr;
    double device_per_unit_ = 1;
    FontAttributes font_;
    double y_ = 0; // in device pixels
    QList<Line> lines_;
};
