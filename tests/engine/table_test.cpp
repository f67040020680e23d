// Table objects over dBase III files: the bytes written, values in and out of
// each field type, navigation, editing, locate, and real files other
// programs wrote.

#include "engine/codepage.h"
#include "enginetest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using engine::fieldDef;
using engine::Table;
using namespace enginetest;
using testsupport::readAll;
using testsupport::TempDir;
using testsupport::testData;
using testsupport::writeAll;
using Kind = engine::DbError::Kind;

namespace {

quint32 le32(const QByteArray& b, int at) {
    return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
           quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
}
int le16(const QByteArray& b, int at) {
    return quint8(b[at]) | quint8(b[at + 1]) << 8;
}

QByteArray cp852(const QString& s) {
    return *engine::encode852(s);
}

// NEV C10, OSSZEG N10.2, DB N3, DATUM D.
std::vector<engine::FieldDef> layoutFields() {
    return {fieldDef("Nev", 'C', 10), fieldDef("osszeg", 'N', 10, 2), fieldDef("DB", 'N', 3),
            fieldDef("datum", 'D')};
}

// A one-field table for value conversions: one record, kept in edit.
struct OneField {
    TempDir dir;
    QString path = dir.file("egy.dbf");
    Table t;
    explicit OneField(engine::FieldDef f) {
        Table::create(path, {f});
        t.open(path);
        t.append();
    }
    // The bytes the field holds in the file after setting v and posting.
    QByteArray stored(const QVariant& v) {
        t.setValue(0, v);
        t.post();
        const QByteArray r = t.record(t.recno()).stored(0).toByteArray();
        t.edit();
        return r;
    }
};

} // namespace

// --- the file's bytes -------------------------------------------------------

TEST(TableFile, LayoutAfterCreateAndAppendIsByteExact) {
    TempDir dir;
    const QString path = dir.file("minta.dbf");
    FixedClock clock(QDate(2024, 5, 7));
    Table::create(path, layoutFields());

    const QByteArray empty = readAll(path);
    ASSERT_EQ(empty.size(), 32 + 4 * 32 + 1 + 1);
    EXPECT_EQ(quint8(empty[0]), 0x03);
    EXPECT_EQ(quint8(empty[1]), 24);
    EXPECT_EQ(quint8(empty[2]), 5);
    EXPECT_EQ(quint8(empty[3]), 7);
    EXPECT_EQ(le32(empty, 4), 0u);
    EXPECT_EQ(le16(empty, 8), 161);
    EXPECT_EQ(le16(empty, 10), 1 + 10 + 10 + 3 + 8);
    EXPECT_EQ(quint8(empty[160]), 0x0D);
    EXPECT_EQ(quint8(empty[161]), 0x1A);
    struct Desc {
        const char* name;
        char type;
        int width, dec;
    } const want[] = {
        {"NEV", 'C', 10, 0}, {"OSSZEG", 'N', 10, 2}, {"DB", 'N', 3, 0}, {"DATUM", 'D', 8, 0}};
    for (int i = 0; i < 4; ++i) {
        const QByteArray d = empty.mid(32 + 32 * i, 32);
        QByteArray name(11, '\0');
        memcpy(name.data(), want[i].name, strlen(want[i].name));
        EXPECT_EQ(d.left(11), name) << i;
        EXPECT_EQ(d[11], want[i].type) << i;
        EXPECT_EQ(quint8(d[16]), want[i].width) << i;
        EXPECT_EQ(quint8(d[17]), want[i].dec) << i;
        EXPECT_EQ(d.mid(18), QByteArray(14, '\0')) << i;
    }

    Table t;
    t.open(path);
    t.append();
    t.setValue("nev", QStringLiteral("Kovács"));
    t.setValue("OSSZEG", QStringLiteral("12.345"));
    t.setValue("db", 7);
    t.setValue("Datum", QDate(2024, 3, 1));
    t.post();
    t.append(); // every field left blank
    t.post();

    // Posted records are in the file at once, before close.
    clock.set(QDate(1999, 12, 31));
    t.append();
    t.setValue("db", -5);
    t.post();
    const QByteArray b = readAll(path);
    const QByteArray rec1 =
        " " + cp852(QStringLiteral("Kovács")) + "    " + "     12.35" + "  7" + "20240301";
    const QByteArray rec2 = " " + QByteArray(31, ' ');
    const QByteArray rec3 =
        " " + QByteArray(10, ' ') + QByteArray(10, ' ') + " -5" + QByteArray(8, ' ');
    ASSERT_EQ(b.size(), 161 + 3 * 32 + 1);
    EXPECT_EQ(b.mid(161, 32), rec1);
    EXPECT_EQ(b.mid(193, 32), rec2);
    EXPECT_EQ(b.mid(225, 32), rec3);
    EXPECT_EQ(quint8(b[257]), 0x1A);
    EXPECT_EQ(le32(b, 4), 3u);
    EXPECT_EQ(quint8(b[1]), 99);
    EXPECT_EQ(quint8(b[2]), 12);
    EXPECT_EQ(quint8(b[3]), 31);
    // the descriptors did not move
    EXPECT_EQ(b.left(160).mid(4 + 4), empty.left(160).mid(4 + 4));
    t.close();
    EXPECT_EQ(readAll(path), b);
}

