// Closing a table writes only the index entries that changed, in place: the
// entries then are those a whole rewrite would give, byte for byte; a write
// that fails, or a power cut, at any step of it leaves an index file that is
// either sound and right or marked "being changed" (rebuilt at the next open).

#include "enginetest.h"

#include "engine/changeunit.h"
#include "engine/dbffile.h"
#include "engine/filename.h"
#include "engine/mdxfile.h"
#include "engine/sysfile.h"
#include "engine/tableraw.h"
#include "engine/tagindex.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <random>

using engine::MdxDirectory;
using engine::Table;
using engine::TagIndex;
using namespace enginetest;
using testsupport::readAll;
using testsupport::TempDir;
using testsupport::writeAll;
namespace io = engine::testing;

namespace {

const std::vector<std::pair<QString, QString>> kTags = {
    {"Lapb1", "Sorsz+Resz"}, {"Lapb2", "Idoszak+Sorsz+Resz"}, {"nev", "nev"}};

const char* const kNames[] = {"Anna",   "Béla",    "Cili", "Dénes", "Éva",
                              "Ferenc", "Gizella", "Hédi", "Ödön",  "Zoltán"};

QString period(int i) {
    return QStringLiteral("%1.%2").arg(2023 + i / 12).arg(i % 12 + 1, 2, 10, QLatin1Char('0'));
}

QVariantList randomRow(std::mt19937& rng, bool newest = false) {
    return {period(newest ? 23 : int(rng() % 24)),
            QStringLiteral("%1").arg(1 + rng() % 300, 5, 10, QLatin1Char('0')),
            rng() % 4 == 0 ? QStringLiteral("A") : QString(),
            QString::fromUtf8(kNames[rng() % std::size(kNames)]),
            QDate(2024, 1, 1).addDays(int(rng() % 700)),
            int(rng() % 30)};
}

// A visit-like table of `rows` records with the three tags, closed.
void makeTable(const QString& path, int rows, std::mt19937& rng) {
    Table::create(path, sheetFields());
    Table t;
    t.open(path);
    std::vector<QVariantList> all;
    for (int i = 0; i < rows; ++i)
        all.push_back(randomRow(rng));
    t.appendRows(all);
    t.replaceTags(kTags);
}

// What an index file holds: its directory and each tag's entries.
struct Image {
    bool parsed = false;
    MdxDirectory dir;
    std::vector<QByteArray> entries;
};

Image readImage(const QString& mdx) {
    Image im;
    const QByteArray b = readAll(mdx);
    im.parsed = engine::parseMdxDirectory(b, std::uint64_t(b.size()), im.dir);
    if (!im.parsed) return im;
    for (const engine::MdxTagEntry& t : im.dir.tags)
        im.entries.push_back(
            b.mid(qsizetype(t.offset), qsizetype(t.count) * qsizetype(t.keyLength + 4)));
    return im;
}

// The index file a whole rebuild gives for the table's records as they are.
Image rebuilt(const QString& dbf) {
    const QString dir = QFileInfo(dbf).absolutePath() + QStringLiteral("/ujra");
    QDir().mkpath(dir);
    const QString copy = dir + QStringLiteral("/t.dbf");
    QFile::remove(copy);
    QFile::remove(dir + QStringLiteral("/t.mdx"));
    EXPECT_TRUE(QFile::copy(dbf, copy));
    {
        Table t;
        t.open(copy);
        t.replaceTags(kTags);
    }
    return readImage(dir + QStringLiteral("/t.mdx"));
}

// Passes when the index file is clean and holds, tag by tag, the entries
// (and their checksums) a whole rebuild gives.
::testing::AssertionResult sameAsRebuilt(const QString& dbf, const QString& mdx) {
    const Image got = readImage(mdx), want = rebuilt(dbf);
    if (!got.parsed || !want.parsed) return ::testing::AssertionFailure() << "not readable";
    if (!got.dir.whole) return ::testing::AssertionFailure() << "the file is not whole";
    if (got.dir.dirty != 0) return ::testing::AssertionFailure() << "marked being changed";
    if (got.dir.recordCount != want.dir.recordCount)
        return ::testing::AssertionFailure() << "record count " << got.dir.recordCount;
    if (got.dir.tags.size() != want.dir.tags.size())
        return ::testing::AssertionFailure() << "tag count";
    for (size_t i = 0; i < got.dir.tags.size(); ++i) {
        const auto &g = got.dir.tags[i], &w = want.dir.tags[i];
        if (g.name != w.name || g.count != w.count || g.sum != w.sum ||
            got.entries[i] != want.entries[i])
            return ::testing::AssertionFailure() << "tag " << g.name.toStdString() << " differs";
    }
    return ::testing::AssertionSuccess();
}

std::uint64_t inode(const QString& path) {
    return testsupport::fileId(path);
}

// One random change of the kinds a sheet save makes.
void randomChange(Table& t, std::mt19937& rng) {
    const std::uint32_t r = 1 + std::uint32_t(rng() % t.fileRecordCount());
    const int kind = int(rng() % 20);
    t.go(r);
    if (kind < 10) { // a key field changed
        if (t.isDeleted()) return;
        const QVariantList v = randomRow(rng);
        t.edit();
        switch (kind % 4) {
        case 0:
            t.setValue("sorsz", v[1]);
            break;
        case 1:
            t.setValue("resz", t.text("resz").isEmpty() ? QStringLiteral("B") : QString());
            break;
        case 2:
            t.setValue("idoszak", v[0]);
            break;
        default:
            t.setValue("nev", v[3]);
        }
        t.post();
    } else if (kind < 15) { // a new row, mostly of the newest period
        t.appendRows({randomRow(rng, kind < 13)});
    } else if (kind < 18) { // marked deleted
        if (!t.isDeleted()) t.remove();
    } else if (t.isDeleted()) { // recalled
        QByteArray rec(engine::TableRaw::record(t, r), int(t.header().recordLength));
        rec[0] = ' ';
        engine::TableRaw::write(t, r, rec);
    } else { // a field no tag reads
        t.edit();
        t.setValue("apnap", int(rng() % 30));
        t.post();
    }
}

// A table with a sound index, kept as bytes (and the table's time) so that
// each round starts from the same files.
struct Pristine {
    QString dbf, mdx;
    QByteArray dbfBytes, mdxBytes;
    std::int64_t mtime = 0;
    explicit Pristine(const QString& dir) : dbf(dir + "/lapb.dbf"), mdx(dir + "/lapb.mdx") {
        std::mt19937 rng(5);
        makeTable(dbf, 800, rng);
        dbfBytes = readAll(dbf);
        mdxBytes = readAll(mdx);
        mtime = testsupport::modifiedNs(dbf);
    }
    void restore() const {
        writeAll(dbf, dbfBytes);
        writeAll(mdx, mdxBytes);
        engine::sys::setModifiedTime(dbf, mtime);
    }
};

// The changes of a new sheet's save: a key moved in the middle, another
// near the start, ten rows of the newest period appended.
void sheetSave(Table& t) {
    t.go(t.fileRecordCount() / 2);
    t.edit();
    t.setValue("sorsz", QStringLiteral("00150"));
    t.post();
    t.go(3);
    t.edit();
    t.setValue("nev", QStringLiteral("Aba"));
    t.post();
    std::mt19937 rng(9);
    for (int i = 0; i < 10; ++i)
        t.appendRows({randomRow(rng, true)});
}

// After a failed or cut closing: the index file is either marked "being
// changed" or sound and right; reopened it is right, and written clean.
void expectRightOrNoticed(const Pristine& p) {
    const Image im = readImage(p.mdx);
    ASSERT_TRUE(im.parsed);
    if (im.dir.dirty == 0) {
        // taken as sound at the next open: it must be right
        EXPECT_TRUE(sameAsRebuilt(p.dbf, p.mdx));
    }
    {
        Table t;
        t.open(p.dbf);
        EXPECT_EQ(t.tagNames().size(), kTags.size());
        t.setActiveTag("Lapb2");
        t.last();
        EXPECT_EQ(t.text("idoszak"), "2024.12");
    }
    EXPECT_TRUE(sameAsRebuilt(p.dbf, p.mdx));
}

} // namespace

