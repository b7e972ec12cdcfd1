#include "codepage.h"

#include <QHash>
#include <QStringDecoder>
#include <QStringEncoder>

namespace CodePage {
namespace {

// ICU's "GBK" converter is Windows code page 936 (the euro sign is 0x80).
constexpr const char *kCp936 = "GBK";
constexpr const char *kGb18030 = "GB18030";

bool isLeadByte(uchar b) { return b >= 0x81 && b <= 0xFE; }
bool isFourByteSecond(uchar b) { return b >= 0x30 && b <= 0x39; }
bool isPrivateUse(QChar c) { return c.unicode() >= 0xE000 && c.unicode() <= 0xF8FF; }

quint16 pairKey(uchar lead, uchar trail) { return quint16((lead << 8) | trail); }

// The few two-byte codes (the pinyin letters ǹ and ḿ, some radicals and
// rare ideographs, the ideographic description characters, and A2E3) that
// code page 936 reads as private-use characters while GB18030 reads them as
// the characters they stand for. They are read as GB18030 reads them, so
// that such a character written by GB18030 comes back as itself.
const QHash<quint16, QChar> &gb18030Pairs()
{
    static const QHash<quint16, QChar> pairs = [] {
        QHash<quint16, QChar> found;
        QStringDecoder cp936(kCp936, QStringConverter::Flag::Stateless);
        QStringDecoder gb18030(kGb18030, QStringConverter::Flag::Stateless);
        for (int lead = 0x81; lead <= 0xFE; ++lead) {
            for (int trail = 0x40; trail <= 0xFE; ++trail) {
                const char pair[2] = {char(lead), char(trail)};
                const QString asCp936 = cp936.decode(QByteArrayView(pair, 2));
                const QString asGb18030 = gb18030.decode(QByteArrayView(pair, 2));
                if (asGb18030.size() == 1 && asGb18030 != asCp936 && !isPrivateUse(asGb18030.at(0))
                    && asGb18030.at(0) != QChar(QChar::ReplacementCharacter))
                    found.insert(pairKey(uchar(lead), uchar(trail)), asGb18030.at(0));
            }
        }
        return found;
    }();
    return pairs;
}

// A private-use character whose code-page-936 code is one of those pairs
// would come back as another character: it takes its GB18030 form (four
// bytes) instead.
bool cp936CodeReadsOtherwise(const QByteArray &bytes)
{
    return bytes.size() == 2 && gb18030Pairs().contains(pairKey(uchar(bytes.at(0)), uchar(bytes.at(1))));
}

QByteArray encodeCodePoint(const QString &one)
{
    QStringEncoder cp936(kCp936, QStringConverter::Flag::Stateless);
    QByteArray bytes = cp936.encode(one);
    if (!cp936.hasError() && !cp936CodeReadsOtherwise(bytes))
        return bytes;
    QStringEncoder gb18030(kGb18030, QStringConverter::Flag::Stateless);
    return gb18030.encode(one);
}

bool hasPrivateUse(const QString &text)
{
    for (const QChar c : text) {
        if (isPrivateUse(c))
            return true;
    }
    return false;
}

} // namespace

QByteArray encode(const QString &text)
{
    QStringEncoder cp936(kCp936, QStringConverter::Flag::Stateless);
    QByteArray bytes = cp936.encode(text);
    if (!cp936.hasError() && !hasPrivateUse(text))
        return bytes;

    // Rare path: some character lacks a code-page-936 form (or is a
    // private-use one); go one code point at a time so that only those
    // characters take their GB18030 sequence.
    bytes.clear();
    bytes.reserve(text.size() * 2);
    for (qsizetype i = 0; i < text.size();) {
        const qsizetype len = (text.at(i).isHighSurrogate() && i + 1 < text.size()
                               && text.at(i + 1).isLowSurrogate()) ? 2 : 1;
        bytes += encodeCodePoint(text.mid(i, len));
        i += len;
    }
    return bytes;
}

QString decode(const QByteArray &bytes)
{
    // Single and double byte sequences are code page 936 (but for the pairs
    // above); four-byte sequences (lead byte, then a digit byte) exist only
    // in GB18030.
    QString out;
    out.reserve(bytes.size());
    QStringDecoder cp936(kCp936, QStringConverter::Flag::Stateless);
    QStringDecoder gb18030(kGb18030, QStringConverter::Flag::Stateless);
    const QHash<quint16, QChar> &pairs = gb18030Pairs();

    qsizetype runStart = 0;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        const uchar b = uchar(bytes.at(i));
        if (isLeadByte(b) && i + 3 < n && isFourByteSecond(uchar(bytes.at(i + 1)))
            && isLeadByte(uchar(bytes.at(i + 2))) && isFourByteSecond(uchar(bytes.at(i + 3)))) {
            out += cp936.decode(QByteArrayView(bytes).sliced(runStart, i - runStart));
            out += gb18030.decode(QByteArrayView(bytes).sliced(i, 4));
            i += 4;
            runStart = i;
        } else if (isLeadByte(b) && i + 1 < n) {
            const auto gb18030Pair = pairs.constFind(pairKey(b, uchar(bytes.at(i + 1))));
            if (gb18030Pair != pairs.cend()) {
                out += cp936.decode(QByteArrayView(bytes).sliced(runStart, i - runStart));
                out += gb18030Pair.value();
                runStart = i + 2;
            }
            i += 2;
        } else if (isLeadByte(b)) {
            // A lead byte as the very last byte (a file cut short in the
            // middle of a character): the decoder would keep it waiting for a
            // second byte and drop it without a trace; it stands for a
            // character that is lost, shown as such.
            out += cp936.decode(QByteArrayView(bytes).sliced(runStart, i - runStart));
            out += QChar(QChar::ReplacementCharacter);
            return out;
        } else {
            i += 1;
        }
    }
    out += cp936.decode(QByteArrayView(bytes).sliced(runStart, n - runStart));
    return out;
}

} // namespace CodePage
