#pragma once
// The native SQLite twins of the benchmarks: a database file with copies of
// the program's tables (the same columns and rows, the program's index tags
// as indexes), and the statements the program ran, recorded from its own
// connection so that the twin runs exactly the same SQL texts.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <vector>

struct sqlite3;

namespace engine {
class Database;
}

namespace bench::native {

// A new database file at `path` (an old one removed) with a rollback
// journal and synchronous=FULL: a commit is on the disk when it returns,
// as a change unit's is.
sqlite3* openFile(const QString& path);
void close(sqlite3* db, const QString& path);

void exec(sqlite3* db, const QString& sql);
// Runs a statement to its end; values bound in order (a null QVariant as
// NULL, integers as integers, the rest as text). Returns the rows.
std::vector<QVariantList> query(sqlite3* db, const QString& sql, const QVariantList& params = {});

// Copies one of the program's tables as its SQL sees it, then adds the
// program's tags of it as indexes.
void copyTable(sqlite3* native, engine::Database& db, const QString& name);

// Copies every table of the program's folder that is open under its SQL
// name (the local tables and the county office's).
void copyAll(sqlite3* native, engine::Database& db);

// Records every statement the program's connection runs between start()
// and stop(), with its bound values written in (sqlite3_expanded_sql).
class Recorder {
public:
    explicit Recorder(engine::Database& db);
    ~Recorder();
    void start();
    QStringList stop();

private:
    static int trace(unsigned type, void* ctx, void* p, void* x);
    engine::Database& db_;
    QStringList sql_;
    bool on_ = false;
};

// Runs the recorded statements on the native tables; a statement the native
// side cannot run (a function only the program's connection has) is counted
// and its first text kept in *failed.
int replay(sqlite3* db, const QStringList& sql, QString* failed = nullptr);

} // namespace bench::native
