#pragma once

#include <QDialog>

#include <memory>

class QRadioButton;

namespace Ui {
class Dialog;
}

// The options window: asked once at start whether each analysis is shown or
// printed and which lottery is drawn. Its start button is the only way out;
// afterwards it stays hidden, and its option buttons answer the two queries
// until the program ends.
class Dialog : public QDialog
{
    Q_OBJECT

public:
    explicit Dialog(QWidget *parent = nullptr);
    ~Dialog() override;

    /// The option button `Lotto` index 0 (6 aus 45, upper) or 1 (6 aus 49).
    QRadioButton *Lotto(int index) const;
    /// The option button `Ausdruck` index 0 (printout, upper) or 1 (screen).
    QRadioButton *Ausdruck(int index) const;

    /// True when each analysis goes straight to the printer.
    bool printout_selected() const;
    /// 45 or 49: how many numbers the lottery is drawn from.
    int read_lottery_variant() const;
    /// The start button has been pressed: the choice holds for the run.
    bool is_confirmed() const { return confirmed_; }

    /// Selects the output (printout or screen) and the lottery (45 or 49) and
    /// confirms them as the start button does, without the window being shown.
    void preset(bool printout, int lottery_variant);

    // Escape would reject the dialog; the start button is the only way out.
    void reject() override;

signals:
    /// The start button was pressed; the window has hidden itself.
    void confirmed();

protected:
    bool event(QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void start_program();

    std::unique_ptr<Ui::Dialog> ui;
    bool confirmed_ = false;
};
