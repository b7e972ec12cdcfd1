#include "fuzzsupport.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

QString utf8Text(const uint8_t *data, size_t size)
{
    return QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
}

QString anyText(const uint8_t *data, size_t size)
{
    if (size == 0 || data[0] != 0)
        return utf8Text(data, size);
    QString text;
    for (size_t i = 1; i + 1 < size; i += 2)
        text += QChar(char16_t(data[i] | (data[i + 1] << 8)));
    return text;
}

QByteArray bytesOf(const uint8_t *data, size_t size)
{
    return QByteArray(reinterpret_cast<const char *>(data), qsizetype(size));
}

void ensureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv); // lives as long as the fuzzing process
}

void propertyFailed(const char *file, int line, const char *condition, const QString &detail)
{
    std::fprintf(stderr, "\n%s:%d: property failed: %s\n  %s\n", file, line, condition, qPrintable(detail));
    std::fflush(stderr);
    std::abort();
}

QString shown(const QString &text)
{
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        if (c.unicode() < 0x20 || c == QLatin1Char('"') || c == QLatin1Char('\\') || c.isSurrogate()
            || c.category() == QChar::Other_Format)
            out += QStringLiteral("\\u%1").arg(c.unicode(), 4, 16, QLatin1Char('0'));
        else
            out += c;
    }
    if (out.size() > 400)
        out = out.left(400) + QStringLiteral("…");
    return out + QLatin1Char('"');
}
