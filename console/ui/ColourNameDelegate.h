#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace console {

// Draws a player name in the colours its codes select, on a dark ground as in the game. The item's
// Qt::UserRole holds the name as sent; its display text is the name without codes.
class ColourNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    static QColor colour(int index);
    static const QColor kGround;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace console
