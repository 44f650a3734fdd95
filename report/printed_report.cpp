#include "printed_report.h"

#include "platform.h"
#include "printer_surface.h"
#include "report_lines.h"

#include <QPrinter>
#include <QPrinterInfo>

std::optional<QString> print_report_page(const AnalysisResult &result, const QImage &header,
                                         const QImage &logo, const Clock &clock, QPrinter &printer)
{
    PrinterSurface page(printer);
    if (!page.is_active())
        return QStringLiteral("Der Druck konnte nicht begonnen werden.");

    page.set_unit_mm();
    page.draw_picture(header, 8, 0, 180, 65);
    page.set_y(65);
    write_report_lines(result, page, OutputKind::printer, clock);
    const double y = page.get_y();
    page.draw_picture(logo, 8, y, 180, 48);
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

    if (std::optional<QString> failure = print_report_page(result, header, logo, clock, printer))
        return failure;

    if (std::optional<QString> refusal = spooler_refusal(info.printerName()))
        return QStringLiteral("Der Drucker „%1“ hat den Auftrag nicht angenommen: %2")
            .arg(info.printerName(), *refusal);
    return std::nullopt;
}
