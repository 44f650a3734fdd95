#include "report_locale.h"

QLocale report_locale()
{
    // The report is German from top to bottom; a machine set to English or to
    // C must not put English day names into it. A German locale of any country
    // is kept, so Austria gets its own month names.
    const QLocale system = QLocale::system();
    if (system.language() == QLocale::German)
        return system;
    return QLocale(QLocale::German, QLocale::Germany);
}