TEST(TableFile, RecordCountAndDateFollowEveryAppend) {
    TempDir dir;
    const QString path = dir.file("szamlalo.dbf");
    FixedClock clock(QDate(2001, 1, 2));
    Table::create(path, {fieldDef("A", 'C', 3)});
    Table t;
    t.open(path);
    for (int i = 1; i <= 5; ++i) {
        clock.set(QDate(2010 + i, i, 10 + i));
        t.append();
        t.setValue("a", QString::number(i));
        t.post();
        const QByteArray b = readAll(path);
        EXPECT_EQ(le32(b, 4), quint32(i));
        EXPECT_EQ(quint8(b[1]), 10 + i);
        EXPECT_EQ(quint8(b[2]), i);
        EXPECT_EQ(quint8(b[3]), 10 + i);
        ASSERT_EQ(b.size(), 32 + 32 + 1 + 4 * i + 1);
        EXPECT_EQ(quint8(b[b.size() - 1]), 0x1A);
        EXPECT_EQ(b.mid(b.size() - 5, 4), " " + QByteArray::number(i) + "  ");
    }
}

TEST(TableFile, DeleteSetsTheFlagInTheFileAtOnce) {
    TempDir dir;
    const QString path = dir.file("torol.dbf");
    Table::create(path, {fieldDef("A", 'C', 2)});
    Table t;
    t.open(path);
    for (const char* v : {"x", "y", "z"}) {
        t.append();
        t.setValue("A", QString::fromLatin1(v));
        t.post();
    }
    t.first();
    t.next();
    ASSERT_EQ(t.text("a"), "y");
    t.remove();
    const QByteArray b = readAll(path);
    const int hl = 32 + 32 + 1;
    EXPECT_EQ(b[hl], ' ');
    EXPECT_EQ(b[hl + 3], '*');
    EXPECT_EQ(b.mid(hl + 4, 2), "y ");
    EXPECT_EQ(b[hl + 6], ' ');
    EXPECT_EQ(le32(b, 4), 3u);
    EXPECT_EQ(t.fileRecordCount(), 3u);
    EXPECT_EQ(t.recordCount(), 2u);
    // the current record moved on to the next one
    EXPECT_EQ(t.text("a"), "z");
}

TEST(TableFile, CreateKeepsTheCallersSpellingAndOpenFindsAnyCase) {
    TempDir dir;
    Table::create(dir.file("Kezelo.DBF"), {fieldDef("a", 'C', 1)});
    EXPECT_TRUE(QDir(dir.path()).entryList(QDir::Files).contains("Kezelo.DBF"));
    Table t;
    t.open(dir.file("KEZELO.dbf"));
    EXPECT_EQ(QFileInfo(t.path()).fileName(), "Kezelo.DBF");
    t.addTag("k1", "a");
    t.close();
    EXPECT_TRUE(engine::fileExistsNoCase(dir.file("kezelo.dbf")));
    EXPECT_FALSE(engine::fileExistsNoCase(dir.file("kezelo2.dbf")));
    EXPECT_TRUE(Table::indexFileOk(dir.file("kezelo.dbf")));
}

TEST(TableFile, FilesThatCannotBeOpenedAreErrorsNamingThem) {
    TempDir dir;
    Table t;
    const QString missing = dir.file("nincs.dbf");
    const auto e = dbError([&] { t.open(missing); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), Kind::Io);
    EXPECT_EQ(e->file(), missing);
    EXPECT_TRUE(e->text().contains("nincs.dbf"));
    ASSERT_TRUE(QDir(dir.path()).mkdir("mappa.dbf"));
    const auto d = dbError([&] { t.open(dir.file("mappa.dbf")); });
    ASSERT_TRUE(d);
    EXPECT_EQ(d->file(), dir.file("mappa.dbf"));
    EXPECT_FALSE(t.isOpen());
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.first(); }));
    EXPECT_TRUE(throwsKind(
        Kind::Io, [&] { Table::create(dir.file("nincsmappa/uj.dbf"), {fieldDef("A", 'C', 1)}); }));
}

TEST(TableFile, CreateReplacesATableAndDropsItsIndex) {
    TempDir dir;
    const QString path = dir.file("csere.dbf");
    makeSheetTable(path, {{"2024.01", "1"}});
    {
        Table t;
        t.open(path);
        t.addTag("lap1", "sorsz");
    }
    ASSERT_TRUE(Table::indexFileOk(path));
    Table::create(dir.file("CSERE.DBF"), {fieldDef("UJ", 'C', 2)});
    EXPECT_FALSE(Table::indexFileOk(path));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList({"csere.dbf"}));
    Table t;
    t.open(path);
    EXPECT_EQ(t.fileRecordCount(), 0u);
    EXPECT_TRUE(t.tagNames().isEmpty());
    EXPECT_TRUE(t.hasField("uj"));
    EXPECT_FALSE(t.hasField("sorsz"));
}

