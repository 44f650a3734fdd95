// Every box the program shows with text from outside (a printer's name and
// CUPS's answer in the print failure, the path of a broken picture, whatever
// a prompt carries) shows that text as it is: Qt would otherwise take
// anything that looks like a tag for markup.

#include "driver.h"
#include "pictures.h"
#include "program_state.h"
#include "prompts.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QInputDialog>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

#include <functional>

namespace {

const QString markup = QStringLiteral("<b>fett</b> <img src=x> &amp;");

struct SeenLabel
{
    QString text;
    bool plain = false; // shown as plain text, whatever the label was told
};

// Runs show, which opens a modal box; meanwhile notes every label of that
// box and then confirms it.
QList<SeenLabel> labels_of_box(const std::function<void()> &show)
{
    QList<SeenLabel> seen;
    support::Driver driver(5000);
    driver.when(
        QStringLiteral("the box"), [] { return QApplication::activeModalWidget(); },
        [&] {
            auto *box = qobject_cast<QDialog *>(QApplication::activeModalWidget());
            for (const QLabel *label : box->findChildren<QLabel *>()) {
                if (label->text().isEmpty())
                    continue;
                const bool plain =
                    label->textFormat() == Qt::PlainText ||
                    (label->textFormat() == Qt::AutoText && !Qt::mightBeRichText(label->text()));
                seen << SeenLabel{label->text(), plain};
            }
            box->accept();
        });
    show();
    if (!driver.done())
        qWarning("%s", qPrintable(driver.failure));
    return seen;
}

// The label showing text, or nothing.
std::optional<SeenLabel> label_with(const QList<SeenLabel> &labels, const QString &text)
{
    for (const SeenLabel &label : labels) {
        if (label.text.contains(text))
            return label;
    }
    return std::nullopt;
}

} // namespace

class TestPlainBoxes : public QObject
{
    Q_OBJECT

private slots:
    void prompt_boxes_data();
    void prompt_boxes();
    void broken_picture_box();
};

void TestPlainBoxes::prompt_boxes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("text");
    QTest::newRow("error, markup first")
        << 0 << markup + QStringLiteral("\nDer Drucker „x“ hat den Auftrag nicht angenommen");
    QTest::newRow("error, printer name in markup")
        << 0 << QStringLiteral("Der Drucker „<i>schräg</i>“ ist nicht verfügbar.");
    QTest::newRow("question") << 1 << markup;
    QTest::newRow("input prompt") << 2 << markup;
}

void TestPlainBoxes::prompt_boxes()
{
    QFETCH(int, kind);
    QFETCH(QString, text);
    QtPrompts prompts;
    const QList<SeenLabel> labels = labels_of_box([&] {
        if (kind == 0)
            prompts.show_error(text, QStringLiteral("Titel"));
        else if (kind == 1)
            prompts.ask_yes_no(text, QStringLiteral("Titel"));
        else
            prompts.ask_text(text, QStringLiteral("Titel"));
    });
    const std::optional<SeenLabel> label = label_with(labels, text);
    QVERIFY2(label.has_value(), "the text is not shown as it was given");
    QVERIFY(label->plain);
}

void TestPlainBoxes::broken_picture_box()
{
    // The message names the file with its path; here the file's name looks
    // like markup, as a folder or file name may.
    const QString name =
        QStringLiteral("<b>kaputt&amp;_%1.jpg").arg(QCoreApplication::applicationPid());
    const QString path = picture_path(name);
    {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("kein Bild");
    }
    QList<int> ends;
    PictureLoader pictures([&ends](int status) { ends << status; });
    const QList<SeenLabel> labels = labels_of_box([&] { pictures.load(name); });
    QFile::remove(path);

    QCOMPARE(ends, QList<int>{1});
    const std::optional<SeenLabel> label = label_with(labels, QDir::toNativeSeparators(path));
    QVERIFY2(label.has_value(), "the path is not shown as it is");
    QVERIFY(label->plain);
}

QTEST_MAIN(TestPlainBoxes)
#include "test_plain_boxes.moc"
