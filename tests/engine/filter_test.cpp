// Standing filters: the forms the program writes, null tests and blanks, and
// navigation, counting and locate through a filter that is switched on, off
// and replaced.

#include "enginetest.h"

#include <QFile>

#include <functional>
#include <set>

using engine::fieldDef;
using engine::Table;
using namespace enginetest;
using testsupport::TempDir;
using Kind = engine::DbError::Kind;

namespace {

// Every combination of the values the program's filters look at; SORSZ
// numbers the rows.
std::vector<Sheet> combinations() {
    std::vector<Sheet> out;
    int n = 0;
    for (const char* ido :
         {"1999.03", "1999.04", "2024.01", "2024.03", "2024.05", "2024.12", "2025.01", ""})
        for (const char* resz : {"", "A", "B"})
            for (const char* tele : {"", "*", "x"})
                for (const char* elk : {"", "2024.05", "YY", "2024.04"})
                    for (const char* mod : {"", "M"}) {
                        Sheet s;
                        s.idoszak = ido;
                        s.sorsz = QString::number(++n);
                        s.resz = resz;
                        s.tele = tele;
                        s.elkuldve = elk;
                        s.modtipus = mod;
                        s.apnap = n % 7 == 0 ? QVariant() : QVariant(n % 40);
                        s.elb = n % 5 == 0 ? QDate() : QDate(2024, 1, 1).addDays(n % 90);
                        s.nev = n % 2 ? QStringLiteral("Kiss") : QStringLiteral("kiss");
                        out.push_back(s);
                    }
    return out;
}

struct FilterCase {
    const char* filter;
    std::function<bool(const Sheet&)> want;
};

std::set<QString> expectedSet(const std::vector<Sheet>& rows,
                              const std::function<bool(const Sheet&)>& pred) {
    std::set<QString> out;
    for (const Sheet& s : rows)
        if (pred(s)) out.insert(s.sorsz);
    return out;
}

std::set<QString> visibleSet(Table& t) {
    std::set<QString> out;
    for (t.first(); !t.eof(); t.next())
        out.insert(t.text("sorsz"));
    return out;
}

class FilterTest : public ::testing::Test {
protected:
    void SetUp() override {
        rows = combinations();
        path = dir.file("lap.dbf");
        makeSheetTable(path, rows);
        t.open(path);
    }
    TempDir dir;
    QString path;
    std::vector<Sheet> rows;
    Table t;
};

} // namespace

