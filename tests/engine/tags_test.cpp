// Index tags: order (case-folded, accents after the base letter), key
// expressions, navigation and locate through the active tag, the index file
// kept beside the table (stale after a crash, missing), and pack.

#include "enginetest.h"

#include "engine/tagindex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <random>
#include <string>

using engine::fieldDef;
using engine::Table;
using namespace enginetest;
using testsupport::readAll;
using testsupport::TempDir;
using testsupport::writeAll;
using Kind = engine::DbError::Kind;

namespace {

QStringList names(const char* const* list, int n) {
    QStringList out;
    for (int i = 0; i < n; ++i)
        out << QString::fromUtf8(list[i]);
    return out;
}

// A table of names only, in the given record order.
void makeNames(const QString& path, const QStringList& list) {
    Table::create(path, {fieldDef("NEV", 'C', 12), fieldDef("SZAM", 'N', 5)});
    Table t;
    t.open(path);
    int i = 0;
    for (const QString& n : list) {
        t.append();
        t.setValue("nev", n);
        t.setValue("szam", ++i);
        t.post();
    }
}

quint32 mdxDirtyWord(const QString& mdx) {
    const QByteArray b = readAll(mdx);
    return quint8(b[8]) | quint8(b[9]) << 8 | quint8(b[10]) << 16 | quint32(quint8(b[11])) << 24;
}

std::uint64_t inode(const QString& path) {
    return testsupport::fileId(path);
}

} // namespace

// --- order ------------------------------------------------------------------------

TEST(TagOrder, CaseFoldedWithAccentsRightAfterTheirBaseLetter) {
    TempDir dir;
    const QString path = dir.file("nevek.dbf");
    const char* const recordOrder[] = {"BELA",   "ÁGNES",  "ADAM",  "kovács", "Zoli", "KOVÁCS",
                                       "KOVACS", "Kovats", "éva",   "EVA",    "Ödön", "OTTO",
                                       "",       "őz",     "ORBÁN", "ábel",   "Ugor", "Üveg"};
    makeNames(path, names(recordOrder, int(std::size(recordOrder))));
    Table t;
    t.open(path);
    t.addTag("nev", "nev");
    t.setActiveTag("NEV");
    // Equal keys ("kovács", "KOVÁCS") keep record order.
    const char* const tagOrder[] = {"",     "ADAM",   "ábel",   "ÁGNES",  "BELA",   "EVA",
                                    "éva",  "KOVACS", "Kovats", "kovács", "KOVÁCS", "ORBÁN",
                                    "OTTO", "Ödön",   "őz",     "Ugor",   "Üveg",   "Zoli"};
    const QStringList want = names(tagOrder, int(std::size(tagOrder)));
    EXPECT_EQ(walk(t, "nev"), want);
    QStringList back = want;
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(walkBack(t, "nev"), back);

    // "ÁGNES" between "ADAM" and "BELA", "kovács" next to "KOVÁCS"
    const QStringList got = walk(t, "nev");
    EXPECT_LT(got.indexOf("ADAM"), got.indexOf(QStringLiteral("ÁGNES")));
    EXPECT_LT(got.indexOf(QStringLiteral("ÁGNES")), got.indexOf("BELA"));
    EXPECT_EQ(got.indexOf(QStringLiteral("kovács")) + 1, got.indexOf(QStringLiteral("KOVÁCS")));
}

