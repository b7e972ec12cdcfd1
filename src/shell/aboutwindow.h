#pragma once

#include "programwindow.h"

#include <QPixmap>

class QPushButton;

// The about window: the program's emblem, title and version, what it does,
// and a short warning. Its button, Enter, Esc, the close box and a click on
// the free background close it.
class AboutWindow : public ProgramWindow
{
    Q_OBJECT
public:
    explicit AboutWindow(QWidget *parent = nullptr);

    QPushButton *closeButton() const { return m_closeButton; }

    void leave();
    void onBackgroundClick();

    // The emblem shown at the top left: a marked answer sheet, 65 × 66 pixels.
    static QPixmap emblem();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *m_closeButton = nullptr;
    bool m_backgroundPressed = false;
};
