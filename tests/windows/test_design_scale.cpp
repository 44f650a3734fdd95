// The design drawn larger on a large screen: the factor, the main window at
// 1920 x 1080, the professor's picture, the typed bubble, the options and
// report windows and Qt's boxes. Runs on an offscreen screen of 1920 x 1080
// device-independent pixels: plain, or 3840 x 2160 at 200 %.

#include "bildschirm.h"
#include "design_scale.h"
#include "dialog.h"
#include "drawing_area.h"
#include "quendra.h"

#include <QApplication>
#include <QBackingStore>
#include <QInputDialog>
#include <QLabel>
#include <QLayout>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QTest>

namespace {

const double f1920 = 1080.0 / 588;

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
bool red(QRgb pixel)
{
    return qRed(pixel) > 200 && qGreen(pixel) < 60;
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
    void professor_picture_data();
    void professor_picture();
    void typed_bubble_shows_what_a_whole_drawing_shows();
    void options_and_report_windows();
    void boxes_data();
    void boxes();

private:
    std::unique_ptr<Quendra> main;
};

void TestDesignScale::initTestCase()
{
    // 1920 x 1080 whether the screen has that many pixels or twice as many.
    QCOMPARE(QGuiApplication::primaryScreen()->geometry().size(), QSize(1920, 1080));
    QCOMPARE(design_scale(QGuiApplication::primaryScreen()), f1920);
    QuendraSetup setup;
    setup.design_scale = f1920;
    main = std::make_unique<Quendra>(setup);
}

void TestDesignScale::factor_data()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<double>("expected");
    QTest::addColumn<int>("offset"); // of the design, centred in the spare width
    QTest::addColumn<int>("bubble"); // its width: from its left edge to the screen's

    // At factor 1 the design stays in the corner, the bubble as wide as the screen.
    QTest::newRow("640 x 480: never below 1") << QSize(640, 480) << 1.0 << 0 << 640;
    QTest::newRow("800 x 600") << QSize(800, 600) << 1.0 << 0 << 800;
    QTest::newRow("1024 x 768: the width decides") << QSize(1024, 768) << 1.28 << 0 << 993;
    QTest::newRow("1366 x 768: the height decides") << QSize(1366, 768) << 1.306122 << 160 << 1175;
    QTest::newRow("1920 x 1080") << QSize(1920, 1080) << 1.836735 << 225 << 1651;
    QTest::newRow("2560 x 1440") << QSize(2560, 1440) << 2.448980 << 300 << 2201;
    QTest::newRow("3840 x 2160") << QSize(3840, 2160) << 3.673469 << 450 << 3302;
}

void TestDesignScale::factor()
{
    QFETCH(QSize, screen);
    QFETCH(double, expected);
    const double factor = design_scale(screen);
    QVERIFY2(std::abs(factor - expected) < 1e-6, qPrintable(QString::number(factor, 'f', 6)));
    const QPoint offset = design_offset(screen.width(), factor);
    QTEST(offset.x(), "offset");
    QCOMPARE(offset.y(), 0);
    QTEST(bubble_width(screen.width(), offset.x() + qRound(24 * factor), factor), "bubble");
}

void TestDesignScale::main_window_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("expected");
    QTest::addColumn<double>("points"); // 0: no font of its own

    // The design's rectangles times 1080 / 588, 225 to the right.
    QTest::newRow("Prof") << QStringLiteral("Prof") << QRect(313, 191, 458, 648) << 0.0;
    QTest::newRow("blase") << QStringLiteral("blase") << QRect(269, 0, 942, 178) << 24 * f1920;
    QTest::newRow("Picture1") << QStringLiteral("Picture1") << QRect(798, 191, 891, 384) << 0.0;
    QTest::newRow("Label7") << QStringLiteral("Label7") << QRect(798, 588, 891, 251)
                            << 27.75 * f1920;
    QTest::newRow("Label1") << QStringLiteral("Label1") << QRect(798, 588, 61, 60) << 18 * f1920;
}

void TestDesignScale::main_window()
{
    QFETCH(QString, name);
    QFETCH(double, points);
    auto *control = main->findChild<QLabel *>(name);
    QFETCH(QRect, expected);
    QVERIFY2(near(control->geometry(), expected), text(control->geometry()));
    control->ensurePolished();
    if (points > 0)
        QCOMPARE(qRound(control->font().pointSizeF() * 100), qRound(points * 100));
}

void TestDesignScale::professor_picture_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("covered");

    // f times as large from the top-left corner, clipped to 458 x 648.
    QTest::newRow("a small face") << QSize(100, 60) << QSize(184, 110);
    QTest::newRow("the design's own size") << QSize(250, 350) << QSize(458, 643);
    QTest::newRow("a larger face, clipped") << QSize(400, 500) << QSize(458, 648);
}