// The range a tag reports as changed, written over the entries it had,
// gives exactly its entries now, whatever mix of insertions and removals.
TEST(IndexWrite, TheChangedRangeCoversEveryEntryThatMoved) {
    std::mt19937 rng(3);
    const int kl = 3;
    auto key = [&] {
        std::string k(kl, 'a');
        for (char& c : k)
            c = char('a' + rng() % 4); // few keys: many equal ones
        return k;
    };
    std::vector<std::pair<std::string, std::uint32_t>> live;
    std::vector<char> initial;
    std::uint32_t recno = 0;
    for (int i = 0; i < 300; ++i) {
        live.push_back({key(), ++recno});
        initial.insert(initial.end(), live.back().first.begin(), live.back().first.end());
        for (int s = 24; s >= 0; s -= 8)
            initial.push_back(char(recno >> s));
    }
    TagIndex ix(kl);
    ix.load(std::move(initial));
    ix.markClean();
    std::vector<char> image;
    ix.save(image);
    int partial = 0, none = 0;
    for (int round = 0; round < 400; ++round) {
        const int ops = int(rng() % 8);
        for (int k = 0; k < ops; ++k) {
            if (rng() % 2 == 0 && !live.empty()) {
                const size_t i = rng() % live.size();
                ASSERT_TRUE(ix.erase(live[i].first.data(), live[i].second));
                live.erase(live.begin() + std::ptrdiff_t(i));
            } else {
                live.push_back({key(), ++recno});
                ix.insert(live.back().first.data(), recno);
            }
        }
        std::vector<char> now;
        ix.save(now);
        std::uint64_t sum = 0;
        for (size_t i = 0; i < now.size(); i += kl + 4)
            sum += engine::mdxEntryHash(now.data() + i, kl + 4);
        EXPECT_EQ(ix.sum(), sum) << "round " << round;
        const TagIndex::Changes c = ix.changes();
        ASSERT_FALSE(c.all);
        std::vector<char> patched = image;
        patched.resize(now.size());
        if (c.any) {
            ++partial;
            ASSERT_LE(c.to, ix.size());
            std::vector<char> range;
            ix.saveRange(c.from, c.to, range);
            ASSERT_EQ(range.size(), (c.to - c.from) * (kl + 4));
            std::copy(range.begin(), range.end(),
                      patched.begin() + std::ptrdiff_t(c.from * (kl + 4)));
        } else {
            ++none;
        }
        ASSERT_EQ(patched, now) << "round " << round;
        image = now;
        ix.markClean();
    }
    EXPECT_GT(partial, 300);
    EXPECT_GT(none, 20);
    // Past a few thousand changes the whole tag is written.
    for (int i = 0; i < 5000; ++i)
        ix.insert("zzz", ++recno);
    EXPECT_TRUE(ix.changes().all);
}

