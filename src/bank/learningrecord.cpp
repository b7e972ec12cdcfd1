#include "learningrecord.h"

#include <QAtomicInt>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <algorithm>

namespace LearningRecord {
namespace {

QAtomicInt connectionSerial;

// "YYYY-MM-DD…" to YYYYMMDD; -1 when the text does not start with a date.
int dayKey(const unsigned char *text, int length)
{
    if (!text || length < 10 || text[4] != '-' || text[7] != '-')
        return -1;
    int key = 0;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9}) {
        if (text[i] < '0' || text[i] > '9')
            return -1;
        key = key * 10 + (text[i] - '0');
    }
    return key;
}

// One question's answers in the record.
struct Tally
{
    qint64 answers = 0;
    qint64 right = 0;
    int lastMark = 0;
    bool inBank = false;
};

class Statement
{
public:
    Statement(sqlite3 *db, const char *sql) { sqlite3_prepare_v2(db, sql, -1, &m_st, nullptr); }
    ~Statement() { sqlite3_finalize(m_st); }
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;
    sqlite3_stmt *get() const { return m_st; }
    explicit operator bool() const { return m_st != nullptr; }

private:
    sqlite3_stmt *m_st = nullptr;
};

} // namespace

QByteArray createTableSql()
{
    return "CREATE TABLE IF NOT EXISTS lx (\"序号\" INTEGER PRIMARY KEY, \"题号\" INTEGER NOT NULL, "
           "\"作答\" TEXT NOT NULL, \"批阅\" INTEGER NOT NULL, \"时间\" TEXT NOT NULL); "
           "CREATE INDEX IF NOT EXISTS lx_question ON lx (\"题号\")";
}

QuestionCursor::SideWrite answerWrite(qint64 number, const QString &picked, int mark, const QDateTime &when)
{
    QuestionCursor::SideWrite write;
    write.prepareSql = createTableSql();
    write.sql = "INSERT INTO lx (\"题号\", \"作答\", \"批阅\", \"时间\") VALUES (?, ?, ?, ?)";
    write.values = {number, picked, mark, when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
    return write;
}

bool weakerFirst(const CategoryLine &a, const CategoryLine &b)
{
    // a.right / a.answers < b.right / b.answers, without rounding.
    const qint64 left = a.right * b.answers;
    const qint64 right = b.right * a.answers;
    if (left != right)
        return left < right;
    if (a.answers != b.answers)
        return a.answers > b.answers;
    return a.category < b.category;
}

Reader::Reader(const QString &bankPath)
    : m_bankPath(bankPath)
    , m_connectionName(QStringLiteral("qv_record_%1").arg(connectionSerial.fetchAndAddRelaxed(1) + 1))
{
}

Reader::~Reader()
{
    close();
}

void Reader::close()
{
    if (!m_handle)
        return;
    m_handle = nullptr;
    QSqlDatabase::database(m_connectionName, false).close();
    QSqlDatabase::removeDatabase(m_connectionName);
}

bool Reader::ensureOpen()
{
    if (m_handle)
        return true;
    const BankFile::Status status = BankFile::check(m_bankPath);
    if (!status.ok) {
        m_lastError = status.message;
        return false;
    }
    QSqlDatabase db = BankFile::open(m_connectionName, m_bankPath);
    const QVariant handle = db.isOpen() ? db.driver()->handle() : QVariant();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        m_lastError = db.lastError().text();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(m_connectionName);
        return false;
    }
    m_handle = *static_cast<sqlite3 *const *>(handle.constData());
    return true;
}

bool Reader::fail()
{
    m_lastError = BankFile::describeEngineError(sqlite3_errcode(m_handle), QString::fromUtf8(sqlite3_errmsg(m_handle)));
    return false;
}

