// The .dbf reader on any bytes: the table opens and reads whole, or refuses
// with DbError; nothing else may happen.
#include "engine/dberror.h"
#include "engine/table.h"

#include <QFile>
#include <QString>
#include <cstdint>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const QString path = QStringLiteral("/tmp/szfuzz-dbf-%1.dbf").arg(::getpid());
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
        f.write(reinterpret_cast<const char*>(data), qint64(size));
    }
    try {
        engine::Table t;
        t.open(path, engine::Table::Mode::ReadOnly);
        int n = 0;
        for (t.first(); !t.eof() && n < 1000; t.next(), ++n)
            for (int i = 0; i < int(t.fields().size()); ++i) {
                t.value(i);
                t.text(t.fields()[size_t(i)].name);
            }
        t.recordCount();
    } catch (const engine::DbError&) {
    }
    return 0;
}
