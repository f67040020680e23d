#include "bench/twentyyears.h"

#include "core/idoszak.h"
#include "engine/database.h"
#include "engine/table.h"
#include "tools/demo/demodata.h"
#include "tools/demo/rng.h"

#include <QDate>
#include <QSet>
#include <array>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <vector>

namespace bench {

bool ScriptedDialogs::login(core::AppState& st) {
    app::Login l(st, false);
    return l.prepare() && l.ok(QStringLiteral("titok")) == app::Login::Result::Accepted;
}

bool ScriptedDialogs::period(core::AppState& st) {
    return app::Period(st).ok(st.clock.today().toString(QStringLiteral("yyyy.MM"))) ==
           app::Period::Result::Accepted;
}

double seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

QString periodOf(int p) {
    return QStringLiteral("%1.%2").arg(2006 + p / 12).arg(p % 12 + 1, 2, 10, QLatin1Char('0'));
}

namespace {

constexpr int kPerMonth = 417; // sheets a month, on average

using demo::Rng;

template <typename T> const T& pick(Rng& rng, const std::vector<T>& v) {
    return v[size_t(rng.below(int(v.size())))];
}

const std::vector<QString> kFamily = {
    "Nagy",    "Kovács", "Tóth",   "Szabó",  "Horváth",  "Varga",   "Kiss",    "Molnár",
    "Németh",  "Farkas", "Balogh", "Papp",   "Takács",   "Juhász",  "Lakatos", "Mészáros",
    "Oláh",    "Simon",  "Rácz",   "Fekete", "Szilágyi", "Török",   "Fehér",   "Balázs",
    "Gál",     "Kis",    "Szűcs",  "Kocsis", "Orsós",    "Pintér",  "Fodor",   "Szalai",
    "Sipos",   "Magyar", "Lukács", "Gulyás", "Biró",     "Király",  "Katona",  "László",
    "Jakab",   "Bogdán", "Balog",  "Sándor", "Boros",    "Fazekas", "Kelemen", "Antal",
    "Somogyi", "Orosz",  "Fülöp",  "Veres",  "Budai",    "Vincze",  "Hegedűs", "Deák",
    "Pap",     "Bálint", "Illés",  "Pál",    "Vass",     "Szőke",   "Fábián",  "Vörös"};
const std::vector<QString> kMale = {"László", "István", "József", "János", "Zoltán", "Sándor",
                                    "Ferenc", "Gábor",  "Attila", "Péter", "Tibor",  "Lajos",
                                    "Imre",   "Károly", "György", "Béla",  "Mihály", "Géza",
                                    "Jenő",   "Antal",  "Pál",    "Gyula", "Ernő",   "Dezső"};
const std::vector<QString> kFemale = {
    "Mária",   "Erzsébet", "Katalin", "Ilona",     "Éva",    "Anna",   "Zsuzsanna",
    "Margit",  "Julianna", "Judit",   "Ágnes",     "Erika",  "Irén",   "Magdolna",
    "Rozália", "Terézia",  "Gizella", "Piroska",   "Etelka", "Jolán",  "Edit",
    "Klára",   "Hajnalka", "Andrea",  "Krisztina", "Ibolya", "Aranka", "Borbála"};
const std::vector<QString> kStreets = {
    "Kossuth Lajos u.", "Petőfi Sándor u.", "Rákóczi u.",     "Ady Endre u.",   "Dózsa Gy. u.",
    "József Attila u.", "Béke u.",          "Fő u.",          "Arany János u.", "Jókai Mór u.",
    "Szabadság tér",    "Bem József u.",    "Táncsics M. u.", "Széchenyi u.",   "Vasút u.",
    "Kinizsi u.",       "Hunyadi u.",       "Zrínyi u.",      "Deák F. u.",     "Temető u."};
const std::vector<QString> kBirthPlaces = {"Budapest",    "Veszprém",     "Győr",     "Pápa",
                                           "Ajka",        "Tapolca",      "Devecser", "Celldömölk",
                                           "Szombathely", "Zalaegerszeg", "Sopron",   "Kolozsvár"};
const std::vector<QString> kFrequency = {"naponta",    "heti 2x",    "heti 3x",    "heti 4x",
                                         "heti 5x",    "kétnaponta", "hetente 1x", "heti 2-3x",
                                         "naponta 1x", "heti 3-4x"};

// Diagnoses a home-nursing provider sees (all in the fund's BNO table; the
// builder keeps only those the folder's table has).
const std::vector<QString> kUnderlying = {"I10H0", "E1190", "E1140", "E1150", "I2500", "I5000",
                                          "I6940", "I6390", "J4490", "M1690", "M1790", "N1800",
                                          "C1890", "C5090", "G8190", "M8090", "I7020", "I8300"};
const std::vector<QString> kMain = {"L89H0", "I6390", "S7200", "S7210", "T8140",
                                    "L0390", "C5090", "E1150", "I7020", "J1890",
                                    "N3900", "I8300", "R2680", "I6940", "M1690"};
const std::vector<QString> kInpatient = {"S7200", "S7210", "I6390", "I6940", "C1890",
                                         "C5090", "J1890", "I5000", "T8140"};
const std::vector<QString> kFactor = {"Z7490", "Z9980", "Z9330", "Z4890", "Z4300", "Z9350"};

// The activity lists (code, width in TEVKODOK) before and from 2009.09.
struct Activity {
    const char* code;
    bool main; // may be a visit's main activity in nursing
};
const std::vector<Activity> kOldList = {{"1", 1},  {"2", 1},  {"3a", 1}, {"3b", 1}, {"4", 1},
                                        {"5", 1},  {"6", 1},  {"7", 1},  {"8a", 1}, {"8b", 1},
                                        {"8c", 1}, {"9a", 1}, {"9b", 1}, {"9c", 1}, {"9d", 1},
                                        {"9e", 1}, {"9f", 1}, {"10", 1}, {"11", 0}};
const std::vector<Activity> kNewList = {{"1", 1},  {"2", 1},  {"3a", 1}, {"3b", 1}, {"4", 1},
                                        {"5", 1},  {"6", 1},  {"7", 1},  {"8a", 1}, {"8b", 1},
                                        {"8c", 1}, {"9b", 0}, {"9c", 0}, {"9d", 0}, {"10", 1},
                                        {"11", 0}, {"12", 0}, {"13", 0}};
// How often each entry of a list is chosen on a nursing sheet, in percent.
int weightOf(const char* code) {
    const QByteArray c(code);
    if (c == "7") return 30; // pressure sores
    if (c == "6") return 22; // wound care after surgery
    if (c == "5") return 14;
    if (c == "3a") return 10;
    if (c == "4") return 8;
    if (c == "10") return 9;
    if (c == "8c") return 9;
    if (c == "8a" || c == "8b") return 6;
    if (c == "1") return 5;
    if (c == "2") return 2;
    if (c == "3b") return 3;
    if (c == "13") return 6;
    if (c == "12") return 1;
    if (c.startsWith('9')) return 3;
    return 0;
}

QString tevkodok(const std::vector<Activity>& list, std::uint32_t chosen) {
    QString s;
    for (size_t i = 0; i < list.size(); ++i) {
        const QString code = QString::fromLatin1(list[i].code);
        const int width = code.size() == 1 && code != u"3" ? 1 : 2;
        s += (chosen >> i) & 1 ? code.leftJustified(width) : QString(width, u' ');
    }
    return s;
}

// The same activities in the other list: by code; codes the list lacks are
// dropped.
std::uint32_t remap(std::uint32_t bits, const std::vector<Activity>& from,
                    const std::vector<Activity>& to) {
    std::uint32_t out = 0;
    for (size_t i = 0; i < from.size(); ++i) {
        if (!(bits >> i & 1)) continue;
        for (size_t j = 0; j < to.size(); ++j)
            if (QByteArray(from[i].code) == to[j].code) out |= 1u << j;
    }
    return out;
}

struct Worker {
    QString taj, name;
    int elltip;               // 2 nursing, 4, 5, 6 therapy
    int fromPeriod, toPeriod; // the periods worked, inclusive
};

struct Patient {
    QString taj, name, sex, kozigkod, cime1, cime2, szulh;
    QDate szuli;
    bool tpotl;
    int doctor;
    int lastClosed = -100; // period of the last closed episode
};

struct Visit {
    std::uint32_t sheet;
    std::uint8_t day, elltip, activity;
    std::uint16_t worker;
    bool accounted;
};

struct Sheet {
    int period;
    QString sorsz;
    char resz = 0;
    int patient;
    int szviz = 0, elszviz = 0, elszam = 1, elvizdb = 14;
    QDate elrend, szakvet, lezdat, elb, engdat;
    int apnap = 0, engszam = 0;
    QString bnoki, bnorov, bnofo, bnomell, bnoell, gyak, tevkodok;
    int orvos = 0, jorv = -1;
    int aptaj1 = -1, aptaj2 = -1;
    int onkep = 1;
    bool tele = false;
    QString elkuldve, allapot, modtipus, terkat, allamp;
};

// One care episode of a patient: a sheet each month, or a partial-invoice
// series inside one year.
struct Episode {
    int patient;
    int months, done = 0;
    bool series = false;
    int seriesTotal = 0;
    QString seriesSorsz;
    std::vector<int> partVisits;
    int nurse = -1, nurse2 = -1, therapist = -1;
    int therapyKind = 0;          // 0 nursing only, 1 therapy only, 2 both
    std::uint32_t activities = 0; // bits of the activity list in force
    bool newList = false;         // the bits are of the list from 2009.09
    QString bnoki, bnorov, bnofo, bnomell, bnoell, gyak;
    QDate elb;
    int apnap = 0, jorv = -1, onkep = 1;
};

int fieldOf(const engine::Table& t, const char* name) {
    const int i = t.fieldIndex(QLatin1String(name));
    if (i < 0) throw std::runtime_error(std::string("no field ") + name);
    return i;
}

// A table's fields by name, encoded into the raw record bulkAppend hands out.
class Writer {
public:
    explicit Writer(engine::Table& t) : t_(t) {}
    void operator()(char* rec, const char* field, const QVariant& v) {
        auto it = index_.find(field);
        if (it == index_.end()) it = index_.insert(field, fieldOf(t_, field));
        if (v.isNull() || (v.typeId() == QMetaType::QString && v.toString().isEmpty())) return;
        engine::encodeField(t_.fields()[size_t(*it)], v, rec, t_.path());
    }

private:
    engine::Table& t_;
    QHash<QByteArray, int> index_;
};

QString newTaj(Rng& rng, QSet<QString>& used, const QString& first) {
    for (;;) {
        const QString taj = demo::tajWithCheckDigit(first + rng.digits(7));
        if (!used.contains(taj)) {
            used.insert(taj);
            return taj;
        }
    }
}

QString personName(Rng& rng, bool female) {
    for (;;) {
        const QString n = pick(rng, kFamily) + u' ' + pick(rng, female ? kFemale : kMale);
        if (n.size() <= 25) return n;
    }
}

QString seriesOf(const Sheet& s) {
    return s.resz ? QString(QChar(s.resz)) : QString();
}

struct Place {
    QString kozigkod, name;
    bool outskirts;
    int weight;
};

struct Doctor {
    QString code, name;
};

// The builder: a stage a method, called in the order build() lists them, on
// the state the stages hand each other. The random numbers are drawn in that
// order, so the same number of years always gives the same data.
class Builder {
public:
    Builder(core::AppState& st, int years);
    TwentyYears build();

private:
    // The periods: 0 is January of the first year, the last is 2025.12.
    QString periodOf(int p) const;
    QDate firstDay(int p) const;
    int alapdijOf(int p) const;
    int periodOfDate(const QDate& d) const;

