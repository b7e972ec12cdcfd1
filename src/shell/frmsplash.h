#pragma once

#include "formbase.h"

class QLabel;
class QTimer;

// The farewell window: thanks the user, and two seconds after it was loaded
// its timer unloads every window, which ends the program.
class frmSplash : public FormBase
{
    Q_OBJECT
public:
    explicit frmSplash(QWidget *parent = nullptr);

    void Form_Load() override;
    void Form_Unload() override;
    void Timer1_Timer();
    void Form_Click();

    QTimer *Timer1() const { return m_timer1; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_label1 = nullptr;
    QLabel *m_label3 = nullptr;
    QTimer *m_timer1 = nullptr;
};
