// The patient register's logic on a started program: adding, modifying and
// deleting patients in BETEG, the field checks of the data group and the
// picker's results.

#include "masters/betegek.h"
#include "masters/betegvalaszto.h"

#include "engine/table.h"
#include "support/startedapp.h"

#include <QDate>
#include <gtest/gtest.h>
#include <memory>

using masters::BetegFokusz;

namespace {

struct PatientsTest : ::testing::Test {
    std::unique_ptr<testsupport::StartedApp> app;
    core::AppState* st = nullptr;
    ui::ScriptedMessages* msg = nullptr;
    engine::Table* beteg = nullptr;
    QString kod, hely; // a settlement of TELEPUL

    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>();
        st = &app->state;
        msg = &app->msg;
        beteg = &st->tables.beteg;
        st->tables.telep.first();
        kod = st->tables.telep.text("KOZIGKOD");
        hely = st->tables.telep.text("HELYNEV");
        ASSERT_FALSE(kod.isEmpty());
        ASSERT_TRUE(beteg->isEmpty());
    }

    static QString taj(int i) {
        return demo::tajWithCheckDigit(QStringLiteral("1%1").arg(i, 7, 10, QLatin1Char('0')));
    }

    // Patients 1..n with valid TAJ numbers.
    void patients(int n) {
        for (int i = 1; i <= n; ++i) {
            beteg->append();
            beteg->setValue("TAJ", taj(i));
            beteg->setValue("AZTIP", "1");
            beteg->setValue("NEV", QStringLiteral("Beteg %1").arg(i));
            beteg->setValue("NEME", i % 2 ? "F" : "N");
            beteg->setValue("KOZIGKOD", kod);
            beteg->setValue("CIME1", hely);
            beteg->setValue("CIME2", "Fő utca 1.");
            beteg->setValue("SZULH", hely);
            beteg->setValue("SZULI", QDate(1930, 1, 1).addDays(i));
            beteg->post();
        }
    }

    void sheet(const QString& tajSzam, const QString& idoszak, const QString& sorsz) {
        engine::Table& lap = st->tables.lap;
        lap.append();
        lap.setValue("IDOSZAK", idoszak);
        lap.setValue("SORSZ", sorsz);
        lap.setValue("TAJ", tajSzam);
        lap.post();
    }

    // A complete new patient in the data group.
    void fill(masters::Betegek& b, const QString& tajSzam) {
        b.adat.btaj = tajSzam;
        b.adat.Bnev = QStringLiteral("Kovács Éva");
        b.adat.bnem = 1;
        b.adat.bkod = kod;
        b.adat.bvaros = hely;
        b.adat.bcim = QStringLiteral("Petőfi u. 3.");
        b.adat.Bszhely = QStringLiteral("Pápa");
        b.adat.bszido = QStringLiteral("1941.03.15");
    }

    bool hasTaj(const QString& t) {
        return !st->tables.dbo.query("select 1 from beteg where taj = ?", {t}).isEmpty();
    }
    int countTaj(const QString& t) {
        return st->tables.dbo.query("select count(*) from beteg where taj = ?", {t})
            .value(0, 0)
            .toInt();
    }
};

std::vector<std::string> log1(const char* kind, const char* text) {
    return {std::string(kind) + ": " + text};
}

} // namespace

// --------------------------------------------------------------- adding

