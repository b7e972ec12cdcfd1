#include "paperpath.h"

namespace PaperPath {
namespace {

bool isListedDriveRoot(const QString &folder)
{
    // Only drives A to H are listed; the root of any other drive gets a
    // second backslash, as it always has.
    if (folder.size() != 3 || folder.at(1) != QLatin1Char(':') || folder.at(2) != QLatin1Char('\\'))
        return false;
    const QChar letter = folder.at(0);
    return (letter >= QLatin1Char('A') && letter <= QLatin1Char('H'))
           || (letter >= QLatin1Char('a') && letter <= QLatin1Char('h'));
}

QString separatorAfter(const QString &folder, Platform platform)
{
    if (platform == Platform::Windows)
        return isListedDriveRoot(folder) ? QString() : QStringLiteral("\\");
    return folder.endsWith(QLatin1Char('/')) ? QString() : QStringLiteral("/");
}

} // namespace

QString fullPath(const QString &folder, const QString &name, Platform platform)
{
    return folder + separatorAfter(folder, platform) + name + QLatin1String(kExtension);
}

QString refusedName(const QString &name, Platform platform)
{
    const QString fileName = name + QLatin1String(kExtension);
    constexpr qsizetype kLongestName = 255;
    if (platform == Platform::Windows) {
        for (const QChar c : name) {
            if (c.unicode() < 0x20 || QStringLiteral("\\/:*?\"<>|").contains(c))
                return QStringLiteral("文件名中不能有下列字符：\\ / : * ? \" < > |");
        }
        if (fileName.size() > kLongestName)
            return QStringLiteral("文件名太长（连同“.txt”最多255个字符）。");
        return QString();
    }
    if (name.contains(QLatin1Char('/')))
        return QStringLiteral("文件名中不能有“/”。");
    if (name.contains(QChar(0)))
        return QStringLiteral("文件名中不能有空字符。");
    if (fileName.toUtf8().size() > kLongestName)
        return QStringLiteral("文件名太长（连同“.txt”最多255个字节）。");
    return QString();
}

} // namespace PaperPath