TEST(TableFile, CreateRejectsBadFieldLists) {
    TempDir dir;
    const QString p = dir.file("rossz.dbf");
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { Table::create(p, {}); }));
    EXPECT_TRUE(
        throwsKind(Kind::Value, [&] { Table::create(p, {fieldDef("TULHOSSZUNEV", 'C', 3)}); }));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { Table::create(p, {fieldDef("A", 'C', 0)}); }));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { Table::create(p, {fieldDef("A", 'N', 5, 4)}); }));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { Table::create(p, {fieldDef("A", 'X', 5)}); }));
}

// --- values of each type ------------------------------------------------------

TEST(TableValues, NumbersAreExactDecimalsRoundedHalfAwayFromZero) {
    OneField n(fieldDef("OSSZEG", 'N', 10, 2));
    EXPECT_EQ(n.stored(QStringLiteral("12.345")), "     12.35");
    EXPECT_EQ(n.stored(QStringLiteral("-12.345")), "    -12.35");
    EXPECT_EQ(n.stored(QStringLiteral("12.344999")), "     12.34");
    EXPECT_EQ(n.stored(QStringLiteral("0.005")), "      0.01");
    EXPECT_EQ(n.stored(QStringLiteral("-0.004")), "      0.00");
    EXPECT_EQ(n.stored(QStringLiteral("12,5")), "     12.50");
    EXPECT_EQ(n.stored(QStringLiteral(" 3 ")), "      3.00");
    EXPECT_EQ(n.stored(7), "      7.00");
    EXPECT_EQ(n.stored(qlonglong(-123456)), "-123456.00");
    // A double means the decimal it was written as, not its binary neighbour.
    EXPECT_EQ(n.stored(12.345), "     12.35");
    EXPECT_EQ(n.stored(2.675), "      2.68");
    EXPECT_EQ(n.stored(-2.675), "     -2.68");
    EXPECT_EQ(n.stored(0.1 + 0.2), "      0.30");
    EXPECT_EQ(n.stored(1234567.891), "1234567.89");
    EXPECT_EQ(n.stored(QVariant()), "          ");
    EXPECT_EQ(n.stored(QString()), "          ");
    EXPECT_EQ(n.stored(QStringLiteral("  ")), "          ");

    OneField w(fieldDef("DB", 'N', 3));
    EXPECT_EQ(w.stored(999), "999");
    EXPECT_EQ(w.stored(-99), "-99");
    EXPECT_EQ(w.stored(QStringLiteral("2.5")), "  3");
    EXPECT_EQ(w.stored(QStringLiteral("-2.5")), " -3");
    EXPECT_EQ(w.stored(2.5), "  3");
    EXPECT_EQ(w.stored(QStringLiteral("007")), "  7");
}

TEST(TableValues, ANumberThatDoesNotFitIsAnErrorNotATruncation) {
    OneField n(fieldDef("OSSZEG", 'N', 10, 2));
    n.stored(QStringLiteral("1.5"));
    for (const QVariant& v : {QVariant(QStringLiteral("12345678.9")), QVariant(100000000),
                              QVariant(99999999.999), QVariant(-9999999.5)}) {
        const auto e = dbError([&] { n.t.setValue("osszeg", v); });
        ASSERT_TRUE(e) << v.toString().toStdString();
        EXPECT_EQ(e->kind(), Kind::Value);
        EXPECT_TRUE(e->text().contains("OSSZEG")) << e->what();
        EXPECT_EQ(e->file(), n.t.path());
    }
    // the edit buffer still holds the last good value
    EXPECT_EQ(n.t.text("osszeg"), "1.50");
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { n.t.setValue("osszeg", QStringLiteral("1x")); }));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { n.t.setValue("osszeg", QStringLiteral("1.2.3")); }));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { n.t.setValue("osszeg", qInf()); }));

    OneField w(fieldDef("DB", 'N', 3));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { w.t.setValue("db", 1000); }));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { w.t.setValue("db", -100); }));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { w.t.setValue("db", QStringLiteral("999.5")); }));
}

TEST(TableValues, NumbersReadBack) {
    OneField n(fieldDef("OSSZEG", 'N', 10, 2));
    n.stored(QStringLiteral("-12.345"));
    EXPECT_EQ(n.t.value("osszeg").typeId(), QMetaType::Double);
    EXPECT_DOUBLE_EQ(n.t.number("osszeg"), -12.35);
    EXPECT_EQ(n.t.text("osszeg"), "-12.35");
    n.stored(QVariant());
    EXPECT_TRUE(n.t.value("osszeg").isNull());
    EXPECT_TRUE(n.t.isBlank("osszeg"));
    EXPECT_EQ(n.t.text("osszeg"), "");

    OneField w(fieldDef("DB", 'N', 3));
    w.stored(42);
    EXPECT_EQ(w.t.value("db").typeId(), QMetaType::LongLong);
    EXPECT_EQ(w.t.value("db").toLongLong(), 42);
}

