#pragma once

// The report: one analysis turned into 31 to 34 styled lines, on the screen
// or on paper.
//
// In:  one finished AnalysisResult from the engine, the clock (today's line
//      and the lucky number's year are read as they are written), and for
//      paper the header and logo pictures.
// Out: lines on a ReportSurface. write_report_lines composes them once for
//      both outputs; DrawingArea (the sheet `blatt` of the report window
//      `bildschirm`) keeps them in a backing image, PrinterSurface puts them
//      on a QPrinter page, and print_report_page / print_report lay out the
//      printed page and hand it to the default printer, returning a German
//      reason instead of failing quietly.

#include "bildschirm.h"
#include "drawing_area.h"
#include "printed_report.h"
#include "printer_surface.h"
#include "report_lines.h"
#include "report_surface.h"
