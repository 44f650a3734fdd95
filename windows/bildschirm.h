#pragma once

#include <QDialog>

#include <memory>

class DrawingArea;

namespace Ui {
class bildschirm;
}

// The report window: the sheet `blatt` with the last screen report, a button
// that prints it and a button that sends the window away for the next person.
// It has no close command of its own: Escape and the window manager's close
// request leave it open; Command1 hides it, which ends exec(). Closing it from
// the program (close(), or the application quitting) still works, so that it
// never holds up the end of the program.
class bildschirm : public QDialog
{
    Q_OBJECT

public:
    explicit bildschirm(QWidget *parent = nullptr);
    ~bildschirm() override;

    /// The sheet the screen report is written on.
    DrawingArea *blatt() const;

public slots:
    /// Refused: the window is left only through its buttons.
    void reject() override;

signals:
    /// Command2 was clicked: print the report shown. The window stays open.
    void print_requested();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    std::unique_ptr<Ui::bildschirm> ui;
};