TEST(TableValues, DatesAreYYYYMMDDAndBlankMeansNoDate) {
    OneField d(fieldDef("ELB", 'D'));
    EXPECT_EQ(d.t.fields()[0].width, 8);
    EXPECT_EQ(d.stored(QDate(2005, 3, 31)), "20050331");
    EXPECT_EQ(d.t.date("elb"), QDate(2005, 3, 31));
    EXPECT_EQ(d.t.text("elb"), "2005.03.31");
    EXPECT_EQ(d.stored(QStringLiteral("2024.02.29")), "20240229");
    EXPECT_EQ(d.stored(QStringLiteral("2024-01-15")), "20240115");
    EXPECT_EQ(d.stored(QStringLiteral("15.01.2023")), "20230115");
    EXPECT_EQ(d.stored(QDate()), "        ");
    EXPECT_FALSE(d.t.date("elb").isValid());
    EXPECT_EQ(d.t.text("elb"), "");
    EXPECT_TRUE(d.t.isBlank("elb"));
    EXPECT_EQ(d.stored(QStringLiteral("    .  .  ")), "        ");
    EXPECT_EQ(d.stored(QVariant()), "        ");
    EXPECT_TRUE(
        throwsKind(Kind::Value, [&] { d.t.setValue("elb", QStringLiteral("2023.02.29")); }));
    EXPECT_TRUE(throwsKind(Kind::Value, [&] { d.t.setValue("elb", QStringLiteral("tegnap")); }));
}

TEST(TableValues, TextIsCodePage852BothWays) {
    OneField c(fieldDef("NEV", 'C', 12));
    const QString hu = QStringLiteral("Őrült Ű-ág");
    EXPECT_EQ(c.stored(hu), cp852(hu) + QByteArray(12 - hu.size(), ' '));
    EXPECT_EQ(c.t.value("nev").toString(), hu);
    EXPECT_EQ(c.stored(QStringLiteral("ÁRVÍZTŰRŐ")).left(9), QByteArray("\xB5RV\xD6ZT\xEBR\x8A"));
    // trailing blanks are not part of the value
    c.stored(QStringLiteral("  a  "));
    EXPECT_EQ(c.t.value("nev").toString(), "  a");
    c.stored(QVariant());
    EXPECT_EQ(c.t.value("nev").toString(), "");
    EXPECT_TRUE(c.t.isBlank("nev"));
}

TEST(TableValues, TextCp852CannotHoldIsRefusedNamingTheField) {
    OneField c(fieldDef("NEV", 'C', 12));
    c.stored(QStringLiteral("jó"));
    for (const QString& bad : {QStringLiteral("5 €"), QStringLiteral("Ñandú"),
                               QStringLiteral("naïve õ"), QStringLiteral("漢字")}) {
        const auto e = dbError([&] { c.t.setValue("nev", bad); });
        ASSERT_TRUE(e) << bad.toStdString();
        EXPECT_EQ(e->kind(), Kind::Encoding);
        EXPECT_TRUE(e->detail().contains("NEV")) << e->what();
        EXPECT_EQ(e->file(), c.t.path());
    }
    c.t.post();
    EXPECT_EQ(c.t.value("nev").toString(), QStringLiteral("jó"));
    EXPECT_TRUE(
        throwsKind(Kind::Value, [&] { c.t.edit(), c.t.setValue("nev", QString(13, 'x')); }));
}

TEST(TableValues, LogicalAndFloatFieldsAreRead) {
    TempDir dir;
    const QString path = dir.file("lf.dbf");
    Table::create(path, {fieldDef("VAN", 'L'), fieldDef("ARANY", 'N', 8, 3)});
    QByteArray b = readAll(path);
    // turn ARANY into an F field and add records by hand: T, F, ?, y, n
    b[32 + 32 + 11] = 'F';
    const int hl = 32 + 64 + 1;
    b.truncate(hl);
    const char* recs[] = {" T   1.500", " F  -2.250", " ?        ", " y   0.000", " n      12"};
    for (const char* r : recs)
        b += r;
    b += char(0x1A);
    b[4] = 5;
    writeAll(path, b);
    Table t;
    t.open(path);
    ASSERT_EQ(t.fields()[1].type, 'F');
    QVariantList logic, nums;
    for (t.first(); !t.eof(); t.next()) {
        logic << t.value("van");
        nums << t.value("arany");
    }
    ASSERT_EQ(logic.size(), 5);
    EXPECT_EQ(logic[0], QVariant(true));
    EXPECT_EQ(logic[1], QVariant(false));
    EXPECT_TRUE(logic[2].isNull());
    EXPECT_EQ(logic[3], QVariant(true));
    EXPECT_EQ(logic[4], QVariant(false));
    EXPECT_DOUBLE_EQ(nums[0].toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(nums[1].toDouble(), -2.25);
    EXPECT_TRUE(nums[2].isNull());
    EXPECT_DOUBLE_EQ(nums[4].toDouble(), 12.0);
}

TEST(TableValues, FieldsByNameInAnyCaseAndUnknownFieldsAreErrors) {
    TempDir dir;
    const QString path = dir.file("t.dbf");
    makeSheetTable(path, {{"2024.01", "00001", "A", "Béla"}});
    Table t;
    t.open(path);
    EXPECT_EQ(t.text("NEV"), QStringLiteral("Béla"));
    EXPECT_EQ(t.text("nev"), QStringLiteral("Béla"));
    EXPECT_EQ(t.text("Nev"), QStringLiteral("Béla"));
    EXPECT_EQ(t.fieldIndex("IdoSzak"), 0);
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.value("nincs"); }));
    t.edit();
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.setValue("nincs", 1); }));
    t.cancel();
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.setValue("nev", "x"); })); // not editing
}

