// The small master-data pieces: the list picker's activity and care-type
// lists, the BNO main groups and their code ranges, the settlement and BNO
// pickers' results, and the remainders' register.

#include "masters/bcsop.h"
#include "masters/recordpick.h"
#include "masters/remainders.h"
#include "masters/valasz.h"

#include "engine/table.h"
#include "support/startedapp.h"

#include <QRegularExpression>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using Log = std::vector<std::string>;

// ------------------------------------------------------------ Tvalasz

TEST(Valasz, ActivityListDropsGroupNineFrom200909) {
    const QStringList old = masters::valaszItems("T", core::Idoszak(2009, 8));
    const QStringList now = masters::valaszItems("T", core::Idoszak(2009, 9));
    ASSERT_EQ(old.size(), 19);
    ASSERT_EQ(now.size(), 13);
    EXPECT_EQ(old.first(), QStringLiteral("1  Szondán át történő táplálás"));
    EXPECT_EQ(old[10], QStringLiteral("8c  Hely- és helyzetváltoztatás "));
    EXPECT_EQ(old[11], QStringLiteral("9a  EKG, oscillometria"));
    EXPECT_EQ(old[16], QStringLiteral("9f  TENS készülék alkalmazása"));
    EXPECT_EQ(old.last(), QStringLiteral("11  Szakirányú szolgáltatások"));
    for (const QString& item : now)
        EXPECT_FALSE(item.startsWith("9")) << item.toStdString();
    // The rest is the same list in the same order.
    QStringList withoutNine = old;
    withoutNine.erase(withoutNine.begin() + 11, withoutNine.begin() + 17);
    EXPECT_EQ(now, withoutNine);
    EXPECT_EQ(now[11], QStringLiteral("10  Tartós fájdalomcsillapítás "));
    EXPECT_EQ(masters::valaszItems("T", core::Idoszak(2024, 5)), now);
    EXPECT_EQ(masters::valaszItems("T", core::Idoszak(1999, 6)), old);
}

TEST(Valasz, ResultIsTheCodeOfTheSelectedItem) {
    const QStringList t = masters::valaszItems("T", core::Idoszak(2009, 8));
    EXPECT_EQ(masters::valaszResult("T", t[0]), "1");
    EXPECT_EQ(masters::valaszResult("T", t[2]), "3a");
    EXPECT_EQ(masters::valaszResult("T", t[17]), "10");
    EXPECT_EQ(masters::valaszResult("T", t[18]), "11");

    const QStringList e = masters::valaszItems("E", core::Idoszak(2024, 5));
    EXPECT_EQ(e, (QStringList{QStringLiteral("2 Szakápolás"), QStringLiteral("4 Gyógytorna"),
                              QStringLiteral("5 Fizioterápia"), QStringLiteral("6 Logopédia")}));
    EXPECT_EQ(masters::valaszResult("E", e[1]), "4");
    EXPECT_EQ(masters::valaszResult("E", e[3]), "6");

    // Nothing selected: nothing chosen.
    EXPECT_EQ(masters::valaszResult("T", ""), "");
    EXPECT_EQ(masters::valaszResult("E", ""), "");
}

// ------------------------------------------------------------ TBcsop

TEST(Bcsop, TwentyOneGroupsWithTheirCodeRanges) {
    const QStringList& items = masters::bcsopItems();
    ASSERT_EQ(items.size(), 21);
    EXPECT_EQ(items[9], QStringLiteral("Az egészségi állapotot befolyásoló tényezők (Z00-Z99) "));

    const masters::BnoGroup first = masters::bnoGroupOf(items[0]);
    EXPECT_EQ(first.lowest, "L0000");
    EXPECT_EQ(first.highest, "L9999");
    const masters::BnoGroup tumours = masters::bnoGroupOf(QStringLiteral("Daganatok (C00-D48)"));
    EXPECT_EQ(tumours.lowest, "C0000");
    EXPECT_EQ(tumours.highest, "D4899");
    // The trailing blank of item 10 does not shift the range; the name keeps it.
    const masters::BnoGroup factors = masters::bnoGroupOf(items[9]);
    EXPECT_EQ(factors.lowest, "Z0000");
    EXPECT_EQ(factors.highest, "Z9999");
    EXPECT_EQ(factors.name, items[9]);

    // Every item's range is the "(X00-Y99)" at its end.
    const QRegularExpression range(QStringLiteral("\\((\\w\\d\\d)-(\\w\\d\\d)\\) ?$"));
    for (const QString& item : items) {
        const auto m = range.match(item);
        ASSERT_TRUE(m.hasMatch()) << item.toStdString();
        const masters::BnoGroup g = masters::bnoGroupOf(item);
        EXPECT_EQ(g.lowest, m.captured(1) + "00") << item.toStdString();
        EXPECT_EQ(g.highest, m.captured(2) + "99") << item.toStdString();
    }
}

