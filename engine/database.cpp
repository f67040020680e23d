#include "engine/database.h"

#include "engine/codepage.h"
#include "engine/collation.h"
#include "engine/dberror.h"
#include "engine/sqlmodule.h"
#include "engine/table.h"

#include <QDate>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstring>
#include <list>
#include <sqlite3.h>

namespace engine {

// ------------------------------------------------------------------ Query

int Query::columnIndex(const QString& name) const {
    for (int i = 0; i < columns_.size(); ++i)
        if (columns_[i].compare(name, Qt::CaseInsensitive) == 0) return i;
    return -1;
}

QVariant Query::value(int r, const QString& column) const {
    const int c = columnIndex(column);
    if (c < 0 || r < 0 || r >= rowCount()) return QVariant();
    return rows_[size_t(r)].value(c);
}

bool Query::next() {
    if (cur_ + 1 >= rowCount()) {
        cur_ = rowCount();
        return false;
    }
    ++cur_;
    return true;
}

namespace {

QString quoteIdent(const QString& name) {
    QString n = name;
    n.replace('"', QStringLiteral("\"\""));
    return '"' + n + '"';
}

} // namespace

// Prepared statements by their text, the most recent first. A statement is
// taken out while it runs (a query run from another's row gets its own) and
// put back reset; every statement is dropped when a table is attached or
// detached, or a tag added or dropped, since its plan names tags by number.
struct Database::StatementCache {
    struct Entry {
        QByteArray sql;
        sqlite3_stmt* st = nullptr;
    };
    std::list<Entry> entries;
    std::uint64_t epoch = 0, tagEpoch = 0;
    static constexpr size_t kMax = 48;