// --- navigation ---------------------------------------------------------------

TEST(TableNavigation, BofEofFollowTheDesktopConvention) {
    TempDir dir;
    const QString path = dir.file("nav.dbf");
    makeSheetTable(path, {{"1", "1"}, {"2", "2"}, {"3", "3"}});
    Table t;
    t.open(path);
    // open lands on the first record
    EXPECT_EQ(t.recno(), 1u);
    EXPECT_FALSE(t.eof());
    t.first();
    EXPECT_TRUE(t.bof());
    EXPECT_FALSE(t.eof());
    t.next();
    EXPECT_FALSE(t.bof());
    EXPECT_EQ(t.recno(), 2u);
    t.next();
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_FALSE(t.eof());
    t.next(); // past the last: eof, still on the last record
    EXPECT_TRUE(t.eof());
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_EQ(t.text("sorsz"), "3");
    t.prior();
    EXPECT_FALSE(t.eof());
    EXPECT_EQ(t.recno(), 2u);
    t.last();
    EXPECT_TRUE(t.eof());
    EXPECT_FALSE(t.bof());
    EXPECT_EQ(t.recno(), 3u);
    t.first();
    t.prior(); // before the first: bof, still on the first
    EXPECT_TRUE(t.bof());
    EXPECT_EQ(t.recno(), 1u);
    EXPECT_EQ(walk(t, "sorsz"), QStringList({"1", "2", "3"}));
    EXPECT_EQ(walkBack(t, "sorsz"), QStringList({"3", "2", "1"}));
    t.go(2);
    EXPECT_EQ(t.text("sorsz"), "2");
    EXPECT_FALSE(t.bof() || t.eof());
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.go(4); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.go(0); }));
}

TEST(TableNavigation, AnEmptyTableIsBothBofAndEof) {
    TempDir dir;
    const QString path = dir.file("ures.dbf");
    Table::create(path, sheetFields());
    Table t;
    t.open(path);
    EXPECT_TRUE(t.bof());
    EXPECT_TRUE(t.eof());
    EXPECT_TRUE(t.isEmpty());
    EXPECT_EQ(t.recordCount(), 0u);
    t.next();
    t.prior();
    t.last();
    EXPECT_TRUE(t.bof() && t.eof());
    EXPECT_EQ(t.text("nev"), "");
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.edit(); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.remove(); }));
    EXPECT_FALSE(t.locate("nev", QStringLiteral("x")));
}

TEST(TableNavigation, DeletedRecordsAreSkippedEverywhere) {
    TempDir dir;
    const QString path = dir.file("torolt.dbf");
    makeSheetTable(path, {{"1", "1", "", "Anna"},
                          {"2", "2", "", "Béla"},
                          {"3", "3", "", "Cecil"},
                          {"4", "4", "", "Dóra"},
                          {"5", "5", "", "Ede"}});
    Table t;
    t.open(path);
    for (const char* gone : {"Anna", "Cecil", "Ede"}) {
        ASSERT_TRUE(t.locate("nev", QString::fromUtf8(gone)));
        t.remove();
    }
    EXPECT_EQ(walk(t, "nev"), QStringList({QStringLiteral("Béla"), QStringLiteral("Dóra")}));
    EXPECT_EQ(walkBack(t, "nev"), QStringList({QStringLiteral("Dóra"), QStringLiteral("Béla")}));
    EXPECT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(t.fileRecordCount(), 5u);
    EXPECT_FALSE(t.locate("nev", QStringLiteral("Cecil")));
    EXPECT_FALSE(t.locatePrefix("nev", QStringLiteral("ed")));
    t.first();
    EXPECT_EQ(t.recno(), 2u);
    t.last();
    EXPECT_EQ(t.recno(), 4u);
    // go() still reaches a deleted record, and says so
    t.go(3);
    EXPECT_TRUE(t.isDeleted());
    t.next();
    EXPECT_EQ(t.text("nev"), QStringLiteral("Dóra"));
    // deleted stays deleted after reopening
    t.close();
    t.open(path);
    EXPECT_EQ(t.recordCount(), 2u);
    EXPECT_EQ(walk(t, "nev").size(), 2);
    // deleting the last visible records leaves an empty-looking table
    t.first();
    t.remove();
    t.remove();
    EXPECT_TRUE(t.bof() && t.eof());
    EXPECT_TRUE(t.isEmpty());
}

