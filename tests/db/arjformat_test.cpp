// The program's own ARJ reader and writer: what Debian's arj packs with each
// method reads back exactly, what the writer makes arj tests and unpacks
// exactly, and a damaged archive is refused whole, quickly.

#include "db/arj.h"
#include "db/arjformat.h"

#include "support/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <gtest/gtest.h>

namespace {

namespace af = db::arjformat;

bool haveArj() {
    return !QStandardPaths::findExecutable("arj").isEmpty();
}

// Runs arj in `dir`; its exit code.
int arj(const QString& dir, const QStringList& args) {
    QProcess p;
    p.setWorkingDirectory(dir);
    p.setStandardInputFile(QProcess::nullDevice());
    p.start("arj", args);
    p.waitForFinished(60000);
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

// The test files: empty, small, a few hundred KB of table-like rows, and
// random bytes.
std::vector<std::pair<QString, QByteArray>> samples() {
    QByteArray table;
    for (int i = 0; table.size() < 300000; ++i)
        table += QByteArray("  ") + QByteArray::number(100000 + i * 7) + "KOVACS JANOSNE     " +
                 QByteArray::number(1890 + i % 13) + "20240" + QByteArray::number(1 + i % 9) +
                 QByteArray::number(10 + i % 18) + (i % 5 ? "T" : "F") +
                 QByteArray::number(i % 977).rightJustified(6, ' ') + "\r\n";
    QByteArray random(70000, '\0');
    QRandomGenerator g(1890);
    for (char& c : random)
        c = char(g.bounded(256));
    return {{"Ures.dbf", QByteArray()},
            {"Kicsi.dbf", "hello\n"},
            {"Tabla.dbf", table},
            {"Vel.bin", random}};
}

// Every member of `archive` unpacked; the first fault.
af::Fault unpackAll(const QByteArray& archive, std::vector<std::pair<QByteArray, QByteArray>>* out,
                    std::vector<af::Member>* members = nullptr) {
    QBuffer in;
    in.setData(archive);
    in.open(QIODevice::ReadOnly);
    const af::Catalog c = af::readCatalog(in);
    if (!c.ok()) return c.fault;
    for (const af::Member& m : c.members) {
        QBuffer o;
        o.open(QIODevice::WriteOnly);
        const af::Fault f = af::extract(in, m, o);
        if (f != af::Fault::None) return f;
        if (out) out->push_back({m.name, o.data()});
    }
    if (members) *members = c.members;
    return af::Fault::None;
}

struct ArjFormatTest : ::testing::Test {
    testsupport::TempDir tmp;
    std::vector<std::pair<QString, QByteArray>> files = samples();

    QString dir() { return tmp.path(); }
    void writeSamples() {
        for (const auto& [name, data] : files)
            testsupport::writeAll(tmp.file(name), data);
    }
    // arj's archive of the samples with `-mN`.
    QByteArray packedBy(int method) {
        writeSamples();
        QStringList args{"a", QStringLiteral("-m%1").arg(method), "-e", "-y", "m.arj"};
        for (const auto& f : files)
            args << f.first;
        QFile::remove(tmp.file("m.arj"));
        EXPECT_EQ(arj(dir(), args), 0);
        return testsupport::readAll(tmp.file("m.arj"));
    }
};

TEST_F(ArjFormatTest, ReadsWhatArjPacksWithEveryMethod) {
    if (!haveArj()) GTEST_SKIP() << "no arj";
    for (int method = 0; method <= 4; ++method) {
        SCOPED_TRACE(method);
        std::vector<std::pair<QByteArray, QByteArray>> got;
        std::vector<af::Member> members;
        ASSERT_EQ(unpackAll(packedBy(method), &got, &members), af::Fault::None);
        ASSERT_EQ(got.size(), files.size());
        for (size_t i = 0; i < files.size(); ++i) {
            EXPECT_EQ(got[i].first, files[i].first.toUtf8());
            EXPECT_TRUE(got[i].second == files[i].second) << files[i].first.toStdString();
            EXPECT_EQ(members[i].size, quint64(files[i].second.size()));
            EXPECT_EQ(members[i].kind, af::Kind::File);
        }
        // The table is packed with the method asked for.
        EXPECT_EQ(members[2].method, method);
        if (method) {
            EXPECT_LT(members[2].packed, members[2].size / 2);
        }
    }
}

TEST_F(ArjFormatTest, WhatTheWriterMakesArjTestsAndUnpacksExactly) {
    writeSamples();
    QStringList paths;
    for (const auto& f : files)
        paths << tmp.file(f.first);
    const QString archive = tmp.file("ki.arj");
    ASSERT_TRUE(db::Archiver(QString()).pack(archive, paths));

    std::vector<std::pair<QByteArray, QByteArray>> got;
    std::vector<af::Member> members;
    ASSERT_EQ(unpackAll(testsupport::readAll(archive), &got, &members), af::Fault::None);
    ASSERT_EQ(got.size(), files.size());
    for (size_t i = 0; i < files.size(); ++i)
        EXPECT_TRUE(got[i].second == files[i].second) << files[i].first.toStdString();
    // The table packed (with the fastest method), the random bytes stored.
    EXPECT_EQ(members[2].method, 4);
    EXPECT_LT(members[2].packed, members[2].size / 4);
    EXPECT_EQ(members[3].method, 0);

    if (!haveArj()) GTEST_SKIP() << "no arj";
    EXPECT_EQ(arj(dir(), {"t", "-y", "ki.arj"}), 0);
    QDir().mkpath(tmp.file("ki"));
    ASSERT_EQ(arj(dir(), {"e", "-y", "ki.arj", "ki/"}), 0);
    const QStringList out = QDir(tmp.file("ki")).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(out, (QStringList{"Kicsi.dbf", "Tabla.dbf", "Ures.dbf", "Vel.bin"}));
    for (const auto& [name, data] : files)
        EXPECT_TRUE(testsupport::readAll(tmp.file("ki/" + name)) == data) << name.toStdString();
    // And arj's own listing reads it as the program reads it.
    std::vector<db::ArjEntry> listed;
    ASSERT_TRUE(db::Archiver().list(archive, &listed).ok());
    ASSERT_EQ(listed.size(), files.size());
    EXPECT_EQ(listed[2].name, "Tabla.dbf");
    EXPECT_EQ(listed[2].size, quint64(files[2].second.size()));
}

// The first member's header with `patch` applied to its bytes, its CRC-32
// made right again (so that only the patched fact is wrong).
QByteArray patchedHeader(QByteArray a, const std::function<void(QByteArray&)>& patch) {
    const qsizetype at = a.indexOf("\x60\xEA", 4);
    const int size = quint8(a[at + 2]) | (quint8(a[at + 3]) << 8);
    QByteArray basic = a.mid(at + 4, size);
    patch(basic);
    const quint32 crc = af::crc32(basic.constData(), basic.size());
    a.replace(at + 4, size, basic);
    for (int i = 0; i < 4; ++i)
        a[at + 4 + size + i] = char((crc >> (8 * i)) & 0xFF);
    return a;
}

void put32(QByteArray& b, int at, quint32 v) {
    for (int i = 0; i < 4; ++i)
        b[at + i] = char((v >> (8 * i)) & 0xFF);
}

TEST_F(ArjFormatTest, ADamagedArchiveIsRefusedWhole) {
    if (!haveArj()) GTEST_SKIP() << "no arj";
    files = {{"Tabla.dbf", samples()[2].second}};
    for (int method : {0, 1, 4}) {
        SCOPED_TRACE(method);
        const QByteArray sound = packedBy(method);
        ASSERT_EQ(unpackAll(sound, nullptr), af::Fault::None);
        // Cut short anywhere.
        for (qsizetype n = 0; n < sound.size(); n += 1 + n / 8)
            EXPECT_NE(unpackAll(sound.first(n), nullptr), af::Fault::None) << n;
        // A byte flipped in a header or in the data.
        for (qsizetype at = 0; at < sound.size(); at += 1 + at / 4) {
            QByteArray bad = sound;
            bad[at] = char(bad[at] ^ 0x20);
            const af::Fault f = unpackAll(bad, nullptr);
            // A byte of a name or a time changes no content; anything else is found.
            if (f == af::Fault::None) {
                EXPECT_LT(at, 120) << at;
            }
        }
        QByteArray data = sound;
        data[data.size() - 100] = char(data[data.size() - 100] ^ 1);
        EXPECT_EQ(unpackAll(data, nullptr), af::Fault::BadData);
        // A wrong CRC, and sizes out of all proportion.
        EXPECT_EQ(unpackAll(patchedHeader(sound, [](QByteArray& b) { b[20] = char(b[20] ^ 1); }),
                            nullptr),
                  af::Fault::BadData);
        QElapsedTimer t;
        t.start();
        const af::Fault huge = unpackAll(
            patchedHeader(sound, [](QByteArray& b) { put32(b, 16, 0xFFFFFFFFu); }), nullptr);
        EXPECT_TRUE(huge == af::Fault::BadData || huge == af::Fault::BadHeader);
        EXPECT_EQ(unpackAll(patchedHeader(sound, [](QByteArray& b) { put32(b, 12, 0x7FFFFFF0u); }),
                            nullptr),
                  method ? af::Fault::Truncated : af::Fault::BadHeader);
        EXPECT_LT(t.elapsed(), 2000);
    }
}

TEST_F(ArjFormatTest, SplitGarbledAndUnknownMembersAreRefusedWithTheirReason) {
    if (!haveArj()) GTEST_SKIP() << "no arj";
    files = {{"Tabla.dbf", samples()[2].second}};
    const QByteArray sound = packedBy(1);
    const auto flag = [&](quint8 f) {
        return patchedHeader(sound, [f](QByteArray& b) { b[4] = char(b[4] | f); });
    };
    EXPECT_EQ(unpackAll(flag(0x01), nullptr), af::Fault::Encrypted);
    EXPECT_EQ(unpackAll(flag(0x04), nullptr), af::Fault::MultiVolume);
    EXPECT_EQ(unpackAll(flag(0x08), nullptr), af::Fault::MultiVolume);
    QBuffer in;
    in.setData(patchedHeader(sound, [](QByteArray& b) { b[5] = 7; }));
    in.open(QIODevice::ReadOnly);
    const af::Catalog c = af::readCatalog(in);
    EXPECT_EQ(c.fault, af::Fault::UnknownMethod);
    EXPECT_EQ(c.entry, "Tabla.dbf");
    EXPECT_EQ(c.method, 7);

    // arj's own garbled archive.
    ASSERT_EQ(arj(dir(), {"a", "-gtitok", "-e", "-y", "g.arj", "Tabla.dbf"}), 0);
    EXPECT_EQ(unpackAll(testsupport::readAll(tmp.file("g.arj")), nullptr), af::Fault::Encrypted);

    // arj's own archive over volumes: each volume refused.
    writeSamples();
    ASSERT_EQ(arj(dir(), {"a", "-m0", "-v30k", "-e", "-y", "v.arj", "Tabla.dbf"}), 0);
    for (const QString v : {"v.arj", "v.a01", "v.a02"})
        EXPECT_EQ(unpackAll(testsupport::readAll(tmp.file(v)), nullptr), af::Fault::MultiVolume)
            << v.toStdString();

    const db::ArjResult r{db::ArjOutcome::UnknownMethod, "Telj1890.arj", "Tabla.dbf", 0, 7};
    EXPECT_EQ(r.message(), "Hiba a kicsomagolásban!\r"
                           "A(z) Telj1890.arj archívumban ismeretlen tömörítési módú (7) "
                           "állomány van: \"Tabla.dbf\"\r"
                           "Az adatok nem változtak.");
}

TEST_F(ArjFormatTest, ExtendedHeadersAreSkippedButChecked) {
    files = {{"Kicsi.dbf", "hello\n"}};
    writeSamples();
    const QString archive = tmp.file("x.arj");
    ASSERT_TRUE(db::Archiver(QString()).pack(archive, {tmp.file("Kicsi.dbf")}));
    QByteArray a = testsupport::readAll(archive);
    // After the member header's CRC-32 (its "no extended header" mark), one
    // extended header of five bytes.
    const qsizetype at = a.indexOf("\x60\xEA", 4);
    const int n = quint8(a[at + 2]) | (quint8(a[at + 3]) << 8);
    const qsizetype mark = at + 4 + n + 4;
    QByteArray ext("\x05\x00" "ABCDE", 7);
    const quint32 crc = af::crc32("ABCDE", 5);
    for (int i = 0; i < 4; ++i)
        ext.append(char((crc >> (8 * i)) & 0xFF));
    a.insert(mark, ext);
    std::vector<std::pair<QByteArray, QByteArray>> got;
    ASSERT_EQ(unpackAll(a, &got), af::Fault::None);
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0].second, "hello\n");
    if (haveArj()) {
        testsupport::writeAll(archive, a);
        EXPECT_EQ(arj(dir(), {"t", "-y", "x.arj"}), 0);
    }
    a[mark + 3] = 'x';
    EXPECT_EQ(unpackAll(a, nullptr), af::Fault::BadHeader);
}

TEST_F(ArjFormatTest, TheStopIsAskedAtLeastEvery32KiB) {
    if (!haveArj()) GTEST_SKIP() << "no arj";
    files = {{"Tabla.dbf", samples()[2].second}};
    for (int method : {0, 1, 4}) {
        QBuffer in;
        in.setData(packedBy(method));
        in.open(QIODevice::ReadOnly);
        const af::Catalog c = af::readCatalog(in);
        ASSERT_TRUE(c.ok());
        QBuffer o;
        o.open(QIODevice::WriteOnly);
        int asked = 0;
        EXPECT_EQ(af::extract(in, c.members[0], o, [&] { return ++asked > 3; }),
                  af::Fault::Stopped);
        EXPECT_EQ(asked, 4);
        EXPECT_LE(o.data().size(), 4 * 65536);
    }
}

} // namespace
