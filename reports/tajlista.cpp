#include "reports/tajlista.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "engine/dberror.h"
#include "engine/scan.h"
#include "engine/table.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <iterator>
#include <memory>

namespace reports {

namespace {

// Thrown when the progress stopped the reading of a long list.
struct Megszakitva {};

const Font kCella{7};
const Font kBeteg{8, true}; // the patient's line
const Font kOssz{7, true};  // the patient's totals
constexpr double kSor = 3.8;
constexpr double kKoz = 1.0;    // mm between two columns
constexpr double kLevego = 0.6; // mm of air in a column beside its widest text

// Columns of the detail line (landscape), each as wide as its heading's
// widest word and its widest value: the sample of a value in the cells'
// font, and of a total in the totals' font (a patient's total of one kind
// of visits stays below ten thousand). The two diagnoses share what is left
// and wrap.
struct Hasab {
    const char* nev;
    const char* cim;
    const char* minta = "";     // widest value in a cell
    const char* osszMinta = ""; // widest total under the column
    bool jobbra = false;        // numbers align right
};
const Hasab kHasabok[] = {
    {"lapszam", "Lapszám", "00000W"},
    {"idoszak", "Időszak", "0000.00"},
    {"elszam", "Elrendelés szám", "000"},
    {"engszam", "Eng.szám", "0000"},
    {"szakvet", "Kezdet", "0000.00.00"},
    {"lezdat", "Lezárás", "0000.00.00"},
    {"bnorov", "Alapbetegség"},
    {"bnofo", "Fődiagnózis"},
    {"tevek", "Tevékenységek", "", "Összesen:"},
    {"szviz", "Összes vizit-szám", "00", "00 000", true},
    {"n0", "Sz.áp. 1", "0 000", "0 000", true},
    {"n1", "Sz.áp. 2", "0 000", "0 000", true},
    {"n2", "Sz.áp. 3", "0 000", "0 000", true},
    {"n3", "Gyt. 1", "0 000", "0 000", true},
    {"n4", "Gyt. 2", "0 000", "0 000", true},
    {"n5", "Fizio 1", "0 000", "0 000", true},
    {"n6", "Fizio 2", "0 000", "0 000", true},
    {"n7", "Logo 1", "0 000", "0 000", true},
    {"n8", "Logo 2", "0 000", "0 000", true},
};
constexpr int kHasabSzam = int(std::size(kHasabok));

bool rugalmas(const Hasab& h) {
    return QLatin1String(h.nev) == QLatin1String("bnorov") ||
           QLatin1String(h.nev) == QLatin1String("bnofo");
}

struct Hely {
    double x = 0, w = 0;
};

// Where each column stands in the given width: the fixed ones as wide as
// their texts need, the two diagnoses sharing the rest.
std::vector<Hely> hasabHelyek(double szeles) {
    std::vector<Hely> h(kHasabSzam);
    double kotott = 0;
    int rugalmasak = 0;
    for (int i = 0; i < kHasabSzam; ++i) {
        const Hasab& c = kHasabok[i];
        double w = fejSzeles(QString::fromUtf8(c.cim));
        w = std::max(w, textWidth(QString::fromUtf8(c.minta), kCella));
        w = std::max(w, textWidth(QString::fromUtf8(c.osszMinta), kOssz));
        h[std::size_t(i)].w = w + kLevego;
        if (rugalmas(c))
            ++rugalmasak;
        else
            kotott += h[std::size_t(i)].w;
    }
    const double marad = szeles - kotott - kKoz * (kHasabSzam - 1);
    double x = 0;
    for (int i = 0; i < kHasabSzam; ++i) {
        Hely& e = h[std::size_t(i)];
        if (rugalmas(kHasabok[i])) e.w = std::max(e.w, marad / rugalmasak);
        e.x = x;
        x += e.w + kKoz;
    }
    return h;
}

int hasabIndex(const char* nev) {
    for (int i = 0; i < kHasabSzam; ++i)
        if (QLatin1String(kHasabok[i].nev) == QLatin1String(nev)) return i;
    return -1;
}

QString szamlalo(long long n) {
    return n != 0 ? ui::formatNumber(n) : QString();
}

// Every record of a table that is not flagged deleted, in file order, with
// the numbers of the named fields.
void eachRecord(const engine::Table& t, std::initializer_list<const char*> fields,
                const std::function<void(const engine::RecordView&, const int*)>& step) {
    engine::Scan scan(t);
    std::vector<int> f;
    for (const char* name : fields)
        f.push_back(scan.field(QLatin1String(name)));
    for (int i : f)
        if (i < 0) throw engine::DbError(engine::DbError::Kind::Usage, t.path(), "field");
    while (scan.next())
        step(scan.record(), f.data());
}

QString lapKulcs(const QString& idoszak, const QString& sorsz, const QString& resz) {
    return idoszak + QLatin1Char('|') + sorsz + QLatin1Char('|') + resz;
}

QString lapKulcs(const QVariant& idoszak, const QVariant& sorsz, const QVariant& resz) {
    return lapKulcs(displayText(idoszak), displayText(sorsz), displayText(resz));
}

// A field of a record as the list shows it (as displayText shows its value):
// a character field's text read straight from the record.
QString szoveg(const engine::RecordView& r, int f) {
    if (r.fieldDef(f).type != 'C') return displayText(r.value(f));
    const QString t = r.text(f);
    return t.size() == 10 ? displayText(t) : t; // what could read as an ISO date
}

// A whole-number field (0 when blank), read without a QVariant.
int egesz(const engine::RecordView& r, int f) {
    const std::optional<qint64> n = r.integer(f);
    return n ? int(*n) : r.value(f).toInt();
}

// The key of the sheet whose IDOSZAK, SORSZ and RESZ fields are f[0..2].
QString lapKulcs(const engine::RecordView& r, const int* f) {
    return lapKulcs(szoveg(r, f[0]), szoveg(r, f[1]), szoveg(r, f[2]));
}

// A sheet's visits: the counters and the activity codes in code order.
struct Vizitek {
    Szamlalok n{};
    QStringList kodok;