TEST(TagOrder, ExpressionsWithDatesAndNumbers) {
    TempDir dir;
    const QString path = dir.file("kif.dbf");
    makeSheetTable(path, {{"2024.02", "00002", "", "c", QDate(2024, 2, 1), 10},
                          {"2024.01", "00010", "A", "a", QDate(2023, 12, 31), 9},
                          {"2024.01", "00002", "", "b", QDate(), 100},
                          {"2024.01", "00002", "A", "d", QDate(2024, 2, 1), 2}});
    Table t;
    t.open(path);
    t.addTag("Lap3", "Idoszak+Sorsz+Resz");
    t.addTag("datum", "DTOS(elb)+nev");
    t.addTag("datumc", "dtoc(ELB)");
    t.addTag("szam", "str(apnap,3)+NEV");
    t.addTag("vegyes", "idoszak + sorsz");
    EXPECT_EQ(t.tagNames(), QStringList({"Lap3", "datum", "datumc", "szam", "vegyes"}));
    EXPECT_EQ(t.tagExpression("LAP3"), "Idoszak+Sorsz+Resz");

    t.setActiveTag("lap3");
    EXPECT_EQ(walk(t, "nev"), QStringList({"b", "d", "a", "c"}));
    t.setActiveTag("DATUM");
    EXPECT_EQ(walk(t, "nev"), QStringList({"b", "a", "c", "d"}));
    t.setActiveTag("datumc");
    EXPECT_EQ(walk(t, "nev"), QStringList({"b", "a", "c", "d"}));
    t.setActiveTag("szam");
    EXPECT_EQ(walk(t, "nev"), QStringList({"d", "a", "c", "b"}));
    t.setActiveTag("vegyes");
    EXPECT_EQ(walk(t, "nev"), QStringList({"b", "d", "a", "c"}));
    t.setActiveTag(QString());
    EXPECT_EQ(t.activeTag(), "");
    EXPECT_EQ(walk(t, "nev"), QStringList({"c", "a", "b", "d"}));

    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.addTag("rossz", "nincs+nev"); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.addTag("rossz", "upper(nev)"); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.addTag("rossz", "dtos(nev)"); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.addTag("LAP3", "nev"); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.setActiveTag("nincsilyen"); }));
    EXPECT_EQ(t.activeTag(), "");
}

TEST(TagOrder, ChangesKeepTheTagInOrder) {
    // Many records with random keys, edited, appended and deleted; the tag
    // walk must equal the records sorted by key and record number.
    TempDir dir;
    const QString path = dir.file("sok.dbf");
    Table::create(path, {fieldDef("KOD", 'C', 4), fieldDef("SZAM", 'N', 6)});
    Table t;
    t.open(path);
    t.addTag("kod", "kod");
    std::mt19937 rng(12345);
    auto key = [&] {
        QString s;
        for (int i = 0; i < 3; ++i)
            s += QChar('A' + int(rng() % 6));
        return s;
    };
    std::vector<QString> model; // by record number - 1; empty when deleted
    for (int i = 0; i < 3000; ++i) {
        t.append();
        model.push_back(key());
        t.setValue("kod", model.back());
        t.setValue("szam", i + 1);
        t.post();
    }
    t.setActiveTag("kod");
    for (int i = 0; i < 800; ++i) {
        const std::uint32_t r = 1 + rng() % 3000;
        if (model[r - 1].isEmpty()) continue;
        t.go(r);
        if (i % 4 == 0) {
            t.remove();
            model[r - 1].clear();
        } else {
            t.edit();
            model[r - 1] = key().toLower(); // case folds: same place as upper case
            t.setValue("kod", model[r - 1]);
            t.post();
        }
    }
    std::vector<std::pair<QString, int>> want;
    for (size_t i = 0; i < model.size(); ++i)
        if (!model[i].isEmpty()) want.emplace_back(model[i].toUpper(), int(i) + 1);
    std::sort(want.begin(), want.end());
    std::vector<std::pair<QString, int>> got;
    for (t.first(); !t.eof(); t.next())
        got.emplace_back(t.text("kod").toUpper(), int(t.recno()));
    EXPECT_EQ(got, want);
    EXPECT_EQ(t.recordCount(), std::uint32_t(want.size()));
    // and the same after saving and loading the index file
    t.close();
    t.open(path);
    EXPECT_EQ(t.activeTag(), "kod");
    got.clear();
    for (t.first(); !t.eof(); t.next())
        got.emplace_back(t.text("kod").toUpper(), int(t.recno()));
    EXPECT_EQ(got, want);
}

// --- the active tag -------------------------------------------------------------

