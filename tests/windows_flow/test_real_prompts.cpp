// The real boxes, driven by keys: QInputDialog and QMessageBox as the prompt
// layer shows them, on their own and through a whole analysis.

#include "flow_support.h"
#include "held_key.h"
#include "held_keys.h"

using namespace flow;

namespace {

constexpr double time_scale = 0.01;

} // namespace

class TestRealPrompts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void ask_text_data();
    void ask_text();
    void ask_yes_no_data();
    void ask_yes_no();
    void show_error();
    void keys_held_in_the_date_box();
    void a_whole_analysis_through_the_real_boxes();
    void keyboard_back_on_the_main_window_data();
    void keyboard_back_on_the_main_window();

private:
    QList<int> ended;
};

void TestRealPrompts::initTestCase()
{
    quiet_platform_notes();
}

void TestRealPrompts::init()
{
    log().clear();
    ended.clear();
}

void TestRealPrompts::ask_text_data()
{
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("date, Return") << entry_texts::date_prompt << QStringLiteral("24011973")
                                  << int(Qt::Key_Return) << QStringLiteral("24011973");
    QTest::newRow("blanks are kept") << entry_texts::date_prompt << QStringLiteral(" 24011973 ")
                                     << int(Qt::Key_Return) << QStringLiteral(" 24011973 ");
    QTest::newRow("Enter on the keypad") << entry_texts::date_prompt << QStringLiteral("05031980")
                                         << int(Qt::Key_Enter) << QStringLiteral("05031980");
    QTest::newRow("Escape after typing gives empty text")
        << entry_texts::date_prompt << QStringLiteral("24011973") << int(Qt::Key_Escape)
        << QString();
    QTest::newRow("nothing typed, Return")
        << entry_texts::date_prompt << QString() << int(Qt::Key_Return) << QString();
    QTest::newRow("name") << entry_texts::name_prompt << QStringLiteral("Eva Maria")
                          << int(Qt::Key_Return) << QStringLiteral("Eva Maria");
}

void TestRealPrompts::ask_text()
{
    QFETCH(QString, prompt);
    QFETCH(QString, typed);
    QFETCH(int, key);
    QFETCH(QString, expected);
    QtPrompts prompts;
    Driver driver;
    QString title;
    bool modal = false;
    bool empty_field = false;
    driver.when(
        QStringLiteral("input box active"), [&] { return input_box(prompt) != nullptr; },
        [&] {
            QInputDialog *box = input_box(prompt);
            title = box->windowTitle();
            modal = box->isModal();
            empty_field = box->findChild<QLineEdit *>()->text().isEmpty();
            answer(box, typed, Qt::Key(key));
        });
    const QString given = prompts.ask_text(prompt, QStringLiteral("Eingabe"));
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(given, expected);
    QCOMPARE(title, QStringLiteral("Eingabe"));
    QVERIFY(modal);
    QVERIFY(empty_field); // no default answer
}

void TestRealPrompts::ask_yes_no_data()
{
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("expected");
    QTest::newRow("Return answers Yes") << QStringLiteral("Return") << true;
    QTest::newRow("Yes clicked") << QStringLiteral("click Yes") << true;
    QTest::newRow("No clicked") << QStringLiteral("click No") << false;
    QTest::newRow("Escape answers No") << QStringLiteral("Escape") << false;
}

