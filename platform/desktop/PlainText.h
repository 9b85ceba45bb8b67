#pragma once

#include <QString>

class QLabel;
class QWidget;

// Words a server, a player, a peer, a settings file or a log chose are shown as they are. Qt guesses
// rich text wherever a string looks like markup (labels, message boxes, tooltips) and reads "[*]" in
// a window title as its modified mark; every widget that may show such words is made or set here.
namespace platform {

// Longest text a label, a tooltip, a message box, a dialog's question or a window title shows: a
// longer one is cut and ends in an ellipsis. Laying out more at every paint would hold the window
// up for seconds, and no one reads it there.
constexpr int kMaxShownChars = 2048;
QString bounded(const QString& text);

// A label that never reads markup and never widens its window for a long text: what does not fit
// is cut at the label's edge.
QLabel* plainLabel(QWidget* parent, const QString& text = QString());
// Makes a label made elsewhere (inside a Qt dialog) show its text as it is.
void makePlain(QLabel* label);
// A plain label's text, bounded.
void setPlainText(QLabel* label, const QString& text);

// Tooltips have no plain mode: the text goes over escaped, its blanks and line breaks kept.
void setPlainToolTip(QWidget* widget, const QString& text);
QString plainToolTip(const QString& text);

void setPlainWindowTitle(QWidget* window, const QString& title);

} // namespace platform
