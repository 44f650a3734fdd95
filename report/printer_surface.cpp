#include "printer_surface.h"

#include <QPrinter>
#include <QTransform>

PrinterSurface::PrinterSurface(QPrinter &printer)
    : ReportWriter(printer, FontAttributes{QStringLiteral("Times New Roman")}), printer_(printer),
      device_per_unit_(printer.resolution() / 72.0)
{
    set_unit(device_per_unit_);
    // Without fullPage the painter's origin is the top left corner of the
    // printable area, which is where our positions count from.
    if (painter_.begin(&printer_)) {
        painter_.setRenderHint(QPainter::SmoothPixmapTransform);
        painter_.setRenderHint(QPainter::TextAntialiasing);
        painter_.setPen(Qt::black);
        set_painter(&painter_);
    }
}

PrinterSurface::~PrinterSurface()
{
    if (painter_.isActive())
        painter_.end();
}

bool PrinterSurface::is_active() const
{
    return painter_.isActive();
}

void PrinterSurface::set_unit_mm()
{
    device_per_unit_ = printer_.resolution() / 25.4;
    set_unit(device_per_unit_);
}

void PrinterSurface::set_scale(double factor)
{
    if (painter_.isActive())
        painter_.setWorldTransform(QTransform::fromScale(factor, factor));
}

void PrinterSurface::draw_picture(const QImage &picture, double x, double y, double width,
                                  double height)
{
    if (!painter_.isActive() || picture.isNull())
        return;
    const QRectF target(x * device_per_unit_, y * device_per_unit_, width * device_per_unit_,
                        height * device_per_unit_);
    painter_.drawImage(target, picture);
}

bool PrinterSurface::end_document()
{
    if (!painter_.isActive())
        return false;
    set_painter(nullptr);
    return painter_.end() && printer_.printerState() != QPrinter::Error;
}
