#include "drawing_area.h"

#include <QPaintEvent>
#include <QPainter>

namespace {

// A QImage states its resolution in dots per metre.
int dots_per_metre(int dots_per_inch)
{
    return qRound(dots_per_inch / 0.0254);
}

} // namespace

DrawingArea::DrawingArea(QWidget *parent)
    : QFrame(parent),
      ReportWriter(*this, FontAttributes{font().family(),
                                         font().pointSizeF() > 0 ? font().pointSizeF() : 9.0})
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
}

void DrawingArea::write_line(const QString &text)
{
    ReportWriter::write_line(text);
    update();
}

void DrawingArea::clear()
{
    forget_lines();
    drawn_ = 0;
    if (!image_.isNull())
        image_.fill(Qt::white);
    update();
}

QImage DrawingArea::image() const
{
    ensure_image();
    return image_;
}

void DrawingArea::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    ensure_image();
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
}

void DrawingArea::ensure_image() const
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(contentsRect().size()) * ratio).toSize();
    if (image_.isNull() || image_.size() != pixels || image_.devicePixelRatio() != ratio ||
        image_.dotsPerMeterY() != dots_per_metre(logicalDpiY())) {
        image_ = QImage(pixels, QImage::Format_RGB32);
        drawn_ = 0;
        if (image_.isNull())
            return;
        image_.setDevicePixelRatio(ratio);
        // Points on the image must come out as large as points on a widget of
        // this screen.
        image_.setDotsPerMeterX(dots_per_metre(logicalDpiX()));
        image_.setDotsPerMeterY(dots_per_metre(logicalDpiY()));
        image_.fill(Qt::white);
    }
    if (drawn_ == lines().size())
        return;
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    draw_lines(painter, drawn_);
    drawn_ = lines().size();
}
