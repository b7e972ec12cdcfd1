#pragma once

#include <QWidget>

// A top-level window of the program, reached by its name through the
// WindowRegistry. Subclasses put their load, unload and activate handling in
// the three handlers; the close box unloads the window.
class ProgramWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ProgramWindow(const QString &windowName, QWidget *parent = nullptr);

    QString windowName() const { return objectName(); }

    // A control of the window's form, by its object name; a form that lacks
    // it is a programming error found at the first start.
    template<typename T>
    T *control(const QString &objectName) const
    {
        T *found = findChild<T *>(objectName);
        if (!found)
            missingControl(objectName);
        return found;
    }

    virtual void onLoad() {}
    virtual void onUnload() {}
    virtual void onActivate() {}

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    [[noreturn]] void missingControl(const QString &objectName) const;

    bool m_centred = false;
};
