#include "farewellsplash.h"

#include "ui_farewellsplash.h"
#include "windowstyle.h"
#include "windowregistry.h"

#include <QEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QTimer>

FarewellSplash::FarewellSplash(QWidget *parent)
    : ProgramWindow(QStringLiteral("frmSplash"), parent)
{
    Ui::FarewellSplash().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    m_thanksLabel = control<QLabel>(QStringLiteral("Label1"));
    m_mottoLabel = control<QLabel>(QStringLiteral("Label3"));
    m_thanksLabel->installEventFilter(this);
    m_mottoLabel->installEventFilter(this);

    m_endTimer = new QTimer(this);
    m_endTimer->setObjectName(QStringLiteral("Timer1"));
    m_endTimer->setInterval(2000);
    m_endTimer->setSingleShot(true);
    connect(m_endTimer, &QTimer::timeout, this, &FarewellSplash::endProgram);
}

void FarewellSplash::onLoad()
{
    m_endTimer->start();
}

void FarewellSplash::onUnload()
{
    m_endTimer->stop(); // the timer stops with the window
}

void FarewellSplash::endProgram()
{
    WindowRegistry &registry = WindowRegistry::instance();
    const QString order[] = {QStringLiteral("Form1"), QStringLiteral("frmSplash"), QStringLiteral("Form2"),
                             QStringLiteral("Form3"), QStringLiteral("Form4"), QStringLiteral("Form5"),
                             QStringLiteral("Form6"), QStringLiteral("frmAbout"), QStringLiteral("frmExplain"),
                             QStringLiteral("frmRecord"), QStringLiteral("frmImport")};
    for (const QString &name : order)
        registry.unload(name);
}

void FarewellSplash::onBackgroundClick()
{
    WindowRegistry::instance().unload(objectName());
}

void FarewellSplash::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        onBackgroundClick();
}

bool FarewellSplash::eventFilter(QObject *watched, QEvent *event)
{
    // A click on either text closes the farewell window like one on its background.
    if (event->type() == QEvent::MouseButtonPress && (watched == m_thanksLabel || watched == m_mottoLabel)) {
        onBackgroundClick();
        return true;
    }
    return ProgramWindow::eventFilter(watched, event);
}