TEST(TagActive, ChosenByNameAnyCaseAndKeptByTheTableObject) {
    TempDir dir;
    const QString path = dir.file("aktiv.dbf");
    makeNames(path, {"C", "A", "B"});
    {
        Table t;
        t.open(path);
        t.addTag("Nevsor", "nev");
        t.addTag("Szam", "szam");
        EXPECT_EQ(t.activeTag(), "");
        EXPECT_EQ(walk(t, "nev"), QStringList({"C", "A", "B"}));
        t.setActiveTag("NEVSOR");
        EXPECT_EQ(t.activeTag(), "Nevsor");
        EXPECT_EQ(walk(t, "nev"), QStringList({"A", "B", "C"}));
        // the choice survives close and open of the same object
        t.close();
        t.open(path);
        EXPECT_EQ(t.activeTag(), "Nevsor");
        EXPECT_EQ(walk(t, "nev"), QStringList({"A", "B", "C"}));
        t.setActiveTag("szam");
        EXPECT_EQ(walk(t, "nev"), QStringList({"C", "A", "B"}));
        const auto e = dbError([&] { t.setActiveTag("Nevsor2"); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->kind(), Kind::Usage);
        EXPECT_EQ(e->file(), t.path());
        EXPECT_EQ(t.activeTag(), "Szam");
    }
    // A new object starts with the tag the index file was last saved with.
    Table u;
    u.open(path);
    EXPECT_EQ(u.activeTag(), "Szam");
    EXPECT_EQ(u.tagNames(), QStringList({"Nevsor", "Szam"}));
    // A tag named before open is taken when the file has it.
    Table v;
    v.setActiveTag("nevsor");
    u.close();
    v.open(path);
    EXPECT_EQ(v.activeTag(), "Nevsor");
    EXPECT_EQ(walk(v, "nev"), QStringList({"A", "B", "C"}));
}

TEST(TagActive, LocateFollowsTheActiveTag) {
    TempDir dir;
    const QString path = dir.file("loc.dbf");
    makeSheetTable(path, {{"2024.03", "00001", "", "KOVÁCS"},
                          {"2024.01", "00002", "", "Kovács"},
                          {"2024.02", "00003", "", "kovács"},
                          {"2024.01", "00004", "", "KOVÁCS"},
                          {"2024.01", "00005", "", "Kovácsné"}});
    Table t;
    t.open(path);
    t.addTag("ido", "idoszak+sorsz");
    t.addTag("nev", "nev+idoszak");
    t.setActiveTag("ido");
    // first in tag order, not in record order
    ASSERT_TRUE(t.locate("nev", QStringLiteral("KOVÁCS")));
    EXPECT_EQ(t.recno(), 4u);
    t.setActiveTag("nev");
    // the tag folds case; locate does not
    ASSERT_TRUE(t.locate("nev", QStringLiteral("kovács")));
    EXPECT_EQ(t.recno(), 3u);
    ASSERT_TRUE(t.locate("nev", QStringLiteral("Kovács")));
    EXPECT_EQ(t.recno(), 2u);
    ASSERT_TRUE(t.locate("nev;idoszak", {QStringLiteral("KOVÁCS"), "2024.03"}));
    EXPECT_EQ(t.recno(), 1u);
    EXPECT_FALSE(t.locate("nev", QStringLiteral("KOVACS")));
    EXPECT_FALSE(t.locate("nev", QStringLiteral("Kov")));
    EXPECT_FALSE(t.locate("nev", QStringLiteral("KOVÁCS ÉS TÁRSA KFT")));
    // prefix search in tag order, ignoring case
    ASSERT_TRUE(t.locatePrefix("nev", QStringLiteral("kovácsn")));
    EXPECT_EQ(t.recno(), 5u);
    ASSERT_TRUE(t.locatePrefix("nev", QStringLiteral("KOV")));
    EXPECT_EQ(t.recno(), 2u); // "Kovács" 2024.01 comes first among the equal names
    // deleted records are not found through the tag either
    t.remove();
    EXPECT_FALSE(t.locate("nev", QStringLiteral("Kovács")));
    ASSERT_TRUE(t.locatePrefix("nev", QStringLiteral("KOV")));
    EXPECT_EQ(t.recno(), 4u);
}

// --- the index file -------------------------------------------------------------

TEST(TagFile, TagsLiveInTheMdxBesideTheTable) {
    TempDir dir;
    const QString path = dir.file("lap.dbf");
    makeNames(path, {"B", "A"});
    EXPECT_FALSE(Table::indexFileOk(path));
    Table t;
    t.open(path);
    t.addTag("lap1", "nev");
    EXPECT_TRUE(QFileInfo::exists(dir.file("lap.mdx")));
    EXPECT_EQ(QFileInfo(t.indexPath()).fileName(), "lap.mdx");
    EXPECT_TRUE(Table::indexFileOk(path));
    t.close();

    // an index file in another letter case is found
    QFile::rename(dir.file("lap.mdx"), dir.file("LAP.MDX"));
    t.open(dir.file("LAP.DBF"));
    EXPECT_EQ(t.tagNames(), QStringList({"lap1"}));
    t.dropTags();
    EXPECT_TRUE(t.tagNames().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.file("LAP.MDX")));
    EXPECT_FALSE(Table::indexFileOk(path));
    EXPECT_EQ(walk(t, "nev"), QStringList({"B", "A"}));
    t.close();
    t.open(path);
    EXPECT_TRUE(t.tagNames().isEmpty());
}

