#pragma once

#include <QString>

// Where the program keeps the bank it works on.
//
// The bank is opened by relative name, so the working folder decides:
// 1. a working folder that holds english.db is used as it is (the build
//    tree, a teacher's own bank);
// 2. otherwise, when the program is an installed one (its bundled bank lies
//    as a read-only template in <prefix>/share/quorvane beside <prefix>/bin),
//    it works in the user's own folder $XDG_DATA_HOME/quorvane (by default
//    ~/.local/share/quorvane): created when missing, the bundled bank and
//    catalogue copied into it when they are not there yet (never over a file
//    that is), and made the working folder;
// 3. otherwise nothing changes (the bank's absence is told when it is opened).
namespace BankFolder {

// The folder of the installed templates, or an empty text when the program
// has none beside it (it runs from a build tree).
QString templatesFolder(const QString &programFolder);
// $XDG_DATA_HOME/quorvane.
QString userFolder();

struct Result
{
    bool ok = true;
    bool userBank = false; // working in the user's folder (rule 2)
    QString message;       // for the user when !ok: names the folder and the reason
};

// Applies the rules above, from the current working folder.
Result settle(const QString &programFolder, const QString &userFolder);

// Copies a file byte for byte into a folder under the same name unless one
// is there already; the copy appears whole or not at all, and belongs to the
// user (readable and writable) whatever the template's permissions.
// Returns the reason of a failure, or an empty text.
QString copyIfMissing(const QString &file, const QString &folder);

} // namespace BankFolder
