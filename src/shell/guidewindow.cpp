#include "guidewindow.h"

#include "ui_guidewindow.h"
#include "windowstyle.h"
#include "windowregistry.h"

#include <QEvent>
#include <QGroupBox>
#include <QPushButton>
#include <QStackedWidget>
#include <QTabWidget>

GuideWindow::GuideWindow(QWidget *parent)
    : ProgramWindow(QStringLiteral("Form6"), parent)
{
    Ui::GuideWindow().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);

    m_tabs = control<QTabWidget>(QStringLiteral("SSTab1"));
    // The form places the texts of the pages from the tab container's corner,
    // tab row included; the pages themselves start below the tab row.
    for (int i = 0; i < m_tabs->count(); ++i) {
        for (QWidget *widget : m_tabs->widget(i)->findChildren<QWidget *>(Qt::FindDirectChildrenOnly))
            m_tabPositions.insert(widget, widget->geometry());
    }

    // One exit for every page, at the free end of the tab row: the pages
    // fill the window and leave no room below them.
    auto *exitButton = control<QPushButton>(QStringLiteral("Command5"));
    m_tabs->setCornerWidget(exitButton, Qt::TopRightCorner);
    exitButton->show(); // moving it into the corner hid it
    connect(exitButton, &QPushButton::clicked, this, &GuideWindow::leave);

    if (auto *stack = m_tabs->findChild<QStackedWidget *>())
        stack->installEventFilter(this);
    m_tabs->setCurrentIndex(0);
}

void GuideWindow::leave()
{
    WindowRegistry::instance().unload(objectName());
}

void GuideWindow::followPageOrigin()
{
    for (auto it = m_tabPositions.cbegin(); it != m_tabPositions.cend(); ++it) {
        QWidget *widget = it.key();
        const QPoint origin = widget->parentWidget()->mapTo(m_tabs, QPoint(0, 0));
        widget->setGeometry(it.value().translated(-origin));
    }
}

bool GuideWindow::eventFilter(QObject *watched, QEvent *event)
{
    // The page area moves when the tab row is laid out (on showing, or when
    // the font or style changes).
    if (event->type() == QEvent::Move || event->type() == QEvent::Resize)
        followPageOrigin();
    return ProgramWindow::eventFilter(watched, event);
}
