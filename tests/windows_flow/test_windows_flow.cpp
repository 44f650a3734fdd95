// The running program in one process, on the offscreen platform: the options
// window at the start, any key to a screen report, the entry's cancel and
// error paths, the report window, the professor's hand-over and the end of
// the program. The boxes answer from a script; the timers run a hundred
// times faster than in real life.

#include "program_session.h"

#include <QProcess>
#include <QSignalSpy>

using namespace support;

namespace {

constexpr double time_scale = 0.01; // a typewriter tick every millisecond
constexpr int patience_ms = 10000;  // for the sanitizer builds on a busy machine

const QString &screen_sentence = entry_texts::screen_sentence;

QString sentence(int index)
{
    return Presenter::sentences()[static_cast<std::size_t>(index)];
}

bool default_pointer(const QWidget &window)
{
    return window.cursor().shape() == Qt::ArrowCursor;
}

} // namespace

class TestWindowsFlow : public QObject
{
    Q_OBJECT

private slots:
    void init() { session = ProgramSession::recorded(); }
    // Nothing the driver still waits for may outlive a test that failed.
    void cleanup() { session.reset(); }

    void options_window_once_and_modal_at_the_first_activation();
    void options_decide_the_report_data();
    void options_decide_the_report();
    void any_key_starts_a_screen_report_data();
    void any_key_starts_a_screen_report();
    void reports_one_after_the_other();
    void cancelled_entry_data();
    void cancelled_entry();
    void invalid_date_then_a_valid_one();
    void sentence_one_after_a_report_data();
    void sentence_one_after_a_report();
    void exit_confirmation_data();
    void exit_confirmation();
    void the_process_ends_at_once_data();
    void the_process_ends_at_once();

private:
    Quendra &window() { return *session->window; }
    Presenter &presenter() { return session->window->presenter(); }
    ScriptedPrompts &prompts() { return session->prompts; }
    Driver &driver() { return session->driver; }
    QStringList &log() { return session->log; }

    // Starts the program past its options window; the log starts empty.
    bool begin(const std::function<void(Dialog &)> &choose = {})
    {
        const bool started = session->start(time_scale, choose);
        if (!started)
            qWarning("%s", qPrintable(session->failure));
        return started;
    }

    std::unique_ptr<ProgramSession> session;
};

void TestWindowsFlow::options_window_once_and_modal_at_the_first_activation()
{
    bool modal = false;
    bool main_window_blocked = false;
    QVERIFY(begin([&](Dialog &options) {
        modal = QApplication::activeModalWidget() == &options;
        // No analysis before the options are confirmed.
        session->press(Qt::Key_A);
        main_window_blocked = prompts().asked.isEmpty() && !window().report_window();
    }));
    QCOMPARE(session->start_log, steps({"show Dialog", "hide Dialog"}));
    QVERIFY(modal);
    QVERIFY(main_window_blocked);
    QVERIFY(window().state().options_confirmed);
    QVERIFY(!window().options_window().isVisible());

    // The main window becomes active again after another window and after
    // a report: the options window stays away.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitFor([&] { return other.isActiveWindow(); }, patience_ms));
    window().activateWindow();
    QVERIFY(QTest::qWaitFor([&] { return window().isActiveWindow(); }, patience_ms));
    QVERIFY2(session->screen_report(QStringLiteral("24011973"), QStringLiteral("Eva")),
             qPrintable(driver().failure));
    QVERIFY(QTest::qWaitFor([&] { return window().isActiveWindow(); }, patience_ms));
    QVERIFY(!QTest::qWaitFor([&] { return window().options_window().isVisible(); }, 200));
    QVERIFY(!log().contains(QStringLiteral("show Dialog")));
}

void TestWindowsFlow::options_decide_the_report_data()
{
    QTest::addColumn<bool>("preset");
    QTest::newRow("6 aus 49 in the options window") << false;
    // As main() does with options from the command line: preset before the
    // window is shown, so that the options window never opens.
    QTest::newRow("6 aus 49 preset") << true;
}

void TestWindowsFlow::options_decide_the_report()
{
    QFETCH(bool, preset);
    if (preset) {
        session->create(time_scale).options_window().preset(false, 49);
        window().show();
        window().activateWindow();
        QVERIFY(QTest::qWaitFor([this] { return presenter().script_running(); }, patience_ms));
        QVERIFY(!log().contains(QStringLiteral("show Dialog")));
        log().clear();
    } else {
        QVERIFY(begin([](Dialog &options) { options.Lotto(1)->click(); }));
    }
    QVERIFY(!window().options_window().printout_selected());
    QVERIFY2(session->screen_report(QStringLiteral("24011973"), QStringLiteral("Eva")),
             qPrintable(driver().failure));
    QCOMPARE(log(), steps({"ask date", "ask name", "show bildschirm", "hide bildschirm"}));
    QVERIFY(window().report_window()->blatt()->image() ==
            expected_report(QStringLiteral("24011973"), QStringLiteral("Eva"), 49));
}

