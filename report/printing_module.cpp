#include "printing_module.h"

extern "C" Q_DECL_EXPORT PrintReport quendra_printing_entry()
{
    return &print_report;
}
