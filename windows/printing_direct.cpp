#include "printing.h"

#include "printed_report.h"

std::optional<QString> print_on_default_printer(const AnalysisResult &result,
                                                const QImage &header, const QImage &logo,
                                                const Clock &clock)
{
    return print_report(result, header, logo, clock);
}
