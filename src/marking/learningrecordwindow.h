#pragma once

#include "learningrecord.h"
#include "programwindow.h"

class CategoryRateChart;
class DailyChart;
class QLineEdit;
class QPushButton;
class QTableView;

// The learning record: what the user has answered over all runs (totals,
// the categories weakest first, the last 30 days as a chart) and the
// notebook of questions whose latest answer was wrong, which can be put into
// the practice window. Read afresh whenever it is loaded or activated and
// the bank has changed meanwhile.
class LearningRecordWindow : public ProgramWindow
{
    Q_OBJECT
public:
    explicit LearningRecordWindow(QWidget *parent = nullptr);

    void onLoad() override;
    void onUnload() override;
    void onActivate() override;

    const LearningRecord::Summary &summary() const { return m_summary; }
    QLineEdit *answersBox() const { return m_answersBox; }
    QLineEdit *rightBox() const { return m_rightBox; }
    QLineEdit *rateBox() const { return m_rateBox; }
    QLineEdit *daysBox() const { return m_daysBox; }
    QLineEdit *notebookBox() const { return m_notebookBox; }
    QTableView *categoryTable() const { return m_categoryTable; }
    QPushButton *practiseButton() const { return m_practiseButton; }
    QPushButton *clearButton() const { return m_clearButton; }

    // Reads the record and shows it; unless forced, only when the bank or
    // the day has changed since the last reading.
    void recompute(bool force = false);
    // "练习错题": the practice window on the notebook's questions.
    void practiseNotebook();
    // "清除记录": every row of the record deleted, after the question.
    void clearRecord();

private:
    void showSummary();

    LearningRecord::Reader m_reader;
    LearningRecord::Summary m_summary;
    bool m_readFailed = false;
    QLineEdit *m_answersBox = nullptr;
    QLineEdit *m_rightBox = nullptr;
    QLineEdit *m_rateBox = nullptr;
    QLineEdit *m_daysBox = nullptr;
    QLineEdit *m_notebookBox = nullptr;
    QTableView *m_categoryTable = nullptr;
    CategoryRateChart *m_categoryChart = nullptr;
    DailyChart *m_dailyChart = nullptr;
    QPushButton *m_practiseButton = nullptr;
    QPushButton *m_clearButton = nullptr;
};
