// The contract data view: which contracts it lists, the contract filter it
// puts on the workers, sites and areas, and that it leaves no filter behind.

#include "masters/contract.h"

#include "engine/table.h"
#include "support/startedapp.h"

#include <QDate>
#include <gtest/gtest.h>
#include <memory>

using Panel = masters::Contract::Panel;

namespace {

struct ContractTest : ::testing::Test {
    std::unique_ptr<testsupport::StartedApp> app;
    core::AppState* st = nullptr;

    void SetUp() override {
        app = std::make_unique<testsupport::StartedApp>();
        st = &app->state;
    }

    void contract(QDate start, QDate end, const QString& number) {
        engine::Table& t = st->tables.szerz;
        t.append();
        t.setValue("INTKOD", "1890");
        t.setValue("SZKEZD", start);
        t.setValue("SZVEG", end.isValid() ? QVariant(end) : QVariant());
        t.setValue("SZSZAM", number);
        t.post();
    }
    void worker(int serial, QDate start, QDate end) {
        engine::Table& t = st->tables.szolgsz;
        t.append();
        t.setValue("INTKOD", "1890");
        t.setValue("SSORSZAM", serial);
        t.setValue("KEZD", start);
        t.setValue("VEG", end.isValid() ? QVariant(end) : QVariant());
        t.setValue("NEV", QStringLiteral("Dolgozó %1").arg(serial));
        t.post();
    }
    // The serial numbers the table shows, from 900 up (the test's own rows).
    QList<int> ownWorkers() {
        engine::Table& t = st->tables.szolgsz;
        QList<int> out;
        for (t.first(); !t.eof(); t.next())
            if (int n = t.text("SSORSZAM").toInt(); n >= 900) out << n;
        std::sort(out.begin(), out.end());
        return out;
    }
    QStringList contractStarts() {
        engine::Table& t = st->tables.szerz;
        QStringList out;
        for (t.first(); !t.eof(); t.next())
            out << t.text("SZKEZD");
        return out;
    }
};

} // namespace

TEST_F(ContractTest, ListsTheContractsFrom19990601WithTheLastCurrent) {
    contract(QDate(1998, 1, 1), QDate(1999, 5, 31), "REGI-1");
    contract(QDate(1999, 6, 1), QDate(1999, 12, 31), "ELSO-1");
    masters::Contract v(*st);
    const QString caption = v.open();
    EXPECT_EQ(caption, demo::providerCode() + " " + demo::providerName() + " szerződéses adatai");
    const QStringList starts = contractStarts();
    EXPECT_EQ(starts, (QStringList{"1999.06.01", "2023.01.01", "2024.01.01"}));

    v.open();
    EXPECT_EQ(st->tables.szerz.text("SZKEZD"), "2024.01.01");
    v.activate();
    EXPECT_EQ(v.lastFilter(), "kezd<='2024.01.01' and (veg >='2024.12.31' or veg=null)");
    v.close();
    EXPECT_FALSE(st->tables.szerz.filtered());
    EXPECT_EQ(st->tables.szerz.recordCount(), 4u);
}

TEST_F(ContractTest, ContractWithoutEndShowsWorkersWithoutEndOrEndingFrom29991201) {
    contract(QDate(2025, 1, 1), QDate(), "NYITOTT");
    const QDate from(2025, 1, 1);
    worker(901, from, QDate());              // no end
    worker(902, from, QDate(2999, 12, 1));   // ends on the day
    worker(903, from, QDate(2999, 12, 31));  // ends later
    worker(904, from, QDate(2999, 11, 30));  // ends earlier
    worker(905, QDate(2025, 1, 2), QDate()); // starts after the contract
    worker(906, QDate(2020, 3, 1), QDate()); // started long before

    masters::Contract v(*st);
    v.open();
    v.activate();
    EXPECT_EQ(v.lastFilter(), "kezd<='2025.01.01' and (veg >='2999.12.01' or veg=null)");
    EXPECT_EQ(ownWorkers(), (QList<int>{901, 902, 903, 906}));
    // Everything the workers' table shows passes the filter's rule.
    engine::Table& w = st->tables.szolgsz;
    for (w.first(); !w.eof(); w.next()) {
        EXPECT_LE(w.text("KEZD"), QString("2025.01.01"));
        EXPECT_TRUE(w.text("VEG").isEmpty() || w.text("VEG") >= QString("2999.12.01"));
    }
    v.close();
    EXPECT_FALSE(w.filtered());
    EXPECT_EQ(ownWorkers(), (QList<int>{901, 902, 903, 904, 905, 906}));
}

TEST_F(ContractTest, EnteringAPanelFollowsTheContractChosenInTheList) {
    const QDate y23(2023, 1, 1), y24(2024, 1, 1);
    worker(911, y23, QDate(2023, 12, 31)); // only the 2023 contract
    worker(912, y23, QDate());             // both
    worker(913, y24, QDate(2024, 12, 31)); // only the 2024 contract

    masters::Contract v(*st);
    v.open();
    v.activate();
    EXPECT_EQ(ownWorkers(), (QList<int>{912, 913}));
    const QString thely2024 = st->tables.thely.filter();
    EXPECT_EQ(thely2024, v.lastFilter());
    EXPECT_EQ(st->tables.terul.filter(), v.lastFilter());

    // The previous contract chosen in the list; the panels follow one by one.
    st->tables.szerz.prior();
    ASSERT_EQ(st->tables.szerz.text("SZKEZD"), "2023.01.01");
    v.enterPanel(Panel::Dolg);
    EXPECT_EQ(v.lastFilter(), "kezd<='2023.01.01' and (veg >='2023.12.31' or veg=null)");
    EXPECT_EQ(ownWorkers(), (QList<int>{911, 912}));
    EXPECT_FALSE(st->tables.szolgsz.bof() && st->tables.szolgsz.eof());
    EXPECT_EQ(st->tables.thely.filter(), thely2024); // not entered yet
    v.enterPanel(Panel::Thely);
    EXPECT_EQ(st->tables.thely.filter(), v.lastFilter());
    EXPECT_TRUE(st->tables.thely.filtered());

    v.close();
    for (engine::Table* t :
         {&st->tables.szolgsz, &st->tables.szerz, &st->tables.thely, &st->tables.terul}) {
        EXPECT_FALSE(t->filtered()) << t->name().toStdString();
        EXPECT_TRUE(t->filter().isEmpty()) << t->name().toStdString();
    }
}
