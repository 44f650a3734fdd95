#include "drawing_area.h"

#include <QFontMetricsF>
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
    : QFrame(parent), font_{font().family(), font().pointSizeF() > 0 ? font().pointSizeF() : 9.0}
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setLineWidth(2);
    setFocusPolicy(Qt::StrongFocus);
}

void DrawingArea::set_font_name(const QString &name)
{
    font_.name = name;
}

void DrawingArea::set_font_size(double points)
{
    font_.set_size(points);
}

void DrawingArea::set_bold(bool bold)
{
    font_.bold = bold;
}

void DrawingArea::set_underline(bool underline)
{
    font_.underline = underline;
}

void DrawingArea::write_line(const QString &text)
{
    const Line line{font_.font(), y_, text};
    lines_.append(line);
    if (!image_.isNull())
        draw(line);
    y_ += line_height();
    update();
}

void DrawingArea::write_empty_line()
{
    y_ += line_height();
}

double DrawingArea::get_y() const
{
    return y_;
}

void DrawingArea::set_y(double y)
{
    y_ = y;
}

void DrawingArea::clear()
{
    lines_.clear();
    y_ = 0;
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

double DrawingArea::line_height() const
{
    // The font's own distance from one baseline to the next, leading
    // included: with the bare height, underlines and descenders of one line
    // would touch the capitals of the next.
    return QFontMetricsF(font_.font(), const_cast<DrawingArea *>(this)).lineSpacing();
}

void DrawingArea::ensure_image() const
{
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(contentsRect().size()) * ratio).toSize();
    if (!image_.isNull() && image_.size() == pixels && image_.devicePixelRatio() == ratio &&
        image_.dotsPerMeterY() == dots_per_metre(logicalDpiY()))
        return;

    image_ = QImage(pixels, QImage::Format_RGB32);
    if (image_.isNull())
        return;
    image_.setDevicePixelRatio(ratio);
    // Points on the image must come out as large as points on a widget of
    // this screen.
    image_.setDotsPerMeterX(dots_per_metre(logicalDpiX()));
    image_.setDotsPerMeterY(dots_per_metre(logicalDpiY()));
    image_.fill(Qt::white);
    for (const Line &line : lines_)
        draw(line);
}

void DrawingArea::draw(const Line &line) const
{
    QPainter painter(&image_);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.setPen(Qt::black);
    // Every line reads left to right, whatever script a name begins with.
    painter.setLayoutDirection(Qt::LeftToRight);
    painter.setFont(line.font);
    // The writing position is the top of the line; the text sits on its
    // baseline one ascent further down. A point, not a rectangle, so the
    // text is never wrapped, and the image's edge cuts it off.
    const double ascent = QFontMetricsF(line.font, const_cast<DrawingArea *>(this)).ascent();
    painter.drawText(QPointF(0, line.y + ascent), line.text);
}
