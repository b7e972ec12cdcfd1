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

    // Client area in twips, centred on the screen when first shown.
    void setClientSizeTwips(int width, int height);

    virtual void onLoad() {}
    virtual void onUnload() {}
    virtual void onActivate() {}

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool m_centred = false;
};
