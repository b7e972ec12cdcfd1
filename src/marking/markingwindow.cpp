#include "markingwindow.h"

#include "practicewindow.h"
#include "ui_markingwindow.h"
#include "windowstyle.h"
#include "messagebox.h"
#include "querytext.h"
#include "questioncursor.h"
#include "score.h"
#include "windowregistry.h"

#include <QLineEdit>
#include <QPushButton>

namespace {

const QString kProgramTitle = QStringLiteral("Quorvane");

} // namespace

MarkingWindow::MarkingWindow(QWidget *parent)
    : ProgramWindow(QStringLiteral("Form2"), parent)
{
    Ui::MarkingWindow().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);

    m_cursor = new QuestionCursor(this);
    m_cursor->setObjectName(QStringLiteral("Adodc1"));

    m_reviewButton = control<QPushButton>(QStringLiteral("Command14"));
    m_rightBox = control<QLineEdit>(QStringLiteral("Text5"));
    m_wrongBox = control<QLineEdit>(QStringLiteral("Text6"));
    m_rateBox = control<QLineEdit>(QStringLiteral("Text7"));
    m_totalBox = control<QLineEdit>(QStringLiteral("Text8"));
    for (QLineEdit *box : {m_rightBox, m_wrongBox, m_rateBox, m_totalBox})
        WindowStyle::keepTextWhole(box);

    auto *markButton = control<QPushButton>(QStringLiteral("Command6"));
    markButton->setFocus();
    connect(markButton, &QPushButton::clicked, this, &MarkingWindow::markWork);
    connect(m_reviewButton, &QPushButton::clicked, this, &MarkingWindow::showWrongAnswers);
    connect(control<QPushButton>(QStringLiteral("Command1")), &QPushButton::clicked, this,
            &MarkingWindow::continuePractice);
    connect(control<QPushButton>(QStringLiteral("Command2")), &QPushButton::clicked, this, &MarkingWindow::leave);
}

QPushButton *MarkingWindow::button(const QString &name) const
{
    return findChild<QPushButton *>(name);
}

void MarkingWindow::onLoad()
{
    m_cursor->setRecordSource(QString::fromUtf8(QueryText::kAllQuestions));
    m_cursor->refresh();
}

void MarkingWindow::onUnload()
{
    // The connection goes at once, not when the object is finally deleted.
    m_cursor->close();
}

void MarkingWindow::onActivate()
{
    // Coming back from another window, the practice may have changed since the
    // last marking, so a review waits for a new one.
    m_reviewButton->setEnabled(false);
}

bool MarkingWindow::countRows(const char *queryText, qint32 *count)
{
    m_cursor->setRecordSource(QString::fromUtf8(queryText));
    const bool ok = m_cursor->refresh();
    *count = m_cursor->recordCount();
    return ok;
}

void MarkingWindow::markWork()
{
    qint32 right = 0;
    qint32 wrong = 0;
    // A bank that cannot be read is said so, not reported as "nothing answered".
    if (!countRows(QueryText::kCountRight, &right) || !countRows(QueryText::kCountWrong, &wrong)) {
        MessageBox::show(this, m_cursor->lastError(), kProgramTitle);
        return;
    }
    m_rightBox->setText(QString::number(right));
    m_wrongBox->setText(QString::number(wrong));
    const qint64 total = qint64(right) + wrong;
    m_totalBox->setText(QString::number(total));

    if (total == 0) {
        MessageBox::show(this, QStringLiteral("对不起，您还没有做题呢？"), kProgramTitle);
        WindowRegistry::instance().unload(objectName());
        showPracticeWindow();
        return;
    }

    const qint16 rate = Score::rate(right, total);
    m_rateBox->setText(Score::rateText(rate));
    if (wrong > 0)
        m_reviewButton->setEnabled(true);
    if (const auto comment = Score::comment(rate, total))
        MessageBox::show(this, comment->text, comment->title);
}

void MarkingWindow::showWrongAnswers()
{
    if (auto *practice = WindowRegistry::instance().findWindow<PracticeWindow>(QStringLiteral("Form1")))
        practice->showQuestionSet(QString::fromUtf8(QueryText::kWrongForReview));
    WindowRegistry::instance().unload(objectName());
    showPracticeWindow();
}

void MarkingWindow::continuePractice()
{
    WindowRegistry::instance().unload(objectName());
    showPracticeWindow();
}

void MarkingWindow::leave()
{
    WindowRegistry::instance().unload(objectName());
}

void MarkingWindow::showPracticeWindow()
{
    // Brings the practice window forward; never starts a new one at program end.
    WindowRegistry &registry = WindowRegistry::instance();
    if (registry.isLoaded(QStringLiteral("Form1")))
        registry.show(QStringLiteral("Form1"));
}
