#include "wayland_activation.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QtGlobal>

namespace {
const char token_variable[] = "XDG_ACTIVATION_TOKEN";
}

void withdraw_activation_token()
{
    qunsetenv(token_variable);
}

#ifdef QUENDRA_WAYLAND_ACTIVATION

#include "xdg-activation-v1-client-protocol.h"

#include <wayland-client.h>

#include <cstring>

namespace {

struct TokenRequest
{
    xdg_activation_v1 *activation = nullptr;
    QByteArray token;
    bool answered = false;
};

void on_global(void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t /*version*/)
{
    auto *request = static_cast<TokenRequest *>(data);
    if (!request->activation && std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
        request->activation = static_cast<xdg_activation_v1 *>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void on_global_remove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registry_listener = {on_global, on_global_remove};

void on_token(void *data, xdg_activation_token_v1 *, const char *token)
{
    auto *request = static_cast<TokenRequest *>(data);
    request->token = token;
    request->answered = true;
}

const xdg_activation_token_v1_listener token_listener = {on_token};

} // namespace

bool offer_activation_token()
{
    // A connection of our own, as Qt 6.4 does not hand out its one. Only to
    // the compositor named in WAYLAND_DISPLAY: without it Qt may be talking
    // to another one than the default socket leads to.
    if (!QGuiApplication::platformName().startsWith(QLatin1String("wayland")) ||
        qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false;
    wl_display *display = wl_display_connect(nullptr);
    if (!display)
        return false;

    TokenRequest request;
    wl_registry *registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registry_listener, &request);
    wl_display_roundtrip(display);
    if (request.activation) {
        xdg_activation_token_v1 *token = xdg_activation_v1_get_activation_token(request.activation);
        xdg_activation_token_v1_add_listener(token, &token_listener, &request);
        const QByteArray app_id = QGuiApplication::desktopFileName().toUtf8();
        if (!app_id.isEmpty())
            xdg_activation_token_v1_set_app_id(token, app_id.constData());
        xdg_activation_token_v1_commit(token);
        for (int round = 0; round < 3 && !request.answered; ++round) {
            if (wl_display_roundtrip(display) < 0)
                break;
        }
        xdg_activation_token_v1_destroy(token);
        xdg_activation_v1_destroy(request.activation);
    }
    wl_registry_destroy(registry);
    wl_display_disconnect(display);

    if (request.token.isEmpty())
        return false;
    qputenv(token_variable, request.token);
    return true;
}

#else

bool offer_activation_token()
{
    return false;
}

#endif
