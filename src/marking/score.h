#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// The score of one marking: the counts of right and wrong answers as the
// bank reports them, the rate of right answers and the comment on it.
namespace Score {

// The whole-number percentage of right answers, rounded down: the exact floor
// of 100 × right ÷ total, worked out in integers so that 29 of 100 is 29 (a
// floating-point quotient lands just below 29 and floors to 28). 0 when
// nothing was answered; always 0 to 100 for 0 ≤ right ≤ total.
qint16 rate(qint32 right, qint64 total);

// The rate as the marking window shows it: a blank where a sign would stand,
// the number, then "%" (" 85%"). A negative number carries its "-" instead.
QString rateText(qint16 rate);

struct Comment
{
    QString text;
    QString title;
};

// The comment of the band the rate falls into; none when nothing was
// answered (total 0).
std::optional<Comment> comment(qint16 rate, qint64 total);

} // namespace Score
