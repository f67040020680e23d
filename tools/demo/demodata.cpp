#include "tools/demo/demodata.h"

#include "engine/dbfheader.h"
#include "engine/table.h"
#include "tools/demo/rng.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <QVariant>
#include <cmath>
#include <functional>
#include <stdexcept>

// The reference files are compiled in (demodata.qrc); a static library needs
// its resources registered by hand. Registering twice is harmless.
static void initDemoResources() {
    Q_INIT_RESOURCE(demodata);
}

namespace demo {

namespace {

// ---------------------------------------------------------------- basics

[[noreturn]] void fail(const QString& message) {
    throw std::runtime_error(message.toStdString());
}

// ---------------------------------------------------------------- reference data

QByteArray resource(const QString& name) {
    initDemoResources();
    QFile f(QStringLiteral(":/demo/") + name);
    if (!f.open(QIODevice::ReadOnly))
        fail(QStringLiteral("A bemutató adatai között nincs meg: %1").arg(name));
    return f.readAll();
}

// One line of a CSV file as the reference files write it: comma-separated,
// a field in double quotes when it holds a comma or a quote.
QStringList splitCsvLine(const QString& line) {
    QStringList out;
    QString cur;
    bool quoted = false;
    for (qsizetype i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == u'"') {
                if (i + 1 < line.size() && line.at(i + 1) == u'"') {
                    cur += u'"';
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                cur += c;
            }
        } else if (c == u'"') {
            quoted = true;
        } else if (c == u',') {
            out << cur;
            cur.clear();
        } else {
            cur += c;
        }
    }
    out << cur;
    return out;
}

// The rows of a CSV resource without its header line.
std::vector<QStringList> readCsv(const QString& name, int columns) {
    const QString text = QString::fromUtf8(resource(name));
    std::vector<QStringList> rows;
    bool header = true;
    for (QString line : text.split(u'\n')) {
        if (line.endsWith(u'\r')) line.chop(1);
        if (line.isEmpty()) continue;
        if (header) {
            header = false;
            continue;
        }
        QStringList row = splitCsvLine(line);
        if (row.size() < columns)
            fail(QStringLiteral("Hibás sor a(z) %1 állományban: %2").arg(name, line));
        rows.push_back(row);
    }
    return rows;
}

struct Settlement {
    QString ksh;  // 5-digit KSH identifier
    QString name; // official name
    QString county;
    QString irsz; // postal code, may be empty (Budapest)
    QString code() const { return kozigkod(ksh, kshCountyCode(county)); }
};

struct WeightedName {
    QString name;
    int weight; // relative frequency, in 1/100000
};

struct RefData {
    std::vector<Settlement> settlements; // the country, then the Budapest districts
    std::vector<WeightedName> family, male, female;

