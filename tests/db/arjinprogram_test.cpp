// The archiver without a program (as on Windows): the program's own reader
// behind the same checks as Debian's arj, the same messages, the same stop
// and time limit, and nothing left behind when it refuses.

#include "db/arj.h"

#include "support/arjcraft.h"
#include "support/testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <gtest/gtest.h>

namespace {

const QStringList kHarom{"Aa1890.dbf", "Ab1890.dbf", "Ac1890.dbf"};

// Bits, most significant first.
struct Bits {
    QByteArray bytes;
    int used = 0;
    void put(quint32 v, int n) {
        for (int i = n - 1; i >= 0; --i) {
            if (used % 8 == 0) bytes.append('\0');
            if ((v >> i) & 1) bytes[bytes.size() - 1] = char(bytes.back() | (0x80 >> (used % 8)));
            ++used;
        }
    }
    // A block of methods 1-3 whose codes are single symbols, taking no bits:
    // `count` times `literal` (a byte, or 256 + length - 3 with distance 1).
    void block(quint32 count, quint32 literal) {
        put(count & 0xFFFF, 16);
        put(0, 5), put(0, 5); // the length code
        put(0, 9), put(literal, 9);
        put(0, 5), put(0, 5); // the distance code: distance 1
    }
};

// The first member's header patched: method, declared size.
QByteArray withMethod(QByteArray a, int method, quint32 size) {
    const qsizetype at = a.indexOf("\x60\xEA", 4);
    const int n = quint8(a[at + 2]) | (quint8(a[at + 3]) << 8);
    QByteArray b = a.mid(at + 4, n);
    b[5] = char(method);
    for (int i = 0; i < 4; ++i)
        b[16 + i] = char((size >> (8 * i)) & 0xFF);
    a.replace(at + 4, n, b);
    const quint32 crc = db::arjformat::crc32(b.constData(), b.size());
    for (int i = 0; i < 4; ++i)
        a[at + 4 + n + i] = char((crc >> (8 * i)) & 0xFF);
    return a;
}

struct InProgramTest : ::testing::Test {
    testsupport::TempDir tmp;
    QString temp;
    db::Archiver arj{QString()};

    void SetUp() override {
        temp = tmp.file("TEMP");
        QDir().mkpath(temp);
    }
    QString put(const QByteArray& bytes) {
        const QString path = tmp.file("Telj1890.arj");
        testsupport::writeAll(path, bytes);
        return path;
    }
    // An archive of one member that unpacks to a gigabyte in a few bytes.
    QString bomb() {
        Bits s;
        s.block(1, 'A');
        for (int i = 0; i < 60; ++i)
            s.block(0, 509); // 65536 matches of 256 bytes
        return put(withMethod(arjcraft::archive({{"Aa1890.dbf", s.bytes}}), 1,
                              1 + 60u * (1u << 24)));
    }
};

TEST_F(InProgramTest, WindowsHaveNoArchiverToRun) {
#ifdef Q_OS_WIN
    EXPECT_TRUE(db::Archiver().inProgram());
#else
    EXPECT_EQ(db::Archiver().program(), "arj");
#endif
    EXPECT_TRUE(arj.inProgram());
}

TEST_F(InProgramTest, TheNamesAreCheckedAsBeforeAndTheFilesUnpackedExactly) {
    db::UnpackFolder work(temp);
    db::ArjResult r = arj.unpack(put(arjcraft::archive({{"Aa1890.dbf", "aa"}, {"../x", "evil"}})),
                                 work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::BadName);
    EXPECT_EQ(r.entry, "../x");
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));

    r = arj.unpack(put(arjcraft::archive({{"Aa1890.dbf", "a"}, {"OLVASSEL.TXT", "!"}})),
                   work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Unexpected);
    r = arj.unpack(put(arjcraft::archive({{"Aa1890.dbf", "a"}, {"AA1890.DBF", "b"}})),
                   work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Repeated);

    // A folder of an expected name is no file.
    QByteArray folder = arjcraft::archive({{"Ab1890.dbf", ""}});
    {
        const qsizetype at = folder.indexOf("\x60\xEA", 4);
        const int n = quint8(folder[at + 2]) | (quint8(folder[at + 3]) << 8);
        folder[at + 4 + 6] = 3;
        const quint32 crc = db::arjformat::crc32(folder.constData() + at + 4, n);
        for (int i = 0; i < 4; ++i)
            folder[at + 4 + n + i] = char((crc >> (8 * i)) & 0xFF);
    }
    r = arj.unpack(put(folder), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::BadName);

    const QByteArray big(100000, 'x');
    r = arj.unpack(put(arjcraft::archive({{"AA1890.DBF", "a"}, {"Ab1890.dbf", big}})),
                   work.unpackDir(), kHarom);
    ASSERT_TRUE(r.ok()) << r.message().toStdString();
    EXPECT_EQ(QDir(work.unpackDir()).entryList(QDir::Files, QDir::Name),
              (QStringList{"AA1890.DBF", "Ab1890.dbf"}));
    EXPECT_EQ(testsupport::readAll(work.unpackDir() + "/Ab1890.dbf"), big);
}

