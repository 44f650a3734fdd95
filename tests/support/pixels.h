#pragma once

// Where the pixels of a kind lie in an image.

#include <QImage>
#include <QRect>

namespace support {

/// The bounding box of the pixels for which match(pixel) holds, within a part
/// of the image if given, in the image's own pixels; empty when there are none.
template <typename Match>
QRect matching_pixels(const QImage &image, Match match, const QRect &within = {})
{
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    const QRect area = within.isNull() ? rgb.rect() : within & rgb.rect();
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        const auto *row = reinterpret_cast<const QRgb *>(rgb.constScanLine(y));
        for (int x = area.left(); x <= area.right(); ++x)
            if (match(row[x]))
                box |= QRect(x, y, 1, 1);
    }
    return box;
}

/// The bounding box of the dark pixels, as of text drawn in black.
inline QRect dark_pixels(const QImage &image, const QRect &within = {})
{
    return matching_pixels(
        image, [](QRgb pixel) { return qGray(pixel) < 128; }, within);
}

} // namespace support
