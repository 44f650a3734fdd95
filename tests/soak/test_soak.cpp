// A long day at the stand in a few minutes: the real main window in one
// process takes 2,000 screen reports and 200 printed ones (on the private
// print queue), and then the professor talks through 24 hours of ticks.
// Nothing may pile up: the stack under the professor's slot, the nested
// event loops, the open files, the resident set, the windows and objects.
// And the professor still starts over with his first sentence after a report.
//
// The timers run a hundred times faster than in real life; the day of ticks
// calls the presenter's two steps directly.

#include "program_session.h"
#include "usage_figures.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <algorithm>
#include <functional>

using namespace support;

namespace {

constexpr double time_scale = 0.01; // a typewriter tick every millisecond
constexpr int screen_report_count = 2000;
constexpr int printed_report_count = 200;
constexpr int sample = 100; // reports in the early and the late sample
constexpr int printed_sample = 20;
constexpr int day_seconds = 24 * 60 * 60;
constexpr int typewriter_ticks_per_second = 10;
constexpr int ticks_per_cycle = 498; // the ten sentences with their pauses

// Bounds that still hold when nothing grows: a leak of one descriptor or
// one nested loop per report, or a few KiB per report, exceeds them by far.
constexpr qint64 stack_slack_bytes = 1024;
constexpr int descriptor_slack = 2;
constexpr qint64 resident_bound_kib = 8 * 1024;

// The deepest stack and the most nested event loops the professor's slot
// has seen since the last reset.
struct Extremes
{
    qint64 stack_bytes = 0;
    int loop_level = 0;

    void merge(const Extremes &other)
    {
        stack_bytes = std::max(stack_bytes, other.stack_bytes);
        loop_level = std::max(loop_level, other.loop_level);
    }
};

QString describe(const Extremes &early, const Extremes &late)
{
    return QStringLiteral("stack %1 -> %2 bytes, nested loops %3 -> %4")
        .arg(early.stack_bytes)
        .arg(late.stack_bytes)
        .arg(early.loop_level)
        .arg(late.loop_level);
}

// The program's objects, leaving out the single-shot timers that come and go
// with every tick of the test's own driver.
int object_count(const Quendra &window)
{
    int count = 0;
    for (const QObject *object : qApp->findChildren<QObject *>() + window.findChildren<QObject *>())
        count += !object->inherits("QSingleShotTimer");
    return count;
}

} // namespace

class TestSoak : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void two_thousand_screen_reports();
    void two_hundred_printed_reports();
    void a_day_of_speech();
    void first_sentence_after_the_day();

private:
    void probe();
    // Runs the reports and merges what the professor's slot saw during the
    // first and the last `in_sample` of them; `at_level` runs after report
    // number in_sample.
    bool run_reports(int count, bool printed, int in_sample, Extremes &early, Extremes &late,
                     const std::function<void()> &at_level);
    void compare(const QString &phase, const Extremes &early, const Extremes &late,
                 int descriptors_early, int descriptors_late, qint64 resident_late);

    ProgramSession program;
    const char *stack_top = nullptr;
    Extremes seen;
    qint64 resident_level_kib = -1; // after the first hundred screen reports
    QElapsedTimer clock;
};

void TestSoak::initTestCase()
{
    char top = 0;
    stack_top = &top;
    clock.start();
    // The session's end handler stops the test should anything end the
    // program; run_reports stops at the first error box.
    QVERIFY2(program.start(time_scale), qPrintable(program.failure));
    connect(&program.window->presenter(), &Presenter::caption_changed, this, &TestSoak::probe);
}

void TestSoak::probe()
{
    volatile char here = 0;
    seen.stack_bytes = std::max<qint64>(seen.stack_bytes, stack_top - const_cast<char *>(&here));
    seen.loop_level = std::max(seen.loop_level, QThread::currentThread()->loopLevel());
}

bool TestSoak::run_reports(int count, bool printed, int in_sample, Extremes &early, Extremes &late,
                           const std::function<void()> &at_level)
{
    ProgramSession::Reports reports;
    reports.count = count;
    reports.printed = printed;
    reports.before = [&](int) { seen = {}; };
    reports.after = [&](int index) {
        if (index < in_sample)
            early.merge(seen);
        else if (index >= count - in_sample)
            late.merge(seen);
        if (index == in_sample - 1)
            at_level();
    };
    return program.run_reports(reports);
}

void TestSoak::compare(const QString &phase, const Extremes &early, const Extremes &late,
                       int descriptors_early, int descriptors_late, qint64 resident_late)
{
    qInfo("%s: %s; descriptors %d -> %d; resident %lld -> %lld KiB; %.1f s so far",
          qPrintable(phase), qPrintable(describe(early, late)), descriptors_early, descriptors_late,
          resident_level_kib, resident_late, double(clock.elapsed()) / 1e3);
    QVERIFY2(early.stack_bytes > 0, "the professor's slot never ran");
    QVERIFY2(late.stack_bytes <= early.stack_bytes + stack_slack_bytes,
             qPrintable(describe(early, late)));
    QVERIFY2(late.loop_level <= early.loop_level, qPrintable(describe(early, late)));
    QVERIFY2(descriptors_late <= descriptors_early + descriptor_slack,
             qPrintable(QStringLiteral("%1 -> %2 open descriptors")
                            .arg(descriptors_early)
                            .arg(descriptors_late)));
    QVERIFY2(resident_late <= resident_level_kib + resident_bound_kib,
             qPrintable(QStringLiteral("resident %1 KiB, %2 KiB after the first %3 reports")
                            .arg(resident_late)
                            .arg(resident_level_kib)
                            .arg(sample)));
}

