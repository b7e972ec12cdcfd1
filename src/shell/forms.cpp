#include "forms.h"

#include "form1.h"
#include "form2.h"
#include "form6.h"
#include "frmabout.h"
#include "form3.h"
#include "frmsplash.h"
#include "savewindow.h"
#include "windowregistry.h"

void registerAllForms()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.registerForm(QStringLiteral("Form1"), [] { return new Form1; });
    registry.registerForm(QStringLiteral("Form2"), [] { return new Form2; });
    registry.registerForm(QStringLiteral("Form6"), [] { return new Form6; });
    registry.registerForm(QStringLiteral("frmAbout"), [] { return new frmAbout; });
    registry.registerForm(QStringLiteral("Form3"), [] { return new Form3; });
    registry.registerForm(QStringLiteral("Form4"), [] {
        return new SaveWindow(QStringLiteral("Form4"), SaveWindow::PaperSource::IntelligentPaper);
    });
    registry.registerForm(QStringLiteral("Form5"), [] {
        return new SaveWindow(QStringLiteral("Form5"), SaveWindow::PaperSource::ManualPaper);
    });
    registry.registerForm(QStringLiteral("frmSplash"), [] { return new frmSplash; });
    registry.setMainForm(QStringLiteral("Form1"));
}
