#pragma once

#include <QSqlDatabase>
#include <QString>
#include <QStringList>

#include <optional>

// Table zk: six columns in this order. 批阅 and 作答 are reached by position.
namespace BankSchema {

enum Column { Number = 0, Question = 1, Answer = 2, Category = 3, Mark = 4, Picked = 5 };
inline constexpr int kColumnCount = 6;

// MarkState, the value of 批阅.
enum MarkState { NotAnswered = 0, Right = 1, Wrong = 2 };
inline constexpr char kNoPick[] = "E";

const QStringList &columnNames();
QString quotedColumnList();
int columnIndex(const QString &name); // -1 when not a column of zk

// The statements that create an empty bank table, and the index on 批阅
// that lets the marking window count the marks without reading every row.
QString createTableSql();
QString createMarkIndexSql();

// Table jx: the explanation (解析) of a question, one row for each question
// that has one, keyed by its 题号. zk keeps its six columns; a bank without
// jx (every bank made before explanations existed) is a sound bank.
inline constexpr char kExplanationTable[] = "jx";
QString createExplanationTableSql(); // CREATE TABLE IF NOT EXISTS

// Whether the bank has the table jx; false with *error set when the bank
// cannot be asked.
bool hasExplanationTable(const QSqlDatabase &db, QString *error = nullptr);

// The explanation of question `number`; none when the bank has no table jx
// or no row for the question. When the bank cannot be read the answer is
// none as well and *error (if given) says why; otherwise *error is emptied.
std::optional<QString> readExplanation(const QSqlDatabase &db, qint64 number, QString *error = nullptr);

} // namespace BankSchema
