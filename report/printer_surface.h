#pragma once

#include "report_surface.h"

#include <QFont>
#include <QImage>
#include <QPainter>

class QPrinter;

// A page of a printer as a report surface. Positions count from the top left
// of the printable area; the unit is the point (1/72 inch) until set_unit_mm
// switches to millimetres. The surface starts the print job when it is made;
// end_document ends it, and only then does the page go out.
class PrinterSurface : public ReportSurface
{
public:
    explicit PrinterSurface(QPrinter &printer);
    ~PrinterSurface() override;

    PrinterSurface(const PrinterSurface &) = delete;
    PrinterSurface &operator=(const PrinterSurface &) = delete;

    /// False when the printer could not be opened for painting.
    bool is_active() const;

    void set_font_name(const QString &name) override;
    void set_font_size(double points) override;
    void set_bold(bool bold) override;
    void set_underline(bool underline) override;
    void write_line(const QString &text) override;
    void write_empty_line() override;
    double get_y() const override;
    void set_y(double y) override;

    /// From now on positions and sizes are in millimetres.
    void set_unit_mm();
    /// From now on everything is drawn at factor times its size, towards the
    /// top left corner of the printable area; positions and line heights
    /// keep counting at full size.
    void set_scale(double factor);
    /// Draws the picture scaled into the rectangle (in the current unit).
    void draw_picture(const QImage &picture, double x, double y, double width, double height);
    /// Ends the document; false when the printer reports a failure.
    bool end_document();

private:
    double line_height() const;
    double to_device(double value) const;
    double from_device(double value) const;

    QPrinter &printer_;
    QPainter painter_;
    double device_per_unit_;
    FontAttributes font_{QStringLiteral("Times New Roman")};
    double y_ = 0; // in device pixels
};
