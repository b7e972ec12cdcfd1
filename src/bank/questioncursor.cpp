#include "questioncursor.h"

#include "querytext.h"

#include <QAtomicInt>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <algorithm>
#include <cstring>

namespace {

QAtomicInt connectionSerial;
constexpr size_t kArenaBlockSize = size_t(1) << 20;

bool bindVariant(sqlite3_stmt *st, int index, const QVariant &value)
{
    if (!value.isValid() || value.isNull())
        return sqlite3_bind_null(st, index) == SQLITE_OK;
    switch (value.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Bool:
        return sqlite3_bind_int64(st, index, value.toLongLong()) == SQLITE_OK;
    case QMetaType::Double:
    case QMetaType::Float:
        return sqlite3_bind_double(st, index, value.toDouble()) == SQLITE_OK;
    default: {
        const QByteArray utf8 = value.toString().toUtf8();
        return sqlite3_bind_text(st, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT) == SQLITE_OK;
    }
    }
}

QByteArray assignments(quint8 changed)
{
    QByteArray sql;
    for (int c = 0; c < BankSchema::kColumnCount; ++c) {
        if (!(changed & (1u << c)))
            continue;
        if (!sql.isEmpty())
            sql += ", ";
        sql += '"' + BankSchema::columnNames().at(c).toUtf8() + "\" = ?";
    }
    return sql;
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
    if (m_handle)
        return true;
    const BankFile::Status status = BankFile::check(m_bankPath);
    if (!status.ok) {
        setError(status.message);
        return false;
    }
    m_db = BankFile::open(m_connectionName, m_bankPath);
    const QVariant handle = m_db.isOpen() ? m_db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        setError(m_db.lastError().text());
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        return false;
    }
    m_handle = *static_cast<sqlite3 *const *>(handle.constData());
    // A write-ahead log keeps every stored row through a crash of the program
    // without waiting for the disk on each row; where the file or its folder
    // cannot take the log, the bank stays in its own journal mode.
    sqlite3_exec(m_handle, "PRAGMA journal_mode=WAL; PRAGMA synchronous=NORMAL;", nullptr, nullptr, nullptr);
    return true;
}

sqlite3_stmt *QuestionCursor::statement(const QByteArray &sql)
{
    if (sqlite3_stmt *cached = m_statements.value(sql))
        return cached;
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(m_handle, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
        setEngineError();
        return nullptr;
    }
    m_statements.insert(sql, st);
    return st;
}

void QuestionCursor::finalizeStatements()
{
    for (sqlite3_stmt *st : std::as_const(m_statements))
        sqlite3_finalize(st);
    m_statements.clear();
}

bool QuestionCursor::execStatement(const QByteArray &sql, const std::function<bool(sqlite3_stmt *)> &bind)
{
    sqlite3_stmt *st = statement(sql);
    if (!st)
        return false;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    const int rc = bind(st) ? sqlite3_step(st) : SQLITE_MISUSE;
    sqlite3_reset(st);
    if (rc != SQLITE_DONE && rc != SQLITE_ROW) {
        setEngineError();
        return false;
    }
    ++m_writes;
    return true;
}

char *QuestionCursor::allocate(size_t bytes)
{
    while (m_arenaCurrent < m_arena.size() && m_arenaUsed + bytes > m_arena[m_arenaCurrent].size) {
        ++m_arenaCurrent;
        m_arenaUsed = 0;
    }
    if (m_arenaCurrent == m_arena.size()) {
        const size_t size = std::max(kArenaBlockSize, bytes);
        m_arena.push_back(Block{std::unique_ptr<char[]>(new char[size]), size});
        m_arenaUsed = 0;
    }
    char *dest = m_arena[m_arenaCurrent].data.get() + m_arenaUsed;
    m_arenaUsed += bytes;
    return dest;
}

void QuestionCursor::clearResult()
{
    m_rows.clear();
    m_arenaCurrent = 0;
    m_arenaUsed = 0;
    m_pos = -1;
}

void QuestionCursor::trimArena()
{
    // Blocks beyond what this result needs go back to the system.
    const size_t keep = m_rows.empty() ? 0 : m_arenaCurrent + 1;
    if (m_arena.size() > keep)
        m_arena.resize(keep);
}

