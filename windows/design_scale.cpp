#include "design_scale.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>

// Qt reads its scale factor from QT_SCALE_FACTOR when the application object
// is made, before any screen is known; the factor here depends on the screen.
// This is the call that environment variable ends in, made once the screen
// is known and before the first window exists.
#include <QtGui/private/qhighdpiscaling_p.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

// Makes painter count in the screen's own pixels, so that a picture made at
// the screen's resolution is copied as it is; through Qt's fractional scale
// it would be resampled at every paint.
void in_screen_pixels(QPainter &painter, qreal ratio)
{
    painter.scale(1 / ratio, 1 / ratio);
}

// A picture box's picture, drawn as QLabel draws it but enlarged smoothly
// to the screen's pixels. The faces are read anew every second, so each is
// a new pixmap of the same few pictures: the enlarged ones are kept by
// content, and a face costs no more than a copy once it has shown.
class SmoothPicture : public QObject
{
public:
    using QObject::QObject;

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        auto *label = static_cast<QLabel *>(watched);
        if (event->type() != QEvent::Paint || label->pixmap().isNull() ||
            label->hasScaledContents())
            return false;
        const qreal ratio = label->devicePixelRatioF();
        const QPixmap &shown = ratio == label->pixmap().devicePixelRatio()
                                   ? label->pixmap()
                                   : enlarged(label->pixmap(), ratio);
        const QRect inside = label->contentsRect();
        const QRect place = QStyle::alignedRect(label->layoutDirection(), label->alignment(),
                                                shown.deviceIndependentSize().toSize(), inside);
        // What the picture leaves free is filled here, so that the window
        // need not paint the whole box beneath it every second.
        QPainter painter(label);
        for (const QRect &free : QRegion(label->rect()).subtracted(place & inside))
            painter.fillRect(free, label->palette().brush(label->backgroundRole()));
        painter.setClipRect(inside);
        in_screen_pixels(painter, ratio);
        painter.drawPixmap(QRectF(QPointF(place.topLeft()) * ratio, QSizeF(shown.size())), shown,
                           QRectF(shown.rect()));
        return true;
    }

private:
    struct Enlarged
    {
        size_t key;
        qreal ratio;
        QPixmap pixmap;
    };

    const QPixmap &enlarged(const QPixmap &picture, qreal ratio)
    {
        const QImage image = picture.toImage();
        const size_t key = qHash(QByteArrayView(image.constBits(), image.sizeInBytes()));
        const auto same = [&](const Enlarged &entry) {
            return entry.key == key && entry.ratio == ratio;
        };
        if (auto found = std::find_if(kept.begin(), kept.end(), same); found != kept.end()) {
            std::rotate(kept.begin(), found, found + 1);
            return kept.front().pixmap;
        }
        const QSize pixels = (picture.deviceIndependentSize() * ratio).toSize();
        QPixmap pixmap = QPixmap::fromImage(
            image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        pixmap.setDevicePixelRatio(ratio);
        if (kept.size() == kept_pictures)
            kept.pop_back();
        kept.insert(kept.begin(), Enlarged{key, ratio, pixmap});
        return kept.front().pixmap;
    }

    // The three faces; the printing professor pushes one out for a while.
    static constexpr std::size_t kept_pictures = 3;
    std::vector<Enlarged> kept;
};

// A label that is typed into one character at a time (the speech bubble):
// its text is drawn into a retained image, a new character is added to that
// image on its own, and only its place is repainted. Drawn anew at every
// tick, text this large would cost more than the whole window besides: above
// 64 pixels Qt fills every glyph as an outline instead of copying it from its
// glyph cache. The label is laid out from the top left, without a frame or a
// style sheet.
class RetainedText : public QObject
{
    Q_OBJECT

public:
    explicit RetainedText(QLabel *label) : QObject(label), label(label)
    {
        // The image covers the whole label: nothing needs filling below it.
        label->setAutoFillBackground(false);
        label->setAttribute(Qt::WA_OpaquePaintEvent);
    }

    void show(const QString &text)
    {
        // QLabel would repaint all of itself for every character.
        const bool held = label->testAttribute(Qt::WA_UpdatesDisabled);
        label->setAttribute(Qt::WA_UpdatesDisabled);
        label->setText(text);
        label->setAttribute(Qt::WA_UpdatesDisabled, held);
        label->update(bring_up_to_date());
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        bring_up_to_date();
        const QRect area = static_cast<QPaintEvent *>(event)->rect() & label->contentsRect();
        const qreal ratio = image.devicePixelRatio();
        const QRectF source(QPointF(area.topLeft() - label->contentsRect().topLeft()) * ratio,
                            QSizeF(area.size()) * ratio);
        QPainter painter(label);
        in_screen_pixels(painter, ratio);
        painter.drawImage(QRectF(QPointF(area.topLeft()) * ratio, source.size()), image, source);
        return true;
    }

private:
    std::unique_ptr<QTextLayout> lay_out(const QString &text) const
    {
        auto layout = std::make_unique<QTextLayout>(text, label->font(), label);
        QTextOption option(Qt::AlignLeft);
        option.setWrapMode(label->wordWrap() ? QTextOption::WordWrap : QTextOption::NoWrap);
        option.setTextDirection(Qt::LeftToRight);
        layout->setTextOption(option);
        const qreal width = label->wordWrap() ? label->contentsRect().width()
                                              : std::numeric_limits<int>::max() / 256.0;
        const qreal leading = QFontMetricsF(label->font(), label).leading();
        qreal height = 0;
        layout->beginLayout();
        for (QTextLine line = layout->createLine(); line.isValid(); line = layout->createLine()) {
            line.setLineWidth(width);
            height = std::ceil(height + leading);
            line.setPosition(QPointF(0, height));
            height += line.height();
        }
        layout->endLayout();
        return layout;
    }

