// The design drawn larger on a large screen: the factor, where the main
// window's controls land, the picture smoothed at whole factors and the
// typed bubble. Runs on an offscreen screen of 1920 x 1080 (the design's
// factor), and on one of 1600 x 1176 at 200 % (the desktop's factor alone,
// a whole one).

#include "design_scale.h"
#include "quendra.h"

#include <QApplication>
#include <QBackingStore>
#include <QLabel>
#include <QScreen>
#include <QTest>

namespace {

// The bounding box of the matching pixels, in device-independent pixels.
QRect where(const QImage &image, bool (*match)(QRgb))
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixel(x, y)))
                box |= QRect(x, y, 1, 1);
    const qreal ratio = image.devicePixelRatio();
    return QRectF(box.topLeft() / ratio, box.size() / ratio).toAlignedRect();
}

bool dark(QRgb pixel)
{
    return qGray(pixel) < 128;
}

// Every edge within slack pixels of the expected one.
bool near(const QRect &actual, const QRect &expected, int slack = 1)
{
    return std::abs(actual.left() - expected.left()) <= slack &&
           std::abs(actual.top() - expected.top()) <= slack &&
           std::abs(actual.right() - expected.right()) <= slack &&
           std::abs(actual.bottom() - expected.bottom()) <= slack;
}

QByteArray text(const QRect &r)
{
    return QStringLiteral("%1,%2 %3x%4")
        .arg(r.x())
        .arg(r.y())
        .arg(r.width())
        .arg(r.height())
        .toUtf8();
}

} // namespace

class TestDesignScale : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void factor_data();
    void factor();
    void main_window_data();
    void main_window();
    void picture_smooth_at_any_factor();
    void typed_bubble_shows_what_a_whole_drawing_shows();

private:
    double scale = 1.0;
    std::unique_ptr<Quendra> main;
};

void TestDesignScale::initTestCase()
{
    // As the program starts: the factor from the screen, then the windows.
    scale = design_scale(QGuiApplication::primaryScreen());
    apply_design_scale(scale);
    QuendraSetup setup;
    setup.design_scale = scale;
    main = std::make_unique<Quendra>(setup);
    main->setGeometry(main->screen()->geometry());
}

void TestDesignScale::factor_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<double>("expected");
    QTest::addColumn<int>("offset"); // of the design, centred in the spare width
    QTest::addColumn<int>("bubble"); // its width: from its left edge to the screen's

    // Offset and bubble in the scaled pixels of a screen as wide as Qt makes
    // it. At factor 1 the design stays in the corner, the bubble as wide as
    // the screen.
    QTest::newRow("640 x 480: never below 1") << QSize(640, 480) << 1.0 << 0 << 640;
    QTest::newRow("800 x 600") << QSize(800, 600) << 1.0 << 0 << 800;
    QTest::newRow("1024 x 768: the width decides") << QSize(1024, 768) << 1.28 << 0 << 776;
    QTest::newRow("1366 x 768: the height decides") << QSize(1366, 768) << 1.306122 << 123 << 899;
    QTest::newRow("1920 x 1080") << QSize(1920, 1080) << 1.836735 << 123 << 899;
    QTest::newRow("2560 x 1440") << QSize(2560, 1440) << 2.448980 << 123 << 899;
    QTest::newRow("3840 x 2160") << QSize(3840, 2160) << 3.673469 << 123 << 899;
}

void TestDesignScale::factor()
{
    QFETCH(QSize, screen);
    QFETCH(double, expected);
    const double f = design_scale(screen);
    // A hair smaller, where needed, so the screen is covered to its last pixel.
    QVERIFY2(f <= expected + 1e-6 && f > expected * 0.999, qPrintable(QString::number(f, 'f', 6)));
    const int width = qRound(screen.width() * (1.0 / f));
    QVERIFY(qRound(width * f) >= screen.width());
    QVERIFY(qRound(qRound(screen.height() * (1.0 / f)) * f) >= screen.height());
    const QPoint offset = design_offset(width, f);
    QTEST(offset.x(), "offset");
    QCOMPARE(offset.y(), 0);
    QTEST(bubble_width(width, offset.x() + 24, f), "bubble");
}

void TestDesignScale::main_window_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("design"); // at factor 1

    QTest::newRow("Prof") << QStringLiteral("Prof") << QRect(48, 104, 249, 353);
    QTest::newRow("Picture1") << QStringLiteral("Picture1") << QRect(312, 104, 485, 209);
    QTest::newRow("Label7") << QStringLiteral("Label7") << QRect(312, 320, 485, 137);
    QTest::newRow("Label1") << QStringLiteral("Label1") << QRect(312, 320, 33, 33);
}

