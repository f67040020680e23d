// SQL over the table objects: how values look, NULL and blanks both ways,
// what a query sees of records posted a moment ago, tables named by path,
// rows appended from a query, errors, the program's own queries, and the
// tag seeks giving the same rows as a full scan.

#include "engine/database.h"
#include "enginetest.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>
#include <random>

using engine::Database;
using engine::fieldDef;
using engine::Query;
using engine::Table;
using namespace enginetest;
using testsupport::readAll;
using testsupport::TempDir;
using Kind = engine::DbError::Kind;

namespace {

std::vector<engine::FieldDef> lapFields() {
    return {
        fieldDef("IDOSZAK", 'C', 7),  fieldDef("FINKOD", 'C', 9),   fieldDef("SORSZ", 'C', 5),
        fieldDef("RESZ", 'C', 1),     fieldDef("TAJ", 'C', 9),      fieldDef("NEME", 'C', 1),
        fieldDef("SZULI", 'D'),       fieldDef("APNAP", 'N', 3),    fieldDef("OSSZEG", 'N', 8, 2),
        fieldDef("ELKULDVE", 'C', 7), fieldDef("MODTIPUS", 'C', 1), fieldDef("NEV", 'C', 20)};
}

std::vector<engine::FieldDef> lapbFields() {
    return {fieldDef("IDOSZAK", 'C', 7), fieldDef("SORSZ", 'C', 5),   fieldDef("RESZ", 'C', 1),
            fieldDef("ELLTIP", 'N', 2),  fieldDef("VIZITDB", 'N', 2), fieldDef("APDATUM", 'D')};
}

// Appends one record with values by field name.
void add(Table& t, const QVariantMap& values) {
    t.append();
    for (auto it = values.begin(); it != values.end(); ++it)
        t.setValue(it.key(), it.value());
    t.post();
}

// The rows of a result as texts, in their order.
QStringList rowList(const Query& q) {
    QStringList out;
    for (const QVariantList& row : q.rows()) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << (v.isNull() ? QStringLiteral("<null>") : v.toString());
        out << cells.join('|');
    }
    return out;
}

// The rows sorted, for comparing results as sets.
QStringList rowTexts(const Query& q) {
    QStringList out = rowList(q);
    out.sort();
    return out;
}

// Sheet and visit tables in one database.
struct Db {
    TempDir dir;
    Database db{dir.path()};
    Table lap{"lap", &db};
    Table lapb{"lapb", &db};
    Db() {
        Table::create(dir.file("LAP.DBF"), lapFields());
        Table::create(dir.file("LAPB.DBF"), lapbFields());
        lap.open(db.filePath("lap.dbf"));
        lapb.open(db.filePath("lapb.dbf"));
    }
};

} // namespace

// --- values ---------------------------------------------------------------------

TEST(SqlValues, BlankIsNullDatesAreIsoNumbersAreTyped) {
    Db d;
    add(d.lap, {{"idoszak", "2024.05"},
                {"sorsz", "00001"},
                {"szuli", QDate(1950, 3, 4)},
                {"apnap", 12},
                {"osszeg", "1234.5"},
                {"nev", QStringLiteral("Őri Ábel")}});
    add(d.lap, {{"idoszak", "2024.05"}, {"sorsz", "00002"}});
    const Query q =
        d.db.query("select idoszak, resz, szuli, apnap, osszeg, nev, typeof(apnap), typeof(osszeg) "
                   "from lap order by sorsz");
    ASSERT_EQ(q.rowCount(), 2);
    EXPECT_EQ(q.columns(), QStringList({"idoszak", "resz", "szuli", "apnap", "osszeg", "nev",
                                        "typeof(apnap)", "typeof(osszeg)"}));
    EXPECT_EQ(q.value(0, 0), QVariant("2024.05"));
    EXPECT_TRUE(q.value(0, 1).isNull()); // blank C
    EXPECT_EQ(q.value(0, 2), QVariant("1950-03-04"));
    EXPECT_EQ(q.value(0, 3), QVariant(qlonglong(12)));
    EXPECT_EQ(q.value(0, 4), QVariant(1234.5));
    EXPECT_EQ(q.value(0, "NEV"), QVariant(QStringLiteral("Őri Ábel")));
    EXPECT_EQ(q.value(0, 6), QVariant("integer"));
    EXPECT_EQ(q.value(0, 7), QVariant("real"));
    for (int c = 1; c <= 5; ++c)
        EXPECT_TRUE(q.value(1, c).isNull()) << c; // blank C, D, N, N, C
    EXPECT_EQ(
        d.db.query("select count(*) from lap where resz is null and szuli is null").value(0, 0),
        QVariant(qlonglong(1)));
    // text with accents is found by a bound value
    const Query k = d.db.query("select sorsz from lap where nev=?", {QStringLiteral("Őri Ábel")});
    ASSERT_EQ(k.rowCount(), 1);
    EXPECT_EQ(k.value(0, 0), QVariant("00001"));
    // dates bound as QDate compare with the ISO text
    EXPECT_EQ(d.db.query("select count(*) from lap where szuli=?", {QDate(1950, 3, 4)}).value(0, 0),
              QVariant(qlonglong(1)));
}

