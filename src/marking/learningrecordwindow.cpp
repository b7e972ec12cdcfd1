#include "learningrecordwindow.h"

#include "categoryratechart.h"
#include "dailychart.h"
#include "messagebox.h"
#include "practicewindow.h"
#include "querytext.h"
#include "score.h"
#include "ui_learningrecordwindow.h"
#include "windowregistry.h"
#include "windowstyle.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>

namespace {

const QString kTitle = QStringLiteral("学习记录");

QString rateText(qint64 right, qint64 answers)
{
    return Score::rateText(Score::rate(qint32(qMin<qint64>(right, INT32_MAX)), answers));
}

// The category table: category, answers, right, rate.
class CategoryTableModel : public QAbstractTableModel
{
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setLines(const QList<LearningRecord::CategoryLine> &lines)
    {
        beginResetModel();
        m_lines = lines;
        endResetModel();
    }
    int rowCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : int(m_lines.size()); }
    int columnCount(const QModelIndex &parent) const override { return parent.isValid() ? 0 : 4; }
    QVariant data(const QModelIndex &index, int role) const override
    {
        const LearningRecord::CategoryLine &line = m_lines.at(index.row());
        if (role == Qt::TextAlignmentRole)
            return index.column() == 0 ? QVariant() : QVariant(Qt::AlignCenter);
        if (role != Qt::DisplayRole && !(role == Qt::ToolTipRole && index.column() == 0))
            return QVariant();
        switch (index.column()) {
        case 0:
            return CategoryRateChart::shownName(line.category);
        case 1:
            return QString::number(line.answers);
        case 2:
            return QString::number(line.right);
        default:
            return rateText(line.right, line.answers);
        }
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return QAbstractTableModel::headerData(section, orientation, role);
        static const QStringList names = {QStringLiteral("类别"), QStringLiteral("答题数"), QStringLiteral("答对数"),
                                          QStringLiteral("正确率")};
        return names.value(section);
    }

private:
    QList<LearningRecord::CategoryLine> m_lines;
};

} // namespace

LearningRecordWindow::LearningRecordWindow(QWidget *parent)
    : ProgramWindow(QStringLiteral("frmRecord"), parent)
{
    Ui::LearningRecordWindow().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_answersBox = control<QLineEdit>(QStringLiteral("Text1"));
    m_rightBox = control<QLineEdit>(QStringLiteral("Text2"));
    m_rateBox = control<QLineEdit>(QStringLiteral("Text3"));
    m_daysBox = control<QLineEdit>(QStringLiteral("Text4"));
    m_notebookBox = control<QLineEdit>(QStringLiteral("Text5"));
    for (QLineEdit *box : {m_answersBox, m_rightBox, m_rateBox, m_daysBox, m_notebookBox})
        WindowStyle::keepTextWhole(box);
    m_categoryChart = control<CategoryRateChart>(QStringLiteral("Chart1"));
    m_dailyChart = control<DailyChart>(QStringLiteral("Chart2"));
    m_practiseButton = control<QPushButton>(QStringLiteral("Command1"));
    m_clearButton = control<QPushButton>(QStringLiteral("Command2"));

    m_categoryTable = control<QTableView>(QStringLiteral("Grid1"));
    m_categoryTable->setModel(new CategoryTableModel(m_categoryTable));
    m_categoryTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_categoryTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_categoryTable->verticalHeader()->hide();
    m_categoryTable->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    QHeaderView *columns = m_categoryTable->horizontalHeader();
    columns->setSectionResizeMode(0, QHeaderView::Stretch);
    for (int c = 1; c < 4; ++c) {
        columns->setSectionResizeMode(c, QHeaderView::Fixed);
        columns->resizeSection(c, fontMetrics().horizontalAdvance(QStringLiteral("答题数")) + 14);
    }

    connect(m_practiseButton, &QPushButton::clicked, this, &LearningRecordWindow::practiseNotebook);
    connect(m_clearButton, &QPushButton::clicked, this, &LearningRecordWindow::clearRecord);
}

void LearningRecordWindow::onLoad()
{
    recompute(true);
}

void LearningRecordWindow::onUnload()
{
    m_reader.close(); // the connection goes at once
}

void LearningRecordWindow::onActivate()
{
    recompute();
}

void LearningRecordWindow::recompute(bool force)
{
    const QDate today = QDate::currentDate();
    if (!force && !m_readFailed && !m_reader.mayHaveChanged(today))
        return;
    LearningRecord::Summary summary;
    if (!m_reader.read(today, &summary)) {
        // Told once until a reading succeeds again; the window shows nothing meanwhile.
        if (!m_readFailed)
            MessageBox::show(this, QStringLiteral("学习记录无法读取（%1）。").arg(m_reader.lastError()), kTitle);
        m_readFailed = true;
        summary = LearningRecord::Summary();
    } else {
        m_readFailed = false;
    }
    m_summary = summary;
    showSummary();
}

void LearningRecordWindow::showSummary()
{
    const LearningRecord::Summary &s = m_summary;
    m_answersBox->setText(QString::number(s.answers));
    m_rightBox->setText(QString::number(s.right));
    m_rateBox->setText(rateText(s.right, s.answers));
    m_daysBox->setText(QString::number(s.days));
    m_notebookBox->setText(QString::number(s.notebook.size()));
    static_cast<CategoryTableModel *>(m_categoryTable->model())->setLines(s.categories);
    m_categoryChart->setCategories(s.categories);
    m_dailyChart->setDays(s.lastDays);
    m_practiseButton->setEnabled(!s.notebook.isEmpty());
    m_clearButton->setEnabled(s.answers > 0);
}

void LearningRecordWindow::practiseNotebook()
{
    WindowRegistry &registry = WindowRegistry::instance();
    auto *practice = registry.findWindow<PracticeWindow>(QStringLiteral("Form1"));
    if (!practice || m_summary.notebook.isEmpty())
        return;
    practice->showQuestionSet(QueryText::numberListQuery(m_summary.notebook));
    registry.show(QStringLiteral("Form1"));
}

void LearningRecordWindow::clearRecord()
{
    if (MessageBox::show(this, QStringLiteral("真的要清除全部学习记录吗？"), kTitle, MessageBox::YesNo, MessageBox::No)
        != MessageBox::Yes)
        return;
    if (!m_reader.clear())
        MessageBox::show(this, QStringLiteral("学习记录没有清除（%1）。").arg(m_reader.lastError()), kTitle);
    recompute(true);
}
