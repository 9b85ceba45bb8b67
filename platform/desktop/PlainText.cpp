#include "PlainText.h"

#include <QLabel>
#include <QSizePolicy>

namespace platform {

QLabel* plainLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(parent);
    makePlain(label);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    label->setText(text);
    return label;
}

void makePlain(QLabel* label) {
    label->setTextFormat(Qt::PlainText);
}

QString plainToolTip(const QString& text) {
    if (text.isEmpty())
        return text; // an empty tip is no tip
    const QString shown = text.size() > kMaxToolTipChars ? text.left(kMaxToolTipChars) + QChar(0x2026) : text;
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + shown.toHtmlEscaped() +
           QStringLiteral("</p>");
}

void setPlainToolTip(QWidget* widget, const QString& text) {
    widget->setToolTip(plainToolTip(text));
}

void setPlainWindowTitle(QWidget* window, const QString& title) {
    // "[*][*]" is how a title shows "[*]" literally.
    QString literal = title;
    literal.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    window->setWindowTitle(literal);
}

} // namespace platform