    const Settlement& find(const QString& name, const QString& county) const {
        for (const Settlement& s : settlements)
            if (s.name == name && s.county == county) return s;
        fail(QStringLiteral("Nincs ilyen település a bemutató adatai között: %1").arg(name));
    }
};

int weightOf(const QString& text) {
    return int(std::lround(text.toDouble() * 100000.0));
}

RefData loadRefData() {
    RefData r;
    for (const QStringList& row : readCsv(QStringLiteral("telepulesek.csv"), 4))
        r.settlements.push_back({row[0], row[1], row[2], row[3]});
    for (const QStringList& row : readCsv(QStringLiteral("budapest_keruletek.csv"), 4))
        r.settlements.push_back(
            {row[0], row[1], QStringLiteral("Budapest"), row[3].section(u' ', 0, 0)});
    for (const QStringList& row : readCsv(QStringLiteral("nevek_vezetek.csv"), 2))
        r.family.push_back({row[0], weightOf(row[1])});
    for (const QStringList& row : readCsv(QStringLiteral("nevek_kereszt.csv"), 3))
        (row[1] == u"F" ? r.male : r.female).push_back({row[0], weightOf(row[2])});
    return r;
}

const QString& pickWeighted(Rng& rng, const std::vector<WeightedName>& names) {
    int total = 0;
    for (const WeightedName& n : names)
        total += n.weight;
    int r = rng.below(total);
    for (const WeightedName& n : names) {
        if (r < n.weight) return n.name;
        r -= n.weight;
    }
    return names.back().name;
}

// A person's name that fits the 25 characters of the program's name fields.
QString personName(Rng& rng, const RefData& ref, bool female) {
    for (;;) {
        const QString n = pickWeighted(rng, ref.family) + u' ' +
                          pickWeighted(rng, female ? ref.female : ref.male);
        if (n.size() <= 25) return n;
    }
}

QDate randomDay(Rng& rng, int fromYear, int toYear) {
    const QDate from(fromYear, 1, 1);
    return from.addDays(rng.below(int(from.daysTo(QDate(toYear, 12, 31))) + 1));
}

// TAJ numbers in use start with 0 or 1; `leadingZero` forces the first.
QString newTaj(Rng& rng, QSet<QString>& used, bool leadingZero = false) {
    for (;;) {
        const QString first =
            leadingZero || rng.chance(50) ? QStringLiteral("0") : QStringLiteral("1");
        const QString taj = tajWithCheckDigit(first + rng.digits(7));
        if (!used.contains(taj)) {
            used.insert(taj);
            return taj;
        }
    }
}

const QStringList& streets() {
    static const QStringList s = {QStringLiteral("Kossuth Lajos utca"),
                                  QStringLiteral("Petőfi Sándor utca"),
                                  QStringLiteral("Rákóczi Ferenc utca"),
                                  QStringLiteral("Ady Endre utca"),
                                  QStringLiteral("Dózsa György utca"),
                                  QStringLiteral("József Attila utca"),
                                  QStringLiteral("Béke utca"),
                                  QStringLiteral("Fő utca"),
                                  QStringLiteral("Arany János utca"),
                                  QStringLiteral("Jókai Mór utca"),
                                  QStringLiteral("Szabadság tér"),
                                  QStringLiteral("Bem József utca"),
                                  QStringLiteral("Táncsics Mihály utca"),
                                  QStringLiteral("Széchenyi István utca")};
    return s;
}

// ---------------------------------------------------------------- the provider

const char* const kProviderCode = "1890";
const char* const kFinancingCode = "189042701";
const int kFundCounty = 18; // Veszprém in the fund's county list
const char* const kCounty = "Veszprém";
const char* const kSeat = "Pápa";

enum class Role { Dipl, Szakap, Gyogyt, Fizio, Logop, DOkt, Mento };

// When a worker's record starts and ends, relative to the contracts.
enum class From { PreviousYear, ThisYear };
enum class Until { Open, EndOfPreviousYear, MidThisYear };

struct WorkerPlan {
    int serial;
    Role role;
    int nursingHours, therapyHours; // weekly
    From from;
    Until until;
    bool samePersonAsBefore; // a second record of the previous plan's worker
    const char* employment;
    const char* otherPlace; // other employer, empty when none
    int otherHours;
    const char* qualB1;
    const char* qualB2;
    const char* qualBR;
};

// The staff: nurses, therapists, a worker whose hours grew this year (two
// records), one who left at the end of last year and one who leaves in June.
const WorkerPlan kWorkers[] = {
    {1, Role::Dipl, 40, 0, From::PreviousYear, Until::Open, false, "munkaviszony", "", 0,
     "Közösségi szakápoló", "", ""},
    {2, Role::Szakap, 40, 0, From::PreviousYear, Until::Open, false, "munkaviszony", "", 0,
     "Felnőtt szakápoló", "", "Sebkezelő szakápoló"},
    {3, Role::Szakap, 30, 0, From::PreviousYear, Until::Open, false, "munkaviszony",
     "Városi kórház, belgyógyászat", 20, "Klinikai szakápoló", "", ""},
    {4, Role::Szakap, 20, 0, From::PreviousYear, Until::EndOfPreviousYear, false, "munkaviszony",
     "", 0, "Felnőtt szakápoló", "Geriátriai szakápoló", ""},
    {4, Role::Szakap, 40, 0, From::ThisYear, Until::Open, true, "munkaviszony", "", 0,
     "Felnőtt szakápoló", "Geriátriai szakápoló", ""},
    {5, Role::Szakap, 40, 0, From::PreviousYear, Until::EndOfPreviousYear, false, "munkaviszony",
     "", 0, "Sebészeti szakápoló", "", ""},
    {6, Role::Gyogyt, 0, 40, From::PreviousYear, Until::Open, false, "munkaviszony", "", 0, "", "",
     ""},
    {7, Role::Fizio, 0, 20, From::ThisYear, Until::Open, false, "munkaviszony", "", 0, "", "", ""},
    {8, Role::Logop, 0, 10, From::ThisYear, Until::Open, false, "megbízási jogviszony",
     "Pedagógiai szakszolgálat", 30, "", "", ""},
    {9, Role::Mento, 20, 0, From::ThisYear, Until::MidThisYear, false, "vállalkozói szerződés",
     "Mentőállomás", 40, "", "", ""},
    {10, Role::DOkt, 10, 0, From::PreviousYear, Until::Open, false, "megbízási jogviszony",
     "Egészségügyi szakképző iskola", 30, "Felnőtt szakápoló", "", ""},
};

QString basicQualification(Role r) {
    switch (r) {
    case Role::Dipl:
        return QStringLiteral("Okleveles ápoló (BSc)");
    case Role::Szakap:
        return QStringLiteral("Ápoló");
    case Role::Gyogyt:
        return QStringLiteral("Gyógytornász (BSc)");
    case Role::Fizio:
        return QStringLiteral("Fizioterápiás asszisztens");
    case Role::Logop:
        return QStringLiteral("Logopédus");
    case Role::DOkt:
        return QStringLiteral("Egészségügyi szakoktató (BSc)");
    case Role::Mento:
        return QStringLiteral("Mentőtiszt (BSc)");
    }
    return {};
}

// Care types as the visit rows code them: 2 nursing; 4, 5, 6 therapy.
QString therapyType(Role r) {
    switch (r) {
    case Role::Gyogyt:
        return QStringLiteral("4");
    case Role::Fizio:
        return QStringLiteral("5");
    case Role::Logop:
        return QStringLiteral("6");
    default:
        return {};
    }
}

struct SitePlan {
    int serial;
    const char* settlement;
    const char* address;
    int days; // working days a week
    From from;
};

const SitePlan kSites[] = {
    {1, "Pápa", "Petőfi Sándor utca 12.", 5, From::PreviousYear},
    {2, "Ugod", "Kossuth Lajos utca 3.", 3, From::ThisYear},
};

struct AreaPlan {
    int site;
    const char* settlement;
    Until until;
};

// Pápa and the villages around it; the second site, opened this year, serves
// the villages towards the Bakony. Kup was handed to another provider at the
// end of last year.
const AreaPlan kAreas[] = {
    {1, "Pápa", Until::Open},        {1, "Pápadereske", Until::Open},
    {1, "Pápakovácsi", Until::Open}, {1, "Pápasalamon", Until::Open},
    {1, "Nyárád", Until::Open},      {1, "Mezőlak", Until::Open},
    {1, "Takácsi", Until::Open},     {1, "Vaszar", Until::Open},
    {1, "Gecse", Until::Open},       {1, "Nóráp", Until::Open},
    {1, "Dáka", Until::Open},        {1, "Kup", Until::EndOfPreviousYear},
    {2, "Ugod", Until::Open},        {2, "Bakonyjákó", Until::Open},
    {2, "Farkasgyepű", Until::Open}, {2, "Németbánya", Until::Open},
    {2, "Pápateszér", Until::Open},  {2, "Bakonyszentiván", Until::Open},
    {2, "Csót", Until::Open},        {2, "Béb", Until::Open},
    {2, "Homokbödöge", Until::Open}, {2, "Adásztevel", Until::Open},
};

// ---------------------------------------------------------------- the model

struct Worker {
    int serial;
    Role role;
    QDate start, end; // end invalid: open
    QString taj, name, birthPlace;
    QDate birth;
    int nursingHours, therapyHours;
    const WorkerPlan* plan;
};

struct Site {
    int serial;
    QDate start, end;
    Settlement place;
    QString address;
    int days;
};

struct Area {
    int site;
    QDate start, end;
    Settlement place;
    int population;
    bool outskirts;
};

struct Contract {
    QDate start, end;
    QString number;
    int tervviz, aptviz, szaktviz, normviz, papviz, pszakviz, potviz;
    int telep, dipl, szakap, gyogyt, fizio, logop, dokt, mento, osszd;
};

struct Doctor {
    QString code, name;
};

struct Patient {
    QString taj, name, sex;
    Settlement place;
    QString street, birthPlace;
    QDate birth;
};

struct Model {
    std::vector<Contract> contracts;
    std::vector<Worker> workers;
    std::vector<Site> sites;
    std::vector<Area> areas;
    std::vector<Doctor> doctors;
    std::vector<Patient> patients;
};

bool coversDay(const QDate& start, const QDate& end, const QDate& day) {
    return start <= day && (!end.isValid() || end >= day);
}

Contract makeContract(const Model& m, int year) {
    Contract c{};
    c.start = QDate(year, 1, 1);
    c.end = QDate(year, 12, 31);
    c.number = contractNumber(year);
    int nursing = 0, therapy = 0;
    for (const Worker& w : m.workers) {
        if (!coversDay(w.start, w.end, c.start)) continue;
        nursing += w.nursingHours;
        therapy += w.therapyHours;
        ++c.osszd;
        switch (w.role) {
        case Role::Dipl:
            ++c.dipl;
            break;
        case Role::Szakap:
            ++c.szakap;
            break;
        case Role::Gyogyt:
            ++c.gyogyt;
            break;
        case Role::Fizio:
            ++c.fizio;
            break;
        case Role::Logop:
            ++c.logop;
            break;
        case Role::DOkt:
            ++c.dokt;
            break;
        case Role::Mento:
            ++c.mento;
            break;
        }
    }
    for (const Site& s : m.sites)
        if (coversDay(s.start, s.end, c.start)) ++c.telep;
    // A full post (40 hours a week) makes 132 visits a month; the quotas are
    // that capacity rounded down to tens, the supplementary ones a tenth of it.
    c.aptviz = nursing * 132 / 40 / 10 * 10;
    c.szaktviz = therapy * 132 / 40 / 10 * 10;
    c.papviz = c.aptviz / 10;
    c.pszakviz = c.szaktviz / 10;
    c.normviz = c.aptviz + c.szaktviz;
    c.potviz = c.papviz + c.pszakviz;
    c.tervviz = c.normviz + c.potviz;
    return c;
}

void addOwnMasterData(Model& m, Rng& rng, const RefData& ref, QSet<QString>& tajs,
                      const std::function<QString()>& birthPlace) {
    // The program's own master data, made always (so that the county tables
    // do not depend on the option) and written only on request.
    QSet<QString> codes;
    for (int i = 0; i < 6; ++i) {
        QString code;
        do {
            code = QString::number(rng.between(10000, 99999));
        } while (codes.contains(code));
        codes.insert(code);
        QString name;
        do {
            name = QStringLiteral("Dr. ") + personName(rng, ref, rng.chance(55));
        } while (name.size() > 25);
        m.doctors.push_back({code, name});
    }
    for (int i = 0; i < 15; ++i) {
        Patient p;
        const bool female = rng.chance(60);
        p.sex = female ? QStringLiteral("N") : QStringLiteral("F");
        p.name = personName(rng, ref, female);
        p.taj = newTaj(rng, tajs, i == 0);
        p.place = m.areas[size_t(rng.below(int(m.areas.size())))].place;
        p.street = streets()[rng.below(int(streets().size()))] + u' ' +
                   QString::number(rng.between(1, 120)) + u'.';
        p.birthPlace = birthPlace();
        p.birth = randomDay(rng, 1930, 1965);
        m.patients.push_back(p);
    }
}

Model buildModel(const RefData& ref, int year, const Options& o) {
    Rng rng(o.seed);
    Model m;
    const QString county = QString::fromUtf8(kCounty);
    const QDate thisStart(year, 1, 1);
    const QDate prevStart(year - 1, 1, 1);
    const QDate prevEnd(year - 1, 12, 31);
    auto startOf = [&](From f) {
        return f == From::PreviousYear && o.previousContract ? prevStart : thisStart;
    };
    auto endOf = [&](Until u) {
        switch (u) {
        case Until::Open:
            return QDate();
        case Until::EndOfPreviousYear:
            return prevEnd;
        case Until::MidThisYear:
            return QDate(year, 6, 30);
        }
        return QDate();
    };
    std::vector<const Settlement*> home, anywhere;
    for (const Settlement& s : ref.settlements) {
        anywhere.push_back(&s);
        if (s.county == county) home.push_back(&s);
    }
    auto birthPlace = [&]() -> QString {
        const auto& from = rng.chance(70) ? home : anywhere;
        return from[size_t(rng.below(int(from.size())))]->name;
    };

    // Workers. Every random choice is made whether or not the record is kept,
    // so an option changes only what it is about.
    QSet<QString> tajs;
    Worker person{};
    for (const WorkerPlan& p : kWorkers) {
        if (!p.samePersonAsBefore) {
            bool female = true;
            switch (p.role) {
            case Role::Mento:
                female = rng.chance(30);
                break;
            case Role::Gyogyt:
            case Role::Fizio:
            case Role::Logop:
                female = rng.chance(70);
                break;
            default:
                female = rng.chance(90);
                break;
            }
            person.name = personName(rng, ref, female);
            // The second worker's number starts with 0, which the county
            // office's numeric TAJ field does not keep.
            person.taj = newTaj(rng, tajs, p.serial == 2);
            person.birthPlace = birthPlace();
            person.birth = randomDay(rng, 1962, 1998);
        }
        // Without last year's contract there is no record that ended then.
        if (!o.previousContract && p.until == Until::EndOfPreviousYear) continue;
        Worker w = person;
        w.serial = p.serial;
        w.role = p.role;
        w.plan = &p;
        w.start = startOf(p.from);
        w.end = endOf(p.until);
        w.nursingHours = p.nursingHours;
        w.therapyHours = p.therapyHours;
        m.workers.push_back(w);
    }

    for (const SitePlan& p : kSites)
        m.sites.push_back({p.serial, startOf(p.from), QDate(),
                           ref.find(QString::fromUtf8(p.settlement), county),
                           QString::fromUtf8(p.address), p.days});

    for (const AreaPlan& p : kAreas) {
        Area a{};
        a.site = p.site;
        a.place = ref.find(QString::fromUtf8(p.settlement), county);
        a.start = startOf(kSites[p.site - 1].from);
        a.end = endOf(p.until);
        a.population = a.place.name == QString::fromUtf8(kSeat) ? rng.between(30500, 31500)
                                                                : rng.between(150, 2400);
        a.outskirts = a.place.name == QString::fromUtf8(kSeat) || rng.chance(40);
        if (o.previousContract || p.until != Until::EndOfPreviousYear) m.areas.push_back(a);
    }

    if (o.previousContract) m.contracts.push_back(makeContract(m, year - 1));
    m.contracts.push_back(makeContract(m, year));

    addOwnMasterData(m, rng, ref, tajs, birthPlace);
    return m;
}

// ---------------------------------------------------------------- writing

using engine::fieldDef;
using engine::FieldDef;

// Removes every file of the folder named `fileName` or its index file, in any
// letter case, so that the new file has exactly the name asked for.
void removeVariants(const QString& dir, const QString& fileName) {
    const QString mdx = QFileInfo(fileName).completeBaseName() + QStringLiteral(".mdx");
    const QStringList entries = QDir(dir).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& e : entries) {
        if (e.compare(fileName, Qt::CaseInsensitive) != 0 &&
            e.compare(mdx, Qt::CaseInsensitive) != 0)
            continue;
        if (!QFile::remove(QDir(dir).filePath(e)))
            fail(QStringLiteral("Nem törölhető: %1").arg(QDir(dir).filePath(e)));
    }
}

