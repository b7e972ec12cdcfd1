#pragma once

#include "programwindow.h"

class QLabel;
class QTimer;

// The farewell window: thanks the user, and two seconds after it was loaded
// its timer unloads every window, which ends the program.
class FarewellSplash : public ProgramWindow
{
    Q_OBJECT
public:
    explicit FarewellSplash(QWidget *parent = nullptr);

    void onLoad() override;
    void onUnload() override;
    void endProgram();
    void onBackgroundClick();

    QTimer *endTimer() const { return m_endTimer; }

protected:
    void mousePressEvent(QMouseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLabel *m_thanksLabel = nullptr;
    QLabel *m_mottoLabel = nullptr;
    QTimer *m_endTimer = nullptr;
};
