#pragma once

#include <QFont>
#include <QImage>
#include <QLabel>
#include <QPalette>
#include <QString>

#include <memory>

class QTextLayout;

/// The speech bubble `blase`, a label that is typed into one character at a
/// time. Retained (the design drawn larger), its text is drawn into an image
/// that is kept: a new character is added to that image on its own, and only
/// its place is repainted. The image reaches across the label and down to
/// the last line typed; below it the label's background is filled as Qt
/// fills any label's. Drawn anew at every tick, text this large would
/// cost more than the whole window besides: above 64 pixels Qt fills every
/// glyph as an outline instead of copying it from its glyph cache. Not
/// retained, it is a plain label. It is laid out from the top left, without a
/// frame or a style sheet.
class TypedBubble : public QLabel
{
    Q_OBJECT

public:
    explicit TypedBubble(QWidget *parent = nullptr);
    ~TypedBubble() override;

    /// Draws from the kept image from now on, or as a plain label.
    void set_retained(bool retained);
    bool retained() const { return retained_; }

    /// Sets the text; retained, only what is new is repainted.
    void show_text(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::unique_ptr<QTextLayout> lay_out(const QString &text) const;
    QRect bring_up_to_date();

    bool retained_ = false;
    QImage image;       // the lines typed so far, across the whole label
    QSize image_pixels; // the label's size in pixels the image was made for
    QString shown;
    QFont drawn_font;
    QPalette drawn_palette;
    std::unique_ptr<QTextLayout> layout;
};
