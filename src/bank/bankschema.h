#pragma once

#include <QString>
#include <QStringList>

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

} // namespace BankSchema
