#pragma once

#include "printed_report.h"

// The printed report as a module of its own (quendra_printing), outside
// Windows: its one entry hands out print_report.

using PrintReport = std::optional<QString> (*)(const AnalysisResult &, const QImage &,
                                               const QImage &, const Clock &);

/// The name of the module's entry, which returns print_report.
inline constexpr char printing_module_entry[] = "quendra_printing_entry";
