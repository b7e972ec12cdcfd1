#pragma once

#include <QString>
#include <QVariant>

// The bank's query texts: "select * from zk", optionally followed by
// "where <column> <op> <value>" or "where <column> in (<value>, ...)". A
// double-quoted literal is a text value (a doubled "" stands for one " inside
// it); a bare number is a number; the operators are = and <>. Keywords are
// case-insensitive; blanks are free.
struct ParsedQuery
{
    bool ok = false;
    QString error;          // why the text was rejected
    bool hasFilter = false;
    QString column;         // one of the six columns of zk
    bool notEqual = false;  // <> rather than =
    bool inList = false;    // "in (...)": value is the list as a JSON array text
    QVariant value;         // QString for a text literal, qlonglong or double for a number
};

namespace QueryText {

ParsedQuery parse(const QString &text);

// Builds parameterised SQL for a parsed query. Values are always bound, never
// spliced into the statement.
QString toSql(const ParsedQuery &query);

// The category filter: "全部中考试题" means the whole bank (with its trailing
// blank); any other label compares 备注 with the label as a text literal.
QString categoryQuery(const QString &label);

// "select * from zk where 题号 = " and the number in decimal.
QString numberQuery(qint64 number);

// "select * from zk where 题号 in (3, 17, 42)": those questions, in bank order.
QString numberListQuery(const QList<qint64> &numbers);

inline constexpr const char kAllQuestions[] = "select * from zk";
inline constexpr const char kAllQuestionsFromList[] = "select * from zk ";
inline constexpr const char kAnsweredQuestions[] = "select * from zk where 批阅 <>0";
inline constexpr const char kWrongForReview[] = "select * from zk where 批阅=2";
inline constexpr const char kCountRight[] = "select * from zk where 批阅 = 1";
inline constexpr const char kCountWrong[] = "select * from zk where 批阅 = 2";
inline constexpr const char kWholeBankLabel[] = "全部中考试题";

} // namespace QueryText