void TestDesignScale::professor_picture()
{
    QFETCH(QSize, picture);
    QFETCH(QSize, covered);
    auto *prof = main->findChild<QLabel *>(QStringLiteral("Prof"));
    QImage face(picture, QImage::Format_RGB32);
    face.fill(Qt::red);
    prof->setPixmap(QPixmap::fromImage(face));

    const QImage shown = prof->grab().toImage();
    QVERIFY2(near(where(shown, red), QRect(QPoint(0, 0), covered)), text(where(shown, red)));
    // Below and right of the picture the window's white shows.
    QCOMPARE(shown.pixel(shown.width() - 1, shown.height() - 1) == qRgb(255, 255, 255),
             covered != prof->size());
}

void TestDesignScale::typed_bubble_shows_what_a_whole_drawing_shows()
{
    // Two bubbles at twice their size: one typed into a character at a time,
    // one given the whole sentence at once. The sentence wraps once.
    const QString sentence =
        QStringLiteral("Ich kann Dir sagen an welchem Wochentag Du geboren wurdest,");
    QWidget window;
    window.resize(450, 200);
    QLabel *bubbles[2];
    for (int i = 0; i < 2; ++i) {
        bubbles[i] = new QLabel(QStringLiteral("Label1"), &window);
        bubbles[i]->setGeometry(0, 100 * i, 440, 97);
        bubbles[i]->setFont(QFont(QStringLiteral("Liberation Sans"), 12, QFont::Bold));
        bubbles[i]->setWordWrap(true);
        bubbles[i]->setTextFormat(Qt::PlainText);
        bubbles[i]->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }
    scale_window(window, 2.0);
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

void TestDesignScale::options_and_report_windows()
{
    Dialog &options = main->options_window();
    QCOMPARE(options.size(), QSize(744, 397));
    QCOMPARE(options.minimumSize(), options.maximumSize());
    auto *start = options.findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY2(near(start->geometry(), QRect(301, 309, 421, 75)), text(start->geometry()));
    QCOMPARE(start->iconSize(), QSize(59, 59));
    QCOMPARE(start->icon().actualSize(QSize(59, 59)), QSize(59, 59));
    QCOMPARE(options.Lotto(0)->font().pointSizeF(),
             QApplication::font(&options).pointSizeF() * f1920);

    bildschirm report;
    scale_window(report, f1920);
    QCOMPARE(report.size(), QSize(950, 1052));
    QVERIFY2(near(report.blatt()->geometry(), QRect(7, 88, 935, 957)),
             text(report.blatt()->geometry()));
    report.blatt()->set_font_size(10);
    report.blatt()->write_line(QStringLiteral("Auswertung"));
    QFont shown(report.blatt()->font());
    shown.setPointSizeF(10 * f1920);
    QCOMPARE(report.blatt()->get_y(), QFontMetricsF(shown, report.blatt()).lineSpacing());
}

void TestDesignScale::boxes_data()
{
    QTest::addColumn<int>("icon"); // QMessageBox::Icon, -1 for the input box

    QTest::newRow("error box") << int(QMessageBox::Critical);
    QTest::newRow("question without an icon") << int(QMessageBox::NoIcon);
    QTest::newRow("input box") << -1;
}

void TestDesignScale::boxes()
{
    QFETCH(int, icon);
    const auto make = [icon]() -> std::unique_ptr<QDialog> {
        if (icon < 0)
            return std::make_unique<QInputDialog>();
        return std::make_unique<QMessageBox>(QMessageBox::Icon(icon), QStringLiteral("Ende"),
                                             QStringLiteral("Wollen Sie das Programm beenden"));
    };
    const std::unique_ptr<QDialog> plain = make(), large = make();
    scale_box(*large, 2.0);
    plain->sizeHint(); // an input box lays itself out only then

    QCOMPARE(large->font().pointSizeF(), 2 * plain->font().pointSizeF());
    QCOMPARE(large->layout()->contentsMargins(), plain->layout()->contentsMargins() * 2);
    const auto icon_of = [](const QDialog &box) {
        return box.findChild<QLabel *>(QStringLiteral("qt_msgboxex_icon_label"))->pixmap();
    };
    if (icon > 0) {
        QCOMPARE(icon_of(*large).deviceIndependentSize(),
                 icon_of(*plain).deviceIndependentSize() * 2);
        QCOMPARE(static_cast<QMessageBox &>(*large).icon(), QMessageBox::Icon(icon));
    }
}

QTEST_MAIN(TestDesignScale)
#include "test_design_scale.moc"