// --- editing --------------------------------------------------------------------

TEST(TableEditing, EditPostCancelAndAppendCancel) {
    TempDir dir;
    const QString path = dir.file("szerk.dbf");
    makeSheetTable(path, {{"2024.01", "1", "", "Anna"}, {"2024.01", "2", "", "Béla"}});
    Table t;
    t.open(path);
    EXPECT_EQ(t.state(), Table::State::Browse);
    t.go(2);
    t.edit();
    EXPECT_EQ(t.state(), Table::State::Edit);
    t.setValue("nev", QStringLiteral("Bálint"));
    EXPECT_EQ(t.text("nev"), QStringLiteral("Bálint")); // the edit buffer
    const QByteArray before = readAll(path);
    t.cancel();
    EXPECT_EQ(t.text("nev"), QStringLiteral("Béla"));
    EXPECT_EQ(readAll(path), before);

    t.edit();
    t.setValue("NEV", QStringLiteral("Bálint"));
    t.post();
    EXPECT_EQ(t.state(), Table::State::Browse);
    EXPECT_EQ(t.recno(), 2u);
    EXPECT_TRUE(readAll(path).contains(cp852(QStringLiteral("Bálint"))));

    t.first();
    t.append();
    EXPECT_EQ(t.state(), Table::State::Insert);
    t.setValue("nev", QStringLiteral("Senki"));
    t.cancel();
    EXPECT_EQ(t.recno(), 1u);
    EXPECT_EQ(t.fileRecordCount(), 2u);
    EXPECT_EQ(readAll(path).size(), before.size());

    // navigation is refused while editing
    t.edit();
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.next(); }));
    t.cancel();

    t.append();
    t.setValue("nev", QStringLiteral("Cili"));
    t.post();
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_EQ(t.text("nev"), QStringLiteral("Cili"));
    t.close();
    t.open(path);
    EXPECT_EQ(walk(t, "nev"), QStringList({QStringLiteral("Anna"), QStringLiteral("Bálint"),
                                           QStringLiteral("Cili")}));
}

TEST(TableEditing, AppendRowsTakesValuesByColumnPosition) {
    TempDir dir;
    const QString path = dir.file("sorok.dbf");
    Table::create(path, layoutFields());
    Table t;
    t.open(path);
    t.appendRows({{QStringLiteral("Egy"), 1.5, qlonglong(2), QStringLiteral("2024-05-01")},
                  {QVariant(), QVariant(), QVariant(), QVariant()},
                  {QStringLiteral("Há")}});
    EXPECT_EQ(t.fileRecordCount(), 3u);
    t.first();
    EXPECT_EQ(t.text("nev"), "Egy");
    EXPECT_EQ(t.text("osszeg"), "1.50");
    EXPECT_EQ(t.text("db"), "2");
    EXPECT_EQ(t.date("datum"), QDate(2024, 5, 1));
    t.next();
    EXPECT_TRUE(t.isBlank("nev") && t.isBlank("osszeg") && t.isBlank("db") && t.isBlank("datum"));
    t.next();
    EXPECT_EQ(t.text("nev"), QStringLiteral("Há"));
    EXPECT_TRUE(t.isBlank("datum"));
    EXPECT_TRUE(throwsKind(Kind::Encoding, [&] { t.appendRows({{QStringLiteral("€")}}); }));
}

TEST(TableEditing, ReadOnlyTablesRefuseChanges) {
    TempDir dir;
    const QString path = dir.file("ro.dbf");
    makeSheetTable(path, {{"2024.01", "1"}});
    const QByteArray before = readAll(path);
    Table t;
    t.open(path, Table::Mode::ReadOnly);
    EXPECT_TRUE(t.readOnly());
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.edit(); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.append(); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.remove(); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.pack(); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.addTag("x", "sorsz"); }));
    t.close();
    EXPECT_EQ(readAll(path), before);
}

// --- locate -----------------------------------------------------------------------

