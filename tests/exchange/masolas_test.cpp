// The copy of a shipment from KULD into a chosen folder: each operation
// failing in turn, and the power cut at each, never leave in the folder a
// set that looks whole but is not; a failure names the file the user knows
// and says why in Hungarian; the next start cleans up a copy cut short and
// says so.

#include "db/kuldemenyforma.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "exchange/kuldemeny.h"
#include "exchange/masolas.h"
#include "support/testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cerrno>
#include <gtest/gtest.h>
#include <random>

using exch::Masolas;

namespace {

const QString kKuldben = QStringLiteral("\rAz elküldendő adatok a KULD könyvtárban vannak!");

class MasolasTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (char b : {'a', 'b', 'c'})
            testsupport::writeAll(kuld.file(db::kuldFajlNev(b, "1890")),
                                  QByteArray("uj kuldemeny ") + b + QByteArray(3000, b));
    }
    void TearDown() override {
        engine::testing::setIoHook(nullptr);
        engine::testing::powerRestored();
    }

    QStringList ott() const {
        return QDir(cel.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    QStringList kuldben() const {
        return QDir(kuld.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    }
    // The folder holds the three files, KULD's bytes.
    bool egesz() const {
        if (ott() != QStringList{"szka1890.dbf", "szkb1890.dbf", "szkc1890.dbf"}) return false;
        for (char b : {'a', 'b', 'c'})
            if (testsupport::readAll(cel.file(db::kuldMasolatNev(b, "1890"))) !=
                testsupport::readAll(kuld.file(db::kuldFajlNev(b, "1890"))))
                return false;
        return true;
    }
    // An earlier copy's three files.
    void regiMasolat() {
        for (char b : {'a', 'b', 'c'})
            testsupport::writeAll(cel.file(db::kuldMasolatNev(b, "1890")), "regi");
    }
    bool regi() const {
        if (ott() != QStringList{"szka1890.dbf", "szkb1890.dbf", "szkc1890.dbf"}) return false;
        for (char b : {'a', 'b', 'c'})
            if (testsupport::readAll(cel.file(db::kuldMasolatNev(b, "1890"))) != "regi") return false;
        return true;
    }
    void urit() {
        for (const QString& n : ott())
            QFile::remove(cel.file(n));
    }

    testsupport::TempDir kuld, cel;
};

} // namespace

TEST_F(MasolasTest, CopiesTheThreeFilesOverAnEarlierCopy) {
    regiMasolat();
    EXPECT_EQ(Masolas::masol(kuld.path(), cel.path(), "1890"), std::nullopt);
    EXPECT_TRUE(egesz());
    EXPECT_EQ(kuldben(), (QStringList{"Szka1890.Dbf", "Szkb1890.Dbf", "Szkc1890.Dbf"}));
    EXPECT_EQ(Masolas::inditaskor(kuld.path()), QString());
    // KULD itself chosen: nothing to do, nothing lost.
    EXPECT_EQ(Masolas::masol(kuld.path(), kuld.path() + "/", "1890"), std::nullopt);
    EXPECT_EQ(kuldben(), (QStringList{"Szka1890.Dbf", "Szkb1890.Dbf", "Szkc1890.Dbf"}));
}

// Each operation of the copy failing in turn, as a full disk: the message
// names the file the user knows and the reason; the folder keeps the earlier
// copy whole (nothing there was touched yet) or holds nothing of either.
TEST_F(MasolasTest, EachOperationFailingInTurnLeavesNothingThatLooksWhole) {
    long n = 0;
    int regiMaradt = 0, uresMaradt = 0;
    for (;; ++n) {
        SCOPED_TRACE(testing::Message() << "operation " << n + 1);
        urit();
        regiMasolat();
        engine::testing::setIoHook([n](engine::testing::IoOp, long k) {
            return k == n + 1 ? engine::testing::IoAction::Fail
                              : engine::testing::IoAction::Proceed;
        });
        const std::optional<QString> hiba = Masolas::masol(kuld.path(), cel.path(), "1890");
        const long ops = engine::testing::ioCount();
        engine::testing::setIoHook(nullptr);
        if (!hiba) {
            EXPECT_TRUE(egesz());
            // Only the last flushes may fail unseen: the copy is whole.
            if (ops <= n) break;
            continue;
        }
        EXPECT_GE(ops, n + 1) << "the failure fired";
        const QString h = *hiba;
        EXPECT_TRUE(h.endsWith(kKuldben)) << h.toStdString();
        EXPECT_FALSE(h.contains(".uj")) << h.toStdString();
        EXPECT_FALSE(h.contains("No space")) << h.toStdString();
        const bool kezdes = h.startsWith("A másolás nem kezdhető meg");
        if (kezdes) {
            EXPECT_EQ(h, "A másolás nem kezdhető meg, mert a KULD könyvtárba nem írható: megtelt "
                         "a lemez." +
                             kKuldben);
        } else {
            EXPECT_TRUE(QRegularExpression("^A másolás nem sikerült: a\\(z\\) szk[abc]1890\\.dbf "
                                           "állomány nem írható a\\(z\\) .+ mappába, mert megtelt "
                                           "a lemez\\.\r")
                            .match(h)
                            .hasMatch())
                << h.toStdString();
        }
        EXPECT_TRUE(QFileInfo(cel.path()).isDir());
        if (regi())
            ++regiMaradt;
        else if (ott().isEmpty())
            ++uresMaradt;
        else
            ADD_FAILURE() << ott().join(' ').toStdString();
        // The failure was told now: the next start has nothing to add.
        EXPECT_EQ(kuldben(), (QStringList{"Szka1890.Dbf", "Szkb1890.Dbf", "Szkc1890.Dbf"}));
        EXPECT_EQ(Masolas::inditaskor(kuld.path()), QString());
        if (HasFailure()) return;
    }
    EXPECT_GT(regiMaradt, 0);
    EXPECT_GT(uresMaradt, 5);
}

// The power is cut at each operation of the copy; at the next start the
// folder holds the whole copy (silently), or nothing of it, or the earlier
// copy untouched -- and a copy cut short is told of.
TEST_F(MasolasTest, PowerCutAtEachOperationThenTheStart) {
    std::mt19937 seeds(28);
    int cuts = 0, told = 0;
    for (long k = 1; k < 200; ++k) {
        SCOPED_TRACE(testing::Message() << "cut at " << k);
        urit();
        regiMasolat();
        engine::testing::powerCutAt(k, std::uint32_t(seeds()));
        Masolas::masol(kuld.path(), cel.path(), "1890");
        const bool ranThrough = !engine::testing::powerIsOff();
        engine::testing::powerRestored();
        const QString said = Masolas::inditaskor(kuld.path());
        engine::removeLeftoverFiles(kuld.path());
        EXPECT_EQ(kuldben(), (QStringList{"Szka1890.Dbf", "Szkb1890.Dbf", "Szkc1890.Dbf"}));
        if (ranThrough) {
            EXPECT_TRUE(egesz());
            EXPECT_EQ(said, QString());
            break;
        }
        ++cuts;
        if (egesz()) {
            EXPECT_EQ(said, QString());
        } else {
            EXPECT_TRUE(regi() || ott().isEmpty()) << ott().join(' ').toStdString();
            EXPECT_TRUE(said.startsWith("Az előző küldemény másolása")) << said.toStdString();
            EXPECT_TRUE(said.endsWith(kKuldben)) << said.toStdString();
            ++told;
        }
        if (HasFailure()) return;
    }
    EXPECT_GT(cuts, 5);
    EXPECT_GT(told, 5);
}

// What the next start says about a copy cut short, by what it left.
TEST_F(MasolasTest, TheStartSaysWhatACopyCutShortLeft) {
    const QString jel = Masolas::jelPath(kuld.path());
    const QString mappa = QDir::toNativeSeparators(cel.path());
    // Nothing left: nothing to say.
    EXPECT_EQ(Masolas::inditaskor(kuld.path()), QString());

    // Cut short in the middle: the mark, one file under its name, two under
    // temporary names.
    engine::testing::powerCutAt(10, 1);
    Masolas::masol(kuld.path(), cel.path(), "1890");
    ASSERT_TRUE(engine::testing::powerIsOff());
    engine::testing::powerRestored();
    ASSERT_TRUE(QFileInfo::exists(jel));
    ASSERT_EQ(ott(), (QStringList{"szka1890.dbf", "szkb1890.dbf.uj", "szkc1890.dbf.uj"}));
    EXPECT_EQ(Masolas::inditaskor(kuld.path()),
              "Az előző küldemény másolása a(z) " + mappa +
                  " mappába nem fejeződött be, ezért a program törölte onnan a félbemaradt "
                  "másolatot." +
                  kKuldben);
    EXPECT_EQ(ott(), QStringList());
    EXPECT_FALSE(QFileInfo::exists(jel));

    // The same, the folder gone meanwhile (the stick pulled out).
    testsupport::TempDir masik;
    const QString eltunt = masik.path() + "/pendrive";
    ASSERT_TRUE(QDir().mkpath(eltunt));
    engine::testing::powerCutAt(10, 1);
    Masolas::masol(kuld.path(), eltunt, "1890");
    engine::testing::powerRestored();
    ASSERT_TRUE(QDir(eltunt).removeRecursively());
    EXPECT_EQ(Masolas::inditaskor(kuld.path()),
              "Az előző küldemény másolása a(z) " + QDir::toNativeSeparators(eltunt) +
                  " mappába nem fejeződött be, és a mappa most nem érhető el. Az ott lévő szka, "
                  "szkb és szkc kezdetű állományokat ne küldje el, mert hiányosak lehetnek!" +
                  kKuldben);
    EXPECT_FALSE(QFileInfo::exists(jel));

    // Cut short while the mark itself was written: the folder untouched.
    testsupport::writeAll(jel + ".uj", "");
    EXPECT_EQ(Masolas::inditaskor(kuld.path()),
              "Az előző küldemény másolása nem fejeződött be; a kiválasztott mappában még nem "
              "változott semmi." +
                  kKuldben);
    EXPECT_FALSE(QFileInfo::exists(jel + ".uj"));

    // A mark that makes no sense (a name leading out of the folder): the
    // warning, and nothing removed anywhere.
    regiMasolat();
    testsupport::writeAll(jel, "SZKMASOLAS1\n" + cel.path().toUtf8() +
                                   "\nSzka1890.Dbf\t../szka1890.dbf\n");
    EXPECT_TRUE(Masolas::inditaskor(kuld.path())
                    .startsWith("Az előző küldemény másolása nem fejeződött be, és nem derül ki, "
                                "hová készült."));
    EXPECT_TRUE(regi());
    EXPECT_FALSE(QFileInfo::exists(jel));
}

// The reasons of a failed copy in the user's words, naming the file the user
// knows.
TEST_F(MasolasTest, FailuresNameTheFileAndSayWhy) {
    const QString nincs = cel.path() + "/nincs/ilyen";
    EXPECT_EQ(Masolas::masol(kuld.path(), nincs, "1890"),
              "A másolás nem sikerült: a(z) szka1890.dbf állomány nem írható a(z) " +
                  QDir::toNativeSeparators(nincs) + " mappába, mert nincs ilyen mappa." + kKuldben);
    EXPECT_EQ(Masolas::inditaskor(kuld.path()), QString());
    QFile::remove(kuld.file("Szkb1890.Dbf"));
    EXPECT_EQ(Masolas::masol(kuld.path(), cel.path(), "1890"),
              "A másolás nem sikerült: a(z) Szkb1890.Dbf állomány hiányzik a KULD könyvtárból.");
    EXPECT_EQ(ott(), QStringList());
}

TEST(SystemReason, TheReasonsInWords) {
    struct C {
        int err;
        const char* szoveg;
    };
    std::vector<C> esetek = {
        {EACCES, "nincs hozzá jogosultság"},
        {EPERM, "nincs hozzá jogosultság"},
        {ENOENT, "nincs ilyen mappa"},
        {ENOTDIR, "nincs ilyen mappa"},
        {ENOSPC, "megtelt a lemez"},
        {EROFS, "a lemez írásvédett"},
        {EIO, "a lemez nem olvasható vagy nem írható, lehet, hogy hibás"},
    };
#ifdef EDQUOT
    esetek.push_back({EDQUOT, "megtelt a lemez"});
#endif
#ifdef ENOMEDIUM
    esetek.push_back({ENOMEDIUM, "nincs lemez a meghajtóban"});
#endif
    for (const C& c : esetek)
        EXPECT_EQ(engine::systemReason(c.err), QString::fromUtf8(c.szoveg)) << c.err;
    // Another error by its number, not in the system's English.
    EXPECT_EQ(engine::systemReason(EMLINK),
              QStringLiteral("a rendszer %1. számú hibát jelezte").arg(EMLINK));
    // The error keeps its number.
    errno = EROFS;
    EXPECT_EQ(engine::ioError("/x", "nem írható").sysError(), EROFS);
}
