// The program's pictures: every built-in resource decodes in its format and
// size, the icons hold their two 16-colour images on a transparent ground, the
// printer picture keeps colour index 0 transparent, and the six picture files
// beside the program are baseline JFIF JPEGs that any decoder reads.

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QList>
#include <QSet>
#include <QSize>
#include <QString>
#include <QXmlStreamReader>
#include <QtEndian>
#include <QtTest>

namespace {

// What the markers in front of the scan data say about a JPEG file.
struct JpegMarkers
{
    bool starts_with_soi = false;
    bool has_jfif_app0 = false;
    bool has_baseline_frame = false; // SOF0
    bool has_other_frame = false;    // progressive, lossless, arithmetic, ...
    int precision = 0;
    int components = 0;
    bool reached_scan = false;
};

// Walks the marker segments up to the first scan.
JpegMarkers read_jpeg_markers(const QByteArray &data)
{
    JpegMarkers markers;
    const auto byte = [&data](qsizetype at) { return static_cast<quint8>(data.at(at)); };
    if (data.size() < 4 || byte(0) != 0xFF || byte(1) != 0xD8)
        return markers;
    markers.starts_with_soi = true;
    qsizetype pos = 2;
    while (pos + 1 < data.size()) {
        if (byte(pos) != 0xFF)
            return markers; // garbage between segments
        quint8 marker = byte(pos + 1);
        if (marker == 0xFF) { // fill byte
            ++pos;
            continue;
        }
        pos += 2;
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7))
            continue; // no length field
        if (marker == 0xD9)
            return markers; // end of image before any scan
        if (pos + 2 > data.size())
            return markers;
        const int length = (byte(pos) << 8) | byte(pos + 1);
        if (length < 2 || pos + length > data.size())
            return markers;
        const QByteArray body = data.mid(pos + 2, length - 2);
        if (marker == 0xDA) {
            markers.reached_scan = true;
            return markers;
        }
        if (marker == 0xE0 && body.startsWith(QByteArray("JFIF\0", 5)))
            markers.has_jfif_app0 = true;
        const bool is_frame =
            marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
        if (is_frame && marker == 0xC0 && body.size() >= 6) {
            markers.has_baseline_frame = true;
            markers.precision = static_cast<quint8>(body.at(0));
            markers.components = static_cast<quint8>(body.at(5));
        } else if (is_frame) {
            markers.has_other_frame = true;
        }
        pos += length;
    }
    return markers;
}

// The parts of a GIF file in front of its first image.
struct GifHeader
{
    QByteArray version;
    QSize size;
    int global_table_size = 0;
    int transparent_index = -1; // from the graphic control extension
};

GifHeader read_gif_header(const QByteArray &data)
{
    GifHeader gif;
    if (data.size() < 13)
        return gif;
    const auto byte = [&data](qsizetype at) { return static_cast<quint8>(data.at(at)); };
    gif.version = data.left(6);
    gif.size = QSize(byte(6) | byte(7) << 8, byte(8) | byte(9) << 8);
    const quint8 packed = byte(10);
    if (packed & 0x80)
        gif.global_table_size = 2 << (packed & 0x07);
    qsizetype pos = 13 + 3 * gif.global_table_size;
    while (pos + 1 < data.size() && byte(pos) == 0x21) {
        const quint8 label = byte(pos + 1);
        pos += 2;
        if (label == 0xF9 && pos + 5 < data.size() && byte(pos) == 4 && (byte(pos + 1) & 0x01))
            gif.transparent_index = byte(pos + 4);
        // skip the extension's sub-blocks
        while (pos < data.size() && byte(pos) != 0)
            pos += 1 + byte(pos);
        ++pos;
    }
    return gif;
}

QByteArray read_all(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QString runtime_picture(const QString &name)
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(name);
}

} // namespace

class TestAssets : public QObject
{
    Q_OBJECT

private slots:
    void marker_reader_data();
    void marker_reader();
    void icons_hold_two_sizes_data();
    void icons_hold_two_sizes();
    void icons_are_sixteen_colours_data();
    void icons_are_sixteen_colours();
    void printer_gif_transparent_index_zero();
    void jpeg_is_baseline_jfif_data();
    void jpeg_is_baseline_jfif();
    void hicolor_icons_data();
    void hicolor_icons();
    void scalable_icon_is_svg();
};

