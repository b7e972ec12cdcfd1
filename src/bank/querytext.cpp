#include "querytext.h"

#include "bankschema.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace QueryText {
namespace {

class Scanner
{
public:
    explicit Scanner(const QString &text) : m_text(text) {}

    void skipBlanks()
    {
        while (m_pos < m_text.size() && m_text.at(m_pos).isSpace())
            ++m_pos;
    }
    bool atEnd()
    {
        skipBlanks();
        return m_pos >= m_text.size();
    }
    // A keyword must stand alone: "selectx" is not "select".
    bool keyword(const QString &word)
    {
        skipBlanks();
        if (m_text.mid(m_pos, word.size()).compare(word, Qt::CaseInsensitive) != 0)
            return false;
        const qsizetype end = m_pos + word.size();
        if (end < m_text.size() && isWordChar(m_text.at(end)))
            return false;
        m_pos = end;
        return true;
    }
    bool symbol(const QString &sym)
    {
        skipBlanks();
        if (!m_text.mid(m_pos).startsWith(sym))
            return false;
        m_pos += sym.size();
        return true;
    }
    QString word()
    {
        skipBlanks();
        const qsizetype start = m_pos;
        while (m_pos < m_text.size() && isWordChar(m_text.at(m_pos)))
            ++m_pos;
        return m_text.mid(start, m_pos - start);
    }
    bool peek(QChar c)
    {
        skipBlanks();
        return m_pos < m_text.size() && m_text.at(m_pos) == c;
    }
    // Reads "..." with "" standing for one quote; false when unterminated.
    bool quoted(QString *out)
    {
        skipBlanks();
        if (!peek(QLatin1Char('"')))
            return false;
        ++m_pos;
        QString value;
        while (m_pos < m_text.size()) {
            const QChar c = m_text.at(m_pos++);
            if (c != QLatin1Char('"')) {
                value += c;
                continue;
            }
            if (m_pos < m_text.size() && m_text.at(m_pos) == QLatin1Char('"')) {
                value += c;
                ++m_pos;
                continue;
            }
            *out = value;
            return true;
        }
        return false;
    }
    bool number(QVariant *out)
    {
        skipBlanks();
        qsizetype end = m_pos;
        if (end < m_text.size() && (m_text.at(end) == QLatin1Char('-') || m_text.at(end) == QLatin1Char('+')))
            ++end;
        const qsizetype digitsStart = end;
        bool dot = false;
        while (end < m_text.size()
               && ((m_text.at(end) >= QLatin1Char('0') && m_text.at(end) <= QLatin1Char('9'))
                   || (!dot && m_text.at(end) == QLatin1Char('.')))) {
            dot = dot || m_text.at(end) == QLatin1Char('.');
            ++end;
        }
        const QString digits = m_text.mid(m_pos, end - m_pos);
        if (end == digitsStart || digits == QLatin1String(".") || digits.endsWith(QLatin1String("-."))
            || digits.endsWith(QLatin1String("+.")))
            return false;
        bool ok = false;
        if (!dot) {
            const qlonglong v = digits.toLongLong(&ok);
            if (ok)
                *out = v;
        }
        if (!ok) {
            const double d = digits.toDouble(&ok);
            if (!ok)
                return false;
            *out = d;
        }
        m_pos = end;
        return true;
    }

private:
    static bool isWordChar(QChar c) { return c.isLetterOrNumber() || c == QLatin1Char('_'); }

