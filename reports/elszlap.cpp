#include "reports/elszlap.h"

#include "core/appstate.h"
#include "core/idoszak.h"

#include "reports/counties.h"
#include "reports/elszlapparts.h"
#include "print/pagemodel.h"

#include <QDate>
#include <QFile>
#include <algorithm>

namespace reports {

// ---------------------------------------------------------------- data

std::shared_ptr<SheetLookups> SheetLookups::load(core::AppState& st) {
    auto lk = std::make_shared<SheetLookups>();
    st.tables.dbo.each(QStringLiteral("select kod10, nev from bnotorzs"), {},
                       [&](const QVariantList& r) {
                           const QString code = r.value(0).toString();
                           if (!code.isEmpty() && !lk->bno.contains(code))
                               lk->bno.insert(code, r.value(1).toString().trimmed());
                       });
    st.tables.dbo.each(QStringLiteral("select orvoskod, onev from orvos"), {},
                       [&](const QVariantList& r) {
                           const QString code = r.value(0).toString();
                           if (!code.isEmpty() && !lk->doctor.contains(code))
                               lk->doctor.insert(code, r.value(1).toString().trimmed());
                       });
    return lk;
}

QString firstDayIso(const QString& period) {
    const auto p = core::Idoszak::parse(period);
    return p ? p->firstDay().toString(Qt::ISODate) : QString();
}

QString lastDayIso(const QString& period) {
    const auto p = core::Idoszak::parse(period);
    return p ? p->lastDay().toString(Qt::ISODate) : QString();
}

QString versionText(const QString& version) {
    return QStringLiteral("v ") + version.left(6);
}

// The contract in force during the period: it started by the period's last
// day and ends on its first day or later, or has no end. A provider or
// patient address part that is blank reads as NULL; it must not blank the
// whole address. Only sheets of the new layout (from core::hatar::ujLapforma).
engine::Query telszlRows(core::AppState& st, const QString& c) {
    static const QString sql = QStringLiteral(
        "select a.intkod,a.finkod,a.idoszak,a.sorsz,a.resz,a.taj,a.tpotl,a.bnoki,a.bnorov,a.elb,"
        " a.apnap,a.bnofo,a.bnomell,a.bnoell,a.orvoskod,a.elszviz,a.elszam,"
        " a.lezdat,a.tevkodok,a.szviz,b.szakvet,b.elvizdb,b.jorvkod,c.megye,c.inte,"
        " ifnull(c.irszam,'')||' '||ifnull(c.hely,'')||', '||ifnull(c.utca,'') as szcim,"
        " d.szszam,f.tevkod,f.elltip,f.onkep,f.apdatum,f.aptaj,g.anev,a.aztip,a.terkat,a.allamp,"
        " e.nev,e.neme,ifnull(e.kozigkod,'')||' '||ifnull(e.cime1,'')||', '||ifnull(e.cime2,'')"
        " as bcim,e.szulh,e.szuli"
        " from lap a, elrend b, part c, szerz d, beteg e, lapb f, apol g"
        " where a.sorsz=b.sorsz and a.resz is b.resz and a.idoszak=b.idoszak"
        " and a.sorsz=f.sorsz and a.resz is f.resz and a.idoszak=f.idoszak"
        " and a.intkod=c.intkod and a.taj=e.taj and f.aptaj=g.aptaj and a.idoszak>=:ujlapforma"
        " and d.szkezd<=:vegnap and (d.szveg>=:kezdnap or d.szveg is null)"
        " and a.jeloles='*'"
        " order by a.sorsz,a.resz,a.idoszak");
    return st.tables.dbo.query(
        sql, {core::hatar::ujLapforma.text(), lastDayIso(c), firstDayIso(c)});
}

// Only sheets of the old layout (before core::hatar::ujLapforma).
engine::Query telszlrRows(core::AppState& st, const QString& c) {
    // The eighteen visit slotCols: in LAP itself while it still has the old
    // layout, else in LAPOLD, where the conversion keeps the old sheets.
    QString slotCols, from;
    QStringList cols{QStringLiteral("tev1"), QStringLiteral("tev2")};
    for (int n = 1; n <= 18; ++n)
        cols << QStringLiteral("tol%1").arg(n) << QStringLiteral("ig%1").arg(n)
             << QStringLiteral("viz%1").arg(n);
    const QString lapold = st.tables.file(QStringLiteral("Lapold.dbf"));
    if (st.tables.lap.hasField(QStringLiteral("TOL1"))) {
        for (const QString& col : cols)
            slotCols += QStringLiteral(",a.") + col;
    } else if (QFile::exists(lapold) && !lapold.contains(QLatin1Char('\''))) {
        for (const QString& col : cols)
            slotCols += QStringLiteral(",o.") + col;
        from =
            QStringLiteral(" left join '") + lapold +
            QStringLiteral("' o on o.idoszak=a.idoszak and o.sorsz=a.sorsz and o.resz is a.resz");
    } else {
        for (const QString& col : cols)
            slotCols += QStringLiteral(",null as ") + col;
    }
    const QString sql =
        QStringLiteral(
            "select a.intkod,a.idoszak,a.sorsz,a.resz,a.taj,a.tpotl,a.bnoki,a.bnorov,a.elb,"
            " a.apnap,a.bnofo,a.bnomell,a.bnoell,a.orvoskod,a.elszviz,a.elszam,a.lezdat,"
            " a.aptaj1,a.aptaj2,a.szviz") +
        slotCols +
        QStringLiteral(
            ",b.szakvet,b.elvizdb,c.megye,c.inte,"
            " ifnull(c.irszam,'')||' '||ifnull(c.hely,'')||', '||ifnull(c.utca,'') as szcim,"
            " d.szszam,e.nev,e.neme,"
            " ifnull(e.kozigkod,'')||' '||ifnull(e.cime1,'')||', '||ifnull(e.cime2,'') as bcim,"
            " e.szulh,e.szuli"
            " from lap a join elrend b on a.sorsz=b.sorsz and a.resz is b.resz and "
            "a.idoszak=b.idoszak"
            " join part c on a.intkod=c.intkod"
            " join beteg e on a.taj=e.taj"
            " join szerz d on d.szkezd<=:vegnap and (d.szveg>=:kezdnap or d.szveg is null)") +
        from +
        QStringLiteral(" where a.idoszak<:ujlapforma and a.jeloles='*'"
                       " order by a.sorsz,a.resz,a.idoszak");
    return st.tables.dbo.query(
        sql, {lastDayIso(c), firstDayIso(c), core::hatar::ujLapforma.text()});
}

// ---------------------------------------------------------------- shared parts

namespace parts {

const Font kLabel{8};
const Font kValue{8, true};
const Font kTitle{12, true};
const Font kSmall{7};

QString sheetKey(const engine::Query& q, int row) {
    return q.value(row, 0).toString() + QLatin1Char('|') +
           q.value(row, QStringLiteral("sorsz")).toString() + QLatin1Char('|') +
           q.value(row, QStringLiteral("resz")).toString() + QLatin1Char('|') +
           q.value(row, QStringLiteral("idoszak")).toString();
}

void addPageBands(Report& r, const ProgramText& program) {
    Band& h = r.pageHeader;
    h.height = 8;
    h.addLabel(0, 0, 100, 4, program.title, Font{9, true});
    h.addLabel(140, 0, 16, 4, QStringLiteral("Verzió:"), kLabel, Qt::AlignRight | Qt::AlignVCenter);
    h.addText(QStringLiteral("vers"), 157, 0, 33, 4, versionText(program.version), kLabel);
    h.addLine(0, 5.5, 190, 5.5);

    Band& f = r.pageFooter;
    f.height = 6;
    f.addLine(0, 0.5, 190, 0.5);
    f.addText(QStringLiteral("nyomtatva"), 0, 1.5, 60, 4, {}, kSmall);
    f.addLabel(150, 1.5, 15, 4, QStringLiteral("Oldal:"), kSmall,
               Qt::AlignRight | Qt::AlignVCenter);
    f.addText(QStringLiteral("oldal"), 166, 1.5, 24, 4, {}, kSmall);
    f.beforePrint = [](Band& b, const PrintContext& c) {
        b.setText(QStringLiteral("nyomtatva"),
                  c.printed.toString(QStringLiteral("yyyy.MM.dd HH:mm:ss")));
        b.setText(QStringLiteral("oldal"), QString::number(c.page));
        return true;
    };
}

// The sheet's header: provider, patient, diagnoses, order and doctors,
// placed stage by stage from the top of the band. The new layout adds the
// patient's codes and the proposing doctor; both fill the same way.
namespace {

class SheetHeader {
public:
    SheetHeader(Band& b, bool newLayout) : b_(b), newLayout_(newLayout) {}

