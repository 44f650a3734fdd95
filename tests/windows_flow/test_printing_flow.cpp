// The printed report in the running program, through the private CUPS
// scheduler of the test harness: "Ausdruck" printing at every key, the
// reprint button of the report window, the lottery variant on paper, and a
// missing printer.

#include "cups_jobs.h"
#include "pictures.h"
#include "printed_pdf.h"
#include "program_session.h"

#include <QSet>
#include <QSignalSpy>

using namespace cups_jobs;
using namespace support;

namespace {

constexpr double time_scale = 0.01;
constexpr int patience_ms = 10000;

const QString &printer_sentence = entry_texts::printer_sentence;

} // namespace

class TestPrintingFlow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { verify_harness_scheduler(); }
    void init() { session = ProgramSession::recorded(); }
    void cleanup() { session.reset(); }

    void ausdruck_prints_at_every_key();
    void reprint_through_command2_data();
    void reprint_through_command2();
    void printer_failure_data();
    void printer_failure();

private:
    std::unique_ptr<ProgramSession> session;
};

void TestPrintingFlow::ausdruck_prints_at_every_key()
{
    // With 6 aus 49, which the page must show too.
    QVERIFY2(session->start(time_scale,
                            [](Dialog &options) {
                                options.Ausdruck(0)->click();
                                options.Lotto(1)->click();
                            }),
             qPrintable(session->failure));
    Quendra &main = *session->window;
    QVERIFY(main.options_window().printout_selected());
    const QSet<int> before = jobs();
    const QImage robe =
        QImage(picture_path(QStringLiteral("p_roben.jpg"))).convertToFormat(QImage::Format_RGB32);
    QVERIFY(!robe.isNull());

    // While each sentence is typed: the professor in his robe, the hourglass.
    int robe_seen = 0;
    int hourglass_seen = 0;
    int sentences_complete = 0;
    QLabel *prof = control(main, "Prof");
    connect(&main.presenter(), &Presenter::caption_changed, this, [&](const QString &caption) {
        if (caption == printer_sentence.left(1)) {
            robe_seen += prof->pixmap().toImage().convertToFormat(QImage::Format_RGB32) == robe;
            hourglass_seen += main.cursor().shape() == Qt::WaitCursor;
        }
        sentences_complete += caption == printer_sentence;
    });

    const Qt::Key keys[] = {Qt::Key_A, Qt::Key_Shift, Qt::Key_Return};
    for (Qt::Key key : keys) {
        session->prompts.text_answers = {QStringLiteral("24011973"), QStringLiteral("Eva")};
        session->press(key);
        QCOMPARE(main.presenter().reports_running(), 0);
        QCOMPARE(main.cursor().shape(), Qt::ArrowCursor);
    }
    QVERIFY2(session->driver.done(), qPrintable(session->driver.failure));
    QCOMPARE(session->log,
             steps({"ask date", "ask name", "ask date", "ask name", "ask date", "ask name"}));
    QCOMPARE(robe_seen, 3);
    QCOMPARE(hourglass_seen, 3);
    QCOMPARE(sentences_complete, 3);
    QVERIFY(!main.report_window());
    // The printed report keeps nothing for a reprint.
    QCOMPARE(session->window->state().last_date_text, QString());

    const QList<int> added = finished_jobs_since(before);
    QCOMPARE(added.size(), 3);
    for (int job : added) {
        QCOMPARE(printed_pdf::page_count(spool_document(job)), 1);
        const QString text = text_of(job);
        QVERIFY2(text.contains(QStringLiteral("Auswertung des Geburtsdatums:")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("Eva")), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("(6 aus 49)")), qPrintable(text));
    }

    // The professor starts over and changes his face again.
    QSignalSpy faces(&main.presenter(), &Presenter::face_chosen);
    QVERIFY(QTest::qWaitFor([&] { return faces.size() >= 2; }, patience_ms));
    QVERIFY(QTest::qWaitFor([&] { return shows_start_of(main, 0, 5); }, patience_ms));
}

void TestPrintingFlow::reprint_through_command2_data()
{
    QTest::addColumn<int>("clicks");
    QTest::addColumn<bool>("during_the_wait");
    QTest::newRow("three times, one after the other") << 3 << false;
    QTest::newRow("again while the first page's sentence is typed") << 2 << true;
}