// The header as the county office's program leaves it: the day it was
// written and, for its own tables, the code page 852 mark (byte 29).
void stampHeader(const QString& path, QDate day, bool codePageMark) {
    QFile f(path);
    if (!f.open(QIODevice::ReadWrite)) fail(QStringLiteral("Nem írható: %1").arg(path));
    const char date[3] = {char(day.year() % 100), char(day.month()), char(day.day())};
    bool ok = f.seek(1) && f.write(date, 3) == 3;
    if (codePageMark) ok = ok && f.seek(29) && f.write("\x64", 1) == 1;
    if (!ok) fail(QStringLiteral("Nem írható: %1").arg(path));
}

int writeTable(const QString& dir, const QString& fileName, std::vector<FieldDef> fields,
               const std::vector<QVariantList>& rows, QDate day, bool countyTable) {
    removeVariants(dir, fileName);
    const QString path = QDir(dir).filePath(fileName);
    engine::Table::create(path, std::move(fields));
    {
        engine::Table t;
        t.open(path);
        t.appendRows(rows);
        t.close();
    }
    stampHeader(path, day, countyTable);
    return int(rows.size());
}

QVariant dateOrBlank(const QDate& d) {
    return d.isValid() ? QVariant(d) : QVariant();
}

QVariant utf8(const char* s) {
    return QString::fromUtf8(s);
}