    // Places every stage; returns the y below them.
    double place(const QString& title) {
        provider(title);
        patient();
        diagnoses();
        order();
        return y_;
    }

private:
    void label(double x, double y, double w, const QString& t) {
        b_.addLabel(x, y, w, kRow, t, kLabel);
    }
    void field(const char* name, double x, double y, double w) {
        b_.addText(QLatin1String(name), x, y, w, kRow, {}, kValue);
    }
    void named(const char* name, double x, double y, double w, const QString& t) {
        b_.addText(QLatin1String(name), x, y, w, kRow, t, kLabel);
    }
    // A label's width: what its longest text needs with a little gap, at
    // least `least`; the values stand right after it, never under it.
    static double fit(double least, std::initializer_list<const char*> texts) {
        double w = least;
        for (const char* t : texts)
            w = std::max(w, textWidth(QString::fromUtf8(t), kLabel) + 1.5);
        return w;
    }
    // A thin rule across the sheet with a millimetre of air on each side.
    void rule() {
        y_ += 1;
        b_.addLine(0, y_, 190, y_, 0.15);
        y_ += 1;
    }

    void provider(const QString& title);
    void patient();
    void patientCodes();
    void diagnoses();
    void order();

    Band& b_;
    const bool newLayout_;
    double y_ = 9;
    double c1_ = 0; // the left column of the provider and the patient
};

void SheetHeader::provider(const QString& title) {
    b_.addLabel(0, 0, 190, 7, title, kTitle, Qt::AlignCenter);
    c1_ = fit(48, {"Szolgáltató ULV kódja:", "Szolgáltató ZAPO kódja:",
                   "Szolgáltató ULV szerződésszáma:", "Szolgáltató ZAPO szerződésszáma:",
                   "megnevezése:", "címe:", "A beteg neve:", "születési helye, ideje:",
                   "társadalombiztosítási azonosítója:"});
    const double c1 = c1_;
    double& y = y_;
    const double sw = fit(20, {"Sorszám:"});
    label(0, y, sw, QStringLiteral("Sorszám:"));
    field("sorsz", sw, y, 12);
    field("resz", sw + 12, y, 6);
    const double jw = fit(30, {"Jelentési időszak:"});
    label(110, y, jw, QStringLiteral("Jelentési időszak:"));
    field("idoszak", 110 + jw, y, 20);
    y += kRow;
    named("cap_kod", 0, y, c1, QStringLiteral("Szolgáltató ULV kódja:"));
    field("intkod", c1, y, 20);
    const double mw = fit(42, {"Megyekód és megnevezése:"});
    const double mx = std::max(80.0, c1 + 22);
    label(mx, y, mw, QStringLiteral("Megyekód és megnevezése:"));
    field("megye", mx + mw, y, 8);
    field("mnev", mx + mw + 8, y, 190 - (mx + mw + 8));
    y += kRow;
    named("cap_szszam", 0, y, c1, QStringLiteral("Szolgáltató ULV szerződésszáma:"));
    field("szszam", c1, y, 60);
    y += kRow;
    label(0, y, c1, QStringLiteral("megnevezése:"));
    field("inte", c1, y, 190 - c1);
    y += kRow;
    label(0, y, c1, QStringLiteral("címe:"));
    field("szcim", c1, y, 190 - c1);
    y += kRow;
    rule();
}

void SheetHeader::patient() {
    const double c1 = c1_;
    double& y = y_;
    const double nw = fit(12, {"Neme:"});
    label(0, y, c1, QStringLiteral("A beteg neve:"));
    field("nev", c1, y, 145 - 2 - c1);
    label(145, y, nw, QStringLiteral("Neme:"));
    field("neme", 145 + nw, y, 190 - 145 - nw);
    y += kRow;
    label(0, y, c1, QStringLiteral("címe:"));
    field("bcim", c1, y, 190 - c1);
    y += kRow;
    label(0, y, c1, QStringLiteral("születési helye, ideje:"));
    field("szulh", c1, y, 110 - 2 - c1);
    field("szuli", 110, y, 25);
    y += kRow;
    const double tw = fit(28, {"Területi pótlék:"});
    label(0, y, c1, QStringLiteral("társadalombiztosítási azonosítója:"));
    field("taj", c1, y, 25);
    label(110, y, tw, QStringLiteral("Területi pótlék:"));
    field("tpotl", 110 + tw, y, 12);
    y += kRow;
    if (newLayout_) patientCodes();
    rule();
}

// The new layout's line of codes: financing, identifier type, payment
// category, citizenship.
void SheetHeader::patientCodes() {
    double x = 0;
    auto pair = [&](const char* name, const char* text, double least, const char* value,
                    double width) {
        const double w = fit(least, {text});
        named(name, x, y_, w, QString::fromUtf8(text));
        field(value, x + w, y_, width);
        x += w + width + 2;
    };
    pair("l_finkod", "finanszírozási kód:", 30, "finkod", 20);
    pair("l_aztip", "Azonosító típus:", 27, "aztip", 6);
    pair("l_terkat", "Térítési kategória:", 30, "terkat", 8);
    pair("l_allamp", "Állampolgárság:", 27, "allamp", 12);
    y_ += kRow;
}

void SheetHeader::diagnoses() {
    double& y = y_;
    const double c2 = fit(78, {"Fekvőbeteg-intézeti ápolást indokló diagnózis:",
                               "Fekvőbeteg-intézeti ápolási napok száma:",
                               "Fekvőbeteg-intézetből történt elbocsátás napja:", "Alapbetegség:",
                               "Kísérő betegség:", "Szakápolást indokló fődiagnózis",
                               "Ellátást befolyásoló tényező:"});
    auto diagnosis = [&](const QString& text, const char* code, const char* name) {
        label(0, y, c2, text);
        field(code, c2, y, 12);
        if (name) field(name, c2 + 12, y, 190 - c2 - 12);
        y += kRow;
    };
    diagnosis(QStringLiteral("Fekvőbeteg-intézeti ápolást indokló diagnózis:"), "bnoki",
              "bnokinev");
    label(0, y, c2, QStringLiteral("Fekvőbeteg-intézeti ápolási napok száma:"));
    field("apnap", c2, y, 12);
    y += kRow;
    label(0, y, c2, QStringLiteral("Fekvőbeteg-intézetből történt elbocsátás napja:"));
    field("elb", c2, y, 25);
    y += kRow;
    diagnosis(QStringLiteral("Alapbetegség:"), "bnorov", "bnorovnev");
    diagnosis(QStringLiteral("Kísérő betegség:"), "bnomell", "bnomellnev");
    diagnosis(QStringLiteral("Szakápolást indokló fődiagnózis"), "bnofo", "bnofonev");
    diagnosis(QStringLiteral("Ellátást befolyásoló tényező:"), "bnoell", "bnoellnev");
    rule();
}

// The order and the doctors: a left and a right column of pairs.
void SheetHeader::order() {
    double& y = y_;
    const double c3 = fit(62, {"A szakápolásba vételének időpontja:", "Elrendelt vizitek száma:",
                               "Hányadik folyamatos elrendelés:", "Elrendelő orvos neve:",
                               "Javaslatot tevő orvos neve:"});
    const double c4 =
        fit(55, {"Ápolási eset lezárásának ideje:", "Eddig elszámolt vizitek száma:"});
    const double pw = fit(22, {"Pecsétszáma:"});
    const double rx = std::max(100.0, c3 + 27);
    label(0, y, c3, QStringLiteral("A szakápolásba vételének időpontja:"));
    field("szakvet", c3, y, 25);
    label(rx, y, c4, QStringLiteral("Ápolási eset lezárásának ideje:"));
    field("lezdat", rx + c4, y, 25);
    y += kRow;
    label(0, y, c3, QStringLiteral("Elrendelt vizitek száma:"));
    field("elvizdb", c3, y, 15);
    label(rx, y, c4, QStringLiteral("Eddig elszámolt vizitek száma:"));
    field("elszviz", rx + c4, y, 15);
    y += kRow;
    label(0, y, c3, QStringLiteral("Hányadik folyamatos elrendelés:"));
    field("elszam", c3, y, 15);
    y += kRow;
    auto doctor = [&](const QString& text, const char* name, const char* code) {
        label(0, y, c3, text);
        field(name, c3, y, 190 - 23 - pw - 2 - c3);
        label(190 - 23 - pw, y, pw, QStringLiteral("Pecsétszáma:"));
        field(code, 190 - 23, y, 23);
        y += kRow;
    };
    doctor(QStringLiteral("Elrendelő orvos neve:"), "onev", "orvoskod");
    if (newLayout_) doctor(QStringLiteral("Javaslatot tevő orvos neve:"), "jonev", "jorvkod");
}

} // namespace

double addSheetHeader(Band& b, const QString& title, bool newLayout) {
    return SheetHeader(b, newLayout).place(title);
}

QString bnoName(const SheetLookups& lk, const QString& code) {
    return code.isEmpty() ? QString() : lk.bno.value(code);
}

void fillSheetHeader(Band& b, const PrintContext& c, const SheetLookups& lk, bool newLayout) {
    auto set = [&](const char* name, const QString& text) {
        b.elements[size_t(b.indexOf(QLatin1String(name)))].text = text;
    };
    auto copy = [&](const char* name) { set(name, c.text(QLatin1String(name))); };
    const QString idoszak = c.text(QStringLiteral("idoszak"));
    for (const char* n : {"sorsz",  "resz",    "idoszak", "intkod",  "megye",   "szszam", "inte",
                          "szcim",  "nev",     "bcim",    "szulh",   "szuli",   "taj",    "apnap",
                          "elb",    "bnoki",   "bnorov",  "bnomell", "bnofo",   "bnoell", "szakvet",
                          "lezdat", "elvizdb", "elszviz", "elszam",  "orvoskod"})
        copy(n);
    const QVariant megye = c.value(QStringLiteral("megye"));
    set("mnev", megye.isNull() ? QString() : countyName(megye.toInt()));
    const QString neme = c.text(QStringLiteral("neme"));
    set("neme", neme == QLatin1String("N")   ? QStringLiteral("Nő")
                : neme == QLatin1String("F") ? QStringLiteral("Férfi")
                                             : QString());
    set("tpotl", c.text(QStringLiteral("tpotl")) == QLatin1String("I") ? QStringLiteral("igen")
                                                                       : QStringLiteral("nem"));
    set("bnokinev", bnoName(lk, c.text(QStringLiteral("bnoki"))));
    set("bnorovnev", bnoName(lk, c.text(QStringLiteral("bnorov"))));
    set("bnomellnev", bnoName(lk, c.text(QStringLiteral("bnomell"))));
    set("bnofonev", bnoName(lk, c.text(QStringLiteral("bnofo"))));
    set("bnoellnev", bnoName(lk, c.text(QStringLiteral("bnoell"))));
    set("onev", lk.doctor.value(c.text(QStringLiteral("orvoskod"))));
    if (!newLayout) return;

    const QString jorvkod = c.text(QStringLiteral("jorvkod"));
    set("jorvkod", jorvkod);
    set("jonev", jorvkod.isEmpty() ? QString() : lk.doctor.value(jorvkod));
    const bool zapo = idoszak >= core::hatar::zapo.text();
    set("cap_kod", zapo ? QStringLiteral("Szolgáltató ZAPO kódja:")
                        : QStringLiteral("Szolgáltató ULV kódja:"));
    set("cap_szszam", zapo ? QStringLiteral("Szolgáltató ZAPO szerződésszáma:")
                           : QStringLiteral("Szolgáltató ULV szerződésszáma:"));
    const bool codes2016 = idoszak >= core::hatar::azonositoTipus.text();
    for (const char* n : {"finkod", "aztip", "terkat", "allamp"}) {
        copy(n);
        b.elements[size_t(b.indexOf(QLatin1String(n)))].visible = codes2016;
        b.elements[size_t(b.indexOf(QLatin1String("l_") + QLatin1String(n)))].visible = codes2016;
    }
}

double addSignatures(Band& b, double y) {
    b.addLabel(0, y, 30, kRow, QStringLiteral("Dátum:"), kLabel);
    b.addText(QStringLiteral("datum"), 30, y, 40, kRow, {}, kValue);
    y += 16;
    b.addLine(5, y, 75, y, 0.3, Qt::DotLine);
    b.addLine(115, y, 185, y, 0.3, Qt::DotLine);
    y += 0.5;
    b.addLabel(5, y, 70, kRow, QStringLiteral("Szolgáltató cégszerű aláírása"), kLabel,
               Qt::AlignCenter);
    b.addLabel(115, y, 70, kRow, QStringLiteral("Ellátást végző(k) aláírása"), kLabel,
               Qt::AlignCenter);
    return y + kRow;
}

void addSheetFooter(Band& f) {
    double y = 2;
    f.addLabel(0, y, 45, kRow, QStringLiteral("A vizitek száma összesen:"), kLabel);
    f.addText(QStringLiteral("szviz"), 45, y, 15, kRow, {}, kValue);
    y += kRow + 2;
    f.height = addSignatures(f, y) + 1;
    f.beforePrint = [](Band& b, const PrintContext& c) {
        b.setText(QStringLiteral("szviz"), c.text(QStringLiteral("szviz")));
        b.setText(QStringLiteral("datum"), c.printed.date().toString(QStringLiteral("yyyy.MM.dd")));
        return true;
    };
}

} // namespace parts

// ---------------------------------------------------------------- Telszl

namespace {

const QStringList kOnkep = {QStringLiteral("Teljes ápolásra szoruló beteg"),
                            QStringLiteral("Részleges ápolásra szoruló beteg"),
                            QStringLiteral("Önellátó beteg")};

// The day grid looks each day's visit up among all rows of the query, as
// "SORSZ;IDOSZAK;APDATUM" for a full invoice and with RESZ for a partial
// one; the first row of a key wins.
struct DayIndex {
    QHash<QString, int> withoutResz, withResz;
    int cSorsz = -1, cResz = -1, cIdoszak = -1, cApdatum = -1, cTevkod = -1, cElltip = -1,
        cAptaj = -1, cAnev = -1, cOnkep = -1;
    bool built = false;

