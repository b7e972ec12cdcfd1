#pragma once

#include <QString>

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QWidget;

// The controls of the windows, placed in twips.
namespace Controls {

// A button that Enter presses once it has the focus.
QPushButton *button(QWidget *parent, const QString &name, const QString &caption, const QString &tooltip,
                    int l, int t, int w, int h);
QGroupBox *frame(QWidget *parent, const QString &name, const QString &caption, int l, int t, int w, int h);
// An empty grey panel behind a group of controls.
QFrame *panel(QWidget *parent, const QString &name, int l, int t, int w, int h);
QLabel *label(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h);
// Read-only text without a border that the Tab key passes by.
QLineEdit *plainText(QWidget *parent, const QString &name, const QString &text, int l, int t, int w, int h);
QLineEdit *hiddenBox(QWidget *parent, const QString &name, const QString &text);
QPlainTextEdit *textArea(QWidget *parent, const QString &name, const QString &tooltip, bool readOnly,
                         int l, int t, int w, int h);

// Appends to a text box as the user sees it: line ends become the box's LF.
void appendText(QPlainTextEdit *box, const QString &text);

} // namespace Controls
