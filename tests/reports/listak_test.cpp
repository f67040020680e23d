// The lists of the "Listák" menu: the prompts' checks, each list's page model
// (titles, columns, totals) on a small data set, the CSV file read back, and
// the runner's refusals.

#include "app/programinfo.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "reports/counties.h"
#include "reports/dolgozolista.h"
#include "reports/elszamolas.h"
#include "reports/tajlista.h"
#include "reports/torzslistak.h"
#include "support/startedapp.h"
#include "tools/demo/demodata.h"

#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <cstring>
#include <sqlite3.h>

using namespace reports;

namespace {

const ProgramText kProgram{app::programTitle(), app::programVersion()};
const QDateTime kAt(QDate(2024, 5, 15), QTime(12, 0));

void add(engine::Table& t, std::initializer_list<std::pair<const char*, QVariant>> values) {
    t.append();
    for (const auto& [field, value] : values)
        t.setValue(QLatin1String(field), value);
    t.post();
}

// True when `expected` appear in `texts` in this order (others may lie between).
bool inOrder(const QStringList& texts, const QStringList& expected) {
    int at = 0;
    for (const QString& t : texts)
        if (at < expected.size() && t == expected[at]) ++at;
    return at == expected.size();
}

QStringList allTexts(const PageModel& m) {
    QStringList t;
    for (int p = 0; p < m.pageCount(); ++p)
        t << m.texts(p);
    return t;
}

std::optional<PageText> findText(const PageModel& m, const QString& text) {
    for (const Page& p : m.pages)
        for (const PageText& t : p.texts())
            if (t.text == text) return t;
    return std::nullopt;
}

// What does not fit on the pages, measured with the report's fonts: a text
// wider than its place (a word of a wrapped text wider than its column,
// which breaks it inside), lower than its font's line, reaching past the
// page's margins, or running into another text on its line (less than a
// blank's room between the two).
QStringList fitFaults(const PageModel& m, const QMarginsF& margins) {
    QStringList faults;
    const QRectF body(margins.left(), margins.top(),
                      m.pageSize.width() - margins.left() - margins.right(),
                      m.pageSize.height() - margins.top() - margins.bottom());
    const double eps = 0.01;
    for (int p = 0; p < m.pageCount(); ++p) {
        const std::vector<PageText> texts = m.pages[std::size_t(p)].texts();
        std::vector<std::pair<double, double>> ink; // left, right
        for (const PageText& t : texts) {
            const QString at = QStringLiteral("page %1, \"%2\": ").arg(p + 1).arg(t.text);
            const QRectF& r = t.rect;
            if (r.left() < body.left() - eps || r.right() > body.right() + eps ||
                r.top() < body.top() - eps || r.bottom() > body.bottom() + eps)
                faults << at + "outside the margins";
            if (t.wordWrap) {
                if (widestPiece(t.text, t.font) > r.width() + eps)
                    faults << at + QStringLiteral("a word wider than %1 mm").arg(r.width());
                if (wrappedHeight(t.text, t.font, r.width()) > r.height() + eps)
                    faults << at + "higher than its place";
                ink.emplace_back(r.left(), r.right());
                continue;
            }
            const double w = textWidth(t.text, t.font);
            if (w > r.width() + eps)
                faults << at + QStringLiteral("%1 mm in %2 mm").arg(w).arg(r.width());
            if (wrappedHeight(QStringLiteral("Ág"), t.font, 1000) > r.height() + eps)
                faults << at + "lower than its font";
            if (t.align & Qt::AlignRight)
                ink.emplace_back(r.right() - w, r.right());
            else if (t.align & Qt::AlignHCenter)
                ink.emplace_back(r.center().x() - w / 2, r.center().x() + w / 2);
            else
                ink.emplace_back(r.left(), r.left() + w);
        }
        for (std::size_t i = 0; i < texts.size(); ++i)
            for (std::size_t j = i + 1; j < texts.size(); ++j) {
                const QRectF &a = texts[i].rect, &b = texts[j].rect;
                if (a.bottom() <= b.top() + eps || b.bottom() <= a.top() + eps) continue;
                const double blank =
                    std::min(textWidth(" ", texts[i].font), textWidth(" ", texts[j].font));
                if (ink[i].second + blank > ink[j].first + eps &&
                    ink[j].second + blank > ink[i].first + eps)
                    faults << QStringLiteral("page %1: \"%2\" runs into \"%3\"")
                                  .arg(p + 1)
                                  .arg(texts[i].text, texts[j].text);
            }
    }
    return faults;
}

struct Visit {
    QString tevkod;
    int elltip, onkep, db = 1;
    QString elido = {};
    QString aptaj = {};
};

// A sheet with its order record (unless `elrend` is false) and its visits.
void sheet(core::AppState& st, const QString& idoszak, const QString& sorsz, const QString& resz,
           const QString& taj, const std::vector<Visit>& visits, bool elrend = true, int elszam = 1,
           const QString& tpotl = "I", const QString& elkuldve = {}) {
    int szviz = 0;
    for (const Visit& v : visits)
        szviz += v.db;
    add(st.tables.lap, {{"IDOSZAK", idoszak},
                        {"INTKOD", demo::providerCode()},
                        {"SORSZ", sorsz},
                        {"RESZ", resz},
                        {"TAJ", taj},
                        {"TPOTL", tpotl},
                        {"BNOROV", "I10H0"},
                        {"BNOFO", "XXXXX"},
                        {"ORVOSKOD", "12345"},
                        {"ELSZAM", elszam},
                        {"SZVIZ", szviz % 100},
                        {"ELKULDVE", elkuldve}});
    if (elrend)
        add(st.tables.elrend, {{"IDOSZAK", idoszak},
                               {"INTKOD", demo::providerCode()},
                               {"SORSZ", sorsz},
                               {"RESZ", resz},
                               {"SZAKVET", QDate(2000, 1, 1)},
                               {"ENGSZAM", 77}});
    const QDate first = QDate::fromString(idoszak + ".01", "yyyy.MM.dd");
    int day = 0;
    for (const Visit& v : visits)
        add(st.tables.lapb, {{"IDOSZAK", idoszak},
                             {"INTKOD", demo::providerCode()},
                             {"SORSZ", sorsz},
                             {"RESZ", resz},
                             {"TEVKOD", v.tevkod},
                             {"ELLTIP", v.elltip},
                             {"ONKEP", v.onkep},
                             {"APDATUM", first.addDays(day++)},
                             {"APTAJ", v.aptaj},
                             {"VIZITDB", v.db},
                             {"ELIDO", v.elido}});
}

void patient(core::AppState& st, const QString& taj, const QString& nev) {
    add(st.tables.beteg, {{"TAJ", taj}, {"NEV", nev}, {"NEME", "N"}});
}

// A minimal CSV reader: fields separated by ";", quoted fields with doubled
// quotes, lines ending in CR LF.
std::vector<QStringList> readCsv(const QByteArray& bytes) {
    std::vector<QStringList> rows;
    const QString s = QString::fromUtf8(bytes.mid(3));
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < s.size(); ++i) {
        const QChar c = s[i];
        if (quoted) {
            if (c == '"' && i + 1 < s.size() && s[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ';') {
            row << field;
            field.clear();
        } else if (c == '\r') {
        } else if (c == '\n') {
            row << field;
            field.clear();
            rows.push_back(row);
            row.clear();
        } else {
            field += c;
        }
    }
    return rows;
}

} // namespace

// ---------------------------------------------------------------- prompts

TEST(TajPrompts, OnePatientChecksTheDigitAndRefusesABlankNumber) {
    ui::ScriptedMessages msg;
    Tajsz t(msg);
    EXPECT_TRUE(t.e1Exit("123456788"));
    EXPECT_TRUE(t.e1Exit(""));
    EXPECT_FALSE(t.e1Exit("123456789"));
    EXPECT_FALSE(t.e1Exit("1234"));
    EXPECT_EQ(msg.texts(), QStringList({"CDV hiba!", "CDV hiba!"}));
    msg.clear();
    EXPECT_FALSE(t.ok("   "));
    EXPECT_EQ(msg.last(), "Nincs TAJ-szám megadva!");
    EXPECT_EQ(t.ok("123456788"), QString("123456788"));
}

TEST(TajPrompts, ASpanFromAChosenPeriodIsRefusedUntilItIsAMonthFrom1999_04) {
    ui::ScriptedMessages msg;
    Tajido t(msg);
    using V = Tajido::Valasztas;
    const struct {
        QString id1;
        const char* message;
    } refused[] = {
        {"20061", "Ez még kevés lesz ..."},
        {"2006a1", "Számokkal kéne megoldani ..."},
        {"199812", "Nem adhat meg 1999.04 hónál kisebb dátumot!"},
        {"200613", "Csak 12 hónap van egy évben sajna ..."},
        {"200600", "Csak 12 hónap van egy évben sajna ..."},
    };
    for (const auto& r : refused) {
        msg.clear();
        EXPECT_FALSE(t.ok(V::Valasztott, r.id1)) << r.id1.toStdString();
        EXPECT_EQ(msg.texts(), QStringList{QString::fromUtf8(r.message)}) << r.id1.toStdString();
    }
    msg.clear();
    EXPECT_FALSE(t.ok(V::Nincs, {}));
    EXPECT_EQ(msg.last(), "Nincs megadva idoszak!");
    EXPECT_FALSE(Tajido::id1Enabled(V::Teljes));
    EXPECT_TRUE(Tajido::id1Enabled(V::Valasztott));

    const auto span = t.ok(V::Valasztott, "199904");
    ASSERT_TRUE(span);
    EXPECT_EQ(span->tol.text(), "1999.04");
    EXPECT_EQ(TajLista::cim(*span, "1890", "Demó", "2024.05"),
              "TAJ számos ellenőrző lista a 1890 Demó szolgáltató betegeiről "
              "1999.04-2024.05 időszakban");
    EXPECT_EQ(TajLista::cim(*t.ok(V::Teljes, {}), "1890", "Demó", "2024.05"),
              "TAJ számos ellenőrző lista a 1890 Demó szolgáltató betegeiről 1999. 04 hónaptól");
    EXPECT_EQ(TajLista::cim(*t.ok(V::Aktualis, "x"), "1890", "Demó", "2024.05"),
              "TAJ számos ellenőrző lista a 1890 Demó szolgáltató betegeiről 2024.05 időszakban");
}

TEST(TajLista, CountersAndActivitiesByCareTypeAndCategory) {
    EXPECT_EQ(szamlaloIndex(2, 3), 2);
    EXPECT_EQ(szamlaloIndex(4, 1), 3);
    EXPECT_EQ(szamlaloIndex(6, 2), 8);
    EXPECT_EQ(szamlaloIndex(4, 3), -1); // therapy has no third category
    EXPECT_EQ(szamlaloIndex(3, 1), -1);
    QString l;
    for (const char* k : {"10", "1", "10", "3a", "1"})
        tevekenysegHozza(l, k);
    EXPECT_EQ(l, "10 1 3a"); // "1" is a code of its own, not part of "10"
}

// ---------------------------------------------------------------- lists

TEST(Listak, MasterListsCarryTitleColumnsAndRows) {
    testsupport::StartedApp a;
    add(a.state.tables.apol, {{"APTAJ", "222222220"}, {"ANEV", "Nagy Éva"}});
    add(a.state.tables.apol, {{"APTAJ", "111111110"}, {"ANEV", "Kiss Anna"}});
    Torzslistak t(a.state, kProgram);
    Lista l = t.apolok();
    EXPECT_EQ(a.msg.statusText(0), "Szakápolói lista nyomtatása");
    const PageModel m = layout(l.report, kAt);
    ASSERT_EQ(m.pageCount(), 1);
    EXPECT_TRUE(inOrder(m.texts(0), {kProgram.title, "Verzió:", "3.61", "Ápolók listája",
                                     "Ápoló TAJ száma", "neve", "111111110", "Kiss Anna",
                                     "222222220", "Nagy Éva", "Oldal:", "1"}));
    ASSERT_TRUE(l.csv);
    EXPECT_EQ(l.csv->fejlec, QStringList({"Ápoló TAJ száma", "neve"}));

    // The codes of one disease group, its name as the subtitle.
    const masters::BnoGroup g = masters::bnoGroupOf(masters::bcsopItems()[13]); // C00-D48
    std::optional<Lista> b = t.bnoCsoport(g);
    ASSERT_TRUE(b);
    EXPECT_EQ(a.msg.statusText(0), "BNO lista betegségcsoportra");
    ASSERT_GT(b->report.data.rowCount(), 100);
    for (const QVariantList& r : b->report.data.rows()) {
        EXPECT_GE(r[0].toString(), "C0000");
        EXPECT_LE(r[0].toString(), "D4899");
    }
    const PageModel bm = layout(b->report, kAt);
    EXPECT_TRUE(inOrder(bm.texts(0), {"BNO kódok listája", g.name, "BNO kód", "Megnevezés"}));
    EXPECT_FALSE(t.bnoCsoport(std::nullopt));
    EXPECT_EQ(a.msg.statusText(0), "Nincs megadva betegségcsoport");
}

TEST(Listak, TajCheckListCountsVisitsPerSheetAndTotalsThePatient) {
    testsupport::StartedApp a;
    core::AppState& st = a.state;
    patient(st, "123456788", "Beteg Borbála");
    sheet(st, "2024.04", "00010", "", "123456788",
          {{"10", 2, 1, 3}, {"1", 2, 1}, {"10", 2, 3}, {"8a", 4, 2, 2}, {"9", 6, 2}, {"9", 5, 3}});
    sheet(st, "2024.05", "00010", "A", "123456788", {{"7", 2, 2, 4}});
    sheet(st, "2024.05", "00011", "", "123456788", {{"7", 2, 2}}, false); // no order record

    TajLista t(st, kProgram);
    std::optional<Lista> l = t.egyBeteg("123456788");
    ASSERT_TRUE(l);
    const PageModel m = layout(l->report, kAt);
    const QStringList x = allTexts(m);
    EXPECT_TRUE(
        inOrder(x, {"Egy betegre vonatkozó TAJ-szám szerinti ellenőrző lista 1999. 04 hónaptól",
                    "Lapszám", "Időszak", "Elrendelés szám", "Eng.szám", "Kezdet", "Lezárás",
                    "Összes vizit-szám", "TAJ szám:", "123456788", "Beteg Borbála",
                    // the first sheet: nursing 1 (4), nursing 3 (1), exercise 2 (2), speech 2 (1)
                    "00010", "2024.04", "1", "77", "2000.01.01",
                    "Magasvérnyomás-betegség (elsődleges)", "1 10 8a 9", "9", "4", "1", "2", "1",
                    // the part sheet
                    "00010A", "2024.05", "7", "4", "4",
                    // the patient's totals
                    "Összesen:", "13", "4", "4", "1", "2", "1", "Lista vége"}))
        << x.join('|').toStdString();
    EXPECT_FALSE(x.contains("00011")) << x.join('|').toStdString();

    // Read in one pass per table, as a long list is, the pages are the same.
    TajLista::egyenkentHatar = 0;
    std::optional<Lista> egyben = t.egyBeteg("123456788");
    TajLista::egyenkentHatar = 2000;
    ASSERT_TRUE(egyben);
    EXPECT_EQ(allTexts(layout(egyben->report, kAt)), x);

    EXPECT_FALSE(t.egyBeteg("100000007"));
    EXPECT_EQ(a.msg.last(), "Nincs a 100000007 TAJ-számú betegnek elszámolási lapja!");

    a.msg.clear();
    std::optional<Lista> all = t.osszes({TajIdoszak::Fajta::Aktualis, {}});
    ASSERT_TRUE(all);
    EXPECT_EQ(a.msg.statusText(0),
              "Teljes TAJ-számos lista nyomtatása folyik, kis türelmet kérek...");
    const QStringList y = allTexts(layout(all->report, kAt));
    EXPECT_TRUE(y.contains("00010A")); // 2024.05 only, and only sheets with an order record
    EXPECT_FALSE(y.contains("00010"));
    EXPECT_FALSE(y.contains("00011"));

    // The first part, shown while the whole list is laid out: the first
    // patient's sheets up to the TAJ number the first sheets reach.
    patient(st, "100000007", "Első Ernő");
    sheet(st, "2024.03", "00001", "", "100000007", {{"7", 2, 2}});
    std::optional<Lista> first = t.osszes({TajIdoszak::Fajta::Teljes, {}}, 1);
    ASSERT_TRUE(first);
    const QStringList f = allTexts(layout(first->report, kAt));
    EXPECT_TRUE(f.contains("Első Ernő"));
    EXPECT_FALSE(f.contains("Beteg Borbála"));
    EXPECT_FALSE(t.osszes({TajIdoszak::Fajta::Valasztott, core::Idoszak(2024, 6)}));
    EXPECT_EQ(a.msg.last(), "Nincs a 1890 szolgáltatónak betege!");
    EXPECT_EQ(a.msg.statusText(0), ""); // nothing is being printed

    // The long list's reading tells its progress, and stops at its word
    // without a message.
    TajLista::egyenkentHatar = 0;
    TajLista::haladLepes = 1;
    int heard = 0;
    TajLista hosszu(st, kProgram);
    hosszu.setHalad([&](int, int) { return ++heard < 3; });
    a.msg.clear();
    EXPECT_FALSE(hosszu.osszes({TajIdoszak::Fajta::Teljes, {}}));
    EXPECT_EQ(heard, 3);
    EXPECT_TRUE(a.msg.texts().isEmpty());
    hosszu.setHalad([&](int, int) { return ++heard > 0; });
    std::optional<Lista> vegig = hosszu.osszes({TajIdoszak::Fajta::Teljes, {}});
    TajLista::egyenkentHatar = 2000;
    TajLista::haladLepes = 2048;
    ASSERT_TRUE(vegig);
    EXPECT_GT(heard, 6);
    EXPECT_EQ(allTexts(layout(vegig->report, kAt)),
              allTexts(layout(t.osszes({TajIdoszak::Fajta::Teljes, {}})->report, kAt)));
}

namespace {

// How many steps the statements on the sheets (lap) run by `f` took: the
// rows they went through.
long long sheetSteps(core::AppState& st, const std::function<void()>& f) {
    sqlite3* db = st.tables.dbo.handle();
    // The statements kept for reuse count from here.
    for (sqlite3_stmt* s = sqlite3_next_stmt(db, nullptr); s; s = sqlite3_next_stmt(db, s))
        sqlite3_stmt_status(s, SQLITE_STMTSTATUS_VM_STEP, 1);
    long long steps = 0;
    auto trace = [](unsigned, void* ctx, void* p, void*) {
        auto* stmt = static_cast<sqlite3_stmt*>(p);
        const int n = sqlite3_stmt_status(stmt, SQLITE_STMTSTATUS_VM_STEP, 1);
        if (std::strstr(sqlite3_sql(stmt), " from lap ")) *static_cast<long long*>(ctx) += n;
        return 0;
    };
    sqlite3_trace_v2(db, SQLITE_TRACE_PROFILE, trace, &steps);
    f();
    sqlite3_trace_v2(db, 0, nullptr, nullptr);
    return steps;
}

} // namespace

// The first pages of the all-patients list, shown while the whole list is
// read, read the first patients' sheets only: they take as long with ten
// times the sheets.
TEST(Listak, TajCheckListsFirstPagesDoNotGrowWithTheSheets) {
    testsupport::StartedApp a;
    core::AppState& st = a.state;
    auto betegek = [&](int from, int to) {
        for (int i = from; i < to; ++i) {
            const QString taj = QStringLiteral("1%1").arg(i, 8, 10, QLatin1Char('0'));
            patient(st, taj, QStringLiteral("Beteg %1").arg(i));
            sheet(st, "2024.04", QStringLiteral("%1").arg(i + 1, 5, 10, QLatin1Char('0')), "",
                  taj, {{"7", 2, 2}});
        }
    };
    auto elsoOldalak = [&] {
        return sheetSteps(st, [&] {
            EXPECT_TRUE(TajLista(st, kProgram).osszes({TajIdoszak::Fajta::Teljes, {}}, 5));
        });
    };
    betegek(0, 20);
    const long long keves = elsoOldalak();
    betegek(20, 400);
    const long long sok = elsoOldalak();
    EXPECT_LT(sok, keves * 3 / 2) << keves << " " << sok;
}

TEST(Listak, TajCheckListFitsItsColumnsTitlesAndPages) {
    testsupport::StartedApp a;
    core::AppState& st = a.state;
    // The longest diagnosis names, a long provider name, a patient with
    // sheets over several pages and every care type on each.
    const engine::Query longest = st.tables.dbo.query(
        "select kod10, trim(nev) from bnotorzs order by length(trim(nev)) desc limit 2");
    ASSERT_EQ(longest.rowCount(), 2);
    st.tables.dbo.exec("update part set inte=?",
                       {QString("Otthoni Szakápolási és Gyógytornász Szolgáltató Bt")});
    patient(st, "000960379", "Hosszúnevű-Kisasszony Éva");
    patient(st, "123456788", "Beteg Borbála");
    for (int i = 0; i < 60; ++i) {
        const QString sorsz = QString("%1").arg(i + 1, 5, 10, QChar('0'));
        const QString idoszak =
            QString("%1.%2").arg(2019 + i / 12).arg(i % 12 + 1, 2, 10, QChar('0'));
        sheet(st, idoszak, sorsz, i % 3 == 0 ? "B" : "", "000960379",
              {{"1", 2, 1, 30},
               {"2", 2, 2},
               {"3a", 2, 3},
               {"3b", 4, 1},
               {"7", 4, 2},
               {"8a", 5, 1},
               {"9", 5, 2},
               {"10", 6, 1},
               {"12", 6, 2}});
        st.tables.dbo.exec("update lap set bnorov=?, bnofo=? where sorsz=?",
                           {longest.value(0, 0), longest.value(1, 0), sorsz});
    }
    sheet(st, "2023.12", "00099", "", "123456788", {{"7", 2, 2}});

    auto check = [&](Lista& l, const QString& what) -> QStringList {
        const PageModel m = layout(l.report, kAt);
        EXPECT_GE(m.pageCount(), 2) << what.toStdString();
        const QStringList fault = fitFaults(m, l.report.margins);
        EXPECT_TRUE(fault.isEmpty())
            << what.toStdString() << ": " << fault.join('\n').toStdString();
        // Every page goes on below the headings with a patient's line, and
        // the totals have a sheet above them on their page.
        const QRegularExpression lapszam("^\\d{5}[A-Z]?$");
        for (int p = 0; p < m.pageCount(); ++p) {
            const QStringList t = m.texts(p);
            const int fej = int(t.indexOf("Logo 2"));
            EXPECT_GE(fej, 0) << what.toStdString();
            if (fej < 0 || fej + 1 >= t.size() || t[fej + 1] == "Lista vége") continue;
            EXPECT_EQ(t[fej + 1], "TAJ szám:") << what.toStdString() << " page " << p + 1;
            const int ossz = int(t.indexOf("Összesen:"));
            if (ossz >= 0) {
                bool lap = false;
                for (int i = fej; i < ossz; ++i)
                    lap = lap || lapszam.match(t[i]).hasMatch();
                EXPECT_TRUE(lap) << what.toStdString() << " page " << p + 1;
            }
        }
        return allTexts(m);
    };

    TajLista t(st, kProgram);
    std::optional<Lista> one = t.egyBeteg("000960379");
    ASSERT_TRUE(one);
    const QStringList x = check(*one, "one patient");
    // The diagnoses' whole names, the number after its label.
    EXPECT_TRUE(x.contains(longest.value(0, 1).toString()));
    EXPECT_TRUE(x.contains(longest.value(1, 1).toString()));
    EXPECT_TRUE(inOrder(x, {"TAJ szám:", "000960379", "Hosszúnevű-Kisasszony Éva"}));

    std::optional<Lista> span = t.osszes({TajIdoszak::Fajta::Valasztott, core::Idoszak(2019, 1)});
    ASSERT_TRUE(span);
    const QStringList y = check(*span, "all patients from 2019.01");
    EXPECT_TRUE(y.contains("TAJ számos ellenőrző lista a 1890 Otthoni Szakápolási és Gyógytornász "
                           "Szolgáltató Bt szolgáltató betegeiről 2019.01-2024.05 időszakban"));
}

TEST(Listak, WorkersVisitsAgainstTheirFrames) {
    testsupport::StartedApp a;
    core::AppState& st = a.state;
    // The demo's workers of 2024.05 and their weekly hours.
    const engine::Query w = st.tables.dbo.query(
        "select taj, szakapo, szakiro from szolgsz where kezd<='2024-05-31' and "
        "(veg>='2024-05-01' or veg is null) order by taj");
    ASSERT_GE(w.rowCount(), 3);
    auto tajOf = [&](int row) {
        return QString("%1").arg(w.value(row, 0).toLongLong(), 9, 10, QChar('0'));
    };
    int full = -1, therapy = -1;
    for (int r = 0; r < w.rowCount(); ++r) {
        if (full < 0 && w.value(r, 1).toInt() == 40) full = r;
        if (therapy < 0 && w.value(r, 2).toInt() > 0) therapy = r;
    }
    ASSERT_GE(full, 0);
    ASSERT_GE(therapy, 0);
    // 140 visits of the full-time nurse: 8 over the frame of 132.
    std::vector<Visit> v;
    for (int d = 0; d < 28; ++d)
        v.push_back({"7", 2, 1, 5, {}, tajOf(full)});
    sheet(st, "2024.05", "00001", "", "123456788", v);

    std::optional<Lista> l = DolgozoLista(st, kProgram).keszit();
    ASSERT_TRUE(l);
    const PageModel m = layout(l->report, kAt);
    const QStringList x = allTexts(m);
    EXPECT_TRUE(
        inOrder(x, {"Otthoni szakápolás dolgozói teljesítések megoszlása 2024.05. hónapban ",
                    "Megyekód és megnevezése:", "18", countyName(18),
                    "Szolgáltató ZAPO kódja, megnevezése:", "1890", demo::providerName(),
                    "címe:", "Dolgozó TAJ-száma, megnevezése", "Szerződött dolgozói kapacitás",
                    "Teljesített vizitek", "Túl-lépés"}))
        << x.join('|').toStdString();
    // The worker over the frame: the overrun on grey.
    EXPECT_TRUE(inOrder(x, {tajOf(full), "132", "140", "8"}));
    const std::optional<PageText> over = findText(m, "8");
    ASSERT_TRUE(over);
    EXPECT_TRUE(over->background.isValid());
    // A worker without visits: no visit count, nothing over.
    ASSERT_TRUE(l->csv);
    int without = 0;
    for (const QStringList& r : l->csv->sorok)
        if (r[0] != tajOf(full)) {
            EXPECT_EQ(r[4], "");
            EXPECT_EQ(r[5], "");
            ++without;
        }
    EXPECT_EQ(without, w.rowCount() - 1);
    // The therapist is marked, and the note explains the mark. In the CSV
    // file every column has its heading, the mark one of its own.
    EXPECT_TRUE(x.contains("* Szakirányú tevékenység"));
    EXPECT_EQ(l->csv->fejlec,
              QStringList({"Dolgozó TAJ-száma", "Szakirányú tevékenység", "Dolgozó megnevezése",
                           "Szerződött dolgozói kapacitás", "Teljesített vizitek", "Túl-lépés"}));
    const QStringList& th = l->csv->sorok[std::size_t(therapy)];
    EXPECT_EQ(th[1], "*");
    EXPECT_FALSE(th[2].startsWith("*"));
    EXPECT_EQ(th[2],
              displayText(
                  st.tables.dbo.query("select nev from szolgsz where taj=?", {w.value(therapy, 0)})
                      .value(0, 0)));
    const QStringList fault = fitFaults(m, l->report.margins);
    EXPECT_TRUE(fault.isEmpty()) << fault.join('\n').toStdString();
    EXPECT_TRUE(inOrder(x, {"Összes vizit:"}));

    // Before 2012 the frames are 110 in nursing and 88 in therapy.
    const Keret k = dolgozoKeret(core::Idoszak(2011, 12), 30, 10);
    EXPECT_DOUBLE_EQ(k.apolas, 82.5);
    EXPECT_DOUBLE_EQ(k.osszes, 82.5 + 22);
    EXPECT_DOUBLE_EQ(dolgozoKeret(core::Idoszak(2012, 1), 30, 10).osszes, 132);
}

TEST(Listak, WorkersOverrunComesFromTheFrameAsItIs) {
    testsupport::StartedApp a;
    core::AppState& st = a.state;
    // A nurse on 25 hours a week: a frame of 25/40 × 132 = 82.5 visits,
    // shown as 83; 120 visits are 37.5 over it, shown as 38.
    const engine::Query w = st.tables.dbo.query(
        "select taj from szolgsz where kezd<='2024-05-31' and (veg>='2024-05-01' or veg is null)"
        " order by taj limit 1");
    ASSERT_EQ(w.rowCount(), 1);
    st.tables.dbo.exec("update szolgsz set szakapo=25, szakiro=0 where taj=?", {w.value(0, 0)});
    const QString taj = QString("%1").arg(w.value(0, 0).toLongLong(), 9, 10, QChar('0'));
    std::vector<Visit> v;
    for (int d = 0; d < 24; ++d)
        v.push_back({"7", 2, 1, 5, {}, taj});
    sheet(st, "2024.05", "00001", "", "123456788", v);

    std::optional<Lista> l = DolgozoLista(st, kProgram).keszit();
    ASSERT_TRUE(l);
    const QStringList x = allTexts(layout(l->report, kAt));
    EXPECT_TRUE(inOrder(x, {taj, "83", "120", "38"})) << x.join('|').toStdString();
    ASSERT_TRUE(l->csv);
    EXPECT_EQ(l->csv->sorok[0], QStringList({taj, "", l->csv->sorok[0][2], "83", "120", "38"}));
}

TEST(Listak, WorkersListWithoutContractedWorkersIsRefused) {
    testsupport::StartedApp a;
    a.state.tables.dbo.exec("delete from szolgsz");
    EXPECT_FALSE(DolgozoLista(a.state, kProgram).keszit());
    EXPECT_EQ(a.msg.last(), "Nincs a szolgáltatónak dolgozói kerete!");
}

TEST(Listak, SettlementMultipliersOf2008And2009WithTheSupplement) {
    EXPECT_DOUBLE_EQ(elszamoltSzorzo(2, 5, 1, "2008.12"), 0.8);
    EXPECT_DOUBLE_EQ(elszamoltSzorzo(2, 5, 1, "2009.01"), 0.9);
    EXPECT_DOUBLE_EQ(potlekSzorzo("I"), 1.1);
    EXPECT_DOUBLE_EQ(potlekSzorzo("N"), 1.0);

    testsupport::StartedApp a(demo::Options{}, QDate(2009, 3, 15), "2009.03");
    core::AppState& st = a.state;
    patient(st, "123456788", "Beteg Borbála");
    sheet(st, "2009.03", "00004", "", "123456788",
          {{"8a", 5, 1, 2, "2009.04"}, {"8a", 5, 1, 1, "2009.04"}, {"8a", 5, 1, 1}}, true, 2);
    sheet(st, "2009.03", "00005", "", "123456788", {{"1", 2, 2, 1, "2009.04"}}, true, 1, "N");
    HaviElszamolas h(st, kProgram);
    EXPECT_FALSE(h.keszit());
    EXPECT_EQ(a.msg.last(), "Nincs a szolgáltatónak beolvasott elszámolása!");
    add(st.tables.zaras, {{"IDOSZAK", "2009.03"}, {"ALAPDIJ", 3000}});

    std::optional<Lista> l = h.keszit();
    ASSERT_TRUE(l);
    const QStringList x = allTexts(layout(l->report, kAt));
    // 3 accounted visits × 3000 × 0,9 × 1,1 = 8910; 1 × 3000 × 0,9 = 2700.
    EXPECT_TRUE(inOrder(x, {"Havi összesítő az elszámolt vizitekről 2009.03. hónapban ",
                            demo::providerName(),
                            "Lap-sorsz.",
                            "Jelentés ideje",
                            "Beteg",
                            "TAJ-száma",
                            "neve",
                            "Alapdíj Ft",
                            "Vizit-szám",
                            "Ter. pótl.",
                            "Alapdíj-szorzó",
                            "Elszámolt Ft",
                            "00004",
                            "2009.03",
                            "123456788",
                            "Beteg Borbála",
                            "3 000,00",
                            "3",
                            "+10%",
                            "0,9",
                            "8 910,0   Ft",
                            "00005",
                            "1",
                            "0,9",
                            "2 700,0   Ft",
                            "Mindösszesen:",
                            "4",
                            "11,6 eFt"}));
}

TEST(Listak, MissingOrderDataCountsThePeriodAndItsShipment) {
    testsupport::StartedApp a;
    core::AppState& st = a.state;
    Adatrogzites ell(st, kProgram);
    EXPECT_FALSE(ell.keszit());
    EXPECT_EQ(a.msg.log(), std::vector<std::string>{"information: Nincs hiba az adatrögzítésben!"});

    sheet(st, "2024.05", "00001", "", "123456788", {}, true);
    sheet(st, "2024.05", "00002", "", "123456788", {}, false);
    sheet(st, "2024.04", "00003", "", "123456788", {}, false, 1, "I", "2024.05"); // sent now
    sheet(st, "2024.04", "00004", "", "123456788", {}, false);                    // another month
    sheet(st, "2024.05", "00001", "A", "123456788", {}, false); // its own order record missing
    EXPECT_EQ(ell.hibasLapok(), 3);

    a.msg.clear();
    std::optional<Lista> l = ell.keszit();
    ASSERT_TRUE(l);
    EXPECT_EQ(a.msg.log(),
              std::vector<std::string>{"error: Hibás adatrögzítés, hibalista nyomtatása!"});
    EXPECT_EQ(a.msg.statusText(0), "Ellenőrző hibalista nyomtatása");
    const QStringList x = allTexts(layout(l->report, kAt));
    EXPECT_TRUE(inOrder(x, {"Hiányzó elrendelési adatok a 2024.05. havi jelentésben ",
                            "Szolgáltató kódja:", "neve:", "Lap sorszám", "Beteg TAJ száma",
                            "Jelentési időszak", "Elrendelő orvos kódja", "1890", "00001A", "00002",
                            "00003", "2024.04", "12345", "Ellenőrző hibalista vége"}));
    EXPECT_FALSE(x.contains("00004"));
}

// ---------------------------------------------------------------- CSV, runner

TEST(Listak, CsvReadsBackWithBomSemicolonsAndQuotedFields) {
    testsupport::StartedApp a;
    patient(a.state, "123456788", "Kovács; \"Öcsi\" Béla");
    patient(a.state, "100000007", "Árvíztűrő Tükörfúrógép");
    Lista l = Torzslistak(a.state, kProgram).betegek();
    ASSERT_TRUE(l.csv);
    const QString path = QDir(a.work.path()).filePath("betegek.csv");
    ASSERT_TRUE(writeCsv(*l.csv, path));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray bytes = f.readAll();
    EXPECT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    const std::vector<QStringList> rows = readCsv(bytes);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[0], QStringList({"TAJ szám", "Név", "Születési idő", "Lakcím", "", ""}));
    EXPECT_EQ(rows[1][0], "100000007");
    EXPECT_EQ(rows[1][1], "Árvíztűrő Tükörfúrógép");
    EXPECT_EQ(rows[2][1], "Kovács; \"Öcsi\" Béla");