// The marker reader itself must tell the faults apart, or the checks on the
// real files below would prove nothing.
void TestAssets::marker_reader_data()
{
    QTest::addColumn<QByteArray>("data");
    QTest::addColumn<bool>("soi");
    QTest::addColumn<bool>("jfif");
    QTest::addColumn<bool>("baseline");
    QTest::addColumn<bool>("other_frame");
    QTest::addColumn<int>("components");

    const QByteArray soi("\xFF\xD8", 2);
    const QByteArray app0("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
    const QByteArray exif("\xFF\xE1\x00\x08"
                          "Exif\x00\x00",
                          10);
    const QByteArray sof0_rgb("\xFF\xC0\x00\x11\x08\x00\x10\x00\x10\x03"
                              "\x01\x22\x00\x02\x11\x01\x03\x11\x01",
                              19);
    const QByteArray sof0_grey("\xFF\xC0\x00\x0B\x08\x00\x10\x00\x10\x01\x01\x11\x00", 13);
    const QByteArray sof2_rgb("\xFF\xC2\x00\x11\x08\x00\x10\x00\x10\x03"
                              "\x01\x22\x00\x02\x11\x01\x03\x11\x01",
                              19);
    const QByteArray sos("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);

    QTest::newRow("baseline JFIF colour")
        << soi + app0 + sof0_rgb + sos << true << true << true << false << 3;
    QTest::newRow("greyscale") << soi + app0 + sof0_grey + sos << true << true << true << false
                               << 1;
    QTest::newRow("progressive") << soi + app0 + sof2_rgb + sos << true << true << false << true
                                 << 0;
    QTest::newRow("Exif instead of JFIF")
        << soi + exif + sof0_rgb + sos << true << false << true << false << 3;
    QTest::newRow("not a JPEG") << QByteArray("GIF89a\x20\x00\x21\x00", 10) << false << false
                                << false << false << 0;
    QTest::newRow("cut inside a segment")
        << soi + app0 + sof0_rgb.left(8) << true << true << false << false << 0;
}

void TestAssets::marker_reader()
{
    QFETCH(QByteArray, data);
    QFETCH(bool, soi);
    QFETCH(bool, jfif);
    QFETCH(bool, baseline);
    QFETCH(bool, other_frame);
    QFETCH(int, components);

    const JpegMarkers markers = read_jpeg_markers(data);
    QCOMPARE(markers.starts_with_soi, soi);
    QCOMPARE(markers.has_jfif_app0, jfif);
    QCOMPARE(markers.has_baseline_frame, baseline);
    QCOMPARE(markers.has_other_frame, other_frame);
    QCOMPARE(markers.components, components);
}

void TestAssets::icons_hold_two_sizes_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("check mark") << QStringLiteral(":/icons/check.ico");
    QTest::newRow("light bulb") << QStringLiteral(":/icons/bulb.ico");
    QTest::newRow("question mark") << QStringLiteral(":/icons/question.ico");
    QTest::newRow("smiling face") << QStringLiteral(":/icons/smiley.ico");
}

// Both images decode, are drawn on a transparent ground (the corners) and
// are not empty.
void TestAssets::icons_hold_two_sizes()
{
    QFETCH(QString, path);

    QImageReader reader(path, "ico");
    QCOMPARE(reader.imageCount(), 2);
    QSet<int> sides;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        sides.insert(image.width());

        QVERIFY(image.hasAlphaChannel());
        const int last = image.width() - 1;
        for (const QPoint corner : {QPoint(0, 0), QPoint(last, 0), QPoint(0, last)})
            QCOMPARE(qAlpha(image.pixel(corner)), 0);
        int opaque = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                opaque += qAlpha(image.pixel(x, y)) == 255 ? 1 : 0;
        QVERIFY2(opaque >= image.width() * image.height() / 16, "the icon is almost empty");
    }
    QVERIFY(sides == QSet<int>({32, 16}));
}

void TestAssets::icons_are_sixteen_colours_data()
{
    icons_hold_two_sizes_data();
}

// 16 colours: every directory entry and every bitmap header says 4 bits per
// pixel, and each bitmap carries its mask.
void TestAssets::icons_are_sixteen_colours()
{
    QFETCH(QString, path);

    const QByteArray data = read_all(path);
    QVERIFY(data.size() > 6);
    const auto u16 = [&data](qsizetype at) {
        return qFromLittleEndian<quint16>(data.constData() + at);
    };
    const auto u32 = [&data](qsizetype at) {
        return qFromLittleEndian<quint32>(data.constData() + at);
    };
    QCOMPARE(u16(0), quint16(0)); // reserved
    QCOMPARE(u16(2), quint16(1)); // icon, not cursor
    const int count = u16(4);
    QCOMPARE(count, 2);
    QVERIFY(data.size() >= 6 + 16 * count);
    for (int i = 0; i < count; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const int side = static_cast<quint8>(data.at(entry));
        QCOMPARE(static_cast<quint8>(data.at(entry + 2)), quint8(16)); // colour count
        QCOMPARE(u16(entry + 6), quint16(4));                          // bits per pixel
        const quint32 bytes = u32(entry + 8);
        const quint32 offset = u32(entry + 12);
        QVERIFY(offset + bytes <= quint32(data.size()));

        QCOMPARE(u32(offset), quint32(40)); // BITMAPINFOHEADER
        QCOMPARE(u32(offset + 4), quint32(side));
        QCOMPARE(u32(offset + 8), quint32(side * 2)); // colour bitmap and mask
        QCOMPARE(u16(offset + 14), quint16(4));
        const quint32 colour_row = (side * 4 + 31) / 32 * 4;
        const quint32 mask_row = (side + 31) / 32 * 4;
        QCOMPARE(bytes, 40 + 16 * 4 + side * (colour_row + mask_row));
    }
}

