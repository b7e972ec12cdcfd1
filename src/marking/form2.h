#pragma once

#include "formbase.h"

class QLineEdit;
class QPushButton;
class QuestionCursor;

// The marking window: counts the right and wrong answers of the whole bank
// with a cursor of its own, shows the counts, their sum and the rate, and
// comments on the rate. From here the user goes back to the practice window,
// either on the wrongly answered questions or as it was.
class Form2 : public FormBase
{
    Q_OBJECT
public:
    explicit Form2(QWidget *parent = nullptr);

    void Form_Load() override;
    void Form_Unload() override;
    void Form_Activate() override;

    QuestionCursor *Adodc1() const { return m_cursor; }
    QLineEdit *Text5() const { return m_text5; }
    QLineEdit *Text6() const { return m_text6; }
    QLineEdit *Text7() const { return m_text7; }
    QLineEdit *Text8() const { return m_text8; }
    QPushButton *button(const QString &name) const;

    void Command6_Click();
    void Command14_Click();
    void Command1_Click();
    void Command2_Click();

private:
    bool countRows(const char *queryText, qint32 *count);
    void showForm1();

    QuestionCursor *m_cursor = nullptr;
    QPushButton *m_command14 = nullptr;
    QLineEdit *m_text5 = nullptr;
    QLineEdit *m_text6 = nullptr;
    QLineEdit *m_text7 = nullptr;
    QLineEdit *m_text8 = nullptr;
};
