// Reading picture files: from the program's directory only, and a missing or
// broken file (broken as a copy, a disk or a careless hand breaks one) is
// told apart, named in a message box and ends the program; never a crash.

#include "driver.h"
#include "pictures.h"
#include "program_state.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>

#include <fstream>

namespace {

QByteArray encoded(const QImage &image, const char *format, bool progressive = false)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    writer.setProgressiveScanWrite(progressive);
    if (!writer.write(image)) {
        qFatal("cannot encode a test picture");
    }
    return buffer.data();
}

// A picture with detail, so that its JPEG data runs over many bytes.
QImage test_image(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.setPixel(x, y, qRgb((x * 7) % 256, (y * 5) % 256, (x * y) % 256));
        }
    }
    return image;
}

QByteArray jpeg(int width = 250, int height = 350)
{
    return encoded(test_image(width, height), "jpeg");
}

// A JPEG whose metadata segment holds a small JPEG of its own (as camera
// thumbnails do), end-of-image marker included.
QByteArray jpeg_with_thumbnail()
{
    const QByteArray thumbnail = encoded(test_image(8, 8), "jpeg");
    QByteArray segment = "Exif";
    segment.append('\0').append('\0').append(thumbnail);
    const qsizetype length = segment.size() + 2;
    QByteArray app1;
    app1.append(char(0xFF)).append(char(0xE1));
    app1.append(char(length >> 8)).append(char(length & 0xFF)).append(segment);
    QByteArray data = jpeg();
    data.insert(2, app1);
    return data;
}

// A JPEG whose frame header claims 65535 x 65535 pixels: 16 GB once decoded.
QByteArray jpeg_claiming_huge_size()
{
    QByteArray data = jpeg();
    const qsizetype frame = data.indexOf(QByteArray("\xFF\xC0", 2)); // start of frame
    if (frame < 0)
        qFatal("the test picture has no baseline frame header");
    data.replace(frame + 5, 4, QByteArray(4, char(0xFF))); // height and width
    return data;
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

// Qt reads GIF but cannot write it: the smallest GIF89a, one transparent pixel.
QByteArray gif_1x1()
{
    static const unsigned char bytes[] = {
        'G',  'I',  'F',  '8',  '9',  'a',  0x01, 0x00, 0x01, 0x00, 0x80, 0x00, 0x00, 0xFF, 0xFF,
        0xFF, 0x00, 0x00, 0x00, 0x21, 0xF9, 0x04, 0x01, 0x00, 0x00, 0x00, 0x00, 0x2C, 0x00, 0x00,
        0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3B};
    return QByteArray(reinterpret_cast<const char *>(bytes), sizeof bytes);
}

void write_file(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(data) != data.size()) {
        qFatal("cannot write a test file");
    }
}

// Unique per run: the test program lies beside the real picture files.
QString unique_name(const QString &stem)
{
    return QStringLiteral("%1_test_%2.jpg").arg(stem).arg(QCoreApplication::applicationPid());
}

// The message box that is up, if any.
QMessageBox *open_box()
{
    return qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
}

} // namespace

class TestPictures : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void read_picture_file_data();
    void read_picture_file();
    void directory_cannot_be_read();
    void program_directory_not_current_directory();
    void umlaut_file_name();
    void load_picture_failure_data();
    void load_picture_failure();
    void second_failure_while_box_open();

private:
    QTemporaryDir temp;
    QStringList created; // files made beside the program, removed after each test
    QList<int> end_statuses;
    // The main window's loader, its end recorded instead of ending the test.
    PictureLoader pictures{[this](int status) { end_statuses.append(status); }};
};

void TestPictures::init()
{
    QVERIFY(temp.isValid());
    end_statuses.clear();
}

void TestPictures::cleanup()
{
    for (const QString &path : std::as_const(created)) {
        QFile::remove(path);
    }
    created.clear();
}

