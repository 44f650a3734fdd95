// Prints the names the report would use under this process's locale
// settings, one per line, for test_engine_locale to compare.
#include "engine.h"

#include <QTextStream>

int main()
{
    const QLocale locale = report_locale();
    const TodayFacts december = today_facts(QDateTime(QDate(2026, 12, 6), QTime(10, 0)));
    const TodayFacts january = today_facts(QDateTime(QDate(2027, 1, 6), QTime(10, 0)));

    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    out << locale.name() << '\n'
        << december.today_weekday << '\n'
        << december.today_long_date << '\n'
        << january.today_weekday << '\n'
        << january.today_long_date << '\n';
    return 0;
}