    // What the county office's tables give: the service area, the BNO codes.
    void readCountyTables();
    const Place& pickPlace();
    // The staff: the contract's own workers, and the nurses and therapists
    // of the earlier years, added to the contracted workers.
    void readContractedWorkers();
    void addStaff();
    void setVisitQuotas();
    void sortStaffByPeriod();
    // The doctors: family doctors who order, hospital doctors who propose.
    void makeDoctors();
    void makePatients();
    // The episodes and their sheets, period by period.
    void startPeriod(int p);
    void startEpisodes(int p);
    void startEpisode(Episode& ep, int p);
    void makeSheets(int p);
    void makeSheet(Episode& ep, int p, std::vector<Episode>& still);
    void orderSheet(Sheet& s, Episode& ep, const Patient& pt, int p, int startDay, int lastDay,
                    bool lastMonth);
    int staffSheet(Sheet& s, Episode& ep, int p);
    bool sendSheet(Sheet& s, int p, bool& partly);
    void addVisits(const Episode& ep, int kind, std::uint32_t mask, bool accounted, bool partly);
    void takeSeriesOrder(Sheet& s, const Episode& ep, int p);
    // Writing, one table at a time.
    QString finOf(int p) const;
    void writeLap();
    void writeElrend();
    void writeLapb();
    void writeBeteg();
    void writeOrvos();
    void writeApol();
    void writeZaras();