// Over many closings of random changes, mostly written in place, the index
// file holds what a whole rebuild would, byte for byte in its entries; a tag
// outgrowing its room makes the file be written whole, with room again.
TEST(IndexWrite, ClosingWritesWhatAWholeRebuildWouldOverManyClosings) {
    TempDir dir;
    const QString path = dir.file("lapb.dbf"), mdx = dir.file("lapb.mdx");
    std::mt19937 rng(17);
    makeTable(path, 1500, rng);
    ASSERT_TRUE(sameAsRebuilt(path, mdx));
    int inPlace = 0, whole = 0;
    for (int round = 0; round < 14; ++round) {
        SCOPED_TRACE(::testing::Message() << "round " << round);
        const std::uint64_t before = inode(mdx);
        const qint64 size = QFileInfo(mdx).size();
        {
            Table t;
            t.open(path);
            if (round == 9) {
                // more rows than the tags have room for
                std::vector<QVariantList> rows;
                for (int i = 0; i < 200; ++i)
                    rows.push_back(randomRow(rng, true));
                t.appendRows(rows);
            } else {
                // round 5: more changes than are followed one by one
                const int changes = round == 5 ? 2500 : 1 + int(rng() % 30);
                for (int i = 0; i < changes; ++i)
                    randomChange(t, rng);
            }
        }
        if (inode(mdx) == before) {
            ++inPlace;
            EXPECT_EQ(QFileInfo(mdx).size(), size);
        } else {
            ++whole;
        }
        ASSERT_TRUE(sameAsRebuilt(path, mdx));
        // reopened, the tags find what the records say
        Table t;
        t.open(path);
        t.setActiveTag("Lapb1");
        QString last;
        int seen = 0;
        for (t.first(); !t.eof(); t.next(), ++seen) {
            const QString k = t.text("sorsz") + t.text("resz");
            ASSERT_LE(last, k);
            last = k;
        }
        EXPECT_EQ(seen, int(t.recordCount()));
    }
    EXPECT_GE(inPlace, 12);
    EXPECT_GE(whole, 1);
}