TEST(TableLocate, ExactAndCaseSensitiveOverSeveralFields) {
    TempDir dir;
    const QString path = dir.file("keres.dbf");
    makeSheetTable(path, {{"2024.01", "00007", "A", "kovács"},
                          {"2024.01", "00007", "B", "KOVÁCS"},
                          {"2024.02", "00007", "", "Kovács"},
                          {"2024.02", "00008", "", "Kovácsné"},
                          {"2024.02", "00007", "", "Kovács"}});
    Table t;
    t.open(path);
    EXPECT_TRUE(t.locate("nev", QStringLiteral("Kovács")));
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_TRUE(t.locate("nev", QStringLiteral("KOVÁCS")));
    EXPECT_EQ(t.recno(), 2u);
    EXPECT_FALSE(t.locate("nev", QStringLiteral("KOVACS")));
    EXPECT_FALSE(t.locate("nev", QStringLiteral("Kovác"))); // not a prefix search
    EXPECT_TRUE(t.locate("Idoszak;SORSZ;resz", {"2024.01", "00007", "B"}));
    EXPECT_EQ(t.recno(), 2u);
    EXPECT_TRUE(t.locate("idoszak;sorsz;resz", {"2024.02", "00007", ""}));
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_TRUE(t.locate("idoszak;sorsz;resz", {"2024.02", "00007", QVariant()}));
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_FALSE(t.locate("idoszak;sorsz;resz", {"2024.02", "00008", "A"}));
    EXPECT_FALSE(t.locate("idoszak;sorsz", {"2024.02", "7"}));
    // a failed locate leaves the position alone
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.locate("nincs", QStringLiteral("x")); }));
}

TEST(TableLocate, DatesAndNumbers) {
    TempDir dir;
    const QString path = dir.file("keres2.dbf");
    makeSheetTable(path, {{"1", "1", "", "a", QDate(2024, 5, 1), 12},
                          {"2", "2", "", "b", QDate(), QVariant()},
                          {"3", "3", "", "c", QDate(2024, 5, 2), 3}});
    Table t;
    t.open(path);
    EXPECT_TRUE(t.locate("elb", QDate(2024, 5, 2)));
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_TRUE(t.locate("elb", QStringLiteral("2024.05.01")));
    EXPECT_EQ(t.recno(), 1u);
    EXPECT_TRUE(t.locate("elb", QDate()));
    EXPECT_EQ(t.recno(), 2u);
    EXPECT_TRUE(t.locate("apnap", 3));
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_TRUE(t.locate("apnap", QStringLiteral("12")));
    EXPECT_EQ(t.recno(), 1u);
    EXPECT_TRUE(t.locate("apnap", QVariant()));
    EXPECT_EQ(t.recno(), 2u);
    EXPECT_FALSE(t.locate("apnap", 4));
}

TEST(TableLocate, PrefixIgnoresCase) {
    TempDir dir;
    const QString path = dir.file("elotag.dbf");
    makeSheetTable(path, {{"1", "1", "", "Szabó Péter"},
                          {"2", "2", "", "ÖRDÖG ÉVA"},
                          {"3", "3", "", "szalai anna"},
                          {"4", "4", "", "Örkény"}});
    Table t;
    t.open(path);
    EXPECT_TRUE(t.locatePrefix("nev", QStringLiteral("sza")));
    EXPECT_EQ(t.recno(), 1u);
    EXPECT_TRUE(t.locatePrefix("NEV", QStringLiteral("SZAL")));
    EXPECT_EQ(t.recno(), 3u);
    EXPECT_TRUE(t.locatePrefix("nev", QStringLiteral("örk")));
    EXPECT_EQ(t.recno(), 4u);
    EXPECT_TRUE(t.locatePrefix("nev", QStringLiteral("ördög é")));
    EXPECT_EQ(t.recno(), 2u);
    EXPECT_FALSE(t.locatePrefix("nev", QStringLiteral("ordog"))); // accents count
    EXPECT_FALSE(t.locatePrefix("nev", QStringLiteral("Szabó Péter és")));
}

// --- real files other programs wrote ------------------------------------------------

namespace {

QJsonObject expected(const QString& name) {
    return QJsonDocument::fromJson(readAll(testData("dbf-real/" + name + ".expected.json")))
        .object();
}

// A copy of a real file in a temporary folder (opening is exclusive and may
// write the index beside it).
QString copyOf(const TempDir& dir, const QString& name) {
    const QString to = dir.file(name);
    QFile::copy(testData("dbf-real/" + name), to);
    QFile(to).setPermissions(QFile::ReadOwner | QFile::WriteOwner);
    return to;
}

} // namespace

