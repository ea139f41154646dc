#include "register/blankregister.h"

#include "core/certificatefields.h"
#include "core/programdir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>

#include <atomic>

namespace gravik::blanks {

namespace {

constexpr char kDateFormat[] = "yyyy-MM-dd HH:mm:ss";

QString stamp(const QDateTime &t)
{
    return t.toString(QString::fromLatin1(kDateFormat));
}

QDateTime fromStamp(const QVariant &v)
{
    return v.isNull() ? QDateTime() : QDateTime::fromString(v.toString(), QString::fromLatin1(kDateFormat));
}

bool fail(QString *error, const QString &text)
{
    if (error)
        *error = text;
    return false;
}

QString sqlError(const QSqlError &e)
{
    return e.text().trimmed();
}

// Runs one statement; false and *error with the file's name on failure.
bool run(QSqlQuery &q, QString *error)
{
    return q.exec() || fail(error, QStringLiteral("журнал бланков: %1").arg(sqlError(q.lastError())));
}

bool run(const QSqlDatabase &db, const QString &sql, QString *error)
{
    QSqlQuery q(db);
    return q.exec(sql) || fail(error, QStringLiteral("журнал бланков: %1").arg(sqlError(q.lastError())));
}

// One write transaction, taken at once so two writers queue instead of
// failing halfway; rolled back unless committed. A reading one sees one
// state of the register throughout.
class Transaction
{
public:
    enum Kind { Write, Read };
    explicit Transaction(const QSqlDatabase &db, Kind kind = Write) : m_db(db), m_kind(kind) {}
    ~Transaction()
    {
        if (m_begun && !m_done)
            run(m_db, QStringLiteral("ROLLBACK"), nullptr);
    }
    bool begin(QString *error)
    {
        return m_begun = run(m_db, m_kind == Write ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"), error);
    }
    bool commit(QString *error) { return m_done = run(m_db, QStringLiteral("COMMIT"), error); }

private:
    QSqlDatabase m_db;
    Kind m_kind;
    bool m_begun = false, m_done = false;
};

// Lower-case text the search looks in (SQLite's own LIKE folds only ASCII).
QString searchText(const BlankNumber &b, const PrintedPage &p)
{
    return QStringList{b.text(), b.series + b.digits, p.surname, p.name, p.patronymic, p.registration}
        .join(QLatin1Char('\n'))
        .toLower();
}

const char *const kSchema[] = {
    "CREATE TABLE IF NOT EXISTS meta (key TEXT PRIMARY KEY, value TEXT NOT NULL)",
    "CREATE TABLE IF NOT EXISTS entries ("
    " id INTEGER PRIMARY KEY,"
    " series TEXT NOT NULL, digits TEXT NOT NULL, value INTEGER NOT NULL,"
    " recorded TEXT NOT NULL,"
    " surname TEXT NOT NULL DEFAULT '', name TEXT NOT NULL DEFAULT '', patronymic TEXT NOT NULL DEFAULT '',"
    " registration TEXT NOT NULL DEFAULT '',"
    " printer TEXT NOT NULL DEFAULT '', job INTEGER NOT NULL DEFAULT 0,"
    " state TEXT NOT NULL CHECK (state IN ('issued', 'spoiled', 'written-off')),"
    " reason TEXT NOT NULL DEFAULT '', changed TEXT,"
    " search TEXT NOT NULL DEFAULT '',"
    " UNIQUE (series, value))",
    "CREATE TABLE IF NOT EXISTS changes ("
    " id INTEGER PRIMARY KEY, entry INTEGER NOT NULL REFERENCES entries (id),"
    " at TEXT NOT NULL, state TEXT NOT NULL, reason TEXT NOT NULL DEFAULT '')",
    "CREATE INDEX IF NOT EXISTS changes_entry ON changes (entry)",
    // An accounting record is corrected by a change of state, never removed.
    "CREATE TRIGGER IF NOT EXISTS entries_kept BEFORE DELETE ON entries"
    " BEGIN SELECT RAISE(ABORT, 'entries of the register are never deleted'); END",
};

// The WHERE clause of a filter and its values, in order.
struct Where {
    QString sql;
    QVariantList values;
};

Where whereOf(const Filter &f)
{
    QStringList parts;
    Where w;
    if (f.from.isValid()) {
        parts << QStringLiteral("recorded >= ?");
        w.values << f.from.toString(Qt::ISODate);
    }
    if (f.to.isValid()) {
        parts << QStringLiteral("recorded < ?");
        w.values << f.to.addDays(1).toString(Qt::ISODate);
    }
    if (f.state) {
        parts << QStringLiteral("state = ?");
        w.values << stateCode(*f.state);
    }
    if (const QString s = f.search.simplified().toLower(); !s.isEmpty()) {
        parts << QStringLiteral("instr(search, ?) > 0");
        w.values << s;
    }
    if (!parts.isEmpty())
        w.sql = QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
    return w;
}

// A null QString binds as SQL NULL; the text columns hold empty texts instead.
QVariant text(const QString &s)
{
    return s.isNull() ? QVariant(QStringLiteral("")) : QVariant(s);
}

void bindAll(QSqlQuery &q, const QVariantList &values)
{
    for (const QVariant &v : values)
        q.addBindValue(v);
}

} // namespace

QString stateCode(State s)
{
    switch (s) {
    case State::Issued:
        return QStringLiteral("issued");
    case State::Spoiled:
        return QStringLiteral("spoiled");
    case State::WrittenOff:
        break;
    }
    return QStringLiteral("written-off");
}

std::optional<State> stateOf(const QString &code)
{
    for (State s : {State::Issued, State::Spoiled, State::WrittenOff})
        if (stateCode(s) == code)
            return s;
    return std::nullopt;
}

PrintedPage printedPage(const std::vector<page::FieldContent> &fields)
{
    // By the box each field prints, as the page has them (not the boxes as typed now).
    const std::pair<Value, QString PrintedPage::*> lines[] = {
        {Value::Surname, &PrintedPage::surname},
        {Value::FirstName, &PrintedPage::name},
        {Value::Patronymic, &PrintedPage::patronymic},
        {Value::RegistrationNumber, &PrintedPage::registration}};
    PrintedPage p;
    for (const page::FieldContent &f : fields) {
        const CertificateField &field = certificateField(f.number);
        if (field.source != CertificateField::Source::InputBox)
            continue;
        for (const auto &[value, member] : lines)
            if (field.value == value)
                p.*member = f.text;
    }
    return p;
}

Register::Register(const QString &path, QObject *parent) : QObject(parent), m_path(path)
{
    static std::atomic<int> serial{0};
    m_connection = QStringLiteral("gravik-register-%1").arg(++serial);
}

Register::~Register()
{
    if (QSqlDatabase::contains(m_connection)) {
        QSqlDatabase::database(m_connection, false).close();
        QSqlDatabase::removeDatabase(m_connection);
    }
}

QString Register::defaultPath()
{
    return programdir::file(QStringLiteral("data/register.sqlite"));
}

QSqlDatabase Register::db() const
{
    return QSqlDatabase::database(m_connection, false);
}

bool Register::use(QString *error)
{
    if (m_open)
        return true;
    if (m_path.isEmpty())
        m_path = defaultPath();
    if (!QSqlDatabase::isDriverAvailable(QStringLiteral("QSQLITE")))
        return fail(error, QStringLiteral("нет драйвера SQLite для Qt (пакет libqt6sql6-sqlite)"));
    if (!QDir().mkpath(QFileInfo(m_path).absolutePath()))
        return fail(error, QStringLiteral("не удалось создать папку %1")
                               .arg(QDir::toNativeSeparators(QFileInfo(m_path).absolutePath())));
    if (!QSqlDatabase::contains(m_connection)) {
        QSqlDatabase d = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connection);
        // Another writer (gravik-print, the window) holds the file only for a
        // moment: wait for it rather than fail.
        d.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=15000"));
    }
    QSqlDatabase d = db();
    d.setDatabaseName(m_path);
    if (!d.open())
        return fail(error, QStringLiteral("журнал бланков %1 не открывается: %2")
                               .arg(QDir::toNativeSeparators(m_path), sqlError(d.lastError())));
    bool unreadable = false;
    if (!create(error, &unreadable)) {
        if (!unreadable)
            return false;
        // Not a register we can read: kept as it is, a new one takes its place.
        d.close();
        if (!moveAside(error))
            return false;
        if (!d.open() || !create(error, &unreadable))
            return false;
        m_open = true;
        emit movedAside(m_path, m_keptAside);
        return true;
    }
    m_open = true;
    return true;
}

bool Register::create(QString *error, bool *unreadable)
{
    QSqlDatabase d = db();
    QSqlQuery q(d);
    if (!q.exec(QStringLiteral("PRAGMA quick_check"))) {
        // Only a file that is no database or a damaged one; a busy one is waited for, not taken away.
        const QString code = q.lastError().nativeErrorCode();
        *unreadable = code == QLatin1String("26") || code == QLatin1String("11");
        return fail(error, QStringLiteral("журнал бланков %1: %2")
                               .arg(QDir::toNativeSeparators(m_path), sqlError(q.lastError())));
    }
    if (!q.next() || q.value(0).toString() != QLatin1String("ok")) {
        *unreadable = true;
        return fail(error, QStringLiteral("журнал бланков %1 повреждён").arg(QDir::toNativeSeparators(m_path)));
    }
    q.finish();
    if (!q.exec(QStringLiteral("PRAGMA user_version")) || !q.next())
        return fail(error, sqlError(q.lastError()));
    const int version = q.value(0).toInt();
    q.finish();
    if (version > SchemaVersion) {
        // A later program's register: neither ours to change nor to move.
        return fail(error, QStringLiteral("журнал бланков %1 сделан более новой версией программы")
                               .arg(QDir::toNativeSeparators(m_path)));
    }
    run(d, QStringLiteral("PRAGMA synchronous = FULL"), nullptr);
    if (version == SchemaVersion)
        return run(d, QStringLiteral("PRAGMA journal_mode = WAL"), error);
    // A new file: the tables, then the version, in one step.
    if (!run(d, QStringLiteral("PRAGMA journal_mode = WAL"), error))
        return false;
    Transaction t(d);
    if (!t.begin(error))
        return false;
    for (const char *sql : kSchema)
        if (!run(d, QString::fromLatin1(sql), error))
            return false;
    return run(d, QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion), error) && t.commit(error);
}

