// Each of the six picture files, broken in each of the ways a copy, a disk or
// a careless hand breaks a file: every time the German failure that names the
// file, never a crash and never a picture made up of what could be read.

#include "pictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QStringList picture_names = {QStringLiteral("kopf.jpg"),     QStringLiteral("logo.jpg"),
                                   QStringLiteral("P_normal.jpg"), QStringLiteral("P_smile.jpg"),
                                   QStringLiteral("P_böse.jpg"),   QStringLiteral("p_roben.jpg")};

QByteArray jpeg()
{
    QImage image(320, 200, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 3) % 256, (x ^ y) % 256));
    }
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    if (!writer.write(image))
        qFatal("cannot encode the test picture");
    return buffer.data();
}

// A JPEG whose frame header claims 65535 x 65535 pixels: 16 GB once decoded.
QByteArray jpeg_claiming_huge_size()
{
    QByteArray data = jpeg();
    for (qsizetype i = 0; i + 9 < data.size(); ++i) {
        if (uchar(data[i]) == 0xFF && uchar(data[i + 1]) == 0xC0) { // start of frame
            for (qsizetype k = i + 5; k < i + 9; ++k)
                data[k] = char(0xFF); // height and width
            return data;
        }
    }
    qFatal("the test picture has no baseline frame header");
}

QByteArray pseudo_random_bytes(int size)
{
    QByteArray bytes(size, '\0');
    quint32 state = 2463534242u;
    for (char &byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = char(state);
    }
    return bytes;
}

} // namespace

class TestBrokenPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void refused_data();
    void refused();

private:
    QTemporaryDir temp;
};

void TestBrokenPictures::initTestCase()
{
    QVERIFY(temp.isValid());
    // The unbroken picture is read; it is the one cut short below.
    const QString path = temp.filePath(QStringLiteral("ganz.jpg"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.write(jpeg()) > 0);
    file.close();
    QVERIFY(read_picture_file(path).ok());
}

void TestBrokenPictures::refused_data()
{
    QTest::addColumn<QString>("file_name");
    QTest::addColumn<QByteArray>("content");

    const QByteArray whole = jpeg();
    const QList<std::pair<const char *, QByteArray>> breakages = {
        {"zero bytes", QByteArray()},
        {"JPEG cut in half", whole.left(whole.size() / 2)},
        {"JPEG cut inside its header", whole.left(120)},
        {"JPEG without its end marker", whole.chopped(2)},
        {"JPEG start marker only", whole.left(2)},
        {"JPEG claiming 65535 x 65535 pixels", jpeg_claiming_huge_size()},
        {"text", QByteArray("Hier sollte der Kopf des Professors sein.\n")},
        {"web page", QByteArray("<html><body><img src=\"kopf.jpg\"></body></html>\n")},
        {"random bytes", pseudo_random_bytes(4096)},
    };
    for (const QString &name : picture_names) {
        for (const auto &[breakage, content] : breakages)
            QTest::addRow("%s, %s", qPrintable(name), breakage) << name << content;
    }
}

void TestBrokenPictures::refused()
{
    QFETCH(QString, file_name);
    QFETCH(QByteArray, content);
    const QString path = temp.filePath(file_name);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
    file.close();

    const PictureLoad load = read_picture_file(path);
    QCOMPARE(load.problem, PictureProblem::invalid);
    QVERIFY(!load.ok());
    QVERIFY(load.image.isNull());
    QVERIFY2(load.message.startsWith(QStringLiteral("Die Datei ist kein gültiges Bild:\n") +
                                     QDir::toNativeSeparators(path) + QLatin1Char('\n')),
             qPrintable(load.message));
    QCOMPARE(picture_problem_title(load.problem), QStringLiteral("Bilddatei fehlerhaft"));
}

QTEST_GUILESS_MAIN(TestBrokenPictures)
#include "test_broken_pictures.moc"