    void clear() {
        for (Entry& e : entries)
            sqlite3_finalize(e.st);
        entries.clear();
    }
    void sync(std::uint64_t dbEpoch) {
        if (epoch == dbEpoch && tagEpoch == Table::tagListEpoch()) return;
        clear();
        epoch = dbEpoch;
        tagEpoch = Table::tagListEpoch();
    }
    sqlite3_stmt* take(const QByteArray& sql) {
        for (auto it = entries.begin(); it != entries.end(); ++it)
            if (it->sql == sql) {
                sqlite3_stmt* st = it->st;
                entries.erase(it);
                return st;
            }
        return nullptr;
    }
    void give(const QByteArray& sql, sqlite3_stmt* st) {
        entries.push_front({sql, st});
        if (entries.size() > kMax) {
            sqlite3_finalize(entries.back().st);
            entries.pop_back();
        }
    }
};

struct Database::Private {
    static Table* find(Database* db, int id) {
        auto it = db->byId_.find(id);
        return it == db->byId_.end() ? nullptr : it->second;
    }
};

Table* lookupTable(Database* db, int id) {
    return Database::Private::find(db, id);
}

// ------------------------------------------------------------------ Database

Database::Database(const QString& directory) : dir_(directory) {
    if (sqlite3_open_v2(":memory:", &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK)
        throw DbError(DbError::Kind::Query, QString(), QStringLiteral("az SQL motor nem indul"));
    sqlite3_create_module(db_, "dbf", &dbfModule(), this);
    cache_ = std::make_unique<StatementCache>();
}

Database::~Database() {
    if (cache_) cache_->clear();
    sqlite3_close_v2(db_);
}

QString Database::filePath(const QString& fileName) const {
    QString d = dir_;
    if (!d.isEmpty() && !d.endsWith('/')) d += '/';
    return findFileNoCase(d + fileName);
}

void Database::attach(Table* table) {
    if (table->name().isEmpty()) return;
    for (const auto& [id, t] : byId_)
        if (t == table) return;
    const int id = nextId_++;
    byId_[id] = table;
    ++epoch_;
    const QString sql = QStringLiteral("CREATE VIRTUAL TABLE temp.%1 USING dbf(%2)")
                            .arg(quoteIdent(table->name().toLower()))
                            .arg(id);
    char* err = nullptr;
    if (sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : "");
        sqlite3_free(err);
        byId_.erase(id);
        throw DbError(DbError::Kind::Query, table->path(), msg);
    }
}

void Database::detach(Table* table) {
    for (auto it = byId_.begin(); it != byId_.end(); ++it) {
        if (it->second != table) continue;
        const QString sql =
            QStringLiteral("DROP TABLE IF EXISTS temp.%1").arg(quoteIdent(table->name().toLower()));
        ++epoch_;
        cache_->sync(epoch_); // the statements reading the table go first
        sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
        byId_.erase(it);
        return;
    }
}

Table* Database::tableNamed(const QString& name) const {
    for (const auto& [id, t] : byId_)
        if (t->name().compare(name, Qt::CaseInsensitive) == 0) return t;
    return nullptr;
}

QString Database::resolveFileTables(const QString& sql, bool writing,
                                    std::vector<std::unique_ptr<Table>>& opened) {
    // A table file named by its path in single quotes where a table belongs.
    static const QRegularExpression re(
        QStringLiteral("(\\bfrom|\\bjoin|\\bupdate|\\binto|,)(\\s*)'([^']+\\.dbf)'"),
        QRegularExpression::CaseInsensitiveOption);
    QString out;
    qsizetype last = 0;
    auto it = re.globalMatch(sql);
    while (it.hasNext()) {
        const auto m = it.next();
        const QString path = findFileNoCase(m.captured(3));
        const QString canon = QFileInfo(path).canonicalFilePath();
        QString name;
        for (const auto& [id, t] : byId_)
            if (!canon.isEmpty() && QFileInfo(t->path()).canonicalFilePath() == canon)
                name = t->name();
        if (name.isEmpty()) {
            for (const auto& t : opened)
                if (QFileInfo(t->path()).canonicalFilePath() == canon) name = t->name();
        }
        if (name.isEmpty()) {
            auto t = std::make_unique<Table>(QStringLiteral("szfile_%1").arg(nextFile_++), this);
            t->open(path, writing ? Table::Mode::Exclusive : Table::Mode::ReadOnly);
            name = t->name();
            opened.push_back(std::move(t));
        }
        out += sql.mid(last, m.capturedStart(3) - 1 - last);
        out += quoteIdent(name.toLower());
        last = m.capturedEnd(3) + 1;
    }
    out += sql.mid(last);
    return out;
}

namespace {

// Binds parameter n (1 first) of the statement to v.
int bindParam(sqlite3_stmt* st, int n, const QVariant& v) {
    if (!v.isValid() || v.isNull()) return sqlite3_bind_null(st, n);
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::Bool:
        return sqlite3_bind_int64(st, n, v.toLongLong());
    case QMetaType::Double:
        return sqlite3_bind_double(st, n, v.toDouble());
    case QMetaType::QDate: {
        const QByteArray b = v.toDate().toString(Qt::ISODate).toUtf8();
        return sqlite3_bind_text(st, n, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    default: {
        const QByteArray b = v.toString().toUtf8();
        return sqlite3_bind_text(st, n, b.constData(), int(b.size()), SQLITE_TRANSIENT);
    }
    }
}

// The current row of the statement, its ncol columns as values.
QVariantList readRow(sqlite3_stmt* st, int ncol) {
    QVariantList row;
    row.reserve(ncol);
    for (int c = 0; c < ncol; ++c) {
        switch (sqlite3_column_type(st, c)) {
        case SQLITE_INTEGER:
            row << qlonglong(sqlite3_column_int64(st, c));
            break;
        case SQLITE_FLOAT:
            row << sqlite3_column_double(st, c);
            break;
        case SQLITE_TEXT:
            row << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                     sqlite3_column_bytes(st, c));
            break;
        case SQLITE_NULL:
            row << QVariant();
            break;
        default:
            row << QByteArray(static_cast<const char*>(sqlite3_column_blob(st, c)),
                              sqlite3_column_bytes(st, c));
        }
    }
    return row;
}

} // namespace

void Database::run(const QString& sqlIn, const QVariantList& params, QStringList* columns,
                   const RowSink* sink, int* changed) {
    const QString trimmed = sqlIn.trimmed();
    const bool writing = !trimmed.startsWith(QLatin1String("select"), Qt::CaseInsensitive) &&
                         !trimmed.startsWith(QLatin1String("with"), Qt::CaseInsensitive);
    std::vector<std::unique_ptr<Table>> opened;
    auto fail = [&](const QString& msg) {
        return DbError(DbError::Kind::Query, QString(),
                       QStringLiteral("Hiba a lefutásban: %1 (%2)").arg(msg, trimmed));
    };
    QString sql;
    try {
        sql = resolveFileTables(sqlIn, writing, opened);
    } catch (const DbError& e) {
        throw DbError(DbError::Kind::Query, e.file(), e.detail());
    }
    const QByteArray utf = sql.toUtf8();
    // Statements reading tables opened for this run alone are not kept.
    const bool keep = opened.empty();
    cache_->sync(epoch_);
    sqlite3_stmt* st = keep ? cache_->take(utf) : nullptr;
    if (!st) {
        const char* tail = nullptr;
        if (sqlite3_prepare_v2(db_, utf.constData(), int(utf.size()), &st, &tail) != SQLITE_OK)
            throw fail(QString::fromUtf8(sqlite3_errmsg(db_)));
        if (!st) throw fail(QStringLiteral("üres lekérdezés"));
    }
    // After the run the statement goes back to the cache, reset, when the
    // tables and tags it was planned on are still the same; else it ends.
    const std::uint64_t epochBefore = epoch_, tagEpochBefore = Table::tagListEpoch();
    auto release = [this, keep, utf, epochBefore, tagEpochBefore](sqlite3_stmt* s) {
        sqlite3_reset(s);
        sqlite3_clear_bindings(s);
        if (keep && epoch_ == epochBefore && Table::tagListEpoch() == tagEpochBefore) {
            cache_->sync(epoch_);
            cache_->give(utf, s);
        } else {
            sqlite3_finalize(s);
        }
    };
    std::unique_ptr<sqlite3_stmt, decltype(release)> guard(st, release);
    const int nparams = sqlite3_bind_parameter_count(st);
    if (nparams != params.size())
        throw fail(
            QStringLiteral("%1 paraméter kell, %2 érkezett").arg(nparams).arg(params.size()));
    for (int i = 0; i < nparams; ++i)
        if (bindParam(st, i + 1, params[i]) != SQLITE_OK)
            throw fail(QString::fromUtf8(sqlite3_errmsg(db_)));
    const int ncol = sqlite3_column_count(st);
    if (columns) {
        for (int c = 0; c < ncol; ++c)
            *columns << QString::fromUtf8(sqlite3_column_name(st, c));
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (!sink) continue;
        QVariantList row = readRow(st, ncol);
        (*sink)(std::move(row));
    }
    if (rc != SQLITE_DONE) throw fail(QString::fromUtf8(sqlite3_errmsg(db_)));
    if (changed) *changed = sqlite3_changes(db_);
}

Query Database::query(const QString& sql, const QVariantList& params) {
    Query q;
    const RowSink keep = [&q](QVariantList&& row) { q.rows_.push_back(std::move(row)); };
    run(sql, params, &q.columns_, &keep, nullptr);
    return q;
}

void Database::each(const QString& sql, const QVariantList& params,
                    const std::function<void(const QVariantList&)>& row) {
    const RowSink pass = [&row](QVariantList&& r) { row(r); };
    run(sql, params, nullptr, &pass, nullptr);
}

int Database::exec(const QString& sql, const QVariantList& params) {
    int n = 0;
    run(sql, params, nullptr, nullptr, &n);
    return n;
}

} // namespace engine
