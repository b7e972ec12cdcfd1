#include "paper.h"

#include "codepage.h"

#include <QSaveFile>

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

bool writeFile(const QString &path, const QByteArray &bytes, QString *reason)
{
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
    qint64 written = 0;
    while (written < bytes.size()) {
        const qint64 n = file.write(bytes.constData() + written, bytes.size() - written);
        if (n <= 0) {
            *reason = file.errorString();
            file.cancelWriting();
            return false;
        }
        written += n;
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace Paper