TEST_F(PatientsTest, NewPatientWithoutTajGetsTheCountPlusTajalapReadOnly) {
    patients(57);
    masters::Betegek b(*st);
    EXPECT_EQ(b.ujClick(), BetegFokusz::azt);
    EXPECT_TRUE(b.csoportNyitva());
    EXPECT_FALSE(b.modositas());
    EXPECT_EQ(b.adat.azt, "1");
    EXPECT_TRUE(b.adat.btaj.isEmpty());
    EXPECT_EQ(b.adat.bnem, -1);
    EXPECT_EQ(b.adat.bszido, "    .  .  ");

    b.adat.azt = "0";
    EXPECT_EQ(b.aztExit(), BetegFokusz::Marad);
    EXPECT_EQ(b.adat.btaj, "910000057");
    EXPECT_TRUE(b.btajCsakOlvas());
    // No TAJ check for a substitute identifier.
    EXPECT_EQ(b.btajExit(), BetegFokusz::Marad);

    // Back to type "1": the field is the user's again.
    b.adat.azt = "1";
    b.aztExit();
    EXPECT_FALSE(b.btajCsakOlvas());
    b.adat.azt = "0";
    b.aztExit();

    fill(b, b.adat.btaj);
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::racs);
    EXPECT_FALSE(b.csoportNyitva());
    EXPECT_EQ(msg->log(), log1("confirm", "Elmenti a beteg adatait ?"));
    EXPECT_EQ(beteg->recordCount(), 58u);
    // The new record is current, in TAJ order.
    EXPECT_EQ(beteg->activeTag().toUpper(), "BETEG1");
    EXPECT_EQ(beteg->text("TAJ"), "910000057");
    EXPECT_EQ(beteg->text("AZTIP"), "0");
    EXPECT_EQ(beteg->text("NEV"), QStringLiteral("Kovács Éva"));
    EXPECT_EQ(beteg->text("NEME"), "N");
    EXPECT_EQ(beteg->text("KOZIGKOD"), kod);
    EXPECT_EQ(beteg->text("CIME1"), hely);
    EXPECT_EQ(beteg->text("CIME2"), QStringLiteral("Petőfi u. 3."));
    EXPECT_EQ(beteg->text("SZULH"), QStringLiteral("Pápa"));
    EXPECT_EQ(beteg->date("SZULI"), QDate(1941, 3, 15));
}

TEST_F(PatientsTest, SubstituteIdentifierAfterADeletionSkipsOneInUse) {
    // 57 patients, one without TAJ gets 910000057; one patient is deleted, so
    // the count gives 910000057 again: the next free one is taken instead.
    patients(57);
    masters::Betegek b(*st);
    b.ujClick();
    b.adat.azt = "0";
    b.aztExit();
    fill(b, b.adat.btaj);
    msg->answer(true);
    ASSERT_EQ(b.kesz(), BetegFokusz::racs);
    ASSERT_TRUE(hasTaj("910000057"));

    ASSERT_TRUE(beteg->locate("TAJ", taj(5)));
    msg->answer(true);
    ASSERT_TRUE(b.torolClick());
    ASSERT_EQ(beteg->recordCount(), 57u);

    b.ujClick();
    b.adat.azt = "0";
    b.aztExit();
    EXPECT_EQ(b.adat.btaj, "910000058");
    fill(b, b.adat.btaj);
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::racs);
    EXPECT_EQ(countTaj("910000057"), 1);
    EXPECT_EQ(countTaj("910000058"), 1);
}

TEST_F(PatientsTest, MissingFieldsAreListedInOrderAndFocusTheFirst) {
    patients(3);
    masters::Betegek b(*st);

    // Everything missing (the identifier type emptied too).
    b.ujClick();
    b.adat.azt = "";
    EXPECT_EQ(b.kesz(), BetegFokusz::btaj);
    EXPECT_EQ(msg->log(), log1("warning", "A következő mezők kitöltése kötelező:\r"
                                          "TAJ szám\r"
                                          "Beteg neve\r"
                                          "Beteg neme\r"
                                          "Beteg címe\r"
                                          "Beteg születési ideje\r"
                                          "Azonosító típus\r"));
    EXPECT_TRUE(b.csoportNyitva());

    // Only the birth date left at its empty mask.
    msg->clear();
    b.ujClick();
    fill(b, taj(40));
    b.adat.bszido = masters::uresDatum;
    EXPECT_EQ(b.kesz(), BetegFokusz::bszido);
    EXPECT_EQ(msg->log(), log1("warning", "A következő mezők kitöltése kötelező:\r"
                                          "Beteg születési ideje\r"));

    // A blank street is a missing address; the focus goes to the code.
    msg->clear();
    fill(b, taj(40));
    b.adat.bcim = "   ";
    b.adat.bszido = "1941.03.15";
    EXPECT_EQ(b.kesz(), BetegFokusz::bkod);
    EXPECT_EQ(msg->log(), log1("warning", "A következő mezők kitöltése kötelező:\r"
                                          "Beteg címe\r"));

    // Name and sex: the focus goes to the name.
    msg->clear();
    fill(b, taj(40));
    b.adat.Bnev.clear();
    b.adat.bnem = -1;
    EXPECT_EQ(b.kesz(), BetegFokusz::Bnev);
    EXPECT_EQ(msg->log(), log1("warning", "A következő mezők kitöltése kötelező:\r"
                                          "Beteg neve\r"
                                          "Beteg neme\r"));
    EXPECT_EQ(beteg->fileRecordCount(), 3u);
}

