// The yardstick for the program's start and idle figures: a bare Qt window
// that does the least the professor does. It fills the screen, shows one
// picture (the head picture, read from beside itself) and types a sentence
// into a label, one character every 100 ms, over and over.
//
// Usage: bare_window [Qt options]

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QTimer>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QWidget window;
    window.setAutoFillBackground(true);
    window.setPalette(QPalette(Qt::black, Qt::white));
    QLabel picture(&window);
    picture.setPixmap(
        QPixmap(QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("kopf.jpg"))));
    picture.setGeometry(40, 120, 485, 209);
    QLabel bubble(&window);
    bubble.setGeometry(24, 0, 760, 100);
    bubble.setFont(QFont(QStringLiteral("Liberation Sans"), 24, QFont::Bold));

    const QString sentence = QStringLiteral("Hallo ich bin Professor Zuz Zarnok.   ");
    qsizetype shown = 0;
    QTimer typewriter;
    QObject::connect(&typewriter, &QTimer::timeout, [&] {
        shown = shown % sentence.size() + 1;
        bubble.setText(sentence.left(shown));
    });
    typewriter.start(100);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        window.setGeometry(screen->geometry());
    window.showFullScreen();
    return QApplication::exec();
}
