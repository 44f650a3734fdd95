#pragma once

#include <QFont>
#include <QString>

// Where report lines go. The drawing area of the report window and the printer
// both take the same calls, so one composition serves the screen and paper.
// Attributes stay in force until set again; write_line writes at x = 0 and
// moves down one line height of the current font; nothing is ever wrapped.
class ReportSurface
{
public:
    virtual ~ReportSurface() = default;

    virtual void set_font_name(const QString &name) = 0;
    virtual void set_font_size(double points) = 0;
    virtual void set_bold(bool bold) = 0;
    virtual void set_underline(bool underline) = 0;
    virtual void write_line(const QString &text) = 0;
    virtual void write_empty_line() = 0;
    /// The vertical writing position, in the surface's own unit.
    virtual double get_y() const = 0;
    virtual void set_y(double y) = 0;
};

/// The font attributes a surface keeps in force from line to line.
struct FontAttributes
{
    QString name;
    double size = 12; // points
    bool bold = false;
    bool underline = false;

    /// Sizes of zero or below are ignored: the last valid size stays.
    void set_size(double points)
    {
        if (points > 0)
            size = points;
    }

    QFont font() const
    {
        QFont result(name);
        result.setPointSizeF(size);
        result.setBold(bold);
        result.setUnderline(underline);
        return result;
    }
};