bool QuestionCursor::fetch(const ParsedQuery &query)
{
    const QByteArray sql = QueryText::toSql(query).toUtf8();
    sqlite3_stmt *st = statement(sql);
    if (!st)
        return false;
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    if (query.hasFilter && !bindVariant(st, 1, query.value)) {
        setEngineError();
        return false;
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        Row row;
        row.rowid = sqlite3_column_int64(st, 0);
        size_t bytes = 0;
        for (int c = 0; c < BankSchema::kColumnCount; ++c) {
            int kind = sqlite3_column_type(st, c + 1);
            quint32 length = 0;
            if (kind == SQLITE_INTEGER || kind == SQLITE_FLOAT) {
                length = 8;
            } else if (kind != SQLITE_NULL) { // text, or a blob read as text
                sqlite3_column_text(st, c + 1);
                length = quint32(sqlite3_column_bytes(st, c + 1));
                kind = SQLITE_TEXT;
            }
            row.kind[size_t(c)] = quint8(kind);
            row.length[size_t(c)] = length;
            bytes += length;
        }
        char *data = allocate(bytes);
        row.data = data;
        for (int c = 0; c < BankSchema::kColumnCount; ++c) {
            switch (row.kind[size_t(c)]) {
            case SQLITE_INTEGER: {
                const qint64 v = sqlite3_column_int64(st, c + 1);
                std::memcpy(data, &v, 8);
                break;
            }
            case SQLITE_FLOAT: {
                const double v = sqlite3_column_double(st, c + 1);
                std::memcpy(data, &v, 8);
                break;
            }
            case SQLITE_TEXT:
                std::memcpy(data, sqlite3_column_text(st, c + 1), row.length[size_t(c)]);
                break;
            default:
                break;
            }
            data += row.length[size_t(c)];
        }
        m_rows.push_back(std::move(row));
    }
    sqlite3_reset(st);
    if (rc != SQLITE_DONE) {
        setEngineError();
        clearResult();
        return false;
    }
    return true;
}

qint64 QuestionCursor::dataVersion()
{
    sqlite3_stmt *st = statement("PRAGMA data_version");
    if (!st)
        return -1;
    sqlite3_reset(st);
    const qint64 version = sqlite3_step(st) == SQLITE_ROW ? sqlite3_column_int64(st, 0) : -1;
    sqlite3_reset(st);
    return version;
}

bool QuestionCursor::resultIsCurrent()
{
    // Inside a batch's transaction no other program can change the bank any
    // more; if none did since the result was read and this cursor stored and
    // changed nothing, re-reading would give the very same rows.
    return m_inBatch && m_resultStamp.dataVersion >= 0 && m_resultStamp.source == m_recordSource
        && m_resultStamp.writes == m_writes && dataVersion() == m_resultStamp.dataVersion;
}

