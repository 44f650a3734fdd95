#include "bildschirm.h"

#include "drawing_area.h"
#include "placement.h"
#include "ui_bildschirm.h"

#include <QCloseEvent>
#include <QEvent>

bildschirm::bildschirm(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      ui(std::make_unique<Ui::bildschirm>())
{
    ui->setupUi(this);
    keep_placement(*this);
    connect(ui->Command1, &QPushButton::clicked, this, &QDialog::accept);
    connect(ui->Command2, &QPushButton::clicked, this, &bildschirm::print_requested);
}

bildschirm::~bildschirm() = default;

DrawingArea *bildschirm::blatt() const
{
    return ui->blatt;
}

void bildschirm::reject() {}

bool bildschirm::event(QEvent *event)
{
    // Whoever comes back to the window finds the button for the next person
    // under the keyboard, whatever had the focus before.
    if (event->type() == QEvent::WindowActivate)
        ui->Command1->setFocus(Qt::ActiveWindowFocusReason);
    return QDialog::event(event);
}

void bildschirm::closeEvent(QCloseEvent *event)
{
    // The user's close request arrives from the window system: refused, as
    // the window has no close command. The program's own close, including
    // the one QApplication sends every window when it quits, ends the window.
    if (event->spontaneous()) {
        event->ignore();
        return;
    }
    done(QDialog::Rejected);
    event->accept();
}
