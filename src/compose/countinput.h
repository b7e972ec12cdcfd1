#pragma once

#include <QString>

#include <optional>

// The number of questions typed for an intelligent paper.
namespace CountInput {

inline constexpr qint32 kMaxQuestions = 200;

// What a person types as a number: optional blanks around it, an optional
// sign, digits with an optional decimal fraction ("5", "2.5", ".5", "5."),
// an optional exponent ("1e2"). Full-width digits and signs, as a Chinese
// input method may give them, count as their ordinary forms. Anything else
// ("", "abc", "1.2.3", "0x10", "inf") is not a number.
std::optional<double> parseNumber(const QString &text);

// To the nearest whole number, a half to the even neighbour (2.5 -> 2,
// 3.5 -> 4, 199.5 -> 200).
double roundHalfToEven(double v);

enum class Verdict { NotANumber, AboveLimit, AboveBankSize, BelowOne, Accepted };

struct Check
{
    Verdict verdict = Verdict::NotANumber;
    qint32 count = 0; // the number of questions when accepted
};

// The checks in their order: a number at all, at most 200, at most the bank
// size, at least 1; then rounded half to even.
Check check(const QString &text, qint32 bankSize);

} // namespace CountInput
