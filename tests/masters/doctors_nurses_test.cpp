// The nurses' and doctors' registers on a started program: adding, modifying
// and deleting records of APOL and ORVOS with the exact messages, the checks
// that keep someone who stands on a sheet, and the two pickers' results.

#include "masters/person.h"
#include "masters/recordpick.h"

#include "engine/table.h"
#include "support/startedapp.h"

#include <QDate>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

using masters::Person;
using Save = masters::Person::Save;
using Log = std::vector<std::string>;

namespace {

struct DoctorsNursesTest : ::testing::Test {
    std::unique_ptr<testsupport::StartedApp> app;
    core::AppState* st = nullptr;
    ui::ScriptedMessages* msg = nullptr;

    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>();
        st = &app->state;
        msg = &app->msg;
        ASSERT_TRUE(st->tables.apol.isEmpty());
        ASSERT_TRUE(st->tables.orvos.isEmpty());
    }

    static QString taj(int i) {
        return demo::tajWithCheckDigit(QStringLiteral("2%1").arg(i, 7, 10, QLatin1Char('0')));
    }

    static void add(engine::Table& t, const QString& keyField, const QString& key,
                    const QString& nameField, const QString& name) {
        t.append();
        t.setValue(keyField, key);
        t.setValue(nameField, name);
        t.post();
    }
    void nurse(const QString& tajSzam, const QString& name) {
        add(st->tables.apol, "APTAJ", tajSzam, "ANEV", name);
    }
    void doctor(const QString& code, const QString& name) {
        add(st->tables.orvos, "ORVOSKOD", code, "ONEV", name);
    }

    // A sheet with the given fields set (the rest blank).
    void sheet(const QString& sorsz, const std::vector<std::pair<QString, QString>>& fields) {
        engine::Table& lap = st->tables.lap;
        lap.append();
        lap.setValue("IDOSZAK", "2024.04");
        lap.setValue("SORSZ", sorsz);
        for (const auto& [f, v] : fields)
            lap.setValue(f, v);
        lap.post();
    }
    void visit(const QString& sorsz, const QString& aptaj) {
        engine::Table& lapb = st->tables.lapb;
        lapb.append();
        lapb.setValue("IDOSZAK", "2024.04");
        lapb.setValue("SORSZ", sorsz);
        lapb.setValue("APDATUM", QDate(2024, 4, 3));
        lapb.setValue("APTAJ", aptaj);
        lapb.post();
    }
    void order(const QString& sorsz, const QString& jorvkod) {
        engine::Table& el = st->tables.elrend;
        el.append();
        el.setValue("IDOSZAK", "2024.04");
        el.setValue("SORSZ", sorsz);
        el.setValue("JORVKOD", jorvkod);
        el.post();
    }

    QStringList rows(engine::Table& t, const QString& keyField, const QString& nameField) {
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.text(keyField) + "|" + t.text(nameField);
        return out;
    }
};

} // namespace

// ------------------------------------------------------------ the nurses

