#include "markingwindow.h"

#include "controls.h"

#include "practicewindow.h"
#include "look.h"
#include "messagebox.h"
#include "querytext.h"
#include "questioncursor.h"
#include "score.h"
#include "windowregistry.h"

#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <iterator>

namespace {

const QString kProgramTitle = QStringLiteral("Quorvane");

QPushButton *makeButton(QWidget *parent, const QString &name, const QString &caption,
                        const QString &tooltip, int top)
{
    return Controls::button(parent, name, caption, tooltip, 240, top, 1215, 375);
}

QGroupBox *makeFrame(QWidget *parent, const QString &name, const QString &caption, int left)
{
    return Controls::frame(parent, name, caption, left, 120, 1695, 2055);
}

// One line of the result frame: a caption and the display field beside it.
QLineEdit *makeResultLine(QGroupBox *frame, const QString &labelName, const QString &caption,
                          const QString &boxName, const QString &designText, int labelTop, int boxTop)
{
    auto *label = new QLabel(caption, frame);
    label->setObjectName(labelName);
    Look::place(label, 120, labelTop, 615, 255);

    auto *box = new QLineEdit(designText, frame);
    box->setObjectName(boxName);
    box->setReadOnly(true); // written by the marking only
    Look::place(box, 840, boxTop, 735, 270);
    Look::keepTextWhole(box);
    label->setBuddy(box);
    // Read out as the caption without its spacing blanks ("正确", not "正  确").
    QString spoken = caption;
    spoken.remove(QLatin1Char(' '));
    Look::nameForScreenReaders(box, spoken);
    return box;
}

} // namespace

MarkingWindow::MarkingWindow(QWidget *parent)
    : ProgramWindow(QStringLiteral("Form2"), parent)
{
    setWindowTitle(QStringLiteral("自动批阅"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                   | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setClientSizeTwips(3825, 2280);

    m_cursor = new QuestionCursor(this);
    m_cursor->setObjectName(QStringLiteral("Adodc1"));

    QGroupBox *frame1 = makeFrame(this, QStringLiteral("Frame1"), QStringLiteral("批阅试题"), 120);
    // A plain panel behind the four buttons; nothing reads or writes it.
    auto *panel = new QFrame(frame1);
    panel->setObjectName(QStringLiteral("Text1"));
    panel->setFrameShape(QFrame::StyledPanel);
    panel->setFrameShadow(QFrame::Sunken);
    Look::place(panel, 120, 240, 1455, 1695);

    QPushButton *command6 = makeButton(frame1, QStringLiteral("Command6"), QStringLiteral("自动阅卷"),
                                       QStringLiteral("给自己刚才的练习打个分！"), 360);
    m_reviewButton = makeButton(frame1, QStringLiteral("Command14"), QStringLiteral("订正错题"),
                             QStringLiteral("查看刚才错在哪里，以便订正。"), 720);
    m_reviewButton->setEnabled(false);
    QPushButton *command1 = makeButton(frame1, QStringLiteral("Command1"), QStringLiteral("继续练习"),
                                       QStringLiteral("继续练习！"), 1080);
    QPushButton *command2 = makeButton(frame1, QStringLiteral("Command2"), QStringLiteral("退    出"),
                                       QStringLiteral("退出"), 1440);

    QGroupBox *frame5 = makeFrame(this, QStringLiteral("Frame5"), QStringLiteral("批阅结果"), 2040);
    m_rightBox = makeResultLine(frame5, QStringLiteral("Label1"), QStringLiteral("正  确"), QStringLiteral("Text5"),
                             QStringLiteral("0"), 380, 360);
    m_wrongBox = makeResultLine(frame5, QStringLiteral("Label2"), QStringLiteral("错  误"), QStringLiteral("Text6"),
                             QStringLiteral("0"), 840, 780);
    m_rateBox = makeResultLine(frame5, QStringLiteral("Label3"), QStringLiteral("正确率"), QStringLiteral("Text7"),
                             QStringLiteral("0%"), 1240, 1200);
    m_totalBox = makeResultLine(frame5, QStringLiteral("Label6"), QStringLiteral("总题数"), QStringLiteral("Text8"),
                             QStringLiteral("0"), 1680, 1640);

    QWidget *order[] = {command6, m_reviewButton, command1, command2, m_rightBox, m_wrongBox, m_rateBox, m_totalBox};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    command6->setFocus();

    connect(command6, &QPushButton::clicked, this, &MarkingWindow::markWork);
    connect(m_reviewButton, &QPushButton::clicked, this, &MarkingWindow::showWrongAnswers);
    connect(command1, &QPushButton::clicked, this, &MarkingWindow::continuePractice);
    connect(command2, &QPushButton::clicked, this, &MarkingWindow::leave);
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
