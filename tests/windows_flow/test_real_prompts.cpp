// The real boxes, driven by keys: QInputDialog and QMessageBox as the prompt
// layer shows them, on their own and through a whole analysis. Whatever text
// they carry is shown as it is: Qt would otherwise take anything that looks
// like a tag for markup.

#include "held_key.h"
#include "held_keys.h"
#include "program_session.h"

#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>

using namespace support;

namespace {

constexpr double time_scale = 0.01;

/// The modal box of type T that has the keyboard, or null.
template <typename T> T *active_box()
{
    auto *box = qobject_cast<T *>(QApplication::activeModalWidget());
    return box && box->isVisible() && box->isActiveWindow() ? box : nullptr;
}

/// The input box with the given prompt, as the user sees it (CR LF shown as a
/// line break), when it has the keyboard; else null.
QInputDialog *input_box(const QString &prompt)
{
    QInputDialog *box = active_box<QInputDialog>();
    const QString shown = QString(prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return box && box->labelText() == shown ? box : nullptr;
}

/// Has the driver type text into the box with the prompt when it comes and
/// end it with key, as a user would.
void answer(Driver &driver, const QString &prompt, const QString &text,
            Qt::Key key = Qt::Key_Return)
{
    driver.when(
        QStringLiteral("the box ") + prompt, [prompt] { return input_box(prompt) != nullptr; },
        [prompt, text, key] {
            QInputDialog *box = input_box(prompt);
            QTest::keyClicks(box->findChild<QLineEdit *>(), text);
            QTest::keyClick(box->windowHandle(), key);
        });
}

/// What a message box showed.
struct MessageShown
{
    QString text;
    QString title;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    bool yes_is_default = false;
    Qt::TextFormat format = Qt::AutoText; // text from outside is never markup
};

/// Has the driver note what the next message box shows, in shown, and
/// answer it: Return or Escape as keys, any other button clicked.
void answer_message(Driver &driver, MessageShown &shown, int reply = Qt::Key_Return)
{
    driver.when(
        QStringLiteral("message box"), [] { return active_box<QMessageBox>() != nullptr; },
        [&shown, reply] {
            QMessageBox *box = active_box<QMessageBox>();
            shown = {box->text(),
                     box->windowTitle(),
                     box->icon(),
                     box->standardButtons(),
                     box->defaultButton() == box->button(QMessageBox::Yes),
                     box->textFormat()};
            if (reply == Qt::Key_Return || reply == Qt::Key_Escape)
                QTest::keyClick(box->windowHandle(), Qt::Key(reply));
            else
                click(box->button(QMessageBox::StandardButton(reply)));
        });
}

} // namespace

class TestRealPrompts : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void ask_text_data();
    void ask_text();
    void ask_yes_no_data();
    void ask_yes_no();
    void show_error_data();
    void show_error();
    void keys_held_in_the_date_box();
    void keyboard_back_on_the_main_window_data();
    void keyboard_back_on_the_main_window();
};

void TestRealPrompts::initTestCase()
{
    // Drops the offscreen platform's note that it cannot pass size hints on,
    // which every box would print; everything else goes through.
    static QtMessageHandler previous = nullptr;
    previous = qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &context,
                                         const QString &message) {
        if (!message.contains(QStringLiteral("does not support propagateSizeHints")) && previous)
            previous(type, context, message);
    });
}

void TestRealPrompts::ask_text_data()
{
    QTest::addColumn<QString>("prompt");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("expected");
    QTest::newRow("blanks are kept") << entry_texts::date_prompt << QStringLiteral(" 24011973 ")
                                     << int(Qt::Key_Return) << QStringLiteral(" 24011973 ");
    QTest::newRow("Enter on the keypad") << entry_texts::date_prompt << QStringLiteral("05031980")
                                         << int(Qt::Key_Enter) << QStringLiteral("05031980");
    QTest::newRow("Escape after typing gives empty text")
        << entry_texts::date_prompt << QStringLiteral("24011973") << int(Qt::Key_Escape)
        << QString();
    QTest::newRow("nothing typed, Return")
        << entry_texts::date_prompt << QString() << int(Qt::Key_Return) << QString();
    // Never taken for markup on the way back.
    const QString markup = QStringLiteral("<b>fett</b> <img src=x> &amp;");
    QTest::newRow("a name that looks like markup")
        << entry_texts::name_prompt << markup << int(Qt::Key_Return) << markup;
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
    Qt::TextFormat format = Qt::AutoText;
    driver.when(
        QStringLiteral("input box active"), [&] { return input_box(prompt) != nullptr; },
        [&] {
            QInputDialog *box = input_box(prompt);
            title = box->windowTitle();
            modal = box->isModal();
            empty_field = box->findChild<QLineEdit *>()->text().isEmpty();
            format = box->findChild<QLabel *>()->textFormat();
        });
    answer(driver, prompt, typed, Qt::Key(key));
    const QString given = prompts.ask_text(prompt, QStringLiteral("Eingabe"));
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(given, expected);
    QCOMPARE(title, QStringLiteral("Eingabe"));
    QVERIFY(modal);
    QVERIFY(empty_field); // no default answer
    QCOMPARE(format, Qt::PlainText);
}

