#include "design_scale.h"

#include "drawing_area.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialog>
#include <QEvent>
#include <QFont>
#include <QFontMetrics>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QGridLayout>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QProxyStyle>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QStyle>
#include <QTextLayout>

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <vector>

namespace {

int scaled(int length, double factor)
{
    return static_cast<int>(std::lround(length * factor));
}

// Edges rather than sizes are scaled, so that controls that touch in the
// design (the X in the title's corner, the title under the head picture)
// still touch.
QRect scaled_rect(const QRect &rect, double factor, QPoint offset)
{
    const int left = scaled(rect.left(), factor);
    const int top = scaled(rect.top(), factor);
    const int right = scaled(rect.left() + rect.width(), factor);
    const int bottom = scaled(rect.top() + rect.height(), factor);
    return QRect(left, top, right - left, bottom - top).translated(offset);
}

QSize scaled_limit(QSize size, double factor)
{
    const auto side = [factor](int length) {
        return length >= QWIDGETSIZE_MAX ? QWIDGETSIZE_MAX
                                         : std::min(scaled(length, factor), QWIDGETSIZE_MAX);
    };
    return QSize(side(size.width()), side(size.height()));
}

// A picture box shows its picture unscaled at its top-left corner, clipped
// to its inside. Scaled, it draws the same picture factor times as large,
// smoothly, clipped the same way; the label keeps the picture itself.
//
// The faces are read anew every second, so each is a new pixmap of the same
// few pictures: the enlarged ones are kept by content, not by pixmap.
class ScaledPicture : public QObject
{
public:
    ScaledPicture(QLabel *label, double factor) : QObject(label), factor(factor)
    {
        // It fills what the picture leaves free itself, so the window need
        // not fill the whole box below it every second.
        label->setAttribute(Qt::WA_OpaquePaintEvent);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Paint)
            return false;
        auto *label = static_cast<QLabel *>(watched);
        const QPixmap picture = label->pixmap();
        if (picture.isNull()) {
            QPainter(label).fillRect(label->rect(),
                                     label->palette().brush(label->backgroundRole()));
            return true;
        }
        const QPixmap &large = enlarged(picture, label->devicePixelRatioF());
        const QRect inside = label->contentsRect();
        const Qt::Alignment alignment =
            QStyle::visualAlignment(label->layoutDirection(), label->alignment());
        const QRect place = QStyle::alignedRect(label->layoutDirection(), alignment,
                                                large.deviceIndependentSize().toSize(), inside);
        QPainter painter(label);
        for (const QRect &free : QRegion(label->rect()).subtracted(place & inside))
            painter.fillRect(free, label->palette().brush(label->backgroundRole()));
        painter.setClipRect(inside);
        painter.drawPixmap(place, large);
        return true;
    }

private:
    struct Enlarged
    {
        size_t key;
        QSize size;
        qreal ratio;
        QPixmap pixmap;
    };

    const QPixmap &enlarged(const QPixmap &picture, qreal ratio)
    {
        const QImage image = picture.toImage();
        const size_t key = qHash(QByteArrayView(image.constBits(), image.sizeInBytes()));
        const auto same = [&](const Enlarged &entry) {
            return entry.key == key && entry.size == image.size() && entry.ratio == ratio;
        };
        if (auto found = std::find_if(kept.begin(), kept.end(), same); found != kept.end()) {
            std::rotate(kept.begin(), found, found + 1);
            return kept.front().pixmap;
        }
        const QSize pixels =
            (picture.deviceIndependentSize() * factor * ratio).toSize().expandedTo(QSize(1, 1));
        QPixmap pixmap = QPixmap::fromImage(
            image.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        pixmap.setDevicePixelRatio(ratio);
        if (kept.size() == kept_pictures)
            kept.pop_back();
        kept.insert(kept.begin(), Enlarged{key, image.size(), ratio, pixmap});
        return kept.front().pixmap;
    }

    // The three faces; the printing professor pushes one out for a while.
    static constexpr std::size_t kept_pictures = 3;
    double factor;
    std::vector<Enlarged> kept;
};

// A label that is typed into one character at a time (the speech bubble):
// its text is drawn into a retained image, a new character is added to that
// image on its own, and only its place is repainted. Drawn anew at every
// tick, text this large would cost more than the whole window besides: above
// 64 pixels Qt fills every glyph as an outline instead of copying it from its
// glyph cache. Only labels laid out from the top left, without a frame or a
// style sheet, are drawn so.
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

