// The design drawn larger on a large screen: the factor, where the main
// window's controls land, also after the screen has changed its size, the
// picture smoothed at whole factors and the typed bubble. Runs on an
// offscreen screen of 1920 x 1080 (the design's factor), and on one of
// 1600 x 1176 at 200 % (the desktop's factor alone, a whole one).

#include "centring.h"
#include "design_scale.h"
#include "dialog.h"
#include "pixels.h"
#include "quendra.h"
#include "smooth_picture.h"
#include "typed_bubble.h"

#include <QApplication>
#include <QBackingStore>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QScreen>
#include <QTest>
#include <qpa/qplatformnativeinterface.h>

namespace {

// Where the dark pixels lie, in device-independent pixels.
QRect ink(const QImage &image)
{
    const QRect box = support::dark_pixels(image);
    const qreal ratio = image.devicePixelRatio();
    return QRectF(box.topLeft() / ratio, box.size() / ratio).toAlignedRect();
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
    void follows_the_screen_data();
    void follows_the_screen();
    void picture_smooth_at_any_factor();
    void typed_bubble_shows_what_a_whole_drawing_shows();

private:
    void check_controls();

    std::unique_ptr<DesignScale> design;
    std::unique_ptr<Quendra> main;
};

namespace {

// The offscreen screen's size, WIDTH x HEIGHT in its own pixels, changed
// while the program runs, as a display's mode changes.
void resize_screen(QSize size)
{
    using SetConfiguration = void (*)(const QJsonObject &, QPlatformNativeInterface *);
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    const auto set = reinterpret_cast<SetConfiguration>(
        native->nativeResourceForIntegration("setConfiguration"));
    QVERIFY(set);
    const QByteArray screen = QStringLiteral(R"({ "screens": [ { "name": "stand", "x": 0, "y": 0,
        "width": %1, "height": %2, "logicalDpi": 96, "logicalBaseDpi": 96 } ] })")
                                  .arg(size.width())
                                  .arg(size.height())
                                  .toUtf8();
    set(QJsonDocument::fromJson(screen).object(), native);
}

} // namespace

void TestDesignScale::initTestCase()
{
    // As the program starts: the factor for the screen, then the windows.
    design = std::make_unique<DesignScale>(false);
    QuendraSetup setup;
    setup.design = design.get();
    main = std::make_unique<Quendra>(setup);
    main->options_window().preset(false, 45);
    main->showFullScreen();
    QVERIFY(QTest::qWaitForWindowExposed(main.get()));
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
    check_controls();
}

// Each control where the design puts it on the screen, in the screen's
// pixels: the design's rectangle times the factor, centred in the spare width.
void TestDesignScale::check_controls()
{
    QFETCH(QString, name);
    QFETCH(QRect, design);
    const QScreen *screen = main->screen();
    const qreal ratio = main->devicePixelRatioF();
    const int spare = qRound(screen->geometry().width() * ratio) - qRound(800 * ratio);
    const bool scaled = this->design->factor(screen) > 1;
    const QRect expected(qRound(design.x() * ratio) + (scaled ? spare / 2 : 0),
                         qRound(design.y() * ratio), qRound(design.width() * ratio),
                         qRound(design.height() * ratio));
    const QWidget *control = main->findChild<QLabel *>(name);
    const QRectF on_screen(QPointF(control->geometry().topLeft()) * ratio,
                           QSizeF(control->size()) * ratio);
    QVERIFY2(near(on_screen.toRect(), expected, 2), text(on_screen.toRect()));
}

void TestDesignScale::follows_the_screen_data()
{
    QTest::addColumn<QSize>("screen"); // its own pixels
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("design");

    // A projector mirrored: smaller, then larger, then the stand's own
    // screen again; the factor goes below and above the one at start.
    for (const QSize screen : {QSize(1024, 768), QSize(1280, 1024), QSize(2560, 1440),
                               QSize(1600, 1176), QSize(1920, 1080)}) {
        const QByteArray size =
            QByteArray::number(screen.width()) + " x " + QByteArray::number(screen.height());
        QTest::newRow(size + ": Prof")
            << screen << QStringLiteral("Prof") << QRect(48, 104, 249, 353);
        QTest::newRow(size + ": Label7")
            << screen << QStringLiteral("Label7") << QRect(312, 320, 485, 137);
    }
}

void TestDesignScale::follows_the_screen()
{
    QFETCH(QSize, screen);
    Dialog options(main.get());
    options.show();
    QVERIFY(QTest::qWaitForWindowExposed(&options));
    const QSize options_size = options.size();

    resize_screen(screen);
    QScreen *display = main->screen();
    // The same factor as at a fresh start on this screen, and the main
    // window covers it.
    const qreal desktop = display->devicePixelRatio() / design->factor(display);
    const QSize own = (QSizeF(screen) / desktop).toSize();
    QTRY_COMPARE(design->factor(display), design_scale(own));
    const auto covered = [&] {
        const QSize pixels = (QSizeF(main->size()) * main->devicePixelRatioF()).toSize();
        return near(QRect(QPoint(), pixels), QRect(QPoint(), screen), 2);
    };
    QTRY_VERIFY(covered());
    check_controls();
    // The options window kept its size in the design and lies on the screen.
    QCOMPARE(options.size(), options_size);
    QVERIFY(display->availableGeometry().contains(options.geometry()));
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
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    SmoothPictures pictures;
    picture->setPixmap(
        pictures.for_ratio(QStringLiteral("board"), board, window.devicePixelRatioF()));
    QCoreApplication::processEvents();
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
    TypedBubble *bubbles[2];
    for (int i = 0; i < 2; ++i) {
        bubbles[i] = new TypedBubble(&window);
        bubbles[i]->setText(QStringLiteral("Label1"));
        bubbles[i]->setGeometry(0, 100 * i, 220, 97);
        bubbles[i]->setFont(QFont(QStringLiteral("Liberation Sans"), 12, QFont::Bold));
        bubbles[i]->setWordWrap(true);
        bubbles[i]->setTextFormat(Qt::PlainText);
        bubbles[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    bubbles[0]->set_retained(true);
    bubbles[1]->set_retained(true);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (qsizetype n = 1; n <= sentence.size(); ++n) {
        bubbles[0]->show_text(sentence.left(n));
        QCoreApplication::processEvents();
    }
    bubbles[1]->show_text(sentence);
    QCoreApplication::processEvents();
    QCOMPARE(bubbles[0]->text(), sentence);

    // What reached the window, not a fresh drawing: every character arrived.
    const auto *shown = dynamic_cast<const QImage *>(window.backingStore()->paintDevice());
    const qreal ratio = window.devicePixelRatioF();
    const auto part = [&](const QLabel *bubble) {
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
    const QRect typed = ink(part(bubbles[0]));
    QVERIFY2(near(typed, ink(plain.grab().toImage()), 3), text(typed));
    QVERIFY(typed.height() > QFontMetrics(plain.font()).lineSpacing());
}

QTEST_MAIN(TestDesignScale)
#include "test_design_scale.moc"
