// Linux: X11 or Wayland, as Qt connected to one of them at run time, or
// neither (offscreen); CUPS prints.

#include "platform.h"

#include "activation_p.h"

#include <QApplication>
#include <QByteArray>
#include <QCursor>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>
#include <QPolygonF>
#include <QRegularExpression>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <private/qguiapplication_p.h>
#include <qpa/qplatformfontdatabase.h>
#include <qpa/qplatformintegration.h>
#include <qpa/qplatformnativeinterface.h>

#include "xdg-activation-v1-client-protocol.h"
#include <X11/Xlib.h>
#include <fontconfig/fontconfig.h>
#include <wayland-client.h>

#include <cstring>

namespace {

// The windows name the classic Windows faces; elsewhere their metric twins
// stand in (Windows has the faces themselves), as other names of their
// families in Qt's font database: a face asked for by a missing name, or
// through a substitution, would first have fontconfig sort every face on the
// machine for fallbacks.
//
// Reading every face takes long too (a desktop has some 2,600), and the main
// window's first frame shows the twins only. So until that frame is drawn,
// fontconfig offers Qt the twins alone; then, before any other window is
// made or lays out its text, every face as always.
class MetricTwins : public QObject
{
public:
    MetricTwins(const QMetaObject &main_window, QObject *parent)
        : QObject(parent), main_window(main_window)
    {
        static const char only_twins[] =
            "<?xml version=\"1.0\"?><!DOCTYPE fontconfig SYSTEM \"urn:fontconfig:fonts.dtd\">"
            "<fontconfig><selectfont><rejectfont><pattern/></rejectfont><acceptfont>"
            "<pattern><patelt name=\"family\"><string>Liberation Sans</string></patelt></pattern>"
            "<pattern><patelt name=\"family\"><string>Liberation Serif</string></patelt></pattern>"
            "</acceptfont></selectfont></fontconfig>";
        FcConfig *twins = FcConfigCreate();
        if (twins && FcConfigParseAndLoad(twins, nullptr, FcTrue) &&
            FcConfigParseAndLoadFromMemory(twins, reinterpret_cast<const FcChar8 *>(only_twins),
                                           FcTrue) &&
            FcConfigBuildFonts(twins) && FcConfigSetCurrent(twins))
            QApplication::instance()->installEventFilter(this);
        if (twins)
            FcConfigDestroy(twins); // the current configuration keeps its own reference
        name_twins();
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const auto *widget = qobject_cast<QWidget *>(watched);
        switch (event->type()) {
        case QEvent::Polish:
        case QEvent::Show:
            // Another window lays out text in other faces: every face first.
            if (widget && !main_window.cast(widget->window()))
                every_face();
            break;
        case QEvent::ChildAdded: {
            // The options window, the report window and the boxes belong to
            // the main window and measure their text from their construction on.
            const QObject *child = static_cast<QChildEvent *>(event)->child();
            if (widget && widget->isVisible() && child->isWidgetType() && main_window.cast(widget))
                every_face();
            break;
        }
        case QEvent::Paint:
            // Once the first frame is out, and on the screen: the window
            // system puts it up first, undisturbed by the faces being read.
            if (!frame_drawn) {
                frame_drawn = true;
                QTimer::singleShot(0, this, [this] {
                    QGuiApplicationPrivate::platformIntegration()->sync();
                    every_face();
                });
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    static void name_twins()
    {
        QFontDatabase::families(); // fills the database, which the names go into
        QPlatformFontDatabase::registerAliasToFontFamily(QStringLiteral("Liberation Sans"),
                                                         QStringLiteral("MS Sans Serif"));
        QPlatformFontDatabase::registerAliasToFontFamily(QStringLiteral("Liberation Serif"),
                                                         QStringLiteral("Times New Roman"));
    }

    void every_face()
    {
        if (everything)
            return;
        everything = true;
        QApplication::instance()->removeEventFilter(this);
        if (FcConfig *system = FcInitLoadConfigAndFonts()) {
            FcConfigSetCurrent(system);
            FcConfigDestroy(system);
        }
        QPlatformFontDatabase::repopulateFontDatabase();
        name_twins();
    }

    const QMetaObject &main_window;
    bool frame_drawn = false;
    bool everything = false;
};

enum class WindowSystem { x11, wayland, none };

WindowSystem window_system()
{
    const QString platform = QGuiApplication::platformName();
    if (platform == QLatin1String("xcb"))
        return WindowSystem::x11;
    if (platform.startsWith(QLatin1String("wayland")))
        return WindowSystem::wayland;
    return WindowSystem::none;
}

/// Qt's platform plugins hand their resources out by name, and a renamed
/// one comes back empty: what needed it then stops, which is said once.
bool found(const void *resource, const char *name, const char *consequence)
{
    static QList<QByteArray> told;
    if (!resource && !told.contains(name)) {
        told.append(name);
        qWarning("quendra: Qt gibt \"%s\" nicht heraus; %s.", name, consequence);
    }
    return resource != nullptr;
}

QPlatformNativeInterface *native_interface()
{
    QPlatformNativeInterface *native = QGuiApplication::platformNativeInterface();
    return found(native, "platformNativeInterface", "Fenster kommen ohne Token nach vorn")
               ? native
               : nullptr;
}

// X11: a startup id ends in "_TIME" and the X server time of the click that
// launched it: activating with that time is what lets a window manager with
// focus-stealing prevention grant the request.
void use_startup_time(const QByteArray &startup_id)
{
    static const QRegularExpression time_part(QStringLiteral("_TIME([0-9]+)$"));
    const QRegularExpressionMatch match = time_part.match(QString::fromLatin1(startup_id));
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!match.hasMatch() || !screen)
        return;
    QPlatformNativeInterface *native = native_interface();
    if (!native)
        return;
    using SetTime = void (*)(QScreen *, quint32);
    // Qt hands its platform functions out under one generic pointer type.
    auto *function = reinterpret_cast<void *>(
        native->nativeResourceFunctionForScreen(QByteArrayLiteral("setapptime")));
    if (found(function, "setapptime", "ein Fenstermanager kann das Nach-vorn-Holen abweisen"))
        reinterpret_cast<SetTime>(function)(screen, match.captured(1).toUInt());
}

// Wayland: the compositor activates a surface for a token that another
// program handed us.
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

/// Sent on Qt's own connection for the window's own surface. False when the
/// compositor offers no activation.
bool activate_with_token(QWindow &window, const QByteArray &token)
{
    QPlatformNativeInterface *native = native_interface();
    if (!native)
        return false;
    const char *lost = "die Aktivierung mit dem Token des Starters entfällt";
    auto *display = static_cast<wl_display *>(native->nativeResourceForIntegration("wl_display"));
    auto *surface = static_cast<wl_surface *>(native->nativeResourceForWindow("surface", &window));
    if (!found(display, "wl_display", lost) || !found(surface, "surface", lost))
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

} // namespace

void write_console(const QString &text, std::FILE *stream)
{
    std::fputs(text.toUtf8().constData(), stream);
}

QString instance_folder()
{
    // Qt names none when it cannot make a private one.
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
}

QString instance_display()
{
    // Keyed by what Qt really uses: an X11 or offscreen start inside a Wayland
    // session must not meet the desktop's own instance.
    switch (window_system()) {
    case WindowSystem::x11: {
        const auto *x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        Display *display = x11 ? x11->display() : nullptr;
        if (found(display, "Display", "die Sperre gilt der Anzeige aus DISPLAY"))
            return QStringLiteral("x11-") + QString::fromLocal8Bit(DisplayString(display));
        return QStringLiteral("x11-") + qEnvironmentVariable("DISPLAY");
    }
    case WindowSystem::wayland:
        return QStringLiteral("wayland-") +
               qEnvironmentVariable("WAYLAND_DISPLAY", QStringLiteral("wayland-0"));
    case WindowSystem::none:
        break;
    }
    return QGuiApplication::platformName();
}

void allow_foreground_handover() {}

LaunchTokens take_launch_tokens()
{
    LaunchTokens tokens{qgetenv("XDG_ACTIVATION_TOKEN"), qgetenv("DESKTOP_STARTUP_ID")};
    qunsetenv("XDG_ACTIVATION_TOKEN");
    return tokens;
}

QByteArray launch_token(const LaunchTokens &tokens)
{
    return window_system() == WindowSystem::x11 ? tokens.startup_id : tokens.activation_token;
}

void activate_after_launch(QWidget &window, const LaunchTokens &tokens)
{
    if (window_system() != WindowSystem::x11 && !tokens.activation_token.isEmpty())
        bring_to_front(window, tokens.activation_token);
}

bool request_activation(QWindow &window, const QByteArray &token)
{
    switch (window_system()) {
    case WindowSystem::wayland:
        return !token.isEmpty() && activate_with_token(window, token);
    case WindowSystem::x11:
        use_startup_time(token);
        return false;
    case WindowSystem::none:
        break;
    }
    return false;
}

bool compositor_places_windows()
{
    return window_system() == WindowSystem::wayland;
}

void watch_key_presses() {}

bool marked_repeat_held(const QKeyEvent &press)
{
    return press.isAutoRepeat();
}

bool key_repeats_unmarked()
{
    return window_system() == WindowSystem::x11;
}

QCursor hourglass_cursor()
{
    // Qt 6.4's Wayland platform animates a themed cursor through frame
    // callbacks and can crash while doing so (GNOME's hourglass is animated,
    // and the pointer rests on the main window during a report). There the
    // hourglass is a still picture of our own.
    if (window_system() != WindowSystem::wayland)
        return QCursor(Qt::WaitCursor);
    QPixmap picture(32, 32);
    picture.fill(Qt::transparent);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    painter.setBrush(Qt::white);
    painter.drawPolygon(QPolygonF{{8, 3}, {24, 3}, {16, 16}});
    painter.drawPolygon(QPolygonF{{16, 16}, {24, 29}, {8, 29}});
    painter.end();
    return QCursor(picture, 16, 16);
}

void substitute_design_fonts(const QMetaObject &main_window)
{
    new MetricTwins(main_window, QApplication::instance());
}
