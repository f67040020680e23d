// The header checks of the sheet entry window on a started program (today
// 2024.05.15, period 2024.05): the order, closing and permit checks with a
// patient's earlier sheets built in code, and the exit handlers of the model.

#include "sheet/lapcheck.h"

#include "engine/table.h"
#include "masters/betegek.h"
#include "sheet/tevval.h"
#include "support/startedapp.h"

#include <QDate>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using sheet::CheckResult;
using sheet::LapModel;

namespace {

const QString taj = QStringLiteral("111111110"); // 3+7+3+7+3+7+3+7 = 40: check digit 0

struct LapCheckTest : ::testing::Test {
    std::unique_ptr<testsupport::StartedApp> app;
    core::AppState* st = nullptr;
    ui::ScriptedMessages* msg = nullptr;

    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>();
        st = &app->state;
        msg = &app->msg;
    }

    // An earlier sheet of the patient: its LAP, ELREND and one LAPB row per
    // visit day.
    void sheet(const QString& idoszak, const QString& sorsz, const QString& resz, int elszam,
               QDate szakvet, const std::vector<QDate>& napok, QDate lezdat = {},
               const QString& kinek = taj) {
        engine::Table& lap = st->tables.lap;
        lap.append();
        lap.setValue("IDOSZAK", idoszak);
        lap.setValue("SORSZ", sorsz);
        lap.setValue("RESZ", resz);
        lap.setValue("TAJ", kinek);
        lap.setValue("ELSZAM", elszam);
        lap.setValue("SZVIZ", int(napok.size()));
        if (lezdat.isValid()) lap.setValue("LEZDAT", lezdat);
        lap.post();
        engine::Table& elrend = st->tables.elrend;
        elrend.append();
        elrend.setValue("IDOSZAK", idoszak);
        elrend.setValue("SORSZ", sorsz);
        elrend.setValue("RESZ", resz);
        elrend.setValue("SZAKVET", szakvet);
        elrend.post();
        for (QDate d : napok) {
            engine::Table& lapb = st->tables.lapb;
            lapb.append();
            lapb.setValue("IDOSZAK", idoszak);
            lapb.setValue("SORSZ", sorsz);
            lapb.setValue("RESZ", resz);
            lapb.setValue("APDATUM", d);
            lapb.setValue("VIZITDB", 1);
            lapb.post();
        }
    }

    static std::vector<QDate> days(QDate from, int n) {
        std::vector<QDate> v;
        for (int i = 0; i < n; ++i)
            v.push_back(from.addDays(i));
        return v;
    }

    // A sheet with `n` visits in the given month, for the visit sums.
    void visits(const QString& idoszak, const QString& sorsz, int n, QDate szakvet) {
        const QDate first = QDate::fromString(idoszak + ".01", "yyyy.MM.dd");
        sheet(idoszak, sorsz, {}, 5, szakvet, days(first, n));
    }

    std::vector<std::string> log() const { return msg->log(); }
    static std::vector<std::string> err(const char* text) {
        return {std::string("error: ") + text};
    }
};

// ---------------------------------------------------------------- simple checks

