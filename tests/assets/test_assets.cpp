// The program's pictures: every built-in resource decodes in its format and
// size, the icons hold their two images on a transparent ground, the printer
// picture keeps colour index 0 transparent, and the desktop icons are there.

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
    void icons_hold_two_sizes_data();
    void icons_hold_two_sizes();
    void printer_gif_transparent_index_zero();
    void jpegs_decode_data();
    void jpegs_decode();
    void hicolor_icons_data();
    void hicolor_icons();
    void scalable_icon_is_svg();
};

void TestAssets::icons_hold_two_sizes_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("check mark") << QStringLiteral(":/icons/check.ico");
    QTest::newRow("light bulb") << QStringLiteral(":/icons/bulb.ico");
    QTest::newRow("question mark") << QStringLiteral(":/icons/question.ico");
    QTest::newRow("smiling face") << QStringLiteral(":/icons/smiley.ico");
}

// Both images decode, are drawn on a transparent ground (the corners) and
// are not empty, and are stored as bitmaps with their masks, as every
// Windows reads them. Their 16 colours are the test asset_headers'.
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

    const QByteArray data = read_all(path);
    for (int i = 0; i < 2; ++i) {
        const qsizetype entry = 6 + 16 * i;
        const quint32 side = quint8(data.at(entry));
        const quint32 offset = qFromLittleEndian<quint32>(data.constData() + entry + 12);
        QVERIFY(offset + 16 <= quint32(data.size()));
        QCOMPARE(qFromLittleEndian<quint32>(data.constData() + offset), 40u); // BITMAPINFOHEADER
        QCOMPARE(qFromLittleEndian<quint32>(data.constData() + offset + 8), 2 * side); // and mask
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
// built-in JPEGs decode at their size. Their headers (baseline JFIF, 8 bits,
// 3 components, which every decoder reads) are the test asset_headers'.
void TestAssets::jpegs_decode_data()
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

void TestAssets::jpegs_decode()
{
    QFETCH(QString, path);
    QFETCH(QSize, size);

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
