// Whatever a stranger types as a name is drawn as plain text on one line:
// never as markup, never wrapped onto the lines below, and never able to
// reorder or restyle the report's own words around it, on the screen sheet
// and on the printed page alike.

#include "drawing_area.h"
#include "platform.h"
#include "printed_pdf.h"
#include "printed_report.h"
#include "quendra.h"
#include "report_fixture.h"
#include "report_lines.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>

using printed_pdf::page_count;
using printed_pdf::TextBox;

namespace {

const QString sentence = QStringLiteral("wurde am 5.3.1973 geboren, das war ein Montag.");

struct Sheet
{
    QImage image;
    QList<double> tops;
    QFont font_of_line_3;
};

Sheet drawn_sheet(const QString &name)
{
    DrawingArea area;
    area.resize(700, 900);
    area.clear();
    write_report_lines(analysed(QStringLiteral("05031973"), name), area, OutputKind::screen,
                       Clock::pinned(pinned_now()));
    QList<double> tops;
    for (const ReportWriter::Line &line : area.lines())
        tops << line.top;
    return Sheet{area.image(), tops, area.lines().value(2).font};
}

bool has_ink(const QImage &image, int x, int top, int bottom)
{
    for (int y = top; y < bottom; ++y) {
        if (image.pixel(x, y) != qRgb(255, 255, 255))
            return true;
    }
    return false;
}

bool same_rows(const QImage &a, const QImage &b, int top, int bottom)
{
    for (int y = top; y < bottom; ++y) {
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(a.bytesPerLine())) != 0)
            return false;
    }
    return true;
}

// Where the picture of the report's own words of line 3 (" wurde am ...")
// stands in the line, or -1 when it is nowhere to be seen as drawn for Eva.
int sentence_position(const QImage &image, int top, int bottom, const QImage &words)
{
    for (int x = 0; x + words.width() <= image.width(); ++x) {
        if (image.copy(x, top, words.width(), bottom - top) == words)
            return x;
    }
    return -1;
}

// The top of the first word whose text is exactly text; -1 when there is none.
double top_of(const QList<TextBox> &words, const QString &text)
{
    for (const TextBox &word : words) {
        if (word.text == text)
            return word.top;
    }
    return -1;
}

// The words whose middle lies between two heights, left to right.
QList<TextBox> words_between(const QList<TextBox> &words, double top, double bottom)
{
    QList<TextBox> line;
    for (const TextBox &word : words) {
        const double middle = (word.top + word.bottom) / 2;
        if (middle > top && middle < bottom)
            line << word;
    }
    std::sort(line.begin(), line.end(),
              [](const TextBox &a, const TextBox &b) { return a.left < b.left; });
    return line;
}

} // namespace

class TestBadNames : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void on_the_sheet_data() { names(); }
    void on_the_sheet();
    void on_the_page_data() { names(); }
    void on_the_page();

private:
    void names();
    QString print(const QString &name, const QString &file);

    QTemporaryDir temp;
    Sheet reference;
    QImage reference_words;  // " wurde am ..." of line 3 as drawn for Eva
    double words_offset = 0; // from the end of "Eva " to the first ink of those words
    QList<TextBox> reference_page;
};

void TestBadNames::names()
{
    QTest::addColumn<QString>("name");
    // The name as typed must come out character for character (pdftotext
    // reads back names made of plain visible characters only).
    QTest::addColumn<bool>("read_back");

    QString long_name;
    while (long_name.size() < 100000)
        long_name += QStringLiteral("Zuz Zarnok-Übermaß ");
    long_name.truncate(100000);
    QTest::newRow("100000 characters") << long_name << false;

    QTest::newRow("bold markup") << QStringLiteral("<b>fett</b>") << true;
    QTest::newRow("image markup") << QStringLiteral("<img src=x>") << true;
    QTest::newRow("html document") << QStringLiteral("<html><h1>Riesig</h1></html>") << true;
    QTest::newRow("entities") << QStringLiteral("&lt;b&gt;&amp;&#65;") << true;
    QTest::newRow("line break tag") << QStringLiteral("a<br>b") << true;
    QTest::newRow("access key mark") << QStringLiteral("&Eva") << true;
    QTest::newRow("line breaks and tabs")
        << QStringLiteral("Anna\nBerta\r\nCarla\tDora\u2028Ella\u2029Frida\u0085Gerda") << false;
    QTest::newRow("terminal escapes and NUL")
        << QStringLiteral("Eva\u001b[31mRot\u001b[0m\u0007\u0000\u007f\u0008") << false;
    QTest::newRow("Hebrew") << QStringLiteral("שרה לוי") << false;
    QTest::newRow("Arabic") << QStringLiteral("مريم الحسن") << false;
    QTest::newRow("right-to-left mark") << QStringLiteral("Eva\u200f") << false;
    QTest::newRow("right-to-left override left open") << QStringLiteral("Eva\u202e") << false;
    QTest::newRow("embedding, override and isolate left open")
        << QStringLiteral("Eva\u202b\u202e\u2067") << false;
    QTest::newRow("stray pop directional marks")
        << QStringLiteral("\u202c\u2069Eva\u202c\u2069") << false;
    QTest::newRow("emoji") << QStringLiteral(
                                  "Anna 🎂🥳 👩‍👩‍👧‍👦 👍🏽 🇩🇪")
                           << false;
    QTest::newRow("lone surrogates")
        << QString(QChar(0xd83c)) + QStringLiteral("Eva") + QChar(0xdc00) << false;
    // Forty accents on one letter tower over the lines above; only the
    // lines below are compared for this one.
    QTest::newRow("stacked accents") << QStringLiteral("Z") + QString(40, QChar(0x0301)) << false;
}

