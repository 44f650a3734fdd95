// Windows: one desktop per session, the console of whoever started us, and
// the classic faces at hand.

#include "platform.h"

#include "activation_p.h"

#include <QCursor>
#include <QDir>
#include <QGuiApplication>

#include <io.h>
#include <qt_windows.h>

#include <string>

namespace {

// Windows gives a GUI program no console, so help and errors asked for in
// one would vanish: the program writes to the console it was started from.
void attach_parent_console()
{
    const auto missing = [](DWORD which) {
        const HANDLE handle = GetStdHandle(which);
        return handle == nullptr || handle == INVALID_HANDLE_VALUE;
    };
    const bool no_output = missing(STD_OUTPUT_HANDLE);
    const bool no_errors = missing(STD_ERROR_HANDLE);
    // Redirected output stays where it was sent.
    if (!(no_output || no_errors) || !AttachConsole(ATTACH_PARENT_PROCESS))
        return;
    if (no_output)
        std::freopen("CONOUT$", "w", stdout);
    if (no_errors)
        std::freopen("CONOUT$", "w", stderr);
}

} // namespace

void write_console(const QString &text, std::FILE *stream)
{
    attach_parent_console();
    // A console shows UTF-16 whatever its code page; files and pipes get UTF-8.
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (GetConsoleMode(handle, &mode)) {
        std::fflush(stream);
        const std::wstring wide = text.toStdWString();
        DWORD written = 0;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr);
        return;
    }
    std::fputs(text.toUtf8().constData(), stream);
}

QString instance_folder()
{
    // Windows has no runtime folder (Qt names the home folder); the temporary
    // folder is the user's own too.
    return QDir::tempPath();
}

QString instance_display()
{
    // One per Windows session (console or remote desktop) of the user.
    QString display = QGuiApplication::platformName();
    DWORD session = 0;
    if (ProcessIdToSessionId(GetCurrentProcessId(), &session))
        display += QStringLiteral("-sitzung-%1").arg(session);
    return display;
}

void allow_foreground_handover()
{
    // Windows lets only the process the user just started take the
    // foreground; this start hands that right on to the running one.
    AllowSetForegroundWindow(ASFW_ANY);
}

LaunchTokens take_launch_tokens()
{
    return {}; // Windows launchers hand no token
}

QByteArray launch_token(const LaunchTokens &tokens)
{
    return tokens.activation_token;
}

void activate_after_launch(QWidget &, const LaunchTokens &) {}

bool request_activation(QWindow &, const QByteArray &)
{
    return false;
}

bool compositor_places_windows()
{
    return false;
}

QCursor hourglass_cursor()
{
    return QCursor(Qt::WaitCursor);
}

void substitute_design_fonts(const QMetaObject &) {}
