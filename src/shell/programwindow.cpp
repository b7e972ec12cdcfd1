#include "programwindow.h"

#include "windowregistry.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

ProgramWindow::ProgramWindow(const QString &windowName, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(windowName);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void ProgramWindow::missingControl(const QString &objectName) const
{
    qFatal("%s: the form has no control %s", qPrintable(this->objectName()), qPrintable(objectName));
}

void ProgramWindow::closeEvent(QCloseEvent *event)
{
    // The close box unloads the window; the registry hides and destroys it.
    event->ignore();
    WindowRegistry::instance().unload(objectName());
}

bool ProgramWindow::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && WindowRegistry::instance().noteActivated(this))
        onActivate();
    return QWidget::event(event);
}

void ProgramWindow::showEvent(QShowEvent *event)
{
    if (!m_centred) {
        m_centred = true;
        if (QScreen *screen = QGuiApplication::primaryScreen()) {
            const QRect area = screen->availableGeometry();
            move(area.center() - rect().center());
        }
    }
    QWidget::showEvent(event);
}
