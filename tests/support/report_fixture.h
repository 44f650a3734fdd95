#pragma once

#include "engine.h"
#include "pinned_clock.h"
#include "printed_report.h"

#include <QDate>
#include <QDateTime>
#include <QImage>
#include <QString>
#include <QTime>

// Analyses of the example person, and her printed report.

/// The analysis of a person age_days days old at the given moment.
inline AnalysisResult analysed_days_old(int age_days, const QString &name = QStringLiteral("Eva"),
                                        const QDateTime &at = pinned_now())
{
    return analysed(typed_days_back(at, age_days), name, 45, at);
}

/// The example person: Eva, born 5 March 1973.
inline AnalysisResult eva(int lottery_variant = 45)
{
    return analysed(QStringLiteral("05031973"), QStringLiteral("Eva"), lottery_variant);
}

/// A picture of one colour, the size of a printed header picture.
inline QImage plain_picture(QRgb colour)
{
    QImage image(300, 100, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

/// The example person's report printed on the default printer, with a red
/// header and a blue logo; the reason when it could not be printed.
inline std::optional<QString> print_eva()
{
    return print_report(eva(), plain_picture(qRgb(200, 0, 0)), plain_picture(qRgb(0, 0, 200)),
                        Clock::pinned(pinned_now()));
}
