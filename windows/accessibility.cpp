#include "accessibility.h"

#include "drawing_area.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QFontMetricsF>
#include <QLabel>
#include <QMouseEvent>

namespace {

const char click_property[] = "quendra_offers_click";
const QString bubble_at_rest = QStringLiteral("Sprechblase des Professors");

// The sheet as a read-only text of as many lines as the report, with a
// reading position (the caret) and no selection. Positions on the screen
// come from where the writer put each line.
class SheetText : public QAccessibleWidget, public QAccessibleTextInterface
{
public:
    explicit SheetText(DrawingArea *sheet) : QAccessibleWidget(sheet, QAccessible::StaticText) {}

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TextInterface)
            return static_cast<QAccessibleTextInterface *>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessible::State state() const override
    {
        QAccessible::State state = QAccessibleWidget::state();
        state.readOnly = true;
        state.multiLine = true;
        return state;
    }

    // Like a label's, the name is what it shows, unless it was given one.
    QString text(QAccessible::Text which) const override
    {
        if (which == QAccessible::Name && sheet()->accessibleName().isEmpty())
            return sheet()->text();
        return QAccessibleWidget::text(which);
    }

    void selection(int, int *start, int *end) const override { *start = *end = 0; }
    int selectionCount() const override { return 0; }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}

    int cursorPosition() const override { return std::min(caret, characterCount()); }
    void setCursorPosition(int position) override
    {
        caret = std::clamp(position, 0, characterCount());
        QAccessibleTextCursorEvent event(sheet(), caret);
        QAccessible::updateAccessibility(&event);
    }

    QString text(int start, int end) const override
    {
        const QString all = sheet()->text();
        start = std::clamp(start, 0, int(all.size()));
        end = end < 0 ? int(all.size()) : std::clamp(end, start, int(all.size()));
        return all.mid(start, end - start);
    }
    int characterCount() const override { return int(sheet()->text().size()); }

    QRect characterRect(int offset) const override
    {
        const auto [line, column] = line_at(offset);
        if (!line)
            return {};
        const QFontMetricsF metrics(line->font, sheet());
        const double left = metrics.horizontalAdvance(line->text.left(column));
        const double width =
            column < line->text.size() ? metrics.horizontalAdvance(line->text.at(column)) : 0;
        const QRectF local(QPointF(left, line->top) + sheet()->contentsRect().topLeft(),
                           QSizeF(width, line->bottom - line->top));
        return QRect(sheet()->mapToGlobal(local.topLeft().toPoint()), local.size().toSize());
    }

    int offsetAtPoint(const QPoint &point) const override
    {
        const QPointF at = sheet()->mapFromGlobal(point) - sheet()->contentsRect().topLeft();
        int start = 0;
        for (const ReportWriter::Line &line : sheet()->lines()) {
            if (at.y() >= line.top && at.y() < line.bottom) {
                const QFontMetricsF metrics(line.font, sheet());
                for (int column = 0; column < line.text.size(); ++column) {
                    if (at.x() < metrics.horizontalAdvance(line.text.left(column + 1)))
                        return start + column;
                }
                return -1;
            }
            start += int(line.text.size()) + 1;
        }
        return -1;
    }

    void scrollToSubstring(int, int) override {}
    QString attributes(int, int *start, int *end) const override
    {
        *start = 0;
        *end = characterCount();
        return {};
    }

private:
    DrawingArea *sheet() const { return static_cast<DrawingArea *>(widget()); }

    // The line that holds offset and the column in it; a line break counts
    // to the line it ends.
    std::pair<const ReportWriter::Line *, int> line_at(int offset) const
    {
        for (const ReportWriter::Line &line : sheet()->lines()) {
            if (offset <= line.text.size())
                return {&line, offset};
            offset -= int(line.text.size()) + 1;
        }
        return {nullptr, 0};
    }

    int caret = 0;
};

// A label that acts on a click: a button to the reader, named by its text,
// whose press is a click of the left button in its middle.
class ClickableLabel : public QAccessibleWidget
{
public:
    explicit ClickableLabel(QLabel *label) : QAccessibleWidget(label, QAccessible::Button) {}

    QString text(QAccessible::Text which) const override
    {
        if (which == QAccessible::Name && widget()->accessibleName().isEmpty())
            return static_cast<QLabel *>(widget())->text();
        return QAccessibleWidget::text(which);
    }

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} + QAccessibleWidget::actionNames();
    }

    QString localizedActionDescription(const QString &name) const override
    {
        if (name == pressAction() && !widget()->accessibleDescription().isEmpty())
            return widget()->accessibleDescription();
        return QAccessibleWidget::localizedActionDescription(name);
    }

    void doAction(const QString &name) override
    {
        if (name != pressAction()) {
            QAccessibleWidget::doAction(name);
            return;
        }
        // A window that waits for its answer blocks the click of the mouse,
        // and so the reader's too.
        if (const QWidget *modal = QApplication::activeModalWidget();
            modal && modal != widget()->window())
            return;
        // Posted, so that the reader's call returns before whatever the click
        // opens waits for its answer.
        const QPointF middle = QRectF(widget()->rect()).center();
        const QPointF global = widget()->mapToGlobal(middle);
        QApplication::postEvent(widget(),
                                new QMouseEvent(QEvent::MouseButtonPress, middle, global,
                                                Qt::LeftButton, Qt::LeftButton, Qt::NoModifier));
        QApplication::postEvent(widget(),
                                new QMouseEvent(QEvent::MouseButtonRelease, middle, global,
                                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier));
    }
};

QAccessibleInterface *describe(const QString &class_name, QObject *object)
{
    if (class_name == QLatin1String("DrawingArea"))
        return new SheetText(static_cast<DrawingArea *>(object));
    if (class_name == QLatin1String("QLabel") && object->property(click_property).toBool())
        return new ClickableLabel(static_cast<QLabel *>(object));
    return nullptr;
}

} // namespace

void install_accessibility()
{
    QAccessible::installFactory(describe);
}

void offer_click(QLabel &label)
{
    label.setProperty(click_property, true);
    // Qt keeps the description it made of a control, and makes one for every
    // change it notes, reader or not: one made before the label offered its
    // click is made anew.
    if (QAccessibleInterface *made = QAccessible::queryAccessibleInterface(&label))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(made));
}

void announce_sentence(QWidget *bubble, const QString &sentence)
{
    // A name of its own hides the label's text, typed so far, from readers;
    // setting it tells them of it, also when the same sentence comes again.
    const QString spoken = sentence.trimmed();
    bubble->setAccessibleName(spoken.isEmpty() ? bubble_at_rest : spoken);
}
