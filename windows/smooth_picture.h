#pragma once

#include <QHash>
#include <QImage>
#include <QPixmap>
#include <QString>

/// The pictures of a picture box (the professor's faces), enlarged smoothly
/// to the screen's pixels with their device pixel ratio set, so that the
/// label copies them as they are: Qt would enlarge them itself at every
/// paint, blocky at whole factors. The faces are read anew every second, so
/// each picture is enlarged once per file and kept while the file's content
/// and the screen's ratio stay the same.
class SmoothPictures
{
public:
    /// picture, read from file, for a label drawn at ratio; as it is at 1.
    QPixmap for_ratio(const QString &file, const QImage &picture, qreal ratio);

private:
    struct Enlarged
    {
        size_t content = 0;
        qreal ratio = 0;
        QPixmap pixmap;
    };
    QHash<QString, Enlarged> kept;
};
