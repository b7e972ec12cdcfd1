#include "questioncursor.h"

#include "querytext.h"

#include <QAtomicInt>
#include <QSqlError>
#include <QSqlQuery>

namespace {
QAtomicInt connectionSerial;

bool isProtectedText(int column)
{
    // A question or an answer is never stored empty: the row keeps its text.
    return column == BankSchema::Question || column == BankSchema::Answer;
}
} // namespace

QuestionCursor::QuestionCursor(QObject *parent, const QString &bankPath)
    : QObject(parent)
    , m_bankPath(bankPath)
    , m_connectionName(QStringLiteral("qv_cursor_%1").arg(connectionSerial.fetchAndAddRelaxed(1) + 1))
{
}

QuestionCursor::~QuestionCursor()
{
    close();
}

void QuestionCursor::setRecordSource(const QString &text)
{
    m_recordSource = text;
}

bool QuestionCursor::ensureOpen()
{
    if (m_db.isValid() && m_db.isOpen())
        return true;
    const BankFile::Status status = BankFile::check(m_bankPath);
    if (!status.ok) {
        setError(status.message);
        return false;
    }
    m_db = BankFile::open(m_connectionName, m_bankPath);
    if (!m_db.isOpen()) {
        setError(m_db.lastError().text());
        return false;
    }
    return true;
}

bool QuestionCursor::refresh()
{
    leaveRow();
    m_rows.clear();
    m_indexOfRowid.clear();
    m_pos = -1;
    m_lastError.clear();

    bool ok = false;
    const ParsedQuery parsed = QueryText::parse(m_recordSource);
    if (!parsed.ok) {
        setError(parsed.error);
    } else if (ensureOpen()) {
        QSqlQuery q(m_db);
        q.setForwardOnly(true);
        q.prepare(QueryText::toSql(parsed));
        if (parsed.hasFilter)
            q.addBindValue(parsed.value);
        if (!q.exec()) {
            setError(q.lastError().text());
        } else {
            while (q.next()) {
                Row row;
                row.rowid = q.value(0).toLongLong();
                for (int c = 0; c < BankSchema::kColumnCount; ++c)
                    row.values[size_t(c)] = q.value(c + 1);
                m_indexOfRowid.insert(row.rowid, qint32(m_rows.size()));
                m_rows.push_back(std::move(row));
            }
            ok = true;
        }
    }
    m_pos = m_rows.empty() ? -1 : 0;
    emit currentChanged();
    return ok;
}

bool QuestionCursor::moveTo(qint32 pos)
{
    leaveRow();
    m_pos = pos;
    emit currentChanged();
    return true;
}

bool QuestionCursor::moveFirst()
{
    if (m_rows.empty())
        return false;
    return moveTo(0);
}

bool QuestionCursor::moveLast()
{
    if (m_rows.empty())
        return false;
    return moveTo(recordCount() - 1);
}

bool QuestionCursor::moveNext()
{
    if (isEOF())
        return false;
    return moveTo(m_pos + 1);
}

bool QuestionCursor::movePrevious()
{
    if (isBOF())
        return false;
    return moveTo(m_pos - 1);
}

QVariant QuestionCursor::field(int position) const
{
    if (!hasCurrentRow() || position < 0 || position >= BankSchema::kColumnCount)
        return QVariant();
    return m_rows[size_t(m_pos)].values[size_t(position)];
}

bool QuestionCursor::setField(int position, const QVariant &value)
{
    if (!hasCurrentRow() || position < 0 || position >= BankSchema::kColumnCount)
        return false;
    Row &row = m_rows[size_t(m_pos)];
    PendingRow &pending = m_pending[row.rowid];
    if (!pending.original.contains(position))
        pending.original.insert(position, row.values[size_t(position)]);
    pending.changes.insert(position, value);
    row.values[size_t(position)] = value;
    return true;
}

void QuestionCursor::addLeaveHook(QObject *owner, std::function<void()> hook)
{
    m_leaveHooks.emplace_back(owner, std::move(hook));
}

void QuestionCursor::leaveRow()
{
    if (hasCurrentRow()) {
        for (auto &[owner, hook] : m_leaveHooks) {
            if (owner)
                hook();
        }
    }
    storePending();
}

void QuestionCursor::storePending()
{
    if (m_pending.isEmpty() || !ensureOpen())
        return;
    QStringList failures;
    for (auto it = m_pending.begin(); it != m_pending.end();) {
        if (storeRow(it.key(), it.value())) {
            it = m_pending.erase(it);
        } else {
            failures << m_lastError;
            ++it;
        }
    }
    if (!failures.isEmpty())
        emit storeFailed(failures.first());
}

bool QuestionCursor::storeRow(qint64 rowid, PendingRow &pending)
{
    const auto index = m_indexOfRowid.constFind(rowid);
    for (auto it = pending.changes.begin(); it != pending.changes.end();) {
        if (isProtectedText(it.key()) && it.value().toString().isEmpty()) {
            if (index != m_indexOfRowid.cend())
                m_rows[size_t(*index)].values[size_t(it.key())] = pending.original.value(it.key());
            it = pending.changes.erase(it);
        } else {
            ++it;
        }
    }
    if (pending.changes.isEmpty())
        return true;

    QStringList assignments;
    for (auto it = pending.changes.cbegin(); it != pending.changes.cend(); ++it)
        assignments << QStringLiteral("\"%1\" = ?").arg(BankSchema::columnNames().at(it.key()));
    QSqlQuery q(m_db);
    q.prepare(QStringLiteral("UPDATE zk SET %1 WHERE rowid = ?").arg(assignments.join(QStringLiteral(", "))));
    for (auto it = pending.changes.cbegin(); it != pending.changes.cend(); ++it)
        q.addBindValue(it.value());
    q.addBindValue(rowid);
    if (!q.exec()) {
        setError(q.lastError().text());
        return false;
    }
    return true;
}

bool QuestionCursor::beginBatch()
{
    if (m_inBatch || !ensureOpen())
        return false;
    m_inBatch = m_db.transaction();
    return m_inBatch;
}

bool QuestionCursor::commitBatch()
{
    if (!m_inBatch)
        return false;
    m_inBatch = false;
    if (m_db.commit())
        return true;
    setError(m_db.lastError().text());
    m_db.rollback();
    return false;
}

void QuestionCursor::close()
{
    if (m_db.isValid()) {
        leaveRow();
        if (m_inBatch)
            commitBatch();
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    m_rows.clear();
    m_indexOfRowid.clear();
    m_pos = -1;
}

void QuestionCursor::setError(const QString &message)
{
    m_lastError = message;
}
