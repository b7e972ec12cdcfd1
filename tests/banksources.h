#pragma once

// Small bank sources and files for the bank tool's tests.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QStringList>

inline bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The bytes written to a file of that name in the folder; the file's path.
inline QString writtenFile(const QString &folder, const QString &name, const QByteArray &bytes)
{
    const QString path = QDir(folder).filePath(name);
    if (!writeBytes(path, bytes))
        qWarning("cannot write %s", qPrintable(path));
    return path;
}

// One Aiken block: the stem, the choices lettered A, B, …, the answer line and any explanation line.
inline QString aikenBlock(const QString &stem, const QStringList &choices, const QString &answer,
                          const QString &explanation = QString())
{
    QString block = stem + QLatin1Char('\n');
    for (int i = 0; i < choices.size(); ++i)
        block += QStringLiteral("%1. %2\n").arg(QChar(QLatin1Char('A').unicode() + i)).arg(choices.at(i));
    block += QStringLiteral("ANSWER: ") + answer + QLatin1Char('\n');
    return explanation.isEmpty() ? block : block + QStringLiteral("解析: ") + explanation + QLatin1Char('\n');
}

// A source of one category: "$CATEGORY:" then the blocks, blank lines between.
inline QString aikenSource(const QString &category, const QStringList &blocks)
{
    return QStringLiteral("$CATEGORY: ") + category + QStringLiteral("\n\n") + blocks.join(QLatin1Char('\n'));
}

// n distinct questions, their answers the letters in turn; explained: each explained as "说明 <tag><i>".
inline QStringList sampleBlocks(int n, const QString &letters = QStringLiteral("ABCD"), const QString &tag = QString(),
                                bool explained = false)
{
    QStringList blocks;
    for (int i = 1; i <= n; ++i)
        blocks << aikenBlock(QStringLiteral("Sample %1%2 is ______ question.").arg(tag).arg(i),
                             {QStringLiteral("a"), QStringLiteral("an"), QStringLiteral("the"), QStringLiteral("/")},
                             QString(letters.at((i - 1) % letters.size())),
                             explained ? QStringLiteral("说明 %1%2").arg(tag).arg(i) : QString());
    return blocks;
}

// The 1-based line of the first line of text that equals line.
inline int lineOf(const QString &text, const QString &line)
{
    return int(text.split(QLatin1Char('\n')).indexOf(line)) + 1;
}
