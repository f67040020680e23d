// Scans: which records they walk in which order, and the typed reads of a
// record agreeing with its values.

#include "engine/scan.h"
#include "enginetest.h"

using engine::fieldDef;
using engine::Scan;
using engine::Table;
using testsupport::TempDir;

namespace {

struct Four {
    TempDir dir;
    QString path = dir.file("negy.dbf");
    Table t;
    Four() {
        Table::create(path, {fieldDef("NEV", 'C', 10), fieldDef("DB", 'N', 5),
                             fieldDef("OSSZEG", 'N', 8, 2), fieldDef("NAP", 'D')});
        t.open(path);
        const char* names[] = {"Cecil", "Adél", "Béla", "Dénes"};
        for (int i = 0; i < 4; ++i) {
            t.append();
            t.setValue(0, QString::fromUtf8(names[i]));
            if (i != 2) t.setValue(1, (i + 1) * 10);
            t.setValue(2, 1.5 * i);
            if (i != 1) t.setValue(3, QDate(2024, 1, 10 + i));
            t.post();
        }
        t.go(3);
        t.remove();
    }
    std::vector<std::uint32_t> walk(Scan& s) {
        std::vector<std::uint32_t> r;
        while (s.next())
            r.push_back(s.recno());
        return r;
    }
};

} // namespace

TEST(Scan, FileOrderSkipsDeleted) {
    Four f;
    Scan s(f.t);
    EXPECT_EQ(f.walk(s), (std::vector<std::uint32_t>{1, 2, 4}));
    EXPECT_EQ(s.recno(), 0u);
    EXPECT_FALSE(s.next());
    s.rewind();
    EXPECT_EQ(f.walk(s), (std::vector<std::uint32_t>{1, 2, 4}));
}

TEST(Scan, VisibleOrderFollowsActiveTagAndFilter) {
    Four f;
    f.t.addTag("NEV", "NEV");
    f.t.setActiveTag("NEV");
    Scan s(f.t, Scan::Order::Visible);
    EXPECT_EQ(f.walk(s), (std::vector<std::uint32_t>{2, 1, 4}));
    f.t.setFilter("DB > 15");
    f.t.setFiltered(true);
    Scan t(f.t, Scan::Order::Visible);
    EXPECT_EQ(f.walk(t), (std::vector<std::uint32_t>{2, 4}));
}

TEST(Scan, ListedRecordsInTheirOrder) {
    Four f;
    Scan s(f.t, std::vector<std::uint32_t>{4, 3, 1});
    EXPECT_EQ(f.walk(s), (std::vector<std::uint32_t>{4, 3, 1}));
}

TEST(Scan, TypedReadsAgreeWithValues) {
    Four f;
    Scan s(f.t, std::vector<std::uint32_t>{1, 2, 3, 4});
    const int nev = s.field("nev"), db = s.field("DB"), osszeg = s.field("OSSZEG"),
              nap = s.field("NAP");
    EXPECT_EQ(s.field("NINCS"), -1);
    while (s.next()) {
        const engine::RecordView& r = s.record();
        EXPECT_EQ(r.text(nev), r.value(nev).toString());
        EXPECT_EQ(r.date(nap), r.value(nap).toDate());
        EXPECT_EQ(r.number(osszeg), r.value(osszeg).toDouble());
        EXPECT_EQ(r.integer(db).has_value(), !r.value(db).isNull());
        if (r.integer(db)) {
            EXPECT_EQ(*r.integer(db), r.value(db).toLongLong());
        }
        EXPECT_EQ(r.integer(osszeg).has_value(), s.recno() % 2 == 1); // 0.00 and 3.00
    }
    s.rewind();
    ASSERT_TRUE(s.next());
    EXPECT_EQ(s.record().chars(nev), QByteArrayView("Cecil"));
    EXPECT_EQ(s.record().chars(osszeg), QByteArrayView("0.00"));
    EXPECT_EQ(s.record().number(db), 10.0);
}
