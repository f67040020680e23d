#include "bench/native.h"

#include "bench/setup.h"
#include "engine/database.h"

#include <QFile>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace bench::native {

namespace {

void check(int rc, sqlite3* db, const QString& what) {
    if (rc != SQLITE_OK && rc != SQLITE_DONE && rc != SQLITE_ROW) {
        std::fprintf(stderr, "sqlite: %s in %s\n", sqlite3_errmsg(db), qPrintable(what.left(200)));
        std::exit(1);
    }
}

void bindAll(sqlite3_stmt* st, const QVariantList& params) {
    for (int i = 0; i < params.size(); ++i) {
        const QVariant& v = params[i];
        if (v.isNull())
            sqlite3_bind_null(st, i + 1);
        else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(st, i + 1, v.toLongLong());
        else if (v.typeId() == QMetaType::Double)
            sqlite3_bind_double(st, i + 1, v.toDouble());
        else {
            const QByteArray b = v.toString().toUtf8();
            sqlite3_bind_text(st, i + 1, b.constData(), int(b.size()), SQLITE_TRANSIENT);
        }
    }
}

QVariant columnValue(sqlite3_stmt* st, int c) {
    switch (sqlite3_column_type(st, c)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_column_int64(st, c));
    case SQLITE_FLOAT:
        return sqlite3_column_double(st, c);
    case SQLITE_NULL:
        return {};
    default:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, c)),
                                 sqlite3_column_bytes(st, c));
    }
}

} // namespace

sqlite3* openFile(const QString& path) {
    for (const char* x : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(x));
    sqlite3* db = nullptr;
    check(sqlite3_open(QFile::encodeName(path).constData(), &db), db, path);
    exec(db, QStringLiteral("pragma journal_mode=delete"));
    exec(db, QStringLiteral("pragma synchronous=full"));
    return db;
}

void close(sqlite3* db, const QString& path) {
    sqlite3_close(db);
    for (const char* x : {"", "-journal", "-wal", "-shm"})
        QFile::remove(path + QLatin1String(x));
}

void exec(sqlite3* db, const QString& sql) {
    char* err = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "sqlite: %s in %s\n", err, qPrintable(sql.left(200)));
        sqlite3_free(err);
        std::exit(1);
    }
}

std::vector<QVariantList> query(sqlite3* db, const QString& sql, const QVariantList& params) {
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &st, nullptr), db, sql);
    bindAll(st, params);
    std::vector<QVariantList> rows;
    const int n = sqlite3_column_count(st);
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        QVariantList r;
        for (int c = 0; c < n; ++c)
            r << columnValue(st, c);
        rows.push_back(std::move(r));
    }
    check(rc, db, sql);
    sqlite3_finalize(st);
    return rows;
}

void copyTable(sqlite3* native, engine::Database& db, const QString& name) {
    const engine::Query cols = db.query(QStringLiteral("select * from %1 limit 0").arg(name));
    const QStringList names = cols.columns();
    exec(native, QStringLiteral("create table %1(%2)").arg(name, names.join(QLatin1Char(','))));
    QStringList marks;
    for (int i = 0; i < names.size(); ++i)
        marks << QStringLiteral("?");
    const QString ins = QStringLiteral("insert into %1 values(%2)").arg(name, marks.join(','));
    sqlite3_stmt* st = nullptr;
    check(sqlite3_prepare_v2(native, ins.toUtf8().constData(), -1, &st, nullptr), native, ins);
    exec(native, QStringLiteral("begin"));
    sqlite3_stmt* sel = nullptr;
    const QString s = QStringLiteral("select * from %1").arg(name);
    check(sqlite3_prepare_v2(db.handle(), s.toUtf8().constData(), -1, &sel, nullptr), db.handle(),
          s);
    while (sqlite3_step(sel) == SQLITE_ROW) {
        for (int c = 0; c < int(names.size()); ++c)
            sqlite3_bind_value(st, c + 1, sqlite3_column_value(sel, c));
        check(sqlite3_step(st), native, ins);
        sqlite3_reset(st);
    }
    sqlite3_finalize(sel);
    sqlite3_finalize(st);
    for (const QString& index : nativeIndexes(name))
        exec(native, index);
    exec(native, QStringLiteral("commit"));
}

void copyAll(sqlite3* native, engine::Database& db) {
    for (const char* t : {"lap", "lapb", "elrend", "beteg", "orvos", "apol", "zaras", "maradv",
                          "part", "szerz", "szolgsz", "telepul", "terulet", "thely", "bnotorzs"})
        copyTable(native, db, QString::fromLatin1(t));
    exec(native, QStringLiteral("analyze"));
}

Recorder::Recorder(engine::Database& db) : db_(db) {
    sqlite3_trace_v2(db_.handle(), SQLITE_TRACE_STMT, &Recorder::trace, this);
}

Recorder::~Recorder() {
    sqlite3_trace_v2(db_.handle(), 0, nullptr, nullptr);
}

void Recorder::start() {
    sql_.clear();
    on_ = true;
}

QStringList Recorder::stop() {
    on_ = false;
    return sql_;
}

int Recorder::trace(unsigned, void* ctx, void* p, void*) {
    auto* self = static_cast<Recorder*>(ctx);
    if (!self->on_) return 0;
    char* text = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(p));
    if (!text) return 0;
    const QString sql = QString::fromUtf8(text).trimmed();
    sqlite3_free(text);
    const QString head = sql.left(7).toLower();
    if (head.startsWith(QLatin1String("select")) || head.startsWith(QLatin1String("update")) ||
        head.startsWith(QLatin1String("delete")) || head.startsWith(QLatin1String("insert")) ||
        head.startsWith(QLatin1String("with")))
        self->sql_ << sql;
    return 0;
}

int replay(sqlite3* db, const QStringList& sql, QString* failed) {
    int bad = 0;
    for (const QString& s : sql) {
        sqlite3_stmt* st = nullptr;
        if (sqlite3_prepare_v2(db, s.toUtf8().constData(), -1, &st, nullptr) != SQLITE_OK) {
            if (failed && failed->isEmpty())
                *failed =
                    s.left(160) + QStringLiteral(": ") + QString::fromUtf8(sqlite3_errmsg(db));
            ++bad;
            continue;
        }
        int rc;
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            if (failed && failed->isEmpty()) *failed = s.left(160);
            ++bad;
        }
        sqlite3_finalize(st);
    }
    return bad;
}

} // namespace bench::native
