#include "presenter.h"

#include <QSignalSpy>
#include <QTest>
#include <QTimer>

// The professor's timing, tick by tick: the typewriter, the speech script's
// cycle and pauses, and the handshake with a report.
class TestPresenter : public QObject
{
    Q_OBJECT

private:
    // Ticks until the bubble shows exactly text, at most limit.
    static int ticks_until(Presenter &p, const QString &caption, QSignalSpy &captions, int limit)
    {
        for (int tick = 1; tick <= limit; ++tick) {
            p.typewriter_step();
            if (!captions.isEmpty() && captions.last().first().toString() == caption)
                return tick;
        }
        return -1;
    }

private slots:
    void first_tick_clears_the_design_caption()
    {
        Presenter p;
        QSignalSpy captions(&p, &Presenter::caption_changed);
        p.typewriter_step();
        QCOMPARE(captions.size(), 1);
        QCOMPARE(captions.first().first().toString(), QString());
        QVERIFY(!p.script_running());
        // Idle ticks change nothing on screen.
        for (int i = 0; i < 50; ++i)
            p.typewriter_step();
        QCOMPARE(captions.size(), 1);
        QVERIFY(p.speech_finished());
    }

    void typewriter_counts_a_sentence()
    {
        Presenter p;
        QSignalSpy captions(&p, &Presenter::caption_changed);
        p.say(QStringLiteral("abc"));
        p.typewriter_step();
        QCOMPARE(captions.last().first().toString(), QStringLiteral("a"));
        QCOMPARE(p.speech_pos(), 1);
        QVERIFY(!p.speech_finished());
        p.typewriter_step();
        p.typewriter_step();
        QCOMPARE(captions.last().first().toString(), QStringLiteral("abc"));
        QVERIFY(!p.speech_finished());
        p.typewriter_step(); // n + 1
        QVERIFY(p.speech_finished());
        for (int i = 0; i < 100; ++i)
            p.typewriter_step();
        QCOMPARE(p.speech_pos(), 104); // counts on while idle
        QCOMPARE(captions.last().first().toString(), QStringLiteral("abc"));
    }

    void a_cycle_lasts_498_ticks()
    {
        Presenter p;
        QSignalSpy captions(&p, &Presenter::caption_changed);
        p.start_script();
        const QString first = Presenter::sentences()[0].left(1);
        p.typewriter_step();
        QCOMPARE(captions.last().first().toString(), first);
        int ticks = 0;
        bool saw_last_sentence = false;
        do {
            p.typewriter_step();
            ++ticks;
            saw_last_sentence = saw_last_sentence || p.script_sentence() == 9;
        } while (!(p.script_sentence() == 0 && p.speech_pos() == 1 && saw_last_sentence) &&
                 ticks < 2000);
        QCOMPARE(ticks, 498);
        QCOMPARE(captions.last().first().toString(), first);
    }

    void pause_after_each_sentence_data()
    {
        QTest::addColumn<int>("sentence");
        QTest::addColumn<int>("pause");
        const int pauses[] = {11, 11, 11, 7, 7, 7, 7, 7, 11, 30};
        for (int i = 0; i < Presenter::sentence_count; ++i)
            QTest::addRow("sentence %d", i + 1) << i << pauses[i];
    }

    void pause_after_each_sentence()
    {
        // After its last visible character a sentence stands for its trailing
        // blanks plus two ticks before the next one begins.
        QFETCH(int, sentence);
        QFETCH(int, pause);
        Presenter p;
        QSignalSpy captions(&p, &Presenter::caption_changed);
        p.start_script();
        const QString text = Presenter::sentences()[static_cast<std::size_t>(sentence)];
        const QString visible = text.trimmed();
        QVERIFY(ticks_until(p, visible, captions, 600) > 0);
        const QString next =
            Presenter::sentences()[static_cast<std::size_t>((sentence + 1) % 10)].left(1);
        QCOMPARE(ticks_until(p, next, captions, 100), pause);
    }

    void report_takes_over_and_hands_back_data()
    {
        QTest::addColumn<int>("interrupted_sentence");
        QTest::addColumn<bool>("cancelled");
        for (int s : {0, 4, 9}) {
            QTest::addRow("during sentence %d, finished report", s + 1) << s << false;
            QTest::addRow("during sentence %d, cancelled entry", s + 1) << s << true;
        }
    }

