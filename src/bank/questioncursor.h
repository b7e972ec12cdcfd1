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
#include <functional>
#include <vector>

// One window's view of the bank: a query text, the rows it last returned (a
// client-side snapshot in the table's order), and a current position that may
// also stand before the first row (BOF) or after the last one (EOF).
// Changes to the current row are kept pending and stored, one UPDATE of that
// row, when the position leaves the row, when the query is re-run and when
// the cursor closes.
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

    // Columns by position (0..5) or by name; empty when there is no current row.
    QVariant field(int position) const;
    bool setField(int position, const QVariant &value);
    QVariant value(const QString &column) const { return field(BankSchema::columnIndex(column)); }
    bool setValue(const QString &column, const QVariant &v) { return setField(BankSchema::columnIndex(column), v); }

    // Runs before the current row is left, so that bound boxes can hand over
    // what the user typed. The hook is dropped when its owner goes away.
    void addLeaveHook(QObject *owner, std::function<void()> hook);

    // Several stores in one transaction (the mark reset at exit).
    bool beginBatch();
    bool commitBatch();

    // Stores what is pending and closes the connection.
    void close();
    bool isOpen() const { return m_db.isOpen(); }

    QString lastError() const { return m_lastError; }
    // Rows whose changes could not be stored yet (kept for the next attempt).
    int unstoredRowCount() const { return int(m_pending.size()); }

signals:
    void currentChanged();
    void storeFailed(const QString &message);

private:
    struct Row
    {
        qint64 rowid = 0;
        std::array<QVariant, BankSchema::kColumnCount> values;
    };
    struct PendingRow
    {
        QMap<int, QVariant> changes;  // column -> new value
        QMap<int, QVariant> original; // column -> value before the first change
    };

    bool ensureOpen();
    bool moveTo(qint32 pos);
    void leaveRow();
    void storePending();
    bool storeRow(qint64 rowid, PendingRow &pending);
    void setError(const QString &message);

    QString m_bankPath;
    QString m_connectionName;
    QSqlDatabase m_db;
    QString m_recordSource = QStringLiteral("select * from zk");
    std::vector<Row> m_rows;
    QHash<qint64, qint32> m_indexOfRowid;
    qint32 m_pos = -1;
    QMap<qint64, PendingRow> m_pending;
    std::vector<std::pair<QPointer<QObject>, std::function<void()>>> m_leaveHooks;
    QString m_lastError;
    bool m_inBatch = false;
};