TEST(SqlValues, NullWritesBlanksAndValuesAreWrittenLikeTheTableWritesThem) {
    Db d;
    add(d.lap, {{"sorsz", "00001"},
                {"szuli", QDate(1950, 3, 4)},
                {"apnap", 12},
                {"osszeg", 5},
                {"elkuldve", "2024.05"}});
    EXPECT_EQ(d.db.exec("update lap set elkuldve=?, apnap=null, szuli=?, osszeg=? where sorsz=?",
                        {QVariant(), QVariant(), QVariant(), "00001"}),
              1);
    const auto& f = d.lap.fields();
    for (const char* name : {"ELKULDVE", "APNAP", "SZULI", "OSSZEG"}) {
        const auto& fd = f[size_t(d.lap.fieldIndex(name))];
        EXPECT_EQ(d.lap.record(1).stored(d.lap.fieldIndex(name)).toByteArray(),
                  QByteArray(fd.width, ' '))
            << name;
    }
    d.lap.refresh();
    EXPECT_TRUE(d.lap.isBlank("elkuldve"));
    EXPECT_TRUE(d.lap.value("apnap").isNull());

    d.db.exec("update lap set osszeg=?, szuli=?, apnap=?, nev=? where sorsz='00001'",
              {3.455, "1960-01-02", "7", QStringLiteral("Éva")});
    auto bytes = [&](const char* name) {
        return d.lap.record(1).stored(d.lap.fieldIndex(name)).toByteArray();
    };
    EXPECT_EQ(bytes("OSSZEG"), "    3.46");
    EXPECT_EQ(bytes("SZULI"), "19600102");
    EXPECT_EQ(bytes("APNAP"), "  7");
    EXPECT_EQ(d.lap.text("nev"), QStringLiteral("Éva"));
    // a value the field cannot hold fails the statement
    const auto e = dbError([&] { d.db.exec("update lap set apnap=1000"); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), Kind::Query);
    const auto e2 = dbError([&] { d.db.exec("update lap set nev=?", {QStringLiteral("€")}); });
    ASSERT_TRUE(e2);
    EXPECT_EQ(e2->kind(), Kind::Query);
    EXPECT_TRUE(e2->text().contains("NEV")) << e2->what();
    EXPECT_EQ(bytes("APNAP"), "  7");
}

TEST(SqlValues, TheProgramsFinkodUpdate) {
    Db d;
    add(d.lap, {{"idoszak", "2024.01"}, {"sorsz", "1"}});
    add(d.lap, {{"idoszak", "2024.02"}, {"sorsz", "2"}, {"finkod", "111111111"}});
    add(d.lap, {{"idoszak", "2024.03"}, {"sorsz", "3"}});
    add(d.lap, {{"idoszak", "2023.12"}, {"sorsz", "4"}});
    const int n = d.db.exec("update lap set finkod=? where finkod is null and idoszak>=?",
                            {"222222222", "2024.01"});
    EXPECT_EQ(n, 2);
    QStringList fin;
    for (d.lap.first(); !d.lap.eof(); d.lap.next())
        fin << d.lap.text("finkod");
    EXPECT_EQ(fin, QStringList({"222222222", "111111111", "222222222", ""}));
}

// --- what queries see -------------------------------------------------------------

TEST(SqlVisibility, QueriesSeeExactlyWhatTheTableObjectsHold) {
    Db d;
    d.lapb.addTag("lapb2", "idoszak+sorsz+resz");
    auto count = [&](const char* where = "1") {
        return d.db.query(QStringLiteral("select count(*) from lapb where %1").arg(where))
            .value(0, 0)
            .toInt();
    };
    EXPECT_EQ(count(), 0);
    add(d.lapb, {{"idoszak", "2024.05"}, {"sorsz", "00001"}, {"vizitdb", 3}});
    EXPECT_EQ(count(), 1); // posted a moment ago
    add(d.lapb, {{"idoszak", "2024.05"}, {"sorsz", "00002"}, {"vizitdb", 4}});
    EXPECT_EQ(count("idoszak='2024.05'"), 2);
    EXPECT_EQ(d.db.query("select sum(vizitdb) from lapb").value(0, 0), QVariant(qlonglong(7)));

    // an edit counts once posted, not before
    d.lapb.first();
    d.lapb.edit();
    d.lapb.setValue("vizitdb", 10);
    EXPECT_EQ(d.db.query("select sum(vizitdb) from lapb").value(0, 0), QVariant(qlonglong(7)));
    d.lapb.post();
    EXPECT_EQ(d.db.query("select sum(vizitdb) from lapb").value(0, 0), QVariant(qlonglong(14)));
    d.lapb.edit();
    d.lapb.setValue("idoszak", "2024.06");
    d.lapb.post();
    EXPECT_EQ(count("idoszak='2024.05'"), 1);
    EXPECT_EQ(count("idoszak='2024.06'"), 1);

    // a deleted record is gone at once
    d.lapb.remove();
    EXPECT_EQ(count(), 1);
    EXPECT_EQ(count("idoszak='2024.06'"), 0);

    // changes made through SQL are seen by the table object and its tags
    EXPECT_EQ(d.db.exec("insert into lapb (idoszak, sorsz, resz, vizitdb) values (?,?,?,?)",
                        {"2024.04", "00009", "A", 2}),
              1);
    EXPECT_EQ(d.lapb.fileRecordCount(), 3u);
    d.lapb.setActiveTag("lapb2");
    EXPECT_EQ(walk(d.lapb, "sorsz"), QStringList({"00009", "00002"}));
    EXPECT_EQ(d.db.exec("update lapb set idoszak='2024.07' where sorsz=?", {"00009"}), 1);
    EXPECT_EQ(walk(d.lapb, "sorsz"), QStringList({"00002", "00009"}));
    EXPECT_TRUE(d.lapb.locate("idoszak;sorsz", {"2024.07", "00009"}));
    EXPECT_EQ(d.db.exec("delete from lapb where sorsz=?", {"00002"}), 1);
    EXPECT_EQ(walk(d.lapb, "sorsz"), QStringList({"00009"}));
    EXPECT_EQ(d.lapb.recordCount(), 1u);
    EXPECT_EQ(d.lapb.fileRecordCount(), 3u);

    // a table closed is no longer there; one without a name never was
    d.lapb.close();
    EXPECT_TRUE(throwsKind(Kind::Query, [&] { d.db.query("select * from lapb"); }));
    Table anon(QString(), &d.db);
    anon.open(d.db.filePath("lapb.dbf"));
    EXPECT_TRUE(throwsKind(Kind::Query, [&] { d.db.query("select * from lapb"); }));
    anon.close();
    d.lapb.open(d.db.filePath("lapb.dbf"));
    EXPECT_EQ(count(), 1);

    // a second table object under a name in use is refused and holds nothing
    Table::create(d.dir.file("masik.dbf"), lapbFields());
    Table twin("LAPB", &d.db);
    EXPECT_TRUE(throwsKind(Kind::Query, [&] { twin.open(d.dir.file("masik.dbf")); }));
    EXPECT_FALSE(twin.isOpen());
    EXPECT_EQ(count(), 1);
    Table free;
    EXPECT_NO_THROW(free.open(d.dir.file("masik.dbf")));
}