    void report_takes_over_and_hands_back()
    {
        QFETCH(int, interrupted_sentence);
        QFETCH(bool, cancelled);
        Presenter p;
        QRandomGenerator generator;
        QSignalSpy captions(&p, &Presenter::caption_changed);
        QSignalSpy faces(&p, &Presenter::face_chosen);
        p.start_script();
        while (p.script_sentence() != interrupted_sentence)
            p.typewriter_step();
        for (int i = 0; i < 5; ++i)
            p.typewriter_step();

        p.take_over();
        QCOMPARE(captions.last().first().toString(), QString());
        QCOMPARE(p.face_hold(), Presenter::FaceHold::report_running);
        for (int i = 0; i < 20; ++i) {
            p.typewriter_step();
            p.face_step(generator);
        }
        QCOMPARE(faces.size(), 0); // frozen face
        QCOMPARE(captions.last().first().toString(), QString());
        QCOMPARE(p.script_sentence(), interrupted_sentence); // suspended beneath the report

        if (!cancelled) {
            const QString sentence = QStringLiteral("Ich rechne nun.");
            p.say(sentence);
            for (int i = 0; i < sentence.size(); ++i)
                p.typewriter_step();
            QCOMPARE(captions.last().first().toString(), sentence);
            QVERIFY(!p.speech_finished());
            p.typewriter_step();
            QVERIFY(p.speech_finished());
        }
        p.end_report();
        // The report window is open now: its sentence stays, the script waits.
        for (int i = 0; i < 200; ++i)
            p.typewriter_step();
        QCOMPARE(captions.last().first().toString(),
                 cancelled ? QString() : QStringLiteral("Ich rechne nun."));
        QCOMPARE(p.script_sentence(), interrupted_sentence);
        p.face_step(generator);
        QCOMPARE(faces.size(), 1); // faces change again once the report is over
        p.hand_back();
        QCOMPARE(p.reports_running(), 0);

        // The professor starts over with his first sentence within two ticks.
        const QString first = Presenter::sentences()[0].left(1);
        QVERIFY(ticks_until(p, first, captions, 2) > 0);
        QCOMPARE(p.script_sentence(), 0);
        QCOMPARE(p.face_hold(), Presenter::FaceHold::normal);
    }

    void nested_reports_hand_back_in_order()
    {
        Presenter p;
        p.start_script();
        p.take_over();
        p.take_over(); // a reprint started from the report window
        QCOMPARE(p.reports_running(), 2);
        p.end_report();
        p.hand_back();
        for (int i = 0; i < 5; ++i)
            p.typewriter_step();
        QCOMPARE(p.speech_text(), QString()); // still the outer report's
        p.hand_back();
        p.typewriter_step();
        QCOMPARE(p.script_sentence(), 0);
        QCOMPARE(p.speech_text(), Presenter::sentences()[0]);
    }

    void faces_are_spread_over_three()
    {
        Presenter p;
        QRandomGenerator generator;
        QSignalSpy faces(&p, &Presenter::face_chosen);
        int seen[4] = {};
        for (int i = 0; i < 3000; ++i)
            p.face_step(generator);
        for (const QList<QVariant> &face : faces) {
            const int k = static_cast<int>(face.first().value<Presenter::Face>());
            QVERIFY(k >= 1 && k <= 3);
            ++seen[k];
        }
        for (int k = 1; k <= 3; ++k)
            QVERIFY2(seen[k] > 800, qPrintable(QString::number(seen[k])));
    }

    void waiting_for_a_sentence_blocks_in_the_event_loop()
    {
        Presenter p;
        QTimer ticks;
        ticks.setInterval(1);
        connect(&ticks, &QTimer::timeout, &p, &Presenter::typewriter_step);
        p.take_over();
        p.say(QStringLiteral("Eins zwei drei."));
        ticks.start();
        p.wait_for_sentence();
        QVERIFY(p.speech_finished());
        QCOMPARE(p.speech_pos(), 16);
    }
};

QTEST_GUILESS_MAIN(TestPresenter)
#include "test_presenter.moc"
