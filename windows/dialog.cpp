#include "dialog.h"

#include "placement.h"
#include "ui_dialog.h"

#include <QCloseEvent>

Dialog::Dialog(QWidget *parent) : QDialog(parent), ui(std::make_unique<Ui::Dialog>())
{
    ui->setupUi(this);
    keep_placement(*this);
    // A fixed dialog frame with a title bar, but no system menu and no close,
    // minimise or maximise button.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFixedSize(size());
    setSizeGripEnabled(false);

    connect(ui->Command1, &QPushButton::clicked, this, &Dialog::start_program);
}

Dialog::~Dialog() = default;

QRadioButton *Dialog::Lotto(int index) const
{
    Q_ASSERT(index == 0 || index == 1);
    return index == 0 ? ui->Lotto_0 : ui->Lotto_1;
}

QRadioButton *Dialog::Ausdruck(int index) const
{
    Q_ASSERT(index == 0 || index == 1);
    return index == 0 ? ui->Ausdruck_0 : ui->Ausdruck_1;
}

bool Dialog::printout_selected() const
{
    return Ausdruck(0)->isChecked();
}

int Dialog::read_lottery_variant() const
{
    return Lotto(0)->isChecked() ? 45 : 49;
}

void Dialog::preset(bool printout, int lottery_variant)
{
    Ausdruck(printout ? 0 : 1)->setChecked(true);
    Lotto(lottery_variant == 49 ? 1 : 0)->setChecked(true);
    start_program();
}

void Dialog::start_program()
{
    confirmed_ = true;
    emit confirmed();
    // Hiding ends the modal exec() of the main window; the window and its
    // selections stay for the queries.
    hide();
}

void Dialog::reject()
{
    if (confirmed_) {
        QDialog::reject();
    }
}

bool Dialog::event(QEvent *event)
{
    // Whenever the window comes to the front, Enter or Space starts at once.
    if (event->type() == QEvent::WindowActivate) {
        ui->Command1->setFocus(Qt::ActiveWindowFocusReason);
    }
    return QDialog::event(event);
}

void Dialog::closeEvent(QCloseEvent *event)
{
    // No close command: the window manager's close button or Alt+F4 do nothing
    // until the options have been confirmed.
    if (!confirmed_) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}
