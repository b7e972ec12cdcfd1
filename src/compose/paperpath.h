#pragma once

#include <QString>

// Where a paper is written: the folder, a separator, the name exactly as the
// user typed it, and ".txt" (always appended, so abc.txt gives abc.txt.txt).
namespace PaperPath {

enum class Platform { Windows, Unix };

// Windows: no separator after the sixteen drive-root texts "A:\" .. "H:\"
// and "a:\" .. "h:\" (compared exactly), one backslash after any other
// folder text. Unix: "/" unless the folder already ends in "/"; there a
// backslash is an ordinary character of a name, never a separator.
QString fullPath(const QString &folder, const QString &name, Platform platform);

inline constexpr char kExtension[] = ".txt";

constexpr Platform hostPlatform()
{
#ifdef Q_OS_WIN
    return Platform::Windows;
#else
    return Platform::Unix;
#endif
}

} // namespace PaperPath
