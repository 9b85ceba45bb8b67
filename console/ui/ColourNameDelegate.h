#pragma once

#include <QColor>
#include <QStyledItemDelegate>

namespace console {

// Draws a player name in the colours its codes select, on the row's own ground (the console pane's
// background, or the selection's). The item's NameAsSentRole holds the name as sent; its display
// text is the name without codes.
class ColourNameDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    // The engine's colour for a code's index (0 to 7).
    static QColor colour(int index);
    // `colour` made lighter or darker, as little as will do, until it reads on `ground`: a contrast
    // of at least kMinContrast, so ^0 black stays readable on black and ^4 blue on dark blue.
    static QColor readable(const QColor& colour, const QColor& ground);
    static double contrast(const QColor& a, const QColor& b);
    static constexpr double kMinContrast = 4.5;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};

} // namespace console
