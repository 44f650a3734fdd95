// What the main window's and the options window's definitions must give and
// an edit in Designer could break: the texts, faces and colours, the X over
// the title, which controls take the keyboard and in what order, the fixed
// sizes and frames, and the pictures. Where the controls lie on the screen is
// checked by test_design_scale, the report window by test_bildschirm.

#include "dialog.h"
#include "ui_quendra.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace {

const QColor white(0xFF, 0xFF, 0xFF);
const QColor orange(0xFF, 0x80, 0x00);
const QColor peach(0xFF, 0xE0, 0xC0);
const QColor light_green(0xC0, 0xFF, 0xC0);

bool has_sizes(const QIcon &icon, std::initializer_list<int> sides)
{
    const QList<QSize> sizes = icon.availableSizes();
    return std::all_of(sides.begin(), sides.end(),
                       [&](int side) { return sizes.contains(QSize(side, side)); });
}

QColor colour(const QWidget *widget, QPalette::ColorRole role)
{
    return widget->palette().color(QPalette::Active, role);
}

// The visible controls directly on window that overlap, as pairs of names.
QStringList overlaps(const QWidget &window)
{
    QList<QWidget *> shown;
    for (QWidget *child : window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        if (!child->isHidden())
            shown.append(child);
    QStringList found;
    for (qsizetype i = 0; i < shown.size(); ++i)
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                found.append(std::min(shown[i]->objectName(), shown[j]->objectName()) +
                             QLatin1Char('/') +
                             std::max(shown[i]->objectName(), shown[j]->objectName()));
    return found;
}

} // namespace

class TestWindowDefinitions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void windows();
    void captions_data();
    void captions();
    void main_window_faces_data();
    void main_window_faces();
    void main_window_pictures_data();
    void main_window_pictures();
    void x_lies_over_the_title();
    void main_window_controls_never_take_focus();
    void options_window_layout();
    void options_window_look();
    void options_window_tab_order();

private:
    QWidget *control() const;

    QWidget host;
    Ui::Quendra main_ui;
    std::unique_ptr<Dialog> dialog;
};

void TestWindowDefinitions::initTestCase()
{
    // uic leaves the control pointers uninitialised until setupUi runs.
    main_ui.setupUi(&host);
}

void TestWindowDefinitions::init()
{
    dialog = std::make_unique<Dialog>();
}

