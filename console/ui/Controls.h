#pragma once

#include "Layout.h"

#include <QString>

#include <initializer_list>

class QAbstractItemModel;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QWidget;

// The forms' controls, one line each as their geometry tables give them: a name, a caption, and
// left, top, width, height in twips inside the parent.
namespace console::controls {

// The object name a test or an accessibility tool finds the control by.
QWidget* named(QWidget* widget, const char* name);
void place(QWidget* widget, const TwipsRect& at);

// A caption in "MS Sans Serif" 8.25, shown as the plain text it is.
QLabel* label(QWidget* parent, const char* name, const QString& caption, const TwipsRect& at);
// "MS Sans Serif" 9.75.
QPushButton* button(QWidget* parent, const char* name, const QString& caption, const TwipsRect& at);
QCheckBox* check(QWidget* parent, const char* name, const QString& caption, const TwipsRect& at);
// Editable; only the code decides what enters the list.
QComboBox* combo(QWidget* parent, const char* name, const QString& text, const TwipsRect& at,
                 QAbstractItemModel* items = nullptr);
// A plain border without a caption.
QGroupBox* frame(QWidget* parent, const char* name, const TwipsRect& at);

// Tab order in the order given.
void tabChain(std::initializer_list<QWidget*> order);

} // namespace console::controls
