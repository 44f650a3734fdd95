#pragma once

#include <QObject>
#include <QString>

#include <array>
#include <optional>

// The professor on the main window: a typewriter that moves the speech
// bubble on by one character per tick, a face changer that picks a random
// face per tick, and an endless speech script of ten sentences.
//
// The script is a state machine advanced by the typewriter's ticks rather
// than a loop that waits inside every activation: a report or a new
// activation can start it over at any time without piling up nested loops.
// Reports take the presenter over (blank bubble, frozen face), hand it their
// own sentence, wait for it, and hand it back; the script then starts over
// with its first sentence.
class Presenter : public QObject
{
    Q_OBJECT

public:
    static constexpr int sentence_count = 10;
    /// The speech script; the trailing blanks are typed too and make the pauses.
    static const std::array<QString, sentence_count> &sentences();

    explicit Presenter(QObject *parent = nullptr);

    // The shared fields: the script, the reports and the two timer steps meet here.
    QString speech_text;         // what the bubble is to show; empty is a blank bubble
    bool speech_restart = false; // the next tick starts speech_text from its first character
    bool speech_finished = false; // the typewriter has moved past the last character
    qint64 speech_pos = 0;        // characters shown; goes on counting while idle
    qint16 face_hold = 0;         // 0 normal, -1 a report is running, 3 a report has ended

    /// One typewriter tick (every 100 ms).
    void typewriter_step();
    /// One face tick (every second): asks for a random face unless frozen.
    void face_step();

    /// Starts the speech script from its first sentence; a script already
    /// running is replaced, never stacked.
    void start_script();
    bool script_running() const { return script_active; }
    /// Index of the sentence the script is waiting on (0 to 9).
    int script_sentence() const { return sentence_index; }

    /// A report starts: blank bubble, frozen face, the script suspended.
    void take_over();
    /// A report's own sentence, typed from the next tick on.
    void say(const QString &sentence);
    /// Blocks in the event loop until the current sentence stands complete.
    /// Timer ticks and other events are handled meanwhile; no polling.
    void wait_for_sentence();
    /// A report has ended (face_hold is 3 by then): the script goes on.
    void hand_back();
    /// How many reports are running, nested ones included.
    int reports_running() const { return running_reports; }

signals:
    void caption_changed(const QString &caption);
    /// A face to show: 1 friendly, 2 smiling, 3 cross.
    void face_chosen(int face);
    /// The typewriter has just set speech_finished.
    void sentence_finished();

private:
    void set_caption(const QString &caption);
    void set_sentence(int index);
    void advance_script();

    std::optional<QString> caption; // unknown until the first tick: the bubble's design text
    bool script_active = false;
    int sentence_index = 0;
    int running_reports = 0;
};