TEST_F(PatientsTest, DuplicateTajOnAddingIsRefusedBeforeAnythingIsAppended) {
    patients(5);
    masters::Betegek b(*st);
    b.ujClick();
    fill(b, taj(3));
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::btaj);
    EXPECT_EQ(msg->log(), (std::vector<std::string>{"confirm: Elmenti a beteg adatait ?",
                                                    "warning: Ilyen beteg már létezik !"}));
    EXPECT_TRUE(b.csoportNyitva());
    EXPECT_EQ(beteg->state(), engine::Table::State::Browse);
    EXPECT_EQ(beteg->fileRecordCount(), 5u);
    EXPECT_EQ(countTaj(taj(3)), 1);

    // Corrected, the same group saves.
    msg->clear();
    b.adat.btaj = taj(6);
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::racs);
    EXPECT_EQ(beteg->fileRecordCount(), 6u);
}

TEST_F(PatientsTest, AnsweringNoToTheSaveQuestionWritesNothing) {
    patients(2);
    const auto gen = beteg->generation();
    masters::Betegek b(*st);
    b.ujClick();
    fill(b, taj(9));
    msg->answer(false);
    EXPECT_EQ(b.kesz(), BetegFokusz::racs);
    EXPECT_FALSE(b.csoportNyitva());
    EXPECT_EQ(msg->log(), log1("confirm", "Elmenti a beteg adatait ?"));
    EXPECT_EQ(beteg->generation(), gen);
    EXPECT_EQ(beteg->fileRecordCount(), 2u);

    // "Mégse" closes without a question.
    msg->clear();
    b.modosClick();
    b.adat.Bnev = "Más";
    EXPECT_EQ(b.megse(), BetegFokusz::racs);
    EXPECT_FALSE(b.csoportNyitva());
    EXPECT_TRUE(msg->isEmpty());
    EXPECT_EQ(beteg->generation(), gen);
}

TEST_F(PatientsTest, SaveRefusesAnUnknownSettlementAndAnImpossibleBirthDate) {
    // Enter in the birth date presses "Kész" without leaving the field: the
    // save checks the code and the date itself before asking.
    patients(1);
    masters::Betegek b(*st);
    b.ujClick();
    fill(b, taj(2));
    b.adat.bkod = "0000000";
    EXPECT_EQ(b.kesz(), BetegFokusz::bkod);
    EXPECT_EQ(msg->log(), log1("warning", "Nincs ilyen település a törzsben!"));

    msg->clear();
    b.adat.bkod = kod;
    b.adat.bszido = "1941.13.01";
    EXPECT_EQ(b.kesz(), BetegFokusz::bszido);
    EXPECT_EQ(msg->log(), log1("error", "Érvénytelen dátum!!"));

    msg->clear();
    b.adat.bszido = "2024.06.01"; // after the period 2024.05
    EXPECT_EQ(b.kesz(), BetegFokusz::bszido);
    EXPECT_EQ(msg->log(), log1("error", "Nem adhat meg az elszámolási időszakot követő dátumot!"));
    EXPECT_EQ(beteg->fileRecordCount(), 1u);
    EXPECT_TRUE(b.csoportNyitva());
}

