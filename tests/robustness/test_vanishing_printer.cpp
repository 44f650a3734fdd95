// The default printer is deleted between two printed reports, as happens when
// someone unplugs it or tidies up the printer settings during the party.
// The next report must come back with a German reason (never a crash, never
// a success for a page that went nowhere), and once the printer is back the
// report after that prints again, without restarting the program.
//
// Runs on the private CUPS scheduler of tests/cups/cups_harness.sh; the
// harness's own default queue is given back at the end.

#include "cups_jobs.h"
#include "report_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QTest>

using namespace cups_jobs;

namespace {

const QString queue = QStringLiteral("quendra-weg");
const QString harness_queue = QStringLiteral("quendra-test");

bool add_default_queue()
{
    const QString device =
        QStringLiteral("file://") +
        QDir(qEnvironmentVariable("QUENDRA_CUPS_DIR")).filePath(QStringLiteral("out/") + queue);
    return run_status(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue, QStringLiteral("-E"),
                                                  QStringLiteral("-v"), device}) == 0 &&
           run_status(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue}) == 0;
}

// The per-user printer choices; the harness gives the tests a HOME of their own.
QString user_options_file()
{
    return QDir(qEnvironmentVariable("HOME")).filePath(QStringLiteral(".cups/lpoptions"));
}

// The reasons the printed report gives; each names what went wrong in German.
bool is_german_reason(const QString &reason)
{
    static const QStringList known = {
        QStringLiteral("Es ist kein Standarddrucker eingerichtet."),
        QStringLiteral("Der Drucker „%1“ ist nicht verfügbar.").arg(queue),
        QStringLiteral("Der Drucker „%1“ hat den Auftrag nicht angenommen: ").arg(queue),
        QStringLiteral("Der Druck konnte nicht begonnen werden."),
        QStringLiteral("Der Druck konnte nicht abgeschlossen werden."),
    };
    for (const QString &start : known) {
        if (reason.startsWith(start))
            return true;
    }
    return false;
}

} // namespace

class TestVanishingPrinter : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void cleanup();
    void queue_deleted_between_two_reports_data();
    void queue_deleted_between_two_reports();
};

void TestVanishingPrinter::initTestCase()
{
    verify_harness_scheduler();
    QVERIFY(qEnvironmentVariable("HOME").startsWith(qEnvironmentVariable("QUENDRA_CUPS_DIR")));
}

void TestVanishingPrinter::cleanupTestCase()
{
    run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue});
    run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), harness_queue});
}

void TestVanishingPrinter::cleanup()
{
    QFile::remove(user_options_file());
}

void TestVanishingPrinter::queue_deleted_between_two_reports_data()
{
    QTest::addColumn<bool>("user_default");
    QTest::newRow("the scheduler's default") << false;
    // The desktop's own choice, kept in the user's lpoptions, outlives the
    // queue it names.
    QTest::newRow("the user's default") << true;
}

void TestVanishingPrinter::queue_deleted_between_two_reports()
{
    QFETCH(bool, user_default);
    QVERIFY(add_default_queue());
    if (user_default) {
        QVERIFY(QDir().mkpath(QFileInfo(user_options_file()).path()));
        QFile options(user_options_file());
        QVERIFY(options.open(QIODevice::WriteOnly));
        options.write("Default " + queue.toUtf8() + '\n');
    }
    QSet<int> known = jobs();

    // The first report goes out.
    std::optional<QString> failure = print_eva();
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QCOMPARE(finished_jobs_since(known).size(), 1);
    known = jobs();

    // The printer goes away; the next report says why it cannot print.
    QCOMPARE(run_status(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue}), 0);
    failure = print_eva();
    QVERIFY2(failure.has_value(), "a report without a printer was reported as printed");
    QVERIFY2(is_german_reason(*failure), qPrintable(*failure));
    QVERIFY(jobs_finished());
    QCOMPARE(jobs() - known, QSet<int>());

    // Back again: the same process prints as before.
    QVERIFY(add_default_queue());
    failure = print_eva();
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QCOMPARE(finished_jobs_since(known).size(), 1);
}

QTEST_MAIN(TestVanishingPrinter)
#include "test_vanishing_printer.moc"
