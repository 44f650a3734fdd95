#pragma once

#include <QObject>
#include <QRandomGenerator>
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
    /// What the face changer and the script make of a report.
    enum class FaceHold : qint16 {
        normal = 0,          // faces change, the script runs
        report_running = -1, // the face is frozen
        report_ended = 3,    // faces change again, the script starts over
    };
    Q_ENUM(FaceHold)

    /// The three faces the changer picks from, numbered as their files are chosen.
    enum class Face { friendly = 1, smiling = 2, cross = 3 };
    Q_ENUM(Face)

    static constexpr int sentence_count = 10;
    /// The speech script; the trailing blanks are typed too and make the pauses.
    static const std::array<QString, sentence_count> &sentences();

    explicit Presenter(QObject *parent = nullptr);

    /// What the bubble is to show; empty is a blank bubble.
    const QString &speech_text() const { return speech_text_; }
    /// The typewriter has moved past the last character of speech_text.
    bool speech_finished() const { return speech_finished_; }
    /// Characters shown; goes on counting while the bubble is idle.
    qint64 speech_pos() const { return speech_pos_; }
    FaceHold face_hold() const { return face_hold_; }

    /// One typewriter tick (every 100 ms).
    void typewriter_step();
    /// One face tick (every second): asks for a face drawn from generator
    /// unless frozen.
    void face_step(QRandomGenerator &generator);

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
    /// The report's figures are out: faces change again, and once handed back
    /// the script starts over.
    void end_report() { face_hold_ = FaceHold::report_ended; }
    /// A report is over (end_report has run): the script goes on.
    void hand_back();
    /// How many reports are running, nested ones included.
    int reports_running() const { return running_reports; }

signals:
    void caption_changed(const QString &caption);
    /// A face to show.
    void face_chosen(Presenter::Face face);
    /// The typewriter has just set speech_finished.
    void sentence_finished();

private:
    void set_caption(const QString &caption);
    void set_sentence(int index);
    void advance_script();

    // The script, the reports and the two timer steps meet in these.
    QString speech_text_;
    bool speech_restart_ = false; // the next tick starts speech_text_ from its first character
    bool speech_finished_ = false;
    qint64 speech_pos_ = 0;
    FaceHold face_hold_ = FaceHold::normal;

    std::optional<QString> caption; // unknown until the first tick: the bubble's design text
    bool script_active = false;
    int sentence_index = 0;
    int running_reports = 0;
};
