#include "Controls.h"

#include <Faces.h>
#include <Twips.h>

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

namespace console::controls {

QWidget* named(QWidget* widget, const char* name) {
    if (name)
        widget->setObjectName(QLatin1String(name));
    return widget;
}

void place(QWidget* widget, const TwipsRect& at) {
    widget->setGeometry(platform::twipsRect(at.left, at.top, at.width, at.height));
}

namespace {
template <typename W> W* made(W* widget, const char* name, const TwipsRect& at) {
    named(widget, name);
    place(widget, at);
    return widget;
}
} // namespace

QLabel* label(QWidget* parent, const char* name, const QString& caption, const TwipsRect& at) {
    auto* l = made(new QLabel(caption, parent), name, at);
    l->setTextFormat(Qt::PlainText);
    l->setFont(platform::designFont("MS Sans Serif", 8.25));
    return l;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const TwipsRect& at) {
    auto* b = made(new QPushButton(caption, parent), name, at);
    b->setFont(platform::designFont("MS Sans Serif", 9.75));
    return b;
}

QCheckBox* check(QWidget* parent, const char* name, const QString& caption, const TwipsRect& at) {
    return made(new QCheckBox(caption, parent), name, at);
}

QComboBox* combo(QWidget* parent, const char* name, const QString& text, const TwipsRect& at,
                 QAbstractItemModel* items) {
    auto* box = made(new QComboBox(parent), name, at);
    // Before the box turns editable: its completer is then built once, on these items.
    if (items)
        box->setModel(items);
    box->setEditable(true);
    box->setInsertPolicy(QComboBox::NoInsert);
    box->setEditText(text);
    return box;
}

QGroupBox* frame(QWidget* parent, const char* name, const TwipsRect& at) {
    return made(new QGroupBox(parent), name, at);
}

void tabChain(std::initializer_list<QWidget*> order) {
    QWidget* previous = nullptr;
    for (QWidget* w : order) {
        if (previous)
            QWidget::setTabOrder(previous, w);
        previous = w;
    }
}

} // namespace console::controls