TEST(SqlFiles, ATableFileNamedByItsPath) {
    Db d;
    const QString other = d.dir.file("Regi.dbf");
    Table::create(other, lapbFields());
    {
        Table t;
        t.open(other);
        add(t, {{"idoszak", "2023.01"}, {"sorsz", "00001"}, {"vizitdb", 5}});
        add(t, {{"idoszak", "2023.02"}, {"sorsz", "00001"}, {"vizitdb", 6}});
        t.go(2);
        t.remove();
    }
    add(d.lapb, {{"idoszak", "2024.01"}, {"sorsz", "00001"}, {"vizitdb", 1}});

    // a file no table object has open, in another letter case
    const QString upper = d.dir.path() + "/REGI.DBF";
    Query q = d.db.query(QStringLiteral("select sum(vizitdb) from '%1'").arg(upper));
    EXPECT_EQ(q.value(0, 0), QVariant(qlonglong(5)));
    // together with a named table
    q = d.db.query(
        QStringLiteral("select count(*) from lapb a join '%1' b on a.sorsz=b.sorsz").arg(other));
    EXPECT_EQ(q.value(0, 0), QVariant(qlonglong(1)));
    // the file is free again afterwards
    {
        Table t;
        t.open(other);
        EXPECT_EQ(t.recordCount(), 1u);
    }
    // updates through a path write the file
    EXPECT_EQ(d.db.exec(QStringLiteral("update '%1' set vizitdb=? where sorsz=?").arg(other),
                        {9, "00001"}),
              1);
    {
        Table t;
        t.open(other);
        EXPECT_EQ(t.value("vizitdb").toInt(), 9);
    }
    // the path of a file a table object holds means that object, posts included
    add(d.lapb, {{"idoszak", "2024.02"}, {"sorsz", "00002"}, {"vizitdb", 2}});
    q = d.db.query(
        QStringLiteral("select count(*), sum(vizitdb) from '%1'").arg(d.db.filePath("lapb.dbf")));
    EXPECT_EQ(q.value(0, 0), QVariant(qlonglong(2)));
    EXPECT_EQ(q.value(0, 1), QVariant(qlonglong(3)));
    // a file another table object holds exclusively without a name cannot be read
    Table holder;
    holder.open(other);
    EXPECT_TRUE(throwsKind(
        Kind::Query, [&] { d.db.query(QStringLiteral("select count(*) from '%1'").arg(other)); }));
    holder.close();
    // a missing or damaged file is a query error naming the file
    const auto e = dbError(
        [&] { d.db.query(QStringLiteral("select * from '%1'").arg(d.dir.file("nincs.dbf"))); });
    ASSERT_TRUE(e);
    EXPECT_EQ(e->kind(), Kind::Query);
    EXPECT_TRUE(e->text().contains("nincs.dbf")) << e->what();
    testsupport::writeAll(d.dir.file("rossz.dbf"), QByteArray("\x03\x01\x02", 3));
    const auto e2 = dbError(
        [&] { d.db.query(QStringLiteral("select * from '%1'").arg(d.dir.file("rossz.dbf"))); });
    ASSERT_TRUE(e2);
    EXPECT_EQ(e2->kind(), Kind::Query);
    EXPECT_TRUE(e2->text().contains("rossz.dbf")) << e2->what();
}

