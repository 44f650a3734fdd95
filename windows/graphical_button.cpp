#include "graphical_button.h"

#include <QStyleOptionButton>
#include <QStylePainter>

void GraphicalButton::paintEvent(QPaintEvent *)
{
    QStylePainter painter(this);

    QStyleOptionButton option;
    initStyleOption(&option);
    const QString caption = option.text;
    const QIcon picture = option.icon;
    // The face, bevel and focus frame as the style draws them, without the
    // style's label, which would put the picture beside the caption.
    option.text.clear();
    option.icon = QIcon();
    painter.drawControl(QStyle::CE_PushButton, option);

    QRect inside = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
    if (option.state & (QStyle::State_Sunken | QStyle::State_On))
        inside.translate(style()->pixelMetric(QStyle::PM_ButtonShiftHorizontal, &option, this),
                         style()->pixelMetric(QStyle::PM_ButtonShiftVertical, &option, this));
    const int caption_height = caption.isEmpty() ? 0 : option.fontMetrics.height();
    QSize picture_size = option.iconSize;
    const QSize room(inside.width(), inside.height() - caption_height);
    if (picture_size.width() > room.width() || picture_size.height() > room.height())
        picture_size.scale(room, Qt::KeepAspectRatio);
    const int top = inside.top() + (inside.height() - picture_size.height() - caption_height) / 2;

    const QPixmap pixmap = picture.pixmap(picture_size, devicePixelRatio(),
                                          isEnabled() ? QIcon::Normal : QIcon::Disabled);
    style()->drawItemPixmap(&painter,
                            QRect(inside.left(), top, inside.width(), picture_size.height()),
                            Qt::AlignCenter, pixmap);
    const int mnemonic = style()->styleHint(QStyle::SH_UnderlineShortcut, &option, this)
                             ? Qt::TextShowMnemonic
                             : Qt::TextHideMnemonic;
    style()->drawItemText(
        &painter, QRect(inside.left(), top + picture_size.height(), inside.width(), caption_height),
        Qt::AlignHCenter | Qt::AlignTop | mnemonic, option.palette, isEnabled(), caption,
        QPalette::ButtonText);
}