TEST(Bcsop, OkWithoutAChoiceIsRefused) {
    ui::ScriptedMessages msg;
    masters::Bcsop d(msg);
    EXPECT_FALSE(d.ok(-1));
    EXPECT_FALSE(d.chosen());
    EXPECT_EQ(msg.log(), (Log{"information: A BNO főcsoportot ki kell választani!"}));

    EXPECT_TRUE(d.ok(13));
    EXPECT_TRUE(d.chosen());
    EXPECT_EQ(d.group().lowest, "C0000");
    EXPECT_EQ(d.group().highest, "D4899");
    EXPECT_EQ(d.group().name, QStringLiteral("Daganatok (C00-D48)"));

    d.megsem();
    EXPECT_FALSE(d.chosen());
    EXPECT_EQ(msg.count(), 1);
}

// ------------------------------------------------------------ on a started program

namespace {

struct SmallMastersTest : ::testing::Test {
    std::unique_ptr<testsupport::StartedApp> app;
    core::AppState* st = nullptr;
    ui::ScriptedMessages* msg = nullptr;

    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>();
        st = &app->state;
        msg = &app->msg;
    }

    void remainder(const QString& period, int ft) {
        engine::Table& m = st->tables.maradv;
        m.append();
        m.setValue("INTKOD", "1890");
        m.setValue("MIDOSZAK", period);
        m.setValue("FT", ft);
        m.post();
    }
    QStringList remainders() {
        engine::Table& m = st->tables.maradv;
        QStringList out;
        for (m.first(); !m.eof(); m.next())
            out << m.text("INTKOD") + " " + m.text("MIDOSZAK") + " " + m.text("FT");
        return out;
    }
};

} // namespace

TEST_F(SmallMastersTest, SettlementPickerKeepsThePreviousChoiceAfterCancel) {
    auto pick = masters::RecordPick::telep(*st);
    engine::Table& telep = st->tables.telep;
    pick.activate();
    EXPECT_TRUE(pick.key().isEmpty());
    telep.first();
    telep.next();
    const QString code = telep.text("KOZIGKOD");
    const QString name = telep.text("HELYNEV");
    ASSERT_FALSE(code.isEmpty());
    pick.valaszt();
    EXPECT_EQ(pick.key(), code);
    EXPECT_EQ(pick.name(), name);

    // Shown again, moved elsewhere and left with "Mégse".
    pick.activate();
    telep.last();
    pick.megse();
    EXPECT_EQ(pick.key(), code);
    EXPECT_EQ(pick.name(), name);
}

TEST_F(SmallMastersTest, BnoPickerForgetsItsCodeWhenShownAgain) {
    auto pick = masters::RecordPick::bno(*st);
    engine::Table& bno = st->tables.bno;
    pick.activate();
    ASSERT_TRUE(bno.locatePrefix("KOD10", "I10"));
    pick.valaszt();
    EXPECT_TRUE(pick.key().startsWith("I10"));
    EXPECT_FALSE(pick.name().isEmpty());
    pick.activate();
    pick.megse();
    EXPECT_TRUE(pick.key().isEmpty());
}

