#pragma once

#include "programwindow.h"

#include "banktasks.h"

#include <functional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableWidget;

// "导入试题": what importing a teacher's file would do, shown before anything
// is written (its format and encoding, the new questions, the duplicates that
// are skipped, every problem with its line), and the import itself, with a
// progress bar that can cancel it. The work is the bank tool's own
// (BankTasks::planImport and applyImport).
class QuestionImportWindow : public ProgramWindow
{
    Q_OBJECT
public:
    // What the import needs of the practice window.
    struct PracticeLink
    {
        // Stores the user's pending pick or correction; why it could not, or
        // an empty text.
        std::function<QString()> storePendingWork;
        // Shows the whole bank again, the category list re-read.
        std::function<void()> showImportedBank;
    };

    // At most this many new questions are listed; from this many on the
    // import shows its progress.
    static constexpr int kListedQuestions = 100;
    static constexpr int kProgressFrom = 1000;

    explicit QuestionImportWindow(PracticeLink link, QWidget *parent = nullptr);

    // Asks for a file (Qt's own dialog) and previews it in this window.
    static void chooseFileAndPreview(QWidget *parent);

    // Reads the file and the bank and shows what an import would do.
    void preview(const QString &path);
    void importQuestions();

    QLineEdit *fileBox() const { return m_fileBox; }
    QLabel *formatLabel() const { return m_formatLabel; }
    QLabel *summaryLabel() const { return m_summaryLabel; }
    QLineEdit *categoryBox() const { return m_categoryBox; }
    QPlainTextEdit *duplicatesBox() const { return m_duplicatesBox; }
    QPlainTextEdit *problemsBox() const { return m_problemsBox; }
    QTableWidget *questionTable() const { return m_questionTable; }
    QPushButton *importButton() const { return m_importButton; }
    const BankTasks::ImportPlan &plan() const { return m_plan; }

private:
    BankTasks::ImportRequest request() const;
    void refreshPreview();
    void showPlan();
    void onCategoryEdited();
    void refuse(const QString &reason);

    PracticeLink m_link;
    QString m_path;
    QString m_previewedCategory;
    BankTasks::ImportPlan m_plan;
    QLineEdit *m_fileBox = nullptr;
    QLabel *m_formatLabel = nullptr;
    QLabel *m_summaryLabel = nullptr;
    QLineEdit *m_categoryBox = nullptr;
    QPlainTextEdit *m_duplicatesBox = nullptr;
    QPlainTextEdit *m_problemsBox = nullptr;
    QTableWidget *m_questionTable = nullptr;
    QPushButton *m_importButton = nullptr;
};
