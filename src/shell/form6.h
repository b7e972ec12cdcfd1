#pragma once

#include "formbase.h"

#include <QHash>
#include <QPointer>
#include <QRect>

class QTabWidget;

// The operation guide: four pages of fixed help text on choosing questions,
// answering and marking, composing papers and correcting the bank.
class Form6 : public FormBase
{
    Q_OBJECT
public:
    explicit Form6(QWidget *parent = nullptr);

    QTabWidget *SSTab1() const { return m_tabs; }

    void Command5_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void placeOnTab(QWidget *widget, const QRect &twipsRect);
    void followPageOrigin();

    QTabWidget *m_tabs = nullptr;
    // Controls on the pages keep positions measured from the tab container's
    // corner, tab row included; the pages themselves start below the tab row.
    QHash<QWidget *, QRect> m_tabPositions;
};
