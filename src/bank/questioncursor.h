#pragma once

#include "bankfile.h"
#include "bankschema.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QPointer>
#include <QSqlDatabase>
#include <QVariant>

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

// One window's view of the bank: a query text, the rows it last returned (a
// client-side snapshot in the table's order), and a current position that may
// also stand before the first row (BOF) or after the last one (EOF).
// Changes to the current row are kept pending and stored, one UPDATE of that
// row, when the position leaves the row, when the query is re-run and when
// the cursor closes. A change that cannot be stored (the bank is locked by
// another program past the busy timeout, or cannot be written at all) stays
// pending for the next attempt; storeFailed tells of it once.
class QuestionCursor : public QObject
{
    Q_OBJECT
public:
    explicit QuestionCursor(QObject *parent = nullptr,
                            const QString &bankPath = QString::fromLatin1(BankFile::kFileName));
    ~QuestionCursor() override;

    void setRecordSource(const QString &text);
    QString recordSource() const { return m_recordSource; }
    bool refresh();

    qint32 recordCount() const { return qint32(m_rows.size()); }
    bool isBOF() const { return m_rows.empty() || m_pos < 0; }
    bool isEOF() const { return m_rows.empty() || m_pos >= recordCount(); }
    bool hasCurrentRow() const { return !isBOF() && !isEOF(); }

    // A move with no target fails and leaves the position as it was.
    bool moveFirst();
    bool moveLast();
    bool moveNext();
    bool movePrevious();

    // Columns by position (0..5) or by name; invalid when there is no current
    // row or the column holds no value. Text comes back as QString.
    QVariant field(int position) const;
    bool setField(int position, const QVariant &value);
    QVariant value(const QString &column) const { return field(BankSchema::columnIndex(column)); }
    bool setValue(const QString &column, const QVariant &v) { return setField(BankSchema::columnIndex(column), v); }

    // Writes to other tables of the bank that belong to the current row's
    // pending change (the explanation typed for it, the record of an
    // answer). They are stored with the row, in one transaction with its own
    // update, and stay pending with it when the bank cannot be written. A
    // write under the same key replaces the earlier one.
    struct SideWrite
    {
        QByteArray prepareSql; // run first in the transaction (CREATE TABLE IF NOT EXISTS …); may be empty
        QByteArray sql;        // the write, its values bound to "?" in order
        QVariantList values;
        bool isEdit = false;   // a correction by the user, counted by unstoredEditCount
    };
    bool setSideWrite(const QString &key, const SideWrite &write);
    // The side write under key still pending for the current row, if any.
    std::optional<SideWrite> pendingSideWrite(const QString &key) const;
    // A read from another table of the bank on this cursor's connection (the
    // explanation of the current question): the first column of the first
    // row that sql returns, its values bound to "?" in order. None when there
    // is no such row, when the table does not exist (yet) or the bank is not
    // open; such a read opens nothing and leaves lastError() as it was. The
    // statement stays prepared for the next read.
    std::optional<QVariant> readSideValue(const QByteArray &sql, const QVariantList &values);

    // Refills whatever shows the current row (after a run of quiet moves).
    void showCurrent() { emit currentChanged(); }

    // Runs before the current row is left, so that bound boxes can hand over
    // what the user typed. The hook is dropped when its owner goes away.
    void addLeaveHook(QObject *owner, std::function<void()> hook);

    // Several stores in one transaction (the mark reset at exit), all or
    // none. beginBatch waits at most the busy timeout for another program's
    // write to end; changes pending from before are stored inside the batch,
    // so that its queries see them. The batch's rows are written when it is
    // committed. A batch that fails is rolled back: its own changes are
    // dropped, those from before it are pending again.
    bool beginBatch();
    bool commitBatch();
    void rollbackBatch();
    bool inBatch() const { return m_inBatch; }

    // Stores what is pending and closes the connection.
    void close();
    bool isOpen() const { return m_handle != nullptr; }