TEST_F(DoctorsNursesTest, NurseIsAddedModifiedAndDeleted) {
    Person r(*st, masters::apolConfig());
    r.open();
    EXPECT_EQ(msg->statusText(0), QStringLiteral("Új szakápoló rögzítése"));

    r.uj();
    EXPECT_TRUE(r.panelOpen());
    EXPECT_FALSE(r.modifying());
    EXPECT_TRUE(r.keyExit(taj(1)));
    msg->answer(true);
    EXPECT_EQ(r.kesz(taj(1), QStringLiteral("Szűcs Ödönné")), Save::Saved);
    EXPECT_FALSE(r.panelOpen());
    EXPECT_EQ(msg->log(), (Log{"confirm: Elmenti az ápoló adatait ?"}));
    EXPECT_EQ(rows(st->tables.apol, "APTAJ", "ANEV"),
              QStringList{taj(1) + QStringLiteral("|Szűcs Ödönné")});

    // Modifying shows the current record and keeps its TAJ number.
    msg->clear();
    st->tables.apol.first();
    auto f = r.modos();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->key, taj(1));
    EXPECT_EQ(f->name, QStringLiteral("Szűcs Ödönné"));
    EXPECT_TRUE(r.modifying());
    msg->answer(true);
    EXPECT_EQ(r.kesz(f->key, QStringLiteral("Szűcs Ödönné Tóth Anna")), Save::Saved);
    EXPECT_EQ(rows(st->tables.apol, "APTAJ", "ANEV"),
              QStringList{taj(1) + QStringLiteral("|Szűcs Ödönné Tóth Anna")});

    // "Nem" to the delete question keeps it; "Igen" removes it for good.
    msg->clear();
    nurse(taj(2), "Második");
    st->tables.apol.first();
    msg->answers({false, true});
    EXPECT_FALSE(r.torol());
    EXPECT_EQ(st->tables.apol.recordCount(), 2u);
    st->tables.apol.first();
    EXPECT_TRUE(r.torol());
    EXPECT_EQ(msg->log(), (Log{"confirm: Biztosan törli az ápoló adatait ?",
                               "confirm: Biztosan törli az ápoló adatait ?"}));
    EXPECT_EQ(rows(st->tables.apol, "APTAJ", "ANEV"), QStringList{taj(2) + "|Második"});
    EXPECT_EQ(st->tables.apol.fileRecordCount(), 1u); // packed
    EXPECT_EQ(st->tables.apol.text("APTAJ"), taj(2)); // on the first record
}

TEST_F(DoctorsNursesTest, NurseRefusalsKeepThePanelOpenAndWriteNothing) {
    Person r(*st, masters::apolConfig());
    r.uj();

    // Either field empty.
    EXPECT_EQ(r.kesz("", "Név"), Save::Refused);
    EXPECT_EQ(r.kesz(taj(1), "  "), Save::Refused);
    EXPECT_EQ(msg->log(), (Log{"warning: Az ápoló adatait ki kell tölteni!",
                               "warning: Az ápoló adatait ki kell tölteni!"}));
    EXPECT_TRUE(r.panelOpen());

    // A TAJ number with a wrong check digit: refused on leaving the field,
    // and "Kész" does not store it either.
    msg->clear();
    QString wrong = taj(1);
    wrong[8] = QChar('0' + (wrong[8].digitValue() + 1) % 10);
    EXPECT_FALSE(r.keyExit(wrong));
    EXPECT_FALSE(r.keyExit("1234"));
    EXPECT_TRUE(r.keyExit(""));
    EXPECT_EQ(r.kesz(wrong, "Név"), Save::Refused);
    EXPECT_EQ(msg->log(), (Log{"warning: Nem létező TAJ szám!", "warning: Nem létező TAJ szám!",
                               "warning: Nem létező TAJ szám!"}));
    EXPECT_TRUE(r.panelOpen());

    // A duplicate: asked first, then refused.
    msg->clear();
    nurse(taj(1), "Első");
    msg->answer(true);
    EXPECT_EQ(r.kesz(taj(1), "Más"), Save::Refused);
    EXPECT_EQ(msg->log(),
              (Log{"confirm: Elmenti az ápoló adatait ?", "warning: Ilyen ápoló már létezik !"}));
    EXPECT_TRUE(r.panelOpen());

    // "Nem" to the save question closes the panel without writing.
    msg->clear();
    msg->answer(false);
    EXPECT_EQ(r.kesz(taj(2), "Második"), Save::Declined);
    EXPECT_FALSE(r.panelOpen());
    EXPECT_EQ(rows(st->tables.apol, "APTAJ", "ANEV"), QStringList{taj(1) + "|Első"});
}

