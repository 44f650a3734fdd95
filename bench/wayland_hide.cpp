// Windows hidden thousands of times, so that Qt 6.4.2's race on a window's
// pending frame callback shows in minutes instead of once in a day at the
// stand: hiding a window destroys the callback on the main thread while
// Qt's frame-event thread may be destroying it too, and libwayland aborts
// (wl_proxy_unref). Run by bench/wayland_hide.sh under a Wayland compositor,
// with the program's own Wayland client library (the fixed one, found as the
// program finds it) or, preloaded, Debian's.
//
// usage: wayland_hide box|window|tooltip CYCLES
//   box      an error box over the full-screen window, created, shown, its OK
//            button pressed, closed and deleted, CYCLES times
//   window   the report window, shown and sent away by its Command1
//   tooltip  a tooltip shown, its text changed, and a mouse press, on which
//            Qt closes and deletes it
// Each window hides at once, as Qt's own done() and tooltip do.
// Before each close the button is drawn pressed (or the tooltip's text
// changes), which asks the compositor for a frame, and the close follows
// at a random moment (see the closer), so that over many cycles it meets the
// compositor's answer at every phase.
// "cycles N" goes to stdout every 10 cycles and at the end, so that a run
// that aborts still says how far it came; "client PATH" first, the Wayland
// client library the run uses.

#include "bildschirm.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>
#include <QToolTip>
#include <QWindow>

#include <cstdio>
#include <functional>
#include <utility>

namespace {

const QString box_text = QStringLiteral("Das Datum ist falsch.");
const QString box_title = QStringLiteral("falsches Geburtsdatum");

QWidget *tooltip(bool visible_only)
{
    for (QWidget *widget : QApplication::topLevelWidgets())
        if (widget->windowType() == Qt::ToolTip && (widget->isVisible() || !visible_only))
            return widget;
    return nullptr;
}

// Calls back on each update request of the window it watches, which Qt
// delivers once the window's last frame has been answered.
class FrameSignal : public QObject
{
public:
    explicit FrameSignal(std::function<void()> signal) : signal(std::move(signal)) {}

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::UpdateRequest)
            signal();
        return false;
    }

private:
    std::function<void()> signal;
};