TEST(TagFile, AMissingIndexFileLeavesTheTableOpenableWithoutTags) {
    TempDir dir;
    const QString path = dir.file("lap.dbf");
    makeNames(path, {"B", "A"});
    Table t;
    t.open(path);
    t.addTag("lap1", "nev");
    t.close();
    ASSERT_TRUE(QFile::remove(dir.file("lap.mdx")));
    EXPECT_FALSE(Table::indexFileOk(path));
    Table u;
    u.open(path);
    EXPECT_TRUE(u.tagNames().isEmpty());
    EXPECT_EQ(u.activeTag(), "");
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { u.setActiveTag("lap1"); }));
    EXPECT_EQ(walk(u, "nev"), QStringList({"B", "A"}));
    // edits with no index work and the tags can be made again
    u.first();
    u.edit();
    u.setValue("nev", "C");
    u.post();
    u.addTag("lap1", "nev");
    u.setActiveTag("lap1");
    EXPECT_EQ(walk(u, "nev"), QStringList({"A", "C"}));
    EXPECT_TRUE(Table::indexFileOk(path));

    // an index file that is not ours counts as none
    u.close();
    writeAll(dir.file("lap.mdx"), QByteArray("\x02\x01\x07\x08 not an index file"));
    EXPECT_FALSE(Table::indexFileOk(path));
    u.open(path);
    EXPECT_TRUE(u.tagNames().isEmpty());
    // one of ours cut short is rebuilt from the table
    u.addTag("lap1", "nev");
    u.close();
    QByteArray b = readAll(dir.file("lap.mdx"));
    writeAll(dir.file("lap.mdx"), b.left(b.size() - 3));
    u.open(path);
    EXPECT_EQ(u.tagNames(), QStringList({"lap1"}));
    EXPECT_EQ(walk(u, "nev"), QStringList({"A", "C"}));
    u.close();
    // and cut shorter still, it counts as none
    writeAll(dir.file("lap.mdx"), b.left(40));
    u.open(path);
    EXPECT_TRUE(u.tagNames().isEmpty());
    EXPECT_EQ(walk(u, "nev"), QStringList({"C", "A"}));
}

