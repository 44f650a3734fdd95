#include "accessibility.h"
#include "drawing_area.h"
#include "pixels.h"
#include "recording_surface.h"
#include "report_fixture.h"
#include "report_lines.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QLabel>
#include <QTest>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformaccessibility.h>
#include <qpa/qplatformintegration.h>

namespace {

using support::dark_pixels;

QStringList told_readers; // the texts the sheet told readers of, in order

void note_new_text(QAccessibleEvent *event)
{
    if (event->type() == QAccessible::TextUpdated)
        told_readers << static_cast<QAccessibleTextUpdateEvent *>(event)->textInserted();
}

bool all_white(const QImage &image)
{
    return support::matching_pixels(image, [](QRgb p) { return qRgb(255, 255, 255) != p; })
        .isEmpty();
}

// The sheet as the report window has it: inside a window, at its place, with
// its sunken two-pixel frame.
struct Sheet
{
    QWidget window;
    DrawingArea *area = new DrawingArea(&window);

    Sheet()
    {
        window.resize(517, 573);
        area->setGeometry(4, 48, 509, 521);
    }

    void set_font(double points, bool bold = false)
    {
        area->set_font_name(QStringLiteral("Times New Roman"));
        area->set_font_size(points);
        area->set_bold(bold);
        area->set_underline(false);
    }

    QImage grabbed() const
    {
        return area->grab(area->contentsRect()).toImage().convertToFormat(QImage::Format_RGB32);
    }

    qreal ratio() const { return area->devicePixelRatioF(); }
};

} // namespace

class TestDrawingArea : public QObject
{
    Q_OBJECT

private slots:
    void drawn_while_hidden_is_there_when_shown();
    void clear_empties_to_white_and_goes_to_the_top();
    void empty_line_moves_like_a_written_one_data();
    void empty_line_moves_like_a_written_one();
    void set_y_moves_the_next_line();
    void lines_as_large_as_on_a_widget_one_below_the_other_data();
    void lines_as_large_as_on_a_widget_one_below_the_other();
    void image_covers_the_inside_at_the_screens_pixel_ratio();
    void readers_get_the_lines_and_each_new_report();
};

void TestDrawingArea::drawn_while_hidden_is_there_when_shown()
{
    Sheet sheet;
    write_report_lines(eva(), *sheet.area, OutputKind::screen, Clock::pinned(pinned_now()));
    QVERIFY(!sheet.window.isVisible());

    sheet.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet.window));
    const QImage shown = sheet.grabbed();
    QCOMPARE(shown, sheet.area->image().convertToFormat(QImage::Format_RGB32));
    // 34 lines of text: dark pixels from the top of the sheet well down.
    const QRect text = dark_pixels(shown);
    QVERIFY(!text.isEmpty());
    QVERIFY2(text.top() / sheet.ratio() < 4, qPrintable(QString::number(text.top())));
    QVERIFY2(text.bottom() / sheet.ratio() > 300, qPrintable(QString::number(text.bottom())));

    // Hidden and shown again, and painted over: the same sheet.
    sheet.window.hide();
    sheet.window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&sheet.window));
    sheet.area->repaint();
    QCOMPARE(sheet.grabbed(), shown);
}

void TestDrawingArea::clear_empties_to_white_and_goes_to_the_top()
{
    Sheet sheet;
    sheet.set_font(10);
    for (int i = 0; i < 5; ++i)
        sheet.area->write_line(QStringLiteral("Zeile %1").arg(i));
    QVERIFY(!all_white(sheet.area->image()));

    sheet.area->clear();
    QVERIFY(all_white(sheet.area->image()));
    QCOMPARE(sheet.area->get_y(), 0.0);
    QVERIFY(sheet.area->lines().isEmpty());

    sheet.area->write_line(QStringLiteral("Neu"));
    QCOMPARE(sheet.area->lines().size(), 1);
    QCOMPARE(sheet.area->lines().first().text, QStringLiteral("Neu"));
    const QRect text = dark_pixels(sheet.area->image());
    QVERIFY(!text.isEmpty());
    QVERIFY(text.bottom() / sheet.ratio() < sheet.area->get_y());
    QVERIFY(text.left() / sheet.ratio() < 3);
}

void TestDrawingArea::empty_line_moves_like_a_written_one_data()
{
    QTest::addColumn<double>("points");
    QTest::addColumn<bool>("bold");

    QTest::newRow("10 pt bold") << 10.0 << true;
    QTest::newRow("8 pt") << 8.0 << false;
    QTest::newRow("6.5 pt") << 6.5 << false;
}

void TestDrawingArea::empty_line_moves_like_a_written_one()
{
    QFETCH(double, points);
    QFETCH(bool, bold);

    Sheet written, empty;
    written.set_font(points, bold);
    empty.set_font(points, bold);
    written.area->write_line(QStringLiteral("Text"));
    empty.area->write_empty_line();
    QVERIFY(written.area->get_y() > points);
    QCOMPARE(empty.area->get_y(), written.area->get_y());
    QVERIFY(all_white(empty.area->image()));
}