    // How long the data runs, and the periods that mark it.
    const int firstYear;
    const int kPeriods;         // firstYear.01 .. 2025.12
    const int kPatients;        // patients over the years
    const int kLastAccounted;   // 2025.10: the county office's last answer
    const int kLastSent;        // 2025.11: the last shipment
    const int kNewActivityList; // 2009.09: the activity list of 18 entries
    const int kNewIdentity;     // 2016.01: identifier type, payment category

    core::AppState& st;
    Rng rng;
    engine::Database& db;
    const QString intkod;
    const QString finkod;
    const QString finkodtol;
    TwentyYears made;

    std::vector<Place> places;
    int placeWeights = 0;
    QSet<QString> bnoKnown;
    std::vector<QString> underlying, mainDiag, inpatient, factor;
    QSet<QString> tajs;
    std::vector<Worker> workers;
    int serial = 0;
    std::vector<std::vector<int>> nursesIn, therapistsIn;
    std::vector<Doctor> doctors;
    static constexpr int familyDoctors = 40; // 0..39 family doctors, the rest in hospitals
    std::vector<Patient> patients;

    std::vector<Sheet> sheets;
    std::vector<Visit> visits;
    std::vector<Episode> active;
    std::vector<int> eligible; // patients whose last care closed two months ago or more
    std::vector<std::vector<int>> eligibleFrom;
    int freshUsed = 0;
    int number = 0; // serial numbers of the year
    // The period being made.
    int month = 0;
    QDate first;
    int days = 0;
    bool newList = false;
    const std::vector<Activity>* activityList = &kOldList;
};

Builder::Builder(core::AppState& st, int years)
    : firstYear(2026 - years), kPeriods(12 * years), kPatients(1500 * years),
      kLastAccounted(kPeriods - 3), kLastSent(kPeriods - 2),
      kNewActivityList((2009 - firstYear) * 12 + 8), kNewIdentity((2016 - firstYear) * 12), st(st),
      rng(0x7477656e7479ULL), db(st.tables.dbo), intkod(demo::providerCode()),
      finkod(st.finkod.trimmed().isEmpty() ? demo::financingCode() : st.finkod),
      finkodtol(st.finkodtol.isEmpty() ? QStringLiteral("2014.12") : st.finkodtol) {}

QString Builder::periodOf(int p) const {
    return QStringLiteral("%1.%2").arg(firstYear + p / 12).arg(p % 12 + 1, 2, 10, QLatin1Char('0'));
}

QDate Builder::firstDay(int p) const {
    return QDate(firstYear + p / 12, p % 12 + 1, 1);
}

int Builder::alapdijOf(int p) const {
    return 2500 + (firstYear + p / 12 - 2006) * 50; // 2006: 2 500 Ft a visit, 2025: 3 450 Ft
}

int Builder::periodOfDate(const QDate& d) const {
    return (d.year() - firstYear) * 12 + d.month() - 1;
}

TwentyYears Builder::build() {
    readCountyTables();
    readContractedWorkers();
    addStaff();
    setVisitQuotas();
    sortStaffByPeriod();
    makeDoctors();
    makePatients();
    sheets.reserve(size_t(5250 * kPeriods / 12));
    visits.reserve(size_t(55000 * kPeriods / 12));
    eligibleFrom.resize(size_t(kPeriods + 3));
    for (int p = 0; p < kPeriods; ++p) {
        startPeriod(p);
        startEpisodes(p);
        makeSheets(p);
    }
    made.sheets = int(sheets.size());
    made.visits = int(visits.size());
    writeLap();
    writeElrend();
    writeLapb();
    writeBeteg();
    writeOrvos();
    writeApol();
    writeZaras();
    return made;
}

void Builder::readCountyTables() {
    const engine::Query area =
        db.query(QStringLiteral("select kozigkod, helynev, kulter, letszam from terulet "
                                "group by kozigkod order by kozigkod"));
    for (const QVariantList& r : area.rows())
        places.push_back({r[0].toString(), r[1].toString(), r[2].toString() == u"K",
                          std::max(1, r[3].toInt() / 100)});
    if (places.empty()) throw std::runtime_error("the service area is empty");
    for (const Place& p : places)
        placeWeights += p.weight;
    const engine::Query bno = db.query(QStringLiteral("select kod10 from bnotorzs"));
    for (const QVariantList& r : bno.rows())
        bnoKnown.insert(r[0].toString());
    auto known = [&](const std::vector<QString>& codes) {
        std::vector<QString> out;
        for (const QString& c : codes)
            if (bnoKnown.contains(c)) out.push_back(c);
        if (out.empty()) throw std::runtime_error("no usable BNO code");
        return out;
    };
    underlying = known(kUnderlying);
    mainDiag = known(kMain);
    inpatient = known(kInpatient);
    factor = known(kFactor);
}

const Place& Builder::pickPlace() {
    int r = rng.below(placeWeights);
    for (const Place& p : places) {
        if (r < p.weight) return p;
        r -= p.weight;
    }
    return places.back();
}

void Builder::readContractedWorkers() {
    const engine::Query contracted =
        db.query(QStringLiteral("select taj, nev, teva, tevsz, kezd, veg, ssorszam from szolgsz"));
    for (const QVariantList& r : contracted.rows()) {
        serial = std::max(serial, r[6].toInt());
        const QString taj = QString::number(r[0].toLongLong()).rightJustified(9, u'0');
        const QDate from = QDate::fromString(r[4].toString(), Qt::ISODate);
        const QDate to = QDate::fromString(r[5].toString(), Qt::ISODate);
        const int elltip = r[2].toString() == u"2" ? 2 : r[3].toString().toInt();
        if (elltip < 2 || tajs.contains(taj)) continue;
        tajs.insert(taj);
        workers.push_back({taj, r[1].toString().left(25), elltip, std::max(0, periodOfDate(from)),
                           to.isValid() ? periodOfDate(to) : kPeriods - 1});
    }
}

// Nurses and therapists who each work about twenty years, their starts
// spread so that some 25 nurses and 5 therapists work at a time (48 and 10
// of them over twenty years of data).
void Builder::addStaff() {
    const int years = kPeriods / 12;
    const int nurses = 48 * (years + 18) / 38, therapists = 10 * (years + 15) / 35;
    engine::Table& szolgsz = st.tables.szolgsz;
    auto hasField = [](const engine::Table& t, const char* f) {
        return t.fieldIndex(QLatin1String(f)) >= 0;
    };
    for (int i = 0; i < nurses + therapists; ++i) {
        const bool nurse = i < nurses;
        const int k = nurse ? i : i - nurses;
        const int startYear = nurse ? firstYear - 19 + k * (years + 18) / nurses
                                    : firstYear - 16 + k * (years + 15) / therapists;
        const int from = std::max(0, (startYear - firstYear) * 12 + rng.below(12));
        const int to = std::min(kPeriods - 1, from + 12 * rng.between(17, 22));
        const int elltip = nurse ? 2 : (k % 5 < 3 ? 4 : k % 5 == 3 ? 5 : 6);
        const bool female = rng.chance(nurse ? 92 : 70);
        Worker w{newTaj(rng, tajs, QStringLiteral("0")), personName(rng, female), elltip, from, to};
        workers.push_back(w);
        szolgsz.append();
        szolgsz.setValue(QStringLiteral("INTKOD"), intkod);
        szolgsz.setValue(QStringLiteral("SSORSZAM"), ++serial);
        szolgsz.setValue(QStringLiteral("KEZD"), firstDay(from));
        if (to < kPeriods - 1)
            szolgsz.setValue(QStringLiteral("VEG"), firstDay(to + 1).addDays(-1));
        const bool numericTaj = szolgsz.fields()[size_t(fieldOf(szolgsz, "TAJ"))].type == 'N';
        szolgsz.setValue(QStringLiteral("TAJ"),
                         numericTaj ? QVariant(w.taj.toLongLong()) : QVariant(w.taj));
        szolgsz.setValue(QStringLiteral("NEV"), w.name);
        const int hours = rng.chance(80) ? 40 : 30;
        if (hasField(szolgsz, "TEVA") && nurse) szolgsz.setValue(QStringLiteral("TEVA"), "2");
        if (hasField(szolgsz, "TEVSZ") && !nurse)
            szolgsz.setValue(QStringLiteral("TEVSZ"), QString::number(elltip));
        if (hasField(szolgsz, "SZAKAPO"))
            szolgsz.setValue(QStringLiteral("SZAKAPO"), nurse ? hours : 0);
        if (hasField(szolgsz, "SZAKIRO"))
            szolgsz.setValue(QStringLiteral("SZAKIRO"), nurse ? 0 : hours);
        if (hasField(szolgsz, "OSSZO")) szolgsz.setValue(QStringLiteral("OSSZO"), hours);
        if (hasField(szolgsz, "MASFOGL")) szolgsz.setValue(QStringLiteral("MASFOGL"), "N");
        if (hasField(szolgsz, "SZAKA"))
            szolgsz.setValue(QStringLiteral("SZAKA"),
                             nurse ? QStringLiteral("Ápoló") : QStringLiteral("Gyógytornász"));
        szolgsz.post();
    }
    made.workers = int(workers.size());
}

// The contracts' visit quotas for the staff they now list: a full post
// (40 hours a week) makes 132 visits a month.
void Builder::setVisitQuotas() {
    const engine::Query contracts = db.query(QStringLiteral("select szkezd from szerz"));
    for (const QVariantList& r : contracts.rows()) {
        const QDate start = QDate::fromString(r[0].toString(), Qt::ISODate);
        if (!start.isValid()) continue;
        const engine::Query h = db.query(
            QStringLiteral("select sum(szakapo), sum(szakiro) from szolgsz where kezd<=? and "
                           "(veg>=? or veg is null)"),
            {start.toString(Qt::ISODate), start.toString(Qt::ISODate)});
        const int apt = h.value(0, 0).toInt() * 132 / 40 / 10 * 10;
        const int szakt = h.value(0, 1).toInt() * 132 / 40 / 10 * 10;
        db.exec(QStringLiteral("update szerz set aptviz=?, szaktviz=?, normviz=?, papviz=?, "
                               "pszakviz=?, potviz=?, tervviz=? where szkezd=?"),
                {apt, szakt, apt + szakt, apt / 10, szakt / 10, apt / 10 + szakt / 10,
                 apt + szakt + apt / 10 + szakt / 10, r[0]});
    }
}

void Builder::sortStaffByPeriod() {
    nursesIn.resize(size_t(kPeriods));
    therapistsIn.resize(size_t(kPeriods * 7));
    for (int w = 0; w < int(workers.size()); ++w)
        for (int p = workers[size_t(w)].fromPeriod; p <= workers[size_t(w)].toPeriod; ++p) {
            if (workers[size_t(w)].elltip == 2)
                nursesIn[size_t(p)].push_back(w);
            else
                therapistsIn[size_t(p * 7 + workers[size_t(w)].elltip)].push_back(w);
        }
}

void Builder::makeDoctors() {
    QSet<QString> codes;
    for (int i = 0; i < 56; ++i) {
        QString code;
        do {
            code = QString::number(rng.between(10000, 99999));
        } while (codes.contains(code));
        codes.insert(code);
        QString name;
        do {
            name = QStringLiteral("Dr. ") + personName(rng, rng.chance(55));
        } while (name.size() > 25);
        doctors.push_back({code, name});
    }
    made.doctors = int(doctors.size());
}

void Builder::makePatients() {
    patients.reserve(size_t(kPatients));
    for (int i = 0; i < kPatients; ++i) {
        Patient pt;
        const bool female = rng.chance(62);
        pt.sex = female ? QStringLiteral("N") : QStringLiteral("F");
        pt.name = personName(rng, female);
        pt.taj = newTaj(rng, tajs, rng.chance(50) ? QStringLiteral("0") : QStringLiteral("1"));
        const Place& place = pickPlace();
        pt.kozigkod = place.kozigkod;
        pt.cime1 = place.name.left(25);
        pt.cime2 =
            (pick(rng, kStreets) + u' ' + QString::number(rng.between(1, 140)) + u'.').left(25);
        pt.szulh = rng.chance(55) ? place.name.left(25) : pick(rng, kBirthPlaces);
        pt.szuli = QDate(1912, 1, 1).addDays(rng.below(365 * 50));
        pt.tpotl = place.outskirts && rng.chance(15); // living outside the town
        pt.doctor = (place.kozigkod.left(5).toInt() % familyDoctors + rng.below(3)) % familyDoctors;
        patients.push_back(pt);
    }
    made.patients = kPatients;
}

void Builder::startPeriod(int p) {
    month = p % 12 + 1;
    if (month == 1) number = 0;
    for (int x : eligibleFrom[size_t(p)])
        eligible.push_back(x);
    first = firstDay(p);
    days = first.daysInMonth();
    newList = p >= kNewActivityList;
    activityList = newList ? &kNewList : &kOldList;
}

// New episodes until the month has its sheets.
void Builder::startEpisodes(int p) {
    const int target = kPerMonth + int(std::lround(10 * std::sin(p * 0.5236)));
    const int newEpisodes = std::max(0, target - int(active.size()));
    const int freshQuota = (kPatients - freshUsed + (kPeriods - p) - 1) / (kPeriods - p);
    for (int e = 0; e < newEpisodes; ++e) {
        Episode ep;
        const bool fresh = freshUsed < kPatients && (e < freshQuota || eligible.empty());
        if (fresh) {
            ep.patient = freshUsed++;
        } else if (!eligible.empty()) {
            const size_t k = size_t(rng.below(int(eligible.size())));
            ep.patient = eligible[k];
            eligible[k] = eligible.back();
            eligible.pop_back();
        } else {
            break;
        }
        startEpisode(ep, p);
    }
}

void Builder::startEpisode(Episode& ep, int p) {
    const std::vector<Activity>& list = *activityList;
    const int r = rng.below(100);
    ep.months = r < 40   ? 1
                : r < 62 ? 2
                : r < 76 ? 3
                : r < 85 ? 4
                : r < 91 ? 5
                : r < 95 ? 6
                         : rng.between(7, 12);
    // One episode in seven that starts between February and October
    // is a partial-invoice series of two or three months.
    if (month >= 2 && month <= 10 && rng.chance(14)) {
        ep.series = true;
        ep.months = std::min(rng.between(2, 3), 13 - month);
        ep.seriesTotal = rng.chance(35) ? 14 : rng.between(8, 13);
        int left = ep.seriesTotal;
        for (int m = 0; m < ep.months; ++m) {
            const int rest = ep.months - m - 1;
            const int v = rest == 0 ? left : rng.between(2, std::max(2, left - 2 * rest));
            ep.partVisits.push_back(v);
            left -= v;
        }
    }
    const std::vector<int>& nurses = nursesIn[size_t(p)];
    ep.nurse = pick(rng, nurses);
    if (rng.chance(35)) ep.nurse2 = pick(rng, nurses);
    if (ep.nurse2 == ep.nurse) ep.nurse2 = -1;
    const int t = rng.below(100);
    ep.therapyKind = t < 12 ? 1 : t < 18 ? 2 : 0;
    if (ep.therapyKind) {
        const int kind = rng.chance(70) ? 4 : rng.chance(60) ? 5 : 6;
        const std::vector<int>& th = therapistsIn[size_t(p * 7 + kind)];
        const std::vector<int>& any = therapistsIn[size_t(p * 7 + 4)];
        ep.therapist = !th.empty() ? pick(rng, th) : !any.empty() ? pick(rng, any) : -1;
        if (ep.therapist < 0) ep.therapyKind = 0;
    }
    // The activities: one to three of the list, at least one that may
    // be a visit's main activity; "11" with therapy.
    std::uint32_t chosen = 0;
    if (ep.therapyKind != 1) {
        const int n = rng.between(1, 3);
        while (__builtin_popcount(chosen) < n) {
            int total = 0;
            for (const Activity& a : list)
                total += weightOf(a.code);
            int r2 = rng.below(total);
            for (size_t i = 0; i < list.size(); ++i) {
                const int w = weightOf(list[i].code);
                if (r2 < w) {
                    chosen |= 1u << i;
                    break;
                }
                r2 -= w;
            }
        }
        bool mainOk = false;
        for (size_t i = 0; i < list.size(); ++i)
            if ((chosen >> i & 1) && list[i].main) mainOk = true;
        if (!mainOk) chosen |= 1u << 7; // "7", pressure sores
    }
    if (ep.therapyKind) chosen |= 1u << (list.size() - (newList ? 3 : 1)); // "11"
    ep.activities = chosen;
    ep.newList = newList;
    ep.bnorov = pick(rng, underlying);
    ep.bnofo = pick(rng, mainDiag);
    if (rng.chance(45)) ep.bnomell = pick(rng, underlying);
    if (ep.bnomell == ep.bnorov) ep.bnomell.clear();
    if (rng.chance(30)) ep.bnoell = pick(rng, factor);
    if (rng.chance(45)) {
        ep.bnoki = pick(rng, inpatient);
        ep.apnap = rng.between(3, 28);
        ep.jorv = familyDoctors + rng.below(int(doctors.size()) - familyDoctors);
    } else if (rng.chance(40)) {
        ep.jorv = familyDoctors + rng.below(int(doctors.size()) - familyDoctors);
    }
    ep.gyak = pick(rng, kFrequency);
    ep.onkep = ep.therapyKind ? rng.between(1, 2) : rng.between(1, 3);
    active.push_back(std::move(ep));
}

// A sheet for every episode running this month.
void Builder::makeSheets(int p) {
    std::vector<Episode> still;
    still.reserve(active.size());
    for (Episode& ep : active) {
        makeSheet(ep, p, still);
    }
    active = std::move(still);
}

void Builder::makeSheet(Episode& ep, int p, std::vector<Episode>& still) {
    Patient& pt = patients[size_t(ep.patient)];
    Sheet s;
    s.period = p;
    s.patient = ep.patient;
    const bool firstMonth = ep.done == 0;
    const bool lastMonth = ep.done + 1 == ep.months;
    if (ep.series) {
        if (firstMonth)
            ep.seriesSorsz = QStringLiteral("%1").arg(++number, 5, 10, QLatin1Char('0'));
        s.sorsz = ep.seriesSorsz;
        s.resz = char('A' + ep.done);
        s.szviz = ep.partVisits[size_t(ep.done)];
        for (int m = 0; m < ep.done; ++m)
            s.elszviz += ep.partVisits[size_t(m)];
        s.elvizdb = 14;
        s.tele = ep.seriesTotal == 14;
        s.elszam = 1;
    } else {
        s.sorsz = QStringLiteral("%1").arg(++number, 5, 10, QLatin1Char('0'));
        const int r = rng.below(100);
        s.szviz = r < 5 ? rng.between(3, 6) : r < 33 ? rng.between(7, 10) : rng.between(11, 14);
        s.elvizdb = std::min(14, s.szviz + (rng.chance(60) ? 0 : rng.between(1, 4)));
        s.elszam = ep.done + 1;
    }
    // The visit days: from the start of care to the end of the month.
    int startDay = 1;
    if (firstMonth)
        startDay = rng.between(1, std::max(1, days - s.szviz - 2));
    else
        startDay = rng.between(1, 4);
    std::uint32_t mask = 0;
    const int span = days - startDay + 1;
    const int n = std::min(s.szviz, span);
    s.szviz = n;
    // The first day of care is a visit; the rest spread over the month.
    mask |= 1u << (startDay - 1);
    while (__builtin_popcount(mask) < n)
        mask |= 1u << (startDay - 1 + rng.below(span));
    int lastDay = startDay;
    for (int d = 1; d <= days; ++d)
        if (mask >> (d - 1) & 1) lastDay = d;
    orderSheet(s, ep, pt, p, startDay, lastDay, lastMonth);
    const int kind = staffSheet(s, ep, p);
    bool partly = false;
    const bool accounted = sendSheet(s, p, partly);
    addVisits(ep, kind, mask, accounted, partly);
    takeSeriesOrder(s, ep, p);
    sheets.push_back(std::move(s));
    ++ep.done;
    if (ep.done < ep.months) {
        still.push_back(std::move(ep));
    } else if (p + 2 < kPeriods) {
        pt.lastClosed = p;
        eligibleFrom[size_t(p + 2)].push_back(ep.patient);
    }
}

void Builder::orderSheet(Sheet& s, Episode& ep, const Patient& pt, int p, int startDay, int lastDay,
                         bool lastMonth) {
    s.szakvet = first.addDays(startDay - 1);
    s.elrend = s.szakvet.addDays(-rng.below(6));
    if (!ep.bnoki.isEmpty()) {
        if (!ep.elb.isValid()) ep.elb = s.elrend.addDays(-rng.below(4));
        s.bnoki = ep.bnoki;
        s.elb = ep.elb;
        s.apnap = ep.apnap;
    }
    s.bnorov = ep.bnorov;
    s.bnofo = ep.bnofo;
    s.bnomell = ep.bnomell;
    s.bnoell = ep.bnoell;
    s.gyak = ep.gyak;
    s.orvos = pt.doctor;
    s.jorv = ep.jorv >= 0 ? ep.jorv : (rng.chance(30) ? pt.doctor : -1);
    s.onkep = ep.onkep;
    if (s.elszam >= 5) {
        s.engszam = rng.between(1, 9999);
        s.engdat = s.elrend.addDays(rng.below(3));
        if (s.engdat > s.szakvet) s.engdat = s.szakvet;
    }
    if (lastMonth && !(p == kPeriods - 1 && rng.chance(50)))
        s.lezdat =
            first.addDays(lastDay - 1 + (rng.chance(30) ? rng.below(days - lastDay + 1) : 0));
    if (p >= kNewIdentity) {
        s.terkat = rng.chance(98) ? QStringLiteral("01") : QStringLiteral("02");
        static const std::vector<QString> other = {"ROU", "SRB", "UKR", "DEU", "AUT", "SVK"};
        s.allamp = rng.chance(99) ? QStringLiteral("HUN") : pick(rng, other);
    }
}

// The nurses and therapists of the month and the sheet's activities; the
// kind of care the episode gets this month.
int Builder::staffSheet(Sheet& s, Episode& ep, int p) {
    const std::vector<Activity>& list = *activityList;
    // The nurses of the month: the episode's own while they work here.
    if (ep.nurse < 0 || workers[size_t(ep.nurse)].toPeriod < p)
        ep.nurse = pick(rng, nursesIn[size_t(p)]);
    if (ep.nurse2 >= 0 && workers[size_t(ep.nurse2)].toPeriod < p) ep.nurse2 = -1;
    if (ep.therapist >= 0 && workers[size_t(ep.therapist)].toPeriod < p) {
        const std::vector<int>& th =
            therapistsIn[size_t(p * 7 + workers[size_t(ep.therapist)].elltip)];
        ep.therapist = th.empty() ? -1 : pick(rng, th);
        if (ep.therapist < 0) {
            const std::vector<int>& any = therapistsIn[size_t(p * 7 + 4)];
            ep.therapist = any.empty() ? -1 : pick(rng, any);
        }
    }
    const int kind = ep.therapist < 0 ? 0 : ep.therapyKind;
    if (ep.newList != newList) { // the care goes on under the new list
        ep.activities = remap(ep.activities, kOldList, kNewList);
        ep.newList = newList;
        if (ep.activities == 0 && kind == 1) ep.activities = 1u << 15; // "11"
    }
    if (kind != 1) {
        bool mainOk = false;
        for (size_t i = 0; i < list.size(); ++i)
            if ((ep.activities >> i & 1) && list[i].main) mainOk = true;
        if (!mainOk) ep.activities |= 1u << 7; // "7", pressure sores
    }
    s.tevkodok = tevkodok(list, ep.activities);
    s.aptaj1 = kind == 1 ? ep.therapist : ep.nurse;
    s.aptaj2 = kind == 2 ? ep.therapist : kind == 1 ? -1 : ep.nurse2;
    return kind;
}

// Sending and accounting: whether the county office accounted the sheet,
// `partly` when it refused one of its visits.
bool Builder::sendSheet(Sheet& s, int p, bool& partly) {
    const int r = rng.below(1000);
    int sent = -1;
    if (p <= kLastSent) {
        if (p == kLastSent && r < 80)
            sent = -1; // late, goes with the next shipment
        else
            sent = (r >= 960 && p + 1 <= kLastSent) ? p + 1 : p;
    }
    if (sent >= 0) {
        s.elkuldve = periodOf(sent);
        if (sent != p) s.modtipus = QStringLiteral("P");
        if (p + 3 <= kLastSent && r < 6) { // corrected after sending
            s.modtipus = QStringLiteral("K");
            s.elkuldve = periodOf(p + 3);
            sent = p + 3;
        } else if (p + 2 <= kLastSent && r >= 6 && r < 9) { // closed afterwards
            s.modtipus = QStringLiteral("L");
            s.elkuldve = periodOf(p + 2);
            sent = p + 2;
        } else if (p >= kLastSent - 2 && r >= 9 && r < 11) { // a change waiting
            s.modtipus = QStringLiteral("K");
            s.elkuldve = QStringLiteral("YY");
        }
    }
    const bool accounted = sent >= 0 && sent <= kLastAccounted && s.elkuldve != u"YY";
    partly = accounted && rng.chance(4);
    if (accounted) s.allapot = partly ? QStringLiteral("R") : QString(QChar(0x0171));
    return accounted;
}

void Builder::addVisits(const Episode& ep, int kind, std::uint32_t mask, bool accounted,
                        bool partly) {
    const std::vector<Activity>& list = *activityList;
    const std::uint32_t sheetNo = std::uint32_t(sheets.size());
    int v = 0;
    for (int d = 1; d <= days; ++d) {
        if (!(mask >> (d - 1) & 1)) continue;
        Visit vi;
        vi.sheet = sheetNo;
        vi.day = std::uint8_t(d);
        const bool therapy = kind == 1 || (kind == 2 && v % 3 == 2);
        if (therapy) {
            vi.elltip = std::uint8_t(workers[size_t(ep.therapist)].elltip);
            vi.worker = std::uint16_t(ep.therapist);
            vi.activity = 0xFF; // "11"
        } else {
            vi.elltip = 2;
            vi.worker = std::uint16_t(ep.nurse2 >= 0 && v % 2 ? ep.nurse2 : ep.nurse);
            std::vector<int> mains;
            for (size_t i = 0; i < list.size(); ++i)
                if ((ep.activities >> i & 1) && list[i].main) mains.push_back(int(i));
            vi.activity = std::uint8_t(pick(rng, mains));
        }
        vi.accounted = accounted && !(partly && v == 0);
        visits.push_back(vi);
        ++v;
    }
}

void Builder::takeSeriesOrder(Sheet& s, const Episode& ep, int p) {
    if (ep.series && ep.done > 0) {
        // The later parts carry the order of the first part.
        for (size_t k = sheets.size(); k-- > 0;) {
            const Sheet& a = sheets[k];
            if (a.sorsz == s.sorsz && a.resz == 'A' && a.period < p && a.patient == s.patient) {
                s.szakvet = a.szakvet;
                s.elrend = a.elrend;
                s.jorv = a.jorv;
                s.elb = a.elb;
                break;
            }
            if (a.period < p - 3) break;
        }
    }
}

QString Builder::finOf(int p) const {
    return periodOf(p) >= finkodtol ? finkod : QString();
}

void Builder::writeLap() {
    engine::Table& t = st.tables.lap;
    Writer w(t);
    size_t i = 0;
    t.bulkAppend([&](char* rec) {
        if (i >= sheets.size()) return false;
        const Sheet& s = sheets[i++];
        const Patient& pt = patients[size_t(s.patient)];
        const QString per = periodOf(s.period);
        w(rec, "IDOSZAK", per);
        w(rec, "INTKOD", intkod);
        w(rec, "FINKOD", finOf(s.period));
        w(rec, "SORSZ", s.sorsz);
        w(rec, "RESZ", seriesOf(s));
        w(rec, "TAJ", pt.taj);
        w(rec, "KOZIGKOD", pt.kozigkod);
        w(rec, "TPOTL", pt.tpotl ? QStringLiteral("I") : QStringLiteral("N"));
        w(rec, "BNOKI", s.bnoki);
        w(rec, "BNOROV", s.bnorov);
        if (s.elb.isValid()) w(rec, "ELB", s.elb);
        w(rec, "APNAP", s.apnap);
        w(rec, "BNOFO", s.bnofo);
        w(rec, "BNOMELL", s.bnomell);
        w(rec, "BNOELL", s.bnoell);
        w(rec, "ORVOSKOD", doctors[size_t(s.orvos)].code);
        w(rec, "ELSZVIZ", s.elszviz);
        w(rec, "ELSZAM", s.elszam);
        if (s.lezdat.isValid()) w(rec, "LEZDAT", s.lezdat);
        w(rec, "TEVKODOK", s.tevkodok);
        if (s.aptaj1 >= 0) w(rec, "APTAJ1", workers[size_t(s.aptaj1)].taj);
        if (s.aptaj2 >= 0) w(rec, "APTAJ2", workers[size_t(s.aptaj2)].taj);
        if (s.period >= kNewIdentity) {
            w(rec, "AZTIP", QStringLiteral("1"));
            w(rec, "TERKAT", s.terkat);
            w(rec, "ALLAMP", s.allamp);
        }
        w(rec, "SZVIZ", s.szviz);
        if (s.tele) w(rec, "TELE", QStringLiteral("*"));
        w(rec, "ELKULDVE", s.elkuldve);
        w(rec, "ALLAPOT", s.allapot);
        w(rec, "MODTIPUS", s.modtipus);
        return true;
    });
}

void Builder::writeElrend() {
    engine::Table& t = st.tables.elrend;
    Writer w(t);
    size_t i = 0;
    t.bulkAppend([&](char* rec) {
        if (i >= sheets.size()) return false;
        const Sheet& s = sheets[i++];
        w(rec, "IDOSZAK", periodOf(s.period));
        w(rec, "INTKOD", intkod);
        w(rec, "FINKOD", finOf(s.period));
        w(rec, "SORSZ", s.sorsz);
        w(rec, "RESZ", seriesOf(s));
        if (s.jorv >= 0) w(rec, "JORVKOD", doctors[size_t(s.jorv)].code);
        w(rec, "ELREND", s.elrend);
        w(rec, "SZAKVET", s.szakvet);
        w(rec, "GYAK", s.gyak);
        w(rec, "ELVIZDB", s.elvizdb);
        w(rec, "ENGSZAM", s.engszam);
        if (s.engdat.isValid()) w(rec, "ENGDAT", s.engdat);
        if (s.elkuldve != u"YY") w(rec, "ELKULDVE", s.elkuldve);
        return true;
    });
}

void Builder::writeLapb() {
    engine::Table& t = st.tables.lapb;
    Writer w(t);
    size_t i = 0;
    QString per;
    int perOf = -1;
    t.bulkAppend([&](char* rec) {
        if (i >= visits.size()) return false;
        const Visit& v = visits[i++];
        const Sheet& s = sheets[v.sheet];
        if (s.period != perOf) {
            perOf = s.period;
            per = periodOf(perOf);
        }
        const std::vector<Activity>& list = s.period >= kNewActivityList ? kNewList : kOldList;
        w(rec, "IDOSZAK", per);
        w(rec, "INTKOD", intkod);
        w(rec, "FINKOD", finOf(s.period));
        w(rec, "SORSZ", s.sorsz);
        w(rec, "RESZ", seriesOf(s));
        w(rec, "TEVKOD",
          v.activity == 0xFF ? QStringLiteral("11") : QString::fromLatin1(list[v.activity].code));
        w(rec, "ELLTIP", int(v.elltip));
        w(rec, "ONKEP", s.onkep);
        w(rec, "APDATUM", firstDay(s.period).addDays(v.day - 1));
        w(rec, "APTAJ", workers[v.worker].taj);
        w(rec, "VIZITDB", 1);
        if (v.accounted) {
            const auto sent = core::Idoszak::parse(s.elkuldve);
            if (sent) w(rec, "ELIDO", sent->plusMonths(1).text());
        }
        if (s.elkuldve != u"YY") w(rec, "ELKULDVE", s.elkuldve);
        return true;
    });
}

void Builder::writeBeteg() {
    engine::Table& t = st.tables.beteg;
    Writer w(t);
    size_t i = 0;
    t.bulkAppend([&](char* rec) {
        if (i >= patients.size()) return false;
        const Patient& pt = patients[i++];
        w(rec, "TAJ", pt.taj);
        w(rec, "NEV", pt.name);
        w(rec, "NEME", pt.sex);
        w(rec, "AZTIP", QStringLiteral("1"));
        w(rec, "KOZIGKOD", pt.kozigkod);
        w(rec, "CIME1", pt.cime1);
        w(rec, "CIME2", pt.cime2);
        w(rec, "SZULH", pt.szulh);
        w(rec, "SZULI", pt.szuli);
        return true;
    });
}

void Builder::writeOrvos() {
    engine::Table& t = st.tables.orvos;
    Writer w(t);
    size_t i = 0;
    t.bulkAppend([&](char* rec) {
        if (i >= doctors.size()) return false;
        w(rec, "ORVOSKOD", doctors[i].code);
        w(rec, "ONEV", doctors[i].name);
        ++i;
        return true;
    });
}

void Builder::writeApol() {
    engine::Table& t = st.tables.apol;
    Writer w(t);
    size_t i = 0;
    t.bulkAppend([&](char* rec) {
        if (i >= workers.size()) return false;
        w(rec, "APTAJ", workers[i].taj);
        w(rec, "ANEV", workers[i].name);
        ++i;
        return true;
    });
}

void Builder::writeZaras() {
    // The closed periods: one record a shipment, with the base fee and
    // the advance of those the county office answered.
    std::vector<int> sentCount(size_t(kPeriods), 0);
    for (const Sheet& s : sheets) {
        const auto e = core::Idoszak::parse(s.elkuldve);
        if (e) {
            const int q = (e->year() - firstYear) * 12 + e->month() - 1;
            if (q >= 0 && q < kPeriods) ++sentCount[size_t(q)];
        }
    }
    engine::Table& t = st.tables.zaras;
    Writer w(t);
    int p = 0;
    t.bulkAppend([&](char* rec) {
        if (p > kLastSent) return false;
        w(rec, "IDOSZAK", periodOf(p));
        w(rec, "ZARAS", firstDay(p + 1).addDays(4));
        w(rec, "LAPOKSZ", sentCount[size_t(p)]);
        if (p <= kLastAccounted) {
            w(rec, "RAVKULD", firstDay(p + 1).addDays(20));
            w(rec, "ALAPDIJ", alapdijOf(p));
            w(rec, "ELOLEG", double(sentCount[size_t(p)] * 10 * alapdijOf(p)) * 0.3);
        }
        ++p;
        return true;
    });
}

} // namespace

TwentyYears fillTwentyYears(core::AppState& st, int years) {
    return Builder(st, years).build();
}

bool ensureTwentyYears(const QString& dir, core::AppState& st,
                       const std::function<void(core::AppState&)>& more, int years) {
    if (demo::hasCountyData(dir)) return true;
    demo::makeDemoData(dir, st.clock.today());
    ScriptedDialogs dialogs;
    if (app::Startup(st, dialogs).run(dir) != app::Startup::Outcome::MainWindow) return false;
    const auto t0 = std::chrono::steady_clock::now();
    const TwentyYears made = fillTwentyYears(st, years);
    if (more) more(st);
    // As the program leaves its folder: the start-up's look at the sheet
    // tables' deleted share has counted their deleted records, which their
    // index files then keep. Otherwise the first start of every benchmark
    // reads every visit row to count them.
    for (engine::Table* t : {&st.tables.lap, &st.tables.lapb, &st.tables.elrend})
        (void)t->deletedCount();
    std::printf("built %d years of data in %.1f s: %d sheets, %d visit rows, %d patients, "
                "%d workers, %d doctors\n",
                years, seconds(t0), made.sheets, made.visits, made.patients, made.workers,
                made.doctors);
    return true;
}

} // namespace bench
