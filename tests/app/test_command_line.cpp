// The command line: the options, help and version, each kind of bad input
// with its status and German message, and Qt's own options left to Qt.

#include "command_line.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

class TestCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void lines_data();
    void lines();
    void program_data() { lines_data(); }
    void program();

private:
    QTranslator qt_german;
};

namespace {

QStringList arguments(const QString &line)
{
    return QStringList{QStringLiteral("quendra")} + line.split(u' ', Qt::SkipEmptyParts);
}

QString outcome_of(const CommandLineAnswer &answer)
{
    return QStringLiteral("%1 %2").arg(answer.status).arg(answer.text);
}

/// "2 quendra: ..." for an answer, "start printout=1 lotto=49 ..." for a start.
QString outcome_of(const CommandLine &line)
{
    if (const auto *answer = std::get_if<CommandLineAnswer>(&line))
        return outcome_of(*answer);
    const auto &options = std::get<StartOptions>(line);
    return QStringLiteral("start printout=%1 lotto=%2 original=%3 presets=%4")
        .arg(options.printout ? QString::number(*options.printout) : QStringLiteral("-"))
        .arg(options.lottery_variant.value_or(0))
        .arg(options.original_size)
        .arg(options.presets_options());
}

} // namespace

void TestCommandLine::initTestCase()
{
    QVERIFY(load_qt_german(qt_german));
    QCoreApplication::installTranslator(&qt_german);
}

void TestCommandLine::lines_data()
{
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("outcome"); // how it begins; "2 " ends in the hint
    const QString help = QStringLiteral("0 Aufruf: quendra [Optionen]\n");

    QTest::newRow("nothing") << ""
                             << "start printout=- lotto=0 original=0 presets=0";
    QTest::newRow("--anzeige, twice") << "--anzeige --lotto 45 --anzeige --lotto=45"
                                      << "start printout=0 lotto=45 original=0 presets=1";
    QTest::newRow("--ausdruck") << "--lotto=49 --ausdruck --originalgroesse"
                                << "start printout=1 lotto=49 original=1 presets=1";
    QTest::newRow("--originalgroesse alone") << "--originalgroesse"
                                             << "start printout=- lotto=0 original=1 presets=0";
    QTest::newRow("help beats options") << "--ausdruck --lotto 49 -h 45" << help;
    QTest::newRow("-hv") << "-hv" << help;
    QTest::newRow("--version") << "--version"
                               << "0 Quendra 2.0.0.11\n";
    // Qt's parser, in its German words.
    QTest::newRow("lotto without value") << "--anzeige --lotto"
                                         << "2 quendra: Nach '--lotto' fehlt der Wert.\n";
    QTest::newRow("a value for a switch") << "--help=1"
                                          << "2 quendra: Wert unerwartet nach '--help'.\n";
    QTest::newRow("unknown, and no option of Qt's") << "--anzeige --vollbild"
                                                    << "2 quendra: Unbekannte Option 'vollbild'.\n";
    // Ours.
    QTest::newRow("lotto 50")
        << "--lotto 50"
        << "2 quendra: „50“ ist kein Wert für „--lotto“; erlaubt sind 45 und 49.\n";
    QTest::newRow("two lotteries")
        << "--lotto 45 --lotto=49"
        << "2 quendra: „--lotto 45“ und „--lotto 49“ schließen einander aus.\n";
    QTest::newRow("screen and printer")
        << "--ausdruck --lotto 45 --anzeige"
        << "2 quendra: „--anzeige“ und „--ausdruck“ schließen einander aus.\n";
    QTest::newRow("a stray argument") << "--anzeige -- --ausdruck"
                                      << "2 quendra: Unerwartetes Argument „--ausdruck“.\n";
    // Qt takes its own options, values included; what is left is ours.
    QTest::newRow("Qt's options, ours bad")
        << "-platform offscreen -style fusion -reverse -session 1a2b --lotto 50"
        << "2 quendra: „50“ ist kein Wert für „--lotto“";
    QTest::newRow("Qt's value like an option")
        << "-platform offscreen -qwindowtitle --vollbild --lotto 50"
        << "2 quendra: „50“ ist kein Wert für „--lotto“";
    QTest::newRow("unknown once Qt has taken its own")
        << "-platform offscreen -qwindowgeometry 640x480 --vollbild"
        << "2 quendra: Unbekannte Option 'vollbild'.\n";
    QTest::newRow("help after Qt's options") << "-platform offscreen --ausdruck -h" << help;
}

void TestCommandLine::lines()
{
    QFETCH(QString, line);
    QFETCH(QString, outcome);
    const std::optional<CommandLineAnswer> early = answer_before_start(arguments(line));
    if (line.startsWith(QLatin1String("-platform"))) {
        // An option we do not know may be Qt's: Qt looks first.
        QVERIFY(!early);
        return;
    }
    // Otherwise an answer comes before the application object, and the same after it.
    const QString late = outcome_of(read_command_line(arguments(line)));
    QVERIFY2(late.startsWith(outcome), qPrintable(late));
    QVERIFY2(early ? outcome_of(*early) == late : outcome.startsWith(QLatin1String("start")),
             qPrintable(late));
}

void TestCommandLine::program()
{
    // The program itself, without any display, so that a line it starts
    // with fails to connect instead.
    QFETCH(QString, line);
    QFETCH(QString, outcome);
    QTemporaryDir runtime;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    QProcess quendra;
    quendra.setProcessEnvironment(environment);
    quendra.start(qEnvironmentVariable("QUENDRA_PROGRAM"), arguments(line).mid(1));
    QVERIFY(quendra.waitForFinished(20000));
    if (outcome.startsWith(QLatin1String("start"))) {
        QCOMPARE(quendra.exitStatus(), QProcess::CrashExit);
        return;
    }
    QCOMPARE(quendra.exitStatus(), QProcess::NormalExit);
    const QString output =
        outcome_of({quendra.exitCode(),
                    QString::fromUtf8(quendra.exitCode() == 0 ? quendra.readAllStandardOutput()
                                                              : quendra.readAllStandardError())});
    QVERIFY2(output.startsWith(outcome), qPrintable(output));
}

QTEST_GUILESS_MAIN(TestCommandLine)
#include "test_command_line.moc"