bool QuestionCursor::refresh()
{
    leaveRow();
    if (resultIsCurrent()) {
        m_pos = m_rows.empty() ? -1 : 0;
        m_pending.reserve(m_pending.size() + qsizetype(m_rows.size()));
        emit currentChanged();
        return true;
    }
    clearResult();
    m_lastError.clear();
    m_resultStamp = ResultStamp();

    bool ok = false;
    const ParsedQuery parsed = QueryText::parse(m_recordSource);
    if (!parsed.ok)
        setError(parsed.error);
    else if (ensureOpen())
        ok = fetch(parsed);
    if (ok)
        m_resultStamp = ResultStamp{m_recordSource, dataVersion(), m_writes};
    trimArena();
    if (m_inBatch) // a batch goes on to change the rows it reads: room for them at once
        m_pending.reserve(m_pending.size() + qsizetype(m_rows.size()));
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

QVariant QuestionCursor::storedValue(const Row &row, int column)
{
    const char *data = row.data;
    for (int c = 0; c < column; ++c)
        data += row.length[size_t(c)];
    switch (row.kind[size_t(column)]) {
    case SQLITE_INTEGER: {
        qint64 v;
        std::memcpy(&v, data, 8);
        return QVariant(qlonglong(v));
    }
    case SQLITE_FLOAT: {
        double v;
        std::memcpy(&v, data, 8);
        return QVariant(v);
    }
    case SQLITE_TEXT:
        return QVariant(QString::fromUtf8(data, qsizetype(row.length[size_t(column)])));
    default:
        return QVariant();
    }
}

QVariant QuestionCursor::field(int position) const
{
    if (!hasCurrentRow() || position < 0 || position >= BankSchema::kColumnCount)
        return QVariant();
    const Row &row = m_rows[size_t(m_pos)];
    if (row.overridden & (1u << position))
        return (*row.overrides)[size_t(position)];
    return storedValue(row, position);
}

void QuestionCursor::setOverride(qint32 index, int column, const QVariant &value)
{
    Row &row = m_rows[size_t(index)];
    if (!row.overrides)
        row.overrides = std::make_unique<Values>();
    (*row.overrides)[size_t(column)] = value;
    row.overridden |= quint8(1u << column);
}

bool QuestionCursor::setField(int position, const QVariant &value)
{
    if (!hasCurrentRow() || position < 0 || position >= BankSchema::kColumnCount)
        return false;
    PendingRow &pending = m_pending[m_rows[size_t(m_pos)].rowid];
    const quint8 bit = quint8(1u << position);
    const bool protectedText = position == BankSchema::Question || position == BankSchema::Answer;
    if (protectedText && !(pending.remembered & bit)) {
        pending.original[position == BankSchema::Question ? 0 : 1] = field(position);
        pending.remembered |= bit;
    }
    pending.values[size_t(position)] = value;
    ++m_writes;
    pending.changed |= bit;
    setOverride(m_pos, position, value);
    return true;
}

bool QuestionCursor::setSideWrite(const QString &key, const SideWrite &write)
{
    if (!hasCurrentRow())
        return false;
    m_pending[m_rows[size_t(m_pos)].rowid].sideWrites.insert(key, write);
    ++m_writes;
    return true;
}

std::optional<QuestionCursor::SideWrite> QuestionCursor::pendingSideWrite(const QString &key) const
{
    if (!hasCurrentRow())
        return std::nullopt;
    const auto row = m_pending.constFind(m_rows[size_t(m_pos)].rowid);
    if (row == m_pending.cend() || !row->sideWrites.contains(key))
        return std::nullopt;
    return row->sideWrites.value(key);
}

std::optional<QVariant> QuestionCursor::readSideValue(const QByteArray &sql, const QVariantList &values)
{
    if (!m_handle)
        return std::nullopt;
    sqlite3_stmt *st = m_statements.value(sql);
    if (!st) {
        // Not cached when it fails (a table not there yet): tried again next time.
        if (sqlite3_prepare_v2(m_handle, sql.constData(), int(sql.size()), &st, nullptr) != SQLITE_OK) {
            sqlite3_finalize(st);
            return std::nullopt;
        }
        m_statements.insert(sql, st);
    }
    sqlite3_reset(st);
    sqlite3_clear_bindings(st);
    for (int i = 0; i < values.size(); ++i) {
        if (!bindVariant(st, i + 1, values.at(i)))
            return std::nullopt;
    }
    std::optional<QVariant> result;
    if (sqlite3_step(st) == SQLITE_ROW) {
        switch (sqlite3_column_type(st, 0)) {
        case SQLITE_INTEGER:
            result = QVariant(qlonglong(sqlite3_column_int64(st, 0)));
            break;
        case SQLITE_FLOAT:
            result = QVariant(sqlite3_column_double(st, 0));
            break;
        case SQLITE_NULL:
            result = QVariant();
            break;
        default: {
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st, 0));
            result = QVariant(QString::fromUtf8(text, sqlite3_column_bytes(st, 0)));
            break;
        }
        }
    }
    sqlite3_reset(st); // no read transaction left open
    return result;
}

qint32 QuestionCursor::indexOfRowid(qint64 rowid) const
{
    const auto it = std::lower_bound(m_rows.cbegin(), m_rows.cend(), rowid,
                                     [](const Row &row, qint64 id) { return row.rowid < id; });
    return (it != m_rows.cend() && it->rowid == rowid) ? qint32(it - m_rows.cbegin()) : -1;
}

void QuestionCursor::addLeaveHook(QObject *owner, std::function<void()> hook)
{
    // A window opened and closed again and again leaves no trail of hooks.
    m_leaveHooks.erase(std::remove_if(m_leaveHooks.begin(), m_leaveHooks.end(),
                                      [](const auto &entry) { return entry.first.isNull(); }),
                       m_leaveHooks.end());
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
    if (!m_inBatch)
        storePending();
}

