// A save whose rollback fails too (the disk dies right after the journal):
// the message says what is true -- the change is undone at the next start --
// and until then nothing of the half-written save shows.

#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "sheet/lapmentes.h"
#include "support/lapfixture.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using namespace sheet;
using testsupport::LapFixture;

namespace {

// Every visible row of the tables a save writes, through SQL.
QString tartalom(core::AppState& st) {
    QString s;
    for (const char* t : {"lap", "elrend", "lapb", "beteg", "orvos"}) {
        const engine::Query q =
            st.tables.dbo.query(QStringLiteral("select * from %1 order by rowid").arg(t));
        s += QLatin1String(t) + u'\n';
        for (const QVariantList& r : q.rows()) {
            QStringList c;
            for (const QVariant& v : r)
                c << v.toString();
            s += c.join(u'|') + u'\n';
        }
    }
    return s;
}

bool journalSealed(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) return false;
    const QByteArray head = f.read(16);
    return head.size() == 16 && head[8] == 1;
}

} // namespace

TEST(MentesVisszaallitas, AFailedRollbackIsSaidAsItIsAndShowsNothingHalfDone) {
    LapFixture f;
    core::AppState& st = f.st();
    LapModel m = f.lap(QStringLiteral("00001"), QString(), 12);
    m.vizitszam = 12;
    LapMentes::ir(m, st);
    const QString elotte = tartalom(st);

    LapModel c = f.lap(QStringLiteral("00001"), QString(), 10);
    c.modositas = true;
    c.vizitszam = 10;
    c.m_nev = QStringLiteral("Átírt Név");
    const QString journal = engine::journalPath(st.tables.directory());
    bool failed = false;
    engine::testing::setIoHook([&](engine::testing::IoOp op, long) {
        // Once the journal is sealed, the disk takes no more writes.
        if ((op == engine::testing::IoOp::Write || op == engine::testing::IoOp::Truncate) &&
            journalSealed(journal)) {
            failed = true;
            return engine::testing::IoAction::Fail;
        }
        return engine::testing::IoAction::Proceed;
    });
    f.msg().clear();
    f.msg().answer(true);
    const LapMentes::Eredmeny e = LapMentes::mentes(c, st);
    engine::testing::setIoHook(nullptr);
    ASSERT_TRUE(failed);
    ASSERT_TRUE(QFileInfo::exists(journal));
    EXPECT_EQ(e, LapMentes::Eredmeny::IrasHiba);
    const QString said = f.msg().last();
    EXPECT_FALSE(said.contains(QStringLiteral("nem változtak"))) << said.toStdString();
    EXPECT_TRUE(said.startsWith(QStringLiteral(
        "Az elszámolási lap mentése nem sikerült, és a félig beírt adatok visszaállítása sem: a "
        "program következő indításakor megtörténik.\rLépjen ki, és indítsa újra a programot!\r")))
        << said.toStdString();
    // The register and every reader see the tables as they were.
    EXPECT_EQ(tartalom(st).toStdString(), elotte.toStdString());
    EXPECT_THROW(LapMentes::ir(c, st), engine::DbError);

    // The next start rolls the half-written save back.
    for (engine::Table* t :
         {&st.tables.lap, &st.tables.elrend, &st.tables.lapb, &st.tables.beteg, &st.tables.orvos})
        t->close();
    EXPECT_TRUE(engine::recoverJournal(st.tables.directory()));
    for (engine::Table* t :
         {&st.tables.lap, &st.tables.elrend, &st.tables.lapb, &st.tables.beteg, &st.tables.orvos})
        t->open(t->path());
    EXPECT_EQ(tartalom(st).toStdString(), elotte.toStdString());
}