bool Register::moveAside(QString *error)
{
    QString kept = m_path + QStringLiteral(".unreadable");
    const QString dated = kept + QDateTime::currentDateTime().toString(QStringLiteral("-yyyyMMdd-HHmmss"));
    for (int n = 1; QFileInfo::exists(kept); ++n)
        kept = n == 1 ? dated : dated + QStringLiteral("-%1").arg(n);
    if (!QFile::rename(m_path, kept))
        return fail(error, QStringLiteral("журнал бланков %1 не читается и не может быть отложен в %2")
                               .arg(QDir::toNativeSeparators(m_path), QDir::toNativeSeparators(kept)));
    // Its log belongs to it: a new file must not take it up.
    for (const char *suffix : {"-wal", "-shm"})
        if (QFileInfo::exists(m_path + QLatin1String(suffix)))
            QFile::rename(m_path + QLatin1String(suffix), kept + QLatin1String(suffix));
    m_keptAside = kept;
    return true;
}

std::optional<BlankNumber> Register::nextBlank() const
{
    QSqlQuery q(db());
    if (!q.exec(QStringLiteral("SELECT value FROM meta WHERE key = 'next'")) || !q.next())
        return std::nullopt;
    return BlankNumber::parse(q.value(0).toString());
}

bool Register::setNextBlank(const BlankNumber &blank, QString *error)
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES ('next', ?)"));
    q.addBindValue(blank.text());
    if (!run(q, error))
        return false;
    emit changed();
    return true;
}

