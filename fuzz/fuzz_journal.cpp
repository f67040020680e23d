// The rollback journal's reader on any bytes beside two sound tables: the
// recovery applies the journal, or refuses it touching no table; a journal
// refused as damaged is kept aside, never lost; nothing else may happen.
#include "engine/changeunit.h"
#include "engine/clock.h"
#include "engine/clock.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/table.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>

namespace {

const QString& folder() {
    // In memory where there is one: the recovery flushes the folder.
    static const QString dir =
        (QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                            : QStringLiteral("/tmp")) +
        QStringLiteral("/szfuzz-journal-%1").arg(::getpid());
    return dir;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate)) f.write(bytes);
}

struct Pristine {
    QByteArray lap, lapb;
};

// Two tables shaped like a sheet and its visit rows.
void createTables(engine::Table& lap, engine::Table& lapb) {
    QDir d(folder());
    d.removeRecursively();
    QDir().mkpath(folder());
    engine::Table::create(d.filePath("lap.dbf"),
                          {engine::fieldDef("SORSZ", 'C', 5), engine::fieldDef("DB", 'N', 3)});
    engine::Table::create(d.filePath("lapb.dbf"),
                          {engine::fieldDef("SORSZ", 'C', 5), engine::fieldDef("NAP", 'D')});
    lap.open(d.filePath("lap.dbf"));
    lapb.open(d.filePath("lapb.dbf"));
    for (int i = 1; i <= 3; ++i)
        lap.appendRows({{QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0')), i}});
    for (int i = 1; i <= 4; ++i)
        lapb.appendRows({{QStringLiteral("00001"), QDate(2024, 1, i)}});
}

// With SZ_FUZZ_JOURNAL_SEED=<path>, a save whose disk dies right after its
// journal was sealed leaves that journal there, to seed the corpus with.
void makeSeed(const QString& seed) {
    engine::Table lap(QStringLiteral("lap")), lapb(QStringLiteral("lapb"));
    createTables(lap, lapb);
    engine::ChangeUnit unit({&lap, &lapb});
    lap.first();
    lap.edit();
    lap.setValue("DB", 9);
    lap.post();
    lapb.first();
    lapb.remove();
    lapb.append();
    lapb.setValue("SORSZ", QStringLiteral("00002"));
    lapb.post();
    // the journal's two writes and three flushes pass, then the disk dies
    engine::testing::setIoHook([](engine::testing::IoOp, long n) {
        return n <= 5 ? engine::testing::IoAction::Proceed : engine::testing::IoAction::Fail;
    });
    try {
        unit.commit();
    } catch (const engine::DbError&) {
    }
    engine::testing::setIoHook(nullptr);
    QFile::remove(seed);
    QFile::copy(engine::journalPath(folder()), seed);
}

Pristine makeTables() {
    engine::setToday([] { return QDate(2024, 6, 1); });
    if (const char* seed = std::getenv("SZ_FUZZ_JOURNAL_SEED"))
        makeSeed(QString::fromLocal8Bit(seed));
    {
        engine::Table lap, lapb;
        createTables(lap, lapb);
    }
    const QDir d(folder());
    return {readAll(d.filePath("lap.dbf")), readAll(d.filePath("lapb.dbf"))};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Pristine pristine = makeTables();
    const QDir d(folder());
    writeAll(d.filePath("lap.dbf"), pristine.lap);
    writeAll(d.filePath("lapb.dbf"), pristine.lapb);
    writeAll(engine::journalPath(folder()),
             QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    bool refused = false;
    try {
        engine::recoverJournal(folder());
    } catch (const engine::DbError& e) {
        refused = true;
        // refused: no table touched, and a damaged journal kept aside
        if (readAll(d.filePath("lap.dbf")) != pristine.lap ||
            readAll(d.filePath("lapb.dbf")) != pristine.lapb)
            __builtin_trap();
        if (e.kind() == engine::DbError::Kind::Damaged &&
            (QFile::exists(engine::journalPath(folder())) || !QFile::exists(e.file())))
            __builtin_trap();
    }
    if (!refused && QFile::exists(engine::journalPath(folder()))) __builtin_trap();
    for (const QString& f : d.entryList({QStringLiteral("rollback*")}, QDir::Files))
        QFile::remove(d.filePath(f));
    // whatever the journal put back opens or is refused as damaged
    for (const char* name : {"lap.dbf", "lapb.dbf"}) {
        try {
            engine::Table t;
            t.open(d.filePath(QLatin1String(name)), engine::Table::Mode::ReadOnly);
            for (t.first(); !t.eof(); t.next())
                t.value(0);
        } catch (const engine::DbError&) {
        }
    }
    return 0;
}
