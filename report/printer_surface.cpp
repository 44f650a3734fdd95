#include "printer_surface.h"

#include <QFontMetricsF>
#include <QPrinter>
#include <QTransform>

PrinterSurface::PrinterSurface(QPrinter &printer)
    : printer_(printer), device_per_unit_(printer.resolution() / 72.0)
{
    // Without fullPage the painter's origin is the top left corner of the
    // printable area, which is where our positions count from.
    if (painter_.begin(&printer_)) {
        painter_.setRenderHint(QPainter::SmoothPixmapTransform);
        painter_.setRenderHint(QPainter::TextAntialiasing);
        painter_.setPen(Qt::black);
        // Every line reads left to right, whatever script a name begins with.
        painter_.setLayoutDirection(Qt::LeftToRight);
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

void PrinterSurface::set_font_name(const QString &name)
{
    font_.name = name;
}

void PrinterSurface::set_font_size(double points)
{
    font_.set_size(points);
}

void PrinterSurface::set_bold(bool bold)
{
    font_.bold = bold;
}

void PrinterSurface::set_underline(bool underline)
{
    font_.underline = underline;
}

void PrinterSurface::write_line(const QString &text)
{
    const QFont font = font_.font();
    if (painter_.isActive()) {
        painter_.setFont(font);
        // The writing position is the top of the line; the text sits one
        // ascent lower. A point, not a rectangle: never wrapped.
        const double ascent = QFontMetricsF(font, &printer_).ascent();
        painter_.drawText(QPointF(0, y_ + ascent), text);
    }
    y_ += line_height();
}

void PrinterSurface::write_empty_line()
{
    y_ += line_height();
}

double PrinterSurface::get_y() const
{
    return from_device(y_);
}

void PrinterSurface::set_y(double y)
{
    y_ = to_device(y);
}

void PrinterSurface::set_unit_mm()
{
    device_per_unit_ = printer_.resolution() / 25.4;
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
    const QRectF target(to_device(x), to_device(y), to_device(width), to_device(height));
    painter_.drawImage(target, picture);
}

bool PrinterSurface::end_document()
{
    if (!painter_.isActive())
        return false;
    return painter_.end() && printer_.printerState() != QPrinter::Error;
}

double PrinterSurface::line_height() const
{
    // As on the screen: the font's distance from baseline to baseline.
    return QFontMetricsF(font_.font(), &printer_).lineSpacing();
}

double PrinterSurface::to_device(double value) const
{
    return value * device_per_unit_;
}

double PrinterSurface::from_device(double value) const
{
    return value / device_per_unit_;
}
