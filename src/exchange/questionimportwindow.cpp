#include "questionimportwindow.h"

#include "bankfile.h"
#include "catalogue.h"
#include "filechooser.h"
#include "messagebox.h"
#include "ui_questionimportwindow.h"
#include "windowregistry.h"
#include "windowstyle.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTableWidget>

namespace {

const QString kTitle = QStringLiteral("导入试题");
const QString kWindowName = QStringLiteral("frmImport");

QString formatName(Importers::Format format)
{
    switch (format) {
    case Importers::Format::Aiken:
        return QStringLiteral("Aiken");
    case Importers::Format::Gift:
        return QStringLiteral("GIFT");
    case Importers::Format::Tsv:
        return QStringLiteral("制表符分隔（TSV）");
    }
    return QString();
}

} // namespace

QuestionImportWindow::QuestionImportWindow(PracticeLink link, QWidget *parent)
    : ProgramWindow(kWindowName, parent), m_link(std::move(link))
{
    Ui::QuestionImportWindow().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint
                   | Qt::WindowCloseButtonHint);

    m_fileBox = control<QLineEdit>(QStringLiteral("txtFile"));
    m_formatLabel = control<QLabel>(QStringLiteral("lblFormat"));
    m_summaryLabel = control<QLabel>(QStringLiteral("lblSummary"));
    m_categoryBox = control<QLineEdit>(QStringLiteral("txtCategory"));
    m_duplicatesBox = control<QPlainTextEdit>(QStringLiteral("txtDuplicates"));
    m_problemsBox = control<QPlainTextEdit>(QStringLiteral("txtProblems"));
    m_questionTable = control<QTableWidget>(QStringLiteral("tblQuestions"));
    m_importButton = control<QPushButton>(QStringLiteral("cmdImport"));
    m_questionTable->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);

    connect(m_importButton, &QPushButton::clicked, this, &QuestionImportWindow::importQuestions);
    connect(control<QPushButton>(QStringLiteral("cmdClose")), &QPushButton::clicked, this,
            [] { WindowRegistry::instance().unload(kWindowName); });
    connect(m_categoryBox, &QLineEdit::editingFinished, this, &QuestionImportWindow::onCategoryEdited);
}

void QuestionImportWindow::chooseFileAndPreview(QWidget *parent)
{
    const FileChooser::Choice choice = FileChooser::choose(
        parent, {kTitle, {QStringLiteral("题目文件 (*.txt *.tsv *.gift *.aiken)"), QStringLiteral("所有文件 (*)")}, false,
                 QString()});
    if (choice.path.isEmpty())
        return;
    WindowRegistry &registry = WindowRegistry::instance();
    if (auto *window = registry.window<QuestionImportWindow>(kWindowName)) {
        window->preview(choice.path);
        registry.show(kWindowName);
    }
}

void QuestionImportWindow::preview(const QString &path)
{
    m_path = path;
    m_categoryBox->setText(QFileInfo(path).completeBaseName());
    refreshPreview();
}

BankTasks::ImportRequest QuestionImportWindow::request() const
{
    return {QString::fromLatin1(BankFile::kFileName), Catalogue::defaultPath(), {m_path}, QString(),
            m_categoryBox->text()};
}

void QuestionImportWindow::refreshPreview()
{
    m_previewedCategory = m_categoryBox->text();
    m_plan = BankTasks::planImport(request());
    showPlan();
}

void QuestionImportWindow::onCategoryEdited()
{
    if (!m_path.isEmpty() && m_categoryBox->text() != m_previewedCategory)
        refreshPreview();
}

void QuestionImportWindow::showPlan()
{
    const Importers::Plan &plan = m_plan.plan;
    m_fileBox->setText(QDir::toNativeSeparators(m_path));
    m_fileBox->setCursorPosition(0);
    if (m_plan.inputs.isEmpty()) {
        m_formatLabel->clear();
    } else {
        const BankTasks::InputSummary &input = m_plan.inputs.first();
        m_formatLabel->setText(QStringLiteral("%1，编码 %2").arg(formatName(input.format), input.encoding));
    }
    m_summaryLabel->setText(QStringLiteral("%1 题（另有重复 %2 题，将跳过）").arg(plan.newRows.size()).arg(plan.duplicates.size()));
    m_duplicatesBox->setPlainText(plan.duplicates.join(QLatin1Char('\n')));
    m_problemsBox->setPlainText(m_plan.outcome.status == BankTasks::Ok ? QString()
                                                                       : m_plan.outcome.problems.join(QLatin1Char('\n')));

    const int listed = int(std::min<qsizetype>(plan.newRows.size(), kListedQuestions));
    m_questionTable->setRowCount(listed);
    QStringList numbers;
    for (int i = 0; i < listed; ++i) {
        const QuestionRecord &row = plan.newRows.at(i);
        const QStringList cells{row.category, row.question, row.answer};
        for (int column = 0; column < cells.size(); ++column)
            m_questionTable->setItem(i, column, new QTableWidgetItem(cells.at(column)));
        numbers << QString::number(row.number); // the 题号 the question will have
    }
    m_questionTable->setVerticalHeaderLabels(numbers);
    m_questionTable->resizeRowsToContents();
    m_importButton->setEnabled(m_plan.outcome.status == BankTasks::Ok && !plan.newRows.isEmpty());
}

void QuestionImportWindow::refuse(const QString &reason)
{
    MessageBox::show(this, QStringLiteral("导入的试题暂时无法存入题库（%1），没有导入任何试题。").arg(reason), kTitle);
}

void QuestionImportWindow::importQuestions()
{
    // The user's pending work goes into the bank first, once, so that the
    // import starts from the bank as the user left it and the refresh after
    // it has nothing left to store.
    if (m_link.storePendingWork) {
        const QString reason = m_link.storePendingWork();
        if (!reason.isEmpty()) {
            refuse(reason);
            return;
        }
    }
    // What is imported is what the preview shows (the import refuses a bank
    // that another program has changed since); a category typed but not yet
    // previewed is applied first.
    if (m_categoryBox->text() != m_previewedCategory) {
        refreshPreview();
        if (!m_importButton->isEnabled())
            return; // the preview now says why
    }

    const qint64 total = m_plan.plan.newRows.size();
    const bool showProgress = total >= kProgressFrom;
    QProgressDialog progress(QStringLiteral("正在导入试题……"), QStringLiteral("取消"), 0, int(total), this);
    progress.setObjectName(QStringLiteral("ImportProgress"));
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::ApplicationModal); // nothing else is touched while the bank is locked
    progress.setMinimumDuration(0);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    if (showProgress)
        progress.show();
    const BankTasks::Outcome outcome =
        BankTasks::applyImport(request(), m_plan, [&](qint64 written, qint64) {
            if (!showProgress)
                return true;
            progress.setValue(int(written));
            QCoreApplication::processEvents(); // the bar moves and its button can cancel
            return !progress.wasCanceled();
        });
    progress.hide();

    switch (outcome.status) {
    case BankTasks::Ok:
        if (m_link.showImportedBank)
            m_link.showImportedBank();
        MessageBox::show(this, BankTasks::importSummary(m_plan.plan), kTitle);
        WindowRegistry::instance().unload(kWindowName);
        break;
    case BankTasks::Cancelled:
        MessageBox::show(this, QStringLiteral("导入已取消，题库没有改动。"), kTitle);
        break;
    default:
        refuse(outcome.reason.isEmpty() ? outcome.problems.join(QLatin1Char('\n')) : outcome.reason);
        break;
    }
}
