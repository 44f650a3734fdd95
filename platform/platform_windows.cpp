// Windows: one desktop per session, the console of whoever started us, and
// the classic faces at hand.

#include "platform.h"

#include "activation_p.h"

#include <QAbstractNativeEventFilter>
#include <QCoreApplication>
#include <QCursor>
#include <QDir>
#include <QGuiApplication>
#include <QKeyEvent>

#include <io.h>
#include <qt_windows.h>

#include <array>
#include <string>
#include <utility>

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

// What each key message of Windows says of the key: whether it was down
// before this press (bit 30), by virtual key.
class KeyMessages : public QAbstractNativeEventFilter
{
public:
    bool nativeEventFilter(const QByteArray &type, void *message, qintptr *) override
    {
        // Key messages come through the event dispatcher, the others through
        // the window procedure.
        if (type != "windows_dispatcher_MSG" && type != "windows_generic_MSG")
            return false;
        const auto *msg = static_cast<const MSG *>(message);
        if ((msg->message == WM_KEYDOWN || msg->message == WM_SYSKEYDOWN) &&
            msg->wParam < was_down.size())
            was_down[msg->wParam] = (msg->lParam & (LPARAM(1) << 30)) != 0;
        return false;
    }

    std::array<bool, 256> was_down{};
};

KeyMessages &key_messages()
{
    static KeyMessages messages;
    return messages;
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

void watch_key_presses()
{
    static bool watching = false;
    if (!std::exchange(watching, true))
        QCoreApplication::instance()->installNativeEventFilter(&key_messages());
}

bool marked_repeat_held(const QKeyEvent &press)
{
    const quint32 key = press.nativeVirtualKey();
    return press.isAutoRepeat() &&
           (key >= key_messages().was_down.size() || key_messages().was_down[key]);
}

bool key_repeats_unmarked()
{
    return false;
}

QCursor hourglass_cursor()
{
    return QCursor(Qt::WaitCursor);
}

void substitute_design_fonts(const QMetaObject &) {}
