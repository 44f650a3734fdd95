// The default printer is deleted between two printed reports, as happens when
// someone unplugs it or tidies up the printer settings during the party.
// The next report must come back with a German reason (never a crash, never
// a success for a page that went nowhere), and once the printer is back the
// report after that prints again, without restarting the program.
//
// Runs on the private CUPS scheduler of tests/cups/cups_harness.sh; the
// harness's own default queue is given back at the end.

#include "printed_report.h"
#include "report_fixture.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

const QString queue = QStringLiteral("quendra-weg");
const QString harness_queue = QStringLiteral("quendra-test");

// Runs a CUPS command line against the harness's scheduler (named by this
// process's environment); the exit status, -1 when it did not finish.
int run(const QString &program, const QStringList &arguments, QString *output = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (output)
        *output = QString::fromUtf8(process.readAllStandardOutput());
    return finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

// The ids of every job the scheduler knows, finished or not, on any queue.
QSet<int> all_jobs()
{
    QString list;
    run(QStringLiteral("lpstat"),
        {QStringLiteral("-W"), QStringLiteral("all"), QStringLiteral("-o")}, &list);
    QSet<int> ids;
    static const QRegularExpression job(QStringLiteral("^\\S+-(\\d+)\\s"),
                                        QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : job.globalMatch(list))
        ids.insert(m.captured(1).toInt());
    return ids;
}

// Waits until the scheduler has finished every job it holds (at most a minute).
bool all_jobs_finished()
{
    for (int tries = 0; tries < 300; ++tries) {
        QString pending;
        run(QStringLiteral("lpstat"),
            {QStringLiteral("-W"), QStringLiteral("not-completed"), QStringLiteral("-o")},
            &pending);
        if (pending.trimmed().isEmpty())
            return true;
        QTest::qWait(200);
    }
    return false;
}

bool add_default_queue()
{
    const QString device =
        QStringLiteral("file://") +
        QDir(qEnvironmentVariable("QUENDRA_CUPS_DIR")).filePath(QStringLiteral("out/") + queue);
    return run(QStringLiteral("lpadmin"), {QStringLiteral("-p"), queue, QStringLiteral("-E"),
                                           QStringLiteral("-v"), device}) == 0 &&
           run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue}) == 0;
}

// The per-user printer choices; the harness gives the tests a HOME of their own.
QString user_options_file()
{
    return QDir(qEnvironmentVariable("HOME")).filePath(QStringLiteral(".cups/lpoptions"));
}

QImage picture(QRgb colour)
{
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

std::optional<QString> print_eva()
{
    const PinnedClock clock(pinned_now());
    return print_report(eva(), picture(qRgb(200, 0, 0)), picture(qRgb(0, 0, 200)));
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
    // Only ever the harness's scheduler.
    QVERIFY2(qEnvironmentVariable("CUPS_SERVER").endsWith(QStringLiteral("/cups.sock")),
             "CUPS_SERVER must name the test harness's socket");
    QVERIFY(!qEnvironmentVariable("QUENDRA_CUPS_DIR").isEmpty());
    QVERIFY(qEnvironmentVariable("HOME").startsWith(qEnvironmentVariable("QUENDRA_CUPS_DIR")));
    QString state;
    run(QStringLiteral("lpstat"), {QStringLiteral("-r")}, &state);
    QCOMPARE(state.trimmed(), QStringLiteral("scheduler is running"));
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
    QSet<int> known = all_jobs();

    // The first report goes out.
    std::optional<QString> failure = print_eva();
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QVERIFY(all_jobs_finished());
    QCOMPARE((all_jobs() - known).size(), 1);
    known = all_jobs();

    // The printer goes away; the next report says why it cannot print.
    QCOMPARE(run(QStringLiteral("lpadmin"), {QStringLiteral("-x"), queue}), 0);
    failure = print_eva();
    QVERIFY2(failure.has_value(), "a report without a printer was reported as printed");
    QVERIFY2(is_german_reason(*failure), qPrintable(*failure));
    QVERIFY(all_jobs_finished());
    QCOMPARE(all_jobs() - known, QSet<int>());

    // Back again: the same process prints as before.
    QVERIFY(add_default_queue());
    failure = print_eva();
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));
    QVERIFY(all_jobs_finished());
    QCOMPARE((all_jobs() - known).size(), 1);
}

QTEST_MAIN(TestVanishingPrinter)
#include "test_vanishing_printer.moc"