int writePart(const QString& dir, const RefData& ref, QDate day) {
    const Settlement& seat = ref.find(QString::fromUtf8(kSeat), QString::fromUtf8(kCounty));
    return writeTable(dir, fileName(CountyTable::Part),
                      {fieldDef("INTKOD", 'C', 4), fieldDef("INTE", 'C', 50),
                       fieldDef("MEGYE", 'N', 2), fieldDef("IRSZAM", 'C', 4),
                       fieldDef("HELY", 'C', 25), fieldDef("UTCA", 'C', 30)},
                      {{providerCode(), providerName(), providerCounty(), seat.irsz, seat.name,
                        QString::fromUtf8(kSites[0].address)}},
                      day, true);
}

int writeSzerz(const QString& dir, const Model& m, QDate day, const Options& o) {
    std::vector<FieldDef> f = {fieldDef("INTKOD", 'C', 4), fieldDef("SZKEZD", 'D'),
                               fieldDef("SZVEG", 'D'), fieldDef("SZSZAM", 'C', 20)};
    if (o.finkodField) f.push_back(fieldDef("FINKOD", 'C', 9));
    for (const char* n :
         {"TERVVIZ", "APTVIZ", "SZAKTVIZ", "NORMVIZ", "PAPVIZ", "PSZAKVIZ", "POTVIZ"})
        f.push_back(fieldDef(n, 'N', 6));
    f.push_back(fieldDef("TELEP", 'N', 2));
    for (const char* n : {"DIPL", "SZAKAP", "GYOGYT", "FIZIO", "LOGOP", "D_OKT", "MENTO", "OSSZD"})
        f.push_back(fieldDef(n, 'N', 3));
    std::vector<QVariantList> rows;
    for (const Contract& c : m.contracts) {
        QVariantList r = {providerCode(), c.start, c.end, c.number};
        if (o.finkodField) r << financingCode();
        r << c.tervviz << c.aptviz << c.szaktviz << c.normviz << c.papviz << c.pszakviz << c.potviz
          << c.telep << c.dipl << c.szakap << c.gyogyt << c.fizio << c.logop << c.dokt << c.mento
          << c.osszd;
        rows.push_back(r);
    }
    return writeTable(dir, fileName(CountyTable::Szerz), std::move(f), rows, day, true);
}

