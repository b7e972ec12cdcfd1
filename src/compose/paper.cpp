#include "paper.h"

#include "codepage.h"

#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>
#endif

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

void PaperBuffers::append(qint32 number, const QString &question, const QString &answer)
{
    questions += Paper::questionEntry(number, question);
    answers += Paper::answerEntry(number, answer);
}

namespace Paper {

QString questionEntry(qint32 number, const QString &question)
{
    return kCrLf + QString::number(number) + QLatin1Char('.') + question;
}

QString answerEntry(qint32 number, const QString &answer)
{
    return QString::number(number) + QLatin1Char('.') + answer + QStringLiteral(";  ");
}

QString toBoxText(const QString &text)
{
    QString out = text;
    out.replace(kCrLf, QStringLiteral("\n"));
    out.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return out;
}

QString withCrLf(const QString &text)
{
    return toBoxText(text).replace(QLatin1Char('\n'), kCrLf);
}

QByteArray fileBytes(const QString &questions, const QString &answers)
{
    const QString content = QStringLiteral("试题部分：") + kCrLf + withCrLf(questions) + kCrLf
                            + QStringLiteral("答案部分：") + kCrLf + withCrLf(answers) + kCrLf;
    return CodePage::encode(content);
}

namespace {

bool writeAll(QFileDevice &file, const QByteArray &bytes)
{
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0)
            return false;
        written += n;
    }
    return true;
}

#ifdef Q_OS_UNIX
// QSaveFile writes under the target's name with seven letters added, which
// the file system refuses for a name near its 255-byte limit. Such a file is
// written under a short temporary name in the same folder instead and then
// renamed over the target, which replaces it in one step as well.
constexpr qsizetype kLongestName = 255;
constexpr qsizetype kSaveFileSuffix = 7; // ".XXXXXX"

bool needsShortTemporaryName(const QString &path)
{
    const qsizetype length = QFile::encodeName(QFileInfo(path).fileName()).size();
    return length <= kLongestName && length + kSaveFileSuffix > kLongestName;
}

bool writeUnderShortName(const QString &path, const QByteArray &bytes, QString *reason)
{
    const QFileInfo target(path);
    if (target.exists() && !target.isWritable()) {
        *reason = QStringLiteral("文件“%1”是只读的").arg(target.fileName());
        return false;
    }
    QTemporaryFile temp(target.absolutePath() + QStringLiteral("/.paper-XXXXXX"));
    if (!temp.open()) {
        *reason = temp.errorString();
        return false;
    }
    temp.setPermissions(target.exists() ? target.permissions()
                                        : QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup
                                              | QFileDevice::ReadOther);
    if (!writeAll(temp, bytes) || !temp.flush() || ::fsync(temp.handle()) != 0) {
        *reason = temp.errorString();
        return false;
    }
    temp.close();
    if (::rename(QFile::encodeName(temp.fileName()).constData(), QFile::encodeName(path).constData()) != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    temp.setAutoRemove(false);
    return true;
}
#endif

} // namespace

bool writeFile(const QString &path, const QByteArray &bytes, QString *reason)
{
#ifdef Q_OS_UNIX
    if (needsShortTemporaryName(path))
        return writeUnderShortName(path, bytes, reason);
#endif
    QSaveFile file(path);
    // No direct-write fallback: it would write into the old file in place.
    file.setDirectWriteFallback(false);
    // Unbuffered, and every write checked: a buffered write that fails only
    // when flushed is not reported by commit(), which would then put a
    // half-written file in place of the old one.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        *reason = file.errorString();
        return false;
    }
    if (!writeAll(file, bytes)) {
        *reason = file.errorString();
        file.cancelWriting();
        return false;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace Paper