TEST_F(PatientsTest, TextsLongerThanTheirFieldsAreCutAndUnstorableOnesRefused) {
    masters::Betegek b(*st);
    b.ujClick();
    fill(b, taj(1));
    const QString hosszu = QStringLiteral("Szentgyörgyváriné Kiss-Horváth Erzsébet");
    b.adat.Bnev = hosszu;
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::racs);
    EXPECT_EQ(beteg->text("NEV"), hosszu.left(25));

    // A character code page 852 cannot hold: an error, the group stays open,
    // nothing is appended.
    msg->clear();
    b.ujClick();
    fill(b, taj(2));
    b.adat.bcim = QStringLiteral("Fő utca 1. €");
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::Marad);
    ASSERT_EQ(msg->count(), 2);
    EXPECT_EQ(msg->messages()[1].kind, ui::MessageKind::Error);
    EXPECT_TRUE(b.csoportNyitva());
    EXPECT_EQ(beteg->state(), engine::Table::State::Browse);
    EXPECT_EQ(beteg->fileRecordCount(), 1u);

    // Control characters that reached the form never reach the table.
    msg->clear();
    b.ujClick();
    fill(b, taj(3));
    b.adat.bcim = QString::fromUtf8("Fő\tutca\x01\x1a\r\n5.");
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::racs);
    ASSERT_TRUE(beteg->locate("TAJ", taj(3)));
    EXPECT_EQ(beteg->text("CIME2"), QString::fromUtf8("Fő utca 5."));
}

// --------------------------------------------------------------- fields

TEST_F(PatientsTest, FieldChecksOnLeaving) {
    masters::Betegek b(*st);
    b.ujClick();

    // TAJ: a wrong check digit is only a warning; blank passes here.
    b.adat.btaj = "123456789";
    EXPECT_EQ(b.btajExit(), BetegFokusz::Marad);
    EXPECT_EQ(msg->log(), log1("warning", "Nem létező TAJ szám!"));
    msg->clear();
    b.adat.btaj = taj(1);
    b.btajExit();
    b.adat.btaj.clear();
    b.btajExit();
    EXPECT_TRUE(msg->isEmpty());

    // Sex.
    EXPECT_EQ(b.bnemExit(), BetegFokusz::bnem);
    EXPECT_EQ(msg->log(), log1("warning", "A nem csak nő, vagy férfi lehet!"));
    msg->clear();
    b.adat.bnem = 0;
    EXPECT_EQ(b.bnemExit(), BetegFokusz::Marad);

    // Settlement code: refused when not in TELEPUL, the focus returns.
    b.adat.bkod = "9999999";
    EXPECT_EQ(b.bkodExit(), BetegFokusz::bkod);
    EXPECT_EQ(msg->log(), log1("warning", "Nincs ilyen település a törzsben!"));
    b.bvarosEnter();
    EXPECT_TRUE(b.adat.bvaros.isEmpty());
    msg->clear();
    b.adat.bkod = kod;
    EXPECT_EQ(b.bkodExit(), BetegFokusz::Marad);
    b.bvarosEnter();
    EXPECT_EQ(b.adat.bvaros, hely);
    EXPECT_TRUE(msg->isEmpty());

    // Birth date: an untouched field gets both messages.
    EXPECT_EQ(b.bszidoExit(), BetegFokusz::bszido);
    EXPECT_EQ(msg->log(), (std::vector<std::string>{"error: Érvénytelen dátum!!",
                                                    "error: Hibás dátum! 1895 előtti nem lehet!"}));
    msg->clear();
    b.adat.bszido = "2024.05.31";
    EXPECT_EQ(b.bszidoExit(), BetegFokusz::Marad);
    EXPECT_TRUE(msg->isEmpty());
}