int writeSzolgsz(const QString& dir, const Model& m, QDate day, const Options& o) {
    std::vector<FieldDef> f = {
        fieldDef("INTKOD", 'C', 4),
        fieldDef("SSORSZAM", 'N', 5),
        fieldDef("KEZD", 'D'),
        fieldDef("VEG", 'D'),
        o.workerTajAsNumber ? fieldDef("TAJ", 'N', 9) : fieldDef("TAJ", 'C', 9),
        fieldDef("NEV", 'C', 30),
        fieldDef("SZHELY", 'C', 25),
        fieldDef("SZIDO", 'D'),
        fieldDef("SZAKA", 'C', 40),
        fieldDef("SZAKB1", 'C', 40),
        fieldDef("SZAKB2", 'C', 40),
        fieldDef("SZAKBR", 'C', 40),
        fieldDef("TEVA", 'C', 1),
        fieldDef("TEVSZ", 'C', 1),
        fieldDef("SZAKAPO", 'N', 2),
        fieldDef("SZAKIRO", 'N', 2),
        fieldDef("OSSZO", 'N', 2),
        fieldDef("MASFOGL", 'C', 1),
        fieldDef("FOGLMIN", 'C', 25),
        fieldDef("MASHOL", 'C', 40),
        fieldDef("HETIO", 'N', 2),
    };
    std::vector<QVariantList> rows;
    for (const Worker& w : m.workers) {
        const WorkerPlan& p = *w.plan;
        const bool other = *p.otherPlace != 0;
        rows.push_back({providerCode(),
                        w.serial,
                        w.start,
                        dateOrBlank(w.end),
                        o.workerTajAsNumber ? QVariant(w.taj.toLongLong()) : QVariant(w.taj),
                        w.name,
                        w.birthPlace,
                        w.birth,
                        basicQualification(w.role),
                        utf8(p.qualB1),
                        utf8(p.qualB2),
                        utf8(p.qualBR),
                        w.nursingHours > 0 ? QStringLiteral("2") : QString(),
                        therapyType(w.role),
                        w.nursingHours,
                        w.therapyHours,
                        w.nursingHours + w.therapyHours,
                        other ? QStringLiteral("I") : QStringLiteral("N"),
                        utf8(p.employment),
                        utf8(p.otherPlace),
                        p.otherHours});
    }
    return writeTable(dir, fileName(CountyTable::Szolgsz), std::move(f), rows, day, true);
}

