#include "bildschirm.h"
#include "drawing_area.h"
#include "driver.h"
#include "held_key.h"
#include "held_keys.h"

#include <QCloseEvent>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>

namespace {

QColor colour_of(const QWidget *widget, QPalette::ColorRole role)
{
    return widget->palette().color(QPalette::Active, role);
}

void show_resized(bildschirm &window)
{
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.resize(900, 300);
    QCoreApplication::processEvents();
}

} // namespace

class TestBildschirm : public QObject
{
    Q_OBJECT

private slots:
    void window();
    void buttons_data();
    void buttons();
    void blatt();
    void tab_order();
    void command1_hides_the_window_and_ends_exec();
    void command2_asks_for_a_print_and_the_window_stays();
    void a_held_key_is_one_press_data();
    void a_held_key_is_one_press();
    void escape_and_close_requests_leave_it_open();
    void quitting_the_program_is_not_held_up();
};

void TestBildschirm::window()
{
    bildschirm window;
    QCOMPARE(window.objectName(), QStringLiteral("bildschirm"));
    QCOMPARE(window.windowTitle(), QStringLiteral("Hier ist Ihre Quendra"));
    QCOMPARE(window.size(), QSize(517, 573));
    QCOMPARE(colour_of(&window, QPalette::Window), QColor(0xFF, 0xE0, 0xC0));

    const Qt::WindowFlags flags = window.windowFlags();
    QVERIFY(flags.testFlag(Qt::Dialog));
    QVERIFY(flags.testFlag(Qt::WindowTitleHint));
    QVERIFY(flags.testFlag(Qt::CustomizeWindowHint));
    QVERIFY(!flags.testFlag(Qt::WindowSystemMenuHint));
    QVERIFY(!flags.testFlag(Qt::WindowCloseButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMinimizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::WindowMaximizeButtonHint));
    QVERIFY(!flags.testFlag(Qt::MSWindowsFixedSizeDialogHint));
    QVERIFY(!window.windowIcon().pixmap(32).isNull());
}

void TestBildschirm::buttons_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QColor>("background");
    QTest::addColumn<QSize>("icon_size");

    QTest::newRow("Command2") << QStringLiteral("Command2") << QRect(280, 4, 229, 41)
                              << QStringLiteral("&Bitte ausdrucken")
                              << QStringLiteral("Hier klicken wenn Du einen Ausdruck möchtest")
                              << QColor(0xFF, 0xC0, 0x80) << QSize(32, 33);
    QTest::newRow("Command1") << QStringLiteral("Command1") << QRect(4, 4, 229, 41)
                              << QStringLiteral("&Der nächste bitte...")
                              << QStringLiteral("Hier klicken sobald Du alles gelesen hast")
                              << QColor(0xC0, 0xFF, 0xC0) << QSize(32, 32);
}

void TestBildschirm::buttons()
{
    QFETCH(QString, name);
    QFETCH(QRect, geometry);
    QFETCH(QString, text);
    QFETCH(QString, tooltip);
    QFETCH(QColor, background);
    QFETCH(QSize, icon_size);

    bildschirm window;
    auto *button = window.findChild<QPushButton *>(name);
    QVERIFY(button);
    // Where the design puts it, also in a window made larger or smaller.
    show_resized(window);
    QCOMPARE(button->geometry(), geometry);
    QCOMPARE(button->text(), text);
    QCOMPARE(button->toolTip(), tooltip);
    QCOMPARE(colour_of(button, QPalette::Button), background);
    QCOMPARE(button->iconSize(), icon_size);
    QCOMPARE(button->focusPolicy(), Qt::StrongFocus);
    QVERIFY(!button->icon().pixmap(icon_size).isNull());
}

void TestBildschirm::blatt()
{
    bildschirm window;
    DrawingArea *area = window.blatt();
    QVERIFY(area);
    QCOMPARE(area->objectName(), QStringLiteral("blatt"));
    QCOMPARE(window.findChild<DrawingArea *>(QStringLiteral("blatt")), area);
    show_resized(window);
    QCOMPARE(area->geometry(), QRect(4, 48, 509, 521));
    QCOMPARE(area->frameShape(), QFrame::Panel);
    QCOMPARE(area->frameShadow(), QFrame::Sunken);
    QCOMPARE(area->frameWidth(), 2);
    QCOMPARE(colour_of(area, QPalette::Window), QColor(Qt::white));
    QVERIFY(area->focusPolicy() & Qt::TabFocus);
}

