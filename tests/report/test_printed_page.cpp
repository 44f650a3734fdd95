#include "printed_pdf.h"
#include "printed_report.h"
#include "recording_surface.h"
#include "report_fixture.h"
#include "report_lines.h"

#include <QApplication>
#include <QFile>
#include <QPageLayout>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using namespace printed_pdf;

namespace {

QImage filled(QSize size, QRgb colour)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

const QRgb header_colour = qRgb(220, 0, 0);
const QRgb logo_colour = qRgb(0, 0, 220);

// One printed page in a PDF file, as print_report prints it on paper.
struct PrintedPage
{
    QTemporaryDir dir;
    QString pdf = dir.filePath(QStringLiteral("seite.pdf"));
    QRectF printable; // in millimetres on the paper
    std::optional<QString> failure;
    QList<QString> expected_lines;

    PrintedPage(const AnalysisResult &result, const std::optional<QMarginsF> &margins = {},
                QImage header = filled({900, 325}, header_colour),
                QImage logo = filled({900, 240}, logo_colour))
    {
        const Clock clock = Clock::pinned(pinned_now());
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        if (margins)
            printer.setPageMargins(*margins, QPageLayout::Millimeter);
        printable = printer.pageLayout().paintRect(QPageLayout::Millimeter);
        failure = print_report_page(result, header, logo, clock, printer);

        RecordingSurface surface;
        write_report_lines(result, surface, OutputKind::printer, clock);
        for (const RecordingSurface::Line &line : surface.lines) {
            if (!line.empty)
                expected_lines << line.text;
        }
    }
};

} // namespace

class TestPrintedPage : public QObject
{
    Q_OBJECT

private slots:
    void page_data();
    void page();
    void printer_that_cannot_start();
    void missing_pictures_leave_their_place_empty();
};

void TestPrintedPage::page_data()
{
    QTest::addColumn<int>("age_days");
    QTest::addColumn<std::optional<QMarginsF>>("margins");
    QTest::addColumn<int>("line_count");
    QTest::addColumn<bool>("scaled");

    QTest::newRow("youngest, default margins") << 1 << std::optional<QMarginsF>() << 29 << false;
    QTest::newRow("all 34 lines, default margins")
        << 19634 << std::optional<QMarginsF>() << 32 << false;
    QTest::newRow("all 34 lines, wide margins")
        << 19634 << std::optional<QMarginsF>(QMarginsF(12, 3, 5, 5)) << 32 << false;
    // 272 mm high, 185 mm wide: about 10 mm and 3 mm short of the whole page.
    QTest::newRow("all 34 lines, too little height")
        << 19634 << std::optional<QMarginsF>(QMarginsF(12, 20, 5, 5)) << 32 << true;
    QTest::newRow("all 34 lines, too little width")
        << 19634 << std::optional<QMarginsF>(QMarginsF(20, 3, 5, 5)) << 32 << true;
}

void TestPrintedPage::page()
{
    QFETCH(int, age_days);
    QFETCH(std::optional<QMarginsF>, margins);
    QFETCH(int, line_count);
    QFETCH(bool, scaled);

    const PrintedPage page(analysed_days_old(age_days), margins);
    QVERIFY2(!page.failure, qPrintable(page.failure.value_or(QString())));
    QCOMPARE(page_count(page.pdf), 1);
    QCOMPARE(image_count(page.pdf), 2);

    // The lines in order, at the left edge of the printable area, the first
    // one's top right below the header.
    const QList<TextBox> lines = text_lines(page.pdf);
    QList<QString> texts;
    for (const TextBox &line : lines)
        texts << line.text;
    QCOMPARE(texts.size(), line_count);
    QCOMPARE(texts, page.expected_lines);

    // The header picture above the text, the logo right below the last line
    // (so higher up where lines are left out);
    // all of it smaller by one factor where it would not fit, and then it
    // just fits.
    const QImage raster_page = raster(page.pdf, page.dir);
    QVERIFY(!raster_page.isNull());
    const QRectF header = colour_area(raster_page, header_colour);
    const QRectF logo = colour_area(raster_page, logo_colour);
    // Edges are blended into one pixel of the raster on either side.
    const double px = 25.4 / raster_dpi + 0.05;
    // The factor, if any, as the header's width shows it.
    const double f = header.width() / 180;
    QCOMPARE(f < 0.995, scaled);
    QVERIFY(logo.bottom() <= page.printable.bottom() + 2 * px);
    QVERIFY(logo.right() <= page.printable.right() + 2 * px);
    if (scaled)
        QVERIFY(logo.bottom() > page.printable.bottom() - 1 ||
                logo.right() > page.printable.right() - 1);

    const double first_top = lines.first().top - page.printable.top();
    QVERIFY2(std::abs(first_top - 65 * f) <= 0.5,
             qPrintable(QStringLiteral("first line at %1 mm").arg(first_top)));
    for (const TextBox &line : lines) {
        const double left = line.left - page.printable.left();
        QVERIFY2(left >= -0.1 && left < 1, qPrintable(line.text + QString::number(left)));
    }
    const QPointF origin = page.printable.topLeft();
    QVERIFY2(std::abs(header.left() - origin.x() - 8 * f) <= px,
             qPrintable(QString::number(header.left())));
    QVERIFY(std::abs(header.top() - origin.y()) <= px);
    QVERIFY(std::abs(header.width() - 180) <= 2 * px || scaled);
    QVERIFY(std::abs(header.height() - 65 * f) <= 2 * px);
    QVERIFY(std::abs(logo.left() - origin.x() - 8 * f) <= px);
    QVERIFY(std::abs(logo.width() - 180 * f) <= 2 * px);
    QVERIFY(std::abs(logo.height() - 48 * f) <= 2 * px);
    const double gap = logo.top() - lines.last().bottom;
    QVERIFY2(gap >= -px && gap < 1, qPrintable(QStringLiteral("gap %1 mm").arg(gap)));
}

void TestPrintedPage::printer_that_cannot_start()
{
    QTemporaryDir dir;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString pdf = dir.filePath(QStringLiteral("fehlt/seite.pdf"));
    printer.setOutputFileName(pdf);

    QTest::ignoreMessage(QtWarningMsg, "QPainter::begin(): Returned false");
    const std::optional<QString> failure = print_report_page(
        eva(), filled({10, 10}, header_colour), QImage(), Clock::pinned(pinned_now()), printer);
    QVERIFY(failure.has_value());
    QVERIFY(!failure->isEmpty());
    QVERIFY(!QFile::exists(pdf));
}

void TestPrintedPage::missing_pictures_leave_their_place_empty()
{
    const PrintedPage page(eva(), {}, QImage(), QImage());
    QVERIFY(!page.failure);
    QCOMPARE(image_count(page.pdf), 0);
    const QList<TextBox> lines = text_lines(page.pdf);
    QCOMPARE(lines.size(), 32);
    QVERIFY(std::abs(lines.first().top - page.printable.top() - 65) < 1);
}

int main(int argc, char **argv)
{
    // Printing needs the platform's fonts, but no window.
    QApplication app(argc, argv);
    TestPrintedPage test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_printed_page.moc"
