#pragma once

#include "analysis_result.h"
#include "report_surface.h"

/// Which size column a report is written in.
enum class OutputKind { screen, printer };

/// The point size of a line on the given output, from its printed size: the
/// screen shows everything at half the printed size plus two points.
double report_font_size(double printed_points, OutputKind kind);

/// Writes the report's 31 to 34 lines onto the surface, in the sizes of the
/// given output. Does not clear the surface, draw pictures or end a document.
/// Today's date and the lucky number's year are read from the clock as their
/// lines are written.
void write_report_lines(const AnalysisResult &result, ReportSurface &surface, OutputKind kind);
