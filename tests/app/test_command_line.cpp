// The command line read without a window: every option, the help, the
// version, and each kind of bad input with its status and German message.

#include "command_line.h"

#include <QTest>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void arguments_data();
    void arguments();
    void help_data();
    void help();
    void original_size_data();
    void original_size();
    void qt_options_data();
    void qt_options();
};

namespace {

const int start = -1; // the status column of a line that starts the program

QString error(const char *message)
{
    return QStringLiteral("quendra: %1\nMehr dazu: quendra --help\n")
        .arg(QString::fromUtf8(message));
}

CommandLine parse(const QString &line)
{
    return parse_command_line(QStringList{QStringLiteral("/usr/bin/quendra")} +
                              line.split(QLatin1Char(' '), Qt::SkipEmptyParts));
}

} // namespace

void TestCommandLine::arguments_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("printout"); // -1: not given
    QTest::addColumn<int>("lottery");  // 0: not given

    QTest::newRow("nothing: the options window asks") << "" << start << "" << -1 << 0;
    QTest::newRow("--anzeige") << "--anzeige" << start << "" << 0 << 0;
    QTest::newRow("--ausdruck") << "--ausdruck" << start << "" << 1 << 0;
    QTest::newRow("--lotto 45") << "--lotto 45" << start << "" << -1 << 45;
    QTest::newRow("--lotto=49") << "--lotto=49" << start << "" << -1 << 49;
    QTest::newRow("both, either order") << "--lotto 49 --ausdruck" << start << "" << 1 << 49;
    QTest::newRow("the same twice")
        << "--anzeige --lotto 45 --anzeige --lotto=45" << start << "" << 0 << 45;

    QTest::newRow("--version") << "--version" << 0 << "Quendra 2.0.0.11\n" << -1 << 0;
    QTest::newRow("-v") << "-v" << 0 << "Quendra 2.0.0.11\n" << -1 << 0;

    QTest::newRow("unknown long") << "--vollbild" << 2 << error("Unbekannte Option „--vollbild“.")
                                  << -1 << 0;
    QTest::newRow("unknown short")
        << "--anzeige -x" << 2 << error("Unbekannte Option „-x“.") << -1 << 0;
    QTest::newRow("unknown beats help")
        << "--help --vollbild" << 2 << error("Unbekannte Option „--vollbild“.") << -1 << 0;
    QTest::newRow("lotto without value")
        << "--anzeige --lotto" << 2 << error("„--lotto“ braucht einen Wert: 45 oder 49.") << -1
        << 0;
    QTest::newRow("lotto 50") << "--lotto 50" << 2
                              << error("„50“ ist kein Wert für „--lotto“; erlaubt sind 45 und 49.")
                              << -1 << 0;
    QTest::newRow("lotto empty") << "--lotto=" << 2
                                 << error("„“ ist kein Wert für „--lotto“; erlaubt sind 45 und 49.")
                                 << -1 << 0;
    QTest::newRow("lotto eats the next option")
        << "--lotto --ausdruck" << 2
        << error("„--ausdruck“ ist kein Wert für „--lotto“; erlaubt sind 45 und 49.") << -1 << 0;
    QTest::newRow("two lotteries")
        << "--lotto 45 --lotto=49" << 2
        << error("„--lotto 45“ und „--lotto 49“ schließen einander aus.") << -1 << 0;
    QTest::newRow("screen and printer")
        << "--ausdruck --lotto 45 --anzeige" << 2
        << error("„--anzeige“ und „--ausdruck“ schließen einander aus.") << -1 << 0;
    QTest::newRow("Qt's option without its value")
        << "--anzeige -platform" << 2 << error("„-platform“ braucht einen Wert.") << -1 << 0;
    QTest::newRow("a stray argument")
        << "--anzeige 45" << 2 << error("Unerwartetes Argument „45“.") << -1 << 0;
}