    const QString &m_text;
    qsizetype m_pos = 0;
};

ParsedQuery rejected(const QString &why)
{
    ParsedQuery q;
    q.error = why;
    return q;
}

bool literal(Scanner &s, QVariant *value, QString *why)
{
    if (s.peek(QLatin1Char('"'))) {
        QString text;
        if (!s.quoted(&text)) {
            *why = QStringLiteral("字符串缺少结束的双引号");
            return false;
        }
        *value = text;
        return true;
    }
    if (!s.number(value)) {
        *why = QStringLiteral("条件的值必须是数字或带双引号的文字");
        return false;
    }
    return true;
}

// "in (v1, v2, ...)" after the column: the values become one JSON array,
// bound as a single parameter however many there are. SQLite's JSON cuts a
// text at U+0000, so a list text holding one is refused rather than
// matching more than its own value.
ParsedQuery parseList(Scanner &s, ParsedQuery q)
{
    if (!s.symbol(QStringLiteral("(")))
        return rejected(QStringLiteral("in 之后应是括号中的值"));
    QJsonArray values;
    if (!s.symbol(QStringLiteral(")"))) {
        do {
            QVariant value;
            QString why;
            if (!literal(s, &value, &why))
                return rejected(why);
            if (value.typeId() == QMetaType::QString && value.toString().contains(QChar(0)))
                return rejected(QStringLiteral("列表中的文字不能含有空字符"));
            values.append(QJsonValue::fromVariant(value));
        } while (s.symbol(QStringLiteral(",")));
        if (!s.symbol(QStringLiteral(")")))
            return rejected(QStringLiteral("值的列表缺少结束的括号"));
    }
    if (!s.atEnd())
        return rejected(QStringLiteral("条件之后有多余的文字"));
    q.inList = true;
    q.value = QString::fromUtf8(QJsonDocument(values).toJson(QJsonDocument::Compact));
    return q;
}

} // namespace

ParsedQuery parse(const QString &text)
{
    Scanner s(text);
    if (!s.keyword(QStringLiteral("select")) || !s.symbol(QStringLiteral("*"))
        || !s.keyword(QStringLiteral("from")) || !s.keyword(QStringLiteral("zk")))
        return rejected(QStringLiteral("查询必须以 select * from zk 开头"));

    ParsedQuery q;
    q.ok = true;
    if (s.atEnd())
        return q;
    if (!s.keyword(QStringLiteral("where")))
        return rejected(QStringLiteral("select * from zk 之后只能跟 where 条件"));

    const QString column = s.word();
    if (!BankSchema::columnNames().contains(column))
        return rejected(QStringLiteral("未知的列：%1").arg(column));
    q.hasFilter = true;
    q.column = column;

    if (s.keyword(QStringLiteral("in")))
        return parseList(s, q);
    if (s.symbol(QStringLiteral("<>")))
        q.notEqual = true;
    else if (!s.symbol(QStringLiteral("=")))
        return rejected(QStringLiteral("条件只能用 =、<> 或 in"));

    QString why;
    if (!literal(s, &q.value, &why))
        return rejected(why);
    if (!s.atEnd())
        return rejected(QStringLiteral("条件之后有多余的文字"));
    return q;
}

QString toSql(const ParsedQuery &query)
{
    QString sql = QStringLiteral("SELECT rowid, %1 FROM zk").arg(BankSchema::quotedColumnList());
    if (query.inList)
        sql += QStringLiteral(" WHERE \"%1\" IN (SELECT value FROM json_each(?))").arg(query.column);
    else if (query.hasFilter)
        sql += QStringLiteral(" WHERE \"%1\" %2 ?").arg(query.column, query.notEqual ? QStringLiteral("<>") : QStringLiteral("="));
    sql += QStringLiteral(" ORDER BY rowid");
    return sql;
}

QString categoryQuery(const QString &label)
{
    if (label == QString::fromUtf8(kWholeBankLabel))
        return QString::fromUtf8(kAllQuestionsFromList);
    QString literal = label;
    literal.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QStringLiteral("select * from zk where 备注 = \"%1\"").arg(literal);
}

QString numberQuery(qint64 number)
{
    return QStringLiteral("select * from zk where 题号 = %1").arg(number);
}

QString numberListQuery(const QList<qint64> &numbers)
{
    QStringList digits;
    digits.reserve(numbers.size());
    for (qint64 number : numbers)
        digits << QString::number(number);
    return QStringLiteral("select * from zk where 题号 in (%1)").arg(digits.join(QStringLiteral(", ")));
}

} // namespace QueryText