    static bool suits(const QLabel &label)
    {
        const Qt::Alignment alignment = label.alignment();
        return label.pixmap().isNull() && label.frameShape() == QFrame::NoFrame &&
               label.styleSheet().isEmpty() && label.textFormat() == Qt::PlainText &&
               (alignment & Qt::AlignTop) && (alignment & (Qt::AlignLeft | Qt::AlignLeading));
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
        painter.drawImage(QRectF(area), image, source);
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

// An icon's picture at size: the largest the icon holds, enlarged smoothly
// where needed, as an icon only ever shrinks its pictures.
QPixmap pixmap_at(const QIcon &icon, QSize size, qreal pixel_ratio, Qt::AspectRatioMode mode)
{
    QPixmap large = icon.pixmap(size, pixel_ratio);
    if (!large.isNull() && large.deviceIndependentSize().toSize() != size) {
        large = large.scaled(size * pixel_ratio, mode, Qt::SmoothTransformation);
        large.setDevicePixelRatio(pixel_ratio);
    }
    return large;
}

// The button's picture at the new icon size.
QIcon scaled_icon(const QIcon &icon, QSize design_size, double factor, qreal pixel_ratio)
{
    const QPixmap large =
        pixmap_at(icon, scaled_limit(design_size, factor), pixel_ratio, Qt::KeepAspectRatio);
    if (large.isNull())
        return icon;
    QIcon result;
    result.addPixmap(large);
    return result;
}

void scale_icon(QAbstractButton &button, double factor)
{
    if (button.icon().isNull())
        return;
    const QSize design_size = button.iconSize();
    button.setIcon(scaled_icon(button.icon(), design_size, factor, button.devicePixelRatioF()));
    button.setIconSize(scaled_limit(design_size, factor));
}

// Option buttons draw their circle at a size the style gives in pixels; in a
// scaled window it grows with the caption beside it.
class ScaledIndicators : public QProxyStyle
{
public:
    ScaledIndicators(double factor, QObject *owner) : factor(factor) { setParent(owner); }

    int pixelMetric(PixelMetric metric, const QStyleOption *option,
                    const QWidget *widget) const override
    {
        const int size = QProxyStyle::pixelMetric(metric, option, widget);
        switch (metric) {
        case PM_ExclusiveIndicatorWidth:
        case PM_ExclusiveIndicatorHeight:
        case PM_IndicatorWidth:
        case PM_IndicatorHeight:
        case PM_RadioButtonLabelSpacing:
        case PM_CheckBoxLabelSpacing:
            return scaled(size, factor);
        default:
            return size;
        }
    }

private:
    double factor;
};

// Label7's size has a fraction (27.75 pt), which only a style sheet can give.
QString scaled_style_sheet(QString sheet, double factor)
{
    static const QRegularExpression font_size(
        QStringLiteral("font-size\\s*:\\s*([0-9]*\\.?[0-9]+)\\s*(pt|px)"));
    QString result;
    qsizetype done = 0;
    for (const QRegularExpressionMatch &match : font_size.globalMatch(sheet)) {
        const double size = match.captured(1).toDouble() * factor;
        result += sheet.mid(done, match.capturedStart() - done);
        result +=
            QStringLiteral("font-size: %1%2").arg(QString::number(size, 'g', 6), match.captured(2));
        done = match.capturedEnd();
    }
    if (done == 0)
        return sheet;
    return result + sheet.mid(done);
}

void scale_control(QWidget &control, const QFont &design_font, double factor, QPoint offset,
                   QStyle *&indicators)
{
    control.setGeometry(scaled_rect(control.geometry(), factor, offset));
    control.setFont(scaled_font(design_font, factor));
    if (!control.styleSheet().isEmpty())
        control.setStyleSheet(scaled_style_sheet(control.styleSheet(), factor));

    if (auto *frame = qobject_cast<QFrame *>(&control);
        frame && frame->frameShape() != QFrame::NoFrame)
        frame->setLineWidth(std::max(1, scaled(frame->lineWidth(), factor)));
    if (auto *button = qobject_cast<QAbstractButton *>(&control))
        scale_icon(*button, factor);
    if (qobject_cast<QRadioButton *>(&control) || qobject_cast<QCheckBox *>(&control)) {
        // One style for the window, made when the first option button needs it.
        if (!indicators)
            indicators = new ScaledIndicators(factor, control.window());
        control.setStyle(indicators);
    }
    if (auto *label = qobject_cast<QLabel *>(&control)) {
        if (!label->hasScaledContents() && !label->pixmap().isNull())
            label->installEventFilter(new ScaledPicture(label, factor));
        else if (RetainedText::suits(*label))
            label->installEventFilter(new RetainedText(label));
    }
    if (auto *sheet = qobject_cast<DrawingArea *>(&control))
        sheet->set_scale(factor);
}

// A message box's icon, drawn anew at the larger size rather than blown up.
void scale_message_icon(QMessageBox &box, double factor)
{
    auto *icon = box.findChild<QLabel *>(QStringLiteral("qt_msgboxex_icon_label"));
    if (!icon || icon->pixmap().isNull())
        return;
    QStyle::StandardPixmap standard = QStyle::SP_MessageBoxInformation;
    if (box.icon() == QMessageBox::Warning)
        standard = QStyle::SP_MessageBoxWarning;
    else if (box.icon() == QMessageBox::Critical)
        standard = QStyle::SP_MessageBoxCritical;
    else if (box.icon() == QMessageBox::Question)
        standard = QStyle::SP_MessageBoxQuestion;
    const qreal ratio = box.devicePixelRatioF();
    const QSize size = (icon->pixmap().deviceIndependentSize() * factor).toSize();
    icon->setPixmap(pixmap_at(box.style()->standardIcon(standard, nullptr, &box), size, ratio,
                              Qt::IgnoreAspectRatio));
}

// A message box wraps its text once the box would grow past 500 pixels,
// which leave about 400 for the text beside the icon: the text keeps as many
// times more as the font has grown, within the 1000 pixels that a box may be
// wide at most.
void widen_message_text(QMessageBox &box, double factor)
{
    auto *text = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label"));
    if (!text || !box.layout())
        return;
    const QFontMetrics metrics(text->font());
    int natural = 0;
    for (const QString &line : text->text().split(QLatin1Char('\n')))
        natural = std::max(natural, metrics.horizontalAdvance(line));
    box.layout()->activate();
    const int beside = box.layout()->totalMinimumSize().width() - text->minimumSizeHint().width();
    const int widest = std::min(box.screen()->availableGeometry().width() - 480, 1000);
    text->setMinimumWidth(std::max(0, std::min({natural, scaled(400, factor), widest - beside})));
}

} // namespace

double design_scale(QSize screen)
{
    if (screen.isEmpty())
        return 1.0;
    const double across = double(screen.width()) / design_area.width();
    const double down = double(screen.height()) / design_area.height();
    return std::max(1.0, std::min(across, down));
}

double design_scale(const QScreen *screen)
{
    return screen ? design_scale(screen->geometry().size()) : 1.0;
}

QPoint design_offset(int screen_width, double factor)
{
    if (factor <= 1.0)
        return {};
    const int spare = screen_width - scaled(design_area.width(), factor);
    return QPoint(std::max(0, spare / 2), 0);
}

int bubble_width(int screen_width, int bubble_left, double factor)
{
    if (factor <= 1.0)
        return screen_width;
    return std::max(1, screen_width - bubble_left);
}

QFont scaled_font(const QFont &font, double factor)
{
    QFont result = font;
    if (font.pointSizeF() > 0)
        result.setPointSizeF(font.pointSizeF() * factor);
    else if (font.pixelSize() > 0)
        result.setPixelSize(std::max(1, scaled(font.pixelSize(), factor)));
    return result;
}

void scale_window(QWidget &window, double factor, QPoint offset)
{
    if (factor == 1.0 && offset.isNull())
        return;

    // Every font as the design has it, style sheets included, before any of
    // them changes: a child inherits from its parent what it does not set.
    const QList<QWidget *> controls = window.findChildren<QWidget *>();
    QList<QFont> design_fonts;
    window.ensurePolished();
    for (QWidget *control : controls) {
        control->ensurePolished();
        design_fonts.append(control->font());
    }

    const QSize minimum = window.minimumSize();
    const QSize maximum = window.maximumSize();
    window.setMinimumSize(0, 0);
    window.setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window.resize(scaled_limit(window.size(), factor));
    window.setMinimumSize(scaled_limit(minimum, factor));
    window.setMaximumSize(scaled_limit(maximum, factor));
    window.setFont(scaled_font(window.font(), factor));

    QStyle *indicators = nullptr;
    for (qsizetype i = 0; i < controls.size(); ++i) {
        QWidget *control = controls[i];
        if (control->isWindow())
            continue;
        scale_control(*control, design_fonts[i], factor,
                      control->parentWidget() == &window ? offset : QPoint(), indicators);
    }
}

void show_text(QLabel &label, const QString &text)
{
    if (auto *retained = label.findChild<RetainedText *>(QString(), Qt::FindDirectChildrenOnly))
        retained->show(text);
    else
        label.setText(text);
}

void scale_box(QDialog &box, double factor)
{
    if (factor == 1.0)
        return;
    // An input box builds its layout only when first asked for its size.
    box.sizeHint();
    box.setFont(scaled_font(box.font(), factor));
    for (QLayout *layout : box.findChildren<QLayout *>()) {
        const QMargins margins = layout->contentsMargins();
        layout->setContentsMargins(scaled(margins.left(), factor), scaled(margins.top(), factor),
                                   scaled(margins.right(), factor),
                                   scaled(margins.bottom(), factor));
        if (auto *grid = qobject_cast<QGridLayout *>(layout)) {
            grid->setHorizontalSpacing(scaled(std::max(0, grid->horizontalSpacing()), factor));
            grid->setVerticalSpacing(scaled(std::max(0, grid->verticalSpacing()), factor));
        } else if (layout->spacing() > 0) {
            layout->setSpacing(scaled(layout->spacing(), factor));
        }
    }
    for (QAbstractButton *button : box.findChildren<QAbstractButton *>())
        scale_icon(*button, factor);
    if (auto *message = qobject_cast<QMessageBox *>(&box)) {
        scale_message_icon(*message, factor);
        widen_message_text(*message, factor);
    }
}

#include "design_scale.moc"
