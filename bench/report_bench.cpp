// The real main window in this process, driven through many reports: how
// long a person waits from the accepted name to the drawn sheet and to the
// job handed to the printing system, and how the resident set develops over
// the reports. Prints "name=value" lines for bench/run.sh.
//
// The accepted name is the moment the scripted name box answers. From there
// the report routine computes and draws (or prints) without touching the
// event loop, and then waits for the professor's sentence in a nested loop: a
// zero timer started at the accepted name fires at the first turn of that
// loop, that is right after the sheet was drawn or the page handed over.
//
// Usage: report_bench [--screen N] [--printed N] [--time-scale F] [--trace 1]
// Printing needs a default printer (bench/run.sh starts a private scheduler).

#include "program_session.h"
#include "usage_figures.h"

#include "drawing_area.h"
#include "engine.h"
#include "platform.h"
#include "read_birth_entry.h"
#include "report_lines.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

using namespace support;

namespace {

// Monotonic time in nanoseconds.
qint64 now_ns()
{
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Runs action at the moment the scripted name box answers: the name is accepted.
void at_accepted_name(ScriptedPrompts &prompts, const std::function<void()> &action)
{
    prompts.while_open = [action](const Asked &question) {
        if (question.kind == Asked::input && question.text == entry_texts::name_prompt)
            action();
    };
}

struct Options
{
    int screen_reports = 500;
    int printed_reports = 20;
    double time_scale = 0.01;
    bool trace = false; // the resident set after every report, on stderr
};

bool parse(int argc, char *argv[], Options &options)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const QByteArray flag = argv[i];
        const QByteArray value = argv[i + 1];
        if (flag == "--screen")
            options.screen_reports = value.toInt();
        else if (flag == "--printed")
            options.printed_reports = value.toInt();
        else if (flag == "--time-scale")
            options.time_scale = value.toDouble();
        else if (flag == "--trace")
            options.trace = value == "1";
        else
            return false;
    }
    return argc % 2 == 1 && options.screen_reports >= 2 && options.printed_reports >= 0 &&
           options.time_scale > 0;
}

void print_value(const char *name, double value)
{
    std::printf("%s=%.4f\n", name, value);
}

void print_value(const char *name, qint64 value)
{
    std::printf("%s=%lld\n", name, static_cast<long long>(value));
}

// Median, 95th percentile and largest of the times, in milliseconds.
void print_times(const char *name, std::vector<qint64> times_ns)
{
    if (times_ns.empty())
        return;
    std::sort(times_ns.begin(), times_ns.end());
    const auto at = [&](double fraction) {
        const auto index = static_cast<std::size_t>(fraction * double(times_ns.size() - 1) + 0.5);
        return double(times_ns[index]) / 1e6;
    };
    const QByteArray base(name);
    print_value((base + "_count").constData(), qint64(times_ns.size()));
    print_value((base + "_median_ms").constData(), at(0.5));
    print_value((base + "_p95_ms").constData(), at(0.95));
    print_value((base + "_max_ms").constData(), double(times_ns.back()) / 1e6);
}

// Lets the program run for a while without anybody at the keys.
void idle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

std::size_t checksum(const QImage &image)
{
    return qHashBits(image.constBits(), static_cast<std::size_t>(image.sizeInBytes()));
}

// The resident set by kind: anonymous (heap), file-backed (program, libraries,
// fonts), shared memory (window images shared with the X server).
struct Resident
{
    qint64 anonymous = status_kib("RssAnon");
    qint64 file = status_kib("RssFile");
    qint64 shared = status_kib("RssShmem");
};

QString resident_parts()
{
    const Resident now;
    return QStringLiteral("%1 KiB: anonymous %2, file %3, shared %4")
        .arg(resident_kib())
        .arg(now.anonymous)
        .arg(now.file)
        .arg(now.shared);
}

