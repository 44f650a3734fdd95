#include "cups_jobs.h"
#include "printed_pdf.h"
#include "report_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace cups_jobs;

class TestCupsPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void prints_one_page_on_the_default_printer();
    void prints_on_the_printers_own_paper_data();
    void prints_on_the_printers_own_paper();
    void no_default_printer();
    void queue_refusing_jobs();
};

void TestCupsPrinting::initTestCase()
{
    verify_harness_scheduler();
}

void TestCupsPrinting::prints_one_page_on_the_default_printer()
{
    QCOMPARE(run(QStringLiteral("lpstat"), {QStringLiteral("-d")}).trimmed(),
             QStringLiteral("system default destination: quendra-test"));
    const QSet<int> before = jobs(QStringLiteral("all"));

    const std::optional<QString> failure = print_eva();
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));

    // Exactly one new job, and it finishes.
    const QList<int> added = finished_jobs_since(before);
    QCOMPARE(added.size(), 1);
    QCOMPARE(jobs(QStringLiteral("completed")) - before, QSet<int>{added.first()});

    // The spooled document is one PDF page with the report's text in it.
    const QString document = spool_document(added.first());
    QVERIFY2(QFile::exists(document), qPrintable(document));
    QCOMPARE(pages_of(added.first()), 1);
    const QString text = text_of(added.first(), TextLayout::reading_order);
    QVERIFY2(text.contains(QStringLiteral("Auswertung des Geburtsdatums:")), qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("Eva wurde am 5.3.1973 geboren, das war ein Montag.")));
    QVERIFY(text.contains(QStringLiteral("www.quendra.example.org")));
}

void TestCupsPrinting::prints_on_the_printers_own_paper_data()
{
    QTest::addColumn<QString>("paper");
    QTest::addColumn<QSizeF>("size"); // in millimetres
    QTest::newRow("A4") << QStringLiteral("A4") << QSizeF(210, 297);
    QTest::newRow("US Letter") << QStringLiteral("Letter") << QSizeF(215.9, 279.4);
    QTest::newRow("A5") << QStringLiteral("A5") << QSizeF(148, 210);
}

void TestCupsPrinting::prints_on_the_printers_own_paper()
{
    QFETCH(QString, paper);
    QFETCH(QSizeF, size);
    // A PostScript printer whose description has this paper as its default
    // and prints to within 12 points of each edge.
    const QString queue = QStringLiteral("quendra-") + paper;
    const QString device =
        QStringLiteral("file://") +
        QDir(qEnvironmentVariable("QUENDRA_CUPS_DIR")).filePath(QStringLiteral("out/") + queue);
    QCOMPARE(
        run_status(QStringLiteral("lpadmin"),
                   {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"), device,
                    QStringLiteral("-m"), QStringLiteral("drv:///sample.drv/generic.ppd"),
                    QStringLiteral("-o"), QStringLiteral("PageSize=") + paper}),
        0);
    QCOMPARE(run_status(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue}), 0);
    const QSet<int> before = jobs();
    const std::optional<QString> failure = print_eva();
    const QList<int> added = finished_jobs_since(before);
    // The queue takes its jobs' documents with it.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("job.pdf"));
    QFile::copy(spool_document(added.value(0)), pdf);
    run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QStringLiteral("quendra-test")});
    run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QCOMPARE(added.size(), 1);

    const QSizeF sent = printed_pdf::paper_size(pdf);
    QVERIFY2(std::abs(sent.width() - size.width()) < 0.5 &&
                 std::abs(sent.height() - size.height()) < 0.5,
             qPrintable(QStringLiteral("%1 x %2 mm").arg(sent.width()).arg(sent.height())));
    // Where the description lets the printer print, within a pixel of the
    // page read back as pixels; the text's boxes are exact.
    const double margin = 12 * printed_pdf::mm_per_pt;
    const QRectF printable = QRectF(QPointF(), size) - QMarginsF(margin, margin, margin, margin);
    const QRectF logo = printed_pdf::colour_area(printed_pdf::raster(pdf, dir), qRgb(0, 0, 200));
    qInfo("%s: %.1f x %.1f mm, the logo's bottom edge %.1f mm below the top", qPrintable(paper),
          sent.width(), sent.height(), logo.bottom());
    QVERIFY(printable.adjusted(0, 0, 0.6, 0.6).contains(logo));
    const QList<printed_pdf::TextBox> lines = printed_pdf::text_lines(pdf);
    QCOMPARE(lines.size(), 32);
    for (const printed_pdf::TextBox &line : lines)
        QVERIFY2(
            printable.adjusted(-0.1, -0.1, 0.1, 0.1)
                .contains(QRectF(QPointF(line.left, line.top), QPointF(line.right, line.bottom))),
            qPrintable(line.text));
}

void TestCupsPrinting::no_default_printer()
{
    QVERIFY(jobs(QStringLiteral("all")).isEmpty());
    const std::optional<QString> failure = print_eva();
    QCOMPARE(failure,
             std::optional<QString>(QStringLiteral("Es ist kein Standarddrucker eingerichtet.")));
    QVERIFY(jobs(QStringLiteral("all")).isEmpty());
}

void TestCupsPrinting::queue_refusing_jobs()
{
    // A default printer that exists but takes no jobs.
    const QString queue = QStringLiteral("quendra-refuses");
    const QString device =
        QStringLiteral("file://") +
        QDir(qEnvironmentVariable("QUENDRA_CUPS_DIR")).filePath(QStringLiteral("out/refused"));
    QCOMPARE(
        run_status(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue, QStringLiteral("-E"),
                                               QStringLiteral("-v"), device}),
        0);
    QCOMPARE(run_status(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue}), 0);
    QCOMPARE(run_status(QStringLiteral("cupsreject"), {queue}), 0);

    const std::optional<QString> failure = print_eva();
    run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});

    QVERIFY(failure.has_value());
    QVERIFY2(failure->startsWith(QStringLiteral("Der Drucker „quendra-refuses“ hat den Auftrag "
                                                "nicht angenommen")),
             qPrintable(*failure));
    QVERIFY(jobs(QStringLiteral("all")).isEmpty());
}

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TestCupsPrinting test;
    return QTest::qExec(&test, argc, argv);
}
#include "test_cups_printing.moc"