void TestSoak::two_thousand_screen_reports()
{
    QVERIFY(program.window);
    program.set_printout(false);
    Extremes early;
    Extremes late;
    int descriptors_early = 0;
    qsizetype windows_early = 0;
    int objects_early = 0;
    QVERIFY2(run_reports(screen_report_count, false, sample, early, late,
                         [&] {
                             resident_level_kib = resident_kib();
                             descriptors_early = open_descriptors();
                             windows_early = QApplication::topLevelWidgets().size();
                             objects_early = object_count(*program.window);
                         }),
             qPrintable(program.failure));
    QCOMPARE(QApplication::topLevelWidgets().size(), windows_early);
    // A box or timer on its way out may still be counted at either point; a
    // leak of one object per report would show as thousands.
    QVERIFY2(object_count(*program.window) <= objects_early + 2,
             qPrintable(QStringLiteral("%1 objects after %2 reports, %3 at the end")
                            .arg(objects_early)
                            .arg(sample)
                            .arg(object_count(*program.window))));
    compare(QStringLiteral("screen reports"), early, late, descriptors_early, open_descriptors(),
            resident_kib());
}

void TestSoak::two_hundred_printed_reports()
{
    QVERIFY(program.window);
    const int jobs_before = print_jobs();
    QVERIFY2(jobs_before >= 0, "the print scheduler does not answer (CUPS_SERVER unset?)");
    program.set_printout(true);
    Extremes early;
    Extremes late;
    int descriptors_early = 0;
    QVERIFY2(run_reports(printed_report_count, true, printed_sample, early, late,
                         [&] { descriptors_early = open_descriptors(); }),
             qPrintable(program.failure));
    QCOMPARE(print_jobs() - jobs_before, printed_report_count);
    compare(QStringLiteral("printed reports"), early, late, descriptors_early, open_descriptors(),
            resident_kib());
}

void TestSoak::a_day_of_speech()
{
    QVERIFY(program.window);
    Quendra &window = *program.window;
    Presenter &professor = window.presenter();
    QRandomGenerator &generator = window.random_generator();
    // Only the ticks given here count.
    window.Timer1->stop();
    window.Timer2->stop();
    QCoreApplication::processEvents();

    // How evenly the faces are drawn is test_presenter's.
    int cycles = 0;
    QObject counters; // the counting ends with this test, whichever way it ends
    connect(&professor, &Presenter::caption_changed, &counters, [&](const QString &caption) {
        if (caption == Presenter::sentences()[0].left(1))
            ++cycles;
    });

    Extremes first_hour;
    Extremes last_hour;
    int descriptors_first_hour = 0;
    seen = {};
    for (int second = 0; second < day_seconds; ++second) {
        for (int tick = 0; tick < typewriter_ticks_per_second; ++tick)
            professor.typewriter_step();
        professor.face_step(generator);
        // Now and then the window catches up with its repaints.
        if (second % 60 == 59)
            QCoreApplication::processEvents();
        if (second == 3599) {
            first_hour = seen;
            descriptors_first_hour = open_descriptors();
        }
        if (second == day_seconds - 3601)
            seen = {};
    }
    last_hour = seen;
    window.Timer1->start();
    window.Timer2->start();

    qInfo("a day: %d speech cycles", cycles);
    const int expected_cycles = day_seconds * typewriter_ticks_per_second / ticks_per_cycle;
    QVERIFY2(std::abs(cycles - expected_cycles) <= 2,
             qPrintable(QStringLiteral("%1 speech cycles, about %2 expected")
                            .arg(cycles)
                            .arg(expected_cycles)));
    compare(QStringLiteral("a day of speech"), first_hour, last_hour, descriptors_first_hour,
            open_descriptors(), resident_kib());
}

void TestSoak::first_sentence_after_the_day()
{
    // Well into the cycle, not at its start: run_reports checks that the
    // professor starts over with the first character of his first sentence.
    QVERIFY(program.window);
    Presenter &professor = program.window->presenter();
    program.set_printout(false);
    QVERIFY(run_until([&] { return professor.script_sentence() >= 3; }, 20000));
    ProgramSession::Reports one;
    one.count = 1;
    QVERIFY2(program.run_reports(one), qPrintable(program.failure));
    QCOMPARE(professor.script_sentence(), 0);
    qInfo("the whole soak took %.1f s", double(clock.elapsed()) / 1e3);
}

QTEST_MAIN(TestSoak)
#include "test_soak.moc"
