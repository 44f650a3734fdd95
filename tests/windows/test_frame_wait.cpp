#include "frame_wait.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QTest>
#include <QWindow>

// A compositor that never answers: the window's update requests go nowhere.
class NoFrames : public QObject
{
    bool eventFilter(QObject *, QEvent *event) override
    {
        return event->type() == QEvent::UpdateRequest;
    }
};

class TestFrameWait : public QObject
{
    Q_OBJECT

private slots:
    void a_held_key_hides_once_after_the_last_frame_data()
    {
        QTest::addColumn<bool>("frames_answered");
        QTest::addColumn<int>("bound_ms");
        // With its frame answered the window hides long before the bound.
        QTest::newRow("frame answered") << true << 60000;
        QTest::newRow("no frame comes") << false << 300;
    }

    void a_held_key_hides_once_after_the_last_frame()
    {
        QFETCH(bool, frames_answered);
        QFETCH(int, bound_ms);
        QDialog dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));

        int hides = 0;
        QElapsedTimer clock;
        clock.start();
        for (int press = 0; press < 3; ++press)
            hide_after_last_frame(
                dialog,
                [&] {
                    ++hides;
                    dialog.hide();
                },
                true, bound_ms);
        QVERIFY(dialog.isVisible());
        NoFrames no_frames;
        if (!frames_answered)
            dialog.windowHandle()->installEventFilter(&no_frames);

        QTRY_COMPARE(hides, 1);
        QCOMPARE(clock.elapsed() >= bound_ms, !frames_answered);
        QTest::qWait(400);
        QCOMPARE(hides, 1);
    }
};

QTEST_MAIN(TestFrameWait)
#include "test_frame_wait.moc"
