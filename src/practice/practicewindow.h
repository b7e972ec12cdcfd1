#pragma once

#include "programwindow.h"

class QButtonGroup;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QMenuBar;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QuestionCursor;
class QAction;

// The practice window: one question of the current set at a time, the pick
// A–D marked in the bank at once, the answer shown or hidden, the four
// navigation buttons, the category list, the menu, and the exit.
class PracticeWindow : public ProgramWindow
{
    Q_OBJECT
public:
    explicit PracticeWindow(QWidget *parent = nullptr);

    void onLoad() override;
    void onUnload() override;

    // Replaces the cursor's query, shows its first row and restarts the counter.
    void showQuestionSet(const QString &queryText);
    // The whole bank again, in list order (the return from the composition window).
    void showWholeBank();
    // After questions were imported: the category list re-read from the
    // catalogue, then the whole bank.
    void showImportedBank();
    // Leaves the current row and comes back, so that a pick or an edit is in the bank.
    void storeCurrentRow();

    // Every marked row back to 0 and "E" (run when the program is left), all
    // or none; a bank that cannot be written is told once.
    void resetMarks();

    QuestionCursor *cursor() const { return m_cursor; }
    QPlainTextEdit *questionBox() const { return m_questionBox; }
    QLineEdit *positionBox() const { return m_positionBox; }
    QLineEdit *answerBox() const { return m_answerBox; }
    QLineEdit *categoryBox() const { return m_categoryBox; }
    QLineEdit *currentNumberBox() const { return m_currentNumberBox; }
    QLineEdit *totalBox() const { return m_totalBox; }
    QComboBox *categoryList() const { return m_categoryList; }
    QRadioButton *optionButton(int index) const;
    QPushButton *button(const QString &name) const;
    QAction *menuAction(const QString &name) const;

    // The handlers, named after their controls.
    void toggleAnswer();
    void showFirstQuestion();
    void showPreviousQuestion();
    void showNextQuestion();
    void showLastQuestion();
    void openMarking();
    void openComposition();
    void confirmExit();
    void openGuide();
    void openCompositionFirstPage();
    void openAbout();
    void openLearningRecord();
    void editQuestion();
    void editAnswer();
    void editExplanation();
    QWidget *openExplanation();
    void onOptionPicked(int index);
    void onCategoryPicked(int index);
    void onCategoryChanged();

signals:
    // A pick has been marked on the current row (once per user action).
    void pickRecorded();

private:
    void connectOptions();
    void bindControls();
    void buildMenu(QMenuBar *menu);
    bool contentGuard(const QString &message, const QString &title);
    void refreshPositionText();
    void restoreOptions();
    void selectOption(int index);
    void markPick(bool byUser);
    void clearOptions();
    void setBoxesLocked(bool locked);
    void applyAnswerColours(bool shown);
    qint32 counter(QLineEdit *box) const;

    QuestionCursor *m_cursor = nullptr;
    QPlainTextEdit *m_questionBox = nullptr;
    QLineEdit *m_positionBox = nullptr;
    QLineEdit *m_answerBox = nullptr;
    QLineEdit *m_categoryBox = nullptr;
    QLineEdit *m_currentNumberBox = nullptr;
    QLineEdit *m_totalBox = nullptr;
    QComboBox *m_categoryList = nullptr;
    QButtonGroup *m_options = nullptr;
    QPushButton *m_showAnswerButton = nullptr;
    bool m_resetFailed = false;
    bool m_pickHandled = false; // the current press has already been handled by its toggle
};
