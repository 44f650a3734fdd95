#include "printing.h"

#include "printing_module.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibrary>

std::optional<QString> print_on_default_printer(const AnalysisResult &result,
                                                const QImage &header, const QImage &logo,
                                                const Clock &clock)
{
    // Loaded once and kept to the end; a failed load is tried again at the
    // next print.
    static PrintReport print = nullptr;
    if (!print) {
        QLibrary module(QDir(QCoreApplication::applicationDirPath())
                            .filePath(QStringLiteral("quendra_printing")));
        using Entry = PrintReport (*)();
        if (const auto entry = reinterpret_cast<Entry>(module.resolve(printing_module_entry)))
            print = entry();
        if (!print)
            return QStringLiteral("Das Druckmodul lässt sich nicht laden:\n%1")
                .arg(module.errorString());
    }
    return print(result, header, logo, clock);
}