TEST(TableRealFiles, RecordsMatchWhatOtherReadersSee) {
    TempDir dir;
    for (const QString& name :
         {QStringLiteral("dbfread-people.dbf"), QStringLiteral("harbour-test.dbf"),
          QStringLiteral("dbfdatareader-dbase_03.dbf")}) {
        SCOPED_TRACE(name.toStdString());
        const QJsonObject exp = expected(name);
        const QString path = copyOf(dir, name);
        const QByteArray before = readAll(path);
        Table t;
        t.open(path);
        EXPECT_FALSE(t.readOnly());
        const QJsonArray fields = exp["fields"].toArray();
        ASSERT_EQ(int(t.fields().size()), fields.size());
        for (int i = 0; i < fields.size(); ++i) {
            const QJsonObject f = fields[i].toObject();
            EXPECT_EQ(t.fields()[size_t(i)].name, f["name"].toString());
            EXPECT_EQ(t.fields()[size_t(i)].width, f["length"].toInt());
        }
        const QJsonArray recs = exp["records"].toArray();
        EXPECT_EQ(int(t.fileRecordCount()), recs.size());
        int live = 0;
        for (const auto& r : recs)
            live += r.toObject()["deleted"].toBool() ? 0 : 1;
        EXPECT_EQ(int(t.recordCount()), live);
        int k = 0;
        for (t.first(); !t.eof(); t.next()) {
            while (recs[k].toObject()["deleted"].toBool())
                ++k;
            const QJsonArray vals = recs[k].toObject()["values"].toArray();
            EXPECT_EQ(t.recno(), std::uint32_t(k + 1));
            for (int i = 0; i < vals.size(); ++i) {
                const auto& f = t.fields()[size_t(i)];
                const QString want = vals[i].toString();
                const QVariant v = t.value(i);
                switch (f.type) {
                case 'C':
                    EXPECT_EQ(v.toString(), want) << f.name.toStdString();
                    break;
                case 'D':
                    EXPECT_EQ(v.toDate(), QDate::fromString(want, "yyyyMMdd"))
                        << f.name.toStdString();
                    break;
                case 'N':
                    if (want.isEmpty()) {
                        EXPECT_TRUE(v.isNull()) << f.name.toStdString();
                    } else {
                        EXPECT_DOUBLE_EQ(v.toDouble(), want.toDouble()) << f.name.toStdString();
                    }
                    break;
                case 'L':
                    EXPECT_EQ(v.toBool(), want == "T" || want == "Y") << f.name.toStdString();
                    break;
                }
            }
            ++k;
        }
        t.close();
        EXPECT_EQ(readAll(path), before); // reading changes nothing
    }
}

TEST(TableRealFiles, EverySoundDbase3FileOpens) {
    // What other writers leave after their records (an end byte or none)
    // is not taken for uncounted records.
    TempDir dir;
    int opened = 0;
    for (const QString& name :
         QDir(testData("dbf-real")).entryList({"*.dbf", "*.DBF"}, QDir::Files, QDir::Name)) {
        SCOPED_TRACE(name.toStdString());
        const QJsonObject exp = expected(name);
        bool zeroWidth = false;
        for (const auto& f : exp["fields"].toArray())
            zeroWidth |= f.toObject()["length"].toInt() == 0;
        const int version = exp["version_byte"].toInt();
        if (exp["invalid"].toBool() || zeroWidth || (version != 0x03 && version != 0x83)) continue;
        Table t;
        EXPECT_NO_THROW(t.open(copyOf(dir, name)));
        EXPECT_EQ(int(t.fileRecordCount()), exp["records"].toArray().size());
        opened += t.isOpen() ? 1 : 0;
    }
    EXPECT_GE(opened, 20);
}

TEST(TableRealFiles, AnotherWritersFileTakesAppendsAndTags) {
    TempDir dir;
    const QString path = copyOf(dir, "harbour-test.dbf");
    FixedClock clock(QDate(2024, 6, 1));
    Table t;
    t.open(path);
    t.addTag("nev", "last+first");
    t.setActiveTag("NEV");
    t.append();
    t.setValue("first", QStringLiteral("Ödön"));
    t.setValue("last", QStringLiteral("Aaron"));
    t.setValue("hiredate", QDate(2024, 1, 2));
    t.setValue("age", 33);
    t.post();
    t.close();
    const QByteArray b = readAll(path);
    EXPECT_EQ(le32(b, 4), 501u);
    EXPECT_EQ(b.size(), 386 + 501 * 200 + 1);
    EXPECT_EQ(quint8(b[b.size() - 1]), 0x1A);
    EXPECT_EQ(quint8(b[1]), 24);
    t.open(path);
    EXPECT_EQ(t.activeTag(), "nev");
    t.first();
    EXPECT_EQ(t.text("last"), "Aaron");
    EXPECT_EQ(t.text("first"), QStringLiteral("Ödön"));
    EXPECT_EQ(t.value("married"), QVariant()); // a new record's L field is blank
}

TEST(TableRealFiles, AFileWithTheMemoFlagOpensReadOnly) {
    TempDir dir;
    const QString path = copyOf(dir, "phpxbase-dBaseIII.dbf");
    const QByteArray before = readAll(path);
    Table t;
    t.open(path);
    EXPECT_TRUE(t.readOnly());
    EXPECT_EQ(t.header().version, 0x83);
    EXPECT_EQ(t.text("name"), "Groot");
    EXPECT_EQ(t.date("birthday"), QDate(1960, 11, 1));
    EXPECT_EQ(t.value("is_man"), QVariant(false));
    EXPECT_DOUBLE_EQ(t.number("money"), 12.1235);
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.edit(); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.append(); }));
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.remove(); }));
    t.close();
    EXPECT_EQ(readAll(path), before);
}

TEST(TableRealFiles, ForeignVersionsAreRefusedAsNotDbase3) {
    TempDir dir;
    const QString path = copyOf(dir, "infused-dbase_8b.dbf");
    Table t;
    const auto e = dbError([&] { t.open(path); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), Kind::Damaged);
    EXPECT_EQ(e->file(), path);
    EXPECT_FALSE(t.isOpen());
}
