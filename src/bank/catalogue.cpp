#include "catalogue.h"

#include "bankfolder.h"
#include "codepage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace Catalogue {
namespace {
QString &pathOverride()
{
    static QString path;
    return path;
}
} // namespace

QStringList splitLines(const QString &text)
{
    QStringList lines;
    qsizetype start = 0;
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        if (text.at(i) != QLatin1Char('\r'))
            continue;
        lines << text.mid(start, i - start);
        if (i + 1 < n && text.at(i + 1) == QLatin1Char('\n'))
            ++i;
        start = i + 1;
    }
    // Text after the last line end is a line of its own; an empty tail is not.
    if (start < n)
        lines << text.mid(start);
    return lines;
}

LoadResult load(const QString &path)
{
    LoadResult result;
    QFile file(path);
    if (!file.exists()) {
        result.message = QStringLiteral("找不到试题目录文件“%1”，试题类别列表将是空的。").arg(QDir::toNativeSeparators(path));
        return result;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        result.message = QStringLiteral("无法读取试题目录文件“%1”（%2），试题类别列表将是空的。")
                             .arg(QDir::toNativeSeparators(path), file.errorString());
        return result;
    }
    result.labels = splitLines(CodePage::decode(file.readAll()));
    result.ok = true;
    return result;
}

QString defaultPath()
{
    if (!pathOverride().isEmpty())
        return pathOverride();
    const QString name = QString::fromLatin1(kFileName);
    const QString programFolder = QCoreApplication::applicationDirPath();
    const QString templates = BankFolder::templatesFolder(programFolder);
    if (templates.isEmpty())
        return QDir(programFolder).filePath(name);
    // An installed program: the catalogue beside the bank it works on, else
    // the bundled one.
    const QString besideBank = QDir::current().absoluteFilePath(name);
    const QString bundled = QDir(templates).filePath(name);
    return QFileInfo::exists(besideBank) || !QFileInfo::exists(bundled) ? besideBank : bundled;
}

void setPathOverride(const QString &path)
{
    pathOverride() = path;
}

} // namespace Catalogue