TEST_F(LapCheckTest, VisitCountsClosingDatesPermitsAndSelfCare) {
    struct V {
        const char* szam;
        const char* tipus;
        const char* message; // nullptr: passes
    } vizit[] = {
        {"0", "R", "Az elrendelt vizitszám nem lehet több 14-nél és nem lehet 0!"},
        {"15", "R", "Az elrendelt vizitszám nem lehet több 14-nél és nem lehet 0!"},
        {"14", "R", nullptr},
        {"1x", "R", "Csak szám írható a mezőbe!"},
        {"0", "T", nullptr},
        {"14", "T", nullptr},
        {"15", "T", "Az eddig elszámolt vizitszám nem lehet több 14-nél!"},
        // A minus sign is no count: -3 earlier visits would let 16 visits by.
        {"-3", "T", "Csak szám írható a mezőbe!"},
        {"-3", "R", "Csak szám írható a mezőbe!"},
        {"+3", "T", "Csak szám írható a mezőbe!"},
    };
    for (const V& v : vizit) {
        msg->clear();
        EXPECT_EQ(sheet::vizitdbell(*msg, v.szam, v.tipus), v.message == nullptr) << v.szam;
        EXPECT_EQ(log(), v.message ? err(v.message) : std::vector<std::string>{}) << v.szam;
    }

    struct L {
        const char* lezdat;
        std::vector<std::string> messages;
    } lez[] = {
        {"    .  .  ", {}},
        {"2024.05.20", {}},
        {"2024.02.30", err("Érvénytelen dátum!")},
        {"2024.05.01", err("Nem lehet a lezárás dátuma kisebb, mint a szakápolásba vétel dátuma!")},
        {"2024.06.01", err("Nem lehet a lezárás dátuma nagyobb a jelentési időszak végénél!")},
    };
    for (const L& l : lez) {
        msg->clear();
        EXPECT_EQ(sheet::lezdatell(*msg, l.lezdat, "2024.05.02", "2024.05"), l.messages.empty());
        EXPECT_EQ(log(), l.messages) << l.lezdat;
    }

    msg->clear();
    QString datum = "2024.05.01";
    EXPECT_TRUE(sheet::engdatell(*st, "0", datum));
    EXPECT_TRUE(datum.isEmpty());
    datum = "    .  .  ";
    EXPECT_FALSE(sheet::engdatell(*st, "12", datum));
    datum = "2024.05.01";
    EXPECT_TRUE(sheet::engdatell(*st, "12", datum));
    EXPECT_EQ(log(),
              (std::vector<std::string>{
                  "warning: A RAV engedélyszám nincs kitöltve, a dátum is üres lesz!",
                  "error: A RAV engedélyszám ki van töltve, a dátumot is ki kell tölteni!"}));

    msg->clear();
    EXPECT_FALSE(sheet::onellatell(*msg, -1, 0));
    EXPECT_FALSE(sheet::onellatell(*msg, 2, 9));
    EXPECT_TRUE(sheet::onellatell(*msg, 2, 0));
    EXPECT_TRUE(sheet::onellatell(*msg, 0, 9));
    EXPECT_EQ(log(), (std::vector<std::string>{"error: Az önellátó képességet ki kell tölteni!",
                                               "error: Hibás az önellátó képesség!"}));
}

// ---------------------------------------------------------------- queries

TEST_F(LapCheckTest, StartOfCareAgainstOrderAndEarlierCare) {
    // April's sheet has visits from the 10th to the 28th; a partial invoice
    // "A" of March with visits 1-5 (its part letter joins its rows).
    sheet("2024.04", "00007", {}, 1, QDate(2024, 4, 10), days(QDate(2024, 4, 10), 19));
    sheet("2024.03", "00003", "A", 1, QDate(2024, 3, 1), days(QDate(2024, 3, 1), 5));
    const char* overlap = "A szakápolásba vétel kezdete időben átfedi az előző teljesítést!";

    struct C {
        const char* idoszak;
        const char* resz;
        const char* szakvet;
        const char* elrend;
        std::vector<std::string> messages;
    } cases[] = {
        {"2024.05", "", "2024.05.02", "2024.05.01", {}},
        {"2024.05", "", "2024.04.20", "2024.04.01", err(overlap)},
        {"2024.05", "A", "2024.04.28", "2024.04.01", err(overlap)},
        {"2024.04", "", "2024.03.03", "2024.03.01", err(overlap)}, // the March part
        {"2024.05", "B", "2024.04.20", "2024.04.01", {}},          // later parts: no look-back
        {"2024.05", "", "2024.05.02", "2024.05.03",
         err("Nem lehet a szakápolásba vétel kezdete régebbi, mint az elrendelés!")},
    };
    for (const C& c : cases) {
        msg->clear();
        EXPECT_EQ(sheet::szakvetell(*st, "00099", c.idoszak, c.resz, c.szakvet, c.elrend, taj),
                  c.messages.empty())
            << c.szakvet;
        EXPECT_EQ(log(), c.messages) << c.szakvet;
    }

    // In January nothing looks back, and the sheet's own serial number and
    // period are left out.
    sheet("2025.01", "00001", {}, 1, QDate(2025, 1, 2), days(QDate(2025, 1, 2), 10));
    msg->clear();
    EXPECT_TRUE(sheet::szakvetell(*st, "00099", "2025.01", "", "2025.01.05", "2025.01.01", taj));
    EXPECT_TRUE(sheet::szakvetell(*st, "00007", "2024.05", "", "2024.04.20", "2024.04.01", taj));
    EXPECT_TRUE(msg->isEmpty());
}

