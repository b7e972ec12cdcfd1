#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QVariant>

class QLineEdit;
class QPlainTextEdit;
class QuestionCursor;

// The text of a multi-line box exactly as typed, lines ended by LF. Unlike
// toPlainText() it keeps no-break spaces and line separators (U+2028) as
// they are; only the breaks between the box's paragraphs become LF.
QString exactText(const QPlainTextEdit *box);

// Appends to a text box as the user sees it: line ends become the box's LF.
void appendText(QPlainTextEdit *box, const QString &text);

// A text box bound to one column of a cursor's current row: refilled on every
// change of position, and, when its text differs from what it was filled
// with (whatever put it there: keys, paste, an input method, the
// accessibility interface), handing that text to the row before the cursor
// leaves it.
class BoundField : public QObject
{
    Q_OBJECT
public:
    BoundField(QuestionCursor *cursor, const QString &column, QLineEdit *box);
    BoundField(QuestionCursor *cursor, const QString &column, QPlainTextEdit *box);

    void fill();

    // A column value as a bound box shows it (line breaks as LF).
    static QString textOf(const QVariant &value);

private:
    void connectCursor();
    void handOver();
    QString boxText() const;

    QuestionCursor *m_cursor;
    QString m_column;
    QPointer<QLineEdit> m_line;
    QPointer<QPlainTextEdit> m_plain;
    QString m_filled;       // the box's text right after the last fill
    bool m_touched = false; // its text has changed since (perhaps back again)
};
