#include "bankexport.h"

#include "bankfile.h"
#include "banktasks.h"
#include "filechooser.h"
#include "messagebox.h"

#include <QDir>
#include <QFileInfo>

namespace BankExport {
namespace {

const QString kTitle = QStringLiteral("导出题库");

// The dialog's filters, in the order of the formats below.
struct Target
{
    QString filter;
    QString format; // as the bank tool names it
    QString suffix; // given to a name typed without one
};

const QList<Target> &targets()
{
    static const QList<Target> list{
        {QStringLiteral("Aiken 文本 (*.txt *.aiken)"), QStringLiteral("aiken"), QStringLiteral("txt")},
        {QStringLiteral("GIFT 文件 (*.gift)"), QStringLiteral("gift"), QStringLiteral("gift")},
    };
    return list;
}

// A long list of problems is cut so that the message stays readable.
QString shortened(const QStringList &lines)
{
    constexpr int kShown = 10;
    if (lines.size() <= kShown)
        return lines.join(QLatin1Char('\n'));
    return lines.mid(0, kShown).join(QLatin1Char('\n'))
         + QStringLiteral("\n……另有 %1 条").arg(lines.size() - kShown);
}

} // namespace

void chooseFileAndExport(QWidget *parent)
{
    QStringList filters;
    for (const Target &target : targets())
        filters << target.filter;
    const FileChooser::Choice choice =
        FileChooser::choose(parent, {kTitle, filters, true, QStringLiteral("题库.txt")});
    if (choice.path.isEmpty())
        return;
    const Target &target = targets().at(qBound(0, choice.filterIndex, int(targets().size()) - 1));
    QString path = choice.path;
    if (QFileInfo(path).suffix().isEmpty()) {
        // The dialog asked about the name as typed, not about this one.
        path += QLatin1Char('.') + target.suffix;
        if (QFileInfo::exists(path)
            && MessageBox::show(parent, QStringLiteral("%1 已经存在，要替换它吗？").arg(QDir::toNativeSeparators(path)),
                                kTitle, MessageBox::YesNo)
                   != MessageBox::Yes)
            return;
    }

    // Replacing a file has been asked; the explanations go with the
    // questions in both formats.
    const BankTasks::Outcome outcome = BankTasks::exportBank(
        {QString::fromLatin1(BankFile::kFileName), target.format, path, /*overwrite=*/true, /*withExplanations=*/true});
    if (outcome.status == BankTasks::Ok)
        MessageBox::show(parent, outcome.notes.join(QLatin1Char('\n')), kTitle);
    else
        MessageBox::show(parent, QStringLiteral("没有导出题库：\n%1").arg(shortened(outcome.problems)), kTitle);
}

} // namespace BankExport
