#include "report_locale.h"

QLocale report_locale()
{
    // The report is German from top to bottom; a machine set to English or to
    // C must not put English day names into it. A German locale of any country
    // is kept, so Austria gets its own month names. The names come from Qt's
    // own data for that locale rather than from the system's date settings,
    // which may name another language (LANG=de_AT with LC_TIME=en_US).
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::German)
        return QLocale(system.language(), system.script(), system.territory());
    return QLocale(QLocale::German, QLocale::Germany);
}
