#pragma once

// What a screen reader gets of the windows beyond what Qt tells it itself.
// The report sheet `blatt` is drawn, so Qt knows no text on it: its lines go
// out as one read-only text, in their order. The "X" and the title end the
// program when clicked, which a label cannot tell: they offer the click as
// their press action. The speech bubble is typed a character at a time, and
// a reader should hear each sentence once, whole.

class QLabel;
class QString;
class QWidget;

/// Lets Qt describe the sheet and the clickable labels as above. Call once,
/// after the application object is made and before the first window.
void install_accessibility();

/// Offers a click of the left button on label to assistive technology, as
/// its press action; the label handles it like a click of the mouse.
void offer_click(QLabel &label);

/// Tells readers the sentence the bubble has typed out, once and whole; the
/// characters typed before it reach no reader. An empty sentence leaves the
/// bubble with a name of its own.
void announce_sentence(QWidget *bubble, const QString &sentence);