bool Register::rangeFree(const BlankNumber &start, int count, QString *error) const
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT digits FROM entries WHERE series = ? AND value >= ? AND value < ? "
                             "ORDER BY value LIMIT 1"));
    q.addBindValue(start.series);
    q.addBindValue(start.value());
    q.addBindValue(start.value() + count);
    if (!run(q, error))
        return false;
    if (q.next())
        return fail(error, QStringLiteral("бланк %1 уже есть в журнале")
                               .arg(BlankNumber{start.series, q.value(0).toString()}.text()));
    return true;
}

std::optional<BlankNumber> Register::freeBlanks(const std::optional<BlankNumber> &start, int count,
                                                QString *error) const
{
    Transaction t(db(), Transaction::Read);
    if (!t.begin(error))
        return std::nullopt;
    const std::optional<BlankNumber> first = firstBlank(start, error);
    if (!first || !rangeFree(*first, count, error) || !t.commit(error))
        return std::nullopt;
    return first;
}

std::optional<BlankNumber> Register::firstBlank(const std::optional<BlankNumber> &start, QString *error) const
{
    if (const std::optional<BlankNumber> first = start ? start : nextBlank())
        return first;
    fail(error, QStringLiteral("не задан следующий бланк: укажите его серию и номер в журнале бланков"));
    return std::nullopt;
}

