// Windows hidden thousands of times, so that Qt 6.4.2's race on a window's
// pending frame callback shows in minutes instead of once in a day at the
// stand: hiding a window destroys the callback on the main thread while
// Qt's frame-event thread may be destroying it too, and libwayland aborts
// (wl_proxy_unref). Run by bench/wayland_hide.sh under a Wayland compositor.
//
// usage: wayland_hide box|window direct|routed CYCLES
//   box     an error box over the full-screen window, created, shown, its OK
//           button pressed, closed and deleted, CYCLES times
//   window  the report window, shown and sent away by its Command1, CYCLES
//           times
//   direct  the window hides at once, as Qt's own done() does
//   routed  it hides as the program's windows do (frame_wait.h): the box is
//           the program's own error box, the report window its own done()
// Before each close the button is drawn pressed, which asks the compositor
// for a frame, and the close follows after a random 0 to 20 ms, so that over
// many cycles it meets the compositor's answer at every phase.
// "cycles N" goes to stdout every 10 cycles and at the end, so that a run
// that aborts still says how far it came.

#include "bildschirm.h"
#include "prompts.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QRandomGenerator>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>

namespace {

const QString box_text = QStringLiteral("Das Datum ist falsch.");
const QString box_title = QStringLiteral("falsches Geburtsdatum");

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
    const bool box_mode = arguments.value(1) == QLatin1String("box");
    const bool routed = arguments.value(2) == QLatin1String("routed");
    const int total = arguments.value(3).toInt();
    if ((!box_mode && arguments.value(1) != QLatin1String("window")) ||
        (!routed && arguments.value(2) != QLatin1String("direct")) || total <= 0) {
        std::fputs("usage: wayland_hide box|window direct|routed CYCLES\n", stderr);
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
    QtPrompts prompts(&main_window);
    QRandomGenerator &random = *QRandomGenerator::global();

    // Presses and closes each window the cycle shows, once it is on screen.
    QPointer<QWidget> handled;
    QTimer closer;
    closer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&closer, &QTimer::timeout, &app, [&] {
        QWidget *shown = QApplication::activeModalWidget();
        if (!shown || shown == handled || !shown->windowHandle() ||
            !shown->windowHandle()->isExposed())
            return;
        handled = shown;
        auto *button = box_mode ? shown->findChild<QPushButton *>()
                                : shown->findChild<QPushButton *>(QStringLiteral("Command1"));
        QTimer::singleShot(static_cast<int>(random.bounded(5, 15)), Qt::PreciseTimer, shown, [&,
                                                                                             shown,
                                                                                             button] {
            button->setDown(true);
            button->repaint();
            QTimer::singleShot(static_cast<int>(random.bounded(0, 21)), Qt::PreciseTimer, shown,
                               [&, shown, button] {
                                   button->setDown(false);
                                   if (routed)
                                       button->click();
                                   else
                                       static_cast<QDialog *>(shown)->QDialog::done(
                                           QDialog::Accepted);
                               });
        });
    });
    closer.start(1);

    QTimer::singleShot(500, &app, [&] {
        for (int cycle = 1; cycle <= total; ++cycle) {
            if (box_mode && routed) {
                prompts.show_error(box_text, box_title);
            } else if (box_mode) {
                QMessageBox box(QMessageBox::Critical, box_title, box_text, QMessageBox::Ok,
                                &main_window);
                box.exec();
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