TEST_F(FilterTest, TheProgramsFiltersSelectTheRightRecords) {
    const std::vector<FilterCase> cases = {
        {"idoszak>='1999.04'", [](const Sheet& s) { return s.idoszak >= "1999.04"; }},
        {"(idoszak>='2024.01' and idoszak<='2024.05' and (elkuldve is null or "
         "elkuldve='2024.05')) or (elkuldve='YY' and modtipus<>null) or (elkuldve='2024.05' "
         "and modtipus<>null)",
         [](const Sheet& s) {
             return (s.idoszak >= "2024.01" && s.idoszak <= "2024.05" &&
                     (s.elkuldve.isEmpty() || s.elkuldve == "2024.05")) ||
                    (s.elkuldve == "YY" && !s.modtipus.isEmpty()) ||
                    (s.elkuldve == "2024.05" && !s.modtipus.isEmpty());
         }},
        {"idoszak>='2024.01' and idoszak<='2024.12' and resz='A' and tele <> '*'",
         [](const Sheet& s) {
             return s.idoszak >= "2024.01" && s.idoszak <= "2024.12" && s.resz == "A" &&
                    s.tele != "*";
         }},
        {"IDOSZAK >= '2024.01' AND Resz = 'B' OR tele = 'x'",
         [](const Sheet& s) { return (s.idoszak >= "2024.01" && s.resz == "B") || s.tele == "x"; }},
        {"tele=''", [](const Sheet& s) { return s.tele.isEmpty(); }},
        {"tele<'A'", [](const Sheet& s) { return s.tele < "A"; }},
        {"not (resz='A' or resz='B')", [](const Sheet& s) { return s.resz.isEmpty(); }},
        {"resz!='A' and idoszak<>''",
         [](const Sheet& s) { return s.resz != "A" && !s.idoszak.isEmpty(); }},
        {"idoszak>\"2024.03\" and idoszak<'2025'",
         [](const Sheet& s) { return s.idoszak > "2024.03" && s.idoszak < "2025"; }},
        // numbers compare as numbers, dates by the calendar
        {"apnap>9", [](const Sheet& s) { return !s.apnap.isNull() && s.apnap.toInt() > 9; }},
        {"apnap<'10' and apnap<>null",
         [](const Sheet& s) { return !s.apnap.isNull() && s.apnap.toInt() < 10; }},
        {"elb>='2024.03.01'", [](const Sheet& s) { return s.elb >= QDate(2024, 3, 1); }},
        {"elb<'01.02.2024' and elb is not null",
         [](const Sheet& s) { return s.elb.isValid() && s.elb < QDate(2024, 2, 1); }},
        {"elb='2024.01.30'", [](const Sheet& s) { return s.elb == QDate(2024, 1, 30); }},
        // case matters in comparisons
        {"nev='Kiss'", [](const Sheet& s) { return s.nev == "Kiss"; }},
        // bounds a tag can seek: equal, open on one side, the tighter of two,
        // a blank at the end of the text
        {"idoszak='2024.03' and tele<>'*'",
         [](const Sheet& s) { return s.idoszak == "2024.03" && s.tele != "*"; }},
        {"tele='x' and idoszak<'2024.01'",
         [](const Sheet& s) { return s.tele == "x" && s.idoszak < "2024.01"; }},
        {"idoszak>='2024' and idoszak<='2024.05' and idoszak>='2024.03'",
         [](const Sheet& s) { return s.idoszak >= "2024.03" && s.idoszak <= "2024.05"; }},
        {"idoszak>='2024.12 ' and idoszak<='2025.01 '",
         [](const Sheet& s) { return s.idoszak >= "2024.12 " && s.idoszak <= "2025.01 "; }},
        {"idoszak>'' and idoszak<='1999.04'",
         [](const Sheet& s) { return !s.idoszak.isEmpty() && s.idoszak <= "1999.04"; }},
        {"resz>='A' and resz<'B'", [](const Sheet& s) { return s.resz == "A"; }},
        // letters: "x" lies between "Y" and "z" byte by byte, but before "Y"
        // in a tag, where it weighs as "X"
        {"tele>='Y' and tele<='z'", [](const Sheet& s) { return s.tele == "x"; }},
    };
    // Without tags every record is tried; with a tag led by IDOSZAK (and one
    // by RESZ) the bounded ones are read from the tag's range: the same
    // records either way, in the active order.
    for (const bool tagged : {false, true}) {
        SCOPED_TRACE(tagged ? "with tags" : "without tags");
        if (tagged) {
            t.addTag("lap1", "sorsz+resz");
            t.addTag("lap3", "idoszak+sorsz+resz");
            t.addTag("resz", "resz");
            t.addTag("tele", "tele");
            t.addTag("nev", "nev");
            t.setActiveTag("lap1");
        }
        t.setFiltered(true);
        for (const FilterCase& c : cases) {
            SCOPED_TRACE(c.filter);
            t.setFilter(QString::fromUtf8(c.filter));
            const auto want = expectedSet(rows, c.want);
            ASSERT_FALSE(want.empty());
            ASSERT_LT(want.size(), rows.size());
            EXPECT_EQ(visibleSet(t), want);
            EXPECT_EQ(t.recordCount(), std::uint32_t(want.size()));
            std::vector<std::uint32_t> walked, listed, ordinals;
            for (t.first(); !t.eof(); t.next())
                walked.push_back(t.recno());
            t.visibleInOrder(listed, &ordinals);
            EXPECT_EQ(listed, walked);
            for (size_t i = 0; i < listed.size(); ++i)
                EXPECT_EQ(ordinals[i], t.orderOf(listed[i]));
        }
    }
    // A record whose period another program changed behind the tags is
    // counted under its new period.
    t.setFilter("idoszak='2024.03'");
    const std::uint32_t before = t.recordCount();
    t.setFiltered(false);
    ASSERT_TRUE(t.locate("idoszak", QStringLiteral("2024.05")));
    const qint64 at = t.header().headerLength + qint64(t.recno() - 1) * t.header().recordLength +
                      t.fields()[size_t(t.fieldIndex("idoszak"))].offset;
    t.close();
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        ASSERT_TRUE(f.seek(at));
        f.write("2024.03");
    }
    t.open(path);
    t.setFilter("idoszak='2024.03'");
    t.setFiltered(true);
    EXPECT_EQ(t.recordCount(), before + 1);
}

