// The form of the monthly shipment: file names, the fields' local columns
// and the value conversions both ways.

#include "db/kuldemenyforma.h"

#include <gtest/gtest.h>

using core::Idoszak;

TEST(KuldemenyForma, FileNames) {
    EXPECT_EQ(db::kuldFajlNev('a', QStringLiteral("1890")), QStringLiteral("Szka1890.Dbf"));
    EXPECT_EQ(db::kuldMasolatNev('c', QStringLiteral("1890")), QStringLiteral("szkc1890.dbf"));
    EXPECT_EQ(db::teljesArchivumNev(QStringLiteral("1890")), QStringLiteral("Telj1890.arj"));
    EXPECT_EQ(db::teljesFajlNev('b', QStringLiteral("1890")), QStringLiteral("Ab1890.dbf"));
}

TEST(KuldemenyForma, PeriodBothWays) {
    EXPECT_EQ(db::tomorIdoszak(QStringLiteral("2016.01")), QStringLiteral("201601"));
    EXPECT_EQ(db::kuldIdoszak(QStringLiteral("201601")), Idoszak(2016, 1));
    EXPECT_EQ(db::kuldIdoszak(QStringLiteral(" 2016.01 ")), Idoszak(2016, 1));
    EXPECT_FALSE(db::kuldIdoszak(QStringLiteral("2016-01")));
    EXPECT_FALSE(db::kuldIdoszak(QStringLiteral("201613")));
    EXPECT_FALSE(db::kuldIdoszak(QStringLiteral("2016\x01"
                                                "01")));
    EXPECT_FALSE(db::kuldIdoszak(QString()));
}

TEST(KuldemenyForma, SupplementBothWays) {
    EXPECT_EQ(db::terpot(QStringLiteral("N")), 1);
    EXPECT_EQ(db::terpot(QStringLiteral("I")), 2);
    EXPECT_EQ(db::tpotl(1), QLatin1String("N"));
    EXPECT_EQ(db::tpotl(2), QLatin1String("I"));
    EXPECT_EQ(db::tpotl(-1), QLatin1String("I")); // blank
}

TEST(KuldemenyForma, DiagnosisKinds) {
    const int rend[] = {3, 5, 1, 4, 6};
    for (size_t i = 0; i < 5; ++i)
        EXPECT_EQ(int(db::bnoTipusok()[i].tipus), rend[i]);
    EXPECT_STREQ(db::bnoOszlop(1), "BNOKI");
    EXPECT_STREQ(db::bnoOszlop(6), "BNOELL");
    EXPECT_EQ(db::bnoOszlop(2), nullptr);
    EXPECT_EQ(db::bnoOszlop(7), nullptr);
}

TEST(KuldemenyForma, QueryColumnsAndReturnedFields) {
    // The local column under the shipment's name; the office's own fields
    // and the sending period are not selected.
    const QString s = db::kuldSelect(db::lapMezok());
    EXPECT_TRUE(s.startsWith(QStringLiteral("a.intkod as ulvkod, a.finkod, a.sorsz as sorszam")));
    EXPECT_TRUE(s.contains(QStringLiteral("d.cime2 as cim")));
    EXPECT_TRUE(s.contains(QStringLiteral("c.jorvkod")));
    EXPECT_FALSE(s.contains(QStringLiteral("allapot")));
    EXPECT_FALSE(s.contains(QStringLiteral("modido")));
    EXPECT_EQ(db::kuldOszlop(db::lapMezok(), "MODIDO"), -1);
    EXPECT_EQ(db::kuldOszlop(db::vizitMezok(), "APTAJ"), 9);
    EXPECT_TRUE(db::kuldSelect(db::vizitMezok()).contains(QStringLiteral("b.apdatum as datumtol")));
    // What the full data set's files must hold.
    const QStringList c = db::kotelezoMezok(db::bnoMezok());
    EXPECT_EQ(c, (QStringList{"SORSZAM", "RESZ", "IDOSZAK", "BNOTIP", "BNOKOD"}));
    EXPECT_TRUE(db::kotelezoMezok(db::lapMezok()).contains(QStringLiteral("ALLAPOT")));
    EXPECT_FALSE(db::kotelezoMezok(db::lapMezok()).contains(QStringLiteral("FINKOD")));
}
