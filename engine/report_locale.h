#pragma once

#include <QLocale>

/// The locale whose weekday and month names the report uses: the system
/// locale when its language is German, German (Germany) otherwise.
QLocale report_locale();