    QString lastError() const { return m_lastError; }
    // Rows whose changes could not be stored yet (kept for the next attempt).
    int unstoredRowCount() const { return int(m_pending.size()); }
    // Of those, the rows with a changed question or answer text.
    int unstoredEditCount() const;
    // The bank opened, but only for reading.
    bool isReadOnly() const;

signals:
    void currentChanged();
    // Stores have started to fail (message: the reason, for the user). Told
    // once: retries stay quiet, and do not wait for a lock again, until a
    // store succeeds.
    void storeFailed(const QString &message);

private:
    using Values = std::array<QVariant, BankSchema::kColumnCount>;
    // One fetched row. Its values lie one after another in the result's
    // arena: text as UTF-8 (a QString only when it is read), numbers as
    // their 8 bytes; kind[c] is the SQLite type of column c.
    struct Row
    {
        qint64 rowid = 0;
        const char *data = nullptr;
        std::array<quint32, BankSchema::kColumnCount> length{};
        std::array<quint8, BankSchema::kColumnCount> kind{};
        quint8 overridden = 0;             // bit per column set on this snapshot
        std::unique_ptr<Values> overrides; // those values
    };
    struct PendingRow
    {
        quint8 changed = 0;   // bit per column with a new value
        quint8 remembered = 0; // bit per question or answer column whose earlier value is kept
        Values values;
        std::array<QVariant, 2> original; // the question and the answer as they were
        QMap<QString, SideWrite> sideWrites;
    };

    bool ensureOpen();
    bool fetch(const struct ParsedQuery &query);
    char *allocate(size_t bytes);
    bool moveTo(qint32 pos);
    void leaveRow();
    void storePending();
    bool storeRows();
    bool storeRow(qint64 rowid, PendingRow &pending);
    bool storeSideWrites(const PendingRow &pending);
    bool execSql(const char *sql);
    void noteStoreResult(bool stored);
    void dropEmptyProtectedText(qint64 rowid, PendingRow &pending);
    bool storeGrouped();
    bool execStatement(const QByteArray &sql, const std::function<bool(sqlite3_stmt *)> &bind);
    sqlite3_stmt *statement(const QByteArray &sql);
    void finalizeStatements();
    static QVariant storedValue(const Row &row, int column);
    void setOverride(qint32 row, int column, const QVariant &value);
    void setError(const QString &message);
    void setEngineError();
    void clearResult();
    void trimArena();
    qint32 indexOfRowid(qint64 rowid) const; // rows are in rowid order

    QString m_bankPath;
    QString m_connectionName;
    QSqlDatabase m_db;
    sqlite3 *m_handle = nullptr;
    QHash<QByteArray, sqlite3_stmt *> m_statements;
    QString m_recordSource = QStringLiteral("select * from zk");

    std::deque<Row> m_rows; // grows without moving the rows already fetched
    // The result's values. The blocks are kept for the next run of the query,
    // so that a refresh does not map fresh memory page by page each time.
    struct Block
    {
        std::unique_ptr<char[]> data;
        size_t size = 0;
    };
    std::vector<Block> m_arena;
    size_t m_arenaCurrent = 0; // block being filled
    size_t m_arenaUsed = 0;    // bytes used in it
    qint32 m_pos = -1;

    QHash<qint64, PendingRow> m_pending;
    QHash<qint64, PendingRow> m_pendingBeforeBatch;
    bool m_storesFailing = false;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_leaveHooks;
    QString m_lastError;
    bool m_inBatch = false;

    // What the current result was read from, so that a batch that re-runs the
    // same query can keep it when nothing in the bank changed meanwhile.
    struct ResultStamp
    {
        QString source;
        qint64 dataVersion = -1; // changes when another connection commits
        quint64 writes = 0;      // stores and changes made through this cursor
    };
    ResultStamp m_resultStamp;
    quint64 m_writes = 0;
    qint64 dataVersion();
    bool resultIsCurrent();
};
