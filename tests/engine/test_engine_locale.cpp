#include <QProcess>
#include <QTest>

// The report's names follow the system locale when it is German and are
// German (Germany) otherwise. QLocale::setDefault cannot stand in for the
// system locale, so each setting runs the probe in a process of its own.
class TestEngineLocale : public QObject
{
    Q_OBJECT

private slots:
    void names_data();
    void names();
};

void TestEngineLocale::names_data()
{
    QTest::addColumn<QStringList>("settings");
    QTest::addColumn<QString>("locale");
    QTest::addColumn<QString>("january_date");

    const QString germany = QStringLiteral("de_DE");
    const QString januar = QStringLiteral("06.Januar.2027");
    const QString jaenner = QStringLiteral("06.Jänner.2027");

    QTest::newRow("C") << QStringList{QStringLiteral("LC_ALL=C")} << germany << januar;
    QTest::newRow("nothing set") << QStringList{} << germany << januar;
    QTest::newRow("English (US)") << QStringList{QStringLiteral("LANG=en_US.UTF-8")} << germany
                                  << januar;
    QTest::newRow("French") << QStringList{QStringLiteral("LANG=fr_FR.UTF-8")} << germany << januar;
    QTest::newRow("German (Germany)")
        << QStringList{QStringLiteral("LANG=de_DE.UTF-8")} << germany << januar;
    QTest::newRow("German (Austria)")
        << QStringList{QStringLiteral("LANG=de_AT.UTF-8")} << QStringLiteral("de_AT") << jaenner;
    QTest::newRow("German (Switzerland)")
        << QStringList{QStringLiteral("LANG=de_CH.UTF-8")} << QStringLiteral("de_CH") << januar;
    QTest::newRow("English, all categories Austrian")
        << QStringList{QStringLiteral("LANG=en_US.UTF-8"), QStringLiteral("LC_ALL=de_AT.UTF-8")}
        << QStringLiteral("de_AT") << jaenner;
    // The system's date names are English here; the report must stay German.
    QTest::newRow("Austrian, dates English")
        << QStringList{QStringLiteral("LANG=de_AT.UTF-8"), QStringLiteral("LC_TIME=en_US.UTF-8")}
        << QStringLiteral("de_AT") << jaenner;
}

void TestEngineLocale::names()
{
    QFETCH(QStringList, settings);

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const QString &name : environment.keys()) {
        if (name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE") ||
            name.startsWith(QLatin1String("LC_")))
            environment.remove(name);
    }
    for (const QString &setting : settings)
        environment.insert(setting.section(u'=', 0, 0), setting.section(u'=', 1));

    QProcess probe;
    probe.setProcessEnvironment(environment);
    probe.start(QStringLiteral(ENGINE_LOCALE_PROBE), {});
    QVERIFY2(probe.waitForFinished(30000), qPrintable(probe.errorString()));
    QCOMPARE(probe.exitStatus(), QProcess::NormalExit);
    QCOMPARE(probe.exitCode(), 0);

    const QStringList lines =
        QString::fromUtf8(probe.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 5);
    QTEST(lines[0], "locale");
    QCOMPARE(lines[1], QStringLiteral("Sonntag"));
    QCOMPARE(lines[2], QStringLiteral("06.Dezember.2026"));
    QCOMPARE(lines[3], QStringLiteral("Mittwoch"));
    QTEST(lines[4], "january_date");
}

QTEST_GUILESS_MAIN(TestEngineLocale)
#include "test_engine_locale.moc"
