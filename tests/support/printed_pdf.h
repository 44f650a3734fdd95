#pragma once

// A printed page read back from its PDF with poppler's tools: its size, its
// lines of text and where they lie, its pictures, and the page as pixels.

#include "cups_jobs.h"
#include "pixels.h"

#include <QImage>
#include <QList>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextDocumentFragment>

#include <algorithm>
#include <cmath>

namespace printed_pdf {

using cups_jobs::run;

constexpr double mm_per_pt = 25.4 / 72;
constexpr int raster_dpi = 100;

// A word or a line of text on the page as pdftotext sees it, in millimetres
// from the top left corner of the paper.
struct TextBox
{
    QString text;
    double left = 0;
    double top = 0;
    double right = 0;
    double bottom = 0;
};

/// The words on the page, in reading order.
inline QList<TextBox> words(const QString &pdf)
{
    const QString html =
        run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(
        QStringLiteral("<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<TextBox> words;
    for (const QRegularExpressionMatch &m : word.globalMatch(html))
        words << TextBox{QTextDocumentFragment::fromHtml(m.captured(5)).toPlainText(),
                         m.captured(1).toDouble() * mm_per_pt, m.captured(2).toDouble() * mm_per_pt,
                         m.captured(3).toDouble() * mm_per_pt,
                         m.captured(4).toDouble() * mm_per_pt};
    return words;
}

/// The lines on the page: words on one baseline make one line.
inline QList<TextBox> text_lines(const QString &pdf)
{
    QList<TextBox> lines;
    double last_bottom = -1;
    for (const TextBox &word : words(pdf)) {
        if (!lines.isEmpty() && std::abs(word.bottom - last_bottom) < 0.2) {
            lines.last().text += QLatin1Char(' ') + word.text;
            lines.last().top = std::min(lines.last().top, word.top);
            lines.last().right = word.right;
        } else {
            lines << word;
        }
        last_bottom = word.bottom;
    }
    return lines;
}

inline int page_count(const QString &pdf)
{
    const QString info = run(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"),
                                                         QRegularExpression::MultilineOption)
                                          .match(info);
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

inline int image_count(const QString &pdf)
{
    const QStringList list =
        run(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf}).split(QLatin1Char('\n'));
    // Two heading lines, then one line per image.
    int images = 0;
    for (const QString &line : list.mid(2))
        images += line.trimmed().isEmpty() ? 0 : 1;
    return images;
}

inline QImage raster(const QString &pdf, const QTemporaryDir &dir)
{
    const QString base = dir.filePath(QStringLiteral("page"));
    run(QStringLiteral("pdftoppm"),
        {QStringLiteral("-r"), QString::number(raster_dpi), QStringLiteral("-png"),
         QStringLiteral("-singlefile"), pdf, base});
    return QImage(base + QStringLiteral(".png"));
}

// Where the pixels of one colour lie on the rastered page, in millimetres.
inline QRectF colour_area(const QImage &page, QRgb colour)
{
    const QRect box = support::matching_pixels(page, [colour](QRgb p) {
        return std::abs(qRed(p) - qRed(colour)) < 40 && std::abs(qGreen(p) - qGreen(colour)) < 40 &&
               std::abs(qBlue(p) - qBlue(colour)) < 40;
    });
    const double mm = 25.4 / raster_dpi;
    return box.isEmpty() ? QRectF()
                         : QRectF(box.x() * mm, box.y() * mm, box.width() * mm, box.height() * mm);
}

/// The size of the first page, in millimetres; empty when pdfinfo cannot tell.
inline QSizeF paper_size(const QString &pdf)
{
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("^Page size:\\s+([\\d.]+) x ([\\d.]+) pts"),
                           QRegularExpression::MultilineOption)
            .match(run(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? QSizeF(m.captured(1).toDouble(), m.captured(2).toDouble()) * mm_per_pt
                        : QSizeF();
}

} // namespace printed_pdf
