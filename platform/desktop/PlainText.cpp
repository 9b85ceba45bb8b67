#include "PlainText.h"

#include <QLabel>
#include <QSizePolicy>

namespace platform {

QLabel* plainLabel(QWidget* parent, const QString& text) {
    auto* label = new QLabel(parent);
    makePlain(label);
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    setPlainText(label, text);
    return label;
}

void makePlain(QLabel* label) {
    label->setTextFormat(Qt::PlainText);
}

void setPlainText(QLabel* label, const QString& text) {
    label->setText(bounded(text));
}

QString bounded(const QString& text) {
    return text.size() > kMaxShownChars ? text.left(kMaxShownChars) + QChar(0x2026) : text;
}

QString plainToolTip(const QString& text) {
    if (text.isEmpty())
        return text; // an empty tip is no tip
    return QStringLiteral("<p style=\"white-space:pre-wrap\">") + bounded(text).toHtmlEscaped() +
           QStringLiteral("</p>");
}

void setPlainToolTip(QWidget* widget, const QString& text) {
    widget->setToolTip(plainToolTip(text));
}

void setPlainWindowTitle(QWidget* window, const QString& title) {
    // "[*][*]" is how a title shows "[*]" literally.
    QString literal = bounded(title);
    literal.replace(QLatin1String("[*]"), QLatin1String("[*][*]"));
    window->setWindowTitle(literal);
}

} // namespace platform
