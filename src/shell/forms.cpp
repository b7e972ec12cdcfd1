#include "forms.h"

#include "form1.h"
#include "form2.h"
#include "frmsplash.h"
#include "windowregistry.h"

void registerAllForms()
{
    WindowRegistry &registry = WindowRegistry::instance();
    registry.registerForm(QStringLiteral("Form1"), [] { return new Form1; });
    registry.registerForm(QStringLiteral("Form2"), [] { return new Form2; });
    registry.registerForm(QStringLiteral("frmSplash"), [] { return new frmSplash; });
    registry.setMainForm(QStringLiteral("Form1"));
}