int writeTelepul(const QString& dir, const RefData& ref, QDate day) {
    std::vector<QVariantList> rows;
    for (const Settlement& s : ref.settlements)
        rows.push_back({s.code(), s.name, s.irsz});
    return writeTable(
        dir, fileName(CountyTable::Telepul),
        {fieldDef("KOZIGKOD", 'C', 7), fieldDef("HELYNEV", 'C', 25), fieldDef("IRSZAM", 'C', 4)},
        rows, day, true);
}

int writeTerulet(const QString& dir, const Model& m, QDate day) {
    std::vector<QVariantList> rows;
    for (const Area& a : m.areas)
        rows.push_back({providerCode(), a.site, a.start, dateOrBlank(a.end), a.place.code(),
                        a.place.name, a.population, a.outskirts ? QStringLiteral("K") : QString()});
    return writeTable(dir, fileName(CountyTable::Terulet),
                      {fieldDef("INTKOD", 'C', 4), fieldDef("TSORSZAM", 'N', 5),
                       fieldDef("KEZD", 'D'), fieldDef("VEG", 'D'), fieldDef("KOZIGKOD", 'C', 7),
                       fieldDef("HELYNEV", 'C', 25), fieldDef("LETSZAM", 'N', 6),
                       fieldDef("KULTER", 'C', 1)},
                      rows, day, true);
}