void QuestionCursor::storePending()
{
    if (m_pending.isEmpty() || !ensureOpen())
        return;
    // While stores fail, a retry does not wait for the other program again:
    // the user has been told, and the changes stay pending meanwhile.
    if (m_storesFailing)
        sqlite3_busy_timeout(m_handle, 0);
    const bool stored = storeRows();
    if (m_storesFailing)
        sqlite3_busy_timeout(m_handle, BankFile::kBusyTimeoutMs);
    if (stored)
        m_pending.clear();
    noteStoreResult(stored);
}

bool QuestionCursor::storeRows()
{
    // Several rows go in one transaction: one wait for a lock, not one each.
    const bool several = m_pending.size() > 1;
    if (several && !execSql("BEGIN IMMEDIATE"))
        return false;
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (!storeRow(it.key(), it.value())) {
            if (several)
                sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
            return false;
        }
    }
    if (several && !execSql("COMMIT")) {
        sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
        return false;
    }
    return true;
}

void QuestionCursor::noteStoreResult(bool stored)
{
    if (stored) {
        m_storesFailing = false;
    } else if (!m_storesFailing) {
        m_storesFailing = true;
        emit storeFailed(m_lastError);
    }
}

bool QuestionCursor::execSql(const char *sql)
{
    if (sqlite3_exec(m_handle, sql, nullptr, nullptr, nullptr) == SQLITE_OK)
        return true;
    setEngineError();
    return false;
}

int QuestionCursor::unstoredEditCount() const
{
    const quint8 texts = quint8((1u << BankSchema::Question) | (1u << BankSchema::Answer));
    int count = 0;
    for (const auto *rows : {&m_pending, &m_pendingBeforeBatch}) {
        for (const PendingRow &pending : *rows) {
            const bool sideEdit = std::any_of(pending.sideWrites.cbegin(), pending.sideWrites.cend(),
                                              [](const SideWrite &w) { return w.isEdit; });
            if ((pending.changed & texts) || sideEdit)
                ++count;
        }
    }
    return count;
}

bool QuestionCursor::isReadOnly() const
{
    return m_handle && sqlite3_db_readonly(m_handle, "main") == 1;
}

void QuestionCursor::dropEmptyProtectedText(qint64 rowid, PendingRow &pending)
{
    // A question or an answer is never stored empty: the row keeps its text.
    for (int column : {int(BankSchema::Question), int(BankSchema::Answer)}) {
        const quint8 bit = quint8(1u << column);
        if (!(pending.changed & bit) || !pending.values[size_t(column)].toString().isEmpty())
            continue;
        pending.changed &= quint8(~bit);
        const qint32 index = indexOfRowid(rowid);
        if (index >= 0)
            setOverride(index, column, pending.original[column == BankSchema::Question ? 0 : 1]);
    }
}

bool QuestionCursor::storeRow(qint64 rowid, PendingRow &pending)
{
    dropEmptyProtectedText(rowid, pending);
    if (!pending.changed && pending.sideWrites.isEmpty())
        return true;
    // A row with side writes is stored whole or not at all.
    const bool ownTransaction = !pending.sideWrites.isEmpty() && sqlite3_get_autocommit(m_handle);
    if (ownTransaction && !execSql("BEGIN IMMEDIATE"))
        return false;
    bool ok = true;
    if (pending.changed) {
        const QByteArray sql = "UPDATE zk SET " + assignments(pending.changed) + " WHERE rowid = ?";
        ok = execStatement(sql, [&](sqlite3_stmt *st) {
            int i = 1;
            for (int c = 0; c < BankSchema::kColumnCount; ++c) {
                if ((pending.changed & (1u << c)) && !bindVariant(st, i++, pending.values[size_t(c)]))
                    return false;
            }
            return sqlite3_bind_int64(st, i, rowid) == SQLITE_OK;
        });
    }
    ok = ok && storeSideWrites(pending);
    if (ownTransaction) {
        ok = ok && execSql("COMMIT");
        if (!ok)
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
    }
    return ok;
}

bool QuestionCursor::storeSideWrites(const PendingRow &pending)
{
    for (const SideWrite &write : pending.sideWrites) {
        if (!write.prepareSql.isEmpty() && !execSql(write.prepareSql.constData()))
            return false;
        const bool ok = execStatement(write.sql, [&](sqlite3_stmt *st) {
            for (int i = 0; i < write.values.size(); ++i) {
                if (!bindVariant(st, i + 1, write.values.at(i)))
                    return false;
            }
            return true;
        });
        if (!ok)
            return false;
    }
    return true;
}

