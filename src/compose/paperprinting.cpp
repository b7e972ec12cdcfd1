#include "paperprinting.h"

#include "messagebox.h"
#include "printlayout.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace {

const QString kExportTitle = QStringLiteral("导出PDF");

// The folder of the last export, for the whole run.
QString &lastFolder()
{
    static QString folder;
    return folder;
}

bool isEmptyPaper(QWidget *parent, const PaperBuffers &paper)
{
    if (!paper.questions.trimmed().isEmpty())
        return false;
    MessageBox::show(parent, QStringLiteral("请先组卷！"), QStringLiteral("电脑组卷"));
    return true;
}

} // namespace

void PaperPrinting::print(QWidget *parent, const PaperBuffers &paper) const
{
    if (!isEmptyPaper(parent, paper))
        openPreview(parent, paper);
}

void PaperPrinting::exportPdf(QWidget *parent, const PaperBuffers &paper) const
{
    if (isEmptyPaper(parent, paper))
        return;
    const QString chosen = choosePath(parent, proposedPath());
    if (chosen.isEmpty())
        return;
    const QString path = withPdfExtension(chosen);
    lastFolder() = QFileInfo(path).absolutePath();

    // The whole file is made in memory first, then replaces any old one in one step.
    const QByteArray pdf = PrintLayout::renderPdf(paper);
    QString reason = pdf.isEmpty() ? QStringLiteral("无法生成PDF") : QString();
    if (reason.isEmpty() && Paper::writeFile(path, pdf, &reason))
        return;
    MessageBox::show(parent, QStringLiteral("无法保存文件“%1”：%2").arg(QDir::toNativeSeparators(path), reason),
                     kExportTitle);
}

QString PaperPrinting::choosePathWithDialog(QWidget *parent, const QString &proposedPath)
{
    QFileDialog dialog(parent, kExportTitle, proposedPath, QStringLiteral("PDF 文件 (*.pdf)"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // So that the dialog's question about replacing a file names the file that is written.
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(proposedPath);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

void PaperPrinting::openPreviewDialog(QWidget *parent, const PaperBuffers &paper)
{
    QPrinter printer(QPrinter::HighResolution);
    PrintLayout::setUpPage(printer);
    printer.setDocName(QStringLiteral("英语单项选择练习"));
    QPrintPreviewDialog dialog(&printer, parent);
    // Laid out afresh for each request: the page setup may have changed the paper or margins.
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested,
                     [&paper](QPrinter *target) { PrintLayout::print(paper, target); });
    dialog.exec();
}

QString PaperPrinting::withPdfExtension(const QString &path)
{
    return QFileInfo(path).suffix().isEmpty() ? path + QStringLiteral(".pdf") : path;
}

QString PaperPrinting::proposedPath()
{
    const QString folder = lastFolder();
    const QDir dir(!folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::currentPath());
    return dir.filePath(QStringLiteral("试卷.pdf"));
}
