#pragma once

#include "programwindow.h"

#include <QPointer>
#include <QVariant>

class PracticeWindow;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QuestionCursor;

// The explanation (解析) of the practice window's current question, in a
// window of its own that follows every change of that window's row. It
// keeps the explanation to itself until the question has a pick or its
// answer is shown. "修改解析" makes the box editable; what is typed goes into
// the bank's table jx with the row, when the practice window leaves it.
class ExplanationWindow : public ProgramWindow
{
    Q_OBJECT
public:
    explicit ExplanationWindow(PracticeWindow *practice, QWidget *parent = nullptr);

    QLabel *headingLabel() const { return m_heading; }
    QPlainTextEdit *explanationBox() const { return m_box; }
    bool isEditing() const { return m_editing; }

    // The box shows the explanation itself, editable, and takes the focus.
    void startEditing();

    // Shows the practice window's current row; run on every change of it.
    void followCurrentRow();

    void onLoad() override;
    void onUnload() override;

    // The key of the explanation among the cursor's side writes.
    static QString sideWriteKey();

protected:
    void showEvent(QShowEvent *event) override;

private:
    void showHeading();
    void showExplanation();
    bool answerRevealed() const;
    void handOver();
    void endEditingAfterNext();
    void fillForEditing();
    void setBoxEditable(bool editable);
    void setBoxText(const QString &text);

    QPointer<PracticeWindow> m_practice;
    QPointer<QuestionCursor> m_cursor;
    QPointer<QPushButton> m_showAnswerButton;
    QLabel *m_heading = nullptr;
    QPlainTextEdit *m_box = nullptr;
    bool m_hasRow = false; // the practice window stands on a row
    QVariant m_number;     // its 题号
    QString m_loaded;      // its explanation, stored or pending; empty when it has none
    QString m_typedFrom;   // while editing: the box's text when the row was filled or last handed over
    bool m_editing = false;
    bool m_placed = false;
};