TEST_F(PatientsTest, SettlementPickerFillsCodeAndName) {
    masters::Betegek b(*st);
    b.ujClick();
    b.adat.bkod = "12";
    EXPECT_EQ(b.bkodDblClick(std::nullopt), BetegFokusz::bkod);
    EXPECT_EQ(b.adat.bkod, "12");
    EXPECT_EQ(b.bkodDblClick(masters::Telepules{kod, hely}), BetegFokusz::bcim);
    EXPECT_EQ(b.adat.bkod, kod);
    EXPECT_EQ(b.adat.bvaros, hely);
}

// --------------------------------------------------------------- modifying

TEST_F(PatientsTest, ModifyingKeepsTheTajUnlessTheIdentifierTypeIsPassed) {
    patients(4);
    masters::Betegek b(*st);
    ASSERT_TRUE(beteg->locate("TAJ", taj(2)));
    EXPECT_EQ(b.modosClick(), BetegFokusz::Bnev);
    EXPECT_TRUE(b.modositas());
    EXPECT_TRUE(b.aztCsakOlvas());
    EXPECT_TRUE(b.btajCsakOlvas());
    EXPECT_EQ(b.adat.azt, "1");
    EXPECT_EQ(b.adat.btaj, taj(2));
    EXPECT_EQ(b.adat.Bnev, "Beteg 2");
    EXPECT_EQ(b.adat.bnem, 1);
    EXPECT_EQ(b.adat.bkod, kod);
    EXPECT_EQ(b.adat.bszido, "1930.01.03");

    b.adat.Bnev = "Beteg Kettő";
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::racs);
    EXPECT_EQ(beteg->recordCount(), 4u);
    ASSERT_TRUE(beteg->locate("TAJ", taj(2)));
    EXPECT_EQ(beteg->text("NEV"), QStringLiteral("Beteg Kettő"));

    // Passing through azt makes the TAJ editable; taking another patient's
    // number is not checked when modifying.
    msg->clear();
    b.modosClick();
    EXPECT_EQ(b.aztExit(), BetegFokusz::Marad);
    EXPECT_FALSE(b.btajCsakOlvas());
    EXPECT_TRUE(b.aztCsakOlvas());
    b.adat.btaj = taj(3);
    msg->answer(true);
    EXPECT_EQ(b.kesz(), BetegFokusz::racs);
    EXPECT_EQ(msg->log(), log1("confirm", "Elmenti a beteg adatait ?"));
    EXPECT_EQ(countTaj(taj(3)), 2);
    EXPECT_EQ(countTaj(taj(2)), 0);
    EXPECT_EQ(beteg->recordCount(), 4u);
}

TEST_F(PatientsTest, ModifyingAnEmptyRegisterIsRefused) {
    masters::Betegek b(*st);
    EXPECT_EQ(b.modosClick(), BetegFokusz::Marad);
    EXPECT_FALSE(b.csoportNyitva());
    EXPECT_EQ(msg->log(), log1("error", "Nincs módosítandó adat!"));
}

TEST_F(PatientsTest, AddingAfterModifyingLetsTheIdentifierTypeBeTyped) {
    patients(1);
    masters::Betegek b(*st);
    b.modosClick();
    ASSERT_TRUE(b.aztCsakOlvas());
    b.megse();
    b.ujClick();
    EXPECT_FALSE(b.aztCsakOlvas());
    EXPECT_FALSE(b.btajCsakOlvas());
    EXPECT_EQ(b.adat.azt, "1");
    EXPECT_TRUE(b.adat.Bnev.isEmpty());
}

// --------------------------------------------------------------- deleting

