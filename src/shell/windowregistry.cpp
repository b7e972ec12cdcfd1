#include "windowregistry.h"

#include "programwindow.h"

#include <QApplication>
#include <QTimer>

WindowRegistry &WindowRegistry::instance()
{
    static WindowRegistry registry;
    return registry;
}

void WindowRegistry::registerWindow(const QString &name, Factory factory)
{
    m_factories.insert(name, std::move(factory));
}

QStringList WindowRegistry::registeredNames() const
{
    QStringList names = m_factories.keys();
    names.sort();
    return names;
}

ProgramWindow *WindowRegistry::load(const QString &name)
{
    if (ProgramWindow *existing = find(name))
        return existing;
    const auto factory = m_factories.constFind(name);
    if (factory == m_factories.cend())
        return nullptr;
    ProgramWindow *form = (*factory)();
    form->setObjectName(name);
    m_loaded.insert(name, form);
    m_ended = false;
    form->onLoad();
    return form;
}

ProgramWindow *WindowRegistry::show(const QString &name)
{
    ProgramWindow *form = load(name);
    if (!form)
        return nullptr;
    form->show();
    form->raise();
    form->activateWindow();
    return form;
}

void WindowRegistry::hide(const QString &name)
{
    if (ProgramWindow *form = find(name)) {
        form->hide();
        afterUnloadOrHide();
    }
}

void WindowRegistry::unload(const QString &name)
{
    ProgramWindow *form = find(name);
    if (!form || m_unloading.contains(name))
        return;
    m_unloading << name;
    form->onUnload();
    m_unloading.removeOne(name);
    m_loaded.remove(name);
    form->hide();
    form->deleteLater();
    afterUnloadOrHide();
}

bool WindowRegistry::isLoaded(const QString &name) const
{
    return find(name) != nullptr;
}

ProgramWindow *WindowRegistry::find(const QString &name) const
{
    const auto it = m_loaded.constFind(name);
    return it == m_loaded.cend() ? nullptr : it->data();
}

QStringList WindowRegistry::loadedNames() const
{
    QStringList names;
    for (auto it = m_loaded.cbegin(); it != m_loaded.cend(); ++it) {
        if (it.value())
            names << it.key();
    }
    return names;
}

void WindowRegistry::setOnEmpty(std::function<void()> onEmpty)
{
    m_onEmpty = std::move(onEmpty);
}

bool WindowRegistry::noteActivated(ProgramWindow *form)
{
    const bool fromElsewhere = m_lastActive != form;
    m_lastActive = form;
    return fromElsewhere;
}

void WindowRegistry::afterUnloadOrHide()
{
    if (m_ended)
        return;
    if (!m_mainWindow.isEmpty() && !isLoaded(m_mainWindow) && !loadedNames().isEmpty()) {
        bool anyVisible = false;
        for (const QString &name : loadedNames())
            anyVisible = anyVisible || find(name)->isVisible();
        if (!anyVisible) {
            // Hidden windows alone would keep the program running unseen.
            for (const QString &name : loadedNames())
                unload(name);
            return;
        }
    }
    if (!loadedNames().isEmpty())
        return;
    m_ended = true;
    if (m_onEmpty)
        m_onEmpty();
    else
        QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
}

void WindowRegistry::reset()
{
    const auto onEmpty = std::move(m_onEmpty);
    m_onEmpty = [] {};
    // Unloading one window may show another (PracticeWindow shows its farewell).
    while (!loadedNames().isEmpty()) {
        for (const QString &name : loadedNames())
            unload(name);
    }
    m_onEmpty = onEmpty;
    m_ended = false;
    m_lastActive = nullptr;
}
