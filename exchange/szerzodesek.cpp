#include "exchange/szerzodesek.h"

#include "core/appstate.h"
#include "db/layouts.h"
#include "db/tableops.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fileswap.h"
#include "engine/keyexpr.h"
#include "engine/outsidefile.h"
#include "engine/tablebuilder.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/ravfajl.h"
#include "ui/folderbrowser.h"
#include "ui/messages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <optional>
#include <stdexcept>
#include <vector>

namespace exch {

namespace {

struct Szerzfajl {
    const char* elotag; // of the office's file name
    db::TableId tabla;
    const char* nev; // as messages name the table
    bool kotelezo;
    QStringList mezok; // the fields the program reads
};

const std::vector<Szerzfajl>& szerzfajlok() {
    static const std::vector<Szerzfajl> f = {
        {"As", db::TableId::Szerz, "SZERZ", true, {"SZKEZD",  "SZVEG",    "SZSZAM",   "FINKOD",
                                                   "TERVVIZ", "APTVIZ",   "SZAKTVIZ", "NORMVIZ",
                                                   "PAPVIZ",  "PSZAKVIZ", "POTVIZ",   "TELEP",
                                                   "DIPL",    "SZAKAP",   "GYOGYT",   "FIZIO",
                                                   "LOGOP",   "D_OKT",    "MENTO",    "OSSZD"}},
        {"Ar",
         db::TableId::Terulet,
         "TERULET",
         true,
         {"TSORSZAM", "KEZD", "VEG", "KOZIGKOD", "HELYNEV", "LETSZAM", "KULTER"}},
        {"Ad", db::TableId::Szolgsz, "SZOLGSZ", true, {"INTKOD", "SSORSZAM", "KEZD",    "VEG",
                                                       "TAJ",    "NEV",      "SZHELY",  "SZIDO",
                                                       "SZAKA",  "SZAKB1",   "SZAKB2",  "SZAKBR",
                                                       "TEVA",   "TEVSZ",    "SZAKAPO", "SZAKIRO",
                                                       "OSSZO",  "MASFOGL",  "FOGLMIN", "MASHOL",
                                                       "HETIO"}},
        {"At",
         db::TableId::Thely,
         "THELY",
         true,
         {"TSORSZAM", "KEZD", "VEG", "KOZIGKOD", "HELYNEV", "CIM", "NAP"}},
        {"Pa",
         db::TableId::Part,
         "PART",
         false,
         {"INTKOD", "INTE", "MEGYE", "IRSZAM", "HELY", "UTCA"}},
    };
    return f;
}

const Szerzfajl& szerzfajl(db::TableId tabla) {
    for (const Szerzfajl& f : szerzfajlok())
        if (f.tabla == tabla) return f;
    throw std::logic_error("szerzfajl: no contract file for the table");
}

// Every value the program reads from the row, by the type the office gave
// its field: a text without control characters, a finite number, a real
// date or none.
void sorEllenoriz(const RavFajl& file, const QStringList& mezok) {
    for (const QString& name : mezok) {
        const int i = file.field(name);
        const engine::FieldDef& f = file.table().fields()[size_t(i)];
        switch (f.type) {
        case 'D':
            file.date(i);
            break;
        case 'N':
        case 'F':
            file.number(i);
            break;
        case 'C':
            file.text(i, f);
            break;
        default:
            break;
        }
    }
}

// The provider: one row, a code that names files (four letters or digits)
// and a county of the fund's list.
void partEllenoriz(RavFajl& file) {
    int sorok = 0;
    for (bool ok = file.first(); ok; ok = file.next())
        ++sorok;
    if (sorok != 1)
        throw RavHiba(QStringLiteral("A(z) %1 állományban pontosan egy szolgáltató adatainak kell "
                                     "állnia, de %2 sor van benne!")
                          .arg(file.name())
                          .arg(sorok));
    file.first();
    const int fKod = file.field(QStringLiteral("INTKOD"));
    const QString kod = file.text(fKod, db::column(db::TableId::Lap, QStringLiteral("INTKOD")));
    bool jo = kod.size() == 4;
    for (const QChar c : kod)
        jo = jo && c.unicode() < 128 && c.isLetterOrNumber();
    if (!jo) file.hibasErtek(fKod, QStringLiteral("A szolgáltató kódja négy betű vagy számjegy."));
    const int fMegye = file.field(QStringLiteral("MEGYE"));
    const std::optional<qint64> megye = file.integer(fMegye);
    if (!megye || *megye < 1 || *megye > 20)
        file.hibasErtek(fMegye, QStringLiteral("A megye kódja 1 és 20 közötti szám."));
}

// The contracts: at least one, each with its start; the current one (the
// latest start, the last of equal ones) with a financing code that a
// sheet's FINKOD holds.
void szerzEllenoriz(RavFajl& file) {
    const int fKezd = file.field(QStringLiteral("SZKEZD")),
              fFin = file.field(QStringLiteral("FINKOD"));
    const engine::FieldDef& finkod = db::column(db::TableId::Lap, QStringLiteral("FINKOD"));
    QDate legutobb;
    std::uint32_t sor = 0;
    QString kod;
    for (bool ok = file.first(); ok; ok = file.next()) {
        const QDate kezd = file.date(fKezd);
        if (!kezd.isValid()) file.hibasErtek(fKezd, kitoltendo());
        const QString f = file.text(fFin, finkod);
        if (sor == 0 || kezd >= legutobb) {
            legutobb = kezd;
            sor = file.recno();
            kod = f;
        }
    }
    if (sor == 0)
        throw RavHiba(
            QStringLiteral("A(z) %1 állományban nincs egy szerződés sem!").arg(file.name()));
    if (kod.isEmpty())
        throw RavHiba(QStringLiteral("A(z) %1 állományban a legutóbbi szerződésnek (%2. sor) nincs "
                                     "finanszírozási kódja (FINKOD)!")
                          .arg(file.name())
                          .arg(sor));
}

} // namespace

void szerzodesEllenoriz(const QString& path, const QString& shownName, db::TableId tabla) {
    const Szerzfajl& f = szerzfajl(tabla);
    RavFajl file(path, f.mezok, shownName);
    for (const db::TagDef& tag : db::layout(f.tabla).tags) {
        try {
            engine::KeyExpr::parse(tag.expression, file.table().fields(), path);
        } catch (const engine::DbError& e) {
            throw RavHiba(QStringLiteral("A(z) %1 állomány nem indexelhető (%2): %3")
                              .arg(file.name(), tag.expression, e.detail()));
        }
    }
    // What the program joins and copies into its own tables fits them.
    const auto lap = [](const char* name) {
        return db::column(db::TableId::Lap, QLatin1String(name));
    };
    for (bool ok = file.first(); ok; ok = file.next()) {
        sorEllenoriz(file, f.mezok);
        if (const int i = file.field(QStringLiteral("INTKOD")); i >= 0) file.text(i, lap("INTKOD"));
        if (const int i = file.field(QStringLiteral("KOZIGKOD")); i >= 0)
            file.text(i, lap("KOZIGKOD"));
        if (tabla == db::TableId::Szolgsz)
            file.text(file.field(QStringLiteral("TAJ")),
                      db::column(db::TableId::Apol, QStringLiteral("APTAJ")), true);
    }
    if (tabla == db::TableId::Part) partEllenoriz(file);
    if (tabla == db::TableId::Szerz) szerzEllenoriz(file);
}

namespace {

// Holds a table file the way the start-up does (an exclusive lock), so that
// no other program has it while it is replaced.
std::vector<std::unique_ptr<engine::Table>> lefoglal(const QStringList& files) {
    std::vector<std::unique_ptr<engine::Table>> held;
    for (const QString& f : files) {
        if (!QFileInfo::exists(f)) continue;
        auto t = std::make_unique<engine::Table>();
        t->open(f, engine::Table::Mode::Exclusive);
        held.push_back(std::move(t));
    }
    return held;
}

// The contract files found in `dir`, in the order of szerzfajlok(); none
// (after the message) when a required one is missing.
using Talalt = std::vector<std::pair<const Szerzfajl*, QString>>;

std::optional<Talalt> keresFajlok(core::AppState& st, const QString& dir) {
    const QString kod = intkod(st);
    Talalt talalt;
    for (const Szerzfajl& f : szerzfajlok()) {
        const QString p =
            engine::findFileNoCase(QDir(dir).filePath(QLatin1String(f.elotag) + kod + ".dbf"));
        if (QFileInfo::exists(p)) {
            talalt.emplace_back(&f, p);
        } else if (f.kotelezo) {
            st.msg.error(QStringLiteral("Nincs a megadott helyen szerződés állomány !!\r"
                                        "Szerződéses adatok betöltése megszakadt!!"));
            return std::nullopt;
        }
    }
    return talalt;
}

// Copies the files into TEMP under the tables' names and checks them there,
// then copies them beside the tables under a temporary name (`csere`: fresh
// file -> table file). Every file made is listed in `takaritando`. False
// (after the message) when a copy or a check fails.
bool elokeszit(core::AppState& st, const Talalt& talalt, QStringList& takaritando,
               std::vector<std::pair<QString, QString>>& csere, const QString& megszakadt) {
    const QDir temp(st.tempkonyvtar);
    QDir().mkpath(temp.path());
    try {
        for (const auto& [f, forras] : talalt) {
            const QString masolat = temp.filePath(db::layout(f->tabla).fileName);
            takaritando << masolat;
            engine::checkOutsideTable(forras);
            engine::TableBuilder::copyFile(forras, masolat);
        }
    } catch (const engine::DbError& e) {
        st.msg.error(QStringLiteral("Hiba a mentésben\r") + e.text());
        return false;
    }
    try {
        for (const auto& [f, forras] : talalt)
            szerzodesEllenoriz(temp.filePath(db::layout(f->tabla).fileName),
                               QFileInfo(forras).fileName(), f->tabla);
    } catch (const RavHiba& e) {
        st.msg.error(e.text() + megszakadt);
        return false;
    }
    try {
        for (const auto& [f, forras] : talalt) {
            const QString cel = st.tables.file(db::layout(f->tabla).fileName);
            const QString uj = cel + QStringLiteral(".uj");
            takaritando << uj;
            engine::TableBuilder::copyFile(temp.filePath(db::layout(f->tabla).fileName), uj,
                                           QStringLiteral(".tmp"));
            csere.emplace_back(uj, QFileInfo(cel).fileName());
        }
    } catch (const engine::DbError& e) {
        st.msg.error(QStringLiteral("Hiba a mentésben\r") + e.text());
        return false;
    }
    return true;
}

// The replaced tables' index files describe the old files: they are built
// anew, the table files left as the office sent them.
void indexekUjra(core::AppState& st, const Talalt& talalt) {
    for (const auto& [f, forras] : talalt) {
        const db::TableDef& def = db::layout(f->tabla);
        const QString cel = st.tables.file(def.fileName);
        const QString mdx = engine::findFileNoCase(
            QFileInfo(cel).dir().filePath(db::indexFileName(QFileInfo(cel).fileName())));
        QFile::remove(mdx);
        if (def.tags.empty()) continue;
        try {
            db::buildIndexes(db::tableOf(st.tables, f->tabla), cel, def.tags,
                             def.activeTag.isEmpty() ? std::nullopt
                                                     : std::optional<QString>(def.activeTag),
                             db::Header::Keep);
        } catch (const engine::DbError&) {
            // indexel afterwards builds what is still missing, or says why not.
        }
    }
}

} // namespace

bool Szerzodesek::beolvasClick() {
    if (!st_.msg.confirm(QStringLiteral("A teljes szerződésállományt lecseréljük! Rendben?"))) {
        st_.msg.warning(QStringLiteral("A szerződések beolvasása elmaradt!"));
        return true;
    }
    const ui::FolderChoice c = folders_.chooseFolder(
        QStringLiteral("Beolvasás helyének kiválasztása"), QStringLiteral("S"));
    if (!c.chosen || c.dir.isEmpty()) return true;
    return beolvas(c.dir);
}

bool Szerzodesek::beolvas(const QString& dir) {
    const QString megszakadt = QStringLiteral("\rSzerződéses adatok betöltése megszakadt!!");
    csereltek_.clear();
    zaroUzenet_.clear();
    const std::optional<Talalt> talalt = keresFajlok(st_, dir);
    if (!talalt) return true;

    // Copies in TEMP under the tables' names, checked there; then beside the
    // tables under a temporary name. Nothing local has changed until the swap.
    QStringList takaritando;
    struct Takarito {
        QStringList& files;
        ~Takarito() {
            for (const QString& f : files)
                QFile::remove(f);
        }
    } takarito{takaritando};
    std::vector<std::pair<QString, QString>> csere; // fresh file in DATA -> table file
    if (!elokeszit(st_, *talalt, takaritando, csere, megszakadt)) return true;

    // The tables to be replaced are held as the start-up holds them: one
    // that another program has (the start-up could not open it) is refused
    // before anything is closed.
    QStringList celok;
    for (const auto& [f, forras] : *talalt)
        celok << st_.tables.file(db::layout(f->tabla).fileName);
    try {
        QStringList zartak;
        for (const auto& [f, forras] : *talalt)
            if (!db::tableOf(st_.tables, f->tabla).isOpen())
                zartak << st_.tables.file(db::layout(f->tabla).fileName);
        lefoglal(zartak);
    } catch (const engine::DbError& e) {
        st_.msg.error(e.text() + megszakadt);
        return true;
    }

    db::mindzar(st_.tables);
    st_.msg.status(0, QStringLiteral("A szerződés frissítése folyamatban van!!"));
    bool sikerult = false;
    try {
        const auto foglalt = lefoglal(celok);
        engine::replaceFiles(st_.tables.directory(), csere);
        sikerult = true;
    } catch (const engine::DbError& e) {
        st_.msg.error((e.kind() == engine::DbError::Kind::Locked
                           ? e.text() + megszakadt
                           : QStringLiteral("Hiba a mentésben\r") + e.text()));
    }
    if (sikerult) {
        for (const auto& [f, forras] : *talalt)
            csereltek_ << QLatin1String(f->nev);
        indexekUjra(st_, *talalt);
        zaroUzenet_ = QStringLiteral("A szerződés frissítése befejeződött!!\r") +
                      QStringLiteral("Lecserélt táblák: %1").arg(csereltek_.join(", "));
        st_.msg.information(zaroUzenet_);
    }
    // Either way the tables are indexed and open again.
    db::indexel(st_.tables);
    const bool ok = szerzadat_ ? szerzadat_() : true;
    QCoreApplication::processEvents();
    st_.msg.status(0, QStringLiteral("Az indexelés befejeződött!!"));
    return ok;
}

} // namespace exch
