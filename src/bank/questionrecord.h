#pragma once

#include <QString>

// One row of zk as a plain value (used to build, import and export banks),
// with the question's explanation, which the bank keeps in table jx.
struct QuestionRecord
{
    qint64 number = 0;  // 题号
    QString question;   // 试题: the stem, then the four choices on their own lines
    QString answer;     // 答案: "A" .. "D"
    QString category;   // 备注
    int mark = 0;       // 批阅
    QString picked = QStringLiteral("E"); // 作答
    QString explanation; // 解析 (table jx); empty: the question has none
};