TEST_F(FilterTest, NullTestsTakeBlankAsNull) {
    const std::vector<FilterCase> cases = {
        {"modtipus=null", [](const Sheet& s) { return s.modtipus.isEmpty(); }},
        {"modtipus<>null", [](const Sheet& s) { return !s.modtipus.isEmpty(); }},
        {"elkuldve is null", [](const Sheet& s) { return s.elkuldve.isEmpty(); }},
        {"elkuldve is not null", [](const Sheet& s) { return !s.elkuldve.isEmpty(); }},
        {"ELKULDVE IS NOT NULL and Modtipus = NULL",
         [](const Sheet& s) { return !s.elkuldve.isEmpty() && s.modtipus.isEmpty(); }},
        {"apnap is null", [](const Sheet& s) { return s.apnap.isNull(); }},
        {"elb=null", [](const Sheet& s) { return !s.elb.isValid(); }},
        {"elb <> null", [](const Sheet& s) { return s.elb.isValid(); }},
        // a blank field compares as an empty text, so it differs from '*'
        {"tele <> '*'", [](const Sheet& s) { return s.tele != "*"; }},
        {"tele <> '*' and tele is null", [](const Sheet& s) { return s.tele.isEmpty(); }},
    };
    t.setFiltered(true);
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.filter);
        t.setFilter(QString::fromUtf8(c.filter));
        EXPECT_EQ(visibleSet(t), expectedSet(rows, c.want));
    }
}

TEST(FilterDates, PeriodOverlapOfStartAndEndDates) {
    TempDir dir;
    const QString path = dir.file("ellatas.dbf");
    Table::create(path, {fieldDef("NEV", 'C', 10), fieldDef("KEZD", 'D'), fieldDef("VEG", 'D')});
    Table t;
    t.open(path);
    struct Row {
        const char* nev;
        QDate kezd, veg;
    } const rows[] = {
        {"elotte", QDate(2005, 1, 1), QDate(2005, 2, 28)}, // ended before March
        {"nyitott", QDate(2004, 6, 1), QDate()},           // still open
        {"atnyulo", QDate(2005, 2, 1), QDate(2005, 3, 1)}, // ends on the first day
        {"benne", QDate(2005, 3, 10), QDate(2005, 3, 20)}, // inside
        {"utolso", QDate(2005, 3, 31), QDate()},           // starts on the last day
        {"utana", QDate(2005, 4, 1), QDate(2005, 4, 30)},  // starts after
        {"nincskezd", QDate(), QDate()},                   // no start date
    };
    for (const Row& r : rows) {
        t.append();
        t.setValue("nev", QString::fromLatin1(r.nev));
        t.setValue("kezd", r.kezd);
        t.setValue("veg", r.veg);
        t.post();
    }
    t.setFilter("kezd<='2005.03.31' and (veg >='2005.03.01' or veg=null)");
    t.setFiltered(true);
    // a blank KEZD compares as an empty text, which is below any date
    EXPECT_EQ(walk(t, "nev"), QStringList({"nyitott", "atnyulo", "benne", "utolso", "nincskezd"}));
    t.setFilter("kezd<='2005.03.31' and kezd<>null and (veg >='2005.03.01' or veg=null)");
    EXPECT_EQ(walk(t, "nev"), QStringList({"nyitott", "atnyulo", "benne", "utolso"}));
}

