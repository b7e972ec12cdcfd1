#include "allwindows.h"

#include "practicewindow.h"
#include "explanationwindow.h"
#include "markingwindow.h"
#include "learningrecordwindow.h"
#include "guidewindow.h"
#include "aboutwindow.h"
#include "compositionwindow.h"
#include "farewellsplash.h"
#include "papersavewindow.h"
#include "questioncursor.h"
#include "questionimportwindow.h"
#include "windowregistry.h"

void registerAllWindows()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.registerWindow(QStringLiteral("Form1"), [] { return new PracticeWindow; });
    registry.registerWindow(QStringLiteral("Form2"), [] { return new MarkingWindow; });
    registry.registerWindow(QStringLiteral("Form6"), [] { return new GuideWindow; });
    registry.registerWindow(QStringLiteral("frmAbout"), [] { return new AboutWindow; });
    registry.registerWindow(QStringLiteral("frmRecord"), [] { return new LearningRecordWindow; });
    registry.registerWindow(QStringLiteral("Form3"), [] {
        const auto practice = [] {
            return WindowRegistry::instance().findWindow<PracticeWindow>(QStringLiteral("Form1"));
        };
        return new CompositionWindow({[practice] { return practice() ? practice()->cursor() : nullptr; },
                                      [practice] {
                                          if (PracticeWindow *window = practice())
                                              window->showWholeBank();
                                      }});
    });
    // Each save window reads only its paper, from the composition window
    // while that is open.
    const auto paperOf = [](PaperBuffers (CompositionWindow::*paper)() const) {
        return [paper]() -> std::optional<PaperBuffers> {
            if (auto *composition = WindowRegistry::instance().findWindow<CompositionWindow>(QStringLiteral("Form3")))
                return (composition->*paper)();
            return std::nullopt;
        };
    };
    registry.registerWindow(QStringLiteral("Form4"), [paperOf] {
        return new PaperSaveWindow(QStringLiteral("Form4"), PaperSaveWindow::PaperKind::RandomPaper,
                                   paperOf(&CompositionWindow::randomPaper));
    });
    registry.registerWindow(QStringLiteral("Form5"), [paperOf] {
        return new PaperSaveWindow(QStringLiteral("Form5"), PaperSaveWindow::PaperKind::ManualPaper,
                                   paperOf(&CompositionWindow::manualPaper));
    });
    registry.registerWindow(QStringLiteral("frmImport"), [] {
        const auto practice = [] {
            return WindowRegistry::instance().findWindow<PracticeWindow>(QStringLiteral("Form1"));
        };
        return new QuestionImportWindow({[practice] {
                                             PracticeWindow *window = practice();
                                             if (!window)
                                                 return QString();
                                             window->storeCurrentRow();
                                             return window->cursor()->unstoredRowCount() > 0
                                                        ? window->cursor()->lastError()
                                                        : QString();
                                         },
                                         [practice] {
                                             if (PracticeWindow *window = practice())
                                                 window->showImportedBank();
                                         }});
    });
    registry.registerWindow(QStringLiteral("frmExplain"), [] {
        return new ExplanationWindow(WindowRegistry::instance().findWindow<PracticeWindow>(QStringLiteral("Form1")));
    });
    registry.registerWindow(QStringLiteral("frmSplash"), [] { return new FarewellSplash; });
    registry.setMainWindow(QStringLiteral("Form1"));
}