TEST(SqlRows, QueryRowsAppendToATableByColumnPosition) {
    Db d;
    add(d.lap,
        {{"idoszak", "2024.01"}, {"sorsz", "1"}, {"szuli", QDate(1950, 1, 1)}, {"apnap", 3}});
    add(d.lap,
        {{"idoszak", "2024.01"}, {"sorsz", "2"}, {"szuli", QDate(1940, 5, 6)}, {"apnap", 4}});
    add(d.lap, {{"idoszak", "2024.02"}, {"sorsz", "3"}, {"apnap", 5}});
    const QString path = d.dir.file("osszes.dbf");
    Table::create(path,
                  {fieldDef("IDOSZAK", 'C', 7), fieldDef("DB", 'N', 4),
                   fieldDef("NAPOK", 'N', 6, 1), fieldDef("ELSO", 'D'), fieldDef("MEGJ", 'C', 5)});
    Table out("osszes", &d.db);
    out.open(path);
    out.appendRows(d.db.query("select idoszak, count(sorsz), sum(apnap) * 1.5, min(szuli), null "
                              "from lap group by idoszak order by idoszak")
                       .rows());
    ASSERT_EQ(out.fileRecordCount(), 2u);
    out.first();
    EXPECT_EQ(out.text("idoszak"), "2024.01");
    EXPECT_EQ(out.text("db"), "2");
    EXPECT_EQ(out.text("napok"), "10.5");
    EXPECT_EQ(out.date("elso"), QDate(1940, 5, 6));
    EXPECT_TRUE(out.isBlank("megj"));
    out.next();
    EXPECT_EQ(out.text("db"), "1");
    EXPECT_TRUE(out.isBlank("elso"));
    // and the rows are there for the next query
    EXPECT_EQ(d.db.query("select sum(db) from osszes").value(0, 0), QVariant(qlonglong(3)));
}

TEST(SqlErrors, QueriesThatCannotRunAreQueryErrors) {
    Db d;
    add(d.lap, {{"sorsz", "1"}});
    for (const char* sql : {"selec * from lap", "select * from nincs", "select nincs from lap",
                            "select * from lap where", ""}) {
        SCOPED_TRACE(sql);
        EXPECT_TRUE(throwsKind(Kind::Query, [&] { d.db.query(QString::fromLatin1(sql)); }));
    }
    EXPECT_TRUE(throwsKind(Kind::Query, [&] { d.db.query("select * from lap where sorsz=?"); }));
    EXPECT_TRUE(throwsKind(Kind::Query, [&] {
        d.db.query("select * from lap where sorsz=?", {1, 2});
    }));
    EXPECT_TRUE(throwsKind(Kind::Query, [&] { d.db.exec("update lap set nincs=1"); }));
    // values are bound, never spliced: quotes in them are plain characters
    add(d.lap, {{"nev", "O'Brien"}, {"sorsz", "2"}});
    EXPECT_EQ(d.db.query("select sorsz from lap where nev=?", {"O'Brien"}).value(0, 0),
              QVariant("2"));
    EXPECT_EQ(d.db.query("select count(*) from lap where nev=?", {"x' or '1'='1"}).value(0, 0),
              QVariant(qlonglong(0)));
    // the database goes on working after errors
    EXPECT_EQ(d.db.query("select count(*) from lap").value(0, 0), QVariant(qlonglong(2)));
}

// --- the program's queries -----------------------------------------------------------

TEST(SqlProgram, PeriodCountsDuplicatesAndTheSheetVisitJoin) {
    Db d;
    struct L {
        const char *ido, *sorsz, *resz, *elk;
    } const sheets[] = {{"2024.01", "00001", "", "2024.02"}, {"2024.01", "00001", "A", "YY"},
                        {"2024.01", "00002", "", "2024.02"}, {"2024.02", "00001", "", ""},
                        {"2024.03", "00001", "", "2024.04"}, {"2024.03", "00002", "B", "2024.04"},
                        {"2024.04", "00001", "", "2024.05"}};
    for (const L& s : sheets)
        add(d.lap, {{"idoszak", s.ido}, {"sorsz", s.sorsz}, {"resz", s.resz}, {"elkuldve", s.elk}});
    Query q = d.db.query(
        "select idoszak,count(sorsz) as szam from lap where elkuldve<>'' and elkuldve<>'YY' and "
        "idoszak>=? and idoszak<=? group by idoszak order by idoszak",
        {"2024.01", "2024.03"});
    ASSERT_EQ(q.rowCount(), 2);
    EXPECT_EQ(q.value(0, "idoszak"), QVariant("2024.01"));
    EXPECT_EQ(q.value(0, "szam"), QVariant(qlonglong(2)));
    EXPECT_EQ(q.value(1, "idoszak"), QVariant("2024.03"));
    EXPECT_EQ(q.value(1, "szam"), QVariant(qlonglong(2)));
    // cursor style reading
    q.rewind();
    QStringList seen;
    while (q.next())
        seen << q.value("idoszak").toString();
    EXPECT_EQ(seen, QStringList({"2024.01", "2024.03"}));

    // visits: blank RESZ belongs to the blank part only ("is" matches NULL with NULL)
    struct B {
        const char *ido, *sorsz, *resz;
        int db;
    } const visits[] = {{"2024.01", "00001", "", 1},  {"2024.01", "00001", "", 2},
                        {"2024.01", "00001", "A", 4}, {"2024.01", "00002", "", 8},
                        {"2024.02", "00001", "", 16}, {"2024.03", "00002", "B", 32},
                        {"2024.03", "00002", "", 64}, {"2024.05", "00001", "", 50}};
    for (const B& v : visits)
        add(d.lapb, {{"idoszak", v.ido}, {"sorsz", v.sorsz}, {"resz", v.resz}, {"vizitdb", v.db}});
    const QString join =
        "select a.idoszak, a.sorsz, a.resz, count(*) as n, sum(b.vizitdb) as vizit from lap a "
        "join lapb b on a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak "
        "where a.idoszak between ? and ? group by a.idoszak, a.sorsz, a.resz";
    const QStringList want = {"2024.01|00001|<null>|2|3", "2024.01|00001|A|1|4",
                              "2024.01|00002|<null>|1|8", "2024.02|00001|<null>|1|16",
                              "2024.03|00002|B|1|32"};
    EXPECT_EQ(rowTexts(d.db.query(join, {"2024.01", "2024.04"})), want);
    // the same with the program's tags in place
    d.lap.addTag("Lap1", "Sorsz+Resz");
    d.lap.addTag("Lap3", "Idoszak+Sorsz+Resz");
    d.lapb.addTag("Lapb1", "Sorsz+Resz");
    d.lapb.addTag("Lapb2", "Idoszak+Sorsz+Resz");
    EXPECT_EQ(rowTexts(d.db.query(join, {"2024.01", "2024.04"})), want);
}