    void hozza(const QString& tevkod, int elltip, int onkep, long long db) {
        if (!tevkod.trimmed().isEmpty() && !kodok.contains(tevkod.trimmed()))
            kodok << tevkod.trimmed();
        const int i = szamlaloIndex(elltip, onkep);
        if (i >= 0) n[std::size_t(i)] += db;
    }
    QString lista() const {
        QStringList k = kodok;
        k.sort();
        QString l;
        for (const QString& t : k)
            tevekenysegHozza(l, t);
        return l;
    }
};

// What a sheet's line shows besides its own fields.
struct Sor {
    bool marad = false; // it has its order record and its patient
    QVariant engszam, szakvet;
    QString nev;
};

struct Adatok {
    std::vector<Sor> sorok;
    QHash<QString, int> betegSorai; // TAJ -> its lines that stay
    bool mind = false;              // every sheet's visits are in `vizitek`
    QHash<QString, Vizitek> vizitek;
};

// The state shared by the bands: the patient's totals.
struct Osszegek {
    Szamlalok csoport{};
    long long szviz = 0;
    bool csoportMarad = true;
    std::shared_ptr<SheetLookups> bno;
    std::shared_ptr<Adatok> adat;
};

} // namespace

int szamlaloIndex(int elltip, int onkep) {
    switch (elltip) {
    case 2:
        return onkep >= 1 && onkep <= 3 ? onkep - 1 : -1;
    case 4:
    case 5:
    case 6:
        return onkep >= 1 && onkep <= 2 ? 3 + (elltip - 4) * 2 + onkep - 1 : -1;
    default:
        return -1;
    }
}

void tevekenysegHozza(QString& lista, const QString& tevkod) {
    const QString k = tevkod.trimmed();
    if (k.isEmpty()) return;
    if (lista.isEmpty()) {
        lista = k;
        return;
    }
    // Whole codes: "1" is not in "10".
    if (!lista.split(QLatin1Char(' ')).contains(k)) lista += QLatin1Char(' ') + k;
}

QString TajLista::cim(const TajIdoszak& span, const QString& k, const QString& n,
                      const QString& p) {
    const QString eleje = QStringLiteral("TAJ számos ellenőrző lista a ") + k + QLatin1Char(' ') +
                          n + QStringLiteral(" szolgáltató betegeiről ");
    switch (span.fajta) {
    case TajIdoszak::Fajta::Teljes:
        return eleje + QStringLiteral("1999. 04 hónaptól");
    case TajIdoszak::Fajta::Aktualis:
        return eleje + p + QStringLiteral(" időszakban");
    case TajIdoszak::Fajta::Valasztott:
        return eleje + span.tol.text() + QLatin1Char('-') + p + QStringLiteral(" időszakban");
    }
    return eleje;
}

std::optional<Lista> TajLista::egyBeteg(const QString& taj) {
    std::optional<Lista> l = keszit(
        QStringLiteral("Egy betegre vonatkozó TAJ-szám szerinti ellenőrző lista 1999. 04 hónaptól"),
        QStringLiteral(" and a.taj=?"), {taj});
    if (!l)
        st_.msg.error(QStringLiteral("Nincs a ") + taj +
                      QStringLiteral(" TAJ-számú betegnek elszámolási lapja!"));
    return l;
}

std::optional<Lista> TajLista::osszes(const TajIdoszak& span, int elsoSorok) {
    st_.msg.status(
        0, QStringLiteral("Teljes TAJ-számos lista nyomtatása folyik, kis türelmet kérek..."));
    const engine::Query part =
        st_.tables.dbo.query(QStringLiteral("select intkod, inte from part"));
    const QString k = part.isEmpty() ? QString() : displayText(part.value(0, 0));
    const QString n = part.isEmpty() ? QString() : displayText(part.value(0, 1));
    const QString p = st_.id.text();
    std::optional<Lista> l;
    try {
        switch (span.fajta) {
        case TajIdoszak::Fajta::Teljes:
            l = keszit(cim(span, k, n, p), QStringLiteral(" and a.intkod=?"), {k}, elsoSorok);
            break;
        case TajIdoszak::Fajta::Aktualis:
            l = keszit(cim(span, k, n, p), QStringLiteral(" and a.idoszak=?"), {p}, elsoSorok);
            break;
        case TajIdoszak::Fajta::Valasztott:
            l = keszit(cim(span, k, n, p), QStringLiteral(" and a.idoszak>=? and a.idoszak<=?"),
                       {span.tol.text(), p}, elsoSorok);
            break;
        }
    } catch (const Megszakitva&) {
        return std::nullopt; // stopped: nothing to say
    }
    if (!l) {
        st_.msg.error(QStringLiteral("Nincs a ") + k + QStringLiteral(" szolgáltatónak betege!"));
        st_.msg.status(0, QString()); // nothing is being printed after all
    }
    return l;
}

namespace {

// The list built stage by stage: the sheets, what each line shows besides
// the sheet's own fields, then the bands.
class Keszito {
public:
    Keszito(core::AppState& st, const ProgramText& program, const LayoutProgress& halad)
        : st_(st), program_(program), halad_(halad) {}

