#include "formbase.h"

#include "windowregistry.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>

#include "look.h"

FormBase::FormBase(const QString &formName, QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(formName);
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void FormBase::setClientSizeTwips(int width, int height)
{
    setFixedSize(Look::twips(width), Look::twips(height));
}

void FormBase::closeEvent(QCloseEvent *event)
{
    // The close box unloads the window; the registry hides and destroys it.
    event->ignore();
    WindowRegistry::instance().unload(objectName());
}

bool FormBase::event(QEvent *event)
{
    if (event->type() == QEvent::WindowActivate && WindowRegistry::instance().noteActivated(this))
        Form_Activate();
    return QWidget::event(event);
}

void FormBase::showEvent(QShowEvent *event)
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