void TestWindowDefinitions::windows()
{
    QCOMPARE(host.objectName(), QStringLiteral("Quendra"));
    const QString title = host.windowTitle();
    QVERIFY2(title.startsWith(QStringLiteral("Rirezavezerivadur ")), qPrintable(title));
    QVERIFY(title.size() > QStringLiteral("Rirezavezerivadur ").size()); // the notice
    // The design's size, which the design scale draws larger.
    QCOMPARE(host.size(), QSize(800, 588));
    QCOMPARE(colour(&host, QPalette::Window), white);
    QVERIFY(has_sizes(host.windowIcon(), {16, 32}));

    QCOMPARE(dialog->objectName(), QStringLiteral("Dialog"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Programmoptionen"));
    QCOMPARE(dialog->size(), QSize(405, 216));
    QCOMPARE(dialog->minimumSize(), dialog->size());
    QCOMPARE(dialog->maximumSize(), dialog->size());
    QVERIFY(!dialog->isSizeGripEnabled());
    QCOMPARE(colour(dialog.get(), QPalette::Window), peach);
    QVERIFY(has_sizes(dialog->windowIcon(), {16, 32}));
    // A fixed dialog frame with its title bar, and no way out but the start button.
    const Qt::WindowFlags wanted = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                   Qt::MSWindowsFixedSizeDialogHint;
    const Qt::WindowFlags refused = Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                                    Qt::WindowMinMaxButtonsHint | Qt::WindowContextHelpButtonHint;
    QCOMPARE(dialog->windowFlags() & (wanted | refused), wanted);
}

// The rows of the tables below are named after their control.
QWidget *TestWindowDefinitions::control() const
{
    const QString name = QString::fromLatin1(QTest::currentDataTag());
    QWidget *found = host.findChild<QWidget *>(name);
    return found ? found : dialog->findChild<QWidget *>(name);
}

void TestWindowDefinitions::captions_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");

    const QString title = QStringLiteral("Deine persönliche Geburtstag-Quendra von Professor ZUZ "
                                         "Zarnok");
    QTest::newRow("Label1") << QStringLiteral("X") << QStringLiteral("Programm beenden");
    QTest::newRow("blase") << QStringLiteral("Label1") << QString();
    QTest::newRow("Label7") << title << QString();
    QTest::newRow("Command1") << QString() << QStringLiteral("Programm starten");
    QTest::newRow("Frame1") << QStringLiteral("Anzeige oder Ausdruck ?") << QString();
    QTest::newRow("Ausdruck_0")
        << QStringLiteral("Ausdruck")
        << QStringLiteral("Nach Eingabe der Daten kommt sofort die Quendra am Drucker raus");
    QTest::newRow("Ausdruck_1") << QStringLiteral("Anzeige am Bildschirm")
                                << QStringLiteral("Die Quendra kann am Bildschirm gelesen werden");
    QTest::newRow("Frame2") << QStringLiteral("Lotto") << QString();
    QTest::newRow("Lotto_0") << QStringLiteral("Österreich 6 aus 45")
                             << QStringLiteral("Berechnen von 6 Glückszahen für Lotto 6 aus 45");
    QTest::newRow("Lotto_1") << QStringLiteral("Deutschland 6 aus 49")
                             << QStringLiteral("Berechnen von 6 Glückszahlen für Lotto 6 aus 49");
}

void TestWindowDefinitions::captions()
{
    const QWidget *shown = control();
    QVERIFY(shown);
    // Character for character: neither window marks an access key.
    QTEST(shown->property(shown->inherits("QGroupBox") ? "title" : "text").toString(), "caption");
    QTEST(shown->toolTip(), "tooltip");
}

void TestWindowDefinitions::main_window_faces_data()
{
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("points");
    QTest::addColumn<QColor>("text"); // invalid: the system's text colour
    QTest::addColumn<QColor>("fill");
    QTest::addColumn<bool>("box");
    QTest::addColumn<bool>("centred");

    const QString sans = QStringLiteral("MS Sans Serif");
    QTest::newRow("Label1") << sans << 18.0 << QColor() << orange << true << true;
    QTest::newRow("blase") << sans << 24.0 << QColor() << white << false << false;
    QTest::newRow("Label7") << QStringLiteral("Times New Roman") << 27.75 << orange << peach << true
                            << true;
}

void TestWindowDefinitions::main_window_faces()
{
    QFETCH(QColor, text);
    QFETCH(QColor, fill);
    QFETCH(bool, box);
    QFETCH(bool, centred);
    auto *label = qobject_cast<QLabel *>(control());
    QVERIFY(label);
    QVERIFY(!label->isHidden());
    label->ensurePolished(); // fonts as they are on the screen
    QTEST(label->font().family(), "family");
    QTEST(label->font().pointSizeF(), "points");
    QVERIFY(label->font().bold());
    QCOMPARE(colour(label, QPalette::WindowText),
             text.isValid() ? text : QApplication::palette().color(QPalette::WindowText));
    QVERIFY(label->autoFillBackground());
    QCOMPARE(colour(label, QPalette::Window), fill);
    QCOMPARE(label->palette().color(QPalette::Inactive, QPalette::Window), fill);
    QCOMPARE(label->frameShape(), box ? QFrame::Box : QFrame::NoFrame);
    QCOMPARE(label->frameShadow(), QFrame::Plain);
    QCOMPARE(label->lineWidth(), 1);
    QCOMPARE(label->alignment() & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask),
             centred ? Qt::Alignment(Qt::AlignCenter) : Qt::AlignLeft | Qt::AlignTop);
    // Longer texts wrap inside the fixed rectangle; the X is one letter.
    QCOMPARE(label->wordWrap(), label != main_ui.Label1);
}

void TestWindowDefinitions::main_window_pictures_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("stretched");
    QTest::addColumn<bool>("hidden");

    QTest::newRow("Prof") << QSize(250, 350) << false << false;
    // The holders are filled from the picture files at start.
    QTest::newRow("Picture2") << QSize() << false << true;
    QTest::newRow("logo") << QSize() << false << true;
    QTest::newRow("Picture1") << QSize() << true << false; // nothing until it is first shown
}

void TestWindowDefinitions::main_window_pictures()
{
    QFETCH(QSize, picture);
    auto *label = qobject_cast<QLabel *>(control());
    QVERIFY(label);
    QCOMPARE(label->pixmap().isNull() ? QSize() : label->pixmap().size(), picture);
    QTEST(label->hasScaledContents(), "stretched");
    QTEST(label->isHidden(), "hidden");
    // No font, no fill and no border: the window's white shows around them.
    QVERIFY(!label->testAttribute(Qt::WA_SetFont));
    QVERIFY(!label->autoFillBackground());
    QCOMPARE(label->frameShape(), QFrame::NoFrame);
    if (label == main_ui.Prof) {
        // One column of the professor is cut off, and the white shows below him.
        QCOMPARE(label->size(), picture + QSize(-1, 3));
        QCOMPARE(label->alignment(), Qt::AlignLeft | Qt::AlignTop);
    }
}

void TestWindowDefinitions::x_lies_over_the_title()
{
    // The X sits in the title's top-left corner and gets the clicks there;
    // nothing else that shows overlaps.
    QCOMPARE(main_ui.Label1->pos(), main_ui.Label7->pos());
    QCOMPARE(overlaps(host), QStringList{QStringLiteral("Label1/Label7")});
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    QCOMPARE(host.childAt(main_ui.Label1->geometry().center()), main_ui.Label1);
    QCOMPARE(host.childAt(main_ui.Label7->geometry().center()), main_ui.Label7);
    host.hide();
    // Everything but the bubble, whose width follows the screen, lies inside the design.
    for (QWidget *child : host.findChildren<QWidget *>())
        if (!child->isHidden() && child != main_ui.blase)
            QVERIFY2(host.rect().contains(child->geometry()), qPrintable(child->objectName()));
}