void TestWindowsFlow::any_key_starts_a_screen_report_data()
{
    QTest::addColumn<int>("key");
    QTest::newRow("letter") << int(Qt::Key_A);
    QTest::newRow("digit") << int(Qt::Key_5);
    QTest::newRow("space") << int(Qt::Key_Space);
    QTest::newRow("Return") << int(Qt::Key_Return);
    QTest::newRow("Escape") << int(Qt::Key_Escape);
    QTest::newRow("Tab") << int(Qt::Key_Tab);
    QTest::newRow("F5") << int(Qt::Key_F5);
    QTest::newRow("Shift alone") << int(Qt::Key_Shift);
    QTest::newRow("Ctrl alone") << int(Qt::Key_Control);
    QTest::newRow("Alt alone") << int(Qt::Key_Alt);
    QTest::newRow("Meta alone") << int(Qt::Key_Meta);
    QTest::newRow("Caps Lock") << int(Qt::Key_CapsLock);
}

void TestWindowsFlow::any_key_starts_a_screen_report()
{
    QFETCH(int, key);
    QVERIFY(begin());
    QVERIFY2(
        session->screen_report(QStringLiteral("24011973"), QStringLiteral("Eva"), Qt::Key(key)),
        qPrintable(driver().failure));
    QCOMPARE(log(), steps({"ask date", "ask name", "show bildschirm", "hide bildschirm"}));
    QCOMPARE(presenter().reports_running(), 0);
}

void TestWindowsFlow::reports_one_after_the_other()
{
    // Keys while a report runs are ignored, not queued; each report's sheet
    // shows that report only, and a cancelled one leaves the last alone.
    QVERIFY(begin());
    int reports_while_waiting = -1;
    driver().when(
        QStringLiteral("the report's sentence is being typed"),
        [this] { return session->typing_report_sentence(); },
        [&] {
            session->press(Qt::Key_B);
            session->press(Qt::Key_Shift);
            reports_while_waiting = presenter().reports_running();
        });
    QVERIFY2(session->screen_report(QStringLiteral("24011973"), QStringLiteral("Eva")),
             qPrintable(driver().failure));
    QCOMPARE(reports_while_waiting, 1);
    QVERIFY(!QTest::qWaitFor([&] { return log().size() > 4; }, 200));
    const QImage first = window().report_window()->blatt()->image();
    QVERIFY(first == expected_report(QStringLiteral("24011973"), QStringLiteral("Eva")));

    QVERIFY2(session->screen_report(QStringLiteral("05031980"), QStringLiteral("Max")),
             qPrintable(driver().failure));
    const QImage second = window().report_window()->blatt()->image();
    QVERIFY(second == expected_report(QStringLiteral("05031980"), QStringLiteral("Max")));

    prompts().text_answers.clear();
    session->press(Qt::Key_A);
    QVERIFY(window().report_window()->blatt()->image() == second);
    QCOMPARE(log(), steps({"ask date", "ask name", "show bildschirm", "hide bildschirm", "ask date",
                           "ask name", "show bildschirm", "hide bildschirm", "ask date"}));
}

void TestWindowsFlow::cancelled_entry_data()
{
    QTest::addColumn<QStringList>("answers");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("at the date") << QStringList{QString()} << steps({"ask date"});
    QTest::newRow("at the name") << QStringList{QStringLiteral("24011973"), QString()}
                                 << steps({"ask date", "ask name"});
}

