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

// Why the file system would refuse the name (with its ".txt") as a file's
// name, in words for the user; empty when it takes it. Unix: a "/" (which
// would lead into another folder), a NUL character, more than 255 bytes.
// Windows: any of \ / : * ? " < > | or a control character, more than 255
// characters.
QString refusedName(const QString &name, Platform platform);

constexpr Platform hostPlatform()
{
#ifdef Q_OS_WIN
    return Platform::Windows;
#else
    return Platform::Unix;
#endif
}

} // namespace PaperPath
