#pragma once

#include "analysis_result.h"
#include "clock.h"

#include <QImage>
#include <QString>

#include <optional>

/// print_report: the report page on the system's default printer. Outside
/// Windows the printing code is a module beside the program, loaded on the
/// first call; when it cannot be loaded, the reason is the answer.
std::optional<QString> print_on_default_printer(const AnalysisResult &result,
                                                const QImage &header, const QImage &logo,
                                                const Clock &clock);
