// A recorded sheet loaded back into the entry window's model: what
// modification, viewing and the next partial invoice take from LAP, and that
// a save of what was loaded writes the same texts again.

#include "engine/database.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "masters/torzsadat.h"
#include "register/laploader.h"
#include "register/reszlap.h"
#include "sheet/lapmentes.h"
#include "support/lapfixture.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

using testsupport::LapFixture;

QString tevkodok(engine::Database& db, const QString& sorsz, const QString& resz,
                 const QString& idoszak) {
    const auto q = db.query("select tevkodok from lap where sorsz=? and resz is ? and idoszak=?",
                            {sorsz, resz.isEmpty() ? QVariant() : QVariant(resz), idoszak});
    return q.isEmpty() ? QStringLiteral("<nincs>") : q.value(0, 0).toString();
}

// The activity text is positional: a blank slot for every entry not chosen,
// so a text whose first entries are not chosen starts with blanks.
TEST(LapLoader, ActivityTextComesBackWithItsLeadingBlanks) {
    LapFixture f;
    engine::Database& db = f.st().tables.dbo;
    sheet::LapModel elso = f.lap("00001", "A");
    elso.Etev = testsupport::tevekenysegek({"3b", "13"});
    ASSERT_TRUE(elso.Etev.startsWith("    3b"));
    ASSERT_TRUE(elso.Etev.endsWith("13"));
    sheet::LapMentes::ir(elso, f.st());
    ASSERT_EQ(tevkodok(db, "00001", "A", "2024.05"), elso.Etev);

    // Modification, saved unchanged.
    sheet::LapModel m;
    ASSERT_TRUE(reg::lapBetolt(f.st(), {"00001", "A", "2024.05"}, m));
    EXPECT_EQ(m.Etev, elso.Etev);
    m.modositas = true;
    sheet::LapMentes::ir(m, f.st());
    EXPECT_EQ(tevkodok(db, "00001", "A", "2024.05"), elso.Etev);

    // Viewing.
    sheet::LapModel v;
    ASSERT_TRUE(reg::lapBetolt(f.st(), {"00001", "A", "2024.05"}, v, reg::Betoltes::Megtekintes));
    EXPECT_EQ(v.Etev, elso.Etev);

    // The next partial invoice copies it, and saves it as it came.
    f.st().id = core::Idoszak(2024, 6);
    engine::Table& lap = f.st().tables.lap;
    lap.setFiltered(false);
    ASSERT_TRUE(lap.locate("IDOSZAK;SORSZ;RESZ", {"2024.05", "00001", "A"}));
    sheet::LapModel b;
    ASSERT_TRUE(reg::Reszlap(f.st()).valasztas(b));
    EXPECT_EQ(b.m_sorsz, "00001B");
    EXPECT_EQ(b.Etev, elso.Etev);
    b.CB2 = 0;
    testsupport::LapFixture::visit(b, 3, "2", "3b", f.nurse);
    sheet::LapMentes::ir(b, f.st());
    EXPECT_EQ(tevkodok(db, "00001", "B", "2024.06"), elso.Etev);
}

// The three commands take the same header and differ only where their
// commands do.
TEST(LapLoader, ModificationViewingAndNextPartDifferOnlyWhereTheirCommandsDo) {
    LapFixture f;
    engine::Database& db = f.st().tables.dbo;
    sheet::LapModel elso = f.lap("00002", "A");
    elso.m_jorv = "00000";
    elso.orv2.clear();
    sheet::LapMentes::ir(elso, f.st());
    db.exec("update lap set apnap=null, terkat='02'");

    sheet::LapModel mod, nez, kov;
    ASSERT_TRUE(reg::lapBetolt(f.st(), {"00002", "A", "2024.05"}, mod));
    ASSERT_TRUE(reg::lapBetolt(f.st(), {"00002", "A", "2024.05"}, nez, reg::Betoltes::Megtekintes));
    engine::Table& lap = f.st().tables.lap;
    lap.setFiltered(false);
    ASSERT_TRUE(lap.locate("IDOSZAK;SORSZ;RESZ", {"2024.05", "00002", "A"}));
    f.st().id = core::Idoszak(2024, 6);
    ASSERT_TRUE(reg::Reszlap(f.st()).valasztas(kov));

    EXPECT_EQ(mod.m_jorv, "");
    EXPECT_EQ(nez.m_jorv, "00000");
    EXPECT_EQ(kov.m_jorv, "00000");
    EXPECT_EQ(mod.m_fapnap, "");
    EXPECT_EQ(kov.m_fapnap, "0");
    for (const sheet::LapModel* m : {&mod, &nez, &kov}) {
        EXPECT_EQ(m->m_terkat, "02");
        EXPECT_EQ(m->m_nev, "Teszt Elek");
        EXPECT_EQ(m->m_szido, "1940.03.02");
        EXPECT_EQ(m->bnem, 0);
        EXPECT_EQ(m->orv1, "Dr. Első Ede");
        EXPECT_EQ(m->m_alapb, "I10H0");
        EXPECT_FALSE(m->bno2.isEmpty());
    }
    EXPECT_EQ(mod.lapresz, "A");
    EXPECT_EQ(kov.lapresz, "B");
    EXPECT_EQ(mod.tevk[2], "7");
    EXPECT_EQ(kov.tevk[2], "");

    // Before 2016 modification and viewing leave the 2016 fields alone; the
    // next part still copies them.
    f.st().id = core::Idoszak(2015, 12);
    sheet::LapModel regi;
    ASSERT_TRUE(reg::lapBetolt(f.st(), {"00002", "A", "2024.05"}, regi));
    EXPECT_EQ(regi.m_terkat, "");
}

TEST(MasterLookup, OneBehaviourForEveryCode) {
    LapFixture f;
    engine::Database& db = f.st().tables.dbo;
    db.exec("insert into orvos (orvoskod, onev) values ('77777', '  Dr. Behúzott')");
    EXPECT_EQ(masters::orvosNeve(db, " 77777 ").value_or("<nincs>"), "  Dr. Behúzott");
    EXPECT_FALSE(masters::orvosNeve(db, "   ").has_value());
    EXPECT_FALSE(masters::orvosNeve(db, "77778").has_value());
    EXPECT_FALSE(masters::bnoNeve(db, "").has_value());
    EXPECT_FALSE(masters::betegTajjal(db, "").has_value());

    sheet::LapModel m = f.lap();
    sheet::LapMentes::ir(m, f.st());
    const auto b = masters::betegTajjal(db, m.m_taj + " ");
    ASSERT_TRUE(b.has_value());
    EXPECT_EQ(b->nev, "Teszt Elek");
    EXPECT_EQ(b->szuli, "1940.03.02");
    EXPECT_EQ(b->nemIndex(), 0);

    // A query that cannot run is the caller's to report, never "not found".
    f.st().tables.bno.close();
    EXPECT_THROW(masters::bnoNeve(db, "I10H0"), engine::DbError);
}

} // namespace