void TestPictures::read_picture_file_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<int>("problem");
    QTest::addColumn<QSize>("size");

    const int none = int(PictureProblem::none);
    const int invalid = int(PictureProblem::invalid);
    const QByteArray whole = jpeg();
    QTest::newRow("complete JPEG") << whole << true << none << QSize(250, 350);
    QTest::newRow("progressive JPEG")
        << encoded(test_image(510, 184), "jpeg", true) << true << none << QSize(510, 184);
    QTest::newRow("JPEG with bytes after its end")
        << whole + QByteArray(100, '\0') << true << none << QSize(250, 350);
    QTest::newRow("JPEG with a thumbnail")
        << jpeg_with_thumbnail() << true << none << QSize(250, 350);
    QTest::newRow("GIF under a .jpg name") << gif_1x1() << true << none << QSize(1, 1);

    QTest::newRow("missing") << QByteArray() << false << int(PictureProblem::missing) << QSize();
    QTest::newRow("zero bytes") << QByteArray() << true << invalid << QSize();
    QTest::newRow("JPEG cut in half") << whole.left(whole.size() / 2) << true << invalid << QSize();
    QTest::newRow("JPEG without its last two bytes")
        << whole.left(whole.size() - 2) << true << invalid << QSize();
    QTest::newRow("JPEG header only") << whole.left(200) << true << invalid << QSize();
    QTest::newRow("JPEG with thumbnail, cut short")
        << jpeg_with_thumbnail().chopped(jpeg().size() / 2) << true << invalid << QSize();
    QTest::newRow("text named .jpg")
        << QByteArray("Hier sollte eigentlich ein Bild stehen.\n") << true << invalid << QSize();
    QTest::newRow("JPEG start marker only") << whole.left(2) << true << invalid << QSize();
    QTest::newRow("JPEG claiming 65535 x 65535 pixels")
        << jpeg_claiming_huge_size() << true << invalid << QSize();
    QTest::newRow("web page") << QByteArray("<html><body><img src=\"kopf.jpg\"></body></html>\n")
                              << true << invalid << QSize();
    QTest::newRow("random bytes") << pseudo_random_bytes(4096) << true << invalid << QSize();
}

void TestPictures::read_picture_file()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    QFETCH(int, problem);
    QFETCH(QSize, size);
    const QString path = temp.filePath(QStringLiteral("P_böse.jpg"));
    QFile::remove(path);
    if (exists) {
        write_file(path, content);
    }

    const PictureLoad load = ::read_picture_file(path);
    QCOMPARE(int(load.problem), problem);
    QCOMPARE(load.ok(), problem == int(PictureProblem::none));
    if (load.ok()) {
        QCOMPARE(load.image.size(), size);
        QVERIFY(load.message.isEmpty());
        return;
    }
    QVERIFY(load.image.isNull());
    // The message says what is wrong and names the file with its whole path;
    // never a picture made up of what could be read.
    const bool missing = load.problem == PictureProblem::missing;
    const QString wording = missing ? QStringLiteral("nicht gefunden")
                                    : QStringLiteral("Die Datei ist kein gültiges Bild:\n");
    QVERIFY2(load.message.contains(QDir::toNativeSeparators(path)), qPrintable(load.message));
    QVERIFY2(missing ? load.message.contains(wording)
                     : load.message.startsWith(wording + QDir::toNativeSeparators(path) + u'\n'),
             qPrintable(load.message));
    QCOMPARE(picture_problem_title(load.problem),
             missing ? QStringLiteral("Bilddatei fehlt") : QStringLiteral("Bilddatei fehlerhaft"));
}

void TestPictures::directory_cannot_be_read()
{
    const QString path = temp.filePath(QStringLiteral("ordner.jpg"));
    QVERIFY(QDir().mkpath(path));
    const PictureLoad load = ::read_picture_file(path);
    QCOMPARE(load.problem, PictureProblem::unreadable);
    QVERIFY(load.message.contains(QDir::toNativeSeparators(path)));
}

