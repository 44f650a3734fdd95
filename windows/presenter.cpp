#include "presenter.h"

#include "lottery.h"

#include <QEventLoop>

#include <cmath>

const std::array<QString, Presenter::sentence_count> &Presenter::sentences()
{
    static const std::array<QString, sentence_count> script = {
        QStringLiteral("Hallo ich bin Professor Zuz Zarnok         "),
        QStringLiteral("Ich kann Dir alle möglichen Sachen ausrechnen         "),
        QStringLiteral("Drück nur irgendeine Taste und los gehts         "),
        QStringLiteral("Ich kann Dir sagen an welchem Wochentag Du geboren wurdest,     "),
        QStringLiteral("wieoft Dein Herz schon geschlagen hat     "),
        QStringLiteral("wieviele Mahlzeiten Du zu Dir genommen hast     "),
        QStringLiteral("wie oft Du zum Zahnarzt hättest gehen sollen     "),
        QStringLiteral("und vieles mehr.     "),
        QStringLiteral("Außerdem berechne ich noch Deine Glückszahlen.         "),
        QStringLiteral("Also drück jetzt BITTE eine Taste !                            "),
    };
    return script;
}

Presenter::Presenter(QObject *parent) : QObject(parent) {}

void Presenter::set_caption(const QString &text)
{
    // Idle ticks leave the bubble alone, so a waiting professor costs no repaint.
    if (caption == text)
        return;
    caption = text;
    emit caption_changed(text);
}

void Presenter::typewriter_step()
{
    if (speech_text_.isEmpty())
        set_caption(QString());

    if (speech_restart_) {
        speech_pos_ = 1;
        set_caption(speech_text_.left(1));
        speech_restart_ = false;
        speech_finished_ = false;
    } else {
        ++speech_pos_;
        if (speech_pos_ > speech_text_.size()) {
            speech_finished_ = true;
            emit sentence_finished();
        } else {
            set_caption(speech_text_.left(speech_pos_));
        }
    }
    advance_script();
}

void Presenter::face_step(QRandomGenerator &generator)
{
    if (face_hold_ == FaceHold::report_running)
        return;
    const int face = static_cast<int>(std::floor(next_random(generator) * 3)) + 1;
    emit face_chosen(static_cast<Face>(face));
}

void Presenter::set_sentence(int index)
{
    sentence_index = index;
    speech_text_ = sentences()[static_cast<std::size_t>(index)];
    speech_restart_ = true;
    speech_finished_ = false;
}

void Presenter::start_script()
{
    script_active = true;
    face_hold_ = FaceHold::normal;
    set_sentence(0);
}

void Presenter::advance_script()
{
    // The script is suspended beneath a running report.
    if (!script_active || running_reports > 0)
        return;
    for (;;) {
        // The first sentence always waits until it is typed out; the others
        // give way at once after a report, which ends the cycle early.
        const bool waiting = sentence_index == 0
                                 ? !speech_finished_
                                 : !speech_finished_ && face_hold_ != FaceHold::report_ended;
        if (waiting)
            return;
        if (sentence_index + 1 < sentence_count) {
            set_sentence(sentence_index + 1);
        } else {
            face_hold_ = FaceHold::normal;
            set_sentence(0);
        }
    }
}

void Presenter::take_over()
{
    ++running_reports;
    speech_restart_ = true;
    speech_finished_ = true;
    speech_text_.clear();
    set_caption(QString());
    face_hold_ = FaceHold::report_running;
}

void Presenter::say(const QString &sentence)
{
    speech_finished_ = false;
    speech_restart_ = true;
    speech_text_ = sentence;
}

void Presenter::wait_for_sentence()
{
    while (!speech_finished_) {
        QEventLoop loop;
        connect(this, &Presenter::sentence_finished, &loop, &QEventLoop::quit);
        loop.exec();
    }
}

void Presenter::hand_back()
{
    if (running_reports > 0)
        --running_reports;
    advance_script();
}
