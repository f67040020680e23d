// The SQL layer over any bytes taken for a table: the table opens and every
// query runs or is refused with DbError; nothing else may happen.
#include "engine/database.h"
#include "engine/dberror.h"
#include "engine/table.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = QStringLiteral("/tmp/szfuzz-sql-%1.dbf").arg(::getpid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    engine::Database db;
    engine::Table t(QStringLiteral("t"), &db);
    try {
        t.open(path, engine::Table::Mode::ReadOnly);
    } catch (const engine::DbError&) {
        return 0;
    }
    const QString sub = QStringLiteral("(select *, rowid as r from t)");
    for (const QString& sql :
         {QStringLiteral("select * from t"), QStringLiteral("select count(*) from t"),
          QStringLiteral("select * from t order by 1"),
          QStringLiteral("select * from t order by 1 desc limit 3"),
          QStringLiteral("select count(*), min(r), max(r) from %1").arg(sub),
          QStringLiteral("select * from t where rowid between 2 and 4"),
          QStringLiteral("select * from t a join t b on a.rowid = b.rowid where a.rowid < 5")}) {
        try {
            engine::Query q = db.query(sql);
            while (q.next())
                q.value(0);
        } catch (const engine::DbError&) {
        }
    }
    // Queries naming the fields: equalities and ranges that may seek through
    // the table, a grouping.
    for (const auto& f : t.fields()) {
        QString name = f.name;
        name.replace(QLatin1Char('"'), QStringLiteral("\"\""));
        const QString col = QLatin1Char('"') + name + QLatin1Char('"');
        for (const QString& sql :
             {QStringLiteral("select %1, count(*) from t group by %1").arg(col),
              QStringLiteral("select * from t where %1 = ?").arg(col),
              QStringLiteral("select * from t where %1 >= ? order by %1").arg(col)}) {
            try {
                engine::Query q = db.query(sql, {QStringLiteral("A")});
                while (q.next())
                    q.value(0);
            } catch (const engine::DbError&) {
            }
        }
        break; // the first field is enough
    }
    return 0;
}
