#pragma once

#include <QWidget>

// A top-level window of the program, reached by its name through the
// WindowRegistry. Subclasses put their load, unload and activate handling in
// the three handlers; the close box unloads the window.
class FormBase : public QWidget
{
    Q_OBJECT
public:
    explicit FormBase(const QString &formName, QWidget *parent = nullptr);

    QString formName() const { return objectName(); }

    // Client area in twips, centred on the screen when first shown.
    void setClientSizeTwips(int width, int height);

    virtual void Form_Load() {}
    virtual void Form_Unload() {}
    virtual void Form_Activate() {}

protected:
    void closeEvent(QCloseEvent *event) override;
    bool event(QEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    bool m_centred = false;
};