void TestBildschirm::tab_order()
{
    bildschirm window;
    auto *command1 = window.findChild<QPushButton *>(QStringLiteral("Command1"));
    auto *command2 = window.findChild<QPushButton *>(QStringLiteral("Command2"));
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    // The tab key walks Command1, blatt, Command2 and round again.
    const QList<QWidget *> order = {command1, window.blatt(), command2, command1};
    QCOMPARE(QApplication::focusWidget(), order.first());
    for (qsizetype i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), order.at(i));
    }

    // Command1 has the focus whenever the window becomes active: away to
    // another window and back, after the focus had moved on.
    command2->setFocus();
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QCOMPARE(QApplication::focusWidget(), command1);
}

void TestBildschirm::command1_hides_the_window_and_ends_exec()
{
    bildschirm window;
    auto *command1 = window.findChild<QPushButton *>(QStringLiteral("Command1"));
    support::Driver driver(10000);
    driver.when(
        QStringLiteral("report window shown"), [&] { return window.isVisible(); },
        [&] { QTest::mouseClick(command1, Qt::LeftButton); });
    QCOMPARE(window.exec(), int(QDialog::Accepted));
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QVERIFY(!window.isVisible());
}

void TestBildschirm::command2_asks_for_a_print_and_the_window_stays()
{
    bildschirm window;
    auto *command2 = window.findChild<QPushButton *>(QStringLiteral("Command2"));
    QSignalSpy print(&window, &bildschirm::print_requested);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QTest::mouseClick(command2, Qt::LeftButton);
    QCOMPARE(print.count(), 1);
    QVERIFY(window.isVisible());
    // Its access key prints again.
    QTest::keyClick(window.windowHandle(), Qt::Key_B, Qt::AltModifier);
    QTRY_COMPARE(print.count(), 2);
    QVERIFY(window.isVisible());
}

void TestBildschirm::a_held_key_is_one_press_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("presses"); // 0: it went down on another window
    QTest::addColumn<bool>("marked");
    QTest::addColumn<bool>("x11"); // unmarked repeats are told by their time
    QTest::addColumn<int>("prints");
    QTest::newRow("Alt+B held prints once") << int(Qt::Key_B) << 1 << true << true << 1;
    QTest::newRow("Alt+B held, X11 repeats") << int(Qt::Key_B) << 1 << false << true << 1;
    QTest::newRow("Alt+B held twice prints twice") << int(Qt::Key_B) << 2 << false << true << 2;
    // Elsewhere presses that share a time are presses (Windows' coarse clock).
    QTest::newRow("Alt+B six times, one time each") << int(Qt::Key_B) << 1 << false << false << 6;
    QTest::newRow("Return held from the name box") << int(Qt::Key_Return) << 0 << true << true << 0;
    QTest::newRow("Space held from the main window")
        << int(Qt::Key_Space) << 0 << false << true << 0;
}

void TestBildschirm::a_held_key_is_one_press()
{
    QFETCH(int, key);
    QFETCH(int, presses);
    QFETCH(bool, marked);
    QFETCH(bool, x11);
    QFETCH(int, prints);
    HeldKeys held_keys(x11);
    bildschirm window;
    QSignalSpy print(&window, &bildschirm::print_requested);
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    for (int i = 0; i < std::max(presses, 1); ++i)
        support::hold_key(Qt::Key(key), key == Qt::Key_B ? Qt::AltModifier : Qt::NoModifier,
                          QString(), presses > 0, marked);
    QTest::qWait(150); // the last click
    QCOMPARE(print.count(), prints);
    QVERIFY(window.isVisible());
}

void TestBildschirm::escape_and_close_requests_leave_it_open()
{
    bildschirm window;
    window.show();
    QVERIFY(QTest::qWaitForWindowActive(&window));

    QTest::keyClick(&window, Qt::Key_Escape);
    QVERIFY(window.isVisible());
    window.reject();
    QVERIFY(window.isVisible());
    // The window system's close request (the user's Alt+F4), as the window
    // system delivers it to the widget's window.
    QCloseEvent request;
    QCoreApplication::sendEvent(window.windowHandle(), &request);
    QVERIFY(!request.isAccepted());
    QVERIFY(window.isVisible());
}

void TestBildschirm::quitting_the_program_is_not_held_up()
{
    bildschirm window;
    int shown = 99;
    // The program quits while the window is shown modally, inside the
    // program's event loop.
    QTimer::singleShot(0, &window, [&] {
        QTimer::singleShot(0, &window, [] { QCoreApplication::quit(); });
        shown = window.exec();
    });
    QTimer guard;
    guard.setSingleShot(true);
    connect(&guard, &QTimer::timeout, &window, [] { QCoreApplication::exit(1); });
    guard.start(10000);

    QCOMPARE(QCoreApplication::exec(), 0);
    QCOMPARE(shown, int(QDialog::Rejected));
    QVERIFY(!window.isVisible());
}

QTEST_MAIN(TestBildschirm)
#include "test_bildschirm.moc"
