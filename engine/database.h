#pragma once
// The database: a directory of table files and an SQLite connection that sees
// every open table object under its name as a virtual table, and any table
// file named in a query by its path in single quotes. Queries and updates go
// through the table objects, so they see what the objects hold, records
// posted a moment ago included.
//
// How values look in SQL: character fields without trailing blanks, dates as
// ISO text (YYYY-MM-DD), numbers as integers (no decimals) or reals; a blank
// field of any type is NULL, and writing NULL writes blanks. Values are bound
// parameters (? or :name), never spliced into the text.

#include <QString>
#include <QStringList>
#include <QVariant>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

struct sqlite3;

namespace engine {

class Table;

// The rows of a query, read at once: the tables it read may be closed,
// replaced or appended to while the rows are used.
class Query {
public:
    int columnCount() const { return int(columns_.size()); }
    const QStringList& columns() const { return columns_; }
    int columnIndex(const QString& name) const; // case-insensitive, -1 when absent
    int rowCount() const { return int(rows_.size()); }
    bool isEmpty() const { return rows_.empty(); }
    const std::vector<QVariantList>& rows() const { return rows_; }
    const QVariantList& row(int r) const { return rows_[size_t(r)]; }
    QVariant value(int r, int c) const { return rows_[size_t(r)].value(c); }
    QVariant value(int r, const QString& column) const;

    // Cursor style: next() moves to the first row, then on; value(c) reads it.
    bool next();
    void rewind() { cur_ = -1; }
    QVariant value(int c) const { return value(cur_, c); }
    QVariant value(const QString& column) const { return value(cur_, column); }

private:
    friend class Database;
    QStringList columns_;
    std::vector<QVariantList> rows_;
    int cur_ = -1;
};

class Database {
public:
    explicit Database(const QString& directory = {});
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    void setDirectory(const QString& dir) { dir_ = dir; }
    const QString& directory() const { return dir_; }
    // The path of a file in the database directory, found whatever the
    // letter case of its name.
    QString filePath(const QString& fileName) const;

    // Runs a select and returns its rows. Throws DbError(Query) when the
    // query cannot run.
    Query query(const QString& sql, const QVariantList& params = {});
    // Runs a select and hands each row to `row` as it comes, keeping none:
    // for results too large to hold at once. `row` must not change the
    // tables the query reads.
    void each(const QString& sql, const QVariantList& params,
              const std::function<void(const QVariantList&)>& row);
    // Runs an update, insert or delete; returns the number of rows changed.
    int exec(const QString& sql, const QVariantList& params = {});

    // Called by table objects as they open and close.
    void attach(Table* table);
    void detach(Table* table);
    Table* tableNamed(const QString& name) const;

    sqlite3* handle() const { return db_; }

    struct Private;

private:
    struct Prepared;
    struct StatementCache;
    QString resolveFileTables(const QString& sql, bool writing,
                              std::vector<std::unique_ptr<Table>>& opened);
    using RowSink = std::function<void(QVariantList&&)>;
    void run(const QString& sql, const QVariantList& params, QStringList* columns,
             const RowSink* sink, int* changed);

    QString dir_;
    sqlite3* db_ = nullptr;
    std::map<int, Table*> byId_;
    // Prepared statements by their text, taken out while they run.
    std::unique_ptr<StatementCache> cache_;
    std::uint64_t epoch_ = 0; // moves with every table attached or detached
    int nextId_ = 1;
    int nextFile_ = 1;
    friend struct Private;
};

} // namespace engine