void TestDesignScale::main_window()
{
    QFETCH(QString, name);
    QFETCH(QRect, design);
    // On the screen, in its pixels: the design's rectangle times the factor,
    // the design centred in the spare width.
    const QScreen *screen = main->screen();
    const qreal ratio = main->devicePixelRatioF();
    const int spare = qRound(screen->geometry().width() * ratio) - qRound(800 * ratio);
    const QRect expected(qRound(design.x() * ratio) + (scale > 1 ? spare / 2 : 0),
                         qRound(design.y() * ratio), qRound(design.width() * ratio),
                         qRound(design.height() * ratio));
    const QRectF on_screen(QPointF(main->findChild<QLabel *>(name)->geometry().topLeft()) * ratio,
                           QSizeF(main->findChild<QLabel *>(name)->size()) * ratio);
    QVERIFY2(near(on_screen.toRect(), expected, 2), text(on_screen.toRect()));
}

void TestDesignScale::picture_smooth_at_any_factor()
{
    // A black and white checkerboard, drawn larger: smoothed, its edges grey.
    QImage board(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x)
            board.setPixel(x, y, (x + y) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    QWidget window;
    window.resize(20, 20);
    auto *picture = new QLabel(&window);
    picture->setGeometry(0, 0, 8, 8);
    picture->setPixmap(QPixmap::fromImage(board));
    smooth_picture(*picture);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const auto *shown = dynamic_cast<const QImage *>(window.backingStore()->paintDevice());
    QVERIFY(window.devicePixelRatioF() > 1.5);
    int grey = 0;
    for (int y = 0; y < 8 * window.devicePixelRatioF(); ++y)
        for (int x = 0; x < 8 * window.devicePixelRatioF(); ++x)
            grey += qGray(shown->pixel(x, y)) > 40 && qGray(shown->pixel(x, y)) < 215;
    QVERIFY2(grey > 20, qPrintable(QString::number(grey)));
}

void TestDesignScale::typed_bubble_shows_what_a_whole_drawing_shows()
{
    // Two bubbles at the screen's factor: one typed into a character at a
    // time, one given the whole sentence at once. The sentence wraps once.
    const QString sentence =
        QStringLiteral("Ich kann Dir sagen an welchem Wochentag Du geboren wurdest,");
    QWidget window;
    window.resize(225, 200);
    QLabel *bubbles[2];
    for (int i = 0; i < 2; ++i) {
        bubbles[i] = new QLabel(QStringLiteral("Label1"), &window);
        bubbles[i]->setGeometry(0, 100 * i, 220, 97);
        bubbles[i]->setFont(QFont(QStringLiteral("Liberation Sans"), 12, QFont::Bold));
        bubbles[i]->setWordWrap(true);
        bubbles[i]->setTextFormat(Qt::PlainText);
        bubbles[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    retain_typed_text(*bubbles[0]);
    retain_typed_text(*bubbles[1]);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (qsizetype n = 1; n <= sentence.size(); ++n) {
        show_text(*bubbles[0], sentence.left(n));
        QCoreApplication::processEvents();
    }
    show_text(*bubbles[1], sentence);
    QCoreApplication::processEvents();
    QCOMPARE(bubbles[0]->text(), sentence);

    // What reached the window, not a fresh drawing: every character arrived.
    const auto *shown = dynamic_cast<const QImage *>(window.backingStore()->paintDevice());
    const qreal ratio = window.devicePixelRatioF();
    const auto part = [&](QLabel *bubble) {
        QImage image = shown->copy(QRectF(bubble->pos() * ratio, bubble->size() * ratio).toRect());
        image.setDevicePixelRatio(ratio);
        return image;
    };
    QCOMPARE(part(bubbles[0]), part(bubbles[1]));

    // Two lines, where and as large as Qt's own label draws them.
    QLabel plain(sentence);
    plain.setFont(bubbles[0]->font());
    plain.setWordWrap(true);
    plain.setAlignment(Qt::AlignLeft | Qt::AlignTop);
    plain.resize(bubbles[0]->size());
    const QRect ink = where(part(bubbles[0]), dark);
    QVERIFY2(near(ink, where(plain.grab().toImage(), dark), 3), text(ink));
    QVERIFY(ink.height() > QFontMetrics(plain.font()).lineSpacing());
}

QTEST_MAIN(TestDesignScale)
#include "test_design_scale.moc"
