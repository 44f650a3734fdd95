#include "smooth_picture.h"

QPixmap SmoothPictures::for_ratio(const QString &file, const QImage &picture, qreal ratio)
{
    if (picture.isNull() || ratio == picture.devicePixelRatio())
        return QPixmap::fromImage(picture);
    const size_t content = qHash(QByteArrayView(picture.constBits(), picture.sizeInBytes()));
    Enlarged &entry = kept[file];
    if (entry.pixmap.isNull() || entry.content != content || entry.ratio != ratio) {
        const QSize pixels = (picture.deviceIndependentSize() * ratio).toSize();
        entry.pixmap = QPixmap::fromImage(
            picture.scaled(pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        entry.pixmap.setDevicePixelRatio(ratio);
        entry.content = content;
        entry.ratio = ratio;
    }
    return entry.pixmap;
}
