// A long day at the stand, fast: a thousand screen reports in a row, each
// started by a key from the event loop as a person would, each report window
// sent away with Command1. Whatever a report leaves behind (a nested event
// loop still running, a window, an object) would pile up, so the stack depth
// reached inside the typewriter and the number of windows and objects must
// be the same at the thousandth report as at the tenth.

#include "flow_support.h"

#include <QKeyEvent>

using namespace flow;

namespace {

constexpr int reports = 1000;
// A typewriter tick every millisecond, a face every five.
constexpr double time_scale = 0.005;

// The first and last reports of the day that are measured.
constexpr int early_from = 10;
constexpr int late_from = reports - 10;

// Objects below root, leaving out the single-shot timers that come and go
// with every tick of the test's own driver.
int object_count(const QObject *root)
{
    int count = 0;
    for (const QObject *object : root->findChildren<QObject *>())
        count += !object->inherits("QSingleShotTimer");
    return count;
}

} // namespace

class TestLongRun : public QObject
{
    Q_OBJECT

private slots:
    void a_thousand_reports_in_a_row();
};

void TestLongRun::a_thousand_reports_in_a_row()
{
    Session session;
    QVERIFY2(session.start(time_scale), qPrintable(session.failure));
    Quendra &main = *session.window;
    log().clear();

    int done = 0;
    // The deepest point of the stack (the lowest address: it grows down on
    // every platform we build for) that a bubble change reached, per window
    // of ten reports.
    quintptr early_low = std::numeric_limits<quintptr>::max();
    quintptr late_low = std::numeric_limits<quintptr>::max();
    int early_captions = 0;
    int late_captions = 0;
    connect(&main.presenter(), &Presenter::caption_changed, this, [&] {
        volatile char probe = 0;
        const auto here = reinterpret_cast<quintptr>(&probe);
        if (done >= early_from && done < early_from + 10) {
            early_low = std::min(early_low, here);
            ++early_captions;
        } else if (done >= late_from) {
            late_low = std::min(late_low, here);
            ++late_captions;
        }
    });

    int early_windows = 0;
    int early_objects = 0;
    int late_windows = -1;
    int late_objects = -1;
    QEventLoop day;
    std::function<void()> next_person;
    next_person = [&] {
        session.driver.when(
            QStringLiteral("the main window waits for the next person"),
            [&] { return main.presenter().reports_running() == 0 && main.isActiveWindow(); },
            [&] {
                session.prompts.text_answers = {QStringLiteral("24011973"), QStringLiteral("Eva")};
                // Through the event queue, as a key from the window system
                // comes: it runs at whatever depth the event loop is then.
                const QString a = QStringLiteral("a");
                QCoreApplication::postEvent(main.windowHandle(),
                                            new QKeyEvent(QEvent::KeyPress, Qt::Key_A, {}, a));
                QCoreApplication::postEvent(main.windowHandle(),
                                            new QKeyEvent(QEvent::KeyRelease, Qt::Key_A, {}, a));
            });
        // The next person is expected as soon as this one has read the
        // report, not only when the key handler has returned: whatever the
        // handler still runs after the report window is gone runs beneath
        // the next report.
        session.driver.when(
            QStringLiteral("report window active"), [&] { return report_active(main); },
            [&] {
                ++done;
                // Counted at the same point of the same report routine.
                if (done == early_from) {
                    early_windows = static_cast<int>(QApplication::topLevelWidgets().size());
                    early_objects = object_count(qApp) + object_count(&main);
                } else if (done == reports) {
                    late_windows = static_cast<int>(QApplication::topLevelWidgets().size());
                    late_objects = object_count(qApp) + object_count(&main);
                }
                button(main.report_window(), "Command1")->click();
                if (done == reports || !session.driver.failure.isEmpty())
                    day.quit();
                else
                    next_person();
            });
    };
    next_person();
    day.exec();
    QVERIFY2(session.driver.done(), qPrintable(session.driver.failure));
    QCOMPARE(done, reports);

    // Every person was asked once and saw one report window.
    QCOMPARE(log().size(), 4 * reports);
    QCOMPARE(log().count(QStringLiteral("show bildschirm")), reports);
    QCOMPARE(session.prompts.asked.size(), 2 * reports);

    QVERIFY(early_captions > 0 && late_captions > 0);
    const auto base = reinterpret_cast<quintptr>(&done);
    const quintptr early_depth = base - early_low;
    const quintptr late_depth = base - late_low;
    qInfo("deepest stack below the test at reports %d to %d: %llu bytes; at %d to %d: %llu bytes",
          early_from + 1, early_from + 10, static_cast<unsigned long long>(early_depth),
          late_from + 1, reports, static_cast<unsigned long long>(late_depth));
    QCOMPARE(late_depth, early_depth);
    QCOMPARE(late_windows, early_windows);
    // A box or timer on its way out may still be counted at either point; a
    // leak of one object per report would show as hundreds.
    QVERIFY2(late_objects <= early_objects + 2,
             qPrintable(QStringLiteral("%1 objects at report %2, %3 at the end")
                            .arg(early_objects)
                            .arg(early_from)
                            .arg(late_objects)));

    // And the professor still talks.
    QCOMPARE(main.presenter().reports_running(), 0);
    QVERIFY(QTest::qWaitFor([&] { return shows_start_of(main, 0, 5); }, patience_ms));
}

QTEST_MAIN(TestLongRun)
#include "test_long_run.moc"