TEST_F(LapCheckTest, OrderOrdinalContinuesThePreviousSheet) {
    const char* kisebb = "Csak nagyobb lehet az elrendelés száma, mint az előző!";
    QString elszam = "2";
    // No earlier sheet: only 1; mode "L" corrects the field.
    EXPECT_FALSE(
        sheet::elszamell(*st, "00099", "2024.05", false, "L", elszam, taj, "", "2024.05.02", ""));
    EXPECT_EQ(elszam, "1");
    EXPECT_EQ(log(), err(kisebb));

    // An open earlier care with ordinal 3: only 4; without mode the field stays.
    sheet("2024.04", "00007", {}, 3, QDate(2024, 4, 10), days(QDate(2024, 4, 10), 5));
    msg->clear();
    elszam = "5";
    EXPECT_FALSE(
        sheet::elszamell(*st, "00099", "2024.05", false, "", elszam, taj, "", "2024.05.02", ""));
    EXPECT_EQ(elszam, "5");
    elszam = "4";
    EXPECT_TRUE(
        sheet::elszamell(*st, "00099", "2024.05", false, "L", elszam, taj, "", "2024.05.02", ""));
    // Modifying the April sheet itself leaves it out.
    elszam = "1";
    EXPECT_TRUE(
        sheet::elszamell(*st, "00007", "2024.04", true, "L", elszam, taj, "", "2024.04.10", ""));
    EXPECT_EQ(log(), err(kisebb));

    // Partial invoices after "A", January, and a text.
    msg->clear();
    elszam = "9";
    EXPECT_TRUE(
        sheet::elszamell(*st, "00099", "2024.05", false, "L", elszam, taj, "", "2024.05.02", "B"));
    EXPECT_TRUE(
        sheet::elszamell(*st, "00099", "2025.01", false, "L", elszam, taj, "", "2025.01.02", ""));
    elszam = "x";
    EXPECT_FALSE(
        sheet::elszamell(*st, "00099", "2024.05", false, "L", elszam, taj, "", "2024.05.02", ""));
    EXPECT_EQ(log(), err("Csak szám írható a mezőbe!"));

    // A closed earlier care: anything but 1 asks; "Igen" sets 1, "Nem" keeps it.
    sheet("2024.04", "00008", "A", 4, QDate(2024, 4, 20), days(QDate(2024, 4, 20), 3),
          QDate(2024, 4, 25));
    msg->clear();
    msg->answers({true, false});
    elszam = "5";
    EXPECT_TRUE(
        sheet::elszamell(*st, "00099", "2024.05", false, "L", elszam, taj, "", "2024.05.02", ""));
    EXPECT_EQ(elszam, "1");
    elszam = "5";
    EXPECT_TRUE(
        sheet::elszamell(*st, "00099", "2024.05", false, "", elszam, taj, "", "2024.05.02", ""));
    EXPECT_EQ(elszam, "5");
    EXPECT_EQ(msg->count(), 2);
    EXPECT_EQ(msg->last(), "Előző elszámolási lap lezárt. Kér 1-es elrendelést?");
}

TEST_F(LapCheckTest, PermitFromTheFifthOrderAbove56Visits) {
    const char* kell = "A RAV engedélyszámát ki kell tölteni!";
    // A closed care long ago: its visits do not count.
    sheet("2023.10", "00050", {}, 1, QDate(2023, 10, 1), days(QDate(2023, 10, 1), 14),
          QDate(2023, 10, 20));
    visits("2023.11", "00060", 14, QDate(2023, 11, 1));
    visits("2023.12", "00070", 14, QDate(2023, 12, 1));
    visits("2024.02", "00010", 14, QDate(2024, 2, 1));
    visits("2024.03", "00020", 14, QDate(2024, 3, 1)); // 56 since the closing

    EXPECT_TRUE(sheet::engszamkell(*st, taj, "5", "00099", "2024.05"));
    EXPECT_TRUE(msg->isEmpty());

    visits("2024.04", "00030", 1, QDate(2024, 4, 1)); // 57
    EXPECT_TRUE(sheet::engszamkell(*st, taj, "4", "00099", "2024.05"));
    // The sheet itself (serial number) and the sheets of its period are left out.
    EXPECT_TRUE(sheet::engszamkell(*st, taj, "5", "00030", "2024.05"));
    EXPECT_TRUE(msg->isEmpty());
    EXPECT_FALSE(sheet::engszamkell(*st, taj, "5", "00099", "2024.05"));
    EXPECT_EQ(log(), err(kell));
}

// ---------------------------------------------------------------- exit handlers

struct LapModelTest : LapCheckTest {
    sheet::LapModel m;
    std::unique_ptr<sheet::LapCheck> c;
    QString bno, zbno; // a code outside chapter Z and one inside

