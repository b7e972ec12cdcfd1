#pragma once

#include "formbase.h"
#include "randomdraw.h"

#include <QFont>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QuestionCursor;

// The composition window: an intelligent paper drawn at random through the
// practice window's cursor (page 0), a manual paper put together with this
// window's own cursor (page 1), and a help page (page 2). Each paper is
// saved by its own save window (Form4, Form5).
class Form3 : public FormBase
{
    Q_OBJECT
public:
    explicit Form3(QWidget *parent = nullptr);

    void Form_Load() override;
    void Form_Unload() override;

    QTabWidget *SSTab1() const { return m_tabs; }
    QPushButton *button(const QString &name) const;

    // Intelligent page.
    QLineEdit *Text1() const { return m_text1; }
    QLineEdit *Text2() const { return m_text2; }
    QPlainTextEdit *Text3() const { return m_text3; }
    QPlainTextEdit *Text4() const { return m_text4; }
    QLineEdit *Text8() const { return m_text8; }

    // Manual page.
    QuestionCursor *Adodc1() const { return m_cursor; }
    QPlainTextEdit *Text9() const { return m_text9; }
    QPlainTextEdit *Text10() const { return m_text10; }
    QPlainTextEdit *Text11() const { return m_text11; }
    QLineEdit *Text13() const { return m_text13; }
    QLineEdit *Text14() const { return m_text14; }
    QLineEdit *Text15() const { return m_text15; }
    QLineEdit *Text16() const { return m_text16; }
    QComboBox *Combo1() const { return m_combo1; }

    // Where the random numbers of each composition come from; by default a
    // generator seeded from the clock, made afresh for every click.
    void setUniformSourceFactory(std::function<RandomDraw::UniformSource()> factory);

    void Command20_Click();
    void Command2_Click();
    void Command1_Click();
    void Command10_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();
    void Command8_Click();
    void Command9_Click();
    void Combo1_Click(int index);
    void Text1_KeyPress();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void buildIntelligentPage(QWidget *page);
    void buildManualPage(QWidget *page);
    void buildHelpPage(QWidget *page);
    void reselectCountBox();
    void fitBankSizeBox();
    void refreshCounter();
    void showPracticeWindowIfLoaded();

    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_text1 = nullptr;
    QLineEdit *m_text2 = nullptr;
    QPlainTextEdit *m_text3 = nullptr;
    QPlainTextEdit *m_text4 = nullptr;
    QLineEdit *m_text6 = nullptr;
    QFont m_text6Font;
    QLineEdit *m_text8 = nullptr;
    QPushButton *m_command20 = nullptr;

    QuestionCursor *m_cursor = nullptr;
    QPlainTextEdit *m_text9 = nullptr;
    QPlainTextEdit *m_text10 = nullptr;
    QPlainTextEdit *m_text11 = nullptr;
    QLineEdit *m_text13 = nullptr;
    QLineEdit *m_text14 = nullptr;
    QLineEdit *m_text15 = nullptr;
    QLineEdit *m_text16 = nullptr;
    QComboBox *m_combo1 = nullptr;
    qint32 m_position = 1; // p: counts moves, not derived from the cursor
    qint32 m_total = 0;    // m: the record count of the page's cursor

    std::function<RandomDraw::UniformSource()> m_uniformSourceFactory;
};
