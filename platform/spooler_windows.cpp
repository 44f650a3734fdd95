#include "platform.h"

#include <qt_windows.h>
#include <winspool.h>

#include <memory>
#include <vector>

std::optional<QString> spooler_refusal(const QString &printer_name)
{
    // The Windows spooler takes a job when the document starts, so a refusal
    // at that point already failed the page; Qt ignores a failed end of the
    // document, though. What the spooler still knows afterwards is whether
    // the printer went away or into an error meanwhile; an offline printer
    // still keeps the job in its queue.
    std::wstring name = printer_name.toStdWString();
    HANDLE printer = nullptr;
    if (!OpenPrinterW(name.data(), &printer, nullptr))
        return QStringLiteral("Der Drucker ist nicht mehr eingerichtet.");
    const std::unique_ptr<void, decltype(&ClosePrinter)> closer(printer, &ClosePrinter);

    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> buffer(needed);
    if (needed == 0 || !GetPrinterW(printer, 2, buffer.data(), needed, &needed))
        return std::nullopt;
    const DWORD status = reinterpret_cast<const PRINTER_INFO_2W *>(buffer.data())->Status;
    if (status & (PRINTER_STATUS_PENDING_DELETION | PRINTER_STATUS_NOT_AVAILABLE))
        return QStringLiteral("Der Drucker ist nicht mehr verfügbar.");
    if (status & PRINTER_STATUS_ERROR)
        return QStringLiteral("Der Drucker meldet einen Fehler.");
    return std::nullopt;
}