// Qt hands GIF frames out as 32-bit images, so the palette is read from the
// file: a 16-colour global table and a graphic control extension before the
// first image that makes index 0 transparent.
void TestAssets::printer_gif_transparent_index_zero()
{
    const QByteArray data = read_all(QStringLiteral(":/pictures/printer.gif"));
    const GifHeader gif = read_gif_header(data);
    QCOMPARE(gif.version, QByteArray("GIF89a"));
    QCOMPARE(gif.size, QSize(32, 33));
    QVERIFY(gif.global_table_size > 0 && gif.global_table_size <= 16);
    QCOMPARE(gif.transparent_index, 0);

    // the ground around the printer decodes as transparent, the printer not
    const QImage image = QImage::fromData(data, "gif");
    QVERIFY(!image.isNull());
    QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
    QCOMPARE(qAlpha(image.pixel(31, 32)), 0);
    QCOMPARE(qAlpha(image.pixel(16, 16)), 255);
}

// The six files beside the program, copied there by the build, and the
// built-in JPEGs: baseline JFIF, 8 bits, 3 components, the stated size.
void TestAssets::jpeg_is_baseline_jfif_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<QSize>("size");

    QTest::newRow("kopf.jpg") << runtime_picture(QStringLiteral("kopf.jpg")) << QSize(510, 184);
    QTest::newRow("logo.jpg") << runtime_picture(QStringLiteral("logo.jpg")) << QSize(510, 136);
    QTest::newRow("P_normal.jpg") << runtime_picture(QStringLiteral("P_normal.jpg"))
                                  << QSize(250, 350);
    QTest::newRow("P_smile.jpg") << runtime_picture(QStringLiteral("P_smile.jpg"))
                                 << QSize(250, 350);
    QTest::newRow("P_böse.jpg") << runtime_picture(QStringLiteral("P_böse.jpg")) << QSize(250, 350);
    QTest::newRow("p_roben.jpg") << runtime_picture(QStringLiteral("p_roben.jpg"))
                                 << QSize(250, 350);
    QTest::newRow("built-in professor")
        << QStringLiteral(":/pictures/professor.jpg") << QSize(250, 350);
    QTest::newRow("built-in grinning professor")
        << QStringLiteral(":/pictures/professor_grin.jpg") << QSize(250, 350);
}

void TestAssets::jpeg_is_baseline_jfif()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);

    const QByteArray data = read_all(path);
    QVERIFY2(!data.isEmpty(), qPrintable(path + QStringLiteral(" is missing or empty")));
    const JpegMarkers markers = read_jpeg_markers(data);
    QVERIFY(markers.starts_with_soi);
    QVERIFY(markers.has_jfif_app0);
    QVERIFY(markers.has_baseline_frame);
    QVERIFY(!markers.has_other_frame);
    QCOMPARE(markers.precision, 8);
    QCOMPARE(markers.components, 3);
    QVERIFY(markers.reached_scan);

    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("jpeg"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), size);
}

void TestAssets::hicolor_icons_data()
{
    QTest::addColumn<int>("side");
    for (int side : {16, 32, 48, 64, 128, 256})
        QTest::addRow("%dx%d", side, side) << side;
}

void TestAssets::hicolor_icons()
{
    QFETCH(int, side);

    const QString path = QStringLiteral(QUENDRA_ASSETS_DIR "/icons/hicolor/%1x%1/apps/"
                                                           "org.example.quendra.png")
                             .arg(side);
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("png"));
    const QImage image = reader.read();
    QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
    QCOMPARE(image.size(), QSize(side, side));
    QVERIFY(image.hasAlphaChannel());
    QCOMPARE(qAlpha(image.pixel(0, side - 1)), 0);
}

void TestAssets::scalable_icon_is_svg()
{
    QFile file(
        QStringLiteral(QUENDRA_ASSETS_DIR "/icons/hicolor/scalable/apps/org.example.quendra.svg"));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QXmlStreamReader xml(&file);
    QVERIFY(xml.readNextStartElement());
    QCOMPARE(xml.name().toString(), QStringLiteral("svg"));
    QVERIFY(!xml.attributes().value(QStringLiteral("viewBox")).isEmpty());
    while (!xml.atEnd())
        xml.readNext();
    QVERIFY2(!xml.hasError(), qPrintable(xml.errorString()));
}

QTEST_GUILESS_MAIN(TestAssets)
#include "test_assets.moc"