void TestCommandLine::arguments()
{
    QFETCH(QString, line);
    QFETCH(int, status);
    QFETCH(QString, text);
    QFETCH(int, printout);
    QFETCH(int, lottery);

    const CommandLine result = parse(line);
    if (status == start) {
        const auto *options = std::get_if<StartOptions>(&result);
        if (!options)
            QFAIL(qPrintable(std::get<CommandLineAnswer>(result).text));
        QCOMPARE(options->printout.has_value(), printout >= 0);
        if (printout >= 0)
            QCOMPARE(*options->printout, printout == 1);
        QCOMPARE(options->lottery_variant.value_or(0), lottery);
        QCOMPARE(options->presets_options(), printout >= 0 || lottery != 0);
        return;
    }
    const auto *answer = std::get_if<CommandLineAnswer>(&result);
    QVERIFY2(answer, "the program would start");
    QCOMPARE(answer->status, status);
    QCOMPARE(answer->text, text);
}

void TestCommandLine::help_data()
{
    QTest::addColumn<QString>("line");
    QTest::newRow("--help") << "--help";
    QTest::newRow("-h") << "-h";
    QTest::newRow("help beats other options") << "--ausdruck --lotto 49 --help";
}

void TestCommandLine::help()
{
    QFETCH(QString, line);
    const CommandLine result = parse(line);
    const auto *answer = std::get_if<CommandLineAnswer>(&result);
    QVERIFY(answer);
    QCOMPARE(answer->status, 0);
    QVERIFY(answer->text.startsWith(QStringLiteral("Aufruf: quendra [Optionen]\n")));
    // Every option on a line of its own, with its German description.
    for (const char *entry :
         {"  -h, --help          Diese Hilfe zeigen und beenden.\n",
          "  -v, --version       Die Versionsnummer zeigen und beenden.\n",
          "  --anzeige           Jede Auswertung am Bildschirm anzeigen.\n",
          "  --ausdruck          Jede Auswertung gleich auf dem Standarddrucker drucken.\n",
          "  --lotto <Zahl>      Lotto 6 aus 45 (Österreich) oder 6 aus 49 (Deutschland).\n",
          "  --originalgroesse   Alles in der ursprünglichen Größe von 800 × 588 Bildpunkten "
          "zeigen.\n"})
        QVERIFY2(answer->text.contains(QString::fromUtf8(entry)), entry);
    QVERIFY(answer->text.contains(QStringLiteral("2 bei falschen Argumenten, 3 wenn")));
}

void TestCommandLine::original_size_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<bool>("original");
    QTest::addColumn<bool>("presets"); // the options window is skipped

    QTest::newRow("nothing: the design grows with the screen") << "" << false << false;
    QTest::newRow("--originalgroesse") << "--originalgroesse" << true << false;
    QTest::newRow("with the options") << "--ausdruck --originalgroesse --lotto 49" << true << true;
}

void TestCommandLine::original_size()
{
    QFETCH(QString, line);
    const CommandLine result = parse(line);
    const auto *options = std::get_if<StartOptions>(&result);
    QVERIFY(options);
    QTEST(options->original_size, "original");
    QTEST(options->presets_options(), "presets");
}

void TestCommandLine::qt_options_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("display");

    QTest::newRow("-platform with its value") << "-platform offscreen --ausdruck"
                                              << "";
    QTest::newRow("a session manager's restart") << "--anzeige -session 1a2b3c_4"
                                                 << "";
    QTest::newRow("-style=, --style, -reverse")
        << "-style=fusion --style fusion -reverse --lotto 49"
        << "";
    QTest::newRow("-display") << "-display :7 --anzeige"
                              << ":7";
    QTest::newRow("--display=") << "--display=:8 -qwindowgeometry 640x480+0+0"
                                << ":8";
    // The value is Qt's even when it looks like one of ours.
    QTest::newRow("a value like an option") << "-qwindowtitle --vollbild"
                                            << "";
}

void TestCommandLine::qt_options()
{
    QFETCH(QString, line);
    const CommandLine result = parse(line);
    const auto *options = std::get_if<StartOptions>(&result);
    if (!options)
        QFAIL(qPrintable(std::get<CommandLineAnswer>(result).text));
    QTEST(options->display, "display");
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
