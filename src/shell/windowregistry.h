#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class ProgramWindow;

// Every window by its name, with load / show / hide / unload: a window is
// created (and its onLoad run) when first loaded or shown; hiding keeps its
// state; unloading runs onUnload at once and destroys the object later, so
// that a handler that unloads its own window goes on to its end. The program
// ends when no window is loaded any more.
class WindowRegistry
{
public:
    using Factory = std::function<ProgramWindow *()>;

    static WindowRegistry &instance();

    void registerWindow(const QString &name, Factory factory);
    // Every window that can be loaded, by name, sorted.
    QStringList registeredNames() const;

    ProgramWindow *load(const QString &name);
    ProgramWindow *show(const QString &name);
    void hide(const QString &name);
    void unload(const QString &name);

    bool isLoaded(const QString &name) const;
    ProgramWindow *find(const QString &name) const; // nullptr when not loaded
    QStringList loadedNames() const;

    template<typename T>
    T *window(const QString &name) { return qobject_cast<T *>(load(name)); }
    template<typename T>
    T *findWindow(const QString &name) const { return qobject_cast<T *>(find(name)); }

    // What happens when no window is left: quits the application unless
    // replaced (tests record it instead).
    void setOnEmpty(std::function<void()> onEmpty);

    // The main window: once it is gone and no loaded window is visible, the
    // rest is unloaded and the program ends, so it never lingers unseen.
    void setMainWindow(const QString &name) { m_mainWindow = name; }

    // Called by ProgramWindow when a window becomes active; true when the previous
    // active window of the program was another one (a message box returning
    // focus to its own window does not count).
    bool noteActivated(ProgramWindow *form);

    // Tests: unload everything without running the end-of-program action.
    void reset();

private:
    WindowRegistry() = default;
    void afterUnloadOrHide();

    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<ProgramWindow>> m_loaded;
    QStringList m_unloading;
    QPointer<ProgramWindow> m_lastActive;
    QString m_mainWindow;
    std::function<void()> m_onEmpty;
    bool m_ended = false;
};
