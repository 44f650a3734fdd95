#include "printed_report.h"

#include "printer_surface.h"
#include "report_lines.h"
#include "spooler.h"

#include <QFontMetricsF>
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

// How far the lines reach down, in millimetres, with the printer's own fonts;
// nothing is drawn.
class LineMeasure : public ReportSurface
{
public:
    explicit LineMeasure(QPrinter &printer) : printer_(printer) {}

    void set_font_name(const QString &name) override { font_.name = name; }
    void set_font_size(double points) override { font_.set_size(points); }
    void set_bold(bool bold) override { font_.bold = bold; }
    void set_underline(bool underline) override { font_.underline = underline; }
    void write_line(const QString &) override { write_empty_line(); }
    void write_empty_line() override { y_ += QFontMetricsF(font_.font(), &printer_).lineSpacing(); }
    double get_y() const override { return y_ * 25.4 / printer_.resolution(); }
    void set_y(double y) override { y_ = y / 25.4 * printer_.resolution(); }

private:
    QPrinter &printer_;
    FontAttributes font_{QStringLiteral("Times New Roman")};
    double y_ = 0; // in device pixels
};

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
    LineMeasure measure(printer);
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
