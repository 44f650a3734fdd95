// The main window's and the options window's controls as the program creates
// them: names, kinds, places, texts, colours, fonts, pictures and tab order.

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

// The colour the system gives a role when nobody set one.
QColor system_color(QPalette::ColorRole role)
{
    return QApplication::palette().color(QPalette::Active, role);
}

bool has_sizes(const QIcon &icon, std::initializer_list<int> sides)
{
    const QList<QSize> sizes = icon.availableSizes();
    for (int side : sides) {
        if (!sizes.contains(QSize(side, side))) {
            return false;
        }
    }
    return true;
}

} // namespace

class TestWindowDefinitions : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();

    void main_window();
    void main_window_controls_data();
    void main_window_controls();
    void main_window_pictures_data();
    void main_window_pictures();
    void exit_label_lies_above_title();
    void main_window_controls_never_take_focus();

    void options_window();
    void options_window_flags_data();
    void options_window_flags();
    void options_window_controls_data();
    void options_window_controls();
    void start_button();
    void options_window_uses_default_font();
    void options_window_tab_order();

private:
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

void TestWindowDefinitions::main_window()
{
    QCOMPARE(host.objectName(), QStringLiteral("Quendra"));
    const QString title = host.windowTitle();
    QVERIFY2(title.startsWith(QStringLiteral("Rirezavezerivadur ")), qPrintable(title));
    QVERIFY(title.size() > QStringLiteral("Rirezavezerivadur ").size()); // the notice
    QCOMPARE(host.size(), QSize(800, 588));
    QCOMPARE(host.palette().color(QPalette::Window), white);
    QVERIFY(has_sizes(host.windowIcon(), {16, 32}));
}

void TestWindowDefinitions::main_window_controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<QString>("family");
    QTest::addColumn<qreal>("point_size");
    QTest::addColumn<QColor>("foreground"); // invalid: the system's text colour
    QTest::addColumn<QColor>("background"); // invalid: no background of its own
    QTest::addColumn<int>("frame");
    QTest::addColumn<int>("alignment");
    QTest::addColumn<bool>("word_wrap");

    const int centred = Qt::AlignCenter;
    const int top_left = Qt::AlignLeft | Qt::AlignTop;
    QTest::newRow("Prof: the professor")
        << QStringLiteral("Prof") << QRect(48, 104, 249, 353) << QString() << QString() << QString()
        << 0.0 << QColor() << QColor() << int(QFrame::NoFrame) << top_left << false;
    QTest::newRow("blase: the speech bubble")
        << QStringLiteral("blase") << QRect(24, 0, 513, 97) << QStringLiteral("Label1") << QString()
        << QStringLiteral("MS Sans Serif") << 24.0 << QColor() << white << int(QFrame::NoFrame)
        << top_left << true;
    QTest::newRow("Picture1: the head picture")
        << QStringLiteral("Picture1") << QRect(312, 104, 485, 209) << QString() << QString()
        << QString() << 0.0 << QColor() << QColor() << int(QFrame::NoFrame) << top_left << false;
    QTest::newRow("Label7: the title")
        << QStringLiteral("Label7") << QRect(312, 320, 485, 137)
        << QStringLiteral("Deine persönliche Geburtstag-Quendra von Professor ZUZ Zarnok")
        << QString() << QStringLiteral("Times New Roman") << 27.75 << orange << peach
        << int(QFrame::Box) << centred << true;
    QTest::newRow("Label1: the X")
        << QStringLiteral("Label1") << QRect(312, 320, 33, 33) << QStringLiteral("X")
        << QStringLiteral("Programm beenden") << QStringLiteral("MS Sans Serif") << 18.0 << QColor()
        << orange << int(QFrame::Box) << centred << false;
}

void TestWindowDefinitions::main_window_controls()
{
    QFETCH(QString, name);
    auto *label = host.findChild<QLabel *>(name);
    QVERIFY2(label != nullptr, qPrintable(name));
    QVERIFY(!label->isHidden());

    QTEST(label->geometry(), "geometry");
    QFETCH(QString, text);
    if (!text.isEmpty()) {
        QCOMPARE(label->text(), text);
    }
    QTEST(label->toolTip(), "tooltip");

    QFETCH(QString, family);
    QFETCH(qreal, point_size);
    label->ensurePolished(); // fonts as they are on the screen
    if (family.isEmpty()) {
        QVERIFY(!label->testAttribute(Qt::WA_SetFont));
    } else {
        QCOMPARE(label->font().family(), family);
        QCOMPARE(label->font().pointSizeF(), point_size);
        QVERIFY(label->font().bold());
    }

    QFETCH(QColor, foreground);
    QCOMPARE(label->palette().color(QPalette::Active, QPalette::WindowText),
             foreground.isValid() ? foreground : system_color(QPalette::WindowText));
    QFETCH(QColor, background);
    QCOMPARE(label->autoFillBackground(), background.isValid());
    if (background.isValid()) {
        QCOMPARE(label->palette().color(QPalette::Active, QPalette::Window), background);
        QCOMPARE(label->palette().color(QPalette::Inactive, QPalette::Window), background);
    }

    QTEST(int(label->frameShape()), "frame");
    if (label->frameShape() == QFrame::Box) {
        QCOMPARE(label->frameShadow(), QFrame::Plain);
        QCOMPARE(label->lineWidth(), 1);
    }
    QTEST(int(label->alignment() & (Qt::AlignHorizontal_Mask | Qt::AlignVertical_Mask)),
          "alignment");
    QTEST(label->wordWrap(), "word_wrap");
}