bool QuestionCursor::storeGrouped()
{
    // Rows that received the same changes are written together, one
    // statement for each run of consecutive rows.
    struct Group
    {
        const PendingRow *changes;
        std::vector<qint64> rowids;
    };
    std::vector<Group> groups;
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        PendingRow &pending = it.value();
        if (!pending.sideWrites.isEmpty()) {
            if (!storeRow(it.key(), pending))
                return false;
            continue;
        }
        dropEmptyProtectedText(it.key(), pending);
        if (!pending.changed)
            continue;
        auto group = std::find_if(groups.begin(), groups.end(), [&](const Group &g) {
            if (g.changes->changed != pending.changed)
                return false;
            for (int c = 0; c < BankSchema::kColumnCount; ++c) {
                const QVariant &a = g.changes->values[size_t(c)];
                const QVariant &b = pending.values[size_t(c)];
                if ((pending.changed & (1u << c)) && (a.typeId() != b.typeId() || a != b))
                    return false;
            }
            return true;
        });
        if (group == groups.end()) {
            groups.push_back(Group{&pending, {}});
            group = groups.end() - 1;
        }
        group->rowids.push_back(it.key());
    }
    for (Group &g : groups) {
        std::sort(g.rowids.begin(), g.rowids.end());
        const QByteArray sql = "UPDATE zk SET " + assignments(g.changes->changed) + " WHERE rowid BETWEEN ? AND ?";
        for (size_t first = 0; first < g.rowids.size();) {
            size_t last = first;
            while (last + 1 < g.rowids.size() && g.rowids[last + 1] == g.rowids[last] + 1)
                ++last;
            const bool ok = execStatement(sql, [&](sqlite3_stmt *st) {
                int i = 1;
                for (int c = 0; c < BankSchema::kColumnCount; ++c) {
                    if ((g.changes->changed & (1u << c)) && !bindVariant(st, i++, g.changes->values[size_t(c)]))
                        return false;
                }
                return sqlite3_bind_int64(st, i, g.rowids[first]) == SQLITE_OK
                    && sqlite3_bind_int64(st, i + 1, g.rowids[last]) == SQLITE_OK;
            });
            if (!ok)
                return false;
            first = last + 1;
        }
    }
    return true;
}

bool QuestionCursor::beginBatch()
{
    if (m_inBatch || !ensureOpen())
        return false;
    // The one bounded wait of the batch: for the write lock, the full busy timeout.
    if (!execSql("BEGIN IMMEDIATE")) {
        noteStoreResult(false);
        return false;
    }
    m_pendingBeforeBatch = m_pending;
    for (auto it = m_pending.begin(); it != m_pending.end(); ++it) {
        if (!storeRow(it.key(), it.value())) {
            sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
            m_pendingBeforeBatch.clear();
            noteStoreResult(false);
            return false;
        }
    }
    m_pending.clear();
    m_inBatch = true;
    return true;
}

bool QuestionCursor::commitBatch()
{
    if (!m_inBatch)
        return false;
    if (storeGrouped() && execSql("COMMIT")) {
        m_inBatch = false;
        m_pending.clear();
        m_pendingBeforeBatch.clear();
        noteStoreResult(true);
        return true;
    }
    const QString reason = m_lastError;
    rollbackBatch();
    m_lastError = reason;
    noteStoreResult(false);
    return false;
}

void QuestionCursor::rollbackBatch()
{
    if (!m_inBatch)
        return;
    sqlite3_exec(m_handle, "ROLLBACK", nullptr, nullptr, nullptr);
    m_inBatch = false;
    // The batch's own changes go; what was pending before it is pending again.
    m_pending = std::move(m_pendingBeforeBatch);
    m_pendingBeforeBatch.clear();
}

void QuestionCursor::close()
{
    if (m_handle) {
        if (m_inBatch)
            commitBatch();
        leaveRow();
        finalizeStatements();
        m_handle = nullptr;
        m_db.close();
        m_db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
    }
    clearResult();
    m_arena.clear();
}

void QuestionCursor::setError(const QString &message)
{
    m_lastError = message;
}

void QuestionCursor::setEngineError()
{
    m_lastError = BankFile::describeEngineError(sqlite3_errcode(m_handle), QString::fromUtf8(sqlite3_errmsg(m_handle)));
}