void TestWindowDefinitions::main_window_controls_never_take_focus()
{
    // Every key belongs to the window itself: it starts an analysis.
    const auto children = host.findChildren<QWidget *>();
    QVERIFY(children.size() >= 7);
    for (QWidget *child : children)
        QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
}

void TestWindowDefinitions::options_window_layout()
{
    // The smiling professor on the left; to his right, one below the other
    // and all as wide, the two queries and the start button.
    const auto *image = dialog->findChild<QLabel *>(QStringLiteral("Image1"));
    auto *frame1 = dialog->findChild<QGroupBox *>(QStringLiteral("Frame1"));
    auto *frame2 = dialog->findChild<QGroupBox *>(QStringLiteral("Frame2"));
    const auto *start = dialog->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(image && frame1 && frame2 && start);
    QCOMPARE(overlaps(*dialog), QStringList());
    QCOMPARE(frame2->x(), frame1->x());
    QCOMPARE(start->x(), frame1->x());
    QCOMPARE(frame2->width(), frame1->width());
    QCOMPARE(start->width(), frame1->width());
    QVERIFY(image->geometry().right() < frame1->x());
    QVERIFY(frame1->y() < frame2->y() && frame2->y() < start->y());
    for (const QWidget *control : dialog->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
        QVERIFY2(dialog->rect().contains(control->geometry()), qPrintable(control->objectName()));
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->pixmap().size(), QSize(250, 350));

    // Each query's buttons are one group inside its frame, index 0 above
    // index 1, one below the other; the window opens with the upper Lotto
    // and the lower display button chosen.
    const std::pair<const QGroupBox *, QString> queries[] = {{frame1, QStringLiteral("Ausdruck")},
                                                             {frame2, QStringLiteral("Lotto")}};
    for (const auto &[frame, name] : queries) {
        const auto *upper = frame->findChild<QRadioButton *>(name + QStringLiteral("_0"));
        const auto *lower = frame->findChild<QRadioButton *>(name + QStringLiteral("_1"));
        QVERIFY2(upper && lower, qPrintable(name));
        QVERIFY(upper->autoExclusive() && lower->autoExclusive());
        QCOMPARE(upper->x(), lower->x());
        QCOMPARE(upper->size(), lower->size());
        QVERIFY(upper->geometry().bottom() < lower->y());
        QVERIFY(frame->rect().contains(lower->geometry()));
    }
    QVERIFY(dialog->Lotto(0)->isChecked() && !dialog->Lotto(1)->isChecked());
    QVERIFY(dialog->Ausdruck(1)->isChecked() && !dialog->Ausdruck(0)->isChecked());
}

void TestWindowDefinitions::options_window_look()
{
    // The default dialog font everywhere; orange text on the window's peach.
    QVERIFY(!dialog->testAttribute(Qt::WA_SetFont));
    const auto children = dialog->findChildren<QWidget *>();
    QVERIFY(children.size() >= 8);
    for (QWidget *child : children) {
        QVERIFY2(!child->testAttribute(Qt::WA_SetFont), qPrintable(child->objectName()));
        if (!qobject_cast<QGroupBox *>(child) && !qobject_cast<QRadioButton *>(child))
            continue;
        QCOMPARE(colour(child, QPalette::WindowText), orange);
        QCOMPARE(child->palette().color(QPalette::Inactive, QPalette::WindowText), orange);
        QVERIFY(child->autoFillBackground());
        QCOMPARE(colour(child, child->backgroundRole()), peach);
    }
    // The check mark is the start button's only marking, drawn at its 32 x 32 size.
    auto *start = dialog->findChild<QPushButton *>(QStringLiteral("Command1"));
    QCOMPARE(start->accessibleName(), QStringLiteral("Programm starten"));
    QCOMPARE(colour(start, QPalette::Button), light_green);
    QCOMPARE(start->iconSize(), QSize(32, 32));
    QVERIFY(has_sizes(start->icon(), {16, 32}));
}

void TestWindowDefinitions::options_window_tab_order()
{
    // Qt lets Tab stop only at the checked button of an exclusive group, so
    // the round through the window is: Lotto (checked 0), the start button,
    // display or printout (checked 1), and back.
    dialog->show();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QCOMPARE(QApplication::focusWidget(), dialog->findChild<QWidget *>(QStringLiteral("Command1")));

    const QStringList round = {QStringLiteral("Ausdruck_1"), QStringLiteral("Lotto_0"),
                               QStringLiteral("Command1"), QStringLiteral("Ausdruck_1")};
    for (const QString &next : round) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(), next);
    }
    // Within a group the arrow keys move the selection.
    dialog->Lotto(0)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget(), dialog->Lotto(1));
    QVERIFY(dialog->Lotto(1)->isChecked());
    // Away to another window and back: the start button has the focus again.
    QWidget other;
    other.show();
    other.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&other));
    dialog->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(dialog.get()));
    QCOMPARE(QApplication::focusWidget(), dialog->findChild<QWidget *>(QStringLiteral("Command1")));
    dialog->hide();
}

QTEST_MAIN(TestWindowDefinitions)
#include "test_window_definitions.moc"
