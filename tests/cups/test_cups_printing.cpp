#include "printed_report.h"
#include "report_fixture.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QTest>

namespace {

// Runs a CUPS or poppler command line with this process's environment, which
// names the harness's scheduler.
QString run(const QString &program, const QStringList &arguments, int *exit_code = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(60000);
    if (exit_code)
        *exit_code = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The ids of the jobs the scheduler knows in the given state ("all",
// "completed", "not-completed").
QSet<int> jobs(const QString &which)
{
    const QString list =
        run(QStringLiteral("lpstat"), {QStringLiteral("-W"), which, QStringLiteral("-o")});
    QSet<int> ids;
    static const QRegularExpression job(QStringLiteral("^\\S+-(\\d+)\\s"),
                                        QRegularExpression::MultilineOption);
    for (const QRegularExpressionMatch &m : job.globalMatch(list))
        ids.insert(m.captured(1).toInt());
    return ids;
}

QString spool_file(int job)
{
    return QDir(qEnvironmentVariable("QUENDRA_CUPS_DIR"))
        .filePath(QStringLiteral("spool/d%1-001").arg(job, 5, 10, QLatin1Char('0')));
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

} // namespace

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
    // Only ever the harness's scheduler.
    QVERIFY2(qEnvironmentVariable("CUPS_SERVER").endsWith(QStringLiteral("/cups.sock")),
             "CUPS_SERVER must name the test harness's socket");
    QVERIFY(!qEnvironmentVariable("QUENDRA_CUPS_DIR").isEmpty());
    QCOMPARE(run(QStringLiteral("lpstat"), {QStringLiteral("-r")}).trimmed(),
             QStringLiteral("scheduler is running"));
}

void TestCupsPrinting::prints_one_page_on_the_default_printer()
{
    QCOMPARE(run(QStringLiteral("lpstat"), {QStringLiteral("-d")}).trimmed(),
             QStringLiteral("system default destination: quendra-test"));
    const QSet<int> before = jobs(QStringLiteral("all"));

    const std::optional<QString> failure = print_eva();
    QVERIFY2(!failure, qPrintable(failure.value_or(QString())));

    // Exactly one new job, and it finishes.
    QSet<int> added;
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 60000) {
        added = jobs(QStringLiteral("completed")) - before;
        if (!added.isEmpty() && (jobs(QStringLiteral("not-completed")) - before).isEmpty())
            break;
        QTest::qWait(200);
    }
    QCOMPARE(added.size(), 1);
    QCOMPARE(jobs(QStringLiteral("all")) - before, added);

    // The spooled document is one PDF page with the report's text in it.
    const QString document = spool_file(*added.begin());
    QVERIFY2(QFile::exists(document), qPrintable(document));
    const QString info = run(QStringLiteral("pdfinfo"), {document});
    QVERIFY2(
        QRegularExpression(QStringLiteral("^Pages:\\s+1$"), QRegularExpression::MultilineOption)
            .match(info)
            .hasMatch(),
        qPrintable(info));
    const QString text = run(QStringLiteral("pdftotext"), {document, QStringLiteral("-")});
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
    int status = -1;
    run(QStringLiteral("lpadmin"),
        {QStringLiteral("-p"), queue, QStringLiteral("-E"), QStringLiteral("-v"), device}, &status);
    QCOMPARE(status, 0);
    run(QStringLiteral("lpadmin"), {QStringLiteral("-d"), queue}, &status);
    QCOMPARE(status, 0);
    run(QStringLiteral("cupsreject"), {queue}, &status);
    QCOMPARE(status, 0);

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