    void SetUp() override {
        LapCheckTest::SetUp();
        m = sheet::ujLap(core::Idoszak(2024, 5), "00099", {}, "T");
        c = std::make_unique<sheet::LapCheck>(*st, m);
        bno = st->tables.dbo.query("select kod10 from bnotorzs where kod10 not like 'Z%' limit 1")
                  .value(0, 0)
                  .toString();
        zbno = st->tables.dbo.query("select kod10 from bnotorzs where kod10 like 'Z%' limit 1")
                   .value(0, 0)
                   .toString();
        ASSERT_FALSE(bno.isEmpty());
        ASSERT_FALSE(zbno.isEmpty());
    }

    static CheckResult r(bool ok, const char* focus = "") { return {ok, focus}; }
};

void expectResult(const CheckResult& got, const CheckResult& want, const char* what) {
    EXPECT_EQ(got.ok, want.ok) << what;
    EXPECT_EQ(got.focus, want.focus) << what;
}

TEST_F(LapModelTest, NewSheetStartsAsTheRegisterPreparesIt) {
    EXPECT_EQ(m.m_sorsz, "00099");
    EXPECT_EQ(m.napokszama, 31);
    EXPECT_EQ(m.apdat[30], "2024.05.31");
    EXPECT_EQ(m.m_elszam, "0");
    EXPECT_EQ(m.m_aztip + m.m_terkat + m.m_allp, "101HUN");
    EXPECT_TRUE(sheet::ujLap(core::Idoszak(2015, 12), "00001", {}, "T").m_aztip.isEmpty());
    const sheet::LapModel uj = sheet::ujLap(core::Idoszak(2016, 2), "00001", "A", "E");
    EXPECT_EQ(uj.napokszama, 29);
    EXPECT_TRUE(uj.apdat[29].isEmpty());
    EXPECT_EQ(uj.m_aztip + uj.m_terkat + uj.m_allp, "101HUN");
    // From 2016.01 the identifier type comes first and P1 shows.
    EXPECT_EQ(c->elsoFokusz(), "m_aztip");
    EXPECT_TRUE(c->p1Lathato());
    st->id = core::Idoszak(2015, 12);
    EXPECT_EQ(c->elsoFokusz(), "m_taj");
    EXPECT_FALSE(c->p1Lathato());
    m.szerkesztheto = false;
    EXPECT_EQ(c->elsoFokusz(), "");
}

TEST_F(LapModelTest, PatientFields) {
    // A wrong check digit: type "1" refuses and lets the focus go on, type
    // "2" takes any identifier.
    m.m_aztip = "1";
    m.m_taj = "111111111";
    expectResult(c->m_tajExit(), r(false), "wrong TAJ");
    m.m_aztip = "2";
    expectResult(c->m_tajExit(), r(true), "type 2");
    m.m_taj = "         ";
    expectResult(c->m_tajExit(), r(false, "m_taj"), "blank");
    EXPECT_EQ(log(), (std::vector<std::string>{"error: Nem létező TAJ szám!",
                                               "error: A mező kitöltése kötelező!"}));

    // Not in BETEG: the patient checks run.
    msg->clear();
    m.m_aztip = "1";
    m.m_taj = taj;
    expectResult(c->m_tajExit(), r(true), "new patient");
    EXPECT_FALSE(m.betegtorzsbol);
    expectResult(c->m_nevExit(), r(false, "m_nev"), "name");
    expectResult(c->bnemExit(), r(false, "bnem"), "sex");
    expectResult(c->m_kozigkodExit(), r(false, "m_kozigkod"), "settlement");
    m.m_szido = "    .  .  ";
    expectResult(c->m_szidoExit(), r(false, "m_szido"), "birth date");
    EXPECT_EQ(log(), (std::vector<std::string>{"error: A mező kitöltése kötelező!",
                                               "error: A nem csak nő, vagy férfi lehet!",
                                               "warning: Nincs ilyen település",
                                               "error: Érvénytelen dátum!!",
                                               "error: Hibás dátum! 1895 előtti nem lehet!"}));
    st->tables.telep.first();
    m.m_kozigkod = st->tables.telep.text("KOZIGKOD");
    expectResult(c->m_kozigkodExit(), r(true, "m_cim2"), "settlement found");
    EXPECT_EQ(m.m_cim1, st->tables.telep.text("HELYNEV"));

    // In BETEG: the fields fill and the checks are off.
    engine::Table& beteg = st->tables.beteg;
    beteg.append();
    beteg.setValue("TAJ", taj);
    beteg.setValue("NEV", "Kiss Anna");
    beteg.setValue("NEME", "N");
    beteg.setValue("AZTIP", "1");
    beteg.setValue("SZULI", QDate(1940, 2, 3));
    beteg.post();
    msg->clear();
    m.m_nev.clear();
    expectResult(c->m_tajExit(), r(true), "known patient");
    EXPECT_TRUE(m.betegtorzsbol);
    EXPECT_EQ(m.m_nev, "Kiss Anna");
    EXPECT_EQ(m.bnem, 1);
    EXPECT_EQ(m.m_szido, "1940.02.03");
    m.m_cim2.clear();
    expectResult(c->m_cim2Exit(), r(true), "checks off");
    EXPECT_TRUE(msg->isEmpty());

    // Type "0": the substitute identifier counts the patients.
    m.m_aztip = "0";
    c->m_aztipExit();
    EXPECT_EQ(m.m_taj, "910000001");
}