void TestWindowsFlow::cancelled_entry()
{
    QFETCH(QStringList, answers);
    QFETCH(QStringList, expected);
    QVERIFY(begin());
    // What an earlier screen report kept.
    window().state().last_date_text = QStringLiteral("05031980");
    window().state().last_name = QStringLiteral("Max");

    QSignalSpy faces(&presenter(), &Presenter::face_chosen);
    QSignalSpy face_ticks(window().Timer1, &QTimer::timeout);
    QStringList bubbles_while_asked;
    int faces_while_asked = 0;
    int face_ticks_while_asked = 0;
    // Each box stays open for a few face ticks.
    prompts().while_open = [&](const Asked &) {
        const int faces_before = faces.size();
        const int ticks_before = face_ticks.size();
        // Whether enough ticks came is checked below, over all the boxes.
        run_until(
            [&] {
                bubbles_while_asked.append(bubble(window()));
                return face_ticks.size() >= ticks_before + 3;
            },
            patience_ms);
        faces_while_asked += faces.size() - faces_before;
        face_ticks_while_asked += face_ticks.size() - ticks_before;
    };
    prompts().text_answers = answers;
    session->press(Qt::Key_A);

    QCOMPARE(log(), expected);
    QVERIFY(face_ticks_while_asked >= 3);
    QCOMPARE(faces_while_asked, 0);
    bubbles_while_asked.removeDuplicates();
    QCOMPARE(bubbles_while_asked, QStringList{QString()});
    QCOMPARE(window().state().last_date_text, QStringLiteral("05031980"));
    QCOMPARE(window().state().last_name, QStringLiteral("Max"));
    QVERIFY(!session->report_shown());
    QVERIFY(default_pointer(window()));
    QCOMPARE(presenter().reports_running(), 0);
    // The faces change again (sentence_one_after_a_report: he starts over).
    QCOMPARE(presenter().face_hold(), Presenter::FaceHold::normal);
}

void TestWindowsFlow::invalid_date_then_a_valid_one()
{
    QVERIFY(begin());
    Quendra *main = session->window.get();
    QLabel *prof = control(*main, "Prof");
    QSignalSpy faces(&presenter(), &Presenter::face_chosen);
    QSignalSpy face_ticks(main->Timer1, &QTimer::timeout);

    bool typed_during_error = false;
    int faces_during_error = -1;
    prompts().while_open = [&](const Asked &question) {
        if (question.kind != Asked::error)
            return;
        const int before = faces.size();
        typed_during_error =
            run_until([&] { return bubble(*main) == screen_sentence; }, patience_ms);
        faces_during_error = faces.size() - before;
    };
    prompts().text_answers = {QStringLiteral("31021973"), QStringLiteral("Eva"),
                              QStringLiteral("24011973"), QStringLiteral("Eva")};

    // While the report's sentence is typed: the hourglass, the sheet drawn
    // already, and the face frozen.
    bool hourglass_while_waiting = false;
    bool drawn_before_waiting = false;
    int faces_at_typing = -1;
    int ticks_at_typing = -1;
    qint64 prof_at_typing = 0;
    driver().when(
        QStringLiteral("typing the report's sentence after the second entry"),
        [&] {
            const QString shown = bubble(*main);
            return prompts().text_answers.isEmpty() && !shown.isEmpty() &&
                   shown.size() < screen_sentence.size();
        },
        [&] {
            hourglass_while_waiting = main->cursor().shape() == Qt::WaitCursor;
            drawn_before_waiting = main->report_window()->blatt()->image() != expected_report();
            faces_at_typing = faces.size();
            ticks_at_typing = face_ticks.size();
            prof_at_typing = prof->pixmap().cacheKey();
        });
    QString bubble_at_show;
    bool finished_at_show = false;
    bool pointer_at_show = false;
    int faces_while_typing = -1;
    int ticks_while_typing = -1;
    qint64 prof_at_show = 0;
    session->watcher->on_report_shown = [&] {
        bubble_at_show = bubble(*main);
        finished_at_show = main->presenter().speech_finished();
        pointer_at_show = default_pointer(*main);
        faces_while_typing = faces.size() - faces_at_typing;
        ticks_while_typing = face_ticks.size() - ticks_at_typing;
        prof_at_show = prof->pixmap().cacheKey();
    };
    // Once the report window is open, the faces change again.
    QWidget *focus_at_open = nullptr;
    int faces_at_open = 0;
    driver().when(
        QStringLiteral("report window active"), [this] { return session->report_active(); },
        [&] {
            focus_at_open = QApplication::focusWidget();
            faces_at_open = faces.size();
        });
    driver().when(QStringLiteral("two faces while the report window is open"),
                  [&] { return faces.size() >= faces_at_open + 2; });
    qint64 prof_after = 0;
    session->close_report_when_active([&] { prof_after = prof->pixmap().cacheKey(); });
    session->press(Qt::Key_A);
    QVERIFY2(driver().done(), qPrintable(driver().failure));

    QCOMPARE(log(), steps({"ask date", "ask name", "error", "ask date", "ask name",
                           "show bildschirm", "hide bildschirm"}));
    // The boxes' texts as the user reads them.
    QCOMPARE(prompts().asked.at(0).text,
             QStringLiteral("Gib Dein Geburtsdatum ein (TTMMJJJJ)\r\n Zum Beispiel: 24011973"));
    QCOMPARE(prompts().asked.at(1).text, QStringLiteral("Gib Deinen Namen ein"));
    QCOMPARE(prompts().asked.at(1).title, QStringLiteral("Eingabe"));
    const Asked error = prompts().asked.at(2);
    QCOMPARE(error.text, QStringLiteral("Du hast das Datum falsch eingeben ! Gib das Datum im "
                                        "Format TTMMJJJJ also z.B.: 24011973 ein !"));
    QCOMPARE(error.title, QStringLiteral("falsches Geburtsdatum"));
    QVERIFY(typed_during_error);
    QCOMPARE(faces_during_error, 0);
    QVERIFY(hourglass_while_waiting);
    QVERIFY(drawn_before_waiting);
    // The sentence took several face ticks, and none of them changed the face.
    QVERIFY2(ticks_while_typing >= 2, qPrintable(QString::number(ticks_while_typing)));
    QCOMPARE(faces_while_typing, 0);
    QCOMPARE(prof_at_show, prof_at_typing);
    QVERIFY(prof_after != prof_at_show);
    QCOMPARE(bubble_at_show, screen_sentence);
    QVERIFY(finished_at_show);
    QVERIFY(pointer_at_show);
    QCOMPARE(focus_at_open, button(main->report_window(), "Command1"));
    QVERIFY(main->report_window()->blatt()->image() ==
            expected_report(QStringLiteral("24011973"), QStringLiteral("Eva")));
    QCOMPARE(window().state().last_date_text, QStringLiteral("24011973"));
    QCOMPARE(window().state().last_name, QStringLiteral("Eva"));
}

