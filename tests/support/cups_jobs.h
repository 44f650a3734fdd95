#pragma once

// The jobs of the private CUPS scheduler that tests/cups/cups_harness.sh
// starts. Every command runs with this process's environment, which names
// that scheduler (CUPS_SERVER) and its folder (QUENDRA_CUPS_DIR).

#include <QDir>
#include <QElapsedTimer>
#include <QList>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QTest>

#include <algorithm>

namespace cups_jobs {

/// The standard output of a CUPS or poppler command line; its exit status in
/// exit_code, -1 when it did not finish within a minute or crashed.
inline QString run(const QString &program, const QStringList &arguments, int *exit_code = nullptr)
{
    QProcess process;
    process.start(program, arguments);
    const bool finished = process.waitForFinished(60000);
    if (exit_code)
        *exit_code =
            finished && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

/// The exit status of a command line, -1 as for run().
inline int run_status(const QString &program, const QStringList &arguments)
{
    int status = -1;
    run(program, arguments, &status);
    return status;
}

/// Fails the current test unless the scheduler is the harness's own and
/// running; never a printer of the machine.
inline void verify_harness_scheduler()
{
    QVERIFY2(qEnvironmentVariable("CUPS_SERVER").endsWith(QStringLiteral("/cups.sock")),
             "CUPS_SERVER must name the test harness's socket");
    QVERIFY(!qEnvironmentVariable("QUENDRA_CUPS_DIR").isEmpty());
    QCOMPARE(run(QStringLiteral("lpstat"), {QStringLiteral("-r")}).trimmed(),
             QStringLiteral("scheduler is running"));
}

/// The ids of the jobs the scheduler knows in the given state ("all",
/// "completed", "not-completed"), on any queue.
inline QSet<int> jobs(const QString &which = QStringLiteral("all"))
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

/// Polls condition until it holds or a minute has passed; whether it held.
template <typename Condition> bool within_a_minute(Condition condition)
{
    QElapsedTimer waited;
    waited.start();
    while (!condition()) {
        if (waited.elapsed() >= 60000)
            return false;
        QTest::qWait(200);
    }
    return true;
}

/// Waits until the scheduler has finished every job not in before (at most
/// a minute); whether it did.
inline bool jobs_finished(const QSet<int> &before = {})
{
    return within_a_minute(
        [&] { return (jobs(QStringLiteral("not-completed")) - before).isEmpty(); });
}

/// The jobs added since before, in the order they came, once there is at
/// least one and the scheduler has finished all of them (at most a minute).
inline QList<int> finished_jobs_since(const QSet<int> &before)
{
    within_a_minute([&] {
        return !(jobs() - before).isEmpty() &&
               (jobs(QStringLiteral("not-completed")) - before).isEmpty();
    });
    QList<int> added = (jobs() - before).values();
    std::sort(added.begin(), added.end());
    return added;
}

/// The document of a job as the raw queue kept it: the PDF Qt sent.
inline QString spool_document(int job)
{
    return QDir(qEnvironmentVariable("QUENDRA_CUPS_DIR"))
        .filePath(QStringLiteral("spool/d%1-001").arg(job, 5, 10, QLatin1Char('0')));
}

enum class TextLayout { reading_order, as_on_the_page };

/// The text of a job's document, in reading order or laid out in lines as
/// on the page.
inline QString text_of(int job, TextLayout layout = TextLayout::as_on_the_page)
{
    QStringList arguments = {spool_document(job), QStringLiteral("-")};
    if (layout == TextLayout::as_on_the_page)
        arguments.prepend(QStringLiteral("-layout"));
    return run(QStringLiteral("pdftotext"), arguments);
}

} // namespace cups_jobs
