#include "cups_jobs.h"
#include "printed_pdf.h"
#include "report_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

using namespace cups_jobs;

namespace {

// A queue of the private scheduler that prints into a file of its own,
// made the default printer.
bool add_default_queue(const QString &queue, const QStringList &options = {})
{
    const QString device =
        QStringLiteral("file://") +
        QDir(qEnvironmentVariable("QUENDRA_CUPS_DIR")).filePath(QStringLiteral("out/") + queue);
    return run_status(QStringLiteral("lpadmin"),
                      QStringList{QStringLiteral("-p"), queue, QStringLiteral("-E"),
                                  QStringLiteral("-v"), device} +
                          options) == 0 &&
           run_status(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue}) == 0;
}

void remove_queue(const QString &queue)
{
    run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), QStringLiteral("quendra-test")});
    run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
}

// The per-user printer choices; the harness gives the tests a HOME of their own.
QString user_options_file()
{
    return QDir(qEnvironmentVariable("HOME")).filePath(QStringLiteral(".cups/lpoptions"));
}

} // namespace

class TestCupsPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();
    void prints_one_page_on_the_default_printer();
    void prints_on_the_printers_own_paper_data();
    void prints_on_the_printers_own_paper();
    void queue_deleted_between_two_reports_data();
    void queue_deleted_between_two_reports();
    void no_default_printer();
    void queue_refusing_jobs();
};

void TestCupsPrinting::initTestCase()
{
    verify_harness_scheduler();
    QVERIFY(qEnvironmentVariable("HOME").startsWith(qEnvironmentVariable("QUENDRA_CUPS_DIR")));
}

void TestCupsPrinting::cleanup()
{
    QFile::remove(user_options_file());
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
    QCOMPARE(printed_pdf::page_count(spool_document(added.first())), 1);
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
    QVERIFY(add_default_queue(queue, {QStringLiteral("-m"),
                                      QStringLiteral("drv:///sample.drv/generic.ppd"),
                                      QStringLiteral("-o"), QStringLiteral("PageSize=") + paper}));
    const QSet<int> before = jobs();
    const std::optional<QString> failure = print_eva();
    const QList<int> added = finished_jobs_since(before);
    // The queue takes its jobs' documents with it.
    QTemporaryDir dir;
    const QString pdf = dir.filePath(QStringLiteral("job.pdf"));
    QFile::copy(spool_document(added.value(0)), pdf);
    remove_queue(queue);
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

// The default printer deleted between two printed reports, as when someone
// unplugs it or tidies up the printer settings during the party. The next
// report comes back with a German reason, never a crash nor a success for a
// page that went nowhere, and once the printer is back the report after that
// prints again, without restarting the program.
void TestCupsPrinting::queue_deleted_between_two_reports_data()
{
    QTest::addColumn<bool>("user_default");
    QTest::newRow("the scheduler's default") << false;
    // The desktop's own choice, kept in the user's lpoptions, outlives the
    // queue it names.
    QTest::newRow("the user's default") << true;
}

void TestCupsPrinting::queue_deleted_between_two_reports()
{
    QFETCH(bool, user_default);
    const QString queue = QStringLiteral("quendra-weg");
    QVERIFY(add_default_queue(queue));
    if (user_default) {
        QVERIFY(QDir().mkpath(QFileInfo(user_options_file()).path()));
        QFile options(user_options_file());
        QVERIFY(options.open(QIODevice::WriteOnly));
        options.write("Default " + queue.toUtf8() + '\n');
    }
    QSet<int> known = jobs();
    std::optional<QString> failure = print_eva();
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QCOMPARE(finished_jobs_since(known).size(), 1);
    known = jobs();

    // The printer goes away; the next report says why it cannot print.
    QCOMPARE(run_status(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue}), 0);
    failure = print_eva();
    QVERIFY2(failure.has_value(), "a report without a printer was reported as printed");
    const QStringList reasons = {
        QStringLiteral("Es ist kein Standarddrucker eingerichtet."),
        QStringLiteral("Der Drucker „%1“ ist nicht verfügbar.").arg(queue),
        QStringLiteral("Der Drucker „%1“ hat den Auftrag nicht angenommen: ").arg(queue),
        QStringLiteral("Der Druck konnte nicht begonnen werden."),
        QStringLiteral("Der Druck konnte nicht abgeschlossen werden."),
    };
    QVERIFY2(std::any_of(reasons.begin(), reasons.end(),
                         [&](const QString &reason) { return failure->startsWith(reason); }),
             qPrintable(*failure));
    QVERIFY(jobs_finished());
    QCOMPARE(jobs() - known, QSet<int>());

    // Back again: the same process prints as before.
    QVERIFY(add_default_queue(queue));
    failure = print_eva();
    const qsizetype printed = finished_jobs_since(known).size();
    remove_queue(queue);
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QCOMPARE(printed, 1);
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
    QVERIFY(add_default_queue(queue));
    QCOMPARE(run_status(QStringLiteral("cupsreject"), {queue}), 0);

    const std::optional<QString> failure = print_eva();
    remove_queue(queue);

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
