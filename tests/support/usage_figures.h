#pragma once

// What a long run in this process holds, as the kernel counts it (resident
// set, open descriptors), and how many jobs the print scheduler has taken.
// Needs libcups.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>

#include <cups/cups.h>

namespace support {

/// A size from /proc/self/status in KiB ("VmRSS", "RssAnon", ...), -1 when unknown.
inline qint64 status_kib(const QByteArray &field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = field + ':';
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

/// The resident set of this process in KiB, -1 when unknown.
inline qint64 resident_kib()
{
    return status_kib("VmRSS");
}

/// How many file descriptors this process has open, not counting the one
/// used to list them.
inline int open_descriptors()
{
    const QStringList entries =
        QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    return static_cast<int>(entries.size()) - 1;
}

/// Every job the scheduler knows of, finished ones included; -1 when it
/// cannot be asked.
inline int print_jobs()
{
    cups_job_t *jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    cupsFreeJobs(count, jobs);
    return count;
}

} // namespace support
