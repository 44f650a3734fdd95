#include "platform.h"

#include <QAbstractEventDispatcher>
#include <QKeyEvent>
#include <QTest>

#include <qt_windows.h>

// Qt marks a press as a repeat whenever it missed the key's last release;
// only a press whose own message says the key was down already repeats.
class TestKeyMessages : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { watch_key_presses(); }
    void a_repeat_is_a_key_held_down_data();
    void a_repeat_is_a_key_held_down();
};

void TestKeyMessages::a_repeat_is_a_key_held_down_data()
{
    QTest::addColumn<quint32>("message_key");
    QTest::addColumn<bool>("was_down"); // bit 30 of the message
    QTest::addColumn<bool>("marked");   // Qt's mark on the press
    QTest::addColumn<bool>("held");
    QTest::newRow("a first press") << quint32(VK_RETURN) << false << false << false;
    QTest::newRow("marked, its release missed") << quint32(VK_RETURN) << false << true << false;
    QTest::newRow("marked, the key was down") << quint32(VK_RETURN) << true << true << true;
    QTest::newRow("another key was down") << quint32('B') << true << true << false;
}

void TestKeyMessages::a_repeat_is_a_key_held_down()
{
    QFETCH(quint32, message_key);
    QFETCH(bool, was_down);
    QFETCH(bool, marked);
    QFETCH(bool, held);
    for (const quint32 key : {quint32(VK_RETURN), quint32('B')}) {
        MSG up{};
        up.message = WM_KEYDOWN;
        up.wParam = key;
        qintptr result = 0;
        QAbstractEventDispatcher::instance()->filterNativeEvent("windows_dispatcher_MSG", &up,
                                                                &result);
    }
    MSG message{};
    message.message = WM_KEYDOWN;
    message.wParam = message_key;
    message.lParam = LPARAM(28) << 16 | (was_down ? LPARAM(1) << 30 : 0);
    qintptr result = 0;
    QAbstractEventDispatcher::instance()->filterNativeEvent("windows_dispatcher_MSG", &message,
                                                            &result);
    const QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, 28, VK_RETURN, 0,
                          QString(), marked);
    QCOMPARE(marked_repeat_held(press), held);
}

QTEST_GUILESS_MAIN(TestKeyMessages)
#include "test_key_messages.moc"
