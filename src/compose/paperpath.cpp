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

} // namespace PaperPath
