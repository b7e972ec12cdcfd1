#pragma once

#include <QString>
#include <QStringList>

// The category catalogue, mulu.txt (see defaultPath for where): one label per
// line, code page 936. A line ends at CR or at CR LF; a lone LF stays part of
// the label. Every line is kept exactly as read, empty ones included.
namespace Catalogue {

inline constexpr char kFileName[] = "mulu.txt";

QStringList splitLines(const QString &text);

struct LoadResult
{
    bool ok = false;
    QStringList labels;
    QString message; // for the user when !ok: names the file and the reason
};

LoadResult load(const QString &path);

// The catalogue beside the program in a build tree; for an installed
// program (see BankFolder) the one beside the bank in the working folder,
// or the bundled one when that folder has none. Tests may point it elsewhere.
QString defaultPath();
void setPathOverride(const QString &path);

} // namespace Catalogue
