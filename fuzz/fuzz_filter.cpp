// The filter parser on any text: it parses or refuses with DbError, a parsed
// filter judges a record without failing, and a table with tags shows the
// same records through the filter whether it reads a tag's range or tries
// every record.
#include "engine/dberror.h"
#include "engine/filterexpr.h"
#include "engine/table.h"
#include "engine/tableraw.h"

#include <QByteArray>
#include <QDir>
#include <QString>
#include <cstdint>
#include <unistd.h>

namespace {

// A small table whose texts mix digits, punctuation, blanks, capitals,
// small and accented letters, with tags led by both text fields.
engine::Table& table() {
    static engine::Table t;
    if (t.isOpen()) return t;
    const QString dir = QStringLiteral("/tmp/szfuzz-filter-%1").arg(::getpid());
    QDir().mkpath(dir);
    const QString path = dir + QStringLiteral("/t.dbf");
    engine::Table::create(path,
                          {engine::fieldDef("IDOSZAK", 'C', 7), engine::fieldDef("NEV", 'C', 7),
                           engine::fieldDef("DB", 'N', 4, 1), engine::fieldDef("NAP", 'D')});
    t.open(path);
    const char* const texts[] = {
        "2024.01", "2024.1", "2024",  "",   "2024.0x", "abc", "ABC", "Abc", "ÁBC",     "1999.12",
        "2024-01", "!!",     " 2024", "zz", "Z",       "a b", "Őz",  "YY",  "2024.12", "x"};
    const int n = int(std::size(texts));
    for (int i = 0; i < 60; ++i) {
        t.append();
        t.setValue("IDOSZAK", QString::fromUtf8(texts[i % n]));
        t.setValue("NEV", QString::fromUtf8(texts[(i * 7 + 3) % n]));
        t.setValue("DB", i % 5 == 0 ? QVariant() : QVariant(i * 1.5));
        t.setValue("NAP", i % 4 == 0 ? QDate() : QDate(2024, 1, 1).addDays(i * 9));
        t.post();
        if (i % 11 == 0) t.remove();
    }
    t.addTag("ido", "idoszak+nev");
    t.addTag("nev", "nev");
    t.setActiveTag("nev");
    return t;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    engine::Table& t = table();
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    engine::FilterExpr e;
    try {
        e = engine::FilterExpr::parse(text, t.fields(), QStringLiteral("f"));
    } catch (const engine::DbError&) {
        return 0;
    }
    e.ranges();
    // every record tried, in the active order
    std::vector<std::uint32_t> want;
    for (std::size_t o = 0; o < t.orderCount(); ++o) {
        const std::uint32_t r = t.recnoAtOrder(o);
        const char* rec = engine::TableRaw::record(t, r);
        if (rec[0] != '*' && e.matches(rec)) want.push_back(r);
    }
    t.setFilter(text);
    t.setFiltered(true);
    std::vector<std::uint32_t> got;
    t.visibleInOrder(got);
    if (got != want || t.recordCount() != want.size()) __builtin_trap();
    t.setFiltered(false);
    return 0;
}
