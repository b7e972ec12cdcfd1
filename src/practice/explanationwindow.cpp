#include "explanationwindow.h"

#include "bankschema.h"
#include "boundfield.h"
#include "practicewindow.h"
#include "questioncursor.h"
#include "ui_explanationwindow.h"
#include "windowregistry.h"
#include "windowstyle.h"

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

const QString kNotYet = QStringLiteral("选择答案或显示答案后，这里显示本题的解析。");
const QString kNone = QStringLiteral("本题暂无解析。");

// One indexed read per question; the cursor keeps the statement prepared.
const QByteArray kReadSql = QByteArrayLiteral("SELECT \"解析\" FROM jx WHERE \"题号\" = ?");

// What storing an explanation typed for question `number` writes. An
// explanation emptied (or left blank) removes the question's row of jx.
QuestionCursor::SideWrite explanationWrite(const QVariant &number, const QString &text)
{
    QuestionCursor::SideWrite write;
    write.prepareSql = BankSchema::createExplanationTableSql().toUtf8();
    write.isEdit = true;
    if (text.trimmed().isEmpty()) {
        write.sql = QByteArrayLiteral("DELETE FROM jx WHERE \"题号\" = ?");
        write.values = {number};
    } else {
        write.sql = QByteArrayLiteral("INSERT OR REPLACE INTO jx (\"题号\", \"解析\") VALUES (?, ?)");
        write.values = {number, text};
    }
    return write;
}

} // namespace

ExplanationWindow::ExplanationWindow(PracticeWindow *practice, QWidget *parent)
    : ProgramWindow(QStringLiteral("frmExplain"), parent)
    , m_practice(practice)
{
    Ui::ExplanationWindow().setupUi(this);
    WindowStyle::finishForm(this);
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                   | Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    m_heading = control<QLabel>(QStringLiteral("Label1"));
    m_box = control<QPlainTextEdit>(QStringLiteral("Text1"));
    // Chinese needs no glyph shaping to be legible; laying out each
    // question's text without it takes a fifth less work on every move.
    QFont font = m_box->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    m_box->setFont(font);
    if (!practice)
        return;

    // Each connection is made after the practice window's own, so it runs
    // once that window has handled the event.
    m_cursor = practice->cursor();
    m_showAnswerButton = practice->button(QStringLiteral("Command1"));
    connect(m_cursor, &QuestionCursor::currentChanged, this, &ExplanationWindow::followCurrentRow);
    m_cursor->addLeaveHook(this, [this] { handOver(); });
    connect(practice->currentNumberBox(), &QLineEdit::textChanged, this, &ExplanationWindow::showHeading);
    connect(practice->optionButton(0)->group(), &QButtonGroup::idClicked, this, &ExplanationWindow::showExplanation);
    connect(m_showAnswerButton, &QPushButton::clicked, this, &ExplanationWindow::showExplanation);
    connect(practice->button(QStringLiteral("Command4")), &QPushButton::clicked, this,
            &ExplanationWindow::endEditingAfterNext);
    // Without the practice window there is nothing to follow.
    connect(practice, &QObject::destroyed, this, [this] {
        WindowRegistry &registry = WindowRegistry::instance();
        if (registry.find(objectName()) == this)
            registry.unload(objectName());
    });
}

QString ExplanationWindow::sideWriteKey()
{
    return QStringLiteral("explanation");
}

void ExplanationWindow::onLoad()
{
    followCurrentRow();
}

void ExplanationWindow::onUnload()
{
    // What was typed goes to the row all the same, stored when it is left.
    handOver();
    m_editing = false;
}

void ExplanationWindow::showEvent(QShowEvent *event)
{
    ProgramWindow::showEvent(event);
    if (m_placed || !m_practice || !m_practice->isVisible())
        return;
    m_placed = true;
    // Right under the practice window where the screen has room for it.
    const QRect practice = m_practice->frameGeometry();
    const QRect below(practice.left(), practice.bottom() + 1, frameGeometry().width(), frameGeometry().height());
    if (QScreen *screen = m_practice->screen(); screen && screen->availableGeometry().contains(below))
        move(below.topLeft());
}

void ExplanationWindow::followCurrentRow()
{
    m_hasRow = m_cursor && m_cursor->hasCurrentRow();
    m_number = m_hasRow ? m_cursor->field(BankSchema::Number) : QVariant();
    m_loaded.clear();
    if (m_hasRow && m_number.isValid()) {
        if (const auto pending = m_cursor->pendingSideWrite(sideWriteKey())) {
            // Typed earlier and not stored yet (the bank was locked): shown as typed.
            m_loaded = pending->values.size() > 1 ? pending->values.at(1).toString() : QString();
        } else if (const auto stored = m_cursor->readSideValue(kReadSql, {m_number})) {
            m_loaded = BoundField::textOf(*stored);
        }
    }
    showHeading();
    if (m_editing)
        fillForEditing();
    else
        showExplanation();
}

void ExplanationWindow::showHeading()
{
    m_heading->setText(m_hasRow && m_practice
                           ? QStringLiteral("第") + m_practice->currentNumberBox()->text() + QStringLiteral("题")
                           : QString());
}

bool ExplanationWindow::answerRevealed() const
{
    if (m_showAnswerButton && m_showAnswerButton->text() != QStringLiteral("显示"))
        return true;
    const QString picked = m_cursor ? m_cursor->field(BankSchema::Picked).toString() : QString();
    return picked.size() == 1 && QStringLiteral("ABCD").contains(picked);
}

void ExplanationWindow::showExplanation()
{
    if (m_editing)
        return; // the box holds what is being typed
    if (!m_hasRow)
        setBoxText(QString());
    else if (m_loaded.trimmed().isEmpty())
        setBoxText(kNone);
    else
        setBoxText(answerRevealed() ? m_loaded : kNotYet);
}

void ExplanationWindow::fillForEditing()
{
    setBoxText(m_hasRow ? m_loaded : QString());
    m_typedFrom = exactText(m_box);
    setBoxEditable(m_hasRow && m_number.isValid());
}

void ExplanationWindow::setBoxEditable(bool editable)
{
    m_box->setReadOnly(!editable);
    if (!editable)
        m_box->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
}

void ExplanationWindow::setBoxText(const QString &text)
{
    // Most moves keep the same notice: the box is laid out again only for a new text.
    if (exactText(m_box) != text)
        m_box->setPlainText(text);
}

void ExplanationWindow::startEditing()
{
    if (!m_editing) {
        m_editing = true;
        fillForEditing();
    }
    activateWindow();
    m_box->setFocus();
}

void ExplanationWindow::handOver()
{
    if (!m_editing || !m_hasRow || !m_number.isValid() || !m_cursor)
        return;
    // Compared with the text the row was shown with, so that a text set by
    // any means (typing, pasting, a screen reader) counts.
    const QString typed = exactText(m_box);
    if (typed == m_typedFrom)
        return;
    if (typed.trimmed().isEmpty() && m_loaded.trimmed().isEmpty())
        return; // no explanation before and none now: nothing to store
    m_cursor->setSideWrite(sideWriteKey(), explanationWrite(m_number, typed));
    m_typedFrom = typed;
    m_loaded = typed;
}

void ExplanationWindow::endEditingAfterNext()
{
    // "下一题" ends the edit as it ends one of the question or the answer,
    // once it has moved; a press that its guard refused keeps the edit.
    if (!m_editing || exactText(m_box) != m_typedFrom || !m_practice || !m_practice->questionBox()->isReadOnly())
        return;
    m_editing = false;
    setBoxEditable(false);
    showExplanation();
}
