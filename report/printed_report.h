#pragma once

#include "analysis_result.h"
#include "clock.h"

#include <QImage>
#include <QString>

#include <optional>

class QPrinter;

/// Prints one report page onto the printer: the header picture at (8, 0)
/// 180 x 65 mm, the lines in the printed sizes from 65 mm down at the left
/// edge of the printable area, the logo 180 x 48 mm at 8 mm right below the
/// last line, and the end of the document; today's line and the lucky
/// number's year read clock. Where the page is taller or wider than the
/// printable area, all of it is drawn smaller by one factor, so that it
/// fits with its proportions kept. Returns the reason in German when
/// the page could not be printed, nothing when it was.
std::optional<QString> print_report_page(const AnalysisResult &result, const QImage &header,
                                         const QImage &logo, const Clock &clock, QPrinter &printer);

/// Prints the report page on the system's default printer with its own
/// defaults: its default paper, within its printable area. Returns the reason in German when there
/// is no such printer or the job fails, nothing when the job was handed over.
std::optional<QString> print_report(const AnalysisResult &result, const QImage &header,
                                    const QImage &logo, const Clock &clock);
