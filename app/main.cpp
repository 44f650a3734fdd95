// Quendra: a personal birthday analysis with Professor Zuz Zarnok.

#include "keyboard_focus.h"
#include "quendra.h"

#include <QApplication>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quendra"));
    QApplication::setApplicationVersion(QStringLiteral(QUENDRA_VERSION));
    QApplication::setDesktopFileName(QStringLiteral("org.example.quendra"));

    // The windows name the classic Windows faces; use their metric twins here.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QStringLiteral("Liberation Sans"));
    QFont::insertSubstitution(QStringLiteral("Times New Roman"),
                              QStringLiteral("Liberation Serif"));

    // The boxes' buttons speak German too ("Ja", "Nein", "Abbrechen").
    QTranslator qt_german;
    if (qt_german.load(QLocale(QLocale::German, QLocale::Germany), QStringLiteral("qtbase"),
                       QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qt_german);

    Quendra window;
    // Without a window manager nobody honours the full-screen request, so the
    // window takes the screen's geometry itself as well.
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->geometry());
    take_keyboard_focus(window);
    window.showFullScreen();
    return QApplication::exec();
}
