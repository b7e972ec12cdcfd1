#include "codepage.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace CodePage {
namespace {

// ICU's "GBK" converter is Windows code page 936 (the euro sign is 0x80).
constexpr const char *kCp936 = "GBK";
constexpr const char *kGb18030 = "GB18030";

bool isLeadByte(uchar b) { return b >= 0x81 && b <= 0xFE; }
bool isFourByteSecond(uchar b) { return b >= 0x30 && b <= 0x39; }

QByteArray encodeCodePoint(const QString &one)
{
    QStringEncoder cp936(kCp936, QStringConverter::Flag::Stateless);
    QByteArray bytes = cp936.encode(one);
    if (!cp936.hasError())
        return bytes;
    QStringEncoder gb18030(kGb18030, QStringConverter::Flag::Stateless);
    return gb18030.encode(one);
}

} // namespace

QByteArray encode(const QString &text)
{
    QStringEncoder cp936(kCp936, QStringConverter::Flag::Stateless);
    QByteArray bytes = cp936.encode(text);
    if (!cp936.hasError())
        return bytes;

    // Rare path: some character lacks a code-page-936 form; go one code point
    // at a time so that only those characters take their GB18030 sequence.
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
    // Single and double byte sequences are code page 936; four-byte sequences
    // (lead byte, then a digit byte) exist only in GB18030.
    QString out;
    out.reserve(bytes.size());
    QStringDecoder cp936(kCp936, QStringConverter::Flag::Stateless);
    QStringDecoder gb18030(kGb18030, QStringConverter::Flag::Stateless);

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
            i += 2;
        } else if (isLeadByte(b)) {
            // A lead byte as the very last byte: the decoder would keep it
            // waiting for a second byte and so drop it; it stands for a
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