TEST_F(FilterTest, SwitchingOnOffAndReplacing) {
    t.setFilter("resz='A' and tele='*' and elkuldve='YY'");
    // set but not switched on: everything is visible
    EXPECT_FALSE(t.filtered());
    EXPECT_EQ(t.recordCount(), std::uint32_t(rows.size()));
    t.setFiltered(true);
    const auto a = expectedSet(
        rows, [](const Sheet& s) { return s.resz == "A" && s.tele == "*" && s.elkuldve == "YY"; });
    EXPECT_EQ(visibleSet(t), a);
    EXPECT_EQ(t.recordCount(), std::uint32_t(a.size()));
    // switching on lands on a visible record
    EXPECT_TRUE(a.count(t.text("sorsz")));

    t.setFiltered(false);
    EXPECT_EQ(t.recordCount(), std::uint32_t(rows.size()));
    EXPECT_EQ(visibleSet(t).size(), rows.size());
    EXPECT_EQ(t.filter(), "resz='A' and tele='*' and elkuldve='YY'");
    t.setFiltered(true);
    EXPECT_EQ(visibleSet(t), a);

    // replacing while switched on takes effect at once
    t.setFilter("resz='B' and modtipus<>null and idoszak='2024.12'");
    const auto b = expectedSet(rows, [](const Sheet& s) {
        return s.resz == "B" && !s.modtipus.isEmpty() && s.idoszak == "2024.12";
    });
    EXPECT_EQ(visibleSet(t), b);
    t.last();
    EXPECT_TRUE(b.count(t.text("sorsz")));
    std::set<QString> back;
    for (t.last(); !t.bof(); t.prior())
        back.insert(t.text("sorsz"));
    EXPECT_EQ(back, b);

    // a filter that cannot be read is refused and the old one stays
    for (const char* bad : {"resz='A", "resz=", "nincsmezo='A'", "resz='A' and", "(resz='A'",
                            "resz 'A'", "resz='A' xor tele='*'", "resz is nul"}) {
        SCOPED_TRACE(bad);
        EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.setFilter(QString::fromLatin1(bad)); }));
    }
    // nesting far deeper than any filter (the fuzzer's stack overflow)
    const QString deep = QString(100000, '(') + "resz='A'" + QString(100000, ')');
    EXPECT_TRUE(throwsKind(Kind::Usage, [&] { t.setFilter(deep); }));
    EXPECT_EQ(visibleSet(t), b);

    // a filter nothing passes
    t.setFilter("idoszak='2030.01'");
    t.first();
    EXPECT_TRUE(t.bof() && t.eof());
    EXPECT_TRUE(t.isEmpty());
    EXPECT_EQ(t.recordCount(), 0u);
    EXPECT_FALSE(t.locate("resz", QStringLiteral("A")));
    // an empty filter lets everything through
    t.setFilter(QString());
    EXPECT_EQ(t.recordCount(), std::uint32_t(rows.size()));
}

TEST_F(FilterTest, NavigationLocateAndTagsThroughTheFilter) {
    t.addTag("lap3", "idoszak+sorsz+resz");
    t.setActiveTag("lap3");
    t.setFilter("idoszak>='2024.01' and idoszak<='2024.12' and resz='A' and tele <> '*'");
    t.setFiltered(true);
    std::vector<const Sheet*> want;
    for (const Sheet& s : rows)
        if (s.idoszak >= "2024.01" && s.idoszak <= "2024.12" && s.resz == "A" && s.tele != "*")
            want.push_back(&s);
    // the key: text fields padded with blanks (digits sort below letters)
    auto key = [](const Sheet* s) {
        return s->idoszak.leftJustified(7) + s->sorsz.leftJustified(5) + s->resz.leftJustified(1);
    };
    std::stable_sort(want.begin(), want.end(),
                     [&](const Sheet* a, const Sheet* b) { return key(a) < key(b); });
    QStringList expect;
    for (const Sheet* s : want)
        expect << s->sorsz;
    EXPECT_EQ(walk(t, "sorsz"), expect);
    QStringList back = expect;
    std::reverse(back.begin(), back.end());
    EXPECT_EQ(walkBack(t, "sorsz"), back);

    // locate skips records the filter hides
    const Sheet* hidden = nullptr;
    for (const Sheet& s : rows)
        if (s.resz == "B" && s.idoszak == "2024.03") hidden = &s;
    ASSERT_TRUE(hidden);
    EXPECT_FALSE(t.locate("sorsz", hidden->sorsz));
    EXPECT_TRUE(t.locate("idoszak;resz", {"2024.03", "A"}));
    EXPECT_EQ(t.text("resz"), "A");
    EXPECT_NE(t.text("tele"), "*");
    EXPECT_TRUE(t.locatePrefix("idoszak", "2024.1"));
    EXPECT_EQ(t.text("idoszak"), "2024.12");
    EXPECT_FALSE(t.locatePrefix("idoszak", "1999"));

    // an edit that takes the current record out of the filter: next() goes on
    // from where the record was
    ASSERT_TRUE(t.locate("idoszak", QStringLiteral("2024.05")));
    const std::uint32_t edited = t.recno();
    const qsizetype at = expect.indexOf(t.text("sorsz"));
    ASSERT_GE(at, 0);
    ASSERT_LT(at + 1, expect.size());
    t.edit();
    t.setValue("tele", "*");
    t.post();
    EXPECT_FALSE(t.isVisible(edited));
    t.next();
    EXPECT_EQ(t.text("sorsz"), expect[at + 1]);
    EXPECT_EQ(t.recordCount(), std::uint32_t(want.size() - 1));
    t.refresh();
    EXPECT_TRUE(t.isVisible(t.recno()));
}
