#pragma once

#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

// Every file the user picks by a dialog goes through here: Qt's own file
// dialog (the same on every system). Tests put a chooser of their own in
// its place, so that nothing blocks on a real dialog.
namespace FileChooser {

struct Request
{
    QString title;
    QStringList filters;   // "题目文件 (*.txt *.tsv)", …; the first is chosen at the start
    bool forSaving = false; // a name to write (an existing file asks before it is replaced)
    QString suggestedName;
};

struct Choice
{
    QString path;        // empty: the user cancelled
    int filterIndex = 0; // the filter chosen in the end
};

using Chooser = std::function<Choice(QWidget *parent, const Request &request)>;

Choice choose(QWidget *parent, const Request &request);

// Replaces the dialog (tests); an empty chooser brings the dialog back.
void setChooser(Chooser chooser);

} // namespace FileChooser
