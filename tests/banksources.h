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

// A source of one category: "$CATEGORY:" then the blocks, blank lines between.
inline QString aikenSource(const QString &category, const QStringList &blocks)
{
    return QStringLiteral("$CATEGORY: ") + category + QStringLiteral("\n\n") + blocks.join(QLatin1Char('\n'));
}

// n distinct Aiken blocks, their answers the letters in turn; explained: each explained as "说明 <tag><i>".
inline QStringList sampleBlocks(int n, const QString &letters = QStringLiteral("ABCD"), const QString &tag = QString(),
                                bool explained = false)
{
    QStringList blocks;
    for (int i = 1; i <= n; ++i) {
        const QString name = tag + QString::number(i);
        blocks << QStringLiteral("Sample %1 is ______ question.\nA. a\nB. an\nC. the\nD. /\nANSWER: %2\n")
                          .arg(name, letters.at((i - 1) % letters.size()))
                      + (explained ? QStringLiteral("解析: 说明 %1\n").arg(name) : QString());
    }
    return blocks;
}

// The 1-based line of the first line of text that equals line.
inline int lineOf(const QString &text, const QString &line)
{
    return int(text.split(QLatin1Char('\n')).indexOf(line)) + 1;
}
