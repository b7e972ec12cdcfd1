#pragma once

#include <QHash>
#include <QPointer>
#include <QString>
#include <QStringList>

#include <functional>

class FormBase;

// Every window by its name, with load / show / hide / unload: a window is
// created (and its Form_Load run) when first loaded or shown; hiding keeps its
// state; unloading runs Form_Unload at once and destroys the object later, so
// that a handler that unloads its own window goes on to its end. The program
// ends when no window is loaded any more.
class WindowRegistry
{
public:
    using Factory = std::function<FormBase *()>;

    static WindowRegistry &instance();

    void registerForm(const QString &name, Factory factory);

    FormBase *load(const QString &name);
    FormBase *show(const QString &name);
    void hide(const QString &name);
    void unload(const QString &name);

    bool isLoaded(const QString &name) const;
    FormBase *find(const QString &name) const; // nullptr when not loaded
    QStringList loadedNames() const;

    template<typename T>
    T *form(const QString &name) { return qobject_cast<T *>(load(name)); }
    template<typename T>
    T *findForm(const QString &name) const { return qobject_cast<T *>(find(name)); }

    // What happens when no window is left: quits the application unless
    // replaced (tests record it instead).
    void setOnEmpty(std::function<void()> onEmpty);

    // The main window: once it is gone and no loaded window is visible, the
    // rest is unloaded and the program ends, so it never lingers unseen.
    void setMainForm(const QString &name) { m_mainForm = name; }

    // Called by FormBase when a window becomes active; true when the previous
    // active window of the program was another one (a message box returning
    // focus to its own window does not count).
    bool noteActivated(FormBase *form);

    // Tests: unload everything without running the end-of-program action.
    void reset();

private:
    WindowRegistry() = default;
    void afterUnloadOrHide();

    QHash<QString, Factory> m_factories;
    QHash<QString, QPointer<FormBase>> m_loaded;
    QStringList m_unloading;
    QPointer<FormBase> m_lastActive;
    QString m_mainForm;
    std::function<void()> m_onEmpty;
    bool m_ended = false;
};