void TestWindowsFlow::sentence_one_after_a_report_data()
{
    QTest::addColumn<int>("interrupted");
    QTest::addColumn<bool>("in_the_pause");
    QTest::addColumn<bool>("cancelled");
    QTest::newRow("sentence 5, report") << 4 << false << false;
    QTest::newRow("pause after sentence 10, report") << 9 << true << false;
    QTest::newRow("sentence 3, cancelled") << 2 << false << true;
    QTest::newRow("pause after sentence 10, cancelled") << 9 << true << true;
}

void TestWindowsFlow::sentence_one_after_a_report()
{
    QFETCH(int, interrupted);
    QFETCH(bool, in_the_pause);
    QFETCH(bool, cancelled);
    QVERIFY(begin());
    Quendra *main = session->window.get();
    const QString text = sentence(interrupted);
    const int visible = static_cast<int>(text.trimmed().size());

    // Everything the bubble shows from the moment the report hands back.
    QStringList captions;
    bool recording = false;
    connect(&presenter(), &Presenter::caption_changed, this, [&](const QString &caption) {
        if (recording)
            captions.append(caption);
    });
    int interrupted_at = -1;
    driver().when(
        QStringLiteral("the professor at the chosen sentence"),
        [&] {
            const qsizetype shown = bubble(*main).size();
            return main->presenter().script_sentence() == interrupted &&
                   (in_the_pause ? shown > visible : shown >= 3 && shown < visible);
        },
        [&] {
            interrupted_at = main->presenter().script_sentence();
            session->press(Qt::Key_A);
        });
    if (cancelled) {
        prompts().while_open = [&](const Asked &) { recording = true; };
    } else {
        prompts().text_answers = {QStringLiteral("24011973"), QStringLiteral("Eva")};
        session->close_report_when_active([&] { recording = true; });
    }
    // Up to a later sentence, at the professor's own pace.
    QVERIFY2(driver().run(), qPrintable(driver().failure));
    QCOMPARE(interrupted_at, interrupted);
    QVERIFY(QTest::qWaitFor([&] { return shows_start_of(*main, 0, 8); }, patience_ms));
    captions.removeAll(QString());
    QVERIFY(!captions.isEmpty());
    QCOMPARE(captions.first(), QStringLiteral("H"));
    for (const QString &caption : captions)
        QVERIFY2(sentence(0).startsWith(caption), qPrintable(caption));
    QCOMPARE(presenter().face_hold(), Presenter::FaceHold::normal);
}

void TestWindowsFlow::exit_confirmation_data()
{
    QTest::addColumn<QString>("clicked");
    QTest::addColumn<bool>("yes");
    QTest::addColumn<bool>("asked");
    QTest::newRow("Label1, Yes") << QStringLiteral("Label1") << true << true;
    QTest::newRow("Label7, No") << QStringLiteral("Label7") << false << true;
    QTest::newRow("the face asks nothing") << QStringLiteral("Prof") << true << false;
    QTest::newRow("the bubble asks nothing") << QStringLiteral("blase") << true << false;
}

