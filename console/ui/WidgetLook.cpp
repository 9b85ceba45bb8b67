#include "WidgetLook.h"

#include "Themes.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>

namespace console {

namespace {
void setFieldColours(QWidget* w, QPalette::ColorRole backRole, QPalette::ColorRole textRole) {
    const QPalette system = QApplication::palette();
    QPalette palette = w->palette();
    // Every group, so that a disabled field shows exactly these colours too.
    for (auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, system.color(QPalette::Active, backRole));
        palette.setColor(group, QPalette::Text, system.color(QPalette::Active, textRole));
    }
    w->setPalette(palette);
}
} // namespace

void setBoxColours(QWidget* box, quint32 back, quint32 fore) {
    QPalette palette = box->palette();
    palette.setColor(QPalette::Base, colourOf(back));
    palette.setColor(QPalette::Text, colourOf(fore));
    box->setPalette(palette);
}

quint32 boxBackground(const QWidget* box) {
    return bgrOf(box->palette().color(QPalette::Base));
}

quint32 boxForeground(const QWidget* box) {
    return bgrOf(box->palette().color(QPalette::Text));
}

void EnableTextBox(QLineEdit* box, bool enabled) {
    if (enabled)
        setFieldColours(box, QPalette::Base, QPalette::Text);
    else
        setFieldColours(box, QPalette::Button, QPalette::Dark);
    box->setEnabled(enabled);
}

void EnableComboBox(QComboBox* box, bool enabled) {
    box->setEnabled(enabled);
    if (enabled)
        setFieldColours(box, QPalette::Base, QPalette::Text);
    else
        setFieldColours(box, QPalette::Button, QPalette::Dark);
}

} // namespace console
