#pragma once

#include <QtGlobal>

class QComboBox;
class QLineEdit;
class QWidget;

namespace console {

// Colours of a text box: background and text, as 0x00BBGGRR numbers.
void setBoxColours(QWidget* box, quint32 back, quint32 fore);
quint32 boxBackground(const QWidget* box);
quint32 boxForeground(const QWidget* box);

// Enable or disable one period control and give it the desktop's colours for that state:
// window background and text when enabled, button face and button shadow when not.
void EnableTextBox(QLineEdit* box, bool enabled);
void EnableComboBox(QComboBox* box, bool enabled);

} // namespace console