TEST_F(LapModelTest, DiagnosesAndDoctors) {
    struct B {
        QString LapModel::*field;
        const char* control;
        bool zOnly;
        bool required;
    } fields[] = {{&sheet::LapModel::m_fekvd, "m_fekvd", false, false},
                  {&sheet::LapModel::m_alapb, "m_alapb", false, true},
                  {&sheet::LapModel::m_kiserd, "m_kiserd", false, false},
                  {&sheet::LapModel::m_fodiag, "m_fodiag", false, true},
                  {&sheet::LapModel::m_ellatd, "m_ellatd", true, false}};
    for (const B& b : fields) {
        msg->clear();
        m.*b.field = "";
        expectResult(c->exit(b.control), b.required ? r(false, b.control) : r(true), b.control);
        m.*b.field = b.zOnly ? bno : zbno;
        expectResult(c->exit(b.control), r(false, b.control), b.control);
        m.*b.field = b.zOnly ? "ZQQQQ" : "QQQQQ";
        expectResult(c->exit(b.control), r(false, b.control), b.control);
        m.*b.field = b.zOnly ? zbno : bno;
        expectResult(c->exit(b.control), r(true), b.control);
        EXPECT_EQ(msg->count(), b.required ? 3 : 2) << b.control;
        EXPECT_EQ(msg->last(), "Nincs a BNO kód a törzsben!");
    }
    EXPECT_EQ(m.bno5, c->bnoNev(zbno));

    // The inpatient date and days follow the inpatient diagnosis.
    msg->clear();
    m.m_fekvd.clear();
    m.m_fekdat = "2024.04.02";
    expectResult(c->m_fekdatExit(), r(false, "m_fapnap"), "date without diagnosis");
    EXPECT_TRUE(m.m_fekdat.isEmpty());
    m.m_fapnap = "12";
    expectResult(c->m_fapnapExit(), r(false, "m_alapb"), "days without diagnosis");
    EXPECT_EQ(m.m_fapnap, "0");
    m.m_fekvd = bno;
    expectResult(c->m_fekdatExit(), r(false, "m_fekdat"), "diagnosis without date");
    expectResult(c->m_fapnapExit(), r(false, "m_fapnap"), "diagnosis without days");
    m.m_fapnap = "";
    expectResult(c->m_fapnapExit(), r(false, "m_fapnap"), "empty days");
    EXPECT_EQ(msg->count(), 5);
    EXPECT_EQ(msg->last(), "Csak szám írható a mezőbe!");

    // Doctors: a known stamp number fills the name and skips it.
    engine::Table& orvos = st->tables.orvos;
    orvos.append();
    orvos.setValue("ORVOSKOD", "12345");
    orvos.setValue("ONEV", "Dr. Nagy Béla");
    orvos.post();
    m.m_eorv = "12345";
    expectResult(c->m_eorvExit(), r(true, "m_jorv"), "known doctor");
    EXPECT_EQ(m.orv1, "Dr. Nagy Béla");
    m.m_eorv = "54321";
    expectResult(c->m_eorvExit(), r(true, "orv1"), "unknown doctor");
    m.m_jorv = "";
    m.orv2 = "x";
    expectResult(c->m_jorvExit(), r(true), "no proposing doctor");
    EXPECT_TRUE(m.orv2.isEmpty());
    expectResult(c->orv2Exit(), r(true, "m_elrend"), "to page 2");
    c->orvosDblClick("m_jorv");
    expectResult(c->orvosbetolt("12345", "Dr. Nagy Béla"), r(true), "picker J");
    EXPECT_EQ(m.m_jorv + m.orv2, "12345Dr. Nagy Béla");
}