// A write or flush that fails at any step of an incremental closing leaves
// the index file sound and right, or marked so that the next open rebuilds it.
TEST(IndexWrite, AFailureAtAnyStepOfAClosingLeavesAnIndexRightOrRebuilt) {
    TempDir dir;
    const Pristine p(dir.path());
    int failures = 0;
    for (long n = 1;; ++n) {
        SCOPED_TRACE(::testing::Message() << "failing operation " << n);
        p.restore();
        const std::uint64_t before = inode(p.mdx);
        bool fired = false;
        {
            Table t;
            t.open(p.dbf);
            sheetSave(t);
            io::setIoHook([&](io::IoOp, long k) {
                if (k != n) return io::IoAction::Proceed;
                fired = true;
                return io::IoAction::Fail;
            });
            const auto error = dbError([&] { t.close(); });
            io::setIoHook(nullptr);
            if (!fired) {
                EXPECT_FALSE(error.has_value());
                EXPECT_EQ(inode(p.mdx), before); // written in place
                EXPECT_TRUE(sameAsRebuilt(p.dbf, p.mdx));
                break;
            }
            ASSERT_TRUE(error.has_value());
            EXPECT_TRUE(error->detail().startsWith(QStringLiteral("az indexállomány nem írható")))
                << error->detail().toStdString();
        }
        ++failures;
        ASSERT_NO_FATAL_FAILURE(expectRightOrNoticed(p));
    }
    // the mark and its flush, the three tags' entries, their flush, the
    // directory and its flush
    EXPECT_GE(failures, 8);
}

// A power cut at any step of an incremental closing (the writes not yet
// flushed kept or lost at random) leaves the index file sound and right, or
// marked so that the next open rebuilds it: never a wrong index taken as sound.
TEST(IndexWrite, APowerCutAtAnyStepOfAClosingLeavesAnIndexRightOrRebuilt) {
    TempDir dir;
    const Pristine p(dir.path());
    int cuts = 0, losing = 0, keeping = 0;
    std::mt19937 seeds(23);
    bool ranThrough = false;
    for (long n = 1; !ranThrough; ++n) {
        for (int trial = 0; trial < 4; ++trial) {
            SCOPED_TRACE(::testing::Message() << "cut at " << n << ", trial " << trial);
            p.restore();
            {
                Table t;
                t.open(p.dbf);
                sheetSave(t);
                io::powerCutAt(n, std::uint32_t(seeds()));
                try {
                    t.close();
                } catch (const engine::DbError&) {
                }
            }
            const bool cut = io::powerIsOff();
            if (cut) {
                ++cuts;
                if (io::powerCutLost() > 0) ++losing;
                if (io::powerCutKept() > 0) ++keeping;
            }
            io::powerRestored();
            if (!cut) {
                ranThrough = true;
                EXPECT_TRUE(sameAsRebuilt(p.dbf, p.mdx));
                break;
            }
            ASSERT_NO_FATAL_FAILURE(expectRightOrNoticed(p));
        }
        ASSERT_LT(n, 100) << "the closing never ran out of operations";
    }
    EXPECT_GE(cuts, 28);
    EXPECT_GT(losing, 5);
    EXPECT_GT(keeping, 5);
}

// An index file of the older format is not read: the table opens without
// tags and the file is reported as not its own, so the program rebuilds it.
TEST(IndexWrite, AnIndexFileOfTheOlderFormatIsRebuiltNotRead) {
    TempDir dir;
    const QString path = dir.file("lapb.dbf"), mdx = dir.file("lapb.mdx");
    std::mt19937 rng(1);
    makeTable(path, 50, rng);
    ASSERT_TRUE(Table::indexFileOk(path));
    QByteArray b = readAll(mdx);
    b[6] = '2';
    writeAll(mdx, b);
    EXPECT_FALSE(Table::indexFileOk(path));
    Table t;
    ASSERT_NO_THROW(t.open(path));
    EXPECT_TRUE(t.tagNames().isEmpty());
    t.close();
    // the program's rebuild: a new file, in the current format
    t.open(path);
    t.replaceTags(kTags);
    t.close();
    EXPECT_TRUE(Table::indexFileOk(path));
    EXPECT_TRUE(sameAsRebuilt(path, mdx));
}

