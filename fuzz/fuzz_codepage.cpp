// Text written in code page 936 (a paper, a catalogue) and read again is the
// same text, for every valid Unicode text: characters the code page lacks
// travel as GB18030 sequences. A line end in the bytes is a line end of the
// text and nothing else, so no character can split or join a catalogue line.
// Text with lone surrogates (only a text box can hold them) is written
// without a crash.
#include "fuzzsupport.h"

#include "codepage.h"

namespace {

bool hasLoneSurrogate(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString text = anyText(data, size);
    const QByteArray bytes = CodePage::encode(text);
    if (hasLoneSurrogate(text))
        return 0;

    const QString back = CodePage::decode(bytes);
    FUZZ_CHECK(back == text, shown(text) + QStringLiteral(" came back as ") + shown(back)
                                 + QStringLiteral(" (bytes %1)").arg(QString::fromLatin1(bytes.toHex(' '))));
    FUZZ_CHECK(bytes.count('\r') == text.count(QLatin1Char('\r')) && bytes.count('\n') == text.count(QLatin1Char('\n')),
               shown(text) + QStringLiteral(" (bytes %1)").arg(QString::fromLatin1(bytes.toHex(' '))));
    return 0;
}