void report_cycles(int cycles)
{
    std::printf("cycles %d\n", cycles);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const QString mode = arguments.value(1);
    const bool box_mode = mode == QLatin1String("box");
    const bool tooltip_mode = mode == QLatin1String("tooltip");
    const int total = arguments.value(2).toInt();
    if ((!box_mode && !tooltip_mode && mode != QLatin1String("window")) || total <= 0) {
        std::fputs("usage: wayland_hide box|window|tooltip CYCLES\n", stderr);
        return 2;
    }

    // The professor's stand-in: a full-screen window typed ten times a
    // second, so that the frame-event thread has frames of two windows.
    QLabel main_window;
    main_window.setAlignment(Qt::AlignCenter);
    main_window.showFullScreen();
    QTimer typewriter;
    int typed = 0;
    QObject::connect(&typewriter, &QTimer::timeout, &main_window, [&] {
        main_window.setText(QStringLiteral("Guten Tag, wie alt sind Sie?").left(++typed % 29));
    });
    typewriter.start(100);

    bildschirm report(&main_window);
    QRandomGenerator &random = *QRandomGenerator::global();

    // Presses and closes each window the cycle shows, once it is on screen.
    QPointer<QWidget> handled;
    // A close waiting for the main window's next frame: the compositor
    // answers the frames of both windows at once, and the box then hides
    // while Qt's frame-event thread is busy with the box's answer.
    std::function<void()> on_main_frame;
    FrameSignal main_frame([&] {
        if (on_main_frame)
            std::exchange(on_main_frame, nullptr)();
    });
    main_window.windowHandle()->installEventFilter(&main_frame);
    QTimer closer;
    closer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&closer, &QTimer::timeout, &app, [&] {
        QWidget *shown = tooltip_mode ? tooltip(true) : QApplication::activeModalWidget();
        if (!shown || shown == handled || !shown->windowHandle() ||
            !shown->windowHandle()->isExposed())
            return;
        handled = shown;
        auto *button = box_mode ? shown->findChild<QPushButton *>()
                                : shown->findChild<QPushButton *>(QStringLiteral("Command1"));
        const auto press = [&, button] {
            if (tooltip_mode) {
                QToolTip::showText(main_window.geometry().center(),
                                   QStringLiteral("Ende des Programms"), &main_window);
                return;
            }
            button->setDown(true);
            button->repaint();
        };
        const auto close = [&, shown, button] {
            if (tooltip_mode) {
                const QPointF corner(1, 1);
                QMouseEvent click(QEvent::MouseButtonPress, corner, main_window.mapToGlobal(corner),
                                  Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
                QApplication::sendEvent(&main_window, &click);
                return;
            }
            button->setDown(false);
            static_cast<QDialog *>(shown)->QDialog::done(QDialog::Accepted);
        };
        // A quarter of the closes come as soon as the window is on screen,
        // its first frame still pending; a quarter within 2 ms of the press,
        // spun, not timed, as a key that closes a box follows its own repaint
        // at once; a quarter 1 to 20 ms after it; a quarter when the main
        // window's next frame is answered, then spun up to 0.3 ms.
        const auto spin_then = [&](auto then) {
            const qint64 spin_ns = random.bounded(2'000'000);
            QElapsedTimer spin;
            spin.start();
            while (spin.nsecsElapsed() < spin_ns) {
            }
            then();
        };
        const int kind = static_cast<int>(random.bounded(4));
        if (kind == 0) {
            spin_then(close);
            return;
        }
        QTimer::singleShot(static_cast<int>(random.bounded(5, 15)), Qt::PreciseTimer, shown,
                           [&, kind, shown, press, close, spin_then] {
                               press();
                               if (kind == 1) {
                                   spin_then(close);
                               } else if (kind == 2) {
                                   main_window.update();
                                   main_window.windowHandle()->requestUpdate();
                                   on_main_frame = [&, close] {
                                       const qint64 spin_ns = random.bounded(300'000);
                                       QElapsedTimer spin;
                                       spin.start();
                                       while (spin.nsecsElapsed() < spin_ns) {
                                       }
                                       close();
                                   };
                                   // A compositor may leave the main window's frame unanswered.
                                   QTimer::singleShot(50, shown, [&] {
                                       if (on_main_frame)
                                           std::exchange(on_main_frame, nullptr)();
                                   });
                               } else
                                   QTimer::singleShot(static_cast<int>(random.bounded(1, 21)),
                                                      Qt::PreciseTimer, shown, close);
                           });
    });
    closer.start(1);

    QTimer::singleShot(500, &app, [&] {
        QFile maps(QStringLiteral("/proc/self/maps"));
        if (maps.open(QIODevice::ReadOnly))
            for (const QByteArray &line : maps.readAll().split('\n'))
                if (line.contains("libQt6WaylandClient")) {
                    std::printf("client %s\n", line.mid(line.indexOf('/')).constData());
                    break;
                }
        for (int cycle = 1; cycle <= total; ++cycle) {
            if (box_mode) {
                QMessageBox box(QMessageBox::Critical, box_title, box_text, QMessageBox::Ok,
                                &main_window);
                box.exec();
            } else if (tooltip_mode) {
                // Done once Qt has deleted the tooltip.
                QToolTip::showText(main_window.geometry().center(), QStringLiteral("Ende"),
                                   &main_window);
                QEventLoop loop;
                QTimer gone;
                QObject::connect(&gone, &QTimer::timeout, &loop, [&] {
                    if (!tooltip(false))
                        loop.quit();
                });
                gone.start(1);
                loop.exec();
            } else {
                report.exec();
            }
            handled = nullptr;
            if (cycle % 10 == 0 || cycle == total)
                report_cycles(cycle);
        }
        QApplication::quit();
    });
    return QApplication::exec();
}