void TestWindowsFlow::exit_confirmation()
{
    QFETCH(QString, clicked);
    QFETCH(bool, yes);
    QFETCH(bool, asked);
    QVERIFY(begin());
    Quendra *main = session->window.get();
    // Mid-sentence, so that going on and starting over look different.
    const QString second = sentence(1);
    QVERIFY(run_until(
        [&] {
            const qsizetype shown = bubble(*main).size();
            return main->presenter().script_sentence() == 1 && shown >= 3 && shown < 40;
        },
        20000));
    QSignalSpy faces(&presenter(), &Presenter::face_chosen);
    QSignalSpy captions(&presenter(), &Presenter::caption_changed);
    const QString before = bubble(*main);
    prompts().yes_no_answers = {yes};
    click(main->findChild<QWidget *>(clicked));

    if (!asked) {
        QVERIFY(prompts().asked.isEmpty());
        QVERIFY(session->ended.isEmpty());
        return;
    }
    QCOMPARE(prompts().asked.size(), 1);
    QCOMPARE(prompts().asked.first().kind, Asked::yes_no);
    QCOMPARE(prompts().asked.first().text, QStringLiteral("Wollen Sie das Programm beenden"));
    QCOMPARE(prompts().asked.first().title, QStringLiteral("Ende"));
    QCOMPARE(session->ended, yes ? QList<int>{0} : QList<int>{});
    if (yes)
        return;

    // No: the professor goes on with the same sentence, the faces too.
    QVERIFY(captions.isEmpty());
    QVERIFY(
        QTest::qWaitFor([&] { return captions.size() >= 3 && faces.size() >= 2; }, patience_ms));
    QCOMPARE(captions.first().first().toString(), second.left(before.size() + 1));
    QCOMPARE(presenter().reports_running(), 0);
    QCOMPARE(presenter().face_hold(), Presenter::FaceHold::normal);
}

void TestWindowsFlow::the_process_ends_at_once_data()
{
    QTest::addColumn<QString>("scenario");
    QTest::newRow("Yes while the professor talks") << QStringLiteral("yes_while_talking");
    QTest::newRow("Yes while a report waits") << QStringLiteral("yes_in_report_wait");
    QTest::newRow("main window closed") << QStringLiteral("main_window_closed");
}

void TestWindowsFlow::the_process_ends_at_once()
{
    // The real end, without the test's handler: this program again, in a
    // process of its own that must end with status 0 right at the action.
    QFETCH(QString, scenario);
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QUENDRA_FLOW_CHILD"), scenario);
    child.setProcessEnvironment(environment);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForFinished(60000));
    const QString output = QString::fromUtf8(child.readAllStandardOutput());
    QVERIFY2(output.contains(QStringLiteral("ready\n")),
             qPrintable(output + QString::fromUtf8(child.readAllStandardError())));
    QVERIFY2(!output.contains(QStringLiteral("went on")), qPrintable(output));
    QVERIFY2(!output.contains(QStringLiteral("report shown")), qPrintable(output));
    QCOMPARE(child.exitStatus(), QProcess::NormalExit);
    QCOMPARE(child.exitCode(), 0);
}

namespace {

// The child side of the_process_ends_at_once: prints "ready" just before the
// action; everything after it must never run. Closing the main window must
// end the program without a question: one would be answered No.
int run_child(const QString &scenario)
{
    std::unique_ptr<ProgramSession> session = ProgramSession::recorded();
    session->end_program = {}; // the real end
    if (!session->start(time_scale)) {
        std::fputs("start failed\n", stdout);
        return 2;
    }
    Quendra &main = *session->window;
    session->watcher->on_report_shown = [] { std::fputs("report shown\n", stdout); };
    auto act = [&] {
        std::fputs("ready\n", stdout);
        std::fflush(stdout);
        if (scenario == QStringLiteral("main_window_closed")) {
            main.close();
        } else {
            session->prompts.yes_no_answers = {true};
            click(control(main, "Label1"));
        }
        std::fputs("went on\n", stdout);
    };
    if (scenario == QStringLiteral("yes_in_report_wait")) {
        session->driver.when(
            QStringLiteral("the report's sentence is being typed"),
            [&] { return session->typing_report_sentence(); }, act);
        session->screen_report(QStringLiteral("24011973"), QStringLiteral("Eva"));
    } else {
        act();
    }
    std::fputs("went on\n", stdout);
    return 3;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    const QString child = qEnvironmentVariable("QUENDRA_FLOW_CHILD");
    if (!child.isEmpty())
        return run_child(child);
    TestWindowsFlow test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_windows_flow.moc"
