// The .mdx reader on any bytes beside a sound table: the table opens with its
// tags (rebuilt when they do not agree) or without them, every walk ends, and
// nothing else may happen.
#include "engine/clock.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/table.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
// The table is made anew by every run with the same bytes and the same
// modification time, so that a sound index file saved by one run (the seed)
// is sound for the next: the open that trusts a sound index is reached.
constexpr std::int64_t kTableTime = 1717243200; // 2024-06-01 12:00 UTC

void fixTime(const QString& path) {
    struct timespec times[2] = {{kTableTime, 0}, {kTableTime, 0}};
    ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0);
}

QString makeTable() {
    engine::setToday([] { return QDate(2024, 6, 1); });
    const QString dir = QStringLiteral("/tmp/szfuzz-mdx-%1").arg(::getpid());
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/t.dbf");
    engine::Table::create(path, {engine::fieldDef("KOD", 'C', 5), engine::fieldDef("DB", 'N', 4),
                                 engine::fieldDef("NAP", 'D')});
    engine::Table t;
    t.open(path);
    for (int i = 1; i <= 5; ++i)
        t.appendRows(
            {{QStringLiteral("K%1").arg(6 - i), i * 10, QStringLiteral("2024.01.0%1").arg(i)}});
    t.addTag(QStringLiteral("kod"), QStringLiteral("kod+str(db,4)"));
    t.addTag(QStringLiteral("nap"), QStringLiteral("dtos(nap)"));
    t.close();
    // The index learns the table's fixed time from an open that finds the
    // keys agree with the records.
    fixTime(path);
    t.open(path);
    t.close();
    // A sound index file to seed the corpus with: SZ_FUZZ_MDX_SEED=<path>.
    if (const char* seed = std::getenv("SZ_FUZZ_MDX_SEED"))
        QFile::copy(QString(path).replace(QStringLiteral(".dbf"), QStringLiteral(".mdx")),
                    QString::fromLocal8Bit(seed));
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = makeTable();
    {
        QFile f(QString(path).replace(QStringLiteral(".dbf"), QStringLiteral(".mdx")));
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        engine::Table t;
        t.open(path, engine::Table::Mode::ReadOnly);
        engine::Table::indexFileOk(path);
        for (const QString& tag : t.tagNames()) {
            t.setActiveTag(tag);
            int n = 0;
            for (t.first(); !t.eof(); t.next())
                if (++n > 5) __builtin_trap(); // a walk longer than the table
            n = 0;
            for (t.last(); !t.bof(); t.prior())
                if (++n > 5) __builtin_trap();
            t.locate(QStringLiteral("db"), 30);
            t.locate(QStringLiteral("kod"), QStringLiteral("K3"));
        }
    } catch (const engine::DbError&) {
    }
    return 0;
}
