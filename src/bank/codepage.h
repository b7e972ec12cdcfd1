#pragma once

#include <QByteArray>
#include <QString>

// Text files of the program (the category catalogue, saved papers) are in the
// Simplified Chinese ANSI code page 936. A character that code page lacks is
// written as its GB18030 sequence instead of being lost, and read back alike.
namespace CodePage {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

} // namespace CodePage