void TestWindowDefinitions::main_window_pictures_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<bool>("stretched");
    QTest::addColumn<bool>("hidden");

    QTest::newRow("Prof: the professor, unscaled")
        << QStringLiteral("Prof") << QSize(250, 350) << false << false;
    // The holders are filled from the picture files at start.
    QTest::newRow("Picture2: head picture holder")
        << QStringLiteral("Picture2") << QSize() << false << true;
    QTest::newRow("logo: logo holder") << QStringLiteral("logo") << QSize() << false << true;
    QTest::newRow("Picture1: nothing yet, stretches")
        << QStringLiteral("Picture1") << QSize() << true << false;
}

void TestWindowDefinitions::main_window_pictures()
{
    QFETCH(QString, name);
    QFETCH(QSize, picture);
    auto *label = host.findChild<QLabel *>(name);
    QVERIFY2(label != nullptr, qPrintable(name));
    if (picture.isValid()) {
        QCOMPARE(label->pixmap().size(), picture);
    } else {
        QVERIFY(label->pixmap().isNull());
    }
    QTEST(label->hasScaledContents(), "stretched");
    QTEST(label->isHidden(), "hidden");
}

void TestWindowDefinitions::exit_label_lies_above_title()
{
    host.show();
    QVERIFY(QTest::qWaitForWindowExposed(&host));
    // The X sits in the title's top-left corner and must get the clicks there.
    QCOMPARE(host.childAt(main_ui.Label1->geometry().center()), main_ui.Label1);
    QCOMPARE(host.childAt(main_ui.Label7->geometry().center()), main_ui.Label7);
    host.hide();
}

void TestWindowDefinitions::main_window_controls_never_take_focus()
{
    // Every key belongs to the window itself: it starts an analysis.
    const auto children = host.findChildren<QWidget *>();
    QVERIFY(children.size() >= 7);
    for (QWidget *child : children) {
        QVERIFY2(child->focusPolicy() == Qt::NoFocus, qPrintable(child->objectName()));
    }
}

void TestWindowDefinitions::options_window()
{
    QCOMPARE(dialog->objectName(), QStringLiteral("Dialog"));
    QCOMPARE(dialog->windowTitle(), QStringLiteral("Programmoptionen"));
    QCOMPARE(dialog->size(), QSize(405, 216));
    QCOMPARE(dialog->minimumSize(), QSize(405, 216));
    QCOMPARE(dialog->maximumSize(), QSize(405, 216));
    QVERIFY(!dialog->isSizeGripEnabled());
    QCOMPARE(dialog->palette().color(QPalette::Window), peach);
    QVERIFY(has_sizes(dialog->windowIcon(), {16, 32}));
}

void TestWindowDefinitions::options_window_flags_data()
{
    QTest::addColumn<int>("flag");
    QTest::addColumn<bool>("set");

    QTest::newRow("dialog") << int(Qt::Dialog) << true;
    QTest::newRow("own choice of decorations") << int(Qt::CustomizeWindowHint) << true;
    QTest::newRow("title bar") << int(Qt::WindowTitleHint) << true;
    QTest::newRow("fixed dialog frame") << int(Qt::MSWindowsFixedSizeDialogHint) << true;
    QTest::newRow("no system menu") << int(Qt::WindowSystemMenuHint) << false;
    QTest::newRow("no close button") << int(Qt::WindowCloseButtonHint) << false;
    QTest::newRow("no minimise button") << int(Qt::WindowMinimizeButtonHint) << false;
    QTest::newRow("no maximise button") << int(Qt::WindowMaximizeButtonHint) << false;
    QTest::newRow("no context help button") << int(Qt::WindowContextHelpButtonHint) << false;
}

void TestWindowDefinitions::options_window_flags()
{
    QFETCH(int, flag);
    QTEST(dialog->windowFlags().testFlags(Qt::WindowFlags(flag)), "set");
}

