#include "ColourNameDelegate.h"

#include "ServerReplies.h"

#include <QApplication>
#include <QPainter>

namespace console {

const QColor ColourNameDelegate::kGround(0x30, 0x30, 0x30);

QColor ColourNameDelegate::colour(int index) {
    // The engine's table; its pure blue is lifted a little to stay readable on the dark ground.
    static const QColor table[] = {Qt::black, Qt::red,     Qt::green, Qt::yellow, QColor(0x40, 0x60, 0xff),
                                   Qt::cyan,  Qt::magenta, Qt::white};
    return table[index & 7];
}

void ColourNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    opt.text.clear();
    const bool selected = opt.state & QStyle::State_Selected;
    if (!selected)
        painter->fillRect(opt.rect, kGround);
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    if (selected)
        style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const QRect area = opt.rect.adjusted(4, 0, -4, 0);
    painter->save();
    painter->setClipRect(area);
    painter->setFont(opt.font);
    int x = area.left();
    for (const ColourRun& run : colourRuns(index.data(Qt::UserRole).toString())) {
        const int width = opt.fontMetrics.horizontalAdvance(run.text);
        painter->setPen(colour(run.colour));
        painter->drawText(QRect(x, area.top(), width, area.height()), Qt::AlignVCenter | Qt::TextSingleLine,
                          run.text);
        x += width;
        if (x > area.right())
            break;
    }
    painter->restore();
}

} // namespace console
