#include "boundfield.h"

#include "paper.h"

#include "questioncursor.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

#include <limits>

QString exactText(const QPlainTextEdit *box)
{
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return text;
}

BoundField::BoundField(QuestionCursor *cursor, const QString &column, QLineEdit *box)
    : QObject(box), m_cursor(cursor), m_column(column), m_line(box)
{
    // A column's text is not cut at the line edit's default 32767 characters.
    box->setMaxLength(std::numeric_limits<int>::max());
    connectCursor();
}

BoundField::BoundField(QuestionCursor *cursor, const QString &column, QPlainTextEdit *box)
    : QObject(box), m_cursor(cursor), m_column(column), m_plain(box)
{
    connectCursor();
}

void BoundField::connectCursor()
{
    connect(m_cursor, &QuestionCursor::currentChanged, this, &BoundField::fill);
    const auto touched = [this] { m_touched = true; };
    if (m_line)
        connect(m_line, &QLineEdit::textChanged, this, touched);
    else
        connect(m_plain, &QPlainTextEdit::textChanged, this, touched);
    m_cursor->addLeaveHook(this, [this] { handOver(); });
    fill();
}

QString BoundField::textOf(const QVariant &value)
{
    // Text boxes hold a line break as LF.
    QString text = value.toString();
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void BoundField::fill()
{
    const QString text = textOf(m_cursor->value(m_column));
    if (m_line) {
        m_line->setText(text);
        m_line->setModified(false);
        m_line->setCursorPosition(0);
    } else if (m_plain) {
        m_plain->setPlainText(text);
        m_plain->document()->setModified(false);
    }
    m_filled = boxText();
    m_touched = false;
}

QString BoundField::boxText() const
{
    if (m_line)
        return m_line->text();
    return m_plain ? exactText(m_plain) : QString();
}

void BoundField::handOver()
{
    // The box against what it was filled with, not its "modified" flag: text
    // set through the accessibility interface, by an input method or by code
    // leaves that flag clear, and is the user's text all the same.
    // A box untouched since the fill is skipped without reading its text:
    // the exit's sweep leaves thousands of rows.
    if (!m_touched || (!m_line && !m_plain))
        return;
    const QString text = boxText();
    m_touched = false;
    if (text == m_filled)
        return;
    m_cursor->setValue(m_column, text);
    m_filled = text;
}

void appendText(QPlainTextEdit *box, const QString &text)
{
    QTextCursor end(box->document());
    end.movePosition(QTextCursor::End);
    end.insertText(Paper::toBoxText(text));
    box->setTextCursor(end);
    box->ensureCursorVisible();
}
