#pragma once

#include "report_surface.h"

#include <QList>
#include <QString>

#include <functional>

// A report surface that only writes down what it is told: every line with
// the attributes in force while it was written, and how often the font's name
// and the position were set.
class RecordingSurface : public ReportSurface
{
public:
    struct Line
    {
        bool empty = false; // write_empty_line rather than write_line
        QString text;
        QString font_name;
        double size = 0;
        bool bold = false;
        bool underline = false;
    };

    // Called after each line (text or empty) with the number of lines so far,
    // so that a test can act between two lines.
    std::function<void(int)> after_line;

    QList<Line> lines;
    int font_names_set = 0;
    int positions_set = 0;

    void set_font_name(const QString &name) override
    {
        ++font_names_set;
        font_name_ = name;
    }
    void set_font_size(double points) override { size_ = points; }
    void set_bold(bool bold) override { bold_ = bold; }
    void set_underline(bool underline) override { underline_ = underline; }
    void write_line(const QString &text) override { record(false, text); }
    void write_empty_line() override { record(true, {}); }
    double get_y() const override { return y_; }
    void set_y(double y) override
    {
        ++positions_set;
        y_ = y;
    }

    /// The texts of all lines, empty lines as empty texts.
    QList<QString> texts() const
    {
        QList<QString> result;
        for (const Line &line : lines)
            result << line.text;
        return result;
    }

private:
    void record(bool empty, const QString &text)
    {
        lines << Line{empty, text, font_name_, size_, bold_, underline_};
        y_ += size_;
        if (after_line)
            after_line(int(lines.size()));
    }

    QString font_name_;
    double size_ = 0;
    bool bold_ = false;
    bool underline_ = false;
    double y_ = 0;
};