void TestDrawingArea::set_y_moves_the_next_line()
{
    Sheet sheet;
    sheet.set_font(10);
    sheet.area->set_y(200);
    QCOMPARE(sheet.area->get_y(), 200.0);
    sheet.area->write_line(QStringLiteral("Hier"));
    const QRect text = dark_pixels(sheet.area->image());
    QVERIFY(text.top() / sheet.ratio() >= 200);
    QVERIFY(text.bottom() / sheet.ratio() < sheet.area->get_y());
}

void TestDrawingArea::lines_as_large_as_on_a_widget_one_below_the_other_data()
{
    QTest::addColumn<double>("points");

    QTest::newRow("6.5 pt") << 6.5;
    QTest::newRow("10 pt") << 10.0;
    QTest::newRow("16 pt") << 16.0;
}

void TestDrawingArea::lines_as_large_as_on_a_widget_one_below_the_other()
{
    QFETCH(double, points);

    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(points);
    QLabel label(QStringLiteral("HHH"));
    label.setFont(font);
    label.setAutoFillBackground(true);
    label.setPalette(QPalette(Qt::black, Qt::white));
    label.resize(200, 80);
    const QRect on_widget = dark_pixels(label.grab().toImage());

    // Two lines, each at the left edge, one line spacing below the other.
    Sheet sheet;
    sheet.set_font(points);
    sheet.area->write_line(QStringLiteral("HHH"));
    sheet.area->write_line(QStringLiteral("HHH"));
    const double line = QFontMetricsF(font, sheet.area).lineSpacing();
    QCOMPARE(sheet.area->get_y(), 2 * line);
    const QImage image = sheet.area->image();
    const double r = sheet.ratio();
    const QRect on_sheet = dark_pixels(image, QRect(0, 0, image.width(), int(line * r)));
    const QRect second =
        dark_pixels(image, QRect(0, int(line * r), image.width(), int(line * r) + 1));

    QVERIFY(!on_widget.isEmpty() && !on_sheet.isEmpty() && !second.isEmpty());
    QVERIFY(on_sheet.left() / r < 3);
    QCOMPARE(second.left(), on_sheet.left());
    QVERIFY(std::abs((second.top() - on_sheet.top()) / r - line) <= 1);
    QVERIFY2(
        std::abs(on_widget.height() - on_sheet.height()) <= 1,
        qPrintable(
            QStringLiteral("widget %1, sheet %2").arg(on_widget.height()).arg(on_sheet.height())));
    QVERIFY(std::abs(on_widget.width() - on_sheet.width()) <= 2);
}

void TestDrawingArea::image_covers_the_inside_at_the_screens_pixel_ratio()
{
    Sheet sheet;
    const qreal expected = qEnvironmentVariableIsSet("QT_SCALE_FACTOR")
                               ? qEnvironmentVariable("QT_SCALE_FACTOR").toDouble()
                               : 1.0;
    QCOMPARE(sheet.ratio(), expected);

    const QImage image = sheet.area->image();
    QCOMPARE(sheet.area->contentsRect(), QRect(2, 2, 505, 517));
    QCOMPARE(image.devicePixelRatio(), expected);
    QCOMPARE(image.size(), QSize(qRound(505 * expected), qRound(517 * expected)));

    // Drawn at the full resolution: a capital is as many device pixels tall
    // as the screen's ratio makes it, not a doubled small one.
    sheet.set_font(16);
    sheet.area->write_line(QStringLiteral("H"));
    QFont font(QStringLiteral("Times New Roman"));
    font.setPointSizeF(16);
    const double cap = QFontMetricsF(font, sheet.area).capHeight();
    const QRect ink = dark_pixels(sheet.area->image());
    QVERIFY2(std::abs(ink.height() - cap * expected) <= 2,
             qPrintable(QStringLiteral("ink %1, cap height %2").arg(ink.height()).arg(cap)));
}

void TestDrawingArea::readers_get_the_lines_and_each_new_report()
{
    install_accessibility();
    QAccessible::installUpdateHandler(note_new_text);
    // As if a reader were listening; the handler takes what it would hear.
    QGuiApplicationPrivate::platformIntegration()->accessibility()->setActive(true);
    Sheet sheet;
    RecordingSurface recorded;
    for (ReportSurface *surface : std::initializer_list<ReportSurface *>{sheet.area, &recorded})
        write_report_lines(eva(), *surface, OutputKind::screen, Clock::pinned(pinned_now()));
    const QString report = recorded.texts().join(QLatin1Char('\n'));
    QAccessibleTextInterface *text =
        QAccessible::queryAccessibleInterface(sheet.area)->textInterface();
    QVERIFY(text);
    QCOMPARE(text->text(0, text->characterCount()), report);
    QTRY_COMPARE(told_readers, QStringList{report}); // once, when the report is written

    // Where a character is drawn is where a reader's pointer finds it.
    const int offset = int(report.indexOf(QStringLiteral("Montag")));
    QCOMPARE(text->offsetAtPoint(text->characterRect(offset).center()), offset);

    // A new report is told once and read from its first line.
    text->setCursorPosition(offset);
    sheet.area->clear();
    sheet.area->write_line(QStringLiteral("Der Nächste"));
    QTRY_COMPARE(told_readers.size(), 2);
    QCOMPARE(told_readers.last(), QStringLiteral("Der Nächste"));
    QCOMPARE(text->cursorPosition(), 0);
}

QTEST_MAIN(TestDrawingArea)
#include "test_drawing_area.moc"
