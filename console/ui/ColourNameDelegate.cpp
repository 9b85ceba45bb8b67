#include "ColourNameDelegate.h"

#include "PlayerRoster.h"
#include "ServerReplies.h"

#include <QApplication>
#include <QPainter>

#include <cmath>

namespace console {

namespace {
constexpr int kMaxDrawnChars = 1024;

double luminance(const QColor& c) {
    auto linear = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

// The engines' rule: a caret and an ASCII letter or digit.
bool isCode(const QString& text, qsizetype at) {
    if (at + 1 >= text.size() || text[at] != QLatin1Char('^'))
        return false;
    const char16_t c = text[at + 1].unicode();
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

QColor mixed(const QColor& from, const QColor& to, double t) {
    auto channel = [t](int a, int b) { return int(std::lround(a + (b - a) * t)); };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}
} // namespace

QColor ColourNameDelegate::colour(int index) {
    static const QColor table[] = {Qt::black, Qt::red,  Qt::green,   Qt::yellow,
                                   Qt::blue,  Qt::cyan, Qt::magenta, Qt::white};
    return table[index & 7];
}

double ColourNameDelegate::contrast(const QColor& a, const QColor& b) {
    const double la = luminance(a), lb = luminance(b);
    return (qMax(la, lb) + 0.05) / (qMin(la, lb) + 0.05);
}

QColor ColourNameDelegate::readable(const QColor& colour, const QColor& ground) {
    if (contrast(colour, ground) >= kMinContrast)
        return colour;
    // Away from the ground: towards white on a dark one, towards black on a light one. One of the
    // two always reaches the contrast (white and black differ by 21:1).
    const QColor end =
        contrast(Qt::white, ground) >= contrast(Qt::black, ground) ? QColor(Qt::white) : QColor(Qt::black);
    double low = 0, high = 1;
    for (int step = 0; step < 12; ++step) {
        const double t = (low + high) / 2;
        (contrast(mixed(colour, end, t), ground) >= kMinContrast ? high : low) = t;
    }
    return mixed(colour, end, high);
}

void ColourNameDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    QStyleOptionViewItem opt(option);
    initStyleOption(&opt, index);
    opt.text.clear();
    const QStyle* style = opt.widget ? opt.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, opt.widget);

    const bool selected = opt.state & QStyle::State_Selected;
    const QPalette::ColorGroup group =
        opt.state & QStyle::State_Active ? QPalette::Active : QPalette::Inactive;
    const QColor ground = opt.palette.color(group, selected ? QPalette::Highlight : QPalette::Base);
    const QColor plain = opt.palette.color(group, selected ? QPalette::HighlightedText : QPalette::Text);

    // What comes before the first code has no colour of its own: the table's text colour.
    // No cell is wide enough for more, and measuring a longer name at every paint would cost.
    const QString name = index.data(PlayerRoster::NameAsSentRole).toString().left(kMaxDrawnChars);
    qsizetype lead = 0;
    while (lead < name.size() && !isCode(name, lead))
        ++lead;
    QList<ColourRun> runs = colourRuns(name.mid(lead));
    runs.prepend({name.left(lead), -1});

    const QRect area = opt.rect.adjusted(4, 0, -4, 0);
    painter->save();
    painter->setClipRect(area);
    painter->setFont(opt.font);
    int x = area.left();
    for (const ColourRun& run : runs) {
        const int width = opt.fontMetrics.horizontalAdvance(run.text);
        painter->setPen(run.colour < 0 ? plain : readable(colour(run.colour), ground));
        painter->drawText(QRect(x, area.top(), width, area.height()), Qt::AlignVCenter | Qt::TextSingleLine,
                          run.text);
        x += width;
        if (x > area.right())
            break;
    }
    painter->restore();
}

} // namespace console