TEST(TagFile, AnIndexLeftBehindByACrashIsRebuilt) {
    // A crash while the table is open: the index file on disk is the one
    // written before the changes, marked "being changed". Copies of both
    // files taken before close stand for what the crash leaves.
    TempDir dir;
    const QString path = dir.file("lapb.dbf");
    makeSheetTable(path, {{"2024.02", "00001", "", "Dóra"},
                          {"2024.01", "00002", "", "Anna"},
                          {"2024.03", "00003", "", "Cili"}});
    {
        Table t;
        t.open(path);
        t.addTag("Lapb1", "Sorsz+Resz");
        t.addTag("Lapb2", "Idoszak+Sorsz+Resz");
        t.addTag("nev", "nev");
        t.setActiveTag("nev");
    }
    EXPECT_EQ(mdxDirtyWord(dir.file("lapb.mdx")), 0u);

    // 1: appends (the record count no longer matches either)
    {
        Table t;
        t.open(path);
        appendSheet(t, {"2023.12", "00004", "", "Bea"});
        appendSheet(t, {"2024.01", "00001", "A", "Aladár"});
        QFile::copy(path, dir.file("crash1.dbf"));
        QFile::copy(dir.file("lapb.mdx"), dir.file("crash1.mdx"));
    }
    EXPECT_EQ(mdxDirtyWord(dir.file("crash1.mdx")), 1u);
    {
        Table c;
        c.open(dir.file("crash1.dbf"));
        EXPECT_EQ(c.tagNames(), QStringList({"Lapb1", "Lapb2", "nev"}));
        EXPECT_EQ(c.activeTag(), "nev");
        EXPECT_EQ(walk(c, "nev"), QStringList({QStringLiteral("Aladár"), "Anna", "Bea", "Cili",
                                               QStringLiteral("Dóra")}));
        c.setActiveTag("lapb2");
        EXPECT_EQ(walk(c, "sorsz"), QStringList({"00004", "00001", "00002", "00001", "00003"}));
        c.setActiveTag("lapb1");
        EXPECT_EQ(walk(c, "nev"), QStringList({QStringLiteral("Dóra"), QStringLiteral("Aladár"),
                                               "Anna", "Cili", "Bea"}));
        EXPECT_TRUE(c.locate("sorsz;resz", {"00001", "A"}));
        EXPECT_EQ(c.recno(), 5u);
        // the rebuilt index was written back clean
        EXPECT_EQ(mdxDirtyWord(dir.file("crash1.mdx")), 0u);
    }

    // 2: an edit of a key only: same record count and size, only the mark tells
    {
        Table t;
        t.open(path);
        ASSERT_TRUE(t.locate("nev", QStringLiteral("Anna")));
        t.edit();
        t.setValue("nev", QStringLiteral("Zita"));
        t.setValue("idoszak", "2025.01");
        t.post();
        QFile::copy(path, dir.file("crash2.dbf"));
        QFile::copy(dir.file("lapb.mdx"), dir.file("crash2.mdx"));
    }
    {
        Table c;
        c.open(dir.file("crash2.dbf"));
        EXPECT_EQ(walk(c, "nev"), QStringList({QStringLiteral("Aladár"), "Bea", "Cili",
                                               QStringLiteral("Dóra"), "Zita"}));
        c.setActiveTag("lapb2");
        c.last();
        EXPECT_EQ(c.text("nev"), "Zita");
        EXPECT_TRUE(c.locate("idoszak;sorsz", {"2025.01", "00002"}));
    }
    // The original, closed normally, is consistent as well.
    Table t;
    t.open(path);
    EXPECT_EQ(mdxDirtyWord(dir.file("lapb.mdx")), 0u);
    EXPECT_EQ(walk(t, "nev").last(), "Zita");
}

// --- pack -------------------------------------------------------------------------

TEST(TagPack, RemovesDeletedRecordsRebuildsTagsAndReplacesTheFile) {
    TempDir dir;
    const QString path = dir.file("tomor.dbf");
    FixedClock clock(QDate(2024, 7, 8));
    makeNames(path, {"E", "D", "C", "B", "A"});
    Table t;
    t.open(path);
    t.addTag("nev", "nev");
    t.setActiveTag("nev");
    for (const char* n : {"D", "B"}) {
        ASSERT_TRUE(t.locate("nev", QString::fromLatin1(n)));
        t.remove();
    }
    const std::uint64_t before = inode(path);
    clock.set(QDate(2025, 1, 2));
    t.pack();
    EXPECT_NE(inode(path), before);
    EXPECT_FALSE(QFileInfo::exists(path + ".pack-tmp"));
    EXPECT_EQ(t.fileRecordCount(), 3u);
    EXPECT_EQ(t.recordCount(), 3u);
    EXPECT_EQ(walk(t, "nev"), QStringList({"A", "C", "E"}));
    t.setActiveTag(QString());
    EXPECT_EQ(walk(t, "nev"), QStringList({"E", "C", "A"}));
    EXPECT_EQ(walk(t, "szam"), QStringList({"1", "3", "5"}));
    t.setActiveTag("nev");
    EXPECT_TRUE(t.locate("nev", QStringLiteral("E")));
    EXPECT_EQ(t.recno(), 1u);

    const QByteArray b = readAll(path);
    const int hl = 32 + 64 + 1, rl = 1 + 12 + 5;
    ASSERT_EQ(b.size(), hl + 3 * rl + 1);
    EXPECT_EQ(quint8(b[4]), 3);
    EXPECT_EQ(quint8(b[1]), 25);
    EXPECT_EQ(quint8(b[2]), 1);
    EXPECT_EQ(quint8(b[3]), 2);
    EXPECT_EQ(quint8(b[b.size() - 1]), 0x1A);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(b[hl + i * rl], ' ');

    // the table goes on working on the new file, still exclusively
    t.append();
    t.setValue("nev", "B");
    t.post();
    EXPECT_EQ(walk(t, "nev"), QStringList({"A", "B", "C", "E"}));
    Table other;
    EXPECT_TRUE(throwsKind(Kind::Locked, [&] { other.open(path); }));
    t.close();
    t.open(path);
    EXPECT_EQ(walk(t, "nev"), QStringList({"A", "B", "C", "E"}));
}

