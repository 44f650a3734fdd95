#pragma once

#include "report_writer.h"

#include <QImage>
#include <QPainter>

class QPrinter;

// A page of a printer as a report surface: the writer with a painter on the
// printer. Positions count from the top left of the printable area; the
// unit is the point (1/72 inch) until set_unit_mm switches to millimetres.
// The surface starts the print job when it is made; end_document ends it,
// and only then does the page go out.
class PrinterSurface : public ReportWriter
{
public:
    explicit PrinterSurface(QPrinter &printer);
    ~PrinterSurface() override;

    PrinterSurface(const PrinterSurface &) = delete;
    PrinterSurface &operator=(const PrinterSurface &) = delete;

    /// False when the printer could not be opened for painting.
    bool is_active() const;

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
    QPrinter &printer_;
    QPainter painter_;
    double device_per_unit_;
};