TEST_F(DoctorsNursesTest, NurseOnAnySheetOrVisitCannotBeDeleted) {
    nurse(taj(1), "Csak látogatáson");
    nurse(taj(2), "Második ápoló a lapon");
    nurse(taj(3), "Első ápoló a lapon");
    nurse(taj(4), "Sehol");
    visit("00001", taj(1));
    sheet("00002", {{"APTAJ1", taj(3)}, {"APTAJ2", taj(2)}});
    // The sheet table's own filter does not hide a sheet from the check.
    st->tables.lap.setFilter("idoszak='1999.01'");
    st->tables.lap.setFiltered(true);

    Person r(*st, masters::apolConfig());
    engine::Table& apol = st->tables.apol;
    for (int i : {1, 2, 3}) {
        msg->clear();
        ASSERT_TRUE(apol.locate("APTAJ", taj(i)));
        EXPECT_FALSE(r.torol()) << i;
        EXPECT_EQ(msg->log(), (Log{"information: Az ápoló szerepel az elszámolásban, az adatai "
                                   "nem törölhetők!!"}))
            << i;
    }
    EXPECT_EQ(apol.recordCount(), 4u);

    msg->clear();
    ASSERT_TRUE(apol.locate("APTAJ", taj(4)));
    msg->answer(true);
    EXPECT_TRUE(r.torol());
    EXPECT_EQ(msg->log(), (Log{"confirm: Biztosan törli az ápoló adatait ?"}));
    EXPECT_EQ(apol.recordCount(), 3u);
}

TEST_F(DoctorsNursesTest, NothingToModifyOnAnEmptyRegister) {
    Person n(*st, masters::apolConfig());
    Person d(*st, masters::orvosConfig());
    EXPECT_FALSE(n.modos());
    EXPECT_FALSE(d.modos());
    EXPECT_FALSE(n.panelOpen());
    // Nothing to delete either: no question is asked.
    EXPECT_FALSE(d.torol());
    EXPECT_EQ(msg->log(),
              (Log{"error: Nincs módosítandó adat!", "error: Nincs módosítandó adat!"}));
}

// ------------------------------------------------------------ the doctors

TEST_F(DoctorsNursesTest, DoctorIsAddedAndADuplicateStampNumberIsRefused) {
    Person r(*st, masters::orvosConfig());
    r.open();
    EXPECT_EQ(msg->statusText(0), QStringLiteral("Új orvos rögzítése"));

    r.uj();
    // The doctor's code field has no check.
    EXPECT_TRUE(r.keyExit("x1"));
    msg->answer(true);
    EXPECT_EQ(r.kesz("12345", QStringLiteral("Dr. Kiss Géza")), Save::Saved);

    msg->clear();
    r.uj();
    msg->answer(true);
    EXPECT_EQ(r.kesz("12345", QStringLiteral("Dr. Nagy Béla")), Save::Refused);
    EXPECT_EQ(msg->log(),
              (Log{"confirm: Elmenti az orvos adatait ?", "warning: Ilyen orvos már létezik !"}));
    EXPECT_TRUE(r.panelOpen());
    EXPECT_FALSE(r.modifying());

    // A code that differs only in letter case or by a prefix is another one.
    msg->clear();
    msg->answer(true);
    EXPECT_EQ(r.kesz("1234", QStringLiteral("Dr. Nagy Béla")), Save::Saved);
    EXPECT_EQ(rows(st->tables.orvos, "ORVOSKOD", "ONEV"),
              (QStringList{QStringLiteral("12345|Dr. Kiss Géza"),
                           QStringLiteral("1234|Dr. Nagy Béla")})); // in name order

    // Missing data has the doctor's text.
    msg->clear();
    r.uj();
    EXPECT_EQ(r.kesz("55555", ""), Save::Refused);
    EXPECT_EQ(msg->log(), (Log{"warning: Az orvos adatait ki kell tölteni!"}));
}

TEST_F(DoctorsNursesTest, DoctorWithEmptyCodeCanOnlyBeDeleted) {
    doctor("", "Kód nélkül");
    order("00001", ""); // an order without proposing doctor
    Person r(*st, masters::orvosConfig());
    st->tables.orvos.first();
    EXPECT_FALSE(r.modos());
    EXPECT_FALSE(r.panelOpen());
    EXPECT_EQ(msg->log(), (Log{"error: Nem lehet módosítani, csak törölni az üres adatot!"}));

    msg->clear();
    msg->answer(true);
    EXPECT_TRUE(r.torol());
    EXPECT_EQ(msg->log(), (Log{"confirm: Biztosan törli az orvos adatait ?"}));
    EXPECT_TRUE(st->tables.orvos.isEmpty());

    // A nurse with an empty TAJ number may be modified.
    nurse("", "TAJ nélkül");
    Person n(*st, masters::apolConfig());
    st->tables.apol.first();
    auto f = n.modos();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->name, QStringLiteral("TAJ nélkül"));
}

