#include "learningrecord.h"

#include <QAtomicInt>
#include <QHash>
#include <QSet>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>

#include <sqlite3.h>

#include <algorithm>
#include <vector>

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

// One question's answers in the record.
struct Tally
{
    qint32 answers = 0;
    qint32 right = 0;
    qint8 lastMark = 0;
    bool inBank = false;
};

// The tallies by 题号: an array over the bank's range of numbers (1..N as a
// rule), so that a record of 100,000 answers is counted without a hash
// lookup for each; numbers outside the range go to a hash.
class Tallies
{
public:
    Tallies(qint64 first, qint64 last)
        : m_first(first)
    {
        if (last >= first && last - first < kMostInArray)
            m_array.resize(size_t(last - first + 1));
    }
    Tally &operator[](qint64 number)
    {
        const quint64 at = quint64(number - m_first);
        return at < m_array.size() ? m_array[at] : m_others[number];
    }
    // The tally of a question with answers, or nullptr.
    Tally *find(qint64 number)
    {
        const quint64 at = quint64(number - m_first);
        if (at < m_array.size())
            return m_array[at].answers > 0 ? &m_array[at] : nullptr;
        const auto found = m_others.find(number);
        return found == m_others.end() ? nullptr : &*found;
    }
    template<typename Fn>
    void forEach(Fn fn) const
    {
        for (const Tally &tally : m_array) {
            if (tally.answers > 0)
                fn(tally);
        }
        for (const Tally &tally : m_others)
            fn(tally);
    }

private:
    static constexpr qint64 kMostInArray = qint64(1) << 22;
    qint64 m_first;
    std::vector<Tally> m_array;
    QHash<qint64, Tally> m_others;
};

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

    Tallies tallies(number("SELECT min(\"题号\") FROM zk"), number("SELECT max(\"题号\") FROM zk"));
    if (!readAnswers(&tallies, &s) || !readQuestions(&tallies, &s))
        return finish(false);
    std::sort(s.categories.begin(), s.categories.end(), weakerFirst);

    *summary = s;
    m_readVersion = version;
    m_readDay = today;
    return finish(true);
}

qint64 Reader::number(const char *sql)
{
    Statement st(m_handle, sql);
    return (st && sqlite3_step(st.get()) == SQLITE_ROW) ? sqlite3_column_int64(st.get(), 0) : 0;
}

bool Reader::readAnswers(Tallies *tallies, Summary *s)
{
    // In the order stored: the latest answer to a question comes last.
    Statement st(m_handle, "SELECT \"题号\", \"批阅\", \"时间\" FROM lx ORDER BY \"序号\"");
    if (!st)
        return false;
    QSet<int> days;
    const qint64 firstChartDay = s->lastDays.first().day.toJulianDay();
    int lastKey = -2;
    qint64 chartIndex = -1;
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const int mark = sqlite3_column_int(st.get(), 1);
        const bool right = mark == 1;
        ++s->answers;
        s->right += right;
        Tally &tally = (*tallies)[sqlite3_column_int64(st.get(), 0)];
        ++tally.answers;
        tally.right += right;
        tally.lastMark = qint8(mark);

        const int key = dayKey(sqlite3_column_text(st.get(), 2), sqlite3_column_bytes(st.get(), 2));
        if (key < 0)
            continue;
        if (key != lastKey) { // the answers of one day come one after another
            lastKey = key;
            days.insert(key);
            const QDate day(key / 10000, key / 100 % 100, key % 100);
            chartIndex = day.isValid() ? day.toJulianDay() - firstChartDay : -1;
        }
        if (chartIndex >= 0 && chartIndex < kChartDays) {
            DayLine &line = s->lastDays[chartIndex];
            ++line.answers;
            line.right += right;
        }
    }
    s->days = days.size();
    return rc == SQLITE_DONE;
}

bool Reader::readQuestions(Tallies *tallies, Summary *s)
{
    // In bank order: the categories of the answered questions, and the notebook.
    Statement st(m_handle, "SELECT \"题号\", \"备注\" FROM zk ORDER BY rowid");
    if (!st)
        return false;
    QList<CategoryLine> lines;
    QHash<QByteArray, qsizetype> lineOf; // 备注 as stored (UTF-8) -> its line
    const auto lineFor = [&](const QByteArray &utf8) -> CategoryLine & {
        auto found = lineOf.constFind(utf8);
        if (found == lineOf.cend()) {
            found = lineOf.insert(QByteArray(utf8.constData(), utf8.size()), lines.size());
            lines << CategoryLine{QString::fromUtf8(utf8)};
        }
        return lines[*found];
    };
    int rc;
    while ((rc = sqlite3_step(st.get())) == SQLITE_ROW) {
        const qint64 number = sqlite3_column_int64(st.get(), 0);
        Tally *tally = tallies->find(number);
        if (!tally || tally->inBank)
            continue;
        tally->inBank = true;
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(st.get(), 1));
        CategoryLine &line = lineFor(QByteArray::fromRawData(text ? text : "", sqlite3_column_bytes(st.get(), 1)));
        line.answers += tally->answers;
        line.right += tally->right;
        if (tally->lastMark == 2)
            s->notebook << number;
    }
    // Answers to questions no longer in the bank count without a category.
    tallies->forEach([&](const Tally &tally) {
        if (tally.inBank)
            return;
        CategoryLine &line = lineFor(QByteArray());
        line.answers += tally.answers;
        line.right += tally.right;
    });
    s->categories = lines;
    return rc == SQLITE_DONE;
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