std::optional<std::vector<BlankNumber>> Register::record(const std::vector<PrintedPage> &pages, const QString &printer,
                                                         int job, const std::optional<BlankNumber> &start,
                                                         QString *error)
{
    QSqlDatabase d = db();
    Transaction t(d);
    if (!t.begin(error))
        return std::nullopt;
    const std::optional<BlankNumber> first = firstBlank(start, error);
    if (!first)
        return std::nullopt;
    const QString now = stamp(QDateTime::currentDateTime());
    QSqlQuery q(d);
    q.prepare(QStringLiteral("INSERT INTO entries (series, digits, value, recorded, surname, name, patronymic, "
                             "registration, printer, job, state, search) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
                             "'issued', ?)"));
    std::vector<BlankNumber> used;
    used.reserve(pages.size());
    for (const PrintedPage &p : pages) {
        const BlankNumber b = first->plus(qint64(used.size()));
        for (const QVariant &v : {text(b.series), text(b.digits), QVariant(b.value()), QVariant(now),
                                  text(p.surname), text(p.name), text(p.patronymic), text(p.registration),
                                  text(printer), QVariant(job), text(searchText(b, p))})
            q.addBindValue(v);
        if (!q.exec()) {
            const QString why = sqlError(q.lastError());
            fail(error, why.contains(QLatin1String("UNIQUE")) ? QStringLiteral("бланк %1 уже есть в журнале").arg(b.text())
                                                              : QStringLiteral("журнал бланков: %1").arg(why));
            return std::nullopt;
        }
        used.push_back(b);
    }
    QSqlQuery next(d);
    next.prepare(QStringLiteral("INSERT OR REPLACE INTO meta (key, value) VALUES ('next', ?)"));
    next.addBindValue(first->plus(qint64(pages.size())).text());
    if (!run(next, error) || !t.commit(error))
        return std::nullopt;
    emit changed();
    return used;
}

bool Register::setState(qint64 id, State from, State to, const QString &reason, QString *error)
{
    QSqlDatabase d = db();
    Transaction t(d);
    if (!t.begin(error))
        return false;
    const QString now = stamp(QDateTime::currentDateTime());
    QSqlQuery q(d);
    q.prepare(QStringLiteral("UPDATE entries SET state = ?, reason = ?, changed = ? WHERE id = ? AND state = ?"));
    for (const QVariant &v : {QVariant(stateCode(to)), text(reason), QVariant(now), QVariant(id),
                              QVariant(stateCode(from))})
        q.addBindValue(v);
    if (!run(q, error))
        return false;
    if (q.numRowsAffected() != 1)
        return fail(error, QStringLiteral("запись %1 не найдена или уже изменена").arg(id));
    QSqlQuery h(d);
    h.prepare(QStringLiteral("INSERT INTO changes (entry, at, state, reason) VALUES (?, ?, ?, ?)"));
    for (const QVariant &v : {QVariant(id), QVariant(now), QVariant(stateCode(to)), text(reason)})
        h.addBindValue(v);
    if (!run(h, error) || !t.commit(error))
        return false;
    emit changed();
    return true;
}

bool Register::spoil(qint64 id, const QString &reason, QString *error)
{
    return setState(id, State::Issued, State::Spoiled, reason.trimmed(), error);
}

bool Register::restore(qint64 id, QString *error)
{
    return setState(id, State::Spoiled, State::Issued, QString(), error);
}

