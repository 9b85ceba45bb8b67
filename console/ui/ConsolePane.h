#pragma once

#include <QPlainTextEdit>

namespace console {

// The console pane: text is only ever appended at the end, and the pane empties itself once its
// text (counted with CR LF line ends) would reach kPaneLimit characters.
class ConsolePane : public QPlainTextEdit {
    Q_OBJECT
public:
    static constexpr int kPaneLimit = 15100;

    explicit ConsolePane(QWidget* parent = nullptr);

    // Appends and moves the caret to the end, so the newest text is in view.
    void appendText(const QString& text);
    void clearText();
    // Characters held, CR LF counted as two.
    int length() const { return m_length; }
    bool isEmpty() const { return m_length == 0; }

private:
    int m_length = 0;
};

} // namespace console