bool Reader::hasTable()
{
    Statement st(m_handle, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'lx'");
    return st && sqlite3_step(st.get()) == SQLITE_ROW;
}

qint64 Reader::dataVersion()
{
    Statement st(m_handle, "PRAGMA data_version");
    return (st && sqlite3_step(st.get()) == SQLITE_ROW) ? sqlite3_column_int64(st.get(), 0) : -1;
}

bool Reader::mayHaveChanged(const QDate &today)
{
    return !m_handle || m_readVersion < 0 || today != m_readDay || dataVersion() != m_readVersion;
}

bool Reader::read(const QDate &today, Summary *summary)
{
    Summary s;
    for (int back = kChartDays - 1; back >= 0; --back)
        s.lastDays << DayLine{today.addDays(-back)};
    m_readVersion = -1;
    if (!ensureOpen())
        return false;
    // One read transaction: the record and the questions as of one moment.
    if (sqlite3_exec(m_handle, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();
    const auto finish = [&](bool ok) {
        if (!ok)
            fail();
        sqlite3_exec(m_handle, "COMMIT", nullptr, nullptr, nullptr);
        return ok;
    };
    const qint64 version = dataVersion();
    if (!hasTable()) {
        *summary = s;
        m_readVersion = version;
        m_readDay = today;
        return finish(true);
    }

    // The record in the order it was stored: the latest answer to a question last.
    QHash<qint64, Tally> questions;
    QSet<int> days;
    const qint64 firstChartDay = s.lastDays.first().day.toJulianDay();
    int lastKey = -2;
    qint64 lastChartIndex = -1;
    {
        Statement st(m_handle, "SELECT \"题号\", \"批阅\", \"时间\" FROM lx ORDER BY \"序号\"");
        if (!st)
            return finish(false);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            const qint64 number = sqlite3_column_int64(st.get(), 0);
            const int mark = sqlite3_column_int(st.get(), 1);
            const bool right = mark == 1;
            ++s.answers;
            s.right += right;
            Tally &tally = questions[number];
            ++tally.answers;
            tally.right += right;
            tally.lastMark = mark;

            const int key = dayKey(sqlite3_column_text(st.get(), 2), sqlite3_column_bytes(st.get(), 2));
            if (key < 0)
                continue;
            if (key != lastKey) { // the rows of one day come one after another
                lastKey = key;
                days.insert(key);
                const QDate day(key / 10000, key / 100 % 100, key % 100);
                lastChartIndex = day.isValid() ? day.toJulianDay() - firstChartDay : -1;
            }
            if (lastChartIndex >= 0 && lastChartIndex < kChartDays) {
                DayLine &line = s.lastDays[lastChartIndex];
                ++line.answers;
                line.right += right;
            }
        }
        if (rc != SQLITE_DONE)
            return finish(false);
    }
    s.days = days.size();

    // The questions in bank order: their categories, and the notebook.
    QHash<QString, CategoryLine> categories;
    {
        Statement st(m_handle, "SELECT \"题号\", \"备注\" FROM zk ORDER BY rowid");
        if (!st)
            return finish(false);
        int rc;
        while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
            const auto found = questions.find(sqlite3_column_int64(st.get(), 0));
            if (found == questions.end() || found->inBank)
                continue;
            found->inBank = true;
            const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 1));
            const QString category = QString::fromUtf8(text, sqlite3_column_bytes(st.get(), 1));
            CategoryLine &line = categories[category];
            line.answers += found->answers;
            line.right += found->right;
            if (found->lastMark == 2)
                s.notebook << found.key();
        }
        if (rc != SQLITE_DONE)
            return finish(false);
    }
    // Answers to questions no longer in the bank count without a category.
    for (const Tally &tally : std::as_const(questions)) {
        if (tally.inBank)
            continue;
        CategoryLine &line = categories[QString()];
        line.answers += tally.answers;
        line.right += tally.right;
    }
    for (auto it = categories.begin(); it != categories.end(); ++it) {
        it->category = it.key();
        s.categories << *it;
    }
    std::sort(s.categories.begin(), s.categories.end(), weakerFirst);

    *summary = s;
    m_readVersion = version;
    m_readDay = today;
    return finish(true);
}

bool Reader::clear()
{
    if (!ensureOpen())
        return false;
    if (!hasTable())
        return true;
    if (sqlite3_exec(m_handle, "DELETE FROM lx", nullptr, nullptr, nullptr) != SQLITE_OK)
        return fail();
    return true;
}

} // namespace LearningRecord