void TestWindowDefinitions::options_window_controls_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("parent");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QString>("tooltip");
    QTest::addColumn<bool>("checked");

    const QString radio = QStringLiteral("QRadioButton");
    const QString frame = QStringLiteral("QGroupBox");
    const QString dialog_name = QStringLiteral("Dialog");
    QTest::newRow("Frame2: Lotto")
        << QStringLiteral("Frame2") << frame << dialog_name << QRect(164, 88, 229, 73)
        << QStringLiteral("Lotto") << QString() << false;
    QTest::newRow("Lotto 1: 6 aus 49")
        << QStringLiteral("Lotto_1") << radio << QStringLiteral("Frame2") << QRect(16, 44, 201, 17)
        << QStringLiteral("Deutschland 6 aus 49")
        << QStringLiteral("Berechnen von 6 Glückszahlen für Lotto 6 aus 49") << false;
    QTest::newRow("Lotto 0: 6 aus 45")
        << QStringLiteral("Lotto_0") << radio << QStringLiteral("Frame2") << QRect(16, 20, 201, 17)
        << QStringLiteral("Österreich 6 aus 45")
        << QStringLiteral("Berechnen von 6 Glückszahen für Lotto 6 aus 45") << true;
    QTest::newRow("Frame1: display or printout")
        << QStringLiteral("Frame1") << frame << dialog_name << QRect(164, 12, 229, 73)
        << QStringLiteral("Anzeige oder Ausdruck ?") << QString() << false;
    QTest::newRow("Ausdruck 1: screen")
        << QStringLiteral("Ausdruck_1") << radio << QStringLiteral("Frame1")
        << QRect(16, 44, 201, 17) << QStringLiteral("Anzeige am Bildschirm")
        << QStringLiteral("Die Quendra kann am Bildschirm gelesen werden") << true;
    QTest::newRow("Ausdruck 0: printout")
        << QStringLiteral("Ausdruck_0") << radio << QStringLiteral("Frame1")
        << QRect(16, 20, 201, 17) << QStringLiteral("Ausdruck")
        << QStringLiteral("Nach Eingabe der Daten kommt sofort die Quendra am Drucker raus")
        << false;
}

void TestWindowDefinitions::options_window_controls()
{
    QFETCH(QString, name);
    QFETCH(QString, kind);
    QFETCH(QString, caption);
    QFETCH(bool, checked);
    auto *control = dialog->findChild<QWidget *>(name);
    QVERIFY2(control != nullptr, qPrintable(name));
    QCOMPARE(QString::fromLatin1(control->metaObject()->className()), kind);
    QTEST(control->parentWidget()->objectName(), "parent");
    QTEST(control->geometry(), "geometry");
    QTEST(control->toolTip(), "tooltip");

    if (auto *radio = qobject_cast<QRadioButton *>(control)) {
        QCOMPARE(radio->text(), caption);
        QCOMPARE(radio->isChecked(), checked);
        QVERIFY(radio->autoExclusive());
    } else {
        QCOMPARE(qobject_cast<QGroupBox *>(control)->title(), caption);
    }
    // Orange text, filled with the window's peach (a button's fill is its Button colour).
    QCOMPARE(control->palette().color(QPalette::Active, QPalette::WindowText), orange);
    QCOMPARE(control->palette().color(QPalette::Inactive, QPalette::WindowText), orange);
    QVERIFY(control->autoFillBackground());
    QCOMPARE(control->palette().color(QPalette::Active, control->backgroundRole()), peach);
}

void TestWindowDefinitions::start_button()
{
    auto *button = dialog->findChild<QPushButton *>(QStringLiteral("Command1"));
    QVERIFY(button != nullptr);
    QCOMPARE(button->parentWidget(), dialog.get());
    QCOMPARE(button->geometry(), QRect(164, 168, 229, 41));
    QVERIFY(button->text().isEmpty());
    QCOMPARE(button->toolTip(), QStringLiteral("Programm starten"));
    QCOMPARE(button->accessibleName(), QStringLiteral("Programm starten"));
    QCOMPARE(button->palette().color(QPalette::Button), light_green);
    // The check mark is the button's only marking, drawn at its 32 x 32 size.
    QCOMPARE(button->iconSize(), QSize(32, 32));
    QVERIFY(has_sizes(button->icon(), {16, 32}));

    auto *image = dialog->findChild<QLabel *>(QStringLiteral("Image1"));
    QVERIFY(image != nullptr);
    QCOMPARE(image->geometry(), QRect(0, 0, 154, 214));
    QVERIFY(image->hasScaledContents());
    QCOMPARE(image->pixmap().size(), QSize(250, 350));
}

void TestWindowDefinitions::options_window_uses_default_font()
{
    const auto children = dialog->findChildren<QWidget *>();
    QVERIFY(children.size() >= 8);
    for (QWidget *child : children) {
        QVERIFY2(!child->testAttribute(Qt::WA_SetFont), qPrintable(child->objectName()));
    }
    QVERIFY(!dialog->testAttribute(Qt::WA_SetFont));
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
    dialog->findChild<QRadioButton *>(QStringLiteral("Lotto_0"))->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("Lotto_1"));
    QVERIFY(dialog->Lotto(1)->isChecked());
    dialog->hide();
}

QTEST_MAIN(TestWindowDefinitions)
#include "test_window_definitions.moc"
