#pragma once

// The report: one analysis turned into 31 to 34 styled lines, on the screen
// or on paper.
//
// In:  one finished AnalysisResult from the engine, the clock (today's line
//      and the lucky number's year are read as they are written), and for
//      paper the header and logo pictures.
// Out: lines on a ReportSurface. write_report_lines composes them once for
//      both outputs; ReportWriter keeps the font, the position and the lines
//      written, and draws them through the painter of the sheet `blatt` of
//      the report window (DrawingArea, in windows/) or of the printer
//      (PrinterSurface); print_report_page / print_report lay out the
//      printed page and hand it to the default printer, returning a German
//      reason instead of failing quietly.

#include "analysis_result.h"
#include "clock.h"
#include "report_surface.h"

/// Where a report goes: the screen (the report window, which keeps the entry
/// for a reprint) or the printer (which may take that kept entry instead of
/// asking). Also picks the column of font sizes.
enum class OutputKind { screen, printer };

/// The point size of a line on the given output, from its printed size: the
/// screen shows everything at half the printed size plus two points.
double report_font_size(double printed_points, OutputKind kind);

/// Writes the report's 31 to 34 lines onto the surface, in the sizes of the
/// given output. Does not clear the surface, draw pictures or end a document.
/// Today's date and the lucky number's year are read from clock as their
/// lines are written.
void write_report_lines(const AnalysisResult &result, ReportSurface &surface, OutputKind kind,
                        const Clock &clock);
