#include "aikensource.h"
#include "bankbuilder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>

namespace {

QTextStream &out()
{
    static QTextStream s(stdout);
    return s;
}
QTextStream &err()
{
    static QTextStream s(stderr);
    return s;
}

const char kUsage[] = R"(Usage: qvbank build [--if-missing] --db FILE --catalogue FILE SOURCE...

Builds a question bank (english.db) and its category catalogue (mulu.txt)
from bank source files (UTF-8, Aiken blocks under "$CATEGORY: label" lines).
An existing bank or catalogue is never overwritten: without --if-missing that
is an error, with it the existing file is kept.

Exit codes: 0 done, 1 invalid sources or failure to write, 2 usage error.
)";

int usageError(const QString &message)
{
    err() << "qvbank: " << message << "\n" << kUsage;
    return 2;
}

int build(QStringList args)
{
    bool ifMissing = false;
    QString dbPath;
    QString cataloguePath;
    QStringList sources;
    while (!args.isEmpty()) {
        const QString arg = args.takeFirst();
        if (arg == QLatin1String("--if-missing"))
            ifMissing = true;
        else if (arg == QLatin1String("--db") && !args.isEmpty())
            dbPath = args.takeFirst();
        else if (arg == QLatin1String("--catalogue") && !args.isEmpty())
            cataloguePath = args.takeFirst();
        else if (arg.startsWith(QLatin1String("--")))
            return usageError(QStringLiteral("unknown option %1").arg(arg));
        else
            sources << arg;
    }
    if (dbPath.isEmpty() || cataloguePath.isEmpty() || sources.isEmpty())
        return usageError(QStringLiteral("build needs --db, --catalogue and at least one source"));

    QList<QuestionRecord> rows;
    QStringList labels{QStringLiteral("全部中考试题")};
    QStringList errors;
    for (const QString &source : sources) {
        QFile file(source);
        if (!file.open(QIODevice::ReadOnly)) {
            errors << QStringLiteral("%1: cannot read: %2").arg(source, file.errorString());
            continue;
        }
        const AikenSource::Parse parsed = AikenSource::parse(QString::fromUtf8(file.readAll()), source);
        errors << parsed.errors;
        for (const AikenSource::Question &q : parsed.questions) {
            QuestionRecord r;
            r.number = rows.size() + 1;
            r.question = q.questionText();
            r.answer = q.answer;
            r.category = q.category;
            rows << r;
            if (!labels.contains(q.category))
                labels << q.category;
        }
    }
    if (!errors.isEmpty()) {
        for (const QString &e : errors)
            err() << e << "\n";
        return 1;
    }

    if (QFileInfo::exists(dbPath)) {
        if (!ifMissing) {
            err() << "qvbank: " << dbPath << " exists; it is left as it is\n";
            return 1;
        }
        out() << "kept existing bank " << dbPath << "\n";
    } else {
        QString error;
        if (!BankBuilder::createBank(dbPath, rows, &error)) {
            err() << "qvbank: " << dbPath << ": " << error << "\n";
            return 1;
        }
        out() << "built " << dbPath << " with " << rows.size() << " questions\n";
    }

    if (QFileInfo::exists(cataloguePath)) {
        if (!ifMissing) {
            err() << "qvbank: " << cataloguePath << " exists; it is left as it is\n";
            return 1;
        }
        out() << "kept existing catalogue " << cataloguePath << "\n";
    } else {
        QFile file(cataloguePath);
        if (!file.open(QIODevice::WriteOnly) || file.write(BankBuilder::catalogueBytes(labels)) < 0) {
            err() << "qvbank: " << cataloguePath << ": " << file.errorString() << "\n";
            return 1;
        }
        out() << "built " << cataloguePath << " with " << labels.size() << " labels\n";
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList args = QCoreApplication::arguments().mid(1);
    if (args.isEmpty() || args.first() == QLatin1String("--help") || args.first() == QLatin1String("-h")) {
        out() << kUsage;
        return args.isEmpty() ? 2 : 0;
    }
    const QString command = args.takeFirst();
    if (command == QLatin1String("build"))
        return build(args);
    return usageError(QStringLiteral("unknown command %1").arg(command));
}