    // Brings the image up to the label's text; returns what changed, in the
    // label's coordinates.
    QRect bring_up_to_date()
    {
        const QRect inside = label->contentsRect();
        const qreal ratio = label->devicePixelRatioF();
        const QSize pixels = (QSizeF(inside.size()) * ratio).toSize();
        const QString text = label->text();
        const bool same_image = !image.isNull() && image.size() == pixels &&
                                image.devicePixelRatio() == ratio && drawn_font == label->font() &&
                                drawn_palette == label->palette();
        if (same_image && text == shown)
            return {};

        std::unique_ptr<QTextLayout> next = lay_out(text);
        const qsizetype kept = shown.size();
        // The characters already in the image stay where they are as long as
        // the new layout puts the same glyphs in the same places.
        const bool grows = same_image && text.startsWith(shown) &&
                           (kept == 0 || next->glyphRuns(0, int(kept)) == layout->glyphRuns());
        if (!grows) {
            image = QImage(pixels, QImage::Format_RGB32);
            image.setDevicePixelRatio(ratio);
            image.fill(label->palette().color(label->backgroundRole()));
            drawn_font = label->font();
            drawn_palette = label->palette();
        }
        const qsizetype from = grows ? kept : 0;
        QRectF changed;
        if (text.size() > from && !image.isNull()) {
            QPainter painter(&image);
            painter.setPen(label->palette().color(label->foregroundRole()));
            for (const QGlyphRun &run : next->glyphRuns(int(from), int(text.size() - from))) {
                painter.drawGlyphRun(QPointF(0, 0), run);
                changed |= run.boundingRect();
            }
        }
        layout = std::move(next);
        shown = text;
        if (!grows)
            return inside;
        // A pixel around the glyphs for their smoothed edges.
        return changed.toAlignedRect().adjusted(-2, -2, 2, 2).translated(inside.topLeft()) & inside;
    }

    QLabel *label;
    QImage image;
    QString shown;
    QFont drawn_font;
    QPalette drawn_palette;
    std::unique_ptr<QTextLayout> layout;
};

// Whether a side of this many pixels, laid out by Qt in whole scaled pixels
// at factor, is covered to its last pixel.
bool covers(int pixels, double factor)
{
    const int scaled = qRound(pixels * (1.0 / factor));
    return qRound(scaled * factor) >= pixels;
}

} // namespace

double design_scale(QSize screen)
{
    if (screen.isEmpty())
        return 1.0;
    const double across = double(screen.width()) / design_area.width();
    const double down = double(screen.height()) / design_area.height();
    const double factor = std::max(1.0, std::min(across, down));
    if (factor == 1.0 || (covers(screen.width(), factor) && covers(screen.height(), factor)))
        return factor;
    // Qt makes the screen a whole number of scaled pixels: at 1080 / 588 a
    // 1920-pixel screen is 1045 of them, which reach only to pixel 1919, and
    // the last column stays black. A factor a hair smaller, at which both
    // sides round up instead, covers the screen.
    double best = 0;
    for (const int side : {screen.width(), screen.height()}) {
        const double whole = std::floor(side / factor);
        for (const double more : {0.51, 0.55, 0.6, 0.75, 1.0}) {
            const double candidate = side / (whole + more);
            if (candidate < factor && candidate > best && covers(screen.width(), candidate) &&
                covers(screen.height(), candidate))
                best = candidate;
        }
    }
    return best > 0 ? best : factor;
}

double design_scale(const QScreen *screen)
{
    return screen ? design_scale(screen->geometry().size()) : 1.0;
}

void apply_design_scale(double factor)
{
    if (factor == 1.0)
        return;
    bool set = false;
    const double user_factor = qEnvironmentVariable("QT_SCALE_FACTOR").toDouble(&set);
    QHighDpiScaling::setGlobalFactor(factor * (set && user_factor > 0 ? user_factor : 1.0));
}

QPoint design_offset(int screen_width, double factor)
{
    if (factor <= 1.0)
        return {};
    return QPoint(std::max(0, (screen_width - design_area.width()) / 2), 0);
}

int bubble_width(int screen_width, int bubble_left, double factor)
{
    if (factor <= 1.0)
        return screen_width;
    return std::max(1, screen_width - bubble_left);
}

void place_design(QWidget &window, QPoint offset)
{
    if (offset.isNull())
        return;
    for (QWidget *control : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (!control->isWindow())
            control->move(control->pos() + offset);
    }
}

void smooth_picture(QLabel &picture)
{
    picture.setAttribute(Qt::WA_OpaquePaintEvent);
    picture.installEventFilter(new SmoothPicture(&picture));
}

void retain_typed_text(QLabel &label)
{
    label.installEventFilter(new RetainedText(&label));
}

void show_text(QLabel &label, const QString &text)
{
    if (auto *retained = label.findChild<RetainedText *>(QString(), Qt::FindDirectChildrenOnly))
        retained->show(text);
    else
        label.setText(text);
}

#include "design_scale.moc"
