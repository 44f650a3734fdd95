#include "report_writer.h"

#include <QFontMetricsF>
#include <QPainter>

#include <utility>

ReportWriter::ReportWriter(const QPaintDevice &device, FontAttributes font)
    : device_(device), font_(std::move(font))
{}

void ReportWriter::write_line(const QString &text)
{
    const Line &line = add(text, false);
    if (painter_)
        draw(*painter_, line);
}

void ReportWriter::write_empty_line()
{
    add(QString(), true);
}

void ReportWriter::forget_lines()
{
    lines_.clear();
    y_ = 0;
}

void ReportWriter::draw_lines(QPainter &painter, qsizetype first) const
{
    for (qsizetype i = first; i < lines_.size(); ++i) {
        if (!lines_.at(i).empty)
            draw(painter, lines_.at(i));
    }
}

const ReportWriter::Line &ReportWriter::add(const QString &text, bool empty)
{
    const QFont font = font_.font();
    // The font's own distance from one baseline to the next, leading
    // included: with the bare height, underlines and descenders of one line
    // would touch the capitals of the next.
    const double height = QFontMetricsF(font, &device_).lineSpacing();
    lines_.append(Line{text, font, y_, y_ + height, empty});
    y_ += height;
    return lines_.last();
}

void ReportWriter::draw(QPainter &painter, const Line &line) const
{
    painter.setPen(Qt::black);
    // Every line reads left to right, whatever script a name begins with.
    painter.setLayoutDirection(Qt::LeftToRight);
    painter.setFont(line.font);
    // The writing position is the top of the line; the text sits on its
    // baseline one ascent further down. A point, not a rectangle, so the
    // text is never wrapped, and the device's edge cuts it off.
    const double ascent = QFontMetricsF(line.font, &device_).ascent();
    painter.drawText(QPointF(0, line.top + ascent), line.text);
}