    // Numbers: decimal comma, no grouping.
    CsvTabla t{{"Ft"}, {}};
    EXPECT_EQ(csvBytes(t), QByteArray("\xEF\xBB\xBF"
                                      "Ft\r\n"));
    EXPECT_FALSE(writeCsv(t, QDir(a.work.path()).filePath("nincs/ilyen/mappa.csv")));
}

TEST(Listak, RunnerPreviewsOnlyWhatWasBuiltAndLaidOutToTheEnd) {
    testsupport::StartedApp a;
    int previews = 0;
    const CsvTabla* lastCsv = nullptr;
    ListaFuttato run(a.state, [&](PageModel&, const CsvTabla* csv) {
        ++previews;
        lastCsv = csv;
    });
    EXPECT_FALSE(run.fut([] { return std::optional<Lista>(); })); // refused by the build
    EXPECT_EQ(previews, 0);
    EXPECT_FALSE(run.fut([]() -> std::optional<Lista> {
        throw engine::DbError(engine::DbError::Kind::Query, {}, "x");
    }));
    EXPECT_EQ(a.msg.last(), "Hiba a lefutásban!");
    EXPECT_TRUE(run.fut([&] { return Torzslistak(a.state, kProgram).orvosok(); }));
    EXPECT_EQ(previews, 1);
    EXPECT_NE(lastCsv, nullptr);

    // Cancelled in the layout: no preview.
    for (int i = 0; i < 100; ++i)
        add(a.state.tables.orvos, {{"ORVOSKOD", QString("%1").arg(10000 + i)}, {"ONEV", "Dr. X"}});
    int asked = 0;
    ListaFuttato cancelled(
        a.state, [&](PageModel&, const CsvTabla*) { ++previews; },
        [&](int, int) { return ++asked < 1; });
    EXPECT_FALSE(cancelled.fut([&] { return Torzslistak(a.state, kProgram).orvosok(); }));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(cancelled.cancelled());
    EXPECT_EQ(previews, 1);

    // Cancelled while a long build reads: no layout, no preview, no message.
    asked = 0;
    a.msg.clear();
    EXPECT_FALSE(cancelled.fut([&](const LayoutProgress& halad) -> std::optional<Lista> {
        if (!halad(0, 0)) return std::nullopt;
        return Torzslistak(a.state, kProgram).orvosok();
    }));
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(cancelled.cancelled());
    EXPECT_EQ(previews, 1);
    EXPECT_TRUE(a.msg.texts().isEmpty());
}