// What a closing writes follows what changed, not the size of the table: a
// key moved among 20 000 entries, or rows appended with the highest keys,
// write a few entries of each tag and the directory.
TEST(IndexWrite, ASmallChangeWritesAFewEntriesNotTheTags) {
    // The bytes this process wrote: the system's own count on Linux; on
    // Windows the program's one door to its files counts them (Wine's
    // /proc/self/io counts Wine's talk with its server too, and Windows has
    // no such file).
    auto written = [] {
#ifdef Q_OS_WIN
        return (long long)engine::testing::byteCount();
#else
        QFile f(QStringLiteral("/proc/self/io"));
        if (!f.open(QIODevice::ReadOnly)) return -1LL;
        for (const QByteArray& line : f.readAll().split('\n'))
            if (line.startsWith("wchar:")) return line.mid(6).trimmed().toLongLong();
        return -1LL;
#endif
    };
    if (written() < 0) GTEST_SKIP() << "no /proc/self/io";
    TempDir dir;
    const QString path = dir.file("lapb.dbf");
    std::mt19937 rng(2);
    makeTable(path, 20000, rng);
    const qint64 whole = QFileInfo(dir.file("lapb.mdx")).size();
    ASSERT_GT(whole, 400000);
    auto closing = [&](const std::function<void(Table&)>& change) {
        Table t;
        t.open(path);
        change(t);
        const long long before = written();
        t.close();
        return written() - before;
    };
    // a sheet's part letter changed: it moves among its number's entries
    const long long moved = closing([](Table& t) {
        t.setActiveTag("Lapb1");
        t.first();
        for (int i = 0; i < 5000; ++i)
            t.next();
        t.edit();
        t.setValue("resz", QStringLiteral("Z"));
        t.post();
    });
    EXPECT_GT(moved, 0);
    EXPECT_LT(moved, 40000) << "of " << whole;
    // rows with the highest keys of every tag
    const long long appended = closing([](Table& t) {
        for (int i = 0; i < 10; ++i)
            t.appendRows({{"2024.12", "99999", "", QStringLiteral("Zsuzsa"), QDate(2024, 12, 1)}});
    });
    EXPECT_GT(appended, 0);
    EXPECT_LT(appended, 2000) << "of " << whole;
    EXPECT_TRUE(sameAsRebuilt(path, dir.file("lapb.mdx")));
}

// A sheet saved into a big table reads none of its tags: their changes wait
// for the tags' first use (or the closing), through a rollback as well, and
// then the tags hold what a rebuild would give.
TEST(IndexWrite, ChangesToTagsNotReadYetWaitAndComeOutAsARebuild) {
    TempDir dir;
    const QString path = dir.file("lapb.dbf"), mdx = dir.file("lapb.mdx");
    std::mt19937 rng(11);
    makeTable(path, 3000, rng);
    auto unread = [](const Table& t) {
        int n = 0;
        for (const Table::Tag& g : t.tagList())
            n += g.loaded ? 0 : 1;
        return n;
    };
    {
        Table t;
        t.open(path);
        ASSERT_EQ(unread(t), 3);
        {
            // dropped: the held rows and the changed key leave no trace
            engine::ChangeUnit unit({&t});
            sheetSave(t);
        }
        {
            engine::ChangeUnit unit({&t});
            sheetSave(t);
            unit.commit();
        }
        EXPECT_EQ(unread(t), 3);
        // the first use finds the saved rows
        t.setActiveTag("Lapb2");
        t.last();
        EXPECT_EQ(t.text("idoszak"), "2024.12");
        EXPECT_EQ(unread(t), 2);
        // applied to the entries read, not rebuilt from the records
        EXPECT_FALSE(t.tag(t.activeTagIndex()).index.changes().all);
        EXPECT_TRUE(t.locate("sorsz", QStringLiteral("00150")));
        // far more changes than wait: the tags are read on the way
        for (int i = 0; i < 3000; ++i)
            randomChange(t, rng);
    }
    EXPECT_TRUE(sameAsRebuilt(path, mdx));
}

// A tag is checked a block at a time as it is read: the order and the
// record numbers hold across a block's border too.
TEST(IndexWrite, TheEntryCheckHoldsAcrossBlocks) {
    // Two-byte keys, then the record number big-endian.
    auto entry = [](const char* key, std::uint32_t r) {
        return QByteArray(key, 2) + char(r >> 24) + char(r >> 16) + char(r >> 8) + char(r);
    };
    auto check = [&](const QByteArray& first, const QByteArray& second) {
        engine::MdxEntryCheck c(6, 3);
        return c.feed(first.constData(), std::size_t(first.size() / 6)) &&
               c.feed(second.constData(), std::size_t(second.size() / 6));
    };
    const QByteArray a = entry("AA", 2), b = entry("BB", 1), c = entry("CC", 3);
    EXPECT_TRUE(check(a + b, c));
    EXPECT_TRUE(check(a, b + c));
    EXPECT_FALSE(check(a + c, b));               // out of order at the border
    EXPECT_FALSE(check(a + b, b));               // the same entry again
    EXPECT_FALSE(check(a, entry("BB", 2) + c));  // a record number twice
    EXPECT_FALSE(check(a + b, entry("CC", 4)));  // past the last record
    EXPECT_TRUE(check(QByteArray(), a + b + c)); // an empty block first
}