    std::optional<Lista> keszit(const QString& cim, const QString& where,
                                const QVariantList& params, int elsoSorok);

private:
    std::optional<engine::Query> lapok(const QString& where, const QVariantList& params,
                                       int elsoSorok);
    void egyszerre(Adatok& adat, QHash<QString, std::pair<QVariant, QVariant>>& rendek,
                   QHash<QString, QString>& nevek);
    long long kapcsol(const engine::Query& rows, Adatok& adat);
    void betegFej(Band& gh, double szeles);
    void sorok(Band& d, const std::vector<Hely>& hely);
    void osszesen(Band& gf, const std::vector<Hely>& hely, double szeles);

    // Every so many records read: the progress is told, and stops the list
    // when it answers false.
    void lepes() {
        if (halad_ && ++lepesek_ % TajLista::haladLepes == 0 && !halad_(0, 0)) throw Megszakitva();
    }

    core::AppState& st_;
    const ProgramText& program_;
    const LayoutProgress& halad_;
    long long lepesek_ = 0;
    std::shared_ptr<Osszegek> ossz_ = std::make_shared<Osszegek>();
};

// The sheets in the list's order, from the periods after the first one the
// program accepts; none when the first patients were asked for and there
// are none.
std::optional<engine::Query> Keszito::lapok(const QString& where, const QVariantList& params,
                                            int elsoSorok) {
    const QVariant kezdet = core::hatar::elsoElfogadott.text();
    QVariantList args = QVariantList{kezdet} + params;
    QString szukit = where;
    if (elsoSorok > 0) {
        // The first patients only: the TAJ number the first sheets reach,
        // in the order of the TAJ tag, which stops after them. The bound on
        // the TAJ number (a sheet without one has no patient and is left
        // out anyway) has the tag walked rather than the period's, whose
        // every sheet from 1999 would be read and sorted: the first pages'
        // wait would grow with the years.
        QVariantList a = args;
        a << elsoSorok;
        const engine::Query utolso = st_.tables.dbo.query(
            QStringLiteral("select a.taj from lap a where a.idoszak>?") + where +
                QStringLiteral(" and a.taj>='' order by a.taj, a.idoszak limit ?"),
            a);
        if (utolso.isEmpty()) return std::nullopt;
        szukit += QStringLiteral(" and a.taj<=?");
        args << utolso.value(utolso.rowCount() - 1, 0);
    }
    return st_.tables.dbo.query(
        QStringLiteral("select a.taj, a.idoszak, a.sorsz, a.resz, a.elszam, a.lezdat, a.szviz,"
                       " a.bnorov, a.bnofo from lap a where a.idoszak>?") +
            szukit + QStringLiteral(" order by a.taj, a.idoszak, a.sorsz, a.resz"),
        args);
}

// For a long list: the order records, the patients' names and the visit
// rows of every sheet, each table read in one pass (a million visit rows
// pass three times faster record by record than through SQL).
void Keszito::egyszerre(Adatok& adat, QHash<QString, std::pair<QVariant, QVariant>>& rendek,
                        QHash<QString, QString>& nevek) {
    eachRecord(st_.tables.elrend, {"IDOSZAK", "SORSZ", "RESZ", "ENGSZAM", "SZAKVET"},
               [&](const engine::RecordView& r, const int* f) {
                   lepes();
                   rendek.insert(lapKulcs(r, f), {r.value(f[3]), r.value(f[4])});
               });
    st_.tables.dbo.each(QStringLiteral("select taj, nev from beteg"), {},
                        [&](const QVariantList& v) {
                            const QString taj = displayText(v[0]);
                            if (!nevek.contains(taj)) nevek.insert(taj, displayText(v[1]));
                        });
    eachRecord(st_.tables.lapb, {"IDOSZAK", "SORSZ", "RESZ", "TEVKOD", "ELLTIP", "ONKEP", "VIZITDB"},
               [&](const engine::RecordView& r, const int* f) {
                   lepes();
                   const std::optional<qint64> db = r.integer(f[6]);
                   adat.vizitek[lapKulcs(r, f)].hozza(szoveg(r, f[3]), egesz(r, f[4]),
                                                      egesz(r, f[5]),
                                                      db ? *db : r.value(f[6]).toLongLong());
               });
    adat.mind = true;
}

// Each sheet's order record and patient, looked up by key: one seek per
// sheet for a short list, one pass over each table for a long one (three
// passes read faster than a join through the tables' tags). Returns how
// many sheets stay.
long long Keszito::kapcsol(const engine::Query& rows, Adatok& adat) {
    const int n = rows.rowCount();
    const bool hosszu = n > TajLista::egyenkentHatar;
    adat.sorok.resize(std::size_t(n));
    QHash<QString, std::pair<QVariant, QVariant>> rendek; // engszam, szakvet
    QHash<QString, QString> nevek;
    if (hosszu) egyszerre(adat, rendek, nevek);
    long long megmarad = 0;
    for (int row = 0; row < n; ++row) {
        lepes();
        Sor& s = adat.sorok[std::size_t(row)];
        const QVariant idoszak = rows.value(row, 1), sorsz = rows.value(row, 2),
                       resz = rows.value(row, 3);
        const QString taj = displayText(rows.value(row, 0));
        std::optional<std::pair<QVariant, QVariant>> rend;
        std::optional<QString> nev;
        if (hosszu) {
            if (auto it = rendek.constFind(lapKulcs(idoszak, sorsz, resz)); it != rendek.cend())
                rend = *it;
            if (auto it = nevek.constFind(taj); it != nevek.cend()) nev = *it;
        } else {
            const engine::Query e = st_.tables.dbo.query(
                QStringLiteral("select engszam, szakvet from elrend"
                               " where idoszak=? and sorsz=? and resz is ? limit 1"),
                {idoszak, sorsz, resz});
            if (!e.isEmpty()) rend = std::make_pair(e.value(0, 0), e.value(0, 1));
            const engine::Query b = st_.tables.dbo.query(
                QStringLiteral("select nev from beteg where taj=? limit 1"), {taj});
            if (!b.isEmpty()) nev = displayText(b.value(0, 0));
        }
        // A sheet without its order record or patient is left out, as a
        // join would leave it.
        s.marad = rend && nev;
        if (!s.marad) continue;
        s.engszam = rend->first;
        s.szakvet = rend->second;
        s.nev = *nev;
        ++adat.betegSorai[taj];
        ++megmarad;
    }
    return megmarad;
}

std::optional<Lista> Keszito::keszit(const QString& cim, const QString& where,
                                     const QVariantList& params, int elsoSorok) {
    std::optional<engine::Query> rows = lapok(where, params, elsoSorok);
    if (!rows) return std::nullopt;
    auto adat = std::make_shared<Adatok>();
    if (kapcsol(*rows, *adat) == 0) return std::nullopt;

    Lista l(QStringLiteral("Ttajl"), QStringLiteral("TAJ számos ellenőrző lista"));
    Report& r = l.report;
    r.orientation = Orientation::Landscape;
    r.data = std::move(*rows);
    const double szeles = r.pageSize().width() - r.margins.left() - r.margins.right();
    const std::vector<Hely> hely = hasabHelyek(szeles);
    std::vector<Oszlop> fejek;
    for (int i = 0; i < kHasabSzam; ++i) {
        const Hasab& c = kHasabok[i];
        fejek.push_back(
            {QString::fromUtf8(c.cim), hely[std::size_t(i)].x, hely[std::size_t(i)].w,
             c.jobbra ? 0 : -1,
             c.jobbra ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter});
    }
    l.oszlopfejek(fejek, l.fejlec(program_, cim));

    ossz_->bno = SheetLookups::load(st_);
    ossz_->adat = adat;
    // One group per patient.
    r.groupKey = [](const engine::Query& q, int row) { return q.value(row, 0).toString(); };
    betegFej(r.groupHeader, szeles);
    sorok(r.detail, hely);
    osszesen(r.groupFooter, hely, szeles);
    r.summary.height = 8;
    r.summary.addLabel(0, 3, 60, 4.5, QStringLiteral("Lista vége"), Font{9, true});
    return l;
}

// The patient: "TAJ szám:", the number and the name, each after the other
// with a blank's room between. The header comes again on each page the
// patient's sheets go on to, and the totals stay with a sheet.
void Keszito::betegFej(Band& gh, double szeles) {
    gh.height = 5.5;
    gh.repeatsOnNewPage = true;
    gh.keepsWithRows = true;
    const QString cimke = QStringLiteral("TAJ szám:");
    const double koz = 2 * textWidth(QStringLiteral(" "), kBeteg);
    const double cw = textWidth(cimke, kBeteg) + kLevego;
    const double tw = textWidth(QStringLiteral("000000000"), kBeteg) + kLevego;
    gh.addLabel(0, 1, cw, kSor, cimke, kBeteg);
    gh.addText(QStringLiteral("taj"), cw + koz, 1, tw, kSor, {}, kBeteg);
    const double nx = cw + koz + tw + koz;
    gh.addText(QStringLiteral("nev"), nx, 1, szeles - nx, kSor, {}, kBeteg);
    gh.beforePrint = [ossz = ossz_](Band& b, const PrintContext& c) {
        ossz->csoport.fill(0);
        ossz->szviz = 0;
        const QString taj = c.text(QStringLiteral("taj"));
        ossz->csoportMarad = ossz->adat->betegSorai.value(taj) > 0;
        if (!ossz->csoportMarad) return false;
        // The group's first row may be one left out; the name is the patient's.
        QString nev;
        for (int row = c.row; row < c.data->rowCount(); ++row)
            if (ossz->adat->sorok[std::size_t(row)].marad) {
                nev = ossz->adat->sorok[std::size_t(row)].nev;
                break;
            }
        b.setText(QStringLiteral("taj"), taj);
        b.setText(QStringLiteral("nev"), nev);
        return true;
    };
}

// A sheet's line: its own fields, its order record's, the diagnoses' names,
// its visit rows summed by activity, care type and category.
void Keszito::sorok(Band& d, const std::vector<Hely>& hely) {
    d.height = kSor;
    for (int i = 0; i < kHasabSzam; ++i) {
        const Hasab& c = kHasabok[i];
        Element& e = d.addText(QLatin1String(c.nev), hely[std::size_t(i)].x, 0,
                               hely[std::size_t(i)].w, kSor, {}, kCella,
                               c.jobbra ? Qt::AlignRight | Qt::AlignVCenter
                                        : Qt::AlignLeft | Qt::AlignVCenter);
        // The diagnoses' names and the activities wrap rather than being cut.
        if (rugalmas(c) || QLatin1String(c.nev) == QLatin1String("tevek")) {
            e.wordWrap = true;
            e.align = Qt::AlignLeft | Qt::AlignTop;
        }
    }
    core::AppState* st = &st_;
    d.beforePrint = [ossz = ossz_, st](Band& b, const PrintContext& c) {
        const Sor& sor = ossz->adat->sorok[std::size_t(c.row)];
        if (!sor.marad) return false;
        const QVariant resz = c.value(QStringLiteral("resz"));
        b.setText(QStringLiteral("lapszam"), c.text(QStringLiteral("sorsz")) + displayText(resz));
        for (const char* f : {"idoszak", "elszam", "lezdat", "szviz"})
            b.setText(QLatin1String(f), c.text(QLatin1String(f)));
        b.setText(QStringLiteral("engszam"), displayText(sor.engszam));
        b.setText(QStringLiteral("szakvet"), displayText(sor.szakvet));
        b.setText(QStringLiteral("bnorov"), ossz->bno->bno.value(c.text(QStringLiteral("bnorov"))));
        b.setText(QStringLiteral("bnofo"), ossz->bno->bno.value(c.text(QStringLiteral("bnofo"))));
        Vizitek v;
        if (ossz->adat->mind) {
            v = ossz->adat->vizitek.value(lapKulcs(c.value(QStringLiteral("idoszak")),
                                                   c.value(QStringLiteral("sorsz")), resz));
        } else {
            st->tables.dbo.each(
                QStringLiteral("select tevkod, elltip, onkep, vizitdb from lapb"
                               " where idoszak=? and sorsz=? and resz is ?"),
                {c.value(QStringLiteral("idoszak")), c.value(QStringLiteral("sorsz")), resz},
                [&](const QVariantList& r) {
                    v.hozza(displayText(r.value(0)), r.value(1).toInt(), r.value(2).toInt(),
                            r.value(3).toLongLong());
                });
        }
        const Szamlalok& n = v.n;
        const QString tevek = v.lista();
        b.setText(QStringLiteral("tevek"), tevek);
        for (int i = 0; i < 9; ++i) {
            b.setText(QStringLiteral("n%1").arg(i), szamlalo(n[std::size_t(i)]));
            ossz->csoport[std::size_t(i)] += n[std::size_t(i)];
        }
        ossz->szviz += c.value(QStringLiteral("szviz")).toLongLong();
        return true;
    };
}

// The patient's totals under the activities column and the counters.
void Keszito::osszesen(Band& gf, const std::vector<Hely>& hely, double szeles) {
    auto at = [&hely](const char* nev) { return hely[std::size_t(hasabIndex(nev))]; };
    gf.height = kSor + 2;
    gf.keepsWithRows = true;
    const Hely tev = at("tevek");
    gf.addLine(tev.x, 0.3, szeles, 0.3);
    gf.addLabel(tev.x, 0.8, tev.w, kSor, QStringLiteral("Összesen:"), kOssz,
                Qt::AlignRight | Qt::AlignVCenter);
    for (const char* nev : {"szviz", "n0", "n1", "n2", "n3", "n4", "n5", "n6", "n7", "n8"})
        gf.addText(QLatin1String(nev), at(nev).x, 0.8, at(nev).w, kSor, {}, kOssz,
                   Qt::AlignRight | Qt::AlignVCenter);
    gf.beforePrint = [ossz = ossz_](Band& b, const PrintContext&) {
        if (!ossz->csoportMarad) return false;
        b.setText(QStringLiteral("szviz"), ui::formatNumber(ossz->szviz));
        for (int i = 0; i < 9; ++i)
            b.setText(QStringLiteral("n%1").arg(i), szamlalo(ossz->csoport[std::size_t(i)]));
        return true;
    };
}

} // namespace

std::optional<Lista> TajLista::keszit(const QString& cim, const QString& where,
                                      const QVariantList& params, int elsoSorok) {
    return Keszito(st_, program_, halad_).keszit(cim, where, params, elsoSorok);
}

} // namespace reports