bool Register::writeOff(const BlankNumber &blank, const QString &reason, QString *error)
{
    QSqlDatabase d = db();
    Transaction t(d);
    if (!t.begin(error))
        return false;
    const QString now = stamp(QDateTime::currentDateTime());
    QSqlQuery q(d);
    q.prepare(QStringLiteral("INSERT INTO entries (series, digits, value, recorded, state, reason, changed, search) "
                             "VALUES (?, ?, ?, ?, 'written-off', ?, ?, ?)"));
    for (const QVariant &v : {text(blank.series), text(blank.digits), QVariant(blank.value()), QVariant(now),
                              text(reason.trimmed()), QVariant(now), text(searchText(blank, {}))})
        q.addBindValue(v);
    if (!q.exec()) {
        const QString why = sqlError(q.lastError());
        return fail(error, why.contains(QLatin1String("UNIQUE")) ? QStringLiteral("бланк %1 уже есть в журнале").arg(blank.text())
                                                                 : QStringLiteral("журнал бланков: %1").arg(why));
    }
    const qint64 id = q.lastInsertId().toLongLong();
    QSqlQuery h(d);
    h.prepare(QStringLiteral("INSERT INTO changes (entry, at, state, reason) VALUES (?, ?, 'written-off', ?)"));
    for (const QVariant &v : {QVariant(id), QVariant(now), text(reason.trimmed())})
        h.addBindValue(v);
    if (!run(h, error))
        return false;
    if (const auto next = nextBlank(); next && *next == blank) {
        QSqlQuery n(d);
        n.prepare(QStringLiteral("UPDATE meta SET value = ? WHERE key = 'next'"));
        n.addBindValue(blank.plus(1).text());
        if (!run(n, error))
            return false;
    }
    if (!t.commit(error))
        return false;
    emit changed();
    return true;
}

int Register::count(const Filter &filter) const
{
    const Where w = whereOf(filter);
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT count(*) FROM entries") + w.sql);
    bindAll(q, w.values);
    return q.exec() && q.next() ? q.value(0).toInt() : 0;
}

std::vector<Entry> Register::entries(const Filter &filter, int offset, int limit) const
{
    const Where w = whereOf(filter);
    QSqlQuery q(db());
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT id, series, digits, recorded, surname, name, patronymic, registration, printer, "
                             "job, state, reason, changed FROM entries") +
              w.sql + QStringLiteral(" ORDER BY id LIMIT ? OFFSET ?"));
    bindAll(q, w.values);
    q.addBindValue(limit);
    q.addBindValue(offset);
    std::vector<Entry> out;
    if (!q.exec())
        return out;
    while (q.next()) {
        Entry e;
        e.id = q.value(0).toLongLong();
        e.blank = {q.value(1).toString(), q.value(2).toString()};
        e.recorded = fromStamp(q.value(3));
        e.pupil = {q.value(4).toString(), q.value(5).toString(), q.value(6).toString(), q.value(7).toString()};
        e.printer = q.value(8).toString();
        e.job = q.value(9).toInt();
        e.state = stateOf(q.value(10).toString()).value_or(State::Issued);
        e.reason = q.value(11).toString();
        e.changed = fromStamp(q.value(12));
        out.push_back(std::move(e));
    }
    return out;
}

std::vector<Gap> Register::gaps() const
{
    // Each entry whose next number is missing, up to the series' next entry.
    QSqlQuery q(db());
    q.setForwardOnly(true);
    std::vector<Gap> out;
    if (!q.exec(QStringLiteral(
            "SELECT e.series, e.digits, (SELECT min(f.value) FROM entries f WHERE f.series = e.series AND f.value > e.value) "
            "FROM entries e WHERE NOT EXISTS (SELECT 1 FROM entries g WHERE g.series = e.series AND g.value = e.value + 1) "
            "AND EXISTS (SELECT 1 FROM entries h WHERE h.series = e.series AND h.value > e.value) "
            "ORDER BY e.series, e.value")))
        return out;
    while (q.next()) {
        const BlankNumber before{q.value(0).toString(), q.value(1).toString()};
        const qint64 after = q.value(2).toLongLong();
        out.push_back({before.plus(1), before.plus(after - 1 - before.value())});
    }
    return out;
}

std::vector<Register::Change> Register::history(qint64 id) const
{
    QSqlQuery q(db());
    q.prepare(QStringLiteral("SELECT at, state, reason FROM changes WHERE entry = ? ORDER BY id"));
    q.addBindValue(id);
    std::vector<Change> out;
    if (q.exec())
        while (q.next())
            out.push_back({fromStamp(q.value(0)), stateOf(q.value(1).toString()).value_or(State::Issued),
                           q.value(2).toString()});
    return out;
}

QString Register::integrity() const
{
    QSqlQuery q(db());
    return q.exec(QStringLiteral("PRAGMA integrity_check")) && q.next() ? q.value(0).toString()
                                                                        : sqlError(q.lastError());
}

} // namespace gravik::blanks