int writeThely(const QString& dir, const Model& m, QDate day) {
    std::vector<QVariantList> rows;
    for (const Site& s : m.sites)
        rows.push_back({providerCode(), s.serial, s.start, dateOrBlank(s.end), s.place.code(),
                        s.place.name, s.address, s.days});
    return writeTable(dir, fileName(CountyTable::Thely),
                      {fieldDef("INTKOD", 'C', 4), fieldDef("TSORSZAM", 'N', 5),
                       fieldDef("KEZD", 'D'), fieldDef("VEG", 'D'), fieldDef("KOZIGKOD", 'C', 7),
                       fieldDef("HELYNEV", 'C', 25), fieldDef("CIM", 'C', 40),
                       fieldDef("NAP", 'N', 1)},
                      rows, day, true);
}

// The fund's own BNO table, copied byte for byte.
int writeBnotorzs(const QString& dir) {
    const QString name = fileName(CountyTable::Bnotorzs);
    removeVariants(dir, name);
    const QByteArray bytes = resource(name);
    const QString path = QDir(dir).filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        fail(QStringLiteral("Nem írható: %1").arg(path));
    f.close();
    engine::Table t;
    t.open(path, engine::Table::Mode::ReadOnly);
    return int(t.fileRecordCount());
}

// The program's own master tables, in the layouts it creates them with.
void writeLocal(const QString& dir, const Model& m, QDate day, int year, Result& result) {
    std::vector<QVariantList> nurses;
    QSet<QString> seen;
    for (const Worker& w : m.workers) {
        if (w.nursingHours == 0 || !coversDay(w.start, w.end, QDate(year, 1, 1)) ||
            seen.contains(w.taj))
            continue;
        seen.insert(w.taj);
        nurses.push_back({w.taj, w.name});
    }
    const QString apol = QStringLiteral("Apol.dbf");
    result.files.push_back(
        {apol, writeTable(dir, apol, {fieldDef("Aptaj", 'C', 9), fieldDef("Anev", 'C', 25)}, nurses,
                          day, false)});

    std::vector<QVariantList> doctors;
    for (const Doctor& d : m.doctors)
        doctors.push_back({d.code, d.name});
    const QString orvos = QStringLiteral("Orvos.dbf");
    result.files.push_back(
        {orvos, writeTable(dir, orvos, {fieldDef("Orvoskod", 'C', 5), fieldDef("Onev", 'C', 25)},
                           doctors, day, false)});

    std::vector<QVariantList> patients;
    for (const Patient& p : m.patients)
        patients.push_back({p.taj, p.name, p.sex, QStringLiteral("1"), p.place.code(), p.place.name,
                            p.street, p.birthPlace, p.birth});
    const QString beteg = QStringLiteral("Beteg.dbf");
    result.files.push_back(
        {beteg,
         writeTable(dir, beteg,
                    {fieldDef("Taj", 'C', 9), fieldDef("Nev", 'C', 25), fieldDef("Neme", 'C', 1),
                     fieldDef("Aztip", 'C', 1), fieldDef("Kozigkod", 'C', 7),
                     fieldDef("Cime1", 'C', 25), fieldDef("Cime2", 'C', 25),
                     fieldDef("Szulh", 'C', 25), fieldDef("Szuli", 'D')},
                    patients, day, false)});
}

} // namespace

// ---------------------------------------------------------------- public

const std::vector<CountyTable>& countyTables() {
    static const std::vector<CountyTable> all = {
        CountyTable::Part,    CountyTable::Szerz, CountyTable::Szolgsz, CountyTable::Telepul,
        CountyTable::Terulet, CountyTable::Thely, CountyTable::Bnotorzs};
    return all;
}