    void build(const engine::Query& q) {
        built = true;
        cSorsz = q.columnIndex(QStringLiteral("sorsz"));
        cResz = q.columnIndex(QStringLiteral("resz"));
        cIdoszak = q.columnIndex(QStringLiteral("idoszak"));
        cApdatum = q.columnIndex(QStringLiteral("apdatum"));
        cTevkod = q.columnIndex(QStringLiteral("tevkod"));
        cElltip = q.columnIndex(QStringLiteral("elltip"));
        cAptaj = q.columnIndex(QStringLiteral("aptaj"));
        cAnev = q.columnIndex(QStringLiteral("anev"));
        cOnkep = q.columnIndex(QStringLiteral("onkep"));
        for (int r = 0; r < q.rowCount(); ++r) {
            const QString s = q.value(r, cSorsz).toString(), i = q.value(r, cIdoszak).toString(),
                          d = q.value(r, cApdatum).toString();
            const QString k1 = s + QLatin1Char('|') + i + QLatin1Char('|') + d;
            if (!withoutResz.contains(k1)) withoutResz.insert(k1, r);
            const QString k2 = s + QLatin1Char('|') + q.value(r, cResz).toString() +
                               QLatin1Char('|') + i + QLatin1Char('|') + d;
            if (!withResz.contains(k2)) withResz.insert(k2, r);
        }
    }
};

constexpr double kGridRow = 3.9;
constexpr int kFirstBlock = 16;

// The day grid from y: days 1 to 16 on the left, 17 to 31 on the right,
// each day's date, care type, main activity and nurse's TAJ; returns the y
// below it.
double addDayGrid(Band& g, double y) {
    using namespace parts;
    const double colX[] = {0, 22, 45, 67};
    const double colW[] = {22, 23, 22, 26};
    const QString heads[] = {QStringLiteral("Nap"), QStringLiteral("Ellátás típusa"),
                             QStringLiteral("Fő tevékenység"), QStringLiteral("Ápoló TAJ száma")};
    for (int block = 0; block < 2; ++block) {
        const double x0 = block * 97;
        for (int c = 0; c < 4; ++c)
            g.addLabel(x0 + colX[c], y, colW[c], 5, heads[c], kSmall, Qt::AlignCenter);
        g.addFrame(x0, y, 93, 5 + kFirstBlock * kGridRow, 0.2);
        g.addLine(x0, y + 5, x0 + 93, y + 5, 0.2);
        for (int c = 1; c < 4; ++c)
            g.addLine(x0 + colX[c], y, x0 + colX[c], y + 5 + kFirstBlock * kGridRow, 0.1);
    }
    for (int d = 1; d <= 31; ++d) {
        const int block = d <= kFirstBlock ? 0 : 1;
        const int line = block == 0 ? d - 1 : d - 1 - kFirstBlock;
        const double x0 = block * 97, yy = y + 5 + line * kGridRow;
        const QString n = QString::number(d);
        g.addText(QStringLiteral("apdat") + n, x0 + colX[0] + 1, yy, colW[0] - 1, kGridRow, {},
                  kLabel);
        g.addText(QStringLiteral("ellt") + n, x0 + colX[1], yy, colW[1], kGridRow, {}, kValue,
                  Qt::AlignCenter);
        g.addText(QStringLiteral("tevk") + n, x0 + colX[2], yy, colW[2], kGridRow, {}, kValue,
                  Qt::AlignCenter);
        g.addText(QStringLiteral("aptaj") + n, x0 + colX[3], yy, colW[3], kGridRow, {}, kValue,
                  Qt::AlignCenter);
    }
    return y + 5 + kFirstBlock * kGridRow + 2;
}

} // namespace

Report makeTelszl(engine::Query rows, std::shared_ptr<SheetLookups> lookups,
                  const ProgramText& program) {
    using namespace parts;
    Report r(QStringLiteral("Telszl"), QStringLiteral("Egyéni elszámoló lap"));
    r.data = std::move(rows);
    r.groupKey = sheetKey;
    addPageBands(r, program);

    Band& g = r.groupHeader;
    g.startsNewPage = true;
    double y = addSheetHeader(g, QStringLiteral("SZAKÁPOLÁSI EGYÉNI ELSZÁMOLÓ LAP"), true);
    g.addLabel(0, y, 62, kRow, QStringLiteral("Ellátást végző(k) neve"), kLabel);
    g.addText(QStringLiteral("apolok"), 62, y, 128, kRow, {}, kValue).wordWrap = true;
    y += 2 * kRow;
    g.addLabel(0, y, 62, kRow, QStringLiteral("Elvégzett tevékenységek:"), kLabel);
    g.addText(QStringLiteral("tevkodok"), 62, y, 128, kRow, {}, kValue);
    y += kRow;
    g.addLabel(0, y, 62, kRow, QStringLiteral("A beteg állapota:"), kLabel);
    g.addText(QStringLiteral("onkep"), 62, y, 8, kRow, {}, kValue);
    g.addText(QStringLiteral("onkepnev"), 70, y, 120, kRow, {}, kValue);
    y += kRow + 2;

    y = addDayGrid(g, y);
    g.height = y;

    auto days = std::make_shared<DayIndex>();
    const int firstDay = g.indexOf(QStringLiteral("apdat1"));
    g.beforePrint = [lookups, days, firstDay](Band& b, const PrintContext& c) {
        fillSheetHeader(b, c, *lookups, true);
        auto set = [&](const char* name, const QString& text) {
            b.elements[size_t(b.indexOf(QLatin1String(name)))].text = text;
        };
        set("tevkodok", c.text(QStringLiteral("tevkodok")));
        const engine::Query& q = *c.data;
        if (!days->built) days->build(q);
        const QString sorsz = q.value(c.row, days->cSorsz).toString();
        const QString resz = q.value(c.row, days->cResz).toString();
        const QString idoszak = q.value(c.row, days->cIdoszak).toString();
        const QDate first =
            QDate::fromString(idoszak + QStringLiteral(".01"), QStringLiteral("yyyy.MM.dd"));
        const int napok = first.isValid() ? first.daysInMonth() : 31;
        QStringList nurses;
        for (int d = 1; d <= 31; ++d) {
            Element* cell = &b.elements[size_t(firstDay + (d - 1) * 4)];
            const bool shown = d <= napok;
            for (int i = 0; i < 4; ++i) {
                cell[i].visible = shown;
                cell[i].text.clear();
            }
            if (!shown) continue;
            const QString dd = QStringLiteral("%1").arg(d, 2, 10, QLatin1Char('0'));
            cell[0].text = idoszak + QLatin1Char('.') + dd;
            const QString iso = first.addDays(d - 1).toString(Qt::ISODate);
            const int row =
                resz.isEmpty()
                    ? days->withoutResz.value(
                          sorsz + QLatin1Char('|') + idoszak + QLatin1Char('|') + iso, -1)
                    : days->withResz.value(sorsz + QLatin1Char('|') + resz + QLatin1Char('|') +
                                               idoszak + QLatin1Char('|') + iso,
                                           -1);
            if (row < 0) continue;
            cell[1].text = displayText(q.value(row, days->cElltip));
            cell[2].text = displayText(q.value(row, days->cTevkod));
            cell[3].text = displayText(q.value(row, days->cAptaj));
            const QString name = q.value(row, days->cAnev).toString().trimmed();
            if (!name.isEmpty() && !nurses.contains(name)) nurses << name;
        }
        // The patient's state as the sheet's first visit row gives it.
        const QVariant ok = q.value(c.row, days->cOnkep);
        const int onkep = ok.isNull() ? 0 : ok.toInt();
        set("onkep", displayText(ok));
        set("onkepnev", onkep >= 1 && onkep <= 3 ? kOnkep[onkep - 1] : QString());
        set("apolok", nurses.join(QStringLiteral(", ")));
        return true;
    };

    addSheetFooter(r.groupFooter);
    return r;
}

} // namespace reports