TEST(SqlProgram, DuplicatePatients) {
    TempDir dir;
    Database db(dir.path());
    Table::create(dir.file("beteg.dbf"), {fieldDef("TAJ", 'C', 9), fieldDef("NEME", 'C', 1),
                                          fieldDef("SZULI", 'D'), fieldDef("NEV", 'C', 30)});
    Table beteg("beteg", &db);
    beteg.open(db.filePath("BETEG.DBF"));
    struct P {
        const char* taj;
        const char* neme;
        QDate szuli;
    } const people[] = {{"111111111", "1", QDate(1940, 1, 1)},
                        {"111111111", "1", QDate(1940, 1, 1)},
                        {"111111111", "2", QDate(1940, 1, 1)},
                        {"222222222", "2", QDate()},
                        {"222222222", "2", QDate()},
                        {"222222222", "2", QDate()},
                        {"333333333", "1", QDate(1950, 2, 2)},
                        {"", "", QDate()},
                        {"", "", QDate()}};
    for (const P& p : people)
        add(beteg, {{"taj", p.taj}, {"neme", p.neme}, {"szuli", p.szuli}});
    const Query q = db.query("select taj,neme,szuli,count(taj) as szam from beteg group by "
                             "taj,neme,szuli having count(taj)>1");
    // count(taj) leaves out the blank TAJ (NULL)
    EXPECT_EQ(rowTexts(q), QStringList({"111111111|1|1940-01-01|2", "222222222|2|<null>|3"}));
}

// --- tag seeks against full scans ---------------------------------------------------------

namespace {

// The same records in three places: table files with the program's tags,
// copies of the files without an index, and native SQLite tables.
class SeekTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir = new TempDir;
        std::mt19937 rng(2024);
        Table::create(dir->file("lap.dbf"), lapFields());
        Table::create(dir->file("lapb.dbf"), lapbFields());
        Table lap, lapb;
        lap.open(dir->file("lap.dbf"));
        lapb.open(dir->file("lapb.dbf"));
        const char* const names[] = {"Kovács", "KOVÁCS", "kovács", "Kiss", "Ábel",  "Abonyi",
                                     "Zsolt",  "",       "Őz",     "Öreg", "1. sz", "kiss"};
        const char* const resz[] = {"", "", "A", "a", "B"};
        for (int i = 0; i < 1500; ++i) {
            const int month = int(rng() % 25); // 24 periods, and blank
            const QString ido = month == 24 ? QString()
                                            : QStringLiteral("%1.%2")
                                                  .arg(2023 + month / 12)
                                                  .arg(month % 12 + 1, 2, 10, QLatin1Char('0'));
            const QString sorsz =
                QStringLiteral("%1").arg(1 + int(rng() % 400), 5, 10, QLatin1Char('0'));
            const QString r = QString::fromLatin1(resz[rng() % 5]);
            lap.append();
            lap.setValue("idoszak", ido);
            lap.setValue("sorsz", sorsz);
            lap.setValue("resz", r);
            lap.setValue("nev", QString::fromUtf8(names[rng() % std::size(names)]));
            lap.setValue("apnap", rng() % 5 == 0 ? QVariant() : QVariant(int(rng() % 40)));
            lap.post();
            const int visits = int(rng() % 4);
            for (int v = 0; v < visits; ++v) {
                lapb.append();
                lapb.setValue("idoszak", ido);
                lapb.setValue("sorsz", sorsz);
                // now and then a visit whose part differs from its sheet's
                lapb.setValue("resz", rng() % 10 == 0 ? QString::fromLatin1(resz[rng() % 5]) : r);
                lapb.setValue("elltip", int(rng() % 12));
                lapb.setValue("vizitdb", int(1 + rng() % 9));
                lapb.setValue("apdatum",
                              rng() % 6 == 0 ? QDate() : QDate(2023, 1, 1).addDays(rng() % 730));
                lapb.post();
            }
        }
        // some deleted records, which neither way may return
        for (std::uint32_t r = 7; r <= lap.fileRecordCount(); r += 97) {
            lap.go(r);
            lap.remove();
        }
        for (std::uint32_t r = 5; r <= lapb.fileRecordCount(); r += 89) {
            lapb.go(r);
            lapb.remove();
        }
        lap.close();
        lapb.close();
        QDir(dir->path()).mkdir("plain");
        QFile::copy(dir->file("lap.dbf"), dir->file("plain/lap.dbf"));
        QFile::copy(dir->file("lapb.dbf"), dir->file("plain/lapb.dbf"));

