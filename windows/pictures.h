#pragma once

#include "program_state.h"

#include <QImage>
#include <QString>

// Picture files lie beside the program file and are read at every use: the
// head picture and the logo at start, a face every second, the printing
// professor at every printed report. A file that is missing or broken ends
// the program after a message box that names it.

/// Why a picture file could not be used.
enum class PictureProblem {
    none,
    missing,    // no file of that name
    unreadable, // present, but cannot be opened (a directory, no permission)
    invalid,    // opened, but not a complete picture in a known format
};

/// The outcome of reading one picture file.
struct PictureLoad
{
    QImage image; // null unless problem is none
    PictureProblem problem = PictureProblem::none;
    QString message; // German, names the file; empty on success

    bool ok() const { return problem == PictureProblem::none; }
};

/// The full path of a picture file: the program file's directory and file_name.
QString picture_path(const QString &file_name);

/// Reads and decodes the picture at path, without showing anything.
PictureLoad read_picture_file(const QString &path);

/// The window title of the message box for a failed load.
QString picture_problem_title(PictureProblem problem);

/// Reads the program's picture files for the main window. A missing or
/// broken one is named in a critical message box, and the program ends with
/// status 1.
class PictureLoader
{
public:
    explicit PictureLoader(ProgramEnd end_program) : end_program(std::move(end_program)) {}

    /// Reads file_name from the program's directory. A null image comes back
    /// only if the end handler lets the program go on, or while the box for
    /// another broken file is open.
    QImage load(const QString &file_name);

private:
    ProgramEnd end_program;
    // The timers keep running while the box is open; a second broken file
    // found meanwhile opens no second box, since closing this one ends the
    // program.
    bool reporting = false;
};
