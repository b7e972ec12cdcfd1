#pragma once

#include "paper.h"
#include "paperprinting.h"
#include "programwindow.h"
#include "randomdraw.h"

#include <QFont>

#include <functional>

class QComboBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QuestionCursor;

// The composition window: an intelligent paper drawn at random through the
// practice window's cursor (page 0), a manual paper put together with this
// window's own cursor (page 1), and a help page (page 2). Each paper is
// saved by its own save window.
class CompositionWindow : public ProgramWindow
{
    Q_OBJECT
public:
    // What the composition needs of the practice window: its question cursor
    // (nullptr when that window is not loaded), through which the random
    // paper fetches its questions, and its return to the whole bank.
    struct PracticeLink
    {
        std::function<QuestionCursor *()> cursor;
        std::function<void()> showWholeBank;
    };

    explicit CompositionWindow(PracticeLink practice, QWidget *parent = nullptr);

    void onLoad() override;
    void onUnload() override;

    // The two papers as their boxes hold them now (the user may have edited them).
    PaperBuffers randomPaper() const;
    PaperBuffers manualPaper() const;

    QTabWidget *tabs() const { return m_tabs; }
    QPushButton *button(const QString &name) const;

    // Intelligent page.
    QLineEdit *countBox() const { return m_countBox; }
    QLineEdit *bankSizeBox() const { return m_bankSizeBox; }
    QPlainTextEdit *paperBox() const { return m_paperBox; }
    QPlainTextEdit *paperAnswerBox() const { return m_paperAnswerBox; }
    QLineEdit *bankSizeShown() const { return m_bankSizeShown; }

    // Manual page.
    QuestionCursor *cursor() const { return m_cursor; }
    QPlainTextEdit *browseBox() const { return m_browseBox; }
    QPlainTextEdit *manualPaperBox() const { return m_manualPaperBox; }
    QPlainTextEdit *manualAnswerBox() const { return m_manualAnswerBox; }
    QLineEdit *browsePositionBox() const { return m_browsePositionBox; }
    QLineEdit *browseCategoryBox() const { return m_browseCategoryBox; }
    QLineEdit *manualCountBox() const { return m_manualCountBox; }
    QLineEdit *browseAnswerBox() const { return m_browseAnswerBox; }
    QComboBox *browseCategoryList() const { return m_browseCategoryList; }

    // Where the random numbers of each composition come from; by default a
    // generator seeded from the clock, made afresh for every click.
    void setUniformSourceFactory(std::function<RandomDraw::UniformSource()> factory);

    // Printing and PDF export of both pages; its dialogs may be replaced.
    PaperPrinting &printing() { return m_printing; }

    void composeRandomPaper();
    void saveRandomPaper();
    void returnToWholeBank();
    void hideToPractice();
    void browseFirst();
    void browseLast();
    void browsePrevious();
    void browseNext();
    void addToManualPaper();
    void saveManualPaper();
    void closeToPractice();
    void onBrowseCategoryPicked(int index);
    void onCountEntered();
    void printRandomPaper();
    void exportRandomPaper();
    void printManualPaper();
    void exportManualPaper();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void bindRandomPage();
    void bindManualPage();
    void reselectCountBox();
    void fitBankSizeBox();
    void refreshCounter();
    void showPracticeWindowIfLoaded();

    QTabWidget *m_tabs = nullptr;
    QLineEdit *m_countBox = nullptr;
    QLineEdit *m_bankSizeBox = nullptr;
    QPlainTextEdit *m_paperBox = nullptr;
    QPlainTextEdit *m_paperAnswerBox = nullptr;
    QLineEdit *m_bankSizeCaption = nullptr;
    QFont m_bankSizeCaptionFont;
    QLineEdit *m_bankSizeShown = nullptr;
    QPushButton *m_composeButton = nullptr;

    QuestionCursor *m_cursor = nullptr;
    QPlainTextEdit *m_browseBox = nullptr;
    QPlainTextEdit *m_manualPaperBox = nullptr;
    QPlainTextEdit *m_manualAnswerBox = nullptr;
    QLineEdit *m_browsePositionBox = nullptr;
    QLineEdit *m_browseCategoryBox = nullptr;
    QLineEdit *m_manualCountBox = nullptr;
    QLineEdit *m_browseAnswerBox = nullptr;
    QComboBox *m_browseCategoryList = nullptr;
    qint32 m_position = 1; // p: counts moves, not derived from the cursor
    qint32 m_total = 0;    // m: the record count of the page's cursor

    std::function<RandomDraw::UniformSource()> m_uniformSourceFactory;
    PracticeLink m_practice;
    PaperPrinting m_printing;
};