void TestPictures::program_directory_not_current_directory()
{
    const QString beside_program = unique_name(QStringLiteral("programm"));
    const QString only_in_current = unique_name(QStringLiteral("arbeit"));
    write_file(picture_path(beside_program), jpeg(510, 136));
    created << picture_path(beside_program);
    write_file(temp.filePath(only_in_current), jpeg());

    const QString previous = QDir::currentPath();
    QVERIFY(QDir::setCurrent(temp.path()));
    const QImage found = pictures.load(beside_program);
    const PictureLoad not_found = ::read_picture_file(picture_path(only_in_current));
    QVERIFY(QDir::setCurrent(previous));

    QCOMPARE(found.size(), QSize(510, 136));
    QVERIFY(end_statuses.isEmpty());
    QCOMPARE(not_found.problem, PictureProblem::missing);
}

void TestPictures::umlaut_file_name()
{
    // Written the way an installer writes it: the name's bytes in UTF-8.
    const QByteArray utf8_name =
        "P_b\xC3\xB6se_test_" + QByteArray::number(QCoreApplication::applicationPid()) + ".jpg";
    const QString name = QString::fromUtf8(utf8_name);
    QVERIFY(name.contains(QChar(0x00F6)));
    const QByteArray dir = QCoreApplication::applicationDirPath().toUtf8();
    const QByteArray data = jpeg();
    {
        std::ofstream out((dir + '/' + utf8_name).toStdString(), std::ios::binary);
        out.write(data.constData(), data.size());
    }
    created << picture_path(name);

    const QImage face = pictures.load(name);
    QCOMPARE(face.size(), QSize(250, 350));
    QVERIFY(end_statuses.isEmpty());
}

void TestPictures::load_picture_failure_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<QString>("title");

    QTest::newRow("missing") << QByteArray() << false << QStringLiteral("Bilddatei fehlt");
    QTest::newRow("truncated") << jpeg().left(1000) << true
                               << QStringLiteral("Bilddatei fehlerhaft");
}

void TestPictures::load_picture_failure()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    const QString name = unique_name(QStringLiteral("kaputt"));
    if (exists) {
        write_file(picture_path(name), content);
        created << picture_path(name);
    }

    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    Qt::TextFormat format = Qt::AutoText;
    support::Driver driver;
    driver.when(QStringLiteral("the box"), open_box, [&] {
        title = open_box()->windowTitle();
        text = open_box()->text();
        icon = open_box()->icon();
        format = open_box()->textFormat();
        open_box()->accept();
    });
    const QImage image = pictures.load(name);

    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QTEST(title, "title");
    QCOMPARE(icon, QMessageBox::Critical);
    // The path is the user's, shown as it is, never as markup.
    QVERIFY2(text.contains(QDir::toNativeSeparators(picture_path(name))), qPrintable(text));
    QCOMPARE(format, Qt::PlainText);
    // The box came first, then the end with a failure status.
    QCOMPARE(end_statuses, QList<int>{1});
    QVERIFY(image.isNull());
}

void TestPictures::second_failure_while_box_open()
{
    // The face timer keeps ticking behind the box; another broken face must
    // not stack a second box on the first.
    bool nested_null = false;
    QList<int> ends_during;
    // A second box would hold up the load inside the first one until the
    // driver gives up on it and fails.
    support::Driver driver(5000);
    driver.when(QStringLiteral("the first box"), open_box, [&] {
        QMessageBox *first = open_box();
        nested_null = pictures.load(unique_name(QStringLiteral("fehlt_auch"))).isNull();
        ends_during = end_statuses;
        first->accept();
    });
    pictures.load(unique_name(QStringLiteral("fehlt")));

    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QVERIFY(nested_null);
    QVERIFY(ends_during.isEmpty()); // the end waits for the first box
    QCOMPARE(end_statuses, QList<int>{1});
}

QTEST_MAIN(TestPictures)
#include "test_pictures.moc"
