#include "platform.h"

#include <cups/cups.h>

std::optional<QString> spooler_refusal(const QString &)
{
    // Qt hands the finished page to CUPS at the end of the document but does
    // not tell whether the scheduler took it; CUPS keeps the answer to that
    // last request, on this thread, until the next one.
    if (cupsLastError() >= IPP_STATUS_REDIRECTION_OTHER_SITE)
        return QString::fromUtf8(cupsLastErrorString());
    return std::nullopt;
}
