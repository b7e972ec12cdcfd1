#include "countinput.h"

#include <QRegularExpression>

#include <cmath>

namespace CountInput {
namespace {

// Full-width forms (U+FF01..U+FF5E) to ASCII, the ideographic space to a blank.
QString toHalfWidth(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        const char16_t u = c.unicode();
        if (u >= 0xFF01 && u <= 0xFF5E)
            c = QChar(char16_t(u - 0xFF01 + 0x21));
        else if (u == 0x3000)
            c = QLatin1Char(' ');
    }
    return out;
}

} // namespace

std::optional<double> parseNumber(const QString &text)
{
    static const QRegularExpression number(
        QStringLiteral("^[+-]?(?:[0-9]+\\.?[0-9]*|\\.[0-9]+)(?:[eE][+-]?[0-9]+)?$"));
    const QString candidate = toHalfWidth(text).trimmed();
    if (!number.match(candidate).hasMatch())
        return std::nullopt;
    // Beyond the range of a double ("1e999") gives an infinity, a tiny value
    // ("1e-999") zero: as far as a count goes, that is what was typed.
    return candidate.toDouble();
}

double roundHalfToEven(double v)
{
    const double below = std::floor(v);
    const double fraction = v - below;
    if (fraction > 0.5)
        return below + 1;
    if (fraction < 0.5)
        return below;
    return std::fmod(below, 2.0) == 0.0 ? below : below + 1;
}

Check check(const QString &text, qint32 bankSize)
{
    Check result;
    const std::optional<double> v = parseNumber(text);
    if (!v) {
        result.verdict = Verdict::NotANumber;
    } else if (*v > kMaxQuestions) {
        result.verdict = Verdict::AboveLimit;
    } else if (*v > bankSize) {
        result.verdict = Verdict::AboveBankSize;
    } else if (*v < 1) {
        result.verdict = Verdict::BelowOne;
    } else {
        result.verdict = Verdict::Accepted;
        result.count = qint32(roundHalfToEven(*v));
    }
    return result;
}

} // namespace CountInput
