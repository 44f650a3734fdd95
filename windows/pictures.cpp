#include "pictures.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QMessageBox>

namespace {

// Qt's JPEG decoder fills the missing rows of a file that stops early with
// grey and still reports success. A JPEG therefore counts as complete only if
// its marker structure runs from the start-of-image to the end-of-image marker.
bool jpeg_is_complete(const QByteArray &data)
{
    const qsizetype size = data.size();
    const auto byte = [&data](qsizetype i) { return static_cast<unsigned char>(data[i]); };
    if (size < 4 || byte(0) != 0xFF || byte(1) != 0xD8) {
        return false;
    }
    qsizetype i = 2;
    while (i + 1 < size) {
        if (byte(i) != 0xFF) {
            return false;
        }
        const unsigned char marker = byte(i + 1);
        if (marker == 0xFF) { // fill byte before a marker
            ++i;
            continue;
        }
        i += 2;
        if (marker == 0xD9) { // end of image
            return true;
        }
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) { // markers without length
            continue;
        }
        if (i + 1 >= size) {
            return false;
        }
        const qsizetype length = (qsizetype(byte(i)) << 8) | byte(i + 1);
        if (length < 2) {
            return false;
        }
        i += length;
        if (marker == 0xDA) {
            // Start of scan: the entropy-coded data runs to the next marker.
            // Inside it 0xFF is followed by 0x00 (a stuffed byte) or a restart marker.
            while (i + 1 < size) {
                if (byte(i) == 0xFF) {
                    const unsigned char next = byte(i + 1);
                    if (next == 0x00 || (next >= 0xD0 && next <= 0xD7)) {
                        i += 2;
                        continue;
                    }
                    if (next != 0xFF) {
                        break;
                    }
                }
                ++i;
            }
        }
    }
    return false;
}

PictureLoad failure(PictureProblem problem, const QString &text)
{
    PictureLoad load;
    load.problem = problem;
    load.message = text;
    return load;
}

} // namespace

QString picture_path(const QString &file_name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(file_name);
}

PictureLoad read_picture_file(const QString &path)
{
    const QString shown = QDir::toNativeSeparators(path);
    const QFileInfo info(path);
    if (!info.exists()) {
        return failure(PictureProblem::missing,
                       QStringLiteral("Die Bilddatei wurde nicht gefunden:\n%1").arg(shown));
    }
    QFile file(path);
    if (info.isDir() || !file.open(QIODevice::ReadOnly)) {
        return failure(PictureProblem::unreadable,
                       QStringLiteral("Die Bilddatei kann nicht gelesen werden:\n%1").arg(shown));
    }
    const QByteArray data = file.readAll();
    file.close();

    const QString not_a_picture = QStringLiteral("Die Datei ist kein gültiges Bild:\n%1\n\n%2");
    if (data.isEmpty()) {
        return failure(PictureProblem::invalid,
                       not_a_picture.arg(shown, QStringLiteral("Sie ist leer.")));
    }

    // Decode from the bytes already read, so that the check below sees the same data.
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    // The format is found from the content. A JPEG, as all of ours are, says
    // so in its first two bytes, which is all Qt's JPEG reader checks: named
    // at once and not detected, Qt need not load every image plugin to ask
    // each of them (it would, even for a named format, to detect it).
    const bool jpeg = data.startsWith("\xFF\xD8");
    QImageReader reader(&buffer, jpeg ? QByteArrayLiteral("jpeg") : QByteArray());
    reader.setAutoDetectImageFormat(!jpeg);
    QImage image;
    if (!reader.read(&image) || image.isNull()) {
        return failure(PictureProblem::invalid,
                       not_a_picture.arg(
                           shown, QStringLiteral("Ihr Inhalt lässt sich nicht als Bild lesen.")));
    }
    if (jpeg && !jpeg_is_complete(data)) {
        return failure(PictureProblem::invalid,
                       not_a_picture.arg(shown, QStringLiteral("Sie ist unvollständig.")));
    }

    PictureLoad load;
    load.image = image;
    return load;
}

QString picture_problem_title(PictureProblem problem)
{
    switch (problem) {
    case PictureProblem::missing:
        return QStringLiteral("Bilddatei fehlt");
    case PictureProblem::unreadable:
        return QStringLiteral("Bilddatei nicht lesbar");
    case PictureProblem::invalid:
        return QStringLiteral("Bilddatei fehlerhaft");
    case PictureProblem::none:
        break;
    }
    return {};
}

QImage PictureLoader::load(const QString &file_name)
{
    PictureLoad load = read_picture_file(picture_path(file_name));
    if (load.ok()) {
        return load.image;
    }
    if (reporting) {
        return {};
    }
    reporting = true;
    QMessageBox box(QMessageBox::Critical, picture_problem_title(load.problem),
                    load.message + QStringLiteral("\n\nDas Programm wird beendet."),
                    QMessageBox::Ok);
    // The path is the user's, not ours: never read it as markup.
    box.setTextFormat(Qt::PlainText);
    box.exec();
    reporting = false;
    end_program(1);
    return {};
}