void TestPrintingFlow::reprint_through_command2()
{
    QFETCH(int, clicks);
    QFETCH(bool, during_the_wait);
    QVERIFY2(session->start(time_scale), qPrintable(session->failure));
    Quendra &main = *session->window;
    const QSet<int> before = jobs();
    Driver &driver = session->driver;
    session->prompts.text_answers = {QStringLiteral("24011973"), QStringLiteral("Eva")};

    QImage shown;
    bool window_stayed = true;
    int deepest = 0;
    auto print = [&] {
        deepest = std::max(deepest, main.presenter().reports_running() + 1);
        click(button(main.report_window(), "Command2"));
        // The window is still up with the same report.
        window_stayed = window_stayed && session->report_shown() &&
                        main.report_window()->blatt()->image() == shown;
    };
    driver.when(
        QStringLiteral("report window active"), [&] { return session->report_active(); },
        [&] {
            shown = main.report_window()->blatt()->image();
            print();
        });
    if (during_the_wait) {
        driver.when(
            QStringLiteral("the first page's sentence is being typed"),
            [&] { return session->typing_report_sentence(2); }, print);
    } else {
        for (int i = 1; i < clicks; ++i)
            driver.when(
                QStringLiteral("report window active again"),
                [&] { return session->report_active() && main.presenter().reports_running() == 1; },
                print);
    }
    driver.when(
        QStringLiteral("back to the report window"),
        [&] { return session->report_shown() && main.presenter().reports_running() == 1; },
        [&] { click(button(main.report_window(), "Command1")); });
    session->press(Qt::Key_A);
    QVERIFY2(driver.done(), qPrintable(driver.failure));

    // No prompt beyond the screen report's own two.
    QCOMPARE(session->log, steps({"ask date", "ask name", "show bildschirm", "hide bildschirm"}));
    QVERIFY(window_stayed);
    QCOMPARE(deepest, during_the_wait ? 3 : 2);
    QVERIFY(!session->window->state().reprint_pending);
    QCOMPARE(main.presenter().reports_running(), 0);

    const QList<int> added = finished_jobs_since(before);
    QCOMPARE(added.size(), clicks);
    const QString first = text_of(added.first());
    QVERIFY2(first.contains(QStringLiteral("Eva")), qPrintable(first));
    for (int job : added) {
        QCOMPARE(printed_pdf::page_count(spool_document(job)), 1);
        QCOMPARE(text_of(job), first);
    }
}

void TestPrintingFlow::printer_failure_data()
{
    QTest::addColumn<bool>("from_the_report_window");
    QTest::newRow("a key with Ausdruck chosen") << false;
    QTest::newRow("Command2 on the report window") << true;
}

void TestPrintingFlow::printer_failure()
{
    // No default printer: a German box says so, nothing is printed, the
    // professor gets his speech back and the next person can go on.
    QFETCH(bool, from_the_report_window);
    QCOMPARE(run(QStringLiteral("lpstat"), {QStringLiteral("-d")}).trimmed(),
             QStringLiteral("no system default destination"));
    QVERIFY2(session->start(time_scale,
                            [&](Dialog &options) {
                                if (!from_the_report_window)
                                    options.Ausdruck(0)->click();
                            }),
             qPrintable(session->failure));
    Quendra &main = *session->window;
    QSignalSpy faces(&main.presenter(), &Presenter::face_chosen);

    int running_after_the_box = -1;
    if (from_the_report_window) {
        session->driver.when(
            QStringLiteral("report window active"), [&] { return session->report_active(); },
            [&] {
                click(button(main.report_window(), "Command2"));
                running_after_the_box = main.presenter().reports_running();
            });
        session->driver.when(
            QStringLiteral("report window still up"), [&] { return session->report_shown(); },
            [&] { click(button(main.report_window(), "Command1")); });
    }
    for (int person = 0; person < 2; ++person) {
        session->prompts.text_answers = {QStringLiteral("24011973"), QStringLiteral("Eva")};
        session->press(Qt::Key_A);
        if (from_the_report_window)
            break;
    }
    QVERIFY2(session->driver.done(), qPrintable(session->driver.failure));

    if (from_the_report_window) {
        QCOMPARE(session->log,
                 steps({"ask date", "ask name", "show bildschirm", "error", "hide bildschirm"}));
        QCOMPARE(running_after_the_box, 1);
    } else {
        QCOMPARE(session->log,
                 steps({"ask date", "ask name", "error", "ask date", "ask name", "error"}));
    }
    const Asked error = session->prompts.asked.at(2);
    QCOMPARE(error.kind, Asked::error);
    QCOMPARE(error.title, QStringLiteral("Drucken nicht möglich"));
    QCOMPARE(error.text, QStringLiteral("Es ist kein Standarddrucker eingerichtet."));
    QVERIFY(jobs().isEmpty());

    QCOMPARE(main.presenter().reports_running(), 0);
    QCOMPARE(main.cursor().shape(), Qt::ArrowCursor);
    const int faces_before = faces.size();
    QVERIFY(QTest::qWaitFor([&] { return faces.size() >= faces_before + 2; }, patience_ms));
    QVERIFY(QTest::qWaitFor([&] { return shows_start_of(main, 0, 5); }, patience_ms));
}

QTEST_MAIN(TestPrintingFlow)
#include "test_printing_flow.moc"
