#include "program_state.h"

#include <QApplication>

#include <cstdio>
#include <cstdlib>

namespace {
std::function<void(int)> &end_handler()
{
    static std::function<void(int)> handler;
    return handler;
}
} // namespace

void end_program(int status)
{
    if (end_handler()) {
        end_handler()(status);
        return;
    }
    // Ending from deep inside nested modal loops: leaving them one by one
    // would run the handlers waiting above, so the process ends here.
    std::fflush(nullptr);
    std::_Exit(status);
}

void set_program_end_handler(std::function<void(int)> handler)
{
    end_handler() = std::move(handler);
}