        lap.open(dir->file("lap.dbf"));
        lap.addTag("Lap1", "Sorsz+Resz");
        lap.addTag("Lap3", "Idoszak+Sorsz+Resz");
        lap.addTag("nev", "nev");
        lapb.open(dir->file("lapb.dbf"));
        lapb.addTag("Lapb1", "Sorsz+Resz");
        lapb.addTag("Lapb2", "Idoszak+Sorsz+Resz");
        lapb.addTag("datum", "dtos(apdatum)");
        lapb.addTag("datumc", "dtoc(apdatum)+sorsz");
    }
    static void TearDownTestSuite() {
        delete dir;
        dir = nullptr;
    }
    void SetUp() override {
        tagged.lap.open(dir->file("lap.dbf"));
        tagged.lapb.open(dir->file("lapb.dbf"));
        plain.lap.open(dir->file("plain/lap.dbf"));
        plain.lapb.open(dir->file("plain/lapb.dbf"));
        ASSERT_EQ(tagged.lap.tagNames().size(), 3);
        ASSERT_TRUE(plain.lap.tagNames().isEmpty());
        plain.db.exec("create table nlap as select * from lap");
        plain.db.exec("create table nlapb as select * from lapb");
    }

    struct Side {
        Database db;
        Table lap{"lap", &db};
        Table lapb{"lapb", &db};
    };
    static TempDir* dir;
    Side tagged, plain;

    // Runs `sql` both ways and on the native copies ("lap" and "lapb" read
    // as "nlap" and "nlapb"); all three must agree. Returns the row count.
    int same(const QString& sql, const QVariantList& params, bool seeks = true) {
        SCOPED_TRACE(sql.toStdString());
        const QStringList a = rowTexts(tagged.db.query(sql, params));
        const QStringList b = rowTexts(plain.db.query(sql, params));
        QString native = sql;
        native.replace(QRegularExpression("\\blapb\\b"), "nlapb");
        native.replace(QRegularExpression("\\blap\\b"), "nlap");
        const QStringList c = rowTexts(plain.db.query(native, params));
        EXPECT_EQ(a, b);
        EXPECT_EQ(a, c);
        if (seeks) {
            const QStringList plan = rowTexts(tagged.db.query("explain query plan " + sql, params));
            // a tag is used: the plan's index number is not 0 (a full scan)
            EXPECT_TRUE(plan.join('\n').contains(QRegularExpression("INDEX [1-9]")))
                << plan.join('\n').toStdString();
        }
        return int(a.size());
    }

    // The same rows in the same order all three ways; with `fromTag` the
    // engine's tag gives the order, so SQLite sorts nothing itself.
    void sameOrder(const QString& sql, const QVariantList& params, bool fromTag) {
        SCOPED_TRACE(sql.toStdString());
        const QStringList a = rowList(tagged.db.query(sql, params));
        QString native = sql;
        native.replace(QRegularExpression("\\blapb\\b"), "nlapb");
        native.replace(QRegularExpression("\\blap\\b"), "nlap");
        EXPECT_GT(a.size(), 1);
        EXPECT_EQ(a, rowList(plain.db.query(native, params)));
        EXPECT_EQ(a, rowList(plain.db.query(sql, params)));
        const QString plan =
            rowTexts(tagged.db.query("explain query plan " + sql, params)).join('\n');
        EXPECT_EQ(!plan.contains("TEMP B-TREE"), fromTag) << plan.toStdString();
    }
};

TempDir* SeekTest::dir = nullptr;

} // namespace

TEST_F(SeekTest, EqualityAndIsOnLeadingKeyFields) {
    EXPECT_GT(same("select sorsz, resz, nev from lap where idoszak=?", {"2024.03"}), 0);
    EXPECT_EQ(same("select sorsz from lap where idoszak=?", {"2024.3"}), 0);
    EXPECT_GT(
        same("select idoszak, nev from lap where sorsz=? and resz is ?", {"00012", QVariant()}), 0);
    same("select idoszak, nev from lap where sorsz=? and resz is ?", {"00012", "A"});
    same("select idoszak, nev from lap where sorsz=? and resz=?", {"00012", "a"});
    same("select idoszak, nev from lap where sorsz=? and resz=?", {"00012", "A "});
    same("select idoszak, nev from lap where sorsz=? and resz=?", {"00012", ""});
    EXPECT_GT(same("select idoszak, resz from lap where sorsz=? and resz is null", {"00012"}), 0);
    same("select idoszak, resz from lap where idoszak is ? and sorsz=?", {QVariant(), "00100"});
    same("select count(*) from lap where idoszak=? and sorsz=?", {"2024.01", "00100 "});
    same("select count(*) from lap where idoszak in (?, ?, ?)", {"2023.05", "2024.11", "1999.01"});
    // the tag folds case and accents only to their letter; SQL compares exactly
    EXPECT_GT(same("select sorsz, nev from lap where nev=?", {QStringLiteral("kovács")}), 0);
    same("select sorsz, nev from lap where nev=?", {QStringLiteral("KOVACS")});
    same("select sorsz, nev from lap where nev=?", {QStringLiteral("Kovács és társa kft")});
    same("select sorsz, nev from lap where nev=?", {QStringLiteral("€")});
    // numbers compared with text fields
    same("select count(*) from lap where sorsz=?", {12});
    same("select count(*) from lap where sorsz=12", {});
}

