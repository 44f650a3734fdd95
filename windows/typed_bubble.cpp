#include "typed_bubble.h"

#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPaintEvent>
#include <QPainter>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>

TypedBubble::TypedBubble(QWidget *parent) : QLabel(parent) {}

TypedBubble::~TypedBubble() = default;

void TypedBubble::set_retained(bool retained)
{
    if (retained == retained_)
        return;
    retained_ = retained;
    // The image holds the lines typed so far; the label's background below
    // them is filled as always.
    if (!retained) {
        image = QImage();
        layout.reset();
        shown.clear();
    }
    update();
}

void TypedBubble::show_text(const QString &text)
{
    if (!retained_) {
        setText(text);
        return;
    }
    // QLabel would repaint all of itself for every character.
    const bool held = testAttribute(Qt::WA_UpdatesDisabled);
    setAttribute(Qt::WA_UpdatesDisabled);
    setText(text);
    setAttribute(Qt::WA_UpdatesDisabled, held);
    update(bring_up_to_date());
}

// Copies the image in the screen's own pixels: through Qt's fractional scale
// it would be resampled at every paint.
void TypedBubble::paintEvent(QPaintEvent *event)
{
    if (!retained_) {
        QLabel::paintEvent(event);
        return;
    }
    bring_up_to_date();
    const QRect inside = contentsRect();
    const QRect area = event->rect() & inside;
    const qreal ratio = image.devicePixelRatio();
    const QRectF source =
        QRectF(QPointF(area.topLeft() - inside.topLeft()) * ratio, QSizeF(area.size()) * ratio) &
        QRectF(image.rect());
    if (source.isEmpty())
        return;
    QPainter painter(this);
    painter.scale(1 / ratio, 1 / ratio);
    painter.drawImage(QRectF(QPointF(area.topLeft()) * ratio, source.size()), image, source);
}

std::unique_ptr<QTextLayout> TypedBubble::lay_out(const QString &text) const
{
    auto next = std::make_unique<QTextLayout>(text, font(), this);
    QTextOption option(Qt::AlignLeft);
    option.setWrapMode(wordWrap() ? QTextOption::WordWrap : QTextOption::NoWrap);
    option.setTextDirection(Qt::LeftToRight);
    next->setTextOption(option);
    const qreal width =
        wordWrap() ? contentsRect().width() : std::numeric_limits<int>::max() / 256.0;
    const qreal leading = QFontMetricsF(font(), this).leading();
    qreal height = 0;
    next->beginLayout();
    for (QTextLine line = next->createLine(); line.isValid(); line = next->createLine()) {
        line.setLineWidth(width);
        height = std::ceil(height + leading);
        line.setPosition(QPointF(0, height));
        height += line.height();
    }
    next->endLayout();
    return next;
}

// Brings the image up to the label's text; returns what changed, in the
// label's coordinates.
QRect TypedBubble::bring_up_to_date()
{
    const QRect inside = contentsRect();
    const qreal ratio = devicePixelRatioF();
    const QSize pixels = (QSizeF(inside.size()) * ratio).toSize();
    const QString now = text();
    const bool same_image = !image.isNull() && image_pixels == pixels &&
                            image.devicePixelRatio() == ratio && drawn_font == font() &&
                            drawn_palette == palette();
    if (same_image && now == shown)
        return {};

    std::unique_ptr<QTextLayout> next = lay_out(now);
    const qsizetype kept = shown.size();
    // The characters already in the image stay where they are as long as
    // the new layout puts the same glyphs in the same places.
    const bool grows = same_image && now.startsWith(shown) &&
                       (kept == 0 || next->glyphRuns(0, int(kept)) == layout->glyphRuns());
    // As tall as the lines laid out so far and their glyphs, a pixel more
    // for their smoothed edges: the rest of the label is background.
    QRectF text_area = next->boundingRect();
    const qsizetype from = grows ? kept : 0;
    const QList<QGlyphRun> runs = next->glyphRuns(int(from), int(now.size() - from));
    for (const QGlyphRun &run : runs)
        text_area |= run.boundingRect();
    const int rows =
        std::clamp(int(std::ceil(text_area.bottom() * ratio)) + 2, 1, std::max(1, pixels.height()));
    const QColor background = palette().color(backgroundRole());
    if (!grows) {
        image = QImage(pixels.width(), rows, QImage::Format_RGB32);
        image.setDevicePixelRatio(ratio);
        image.fill(background);
        image_pixels = pixels;
        drawn_font = font();
        drawn_palette = palette();
    } else if (rows > image.height()) {
        // A new line: the image grows downwards, the lines above kept.
        QImage taller(pixels.width(), rows, QImage::Format_RGB32);
        taller.setDevicePixelRatio(ratio);
        for (int y = 0; y < image.height(); ++y)
            std::memcpy(taller.scanLine(y), image.constScanLine(y), size_t(image.bytesPerLine()));
        for (int y = image.height(); y < rows; ++y)
            std::fill_n(reinterpret_cast<QRgb *>(taller.scanLine(y)), taller.width(),
                        background.rgb());
        image = std::move(taller);
    }
    QRectF changed;
    if (now.size() > from && !image.isNull()) {
        QPainter painter(&image);
        painter.setPen(palette().color(foregroundRole()));
        for (const QGlyphRun &run : runs) {
            painter.drawGlyphRun(QPointF(0, 0), run);
            changed |= run.boundingRect();
        }
    }
    layout = std::move(next);
    shown = now;
    if (!grows)
        return inside;
    // A pixel around the glyphs for their smoothed edges.
    return changed.toAlignedRect().adjusted(-2, -2, 2, 2).translated(inside.topLeft()) & inside;
}