TEST(TagPack, AFailedPackLeavesTheOriginal) {
    TempDir dir;
    const QString path = dir.file("marad.dbf");
    makeNames(path, {"C", "B", "A"});
    Table t;
    t.open(path);
    t.addTag("nev", "nev");
    t.go(2);
    t.remove();
    const QByteArray before = readAll(path);
    // The new file cannot be made: a folder stands where it would go.
    ASSERT_TRUE(QDir(dir.path()).mkdir("marad.dbf.pack-tmp"));
    const auto e = dbError([&] { t.pack(); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), Kind::Io);
    EXPECT_FALSE(e->file().isEmpty());
    EXPECT_EQ(readAll(path), before);
    EXPECT_EQ(t.fileRecordCount(), 3u);
    t.setActiveTag("nev");
    EXPECT_EQ(walk(t, "nev"), QStringList({"A", "C"}));
    // and the table still works, and packs once the way is clear
    t.append();
    t.setValue("nev", "D");
    t.post();
    ASSERT_TRUE(QDir(dir.path()).rmdir("marad.dbf.pack-tmp"));
    t.pack();
    EXPECT_EQ(t.fileRecordCount(), 3u);
    EXPECT_EQ(walk(t, "nev"), QStringList({"A", "C", "D"}));
}

// A tag built from records in any order holds its entries in byte order (key,
// then record number), whatever the bytes: shared prefixes, many equal keys,
// bytes above 0x7f, runs of every size, groups already in order (records
// appended in key order within each first letter).
TEST(TagIndexLoad, SortsEntriesByTheirBytes) {
    std::mt19937 rng(852);
    for (const bool rising : {false, true})
        for (const int kl : {1, 6, 23}) {
            for (const std::uint32_t n : {0u, 1u, 31u, 33u, 700u, 20000u}) {
                const int el = kl + 4;
                std::vector<char> entries;
                std::vector<std::string> expected;
                for (std::uint32_t r = 1; r <= n; ++r) {
                    std::string e(size_t(el), ' ');
                    const int variety = int(rng() % 3);
                    for (int i = 0; i < kl; ++i)
                        e[size_t(i)] = variety == 0   ? '0' + char(rng() % 3)
                                       : variety == 1 ? char(0x30 + rng() % 10)
                                                      : char(rng() % 256);
                    if (rising) {
                        e[0] = char('A' + rng() % 3);
                        const std::string digits = std::to_string(r);
                        for (int i = 1; i < kl; ++i) {
                            const int from = kl - int(digits.size());
                            e[size_t(i)] = i < from ? '0' : digits[size_t(i - from)];
                        }
                    }
                    // records in falling order, or in key order
                    const std::uint32_t recno = rising ? r : n + 1 - r;
                    for (int s = 0; s < 4; ++s)
                        e[size_t(kl + s)] = char(recno >> (24 - 8 * s));
                    entries.insert(entries.end(), e.begin(), e.end());
                    expected.push_back(e);
                }
                std::sort(expected.begin(), expected.end(),
                          [](const std::string& a, const std::string& b) {
                              return memcmp(a.data(), b.data(), a.size()) < 0;
                          });
                engine::TagIndex ix(kl);
                ix.load(std::move(entries));
                std::vector<char> got;
                ix.save(got);
                std::string want;
                for (const std::string& e : expected)
                    want += e;
                ASSERT_EQ(std::string(got.begin(), got.end()), want)
                    << rising << " " << kl << " " << n;
                ASSERT_EQ(ix.size(), n);
            }
        }
}