TEST_F(SeekTest, RangesOnTheNextKeyField) {
    EXPECT_GT(
        same("select sorsz, resz from lap where idoszak between ? and ?", {"2024.01", "2024.05"}),
        0);
    same("select sorsz from lap where idoszak>=? and idoszak<?", {"2023.11", "2024.02"});
    same("select sorsz from lap where idoszak>? and idoszak<=?", {"2023.11", "2024.02"});
    same("select sorsz from lap where idoszak>?", {"2024.1"});
    same("select sorsz from lap where idoszak<=?", {"2023"});
    same("select sorsz from lap where idoszak<?", {"2023.01 "});
    same("select sorsz from lap where idoszak>=?", {""});
    same("select sorsz from lap where idoszak>=?", {QVariant()});
    same("select sorsz from lap where idoszak>=? and idoszak<=?", {"2024.05", "2024.01"});
    same("select resz from lap where idoszak=? and sorsz between ? and ?",
         {"2024.06", "00100", "00250"});
    same("select resz from lap where sorsz=? and resz>=?", {"00020", "A"});
    // bounds that order differently in the tag than in SQL
    same("select sorsz from lap where nev>=? and nev<?", {"K", "L"});
    same("select sorsz from lap where nev>?", {QStringLiteral("Á")});
    same("select sorsz from lap where nev<?", {"a"});
    // bounds of capitals: the tag narrows the walk, the small and accented
    // letters still found (resz "a" and "A" beside each other)
    same("select sorsz from lap where nev>=? and nev<=?", {"KISS", "KOVACS"});
    same("select sorsz from lap where nev>?", {"KOVACS"});
    same("select sorsz from lap where nev>=? and nev<?", {"B", "L"});
    same("select sorsz from lap where nev<=?", {"1. SZ"});
    same("select idoszak from lap where sorsz=? and resz>=? and resz<=?", {"00020", "A", "B"});
    same("select idoszak from lap where sorsz=? and resz>?", {"00031", "A"});
    same("select sorsz from lap where idoszak<?", {"2024.0\t"});
    same("select sorsz from lap where idoszak>=?", {2024});
}

TEST_F(SeekTest, DateKeys) {
    EXPECT_GT(same("select sorsz, apdatum from lapb where apdatum between ? and ?",
                   {"2024-01-10", "2024-02-15"}),
              0);
    same("select sorsz from lapb where apdatum=?", {QDate(2024, 1, 15)});
    same("select sorsz from lapb where apdatum is ?", {QVariant()});
    same("select sorsz from lapb where apdatum>=?", {"2024-1"});
    same("select sorsz from lapb where apdatum<?", {"2023-06"});
    same("select sorsz from lapb where apdatum>?", {"2024-05-01 10:00"});
    same("select sorsz from lapb where apdatum<=?", {"2023-03-01T00:00"});
    // bounds that are not a beginning of an ISO date
    same("select sorsz from lapb where apdatum<=?", {"20240"});
    same("select sorsz from lapb where apdatum<=?", {"202401"});
    same("select sorsz from lapb where apdatum>=?", {"2024.05.01"});
    same("select sorsz from lapb where apdatum<?", {"2024-1-5"});
    same("select sorsz from lapb where apdatum=?", {"2024-01-15x"});
    same("select sorsz from lapb where apdatum=?", {20240115});
}

TEST_F(SeekTest, JoinsOnTheSheetKey) {
    const QString join =
        "select a.idoszak, a.sorsz, a.resz, count(*), sum(b.vizitdb) from lap a join lapb b on "
        "a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak where a.idoszak between ? "
        "and ? group by a.idoszak, a.sorsz, a.resz";
    EXPECT_GT(same(join, {"2023.03", "2023.09"}), 0);
    same("select count(*), sum(b.vizitdb) from lap a join lapb b on a.sorsz=b.sorsz and a.resz "
         "is b.resz and a.idoszak=b.idoszak where a.sorsz<?",
         {"00040"});
    same("select a.nev, b.apdatum from lap a left join lapb b on a.sorsz=b.sorsz and a.resz is "
         "b.resz and a.idoszak is b.idoszak where a.sorsz=?",
         {"00033"});
    // a text key against a number column: SQLite compares them as numbers
    same("select count(*) from lapb b join lap a on a.sorsz=b.elltip where b.idoszak=?",
         {"2024.02"}, false);
    same("select count(*) from lapb b, lap a where a.sorsz=b.elltip and a.resz is null and "
         "b.idoszak=?",
         {"2023.07"}, false);
}

