#include "filechooser.h"

#include <QFileDialog>

namespace FileChooser {
namespace {

Chooser &replacement()
{
    static Chooser chooser;
    return chooser;
}

Choice fromDialog(QWidget *parent, const Request &request)
{
    QFileDialog dialog(parent, request.title);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(request.filters);
    if (request.forSaving) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        dialog.selectFile(request.suggestedName);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return Choice();
    return Choice{dialog.selectedFiles().first(),
                  int(std::max<qsizetype>(0, request.filters.indexOf(dialog.selectedNameFilter())))};
}

} // namespace

Choice choose(QWidget *parent, const Request &request)
{
    return replacement() ? replacement()(parent, request) : fromDialog(parent, request);
}

void setChooser(Chooser chooser)
{
    replacement() = std::move(chooser);
}

} // namespace FileChooser