QString fileName(CountyTable table) {
    switch (table) {
    case CountyTable::Part:
        return QStringLiteral("PART.DBF");
    case CountyTable::Szerz:
        return QStringLiteral("SZERZ.DBF");
    case CountyTable::Szolgsz:
        return QStringLiteral("SZOLGSZ.DBF");
    case CountyTable::Telepul:
        return QStringLiteral("TELEPUL.DBF");
    case CountyTable::Terulet:
        return QStringLiteral("TERULET.DBF");
    case CountyTable::Thely:
        return QStringLiteral("THELY.DBF");
    case CountyTable::Bnotorzs:
        return QStringLiteral("BNOTORZS.DBF");
    }
    return {};
}

QString providerCode() {
    return QString::fromLatin1(kProviderCode);
}

QString providerName() {
    return QStringLiteral("Demó Otthoni Szakápoló Szolgálat Kft.");
}

int providerCounty() {
    return kFundCounty;
}

QString financingCode() {
    return QString::fromLatin1(kFinancingCode);
}

QString contractNumber(int year) {
    return QStringLiteral("OSZ-%1/%2").arg(providerCode()).arg(year);
}

Result makeDemoData(const QString& programDir, QDate today, const Options& options) {
    if (!today.isValid()) fail(QStringLiteral("Érvénytelen dátum."));
    Result result;
    result.dataDir = QDir::cleanPath(QDir(programDir).absoluteFilePath(QStringLiteral("DATA")));
    if (!QDir().mkpath(result.dataDir))
        fail(QStringLiteral("Nem hozható létre a könyvtár: %1").arg(result.dataDir));

    const RefData ref = loadRefData();
    const Model model = buildModel(ref, today.year(), options);
    const QString& dir = result.dataDir;
    for (CountyTable t : countyTables()) {
        if (options.leaveOut.count(t)) continue;
        int n = 0;
        switch (t) {
        case CountyTable::Part:
            n = writePart(dir, ref, today);
            break;
        case CountyTable::Szerz:
            n = writeSzerz(dir, model, today, options);
            break;
        case CountyTable::Szolgsz:
            n = writeSzolgsz(dir, model, today, options);
            break;
        case CountyTable::Telepul:
            n = writeTelepul(dir, ref, today);
            break;
        case CountyTable::Terulet:
            n = writeTerulet(dir, model, today);
            break;
        case CountyTable::Thely:
            n = writeThely(dir, model, today);
            break;
        case CountyTable::Bnotorzs:
            n = writeBnotorzs(dir);
            break;
        }
        result.files.push_back({fileName(t), n});
    }
    if (options.localData) writeLocal(dir, model, today, today.year(), result);
    return result;
}

bool hasCountyData(const QString& programDir) {
    return engine::fileExistsNoCase(
        QDir(programDir).filePath(QStringLiteral("DATA/") + fileName(CountyTable::Part)));
}

bool tajValid(const QString& taj) {
    if (taj.size() != 9) return false;
    for (QChar c : taj)
        if (c < u'0' || c > u'9') return false;
    int sum = 0;
    for (int i = 0; i < 8; ++i)
        sum += (taj.at(i).unicode() - u'0') * (i % 2 == 0 ? 3 : 7);
    return sum % 10 == taj.at(8).unicode() - u'0';
}

QString tajWithCheckDigit(const QString& eightDigits) {
    int sum = 0;
    for (int i = 0; i < 8 && i < eightDigits.size(); ++i)
        sum += (eightDigits.at(i).unicode() - u'0') * (i % 2 == 0 ? 3 : 7);
    return eightDigits.left(8) + QChar(u'0' + sum % 10);
}

QString kozigkod(const QString& kshCode, int kshCounty) {
    return kshCode + QStringLiteral("%1").arg(kshCounty, 2, 10, QLatin1Char('0'));
}

int kshCountyCode(const QString& countyName) {
    // In the order of the KSH county codes, 01 to 20.
    static const char* const names[] = {"Budapest",
                                        "Baranya",
                                        "Bács-Kiskun",
                                        "Békés",
                                        "Borsod-Abaúj-Zemplén",
                                        "Csongrád-Csanád",
                                        "Fejér",
                                        "Győr-Moson-Sopron",
                                        "Hajdú-Bihar",
                                        "Heves",
                                        "Komárom-Esztergom",
                                        "Nógrád",
                                        "Pest",
                                        "Somogy",
                                        "Szabolcs-Szatmár-Bereg",
                                        "Jász-Nagykun-Szolnok",
                                        "Tolna",
                                        "Vas",
                                        "Veszprém",
                                        "Zala"};
    for (int i = 0; i < 20; ++i)
        if (countyName == QString::fromUtf8(names[i])) return i + 1;
    if (countyName == u"Csongrád") return 6; // its name before 2020
    return 0;
}

} // namespace demo