TEST_F(SmallMastersTest, RemainderAmountChecks) {
    masters::Remainders r(*st);
    r.open();
    EXPECT_EQ(msg->statusText(0), QStringLiteral("Maradványok megnézése"));
    EXPECT_EQ(st->tables.maradv.activeTag().toUpper(), "MAR1");

    const auto f = r.uj();
    EXPECT_EQ(f.mido, "2024.05");
    EXPECT_TRUE(f.mft.isEmpty());
    using Save = masters::Remainders::Save;
    EXPECT_EQ(r.kesz(f.mido, ""), Save::Refused);
    EXPECT_EQ(r.kesz(f.mido, "12a"), Save::Refused);
    EXPECT_EQ(r.kesz(f.mido, "1,5"), Save::Refused);
    EXPECT_EQ(r.kesz(f.mido, "0"), Save::Refused);
    EXPECT_EQ(r.kesz(f.mido, "-250"), Save::Refused);
    EXPECT_EQ(msg->log(), (Log{"warning: Az maradvány adatait ki kell tölteni!",
                               "warning: A Ft csak szám lehet!", "warning: A Ft csak szám lehet!",
                               "warning: A Ft nem lehet 0!", "warning: A Ft nem lehet 0!"}));
    EXPECT_TRUE(r.panelOpen());
    EXPECT_TRUE(st->tables.maradv.isEmpty());

    msg->clear();
    msg->answer(false);
    EXPECT_EQ(r.kesz(f.mido, "1500"), Save::Declined);
    EXPECT_FALSE(r.panelOpen());
    EXPECT_EQ(msg->log(), (Log{"confirm: Elmenti a maradvány adatait ?"}));
    EXPECT_TRUE(st->tables.maradv.isEmpty());
}

TEST_F(SmallMastersTest, RemainderForAPeriodThatHasOneIsRefusedButModifyingIsAllowed) {
    remainder("2024.03", 700);
    masters::Remainders r(*st);
    r.open();
    using Save = masters::Remainders::Save;

    // A new one for the current period, with INTKOD from PART.
    msg->answer(true);
    EXPECT_EQ(r.kesz(r.uj().mido, " 1500 "), Save::Saved);
    EXPECT_EQ(remainders(), (QStringList{"1890 2024.03 700", "1890 2024.05 1500"}));

    // The same period again.
    msg->clear();
    r.uj();
    msg->answer(true);
    EXPECT_EQ(r.kesz("2024.05", "99"), Save::Refused);
    EXPECT_EQ(msg->log(), (Log{"confirm: Elmenti a maradvány adatait ?",
                               "warning: Adott időszakra már létezik maradvány!"}));
    EXPECT_TRUE(r.panelOpen());
    r.megse();
    EXPECT_FALSE(r.panelOpen());

    // Modifying that one.
    msg->clear();
    ASSERT_TRUE(st->tables.maradv.locate("MIDOSZAK", "2024.05"));
    const auto f = r.modos();
    EXPECT_EQ(f.mido, "2024.05");
    EXPECT_EQ(f.mft, "1500");
    msg->answer(true);
    EXPECT_EQ(r.kesz(f.mido, "2000"), Save::Saved);
    EXPECT_EQ(remainders(), (QStringList{"1890 2024.03 700", "1890 2024.05 2000"}));

    // Deleting asks, with no in-use check, and packs.
    msg->clear();
    st->tables.maradv.first();
    msg->answers({false, true});
    EXPECT_FALSE(r.torol());
    EXPECT_TRUE(r.torol());
    EXPECT_EQ(msg->log(), (Log{"confirm: Biztosan törli a maradvány adatait ?",
                               "confirm: Biztosan törli a maradvány adatait ?"}));
    EXPECT_EQ(remainders(), (QStringList{"1890 2024.05 2000"}));
    EXPECT_EQ(st->tables.maradv.fileRecordCount(), 1u);

    // An empty register: nothing to delete, nothing asked.
    msg->clear();
    st->tables.maradv.first();
    msg->answer(true);
    EXPECT_TRUE(r.torol());
    EXPECT_FALSE(r.torol());
    EXPECT_EQ(msg->count(), 1);
}