TEST_F(PatientsTest, PatientOnASheetIsNotDeleted) {
    patients(3);
    engine::Table& lap = st->tables.lap;
    ASSERT_TRUE(lap.filtered());
    sheet(taj(1), "2003.02", "00001");
    sheet(taj(2), "2024.04", "00002");
    sheet(taj(2), "2024.05", "00003");
    lap.first();
    const auto lapRec = lap.recno();

    ASSERT_TRUE(beteg->locate("TAJ", taj(2)));
    masters::Betegek b(*st);
    EXPECT_FALSE(b.torolClick());
    EXPECT_EQ(msg->log(), log1("information", "A beteg szerepel az elszámolásban,\r"
                                              "az adatai nem törölhetők!!"));
    EXPECT_EQ(beteg->recordCount(), 3u);
    EXPECT_EQ(beteg->text("TAJ"), taj(2));
    EXPECT_EQ(lap.recno(), lapRec);

    msg->clear();
    ASSERT_TRUE(beteg->locate("TAJ", taj(1)));
    EXPECT_FALSE(b.torolClick());
    EXPECT_EQ(msg->kinds(), std::vector<ui::MessageKind>{ui::MessageKind::Information});
    EXPECT_EQ(beteg->recordCount(), 3u);
}

TEST_F(PatientsTest, SheetsOutsideLapsStandingFilterDoNotHoldThePatient) {
    patients(2);
    sheet(taj(1), "1999.03", "00001"); // before "idoszak>='1999.04'"
    ASSERT_TRUE(beteg->locate("TAJ", taj(1)));
    masters::Betegek b(*st);
    EXPECT_FALSE(b.lapon(taj(1)));
    msg->answer(false);
    EXPECT_FALSE(b.torolClick());
    EXPECT_EQ(msg->log(), log1("confirm", "Biztosan törli a beteg adatait ?"));
    EXPECT_EQ(beteg->recordCount(), 2u);
}

TEST_F(PatientsTest, DeletingRemovesTheRecordAndPacks) {
    patients(4);
    sheet(taj(1), "2024.05", "00001");
    ASSERT_TRUE(beteg->locate("TAJ", taj(3)));
    masters::Betegek b(*st);
    msg->answer(true);
    EXPECT_TRUE(b.torolClick());
    EXPECT_EQ(msg->log(), log1("confirm", "Biztosan törli a beteg adatait ?"));
    EXPECT_FALSE(hasTaj(taj(3)));
    EXPECT_EQ(beteg->fileRecordCount(), 3u); // packed: no deleted record left
    EXPECT_EQ(beteg->recordCount(), 3u);
    // On the first record of the active order (by name).
    EXPECT_FALSE(beteg->eof());
    EXPECT_EQ(beteg->text("NEV"), "Beteg 1");

    // An empty register: nothing to delete, nothing asked.
    masters::Betegek c(*st);
    msg->clear();
    while (!beteg->isEmpty()) {
        beteg->first();
        beteg->remove();
    }
    EXPECT_FALSE(c.torolClick());
    EXPECT_TRUE(msg->isEmpty());
}

// --------------------------------------------------------------- picker

TEST_F(PatientsTest, PickerHandsBackTheCurrentPatient) {
    patients(3);
    masters::BetegValaszto v(*st);
    v.aktival();
    EXPECT_TRUE(v.eredmeny().taj.isEmpty());
    ASSERT_TRUE(beteg->locate("TAJ", taj(3)));
    v.valaszt();
    const masters::BetegValasztas& r = v.eredmeny();
    EXPECT_EQ(r.taj, taj(3));
    EXPECT_EQ(r.aztip, "1");
    EXPECT_EQ(r.nev, "Beteg 3");
    EXPECT_EQ(r.neme, "F");
    EXPECT_EQ(r.kozigkod, kod);
    EXPECT_EQ(r.cime1, hely);
    EXPECT_EQ(r.cime2, QStringLiteral("Fő utca 1."));
    EXPECT_EQ(r.szulh, hely);
    EXPECT_EQ(r.szuli, "1930.01.04");

    // Shown again and left with "Mégse": nothing chosen.
    v.aktival();
    v.megse();
    EXPECT_TRUE(v.eredmeny().taj.isEmpty());
    EXPECT_TRUE(v.eredmeny().nev.isEmpty());
}

TEST_F(PatientsTest, PickerOnAnEmptyRegisterChoosesNothing) {
    masters::BetegValaszto v(*st);
    v.aktival();
    v.valaszt();
    EXPECT_TRUE(v.eredmeny().taj.isEmpty());
    EXPECT_TRUE(msg->isEmpty());
}
