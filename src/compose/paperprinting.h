#pragma once

#include "paper.h"

#include <QString>

#include <functional>

class QWidget;

// Printing a composed paper and exporting it as a PDF file, for the
// composition window's two pages. The dialogs are hooks, so that another
// chooser or preview can take their place.
class PaperPrinting
{
public:
    // Returns the path chosen to save to (empty when the user cancels),
    // starting from proposedPath.
    using PathChooser = std::function<QString(QWidget *parent, const QString &proposedPath)>;
    // Shows the paper before it is printed.
    using PreviewOpener = std::function<void(QWidget *parent, const PaperBuffers &paper)>;

    PathChooser choosePath = choosePathWithDialog;
    PreviewOpener openPreview = openPreviewDialog;

    // "请先组卷！" for an empty paper; otherwise the preview.
    void print(QWidget *parent, const PaperBuffers &paper) const;
    // "请先组卷！" for an empty paper; otherwise asks where and writes the PDF
    // there in one step, telling a failure with the file and the reason.
    void exportPdf(QWidget *parent, const PaperBuffers &paper) const;

    // Qt's own save dialog "导出PDF" for PDF files.
    static QString choosePathWithDialog(QWidget *parent, const QString &proposedPath);
    // Qt's print preview, the paper on A4 (page setup and printer free).
    static void openPreviewDialog(QWidget *parent, const PaperBuffers &paper);

    // The name with ".pdf" added when it has no extension.
    static QString withPdfExtension(const QString &path);
    // "试卷.pdf" in the folder of the last export (while it exists), at
    // first in the working folder.
    static QString proposedPath();
};