void TestBadNames::initTestCase()
{
    QVERIFY(temp.isValid());
    // The faces the program draws with.
    substitute_design_fonts(Quendra::staticMetaObject);

    reference = drawn_sheet(QStringLiteral("Eva"));
    QCOMPARE(reference.tops.size(), 34);
    // The words start right after the first gap that follows "Eva".
    const QImage &image = reference.image;
    const int top = qCeil(reference.tops[2]);
    const int bottom = qCeil(reference.tops[3]);
    int x = 0;
    while (x < image.width() && !has_ink(image, x, top, bottom))
        ++x;
    while (x < image.width() && has_ink(image, x, top, bottom))
        ++x;
    while (x < image.width() && !has_ink(image, x, top, bottom))
        ++x;
    int last = image.width() - 1;
    while (last > x && !has_ink(image, last, top, bottom))
        --last;
    QVERIFY(last - x > 100);
    reference_words = image.copy(x, top, last + 1 - x, bottom - top);
    words_offset =
        x -
        QFontMetricsF(reference.font_of_line_3, &image).horizontalAdvance(QStringLiteral("Eva "));

    reference_page = printed_pdf::words(print(QStringLiteral("Eva"), QStringLiteral("eva.pdf")));
    QVERIFY(top_of(reference_page, QStringLiteral("Heute")) > 0);
}

QString TestBadNames::print(const QString &name, const QString &file)
{
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const QString path = temp.filePath(file);
    printer.setOutputFileName(path);
    const std::optional<QString> failure = print_report_page(
        analysed(QStringLiteral("05031973"), name), plain_picture(qRgb(200, 0, 0)),
        plain_picture(qRgb(0, 0, 200)), Clock::pinned(pinned_now()), printer);
    if (failure)
        qWarning("printing failed: %s", qPrintable(*failure));
    return path;
}

void TestBadNames::on_the_sheet()
{
    QFETCH(QString, name);
    const Sheet sheet = drawn_sheet(name);

    // The same lines at the same heights: the name took one line and no more.
    QCOMPARE(sheet.tops, reference.tops);
    const QImage &image = sheet.image;
    QCOMPARE(image.size(), reference.image.size());
    const int top = qCeil(sheet.tops[2]);
    const int bottom = qCeil(sheet.tops[3]);
    // Apart from the name's line and its neighbours (accents and emoji may
    // reach a little above or below), the sheet is exactly Eva's.
    if (!name.contains(QChar(0x0301)))
        QVERIFY2(same_rows(image, reference.image, 0, qFloor(sheet.tops[1])),
                 "the name changed the heading");
    QVERIFY2(same_rows(image, reference.image, qCeil(sheet.tops[4]), image.height()),
             "the name reached the lines below its own");

    const double name_width =
        QFontMetricsF(sheet.font_of_line_3, &image).horizontalAdvance(name + QLatin1Char(' '));
    if (name_width > image.width()) {
        // Too long for the sheet: cut off at its right edge, neither wrapped
        // nor shortened with an ellipsis.
        QVERIFY(has_ink(image, image.width() - 1, top, bottom));
        return;
    }
    // The report's own words stand unchanged right after the name, as wide
    // as the name is as plain text: markup taken as markup would be
    // narrower, and direction marks in the name must not turn them round.
    const int at = sentence_position(image, top, bottom, reference_words);
    QVERIFY2(at >= 0, "the words after the name are not drawn as for Eva");
    QVERIFY2(std::abs(at - words_offset - name_width) < 2,
             qPrintable(QStringLiteral("the words after the name start at %1 px, the name as "
                                       "plain text is %2 px wide")
                            .arg(at)
                            .arg(name_width)));
}

void TestBadNames::on_the_page()
{
    QFETCH(QString, name);
    QFETCH(bool, read_back);
    const QString pdf = print(name, QStringLiteral("page.pdf"));
    QCOMPARE(page_count(pdf), 1);
    const QList<TextBox> words = printed_pdf::words(pdf);

    // Every line below the name where it is for Eva.
    for (const QString &mark : {QStringLiteral("Heute"), QStringLiteral("Hier"),
                                QStringLiteral("www.quendra.example.org")})
        QCOMPARE(top_of(words, mark), top_of(reference_page, mark));

    // The name's line: from where Eva's starts to today's line.
    const double today = top_of(reference_page, QStringLiteral("Heute"));
    const QList<TextBox> line =
        words_between(words, top_of(reference_page, QStringLiteral("Eva")), today);
    QVERIFY(!line.isEmpty());
    QStringList texts;
    for (const TextBox &word : line)
        texts << word.text;
    const QString text = texts.join(QLatin1Char(' '));

    if (name.size() > 1000) {
        // Runs off the paper: only its start is there.
        QVERIFY2(text.startsWith(name.left(20)), qPrintable(text.left(200)));
        return;
    }
    // The report's own words, in order and left to right after the name.
    QVERIFY2(text.endsWith(sentence), qPrintable(text));
    if (read_back)
        QCOMPARE(text, name + QLatin1Char(' ') + sentence);
    const qsizetype first = line.size() - sentence.count(QLatin1Char(' ')) - 1;
    for (qsizetype i = 0; i < first; ++i)
        QVERIFY2(line[i].right <= line[first].left + 0.5 * printed_pdf::mm_per_pt,
                 qPrintable(text));
}

QTEST_MAIN(TestBadNames)
#include "test_bad_names.moc"