TEST_F(DoctorsNursesTest, DoctorOnASheetOrProposingAnOrderCannotBeDeleted) {
    doctor("11111", "Javasló");
    doctor("22222", "Rendelő");
    doctor("33333", "Szabad");
    order("00001", "11111");
    sheet("00002", {{"ORVOSKOD", "22222"}});

    Person r(*st, masters::orvosConfig());
    engine::Table& orvos = st->tables.orvos;
    for (const char* code : {"11111", "22222"}) {
        msg->clear();
        ASSERT_TRUE(orvos.locate("ORVOSKOD", code));
        EXPECT_FALSE(r.torol()) << code;
        EXPECT_EQ(msg->log(), (Log{"information: Az orvos szerepel az elszámolásban, az adatai "
                                   "nem törölhetők!!"}))
            << code;
    }
    msg->clear();
    ASSERT_TRUE(orvos.locate("ORVOSKOD", "33333"));
    msg->answer(true);
    EXPECT_TRUE(r.torol());
    EXPECT_EQ(rows(orvos, "ORVOSKOD", "ONEV"),
              (QStringList{QStringLiteral("11111|Javasló"), QStringLiteral("22222|Rendelő")}));
}

TEST_F(DoctorsNursesTest, ModifyingWritesTheRecordItOpened) {
    doctor("11111", "Első");
    doctor("22222", "Második");
    Person r(*st, masters::orvosConfig());
    engine::Table& orvos = st->tables.orvos;
    ASSERT_TRUE(orvos.locate("ORVOSKOD", "22222"));
    auto f = r.modos();
    ASSERT_TRUE(f);
    EXPECT_EQ(f->key, "22222");
    orvos.first(); // someone moved the shared table meanwhile
    msg->answer(true);
    EXPECT_EQ(r.kesz(f->key, "Második Módosítva"), Save::Saved);
    EXPECT_EQ(
        rows(orvos, "ORVOSKOD", "ONEV"),
        (QStringList{QStringLiteral("11111|Első"), QStringLiteral("22222|Második Módosítva")}));
}

// ------------------------------------------------------------ the pickers

TEST_F(DoctorsNursesTest, NursePickerCancelClearsTheChosenFlag) {
    nurse(taj(1), "Első");
    nurse(taj(2), "Második");
    auto pick = masters::RecordPick::apol(*st);
    engine::Table& apol = st->tables.apol;

    pick.activate();
    EXPECT_FALSE(pick.chosen());
    ASSERT_TRUE(apol.locate("APTAJ", taj(2)));
    pick.valaszt();
    EXPECT_TRUE(pick.chosen());
    EXPECT_EQ(pick.key(), taj(2));
    EXPECT_EQ(pick.name(), "Második");

    pick.activate();
    EXPECT_TRUE(pick.chosen()); // nothing changes until a button is pressed
    pick.megse();
    EXPECT_FALSE(pick.chosen());
}

TEST_F(DoctorsNursesTest, DoctorPickerForgetsItsCodeWhenShownAgain) {
    doctor("11111", "Dr. Első");
    auto pick = masters::RecordPick::orvos(*st);
    pick.activate();
    st->tables.orvos.first();
    pick.valaszt();
    EXPECT_EQ(pick.key(), "11111");
    EXPECT_EQ(pick.name(), "Dr. Első");

    pick.activate();
    EXPECT_TRUE(pick.key().isEmpty());
    pick.megse();
    EXPECT_TRUE(pick.key().isEmpty());
    EXPECT_TRUE(msg->isEmpty());
}
