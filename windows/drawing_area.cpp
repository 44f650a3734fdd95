#include "drawing_area.h"

#include <QAccessible>
#include <QPaintEvent>
#include <QPainter>
#include <QStringList>

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
    text_changed();
}

void DrawingArea::write_empty_line()
{
    ReportWriter::write_empty_line();
    text_changed();
}

void DrawingArea::clear()
{
    forget_lines();
    drawn_ = 0;
    if (!image_.isNull())
        image_.fill(Qt::white);
    update();
    text_changed();
}

QImage DrawingArea::image() const
{
    ensure_image();
    return image_;
}

QString DrawingArea::text() const
{
    QStringList texts;
    texts.reserve(lines().size());
    for (const Line &line : lines())
        texts.append(line.text);
    return texts.join(QLatin1Char('\n'));
}

void DrawingArea::paintEvent(QPaintEvent *event)
{
    QFrame::paintEvent(event);
    ensure_image();
    QPainter painter(this);
    painter.drawImage(contentsRect().topLeft(), image_);
    // With the keyboard on it the frame takes the highlight colour; the lines
    // inside stay untouched.
    if (hasFocus()) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), lineWidth()));
        const qreal half = lineWidth() / 2.0;
        painter.drawRect(QRectF(rect()).adjusted(half, half, -half, -half));
    }
}

void DrawingArea::text_changed()
{
    if (telling)
        return;
    telling = true;
    QMetaObject::invokeMethod(this, &DrawingArea::tell_readers, Qt::QueuedConnection);
}

void DrawingArea::tell_readers()
{
    telling = false;
    const QString now = text();
    if (now == told_text)
        return;
    QAccessibleTextUpdateEvent event(this, 0, told_text, now);
    told_text = now;
    QAccessible::updateAccessibility(&event);
    // A reader coming to the sheet starts at the first line of the new report.
    if (QAccessibleInterface *sheet = QAccessible::queryAccessibleInterface(this);
        sheet && sheet->textInterface())
        sheet->textInterface()->setCursorPosition(0);
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
