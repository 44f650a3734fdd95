#pragma once

#include "report_writer.h"

#include <QFrame>
#include <QImage>

// The report window's sheet: a framed area that keeps what is written on it.
// The report writer keeps the lines; they are drawn into a backing image that
// every paint event copies to the screen, so a report written while the
// window is hidden is there when it is shown, and covering or uncovering the
// window never loses it. Positions are in device-independent pixels from the
// top left of the area inside the frame; the image has the screen's pixel
// ratio, so a high-DPI screen shows the same sheet larger and sharp. Screen
// readers get the lines as text (accessibility.h), told once per report.
class DrawingArea : public QFrame, public ReportWriter
{
    Q_OBJECT

public:
    explicit DrawingArea(QWidget *parent = nullptr);

    void write_line(const QString &text) override;
    void write_empty_line() override;

    /// Empties the sheet to white and puts the position back to the top left.
    void clear();

    /// What the sheet shows inside its frame, at the screen's pixel ratio.
    QImage image() const;

    /// The lines written, in order, each but the last ended by a line break;
    /// an empty line is an empty text.
    QString text() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    // Makes the backing image match the inside of the frame and the pixel
    // ratio of the screen, redrawing the lines written so far when either
    // has changed, and draws the lines written since.
    void ensure_image() const;
    // Readers hear of a new text once it is written: a report is written in
    // one go, without the event loop running in between.
    void text_changed();
    void tell_readers();

    mutable QImage image_;
    mutable qsizetype drawn_ = 0; // lines already on the image
    QString told_text;            // the text readers were last told of
    bool telling = false;         // tell_readers is queued
};
