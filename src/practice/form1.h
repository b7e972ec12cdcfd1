#pragma once

#include "formbase.h"

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
class Form1 : public FormBase
{
    Q_OBJECT
public:
    explicit Form1(QWidget *parent = nullptr);

    void Form_Load() override;
    void Form_Unload() override;

    // Replaces the cursor's query, shows its first row and restarts the counter.
    void ShowQuestionSet(const QString &queryText);

    // Every marked row back to 0 and "E" (run when the program is left), all
    // or none; a bank that cannot be written is told once.
    void resetMarks();

    QuestionCursor *Adodc1() const { return m_cursor; }
    QPlainTextEdit *Text1() const { return m_text1; }
    QLineEdit *Text2() const { return m_text2; }
    QLineEdit *Text3() const { return m_text3; }
    QLineEdit *Text6() const { return m_text6; }
    QLineEdit *Text7() const { return m_text7; }
    QLineEdit *Text8() const { return m_text8; }
    QComboBox *Combo1() const { return m_combo1; }
    QRadioButton *Option1(int index) const;
    QPushButton *button(const QString &name) const;
    QAction *menuAction(const QString &name) const;

    // The handlers, named after their controls.
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void ZJ_Click();
    void ABOUT_Click();
    void XGST_Click();
    void XGDA_Click();
    void Option1_Click(int index);
    void Combo1_Click(int index);
    void Text6_Change();

private:
    void buildControls(QWidget *client);
    void buildMenu(QMenuBar *menu);
    bool contentGuard(const QString &message, const QString &title);
    void refreshPositionText();
    void restoreOptions();
    void selectOption(int index);
    void clearOptions();
    void storeCurrentRow();
    void setBoxesLocked(bool locked);
    void applyAnswerColours(bool shown);
    qint32 counter(QLineEdit *box) const;

    QuestionCursor *m_cursor = nullptr;
    QPlainTextEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QLineEdit *m_text3 = nullptr;
    QLineEdit *m_text6 = nullptr;
    QLineEdit *m_text7 = nullptr;
    QLineEdit *m_text8 = nullptr;
    QComboBox *m_combo1 = nullptr;
    QButtonGroup *m_options = nullptr;
    QPushButton *m_command1 = nullptr;
    bool m_resetFailed = false;
};
