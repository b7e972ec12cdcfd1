#pragma once

#include "programwindow.h"

#include <QHash>
#include <QPointer>
#include <QRect>

class QTabWidget;

// The operation guide: four pages of fixed help text on choosing questions,
// answering and marking, composing papers and correcting the bank.
class GuideWindow : public ProgramWindow
{
    Q_OBJECT
public:
    explicit GuideWindow(QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }

    void leave();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void followPageOrigin();

    QTabWidget *m_tabs = nullptr;
    // Where the form puts each control of a page, measured from the tab
    // container's corner.
    QHash<QWidget *, QRect> m_tabPositions;
};
