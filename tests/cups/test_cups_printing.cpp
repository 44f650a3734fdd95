#include "cups_jobs.h"
#include "report_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QSet>
#include <QTest>

using namespace cups_jobs;

class TestCupsPrinting : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void prints_one_page_on_the_default_printer();
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
