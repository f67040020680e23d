// Viewing an old-layout sheet (Tlapfel): the checks and messages of loading
// and the slots read from LAPOLD.

#include "db/layouts.h"
#include "engine/table.h"
#include "register/lapfel.h"
#include "support/startedapp.h"

#include <gtest/gtest.h>

namespace {

void add(engine::Table& t, std::initializer_list<std::pair<const char*, QVariant>> values) {
    t.append();
    for (const auto& [field, value] : values)
        t.setValue(QLatin1String(field), value);
    t.post();
}

struct OldSheet {
    testsupport::StartedApp a{demo::Options{}, QDate(2004, 12, 10), QStringLiteral("2004.12")};

    OldSheet(bool elrend, bool patient, const char* doctor, const char* bnorov) {
        auto& t = a.state.tables;
        add(t.apol, {{"APTAJ", "111111110"}, {"ANEV", "Kiss Anna"}});
        add(t.orvos, {{"ORVOSKOD", "12345"}, {"ONEV", "Dr. Orvos Ödön"}});
        if (patient) add(t.beteg, {{"TAJ", "123456788"}, {"NEV", "Beteg Borbála"}, {"NEME", "N"}});
        add(t.lap, {{"IDOSZAK", "2004.11"},
                    {"SORSZ", "00009"},
                    {"TAJ", "123456788"},
                    {"TPOTL", "I"},
                    {"ORVOSKOD", doctor},
                    {"BNOFO", "I10H0"},
                    {"BNOROV", bnorov},
                    {"APTAJ1", "111111110"},
                    {"APTAJ2", "999999999"}});
        if (elrend) add(t.elrend, {{"IDOSZAK", "2004.11"}, {"SORSZ", "00009"}, {"ELVIZDB", 12}});
        const db::TableDef& def = db::layout(db::TableId::Lapold);
        engine::Table::create(a.data(def.fileName), def.fields);
        engine::Table old;
        old.open(a.data(def.fileName));
        add(old, {{"IDOSZAK", "2004.11"},
                  {"SORSZ", "00009"},
                  {"TOL2", QDate(2004, 11, 3)},
                  {"VIZ2", 4}});
        old.close();
    }

    bool load(reg::LapfelModel& m) {
        return reg::Lapfel(a.state).betolt("2004.11", "00009", "", m);
    }
};

} // namespace

TEST(Lapfel, LoadsTheOldSheetWithNamesSlotsAndChoices) {
    OldSheet s(true, true, "12345", "");
    reg::LapfelModel m;
    ASSERT_TRUE(s.load(m));
    EXPECT_TRUE(s.a.msg.log().empty());
    EXPECT_EQ(m.nev, "Beteg Borbála");
    EXPECT_EQ(m.neme, 1);
    EXPECT_EQ(m.tpotl, 0);
    EXPECT_EQ(m.orvosNev, "Dr. Orvos Ödön");
    EXPECT_EQ(m.bnofoNev, "Magasvérnyomás-betegség (elsődleges)");
    EXPECT_EQ(m.bnorovNev, "");
    EXPECT_EQ(m.mezo("TOL2"), "2004.11.03");
    EXPECT_EQ(m.mezo("VIZ2"), "4");
    EXPECT_EQ(m.elrend.value("ELVIZDB"), "12");
    EXPECT_EQ(m.mezo("APTAJ1"), "111111110");
    EXPECT_EQ(m.mezo("APTAJ2"), ""); // not in APOL: emptied on screen
    EXPECT_FALSE(m.szerkesztheto);
}

TEST(Lapfel, MessagesOfTheChecks) {
    struct Case {
        bool elrend, patient;
        const char *doctor, *bnorov;
        bool shown;
        std::vector<std::string> log;
    };
    const Case cases[] = {
        {false, true, "12345", "", false, {"error: Hibás a teljes lap, nincs elrendelés adat!"}},
        {true, false, "12345", "", true, {"error: Hibás a TAJ mező!"}},
        {true, true, "77777", "", true, {"error: Hibás az ORVOSKOD mező!"}},
        {true, true, "12345", "XXXXX", true, {"error: Hibás a BNOROV mező!"}},
    };
    for (const Case& c : cases) {
        OldSheet s(c.elrend, c.patient, c.doctor, c.bnorov);
        reg::LapfelModel m;
        EXPECT_EQ(s.load(m), c.shown);
        EXPECT_EQ(s.a.msg.log(), c.log);
    }
}
