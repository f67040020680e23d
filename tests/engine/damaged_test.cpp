// Damaged table and index files: each kind of damage is an error naming the
// file, and no damage at all makes the engine crash.

#include "engine/database.h"
#include "enginetest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <random>

using engine::Database;
using engine::fieldDef;
using engine::Table;
using namespace enginetest;
using testsupport::readAll;
using testsupport::TempDir;
using testsupport::writeAll;
using Kind = engine::DbError::Kind;

namespace {

void put16(QByteArray& b, int at, int v) {
    b[at] = char(v & 0xFF);
    b[at + 1] = char((v >> 8) & 0xFF);
}
void put32(QByteArray& b, int at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

// A good file: three fields (C5, N4, D), three records, the end byte.
// Header 32 + 3 * 32 + 1 = 129 bytes, records of 1 + 5 + 4 + 8 = 18 bytes.
constexpr int kHeader = 129;
constexpr int kRecord = 18;

QByteArray goodFile(const TempDir& dir) {
    const QString path = dir.file("jo.dbf");
    Table::create(path, {fieldDef("KOD", 'C', 5), fieldDef("DB", 'N', 4), fieldDef("NAP", 'D')});
    Table t;
    t.open(path);
    for (int i = 1; i <= 3; ++i) {
        t.append();
        t.setValue("kod", QStringLiteral("K%1").arg(i));
        t.setValue("db", i * 10);
        t.setValue("nap", QDate(2024, 1, i));
        t.post();
    }
    t.close();
    const QByteArray b = readAll(path);
    EXPECT_EQ(b.size(), kHeader + 3 * kRecord + 1);
    return b;
}

// Opens the table, reads every value and runs a query over it; returns
// normally or throws DbError.
void useWhole(const QString& path) {
    Database db;
    Table t("t", &db);
    t.open(path);
    for (t.first(); !t.eof(); t.next())
        for (int i = 0; i < int(t.fields().size()); ++i) {
            t.value(i);
            t.text(t.fields()[size_t(i)].name);
        }
    t.recordCount();
    db.query("select * from t");
    if (!t.tagNames().isEmpty()) {
        t.setActiveTag(t.tagNames().first());
        for (t.last(); !t.bof(); t.prior())
            t.value(0);
    }
}

struct Damage {
    const char* what;
    std::function<void(QByteArray&)> patch;
};

} // namespace

TEST(DamagedFile, EachKindOfDamageIsAnErrorNamingTheFile) {
    TempDir dir;
    const QByteArray good = goodFile(dir);
    const std::vector<Damage> damages = {
        {"empty file", [](QByteArray& b) { b.clear(); }},
        {"short header", [](QByteArray& b) { b.truncate(20); }},
        {"header without descriptors", [](QByteArray& b) { b.truncate(32); }},
        {"descriptors cut off by the end of the file", [](QByteArray& b) { b.truncate(32 + 40); }},
        {"header length past the end of the file",
         [](QByteArray& b) { put16(b, 8, b.size() + 100); }},
        {"descriptors past the header length", [](QByteArray& b) { put16(b, 8, 32 + 40); }},
        {"header length too small", [](QByteArray& b) { put16(b, 8, 20); }},
        {"record length larger than the fields", [](QByteArray& b) { put16(b, 10, kRecord + 1); }},
        {"record length smaller than the fields", [](QByteArray& b) { put16(b, 10, kRecord - 2); }},
        {"field width changed", [](QByteArray& b) { b[32 + 16] = 6; }},
        {"field of width 0", [](QByteArray& b) { b[32 + 32 + 16] = 0; }},
        {"unknown field type", [](QByteArray& b) { b[32 + 11] = 'X'; }},
        {"no fields", [](QByteArray& b) { b[32] = 0x0D; }},
        {"last record cut short", [](QByteArray& b) { b.truncate(kHeader + 2 * kRecord + 7); }},
        {"last record cut short by one byte",
         [](QByteArray& b) { b.truncate(kHeader + 3 * kRecord - 1); }},
        {"record count larger than the file", [](QByteArray& b) { put32(b, 4, 10); }},
        {"record count one more than the file", [](QByteArray& b) { put32(b, 4, 4); }},
        {"record count at its largest", [](QByteArray& b) { put32(b, 4, 0xFFFFFFFFu); }},
        // what a writer that crashed before counting its records leaves: the
        // next append would write over the uncounted ones
        {"record count two less than the records", [](QByteArray& b) { put32(b, 4, 1); }},
        {"record count one less than the records, no end byte",
         [](QByteArray& b) {
             put32(b, 4, 2);
             b.chop(1);
         }},
        {"record count three less than the records",
         [](QByteArray& b) {
             put32(b, 4, 1);
             b.append(b.mid(kHeader, kRecord)); // without the end byte after it
         }},
        {"uncounted record after the end byte",
         [](QByteArray& b) { b.append(QByteArray(" K4   40  20240104", kRecord)); }},
        {"not a dBase III version byte", [](QByteArray& b) { b[0] = 0x30; }},
        {"text instead of a table",
         [](QByteArray& b) {
             b = QByteArray("Ez nem tábla, csak egy szöveges állomány.\n").repeated(8);
         }},
    };
    for (const Damage& d : damages) {
        SCOPED_TRACE(d.what);
        const QString path = dir.file("serult.dbf");
        QByteArray b = good;
        d.patch(b);
        writeAll(path, b);
        Table t;
        const auto e = dbError([&] { t.open(path); });
        ASSERT_TRUE(e);
        EXPECT_EQ(e->kind(), Kind::Damaged) << e->what();
        EXPECT_EQ(e->file(), path);
        EXPECT_TRUE(e->text().contains("serult.dbf")) << e->what();
        EXPECT_FALSE(t.isOpen());
        // nothing was held: the file can be replaced and opened
        writeAll(path, good);
        t.open(path);
        EXPECT_EQ(t.recordCount(), 3u);
        t.close();
    }
}

TEST(DamagedFile, WhatIsNotDamageOpens) {
    TempDir dir;
    const QByteArray good = goodFile(dir);
    const QString path = dir.file("jo2.dbf");
    // no end byte
    writeAll(path, good.left(good.size() - 1));
    EXPECT_NO_THROW(useWhole(path));
    // bytes after the last record beyond the end byte
    writeAll(path, good + QByteArray(100, '\0'));
    EXPECT_NO_THROW(useWhole(path));
    // end bytes as padding, and a remnant shorter than a record
    writeAll(path, good + QByteArray(40, '\x1A'));
    EXPECT_NO_THROW(useWhole(path));
    writeAll(path, good + QByteArray(" K4   4", 7));
    EXPECT_NO_THROW(useWhole(path));
    {
        // an append writes where the remnant was: it was no record
        Table t;
        t.open(path);
        t.append();
        t.setValue("kod", "K9");
        t.post();
        EXPECT_EQ(t.recordCount(), 4u);
    }
    {
        // an append of one record killed before it was counted: the record
        // is not there, and the next append writes over it
        QByteArray cut = good;
        put32(cut, 4, 2);
        writeAll(path, cut);
        Table t;
        t.open(path);
        EXPECT_EQ(t.recordCount(), 2u);
        t.append();
        t.setValue("kod", "K8");
        t.post();
        t.close();
        t.open(path);
        EXPECT_EQ(t.recordCount(), 3u);
        t.last();
        EXPECT_EQ(t.text("kod").trimmed(), QStringLiteral("K8"));
    }
    QByteArray b;
    // field contents that are not what their type says
    b = good;
    b.replace(kHeader + 6, 4, "12x4");      // DB of the first record
    b.replace(kHeader + 10, 8, "2024AB31"); // NAP of the first record
    b.replace(kHeader + kRecord + 10, 8, QByteArray("\0\0\0\0\0\0\0\0", 8));
    writeAll(path, b);
    EXPECT_NO_THROW(useWhole(path));
    Table t;
    t.open(path);
    EXPECT_FALSE(t.date("nap").isValid());
}

TEST(DamagedFile, NoCutOrFlippedByteCrashes) {
    // Every length of a file with tags, and random bytes changed in its
    // header: each one either opens and reads whole or is a DbError.
    TempDir dir;
    goodFile(dir);
    {
        Table t;
        t.open(dir.file("jo.dbf"));
        t.addTag("kod", "kod+str(db,4)");
        t.addTag("nap", "dtos(nap)");
        t.setActiveTag("kod");
    }
    const QByteArray good = readAll(dir.file("jo.dbf"));
    const QByteArray mdx = readAll(dir.file("jo.mdx"));
    const QString path = dir.file("vag.dbf");
    int opened = 0;
    for (int len = 0; len <= good.size(); ++len) {
        SCOPED_TRACE(len);
        writeAll(path, good.left(len));
        writeAll(dir.file("vag.mdx"), mdx);
        try {
            useWhole(path);
            ++opened;
        } catch (const engine::DbError& e) {
            EXPECT_EQ(e.file(), path);
            // The user reads the name as the system writes it.
            EXPECT_EQ(e.text(), QDir::toNativeSeparators(path) + ": " + e.detail());
        }
    }
    EXPECT_EQ(opened, 2); // whole, and without the end byte
    std::mt19937 rng(7);
    for (int round = 0; round < 300; ++round) {
        QByteArray b = good;
        const int flips = 1 + int(rng() % 3);
        for (int k = 0; k < flips; ++k)
            b[int(rng() % kHeader)] = char(rng() % 256);
        writeAll(path, b);
        writeAll(dir.file("vag.mdx"), mdx);
        try {
            useWhole(path);
        } catch (const engine::DbError&) {
        }
    }
}

TEST(DamagedFile, ADamagedIndexFileDoesNotStopTheTable) {
    TempDir dir;
    goodFile(dir);
    const QString path = dir.file("jo.dbf");
    {
        Table t;
        t.open(path);
        t.addTag("kod", "kod");
        t.addTag("nap", "dtos(nap)+kod");
        t.setActiveTag("kod");
    }
    const QByteArray mdx = readAll(dir.file("jo.mdx"));
    std::mt19937 rng(11);
    for (int round = 0; round < 300; ++round) {
        QByteArray b = mdx;
        if (round % 3 == 0) {
            b.truncate(int(rng() % b.size()));
        } else {
            const int flips = 1 + int(rng() % 4);
            for (int k = 0; k < flips; ++k)
                b[int(rng() % b.size())] = char(rng() % 256);
        }
        writeAll(dir.file("jo.mdx"), b);
        // the table opens, with its tags or without them
        Table t;
        ASSERT_NO_THROW(t.open(path)) << "round " << round;
        std::size_t n = 0;
        for (const QString& tag : t.tagNames()) {
            t.setActiveTag(tag);
            n = 0;
            for (t.first(); !t.eof(); t.next())
                ++n;
            EXPECT_EQ(n, 3u) << "round " << round;
        }
    }
    // an index file naming a field the table does not have
    writeAll(dir.file("jo.mdx"), QByteArray(mdx).replace("dtos(nap)+kod", "dtos(nxp)+kod"));
    Table t;
    ASSERT_NO_THROW(t.open(path));
    t.close();
    // and the tags can be made again
    t.open(path);
    t.dropTags();
    t.addTag("kod", "kod");
    EXPECT_TRUE(Table::indexFileOk(path));
}
