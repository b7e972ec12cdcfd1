#pragma once

#include "programwindow.h"

class QLineEdit;
class QPushButton;
class QuestionCursor;

// The marking window: counts the right and wrong answers of the whole bank
// with a cursor of its own, shows the counts, their sum and the rate, and
// comments on the rate. From here the user goes back to the practice window,
// either on the wrongly answered questions or as it was.
class MarkingWindow : public ProgramWindow
{
    Q_OBJECT
public:
    explicit MarkingWindow(QWidget *parent = nullptr);

    void onLoad() override;
    void onUnload() override;
    void onActivate() override;

    QuestionCursor *cursor() const { return m_cursor; }
    QLineEdit *rightBox() const { return m_rightBox; }
    QLineEdit *wrongBox() const { return m_wrongBox; }
    QLineEdit *rateBox() const { return m_rateBox; }
    QLineEdit *totalBox() const { return m_totalBox; }
    QPushButton *button(const QString &name) const;

    void markWork();
    void showWrongAnswers();
    void continuePractice();
    void leave();

private:
    bool countRows(const char *queryText, qint32 *count);
    void showPracticeWindow();

    QuestionCursor *m_cursor = nullptr;
    QPushButton *m_reviewButton = nullptr;
    QLineEdit *m_rightBox = nullptr;
    QLineEdit *m_wrongBox = nullptr;
    QLineEdit *m_rateBox = nullptr;
    QLineEdit *m_totalBox = nullptr;
};