TEST_F(InProgramTest, ADamagedArchiveSaysWhyAndLeavesNothing) {
    db::UnpackFolder work(temp);
    const QByteArray sound =
        arjcraft::archive({{"Aa1890.dbf", "aaaa"}, {"Ab1890.dbf", QByteArray(5000, 'b')}});
    db::ArjResult r = arj.unpack(put(sound.first(sound.size() - 100)), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Truncated);
    EXPECT_EQ(r.message(), "Hiba a kicsomagolásban!\r"
                           "A(z) Telj1890.arj archívum csonka, a vége hiányzik.\r"
                           "Az adatok nem változtak.");
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));

    QByteArray flipped = sound;
    flipped[sound.size() - 100] = 'c';
    r = arj.unpack(put(flipped), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Damaged);
    EXPECT_EQ(r.message(), "Hiba a kicsomagolásban!\r"
                           "A(z) Telj1890.arj archívumban sérült állomány van: \"Ab1890.dbf\"\r"
                           "Az adatok nem változtak.");
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));

    r = arj.unpack(put("PK\3\4 nem arj"), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::NotArchive);
    EXPECT_EQ(r.message(), "Hiba a kicsomagolásban!\r"
                           "A(z) Telj1890.arj nem ARJ archívum.\r"
                           "Az adatok nem változtak.");

    // A size out of all proportion is found at once, not after a gigabyte.
    QElapsedTimer t;
    t.start();
    Bits s;
    s.block(1, 'A');
    r = arj.unpack(put(withMethod(arjcraft::archive({{"Aa1890.dbf", s.bytes}}), 1, 0xFFFFFFFFu)),
                   work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Damaged);
    EXPECT_LT(t.elapsed(), 1000);
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));
}

struct StopAfter : db::UnpackWatch {
    qint64 stopAt = 0, stoppedAt = -1;
    QElapsedTimer clock;
    void begin(const QString&) override { clock.start(); }
    bool stopRequested() override {
        if (clock.elapsed() < stopAt) return false;
        if (stoppedAt < 0) stoppedAt = clock.elapsed();
        return true;
    }
    void end() override {}
};

TEST_F(InProgramTest, MegseAndTheTimeLimitStopABombAtOnce) {
    StopAfter watch;
    watch.stopAt = 200;
    arj.setWatch(&watch);
    db::UnpackFolder work(temp);
    db::ArjResult r = arj.unpack(bomb(), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::Cancelled);
    EXPECT_EQ(r.message(),
              "A(z) Telj1890.arj kicsomagolása megszakítva.\rAz adatok nem változtak.");
    EXPECT_GE(watch.stoppedAt, 0);
    EXPECT_LT(watch.clock.elapsed() - watch.stoppedAt, 1000);
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));

    arj.setWatch(nullptr);
    arj.setTimeLimit(std::chrono::milliseconds(300), std::chrono::milliseconds(0));
    QElapsedTimer t;
    t.start();
    r = arj.unpack(bomb(), work.unpackDir(), kHarom);
    EXPECT_EQ(r.outcome, db::ArjOutcome::TimedOut);
    EXPECT_EQ(r.seconds, 1);
    EXPECT_LT(t.elapsed(), 1500);
    EXPECT_FALSE(QFileInfo::exists(work.unpackDir()));
}

TEST_F(InProgramTest, TheStopIsAskedWhileTheHeadersAreRead) {
    // A member header followed by a great many extended headers.
    QByteArray a = arjcraft::archive({{"Aa1890.dbf", "a"}});
    const qsizetype at = a.indexOf("\x60\xEA", 4);
    const int n = quint8(a[at + 2]) | (quint8(a[at + 3]) << 8);
    QByteArray ext("\x01\x00x", 3);
    const quint32 crc = db::arjformat::crc32("x", 1);
    for (int i = 0; i < 4; ++i)
        ext.append(char((crc >> (8 * i)) & 0xFF));
    a.insert(at + 4 + n + 4, ext.repeated(5000));
    QBuffer in(&a);
    in.open(QIODevice::ReadOnly);
    int asked = 0;
    EXPECT_EQ(db::arjformat::readCatalog(in, [&] { return ++asked > 2; }).fault,
              db::arjformat::Fault::Stopped);
    EXPECT_EQ(asked, 3);
    in.seek(0);
    EXPECT_TRUE(db::arjformat::readCatalog(in).ok());
}

TEST_F(InProgramTest, WhatItPacksItUnpacks) {
    testsupport::writeAll(tmp.file("Aa1890.dbf"), "hello\n");
    testsupport::writeAll(tmp.file("Ab1890.dbf"), QByteArray(70000, 'x'));
    const QDateTime when(QDate(2024, 1, 2), QTime(10, 0, 0));
    {
        QFile f(tmp.file("Ab1890.dbf"));
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.setFileTime(when, QFileDevice::FileModificationTime));
    }
    const QString a = tmp.file("Zaras.arj");
    ASSERT_TRUE(arj.pack(a, {tmp.file("Aa1890.dbf"), tmp.file("Ab1890.dbf")}));
    std::vector<db::ArjEntry> e;
    ASSERT_TRUE(arj.list(a, &e).ok());
    ASSERT_EQ(e.size(), 2u);
    EXPECT_EQ(e[0].name, "Aa1890.dbf");
    EXPECT_EQ(e[1].size, 70000u);
    db::UnpackFolder work(temp);
    ASSERT_TRUE(arj.unpack(a, work.unpackDir(), kHarom).ok());
    EXPECT_EQ(testsupport::readAll(work.unpackDir() + "/Ab1890.dbf"), QByteArray(70000, 'x'));
    EXPECT_EQ(QFileInfo(work.unpackDir() + "/Ab1890.dbf").lastModified(), when);
    // A file that cannot be read packs nothing: the archive stays as it was.
    EXPECT_FALSE(arj.pack(a, {tmp.file("Aa1890.dbf"), tmp.file("nincs.dbf")}));
    ASSERT_TRUE(arj.list(a, &e).ok());
    EXPECT_EQ(e.size(), 2u);
}

} // namespace
