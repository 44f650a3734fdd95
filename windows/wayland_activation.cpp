#include "wayland_activation.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QWindow>

#ifdef QUENDRA_WAYLAND_ACTIVATION

#include "xdg-activation-v1-client-protocol.h"

#include <qpa/qplatformnativeinterface.h>
#include <wayland-client.h>

#include <cstring>

namespace {

void on_global(void *data, wl_registry *registry, uint32_t name, const char *interface,
               uint32_t /*version*/)
{
    auto *activation = static_cast<xdg_activation_v1 **>(data);
    if (!*activation && std::strcmp(interface, xdg_activation_v1_interface.name) == 0)
        *activation = static_cast<xdg_activation_v1 *>(
            wl_registry_bind(registry, name, &xdg_activation_v1_interface, 1));
}

void on_global_remove(void *, wl_registry *, uint32_t) {}

const wl_registry_listener registry_listener = {on_global, on_global_remove};

} // namespace

bool activate_with_token(QWindow &window, const QByteArray &token)
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    if (token.isEmpty() || !native ||
        !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return false;
    auto *display = static_cast<wl_display *>(native->nativeResourceForIntegration("wl_display"));
    auto *surface = static_cast<wl_surface *>(native->nativeResourceForWindow("surface", &window));
    if (!display || !surface)
        return false;

    // Qt does not share its activation object, so bind one of our own, on an
    // event queue of our own: Qt's event thread dispatches the default queue.
    wl_event_queue *queue = wl_display_create_queue(display);
    auto *own_display = static_cast<wl_display *>(wl_proxy_create_wrapper(display));
    wl_proxy_set_queue(reinterpret_cast<wl_proxy *>(own_display), queue);
    wl_registry *registry = wl_display_get_registry(own_display);
    xdg_activation_v1 *activation = nullptr;
    wl_registry_add_listener(registry, &registry_listener, &activation);
    wl_display_roundtrip_queue(display, queue);
    if (activation) {
        xdg_activation_v1_activate(activation, token.constData(), surface);
        xdg_activation_v1_destroy(activation);
    }
    wl_registry_destroy(registry);
    wl_proxy_wrapper_destroy(own_display);
    wl_display_flush(display);
    wl_event_queue_destroy(queue);
    return activation != nullptr;
}

#else

bool activate_with_token(QWindow &, const QByteArray &)
{
    return false;
}

#endif
