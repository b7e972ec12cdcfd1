// Whatever is typed into the count box: the check gives one verdict, and an
// accepted count is a whole number from 1 to the smaller of 200 and the bank
// size, the typed number rounded half to even. Blanks around the text and
// full-width forms of the same characters change nothing.
#include "fuzzsupport.h"

#include "countinput.h"

#include <cmath>

namespace {

QString fullWidth(const QString &text)
{
    QString out = text;
    for (QChar &c : out) {
        if (c.unicode() >= 0x21 && c.unicode() <= 0x7E)
            c = QChar(char16_t(c.unicode() - 0x21 + 0xFF01));
        else if (c == QLatin1Char(' '))
            c = QChar(0x3000);
    }
    return out;
}

bool sameCheck(const CountInput::Check &a, const CountInput::Check &b)
{
    return a.verdict == b.verdict && a.count == b.count;
}

void checkOne(const QString &text, qint32 bankSize)
{
    using CountInput::Verdict;
    const CountInput::Check result = CountInput::check(text, bankSize);
    const std::optional<double> number = CountInput::parseNumber(text);
    FUZZ_CHECK(number.has_value() == (result.verdict != Verdict::NotANumber), shown(text));
    if (result.verdict == Verdict::Accepted) {
        FUZZ_CHECK(result.count >= 1 && result.count <= CountInput::kMaxQuestions && result.count <= bankSize,
                   shown(text) + QStringLiteral(" accepted as %1 with a bank of %2").arg(result.count).arg(bankSize));
        FUZZ_CHECK(std::fabs(*number - result.count) <= 0.5, shown(text));
    } else {
        FUZZ_CHECK(result.count == 0, shown(text));
    }
    if (number) {
        FUZZ_CHECK(!std::isnan(*number), shown(text));
        const double rounded = CountInput::roundHalfToEven(*number);
        if (std::isfinite(*number))
            FUZZ_CHECK(rounded == std::floor(rounded) && std::fabs(rounded - *number) <= 0.5, shown(text));
    }
    FUZZ_CHECK(sameCheck(CountInput::check(QStringLiteral("  ") + text + QChar(0x3000), bankSize), result), shown(text));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = anyText(data, size);
    for (qint32 bankSize : {0, 1, 7, 150, 200, 32767, 100000})
        checkOne(text, bankSize);

    bool ascii = true;
    for (const QChar c : text)
        ascii = ascii && c.unicode() >= 0x20 && c.unicode() <= 0x7E;
    if (ascii)
        FUZZ_CHECK(sameCheck(CountInput::check(fullWidth(text), 150), CountInput::check(text, 150)), shown(text));
    return 0;
}