TEST_F(SeekTest, OrderAndGroupingFromTags) {
    // Periods, numbers and dates sort in a tag as SQL sorts them; blank
    // (NULL) first.
    sameOrder("select idoszak, count(*) from lap group by idoszak", {}, true);
    sameOrder("select idoszak, sorsz from lap order by idoszak, sorsz", {}, true);
    sameOrder("select sorsz, resz from lap where idoszak=? order by sorsz, resz", {"2024.03"},
              true);
    sameOrder("select idoszak, sorsz from lap where idoszak=? order by idoszak, sorsz", {"2023.07"},
              true);
    sameOrder("select idoszak, sorsz, count(*) from lap where idoszak between ? and ? group by "
              "idoszak, sorsz",
              {"2023.05", "2023.09"}, true);
    sameOrder("select apdatum, sum(vizitdb) from lapb group by apdatum", {}, true);
    // Parts "a" and "A", names in both cases and with accents: the tag
    // folds them together, so the rows are put in SQL's order after the walk.
    sameOrder("select sorsz, resz, count(*) from lap group by sorsz, resz", {}, true);
    sameOrder("select nev, count(*) from lap group by nev", {}, true);
    sameOrder("select nev from lap order by nev", {}, true);
    // a number where the period is: every record, still in order
    sameOrder("select idoszak, sorsz from lap where idoszak>=? order by idoszak, sorsz", {2023},
              true);
    // orders no tag gives
    sameOrder("select idoszak from lap order by idoszak desc", {}, false);
    sameOrder("select resz, sorsz from lap group by resz, sorsz", {}, false);
}

TEST(SqlStatements, KeptStatementsFollowTagsAndTables) {
    Db d;
    for (int i = 0; i < 30; ++i)
        add(d.lap, {{"idoszak", QStringLiteral("2024.%1").arg(1 + i % 3, 2, 10, QLatin1Char('0'))},
                    {"sorsz", QStringLiteral("%1").arg(30 - i, 5, 10, QLatin1Char('0'))},
                    {"nev", i % 2 ? "b" : "A"}});
    const QString q = "select sorsz from lap where idoszak=? order by sorsz";
    const QStringList first = rowTexts(d.db.query(q, {"2024.02"}));
    EXPECT_EQ(first.size(), 10);
    // the tags change under the kept statement: a new plan, the same rows
    d.lap.addTag("lap3", "idoszak+sorsz");
    EXPECT_EQ(rowTexts(d.db.query(q, {"2024.02"})), first);
    d.lap.dropTags();
    d.lap.addTag("nev", "nev");
    d.lap.addTag("lap3", "sorsz");
    EXPECT_EQ(rowTexts(d.db.query(q, {"2024.02"})), first);
    // the table closed and opened again
    d.lap.close();
    EXPECT_TRUE(dbError([&] { d.db.query(q, {"2024.02"}); }).has_value());
    d.lap.open(d.db.filePath("lap.dbf"));
    EXPECT_EQ(rowTexts(d.db.query(q, {"2024.02"})), first);
    // a query run from another's rows gets its own statement
    int inner = 0;
    d.db.each(q, {"2024.01"},
              [&](const QVariantList&) { inner += d.db.query(q, {"2024.03"}).rowCount(); });
    EXPECT_EQ(inner, 100);
}

TEST(SqlPlans, AnUnreadTagIsEstimatedFromTheRecords) {
    // A month of 1000 sheets of 2000 patients: the month's sheets walked,
    // each patient sought -- not every patient read with a seek into the
    // sheets -- while the patients' tag is not read yet.
    Db d;
    Table::create(d.dir.file("BETEG.DBF"), {fieldDef("TAJ", 'C', 9), fieldDef("NEV", 'C', 30)});
    Table beteg("beteg", &d.db);
    beteg.open(d.db.filePath("beteg.dbf"));
    auto taj = [](int i) { return QStringLiteral("%1").arg(i, 9, 10, QLatin1Char('0')); };
    for (int i = 0; i < 2000; ++i)
        add(beteg, {{"taj", taj(i)}, {"nev", QStringLiteral("Beteg Béla %1").arg(i)}});
    for (int i = 0; i < 1100; ++i)
        add(d.lap, {{"idoszak", i < 1000 ? "2024.03" : "2024.04"},
                    {"sorsz", QStringLiteral("%1").arg(i, 5, 10, QLatin1Char('0'))},
                    {"taj", taj(i * 7 % 2000)}});
    beteg.addTag("beteg1", "taj");
    d.lap.addTag("lap2", "taj+idoszak");
    d.lap.addTag("lap3", "idoszak+sorsz+resz");
    beteg.close();
    d.lap.close();
    beteg.open(d.db.filePath("beteg.dbf"));
    d.lap.open(d.db.filePath("lap.dbf"));
    // the sheets' tag read (and sampled) by an earlier query
    EXPECT_EQ(d.db.query("select count(*) from lap where idoszak=?", {"2024.03"}).value(0, 0), 1000);
    const QString sql = "select a.sorsz, c.nev from lap a join beteg c on a.taj=c.taj "
                        "where a.idoszak=? order by a.sorsz";
    const QStringList plan = rowList(d.db.query("explain query plan " + sql, {"2024.03"}));
    ASSERT_FALSE(plan.isEmpty());
    EXPECT_TRUE(plan.first().contains("SCAN a ")) << plan.join('\n').toStdString();
    d.db.exec("create table nlap as select * from lap");
    d.db.exec("create table nbeteg as select * from beteg");
    const QStringList rows = rowList(d.db.query(sql, {"2024.03"}));
    EXPECT_EQ(rows.size(), 1000);
    QString native = sql;
    native.replace("from lap a join beteg c", "from nlap a join nbeteg c");
    EXPECT_EQ(rows, rowList(d.db.query(native, {"2024.03"})));
}
