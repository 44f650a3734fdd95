#include "printed_report.h"

#include "platform.h"
#include "printer_surface.h"
#include "report_lines.h"
#include "report_writer.h"

#include <QPageLayout>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>

namespace {

// The page at full size, in millimetres: both pictures 180 mm wide at 8 mm,
// the header 65 mm high above the lines, the logo 48 mm high below them.
constexpr double picture_left = 8;
constexpr double picture_width = 180;
constexpr double header_height = 65;
constexpr double logo_height = 48;

// The one factor that brings the whole page into the printable area, keeping
// its proportions: 1 where it fits at full size. Without it, paper shorter
// than the page (US Letter, A5) would cut the logo off.
double fitting_scale(const QSizeF &printable, double lines_height)
{
    const double height = header_height + lines_height + logo_height;
    return std::min(
        {1.0, printable.height() / height, printable.width() / (picture_left + picture_width)});
}

} // namespace

std::optional<QString> print_report_page(const AnalysisResult &result, const QImage &header,
                                         const QImage &logo, const Clock &clock, QPrinter &printer)
{
    // How far the lines reach down, with the printer's own fonts; nothing is
    // drawn.
    ReportWriter measure(printer, FontAttributes{QStringLiteral("Times New Roman")});
    measure.set_unit(printer.resolution() / 25.4);
    write_report_lines(result, measure, OutputKind::printer, clock);
    const double scale = fitting_scale(
        printer.pageLayout().paintRect(QPageLayout::Millimeter).size(), measure.get_y());

    PrinterSurface page(printer);
    if (!page.is_active())
        return QStringLiteral("Der Druck konnte nicht begonnen werden.");

    page.set_unit_mm();
    page.set_scale(scale);
    page.draw_picture(header, picture_left, 0, picture_width, header_height);
    page.set_y(header_height);
    write_report_lines(result, page, OutputKind::printer, clock);
    const double y = page.get_y();
    page.draw_picture(logo, picture_left, y, picture_width, logo_height);
    if (!page.end_document())
        return QStringLiteral("Der Druck konnte nicht abgeschlossen werden.");
    return std::nullopt;
}

std::optional<QString> print_report(const AnalysisResult &result, const QImage &header,
                                    const QImage &logo, const Clock &clock)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        return QStringLiteral("Es ist kein Standarddrucker eingerichtet.");

    QPrinter printer(info, QPrinter::HighResolution);
    if (!printer.isValid())
        return QStringLiteral("Der Drucker „%1“ ist nicht verfügbar.").arg(info.printerName());
    printer.setDocName(QStringLiteral("Quendra"));
    // QPrinter keeps its own A4 on any printer; the page goes on the
    // printer's own default paper, with the margins it can print within. A
    // printer without a description of its own names no paper: then A4.
    if (const QPageSize paper = info.defaultPageSize(); paper.isValid())
        printer.setPageSize(paper);

    if (std::optional<QString> failure = print_report_page(result, header, logo, clock, printer))
        return failure;

    if (std::optional<QString> refusal = spooler_refusal(info.printerName()))
        return QStringLiteral("Der Drucker „%1“ hat den Auftrag nicht angenommen: %2")
            .arg(info.printerName(), *refusal);
    return std::nullopt;
}
