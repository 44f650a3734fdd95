#pragma once

// The one question about a print job that Qt leaves open on every system:
// did the spooler take the job it was handed at the end of the document?
// CUPS on Linux (spooler_cups.cpp), the Windows spooler on Windows
// (spooler_windows.cpp).

#include <QString>

#include <optional>

/// Why the spooler refused the job just handed to printer_name, in the
/// spooler's own words; nothing when it took it. Asked on the thread that
/// printed, right after the end of the document.
std::optional<QString> spooler_refusal(const QString &printer_name);
