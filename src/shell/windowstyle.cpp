#include "windowstyle.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPalette>
#include <QWidget>

namespace WindowStyle {

QFont withFamily(const QString &family, double pointSize)
{
    QFont font;
    font.setFamilies({family, QStringLiteral("SimSun"), QStringLiteral("Noto Serif CJK SC"),
                      QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")});
    font.setPointSizeF(pointSize);
    return font;
}

QFont songti(double pointSize)
{
    return withFamily(QStringLiteral("宋体"), pointSize);
}

QColor scrollBarColour()
{
    return QApplication::palette().color(QPalette::Active, QPalette::Button);
}

void finishForm(QWidget *form)
{
    QList<QWidget *> widgets = form->findChildren<QWidget *>();
    widgets.prepend(form);
    for (QWidget *widget : std::as_const(widgets)) {
        if (widget->testAttribute(Qt::WA_SetFont)) {
            const QFont designed = widget->font();
            const QVariant exactSize = widget->property("pointSizeF");
            QFont font = withFamily(designed.family(),
                                    exactSize.isValid() ? exactSize.toDouble() : designed.pointSizeF());
            font.setBold(designed.bold());
            widget->setFont(font);
        }
        if (widget->property("scrollBarColoured").toBool()) {
            QPalette pal = widget->palette();
            pal.setColor(QPalette::Window, scrollBarColour());
            pal.setColor(QPalette::Base, scrollBarColour());
            widget->setPalette(pal);
        }
        // Tab leaves a multi-line box as it leaves every other control, so
        // that a keyboard user is never held in one that is being edited.
        if (auto *box = qobject_cast<QPlainTextEdit *>(widget))
            box->setTabChangesFocus(true);
    }
}

void keepTextWhole(QLineEdit *box)
{
    const QFont designed = box->font();
    const auto fit = [box, designed] {
        // The line edit keeps two pixels free at each side of its text.
        const int room = box->contentsRect().width() - 4;
        QFont font = designed;
        const bool inPoints = font.pointSizeF() > 0;
        while (QFontMetrics(font).horizontalAdvance(box->text()) > room) {
            if (inPoints && font.pointSizeF() > 5)
                font.setPointSizeF(font.pointSizeF() - 0.5);
            else if (!inPoints && font.pixelSize() > 7)
                font.setPixelSize(font.pixelSize() - 1);
            else
                break;
        }
        box->setFont(font);
        box->setCursorPosition(0);
    };
    QObject::connect(box, &QLineEdit::textChanged, box, fit);
    fit();
}

} // namespace WindowStyle