int fail(const QString &what)
{
    std::fprintf(stderr, "report_bench: %s\n", qPrintable(what));
    return 1;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Options options;
    if (!parse(argc, argv, options))
        return fail(
            QStringLiteral("usage: report_bench [--screen N>=2] [--printed N] [--time-scale F]"));

    // As the program itself does at start.
    substitute_design_fonts(Quendra::staticMetaObject);
    // Nothing here may end the process behind the bench's back.
    bool end_requested = false;
    ProgramSession program;
    program.end_program = [&](int) { end_requested = true; };
    if (!program.start(options.time_scale))
        return fail(program.failure);
    Quendra &window = *program.window;
    idle(500);
    const qint64 rss_start = resident_kib();
    const Resident parts_start;
    const int descriptors_start = open_descriptors();

    // Screen reports. The first one also creates the report window, whose
    // sheet is drawn only when first shown: it is left out of the times.
    std::vector<qint64> drawn_ns;
    qint64 rss_first = 0;
    qint64 rss_hundredth = 0;
    int unchanged = 0;
    int never_drawn = 0;
    // One report's times; a timer still pending when it ends dies with `scope`.
    std::size_t before = 0;
    qint64 accepted = 0;
    qint64 done = 0;
    bool changed = false;
    std::unique_ptr<QObject> scope;
    ProgramSession::Reports screen;
    screen.count = options.screen_reports;
    screen.before = [&](int) {
        // A checksum rather than a copy: the bench must not allocate sheets of its own.
        before = window.report_window() ? checksum(window.report_window()->blatt()->image()) : 0;
        accepted = done = 0;
        changed = false;
        scope = std::make_unique<QObject>();
    };
    at_accepted_name(program.prompts, [&] {
        accepted = now_ns();
        QTimer::singleShot(0, scope.get(), [&] {
            // image() draws whatever is still pending, so the sheet is
            // complete when the time is taken.
            const QImage sheet = window.report_window()->blatt()->image();
            done = now_ns();
            changed = checksum(sheet) != before;
        });
    });
    screen.after = [&](int index) {
        if (done == 0)
            ++never_drawn;
        else if (!changed)
            ++unchanged;
        if (index == 0)
            rss_first = resident_kib();
        else if (done != 0)
            drawn_ns.push_back(done - accepted);
        if (index == 99)
            rss_hundredth = resident_kib();
        if (options.trace)
            std::fprintf(stderr, "report %d: %s\n", index + 1, qPrintable(resident_parts()));
    };
    if (!program.run_reports(screen))
        return fail(QStringLiteral("screen reports: ") + program.failure);
    if (never_drawn > 0)
        return fail(
            QStringLiteral("%1 screen reports never waited for the professor").arg(never_drawn));
    idle(500);
    const qint64 rss_end = resident_kib();
    const Resident parts_end;
    const int descriptors_end = open_descriptors();

    // The same steps called directly, without the routine around them.
    std::vector<qint64> direct_ns;
    DrawingArea &blatt = *window.report_window()->blatt();
    for (int i = 0; i < options.screen_reports; ++i) {
        const qint64 start = now_ns();
        const std::optional<AcceptedEntry> entry =
            accept_birth_entry(entry_date(i), entry_name(i), Clock().now());
        if (!entry)
            return fail(QStringLiteral("entry %1 rejected").arg(entry_date(i)));
        const AnalysisResult result = analyse_entry(*entry, 45, Clock().now());
        blatt.clear();
        write_report_lines(result, blatt, OutputKind::screen, Clock());
        direct_ns.push_back(now_ns() - start);
    }

    // Printed reports, on the default printer. The first one also looks up
    // the printer for the first time: it is left out of the times.
    std::vector<qint64> handed_ns;
    qint64 first_print_ns = 0;
    int jobs_added = 0;
    if (options.printed_reports > 0) {
        program.set_printout(true);
        const int jobs_before = print_jobs();
        if (jobs_before < 0)
            return fail(QStringLiteral("the printing system cannot be asked for its jobs"));
        int never_waited = 0;
        ProgramSession::Reports printed;
        printed.count = options.printed_reports;
        printed.printed = true;
        printed.before = [&](int) {
            accepted = done = 0;
            scope = std::make_unique<QObject>();
        };
        at_accepted_name(program.prompts, [&] {
            accepted = now_ns();
            QTimer::singleShot(0, scope.get(), [&] { done = now_ns(); });
        });
        printed.after = [&](int index) {
            if (done == 0)
                ++never_waited;
            else if (index == 0)
                first_print_ns = done - accepted;
            else
                handed_ns.push_back(done - accepted);
        };
        if (!program.run_reports(printed))
            return fail(QStringLiteral("printed reports: ") + program.failure);
        if (never_waited > 0)
            return fail(QStringLiteral("%1 printed reports never waited for the professor")
                            .arg(never_waited));
        jobs_added = print_jobs() - jobs_before;
    }
    program.prompts.while_open = nullptr;

    print_value("screen_reports", qint64(options.screen_reports));
    print_value("sheets_unchanged", qint64(unchanged));
    print_times("screen_latency", drawn_ns);
    print_times("direct_draw", direct_ns);
    print_value("rss_start_kib", rss_start);
    print_value("rss_after_first_report_kib", rss_first);
    if (rss_hundredth > 0)
        print_value("rss_after_100_reports_kib", rss_hundredth);
    print_value("rss_end_kib", rss_end);
    print_value("rss_anonymous_growth_kib", parts_end.anonymous - parts_start.anonymous);
    print_value("rss_file_growth_kib", parts_end.file - parts_start.file);
    print_value("rss_shared_growth_kib", parts_end.shared - parts_start.shared);
    print_value("descriptors_start", qint64(descriptors_start));
    print_value("descriptors_end", qint64(descriptors_end));
    if (options.printed_reports > 0) {
        print_value("printed_reports", qint64(options.printed_reports));
        print_value("jobs_added", qint64(jobs_added));
        print_value("first_print_ms", double(first_print_ns) / 1e6);
        print_times("print_latency", handed_ns);
    }
    print_value("end_requested", qint64(end_requested ? 1 : 0));
    std::fflush(stdout);
    return end_requested ? 1 : 0;
}