TEST_F(LapModelTest, PageTwoFieldsHoldTheFocus) {
    m.m_taj = taj;
    m.m_elrend = "2024.05.01";
    m.m_szakvet = "2024.05.02";
    m.m_gyak = "hetente kétszer";
    m.m_elviz = "10";
    struct S {
        QString LapModel::*field;
        const char* value;
        const char* control;
        const char* message; // nullptr: passes
    } steps[] = {
        {&sheet::LapModel::m_elrend, "    .  .  ", "m_elrend", "A mező kitöltése kötelező!"},
        {&sheet::LapModel::m_elrend, "2024.05.01", "m_elrend", nullptr},
        {&sheet::LapModel::m_szakvet, "2024.05.02", "m_szakvet", nullptr},
        {&sheet::LapModel::m_elviz, "15", "m_elviz",
         "Az elrendelt vizitszám nem lehet több 14-nél és nem lehet 0!"},
        {&sheet::LapModel::m_elviz, "10", "m_elviz", nullptr},
        {&sheet::LapModel::m_gyak, "", "m_gyak", "A mező kitöltése kötelező!"},
        {&sheet::LapModel::m_elszam, "abc", "m_elszam", "Csak szám írható a mezőbe!"},
        {&sheet::LapModel::m_elszam, "0", "m_elszam", "A folyamatos elrendelés nem lehet 0!"},
        {&sheet::LapModel::m_elszam, "1", "m_elszam", nullptr},
        {&sheet::LapModel::m_elszviz, "11", "m_elszviz",
         "Nem lehet több az elszámolt vizit, mint az elrendelés!"},
        {&sheet::LapModel::m_elszviz, "3", "m_elszviz", nullptr},
        {&sheet::LapModel::m_lezdat, "2024.06.02", "m_lezdat",
         "Nem lehet a lezárás dátuma nagyobb a jelentési időszak végénél!"},
        {&sheet::LapModel::m_engszam, "x", "m_engszam", "Csak szám írható a mezőbe!"},
        {&sheet::LapModel::m_engszam, "0", "m_engszam", nullptr},
        {&sheet::LapModel::m_engdat, "    .  .  ", "m_engdat", nullptr},
        {&sheet::LapModel::Etev, "", "Etev", "A mező kitöltése kötelező!"},
    };
    for (const S& s : steps) {
        msg->clear();
        m.*s.field = s.value;
        expectResult(c->exit(s.control), s.message ? r(false, s.control) : r(true), s.control);
        EXPECT_EQ(log(), s.message ? err(s.message) : std::vector<std::string>{}) << s.control;
    }
    m.CB2 = -1;
    expectResult(c->CB2Exit(), r(false, "CB2"), "no category");
    m.CB2 = 0;
    expectResult(c->CB2Exit(), r(true, "ellt1"), "to page 3");
}

// ---------------------------------------------------------------- activities

TEST(Tevval, PositionalTextOfTheChosenActivities) {
    const QStringList regi = sheet::tevLista(core::Idoszak(2009, 8));
    const QStringList uj = sheet::tevLista(core::Idoszak(2009, 9));
    ASSERT_EQ(regi.size(), 19);
    ASSERT_EQ(uj.size(), 18);
    EXPECT_EQ(uj[14], "10  Tartós fájdalomcsillapítás ");

    std::vector<bool> mind(19, true), semmi(19, false), nehany(19, false);
    EXPECT_EQ(sheet::tevSzoveg(regi, mind), "123a3b45678a8b8c9a9b9c9d9e9f1011");
    EXPECT_EQ(sheet::tevSzoveg(regi, semmi), QString(32, ' '));
    nehany[0] = nehany[2] = nehany[18] = true; // 1, 3a, 11
    EXPECT_EQ(sheet::tevSzoveg(regi, nehany), "1 3a" + QString(26, ' ') + "11");
    EXPECT_EQ(sheet::tevSzoveg(regi, nehany, false), "");
    EXPECT_EQ(sheet::tevSzoveg(uj, std::vector<bool>(18, true)), "123a3b45678a8b8c9b9c9d10111213");
    EXPECT_EQ(sheet::tevSzoveg(uj, std::vector<bool>(18, false)).size(), 30);
}

} // namespace
