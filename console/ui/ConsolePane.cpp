#include "ConsolePane.h"

#include <QScrollBar>
#include <QTextCursor>

namespace console {

ConsolePane::ConsolePane(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setUndoRedoEnabled(false);
}

void ConsolePane::appendText(const QString& text) {
    if (m_length + text.size() >= kPaneLimit) {
        clearText();
        return;
    }
    m_length += int(text.size());

    QString shown = text;
    shown.remove(QLatin1Char('\r'));
    // A NUL would end the line in some text paths; show it as a blank.
    shown.replace(QChar(0), QLatin1Char(' '));
    QTextCursor cursor(document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(shown);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void ConsolePane::clearText() {
    m_length = 0;
    clear();
}

} // namespace console