void TestRealPrompts::ask_yes_no()
{
    QFETCH(QString, action);
    QFETCH(bool, expected);
    QtPrompts prompts;
    Driver driver;
    MessageShown shown{{}, {}, QMessageBox::Critical, {}};
    bool yes_is_default = false;
    driver.when(
        QStringLiteral("question active"), [] { return active_box<QMessageBox>() != nullptr; },
        [&] {
            QMessageBox *box = active_box<QMessageBox>();
            shown = MessageShown::of(*box);
            yes_is_default = box->defaultButton() == box->button(QMessageBox::Yes);
            if (action == QStringLiteral("Return"))
                QTest::keyClick(box->windowHandle(), Qt::Key_Return);
            else if (action == QStringLiteral("Escape"))
                QTest::keyClick(box->windowHandle(), Qt::Key_Escape);
            else if (action == QStringLiteral("click Yes"))
                click(box->button(QMessageBox::Yes));
            else
                click(box->button(QMessageBox::No));
        });
    const bool given = prompts.ask_yes_no(QStringLiteral("Wollen Sie das Programm beenden"),
                                          QStringLiteral("Ende"));
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(given, expected);
    QCOMPARE(shown.text, QStringLiteral("Wollen Sie das Programm beenden"));
    QCOMPARE(shown.title, QStringLiteral("Ende"));
    QCOMPARE(shown.icon, QMessageBox::NoIcon);
    QCOMPARE(shown.buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(yes_is_default);
}

void TestRealPrompts::show_error()
{
    QtPrompts prompts;
    Driver driver;
    MessageShown shown;
    const QString message = QStringLiteral(
        "Du hast das Datum falsch eingeben ! Gib das Datum im Format TTMMJJJJ also z.B.: "
        "24011973 ein !");
    confirm_message(driver, QStringLiteral("error box active"), shown);
    prompts.show_error(message, QStringLiteral("falsches Geburtsdatum"));
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(shown.text, message);
    QCOMPARE(shown.title, QStringLiteral("falsches Geburtsdatum"));
    QCOMPARE(shown.icon, QMessageBox::Critical);
    QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
}

void TestRealPrompts::keys_held_in_the_date_box()
{
    // Space held over from the main window types nothing; a held digit does.
    HeldKeys held_keys(true);
    QtPrompts prompts;
    Driver driver;
    driver.when(
        QStringLiteral("date box"), [] { return input_box(entry_texts::date_prompt) != nullptr; },
        [] {
            support::hold_key(Qt::Key_Space, {}, QStringLiteral(" "), false, true);
            support::hold_key(Qt::Key_1, {}, QStringLiteral("1"), true, false);
            QTest::keyClick(QGuiApplication::focusWindow(), Qt::Key_Return);
        });
    QCOMPARE(prompts.ask_text(entry_texts::date_prompt, QStringLiteral("Eingabe")),
             QStringLiteral("111111"));
    QVERIFY2(driver.done(), qPrintable(driver.failure));
}

void TestRealPrompts::a_whole_analysis_through_the_real_boxes()
{
    // The program with its real boxes: options by keyboard, a wrong date,
    // the right one, the report window left with Alt+D, a cancelled entry
    // and the end.
    WindowWatcher watcher;
    Driver driver;
    Quendra window(pinned_setup(time_scale, nullptr, [this](int status) {
        ended.append(status);
        log_end(status);
    }));
    QVERIFY2(start_by_keyboard(window, driver), qPrintable(driver.failure));

    MessageShown error;
    QWidget *focus_at_open = nullptr;
    type_entry(driver, QStringLiteral("31021973"), QStringLiteral("Eva"));
    confirm_message(driver, QStringLiteral("error box"), error);
    type_entry(driver, QStringLiteral("24011973"), QStringLiteral("Eva"), QStringLiteral(" again"));
    driver.when(
        QStringLiteral("report window active"), [&] { return report_active(window); },
        [&] {
            focus_at_open = QApplication::focusWidget();
            QTest::keyClick(window.report_window()->windowHandle(), Qt::Key_D, Qt::AltModifier);
        });
    press(window, Qt::Key_A);
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(log(), steps({"input box", "input box", "message box", "input box", "input box",
                           "show bildschirm", "hide bildschirm"}));
    QCOMPARE(error.icon, QMessageBox::Critical);
    QCOMPARE(error.text, QStringLiteral("Du hast das Datum falsch eingeben ! Gib das Datum im "
                                        "Format TTMMJJJJ also z.B.: 24011973 ein !"));
    QCOMPARE(focus_at_open, button(window.report_window(), "Command1"));
    QVERIFY(window.report_window()->blatt()->image() ==
            expected_report(QStringLiteral("24011973"), QStringLiteral("Eva"), 45));

    // Escape at the date: no name box, no report.
    QVERIFY(QTest::qWaitFor([&] { return window.isActiveWindow(); }, patience_ms));
    log().clear();
    driver.when(
        QStringLiteral("date box"), [] { return input_box(entry_texts::date_prompt) != nullptr; },
        [] { answer(input_box(entry_texts::date_prompt), QString(), Qt::Key_Escape); });
    press(window, Qt::Key_Space);
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QVERIFY(!QTest::qWaitFor([] { return QApplication::activeModalWidget() != nullptr; }, 100));
    QCOMPARE(log(), steps({"input box"}));

    // The X, and Return for the default Yes.
    driver.when(
        QStringLiteral("exit question"), [] { return active_box<QMessageBox>() != nullptr; },
        [] { QTest::keyClick(active_box<QMessageBox>()->windowHandle(), Qt::Key_Return); });
    click(control(window, "Label1"));
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(ended, QList<int>{0});
}

void TestRealPrompts::keyboard_back_on_the_main_window_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("date box cancelled") << QStringLiteral("date");
    QTest::newRow("name box cancelled") << QStringLiteral("name");
    QTest::newRow("exit question answered No") << QStringLiteral("exit");
}

void TestRealPrompts::keyboard_back_on_the_main_window()
{
    // When a box closes without a report window, the next person's key must
    // reach the main window again, also where no window manager hands the
    // focus back (a kiosk session).
    QFETCH(QString, box);
    Driver driver;
    Quendra window(pinned_setup(time_scale, nullptr, [this](int status) {
        ended.append(status);
        log_end(status);
    }));
    QVERIFY2(start_by_keyboard(window, driver), qPrintable(driver.failure));

    if (box == QStringLiteral("exit")) {
        driver.when(
            QStringLiteral("exit question"), [] { return active_box<QMessageBox>() != nullptr; },
            [] { click(active_box<QMessageBox>()->button(QMessageBox::No)); });
        click(control(window, "Label1"));
    } else {
        driver.when(
            QStringLiteral("date box"),
            [] { return input_box(entry_texts::date_prompt) != nullptr; },
            [&] {
                answer(input_box(entry_texts::date_prompt),
                       box == QStringLiteral("date") ? QString() : QStringLiteral("24011973"),
                       box == QStringLiteral("date") ? Qt::Key_Escape : Qt::Key_Return);
            });
        if (box == QStringLiteral("name"))
            driver.when(
                QStringLiteral("name box"),
                [] { return input_box(entry_texts::name_prompt) != nullptr; },
                [] { answer(input_box(entry_texts::name_prompt), QString(), Qt::Key_Escape); });
        press(window, Qt::Key_A);
    }
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QVERIFY(ended.isEmpty());
    // Without a window manager the next key reaches the professor only if
    // the main window is activated again after every box.
    QVERIFY(QTest::qWaitFor([&] { return window.isActiveWindow(); }, 2000));
}

QTEST_MAIN(TestRealPrompts)
#include "test_real_prompts.moc"
