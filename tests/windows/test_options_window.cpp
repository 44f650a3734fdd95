// The options window's behaviour: the two queries, the start button as the
// only way out and the preset from the command line (the focus on the start
// button is test_window_definitions'). Where it opens is checked on a real X server (tests/e2e).

#include "dialog.h"
#include "driver.h"

#include <QApplication>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

class TestOptionsWindow : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void queries_data();
    void queries();
    void preset_data();
    void preset();
    void keyboard_confirms_defaults();
    void no_way_out_but_start_button_data();
    void no_way_out_but_start_button();

private:
    QPushButton *start_button() const
    {
        return dialog->findChild<QPushButton *>(QStringLiteral("Command1"));
    }
    // Runs the dialog modally and calls step once it is active; false if the
    // window had to be closed by force, as one that stays open would hang the test.
    bool exec_with(const std::function<void()> &step);

    std::unique_ptr<Dialog> dialog;
};

void TestOptionsWindow::init()
{
    dialog = std::make_unique<Dialog>();
}

void TestOptionsWindow::cleanup()
{
    dialog.reset();
}

bool TestOptionsWindow::exec_with(const std::function<void()> &step)
{
    support::Driver driver(5000);
    driver.when(
        QStringLiteral("options window active"), [this] { return dialog->isActiveWindow(); }, step);
    dialog->exec();
    return driver.done();
}

void TestOptionsWindow::queries_data()
{
    QTest::addColumn<int>("ausdruck");
    QTest::addColumn<int>("lotto");
    QTest::addColumn<bool>("printout");
    QTest::addColumn<int>("variant");

    QTest::newRow("screen, 6 aus 45") << 1 << 0 << false << 45;
    QTest::newRow("screen, 6 aus 49") << 1 << 1 << false << 49;
    QTest::newRow("printout, 6 aus 45") << 0 << 0 << true << 45;
    QTest::newRow("printout, 6 aus 49") << 0 << 1 << true << 49;
}

void TestOptionsWindow::queries()
{
    QFETCH(int, ausdruck);
    QFETCH(int, lotto);
    dialog->show();
    QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
    // Clicked on the circle, as the user does; each click clears the other
    // button of its group.
    const auto click = [](QRadioButton *button) {
        QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
    };
    click(dialog->Ausdruck(ausdruck));
    click(dialog->Lotto(lotto));
    QVERIFY(dialog->Ausdruck(ausdruck)->isChecked());
    QVERIFY(dialog->Lotto(lotto)->isChecked());
    QVERIFY(!dialog->Ausdruck(1 - ausdruck)->isChecked());
    QVERIFY(!dialog->Lotto(1 - lotto)->isChecked());

    QTest::mouseClick(start_button(), Qt::LeftButton);
    QVERIFY(dialog->isHidden());
    // The choice holds after the window is gone.
    QTEST(dialog->printout_selected(), "printout");
    QTEST(dialog->read_lottery_variant(), "variant");
}

void TestOptionsWindow::preset_data()
{
    queries_data();
}

void TestOptionsWindow::preset()
{
    QFETCH(int, ausdruck);
    QFETCH(int, lotto);
    QFETCH(bool, printout);
    QFETCH(int, variant);
    // The opposite selected first, so that every button has to change.
    dialog->Ausdruck(1 - ausdruck)->setChecked(true);
    dialog->Lotto(1 - lotto)->setChecked(true);

    QSignalSpy confirmed(dialog.get(), &Dialog::confirmed);
    dialog->preset(printout, variant);
    QVERIFY(dialog->Ausdruck(ausdruck)->isChecked());
    QVERIFY(dialog->Lotto(lotto)->isChecked());
    QCOMPARE(dialog->printout_selected(), printout);
    QCOMPARE(dialog->read_lottery_variant(), variant);
    // Confirmed as by the start button, and never on screen.
    QVERIFY(dialog->is_confirmed());
    QCOMPARE(confirmed.count(), 1);
    QVERIFY(!dialog->windowHandle());
}

void TestOptionsWindow::keyboard_confirms_defaults()
{
    // The start button has the focus, so Enter alone starts with the
    // defaults and ends the modal show.
    QWidget *focused = nullptr;
    bool confirmed_before = true;
    QSignalSpy confirmed(dialog.get(), &Dialog::confirmed);
    QVERIFY(exec_with([&] {
        focused = QApplication::focusWidget();
        confirmed_before = dialog->is_confirmed();
        QTest::keyClick(focused, Qt::Key_Return);
    }));
    QCOMPARE(focused, start_button());
    QVERIFY(!confirmed_before);
    QVERIFY(dialog->is_confirmed());
    QCOMPARE(confirmed.size(), 1);
    QVERIFY(dialog->isHidden());
    QCOMPARE(dialog->printout_selected(), false);
    QCOMPARE(dialog->read_lottery_variant(), 45);
}

void TestOptionsWindow::no_way_out_but_start_button_data()
{
    QTest::addColumn<bool>("escape");
    QTest::newRow("Escape key") << true;
    QTest::newRow("window manager's close") << false;
}

void TestOptionsWindow::no_way_out_but_start_button()
{
    QFETCH(bool, escape);
    bool visible_after_attempt = false;
    bool confirmed_after_attempt = true;
    QVERIFY(exec_with([&] {
        if (escape) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        } else {
            dialog->windowHandle()->close();
        }
        QCoreApplication::processEvents();
        visible_after_attempt = dialog->isVisible();
        confirmed_after_attempt = dialog->is_confirmed();
        QTest::mouseClick(start_button(), Qt::LeftButton);
    }));
    QVERIFY(visible_after_attempt);
    QVERIFY(!confirmed_after_attempt);
    QVERIFY(dialog->is_confirmed());
}

QTEST_MAIN(TestOptionsWindow)
#include "test_options_window.moc"