void TestRealPrompts::ask_yes_no_data()
{
    QTest::addColumn<int>("reply");
    QTest::addColumn<bool>("expected");
    QTest::newRow("Return answers Yes") << int(Qt::Key_Return) << true;
    QTest::newRow("No clicked") << int(QMessageBox::No) << false;
    QTest::newRow("Escape answers No") << int(Qt::Key_Escape) << false;
}

void TestRealPrompts::ask_yes_no()
{
    QFETCH(int, reply);
    QFETCH(bool, expected);
    QtPrompts prompts;
    Driver driver;
    MessageShown shown;
    answer_message(driver, shown, reply);
    const bool given = prompts.ask_yes_no(QStringLiteral("Wollen Sie das Programm beenden"),
                                          QStringLiteral("Ende"));
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(given, expected);
    QCOMPARE(shown.text, QStringLiteral("Wollen Sie das Programm beenden"));
    QCOMPARE(shown.title, QStringLiteral("Ende"));
    QCOMPARE(shown.icon, QMessageBox::NoIcon);
    QCOMPARE(shown.buttons, QMessageBox::Yes | QMessageBox::No);
    QVERIFY(shown.yes_is_default);
    QCOMPARE(shown.format, Qt::PlainText);
}

void TestRealPrompts::show_error_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("title");
    QTest::newRow("the wrong date") << entry_texts::error_text << entry_texts::error_title;
    // A printer's name and its scheduler's answer come from outside.
    QTest::newRow("a printer's answer that looks like markup")
        << QStringLiteral("Der Drucker „<i>schräg</i>“ hat den Auftrag nicht angenommen: "
                          "<b>fett</b> <img src=x> &amp;")
        << QStringLiteral("Drucken nicht möglich");
}

void TestRealPrompts::show_error()
{
    QFETCH(QString, text);
    QFETCH(QString, title);
    QtPrompts prompts;
    Driver driver;
    MessageShown shown;
    answer_message(driver, shown);
    prompts.show_error(text, title);
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(shown.text, text);
    QCOMPARE(shown.title, title);
    QCOMPARE(shown.icon, QMessageBox::Critical);
    QCOMPARE(shown.buttons, QMessageBox::StandardButtons(QMessageBox::Ok));
    QCOMPARE(shown.format, Qt::PlainText);
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

void TestRealPrompts::keyboard_back_on_the_main_window_data()
{
    QTest::addColumn<QString>("way");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("date box cancelled") << QStringLiteral("date") << steps({"input box"});
    QTest::newRow("name box cancelled")
        << QStringLiteral("name") << steps({"input box", "input box"});
    QTest::newRow("exit question answered No") << QStringLiteral("exit") << steps({"message box"});
    // The whole way through the real boxes, the report window left by its
    // access key.
    QTest::newRow("a wrong date, then a report")
        << QStringLiteral("report")
        << steps({"input box", "input box", "message box", "input box", "input box",
                  "show bildschirm", "hide bildschirm"});
}

void TestRealPrompts::keyboard_back_on_the_main_window()
{
    // When the boxes and the report window close, the next person's key
    // must reach the main window again, also where no window manager hands
    // the focus back (a kiosk session).
    QFETCH(QString, way);
    QFETCH(QStringList, expected);
    std::unique_ptr<ProgramSession> session = ProgramSession::recorded();
    session->real_boxes = true;
    QVERIFY2(session->start(time_scale), qPrintable(session->failure));
    Driver &driver = session->driver;
    MessageShown shown;
    if (way == QStringLiteral("exit")) {
        answer_message(driver, shown, QMessageBox::No);
        click(control(*session->window, "Label1"));
    } else {
        // The report's way starts with a wrong date (31 February).
        const bool report = way == QStringLiteral("report");
        answer(driver, entry_texts::date_prompt,
               way == QStringLiteral("date") ? QString() : QStringLiteral("31021973"),
               way == QStringLiteral("date") ? Qt::Key_Escape : Qt::Key_Return);
        if (way != QStringLiteral("date"))
            answer(driver, entry_texts::name_prompt, report ? QStringLiteral("Eva") : QString(),
                   report ? Qt::Key_Return : Qt::Key_Escape);
        if (report) {
            answer_message(driver, shown);
            answer(driver, entry_texts::date_prompt, QStringLiteral("24011973"));
            answer(driver, entry_texts::name_prompt, QStringLiteral("Eva"));
            driver.when(
                QStringLiteral("report window active"), [&] { return session->report_active(); },
                [&] {
                    QTest::keyClick(session->window->report_window()->windowHandle(), Qt::Key_D,
                                    Qt::AltModifier);
                });
        }
        session->press(Qt::Key_A);
    }
    QVERIFY2(driver.done(), qPrintable(driver.failure));
    QCOMPARE(session->log, expected);
    QVERIFY(session->ended.isEmpty());
    // Without a window manager the next key reaches the professor only if
    // the main window is activated again after every box.
    QVERIFY(QTest::qWaitFor([&] { return session->window->isActiveWindow(); }, 2000));
}

QTEST_MAIN(TestRealPrompts)
#include "test_real_prompts.moc"
