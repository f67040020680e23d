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
#include <vector>

namespace exchange {

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

// A readable table with the fields, whose index keys can be computed.
void ellenoriz(const QString& path, const QString& shownName, const Szerzfajl& f) {
    RavFajl file(path, f.mezok, shownName);
    for (const db::TagDef& tag : db::layout(f.tabla).tags) {
        try {
            engine::KeyExpr::parse(tag.expression, file.table().fields(), path);
        } catch (const engine::DbError& e) {
            throw RavHiba(QStringLiteral("A(z) %1 állomány nem indexelhető (%2): %3")
                              .arg(file.name(), tag.expression, e.detail()));
        }
    }
}

} // namespace

bool Szerzodesek::SzerzdsekbeolvassaRAVtl1Click() {
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
    csereltek_.clear();
    zaroUzenet_.clear();
    const QString kod = intkod(st_);
    // The files found, in the order given.
    std::vector<std::pair<const Szerzfajl*, QString>> talalt;
    for (const Szerzfajl& f : szerzfajlok()) {
        const QString p =
            engine::findFileNoCase(QDir(dir).filePath(QLatin1String(f.elotag) + kod + ".dbf"));
        if (QFileInfo::exists(p)) {
            talalt.emplace_back(&f, p);
        } else if (f.kotelezo) {
            st_.msg.error(QStringLiteral("Nincs a megadott helyen szerződés állomány !!\r"
                                         "Szerződéses adatok betöltése megszakadt!!"));
            return true;
        }
    }

    // Copies in TEMP under the tables' names, checked there; then beside the
    // tables under a temporary name. Nothing local has changed until the swap.
    const QDir temp(st_.tempkonyvtar);
    QDir().mkpath(temp.path());
    QStringList takaritando;
    struct Takarito {
        QStringList& files;
        ~Takarito() {
            for (const QString& f : files)
                QFile::remove(f);
        }
    } takarito{takaritando};
    std::vector<std::pair<QString, QString>> csere; // fresh file in DATA -> table file
    try {
        for (const auto& [f, forras] : talalt) {
            const QString celnev = db::layout(f->tabla).fileName;
            const QString masolat = temp.filePath(celnev);
            takaritando << masolat;
            engine::checkOutsideTable(forras);
            engine::TableBuilder::copyFile(forras, masolat);
        }
    } catch (const engine::DbError& e) {
        st_.msg.error(QStringLiteral("Hiba a mentésben\r") + e.text());
        return true;
    }
    try {
        for (const auto& [f, forras] : talalt)
            ellenoriz(temp.filePath(db::layout(f->tabla).fileName), QFileInfo(forras).fileName(),
                      *f);
    } catch (const RavHiba& e) {
        st_.msg.error(e.text() + QStringLiteral("\rSzerződéses adatok betöltése megszakadt!!"));
        return true;
    }
    try {
        for (const auto& [f, forras] : talalt) {
            const QString cel = st_.tables.file(db::layout(f->tabla).fileName);
            const QString uj = cel + QStringLiteral(".uj");
            takaritando << uj;
            engine::TableBuilder::copyFile(temp.filePath(db::layout(f->tabla).fileName), uj,
                                           QStringLiteral(".tmp"));
            csere.emplace_back(uj, QFileInfo(cel).fileName());
        }
    } catch (const engine::DbError& e) {
        st_.msg.error(QStringLiteral("Hiba a mentésben\r") + e.text());
        return true;
    }

    db::mindzar(st_.tables);
    st_.msg.status(0, QStringLiteral("A szerződés frissítése folyamatban van!!"));
    bool sikerult = false;
    try {
        engine::replaceFiles(st_.tables.directory(), csere);
        sikerult = true;
    } catch (const engine::DbError& e) {
        st_.msg.error(QStringLiteral("Hiba a mentésben\r") + e.text());
    }
    if (sikerult) {
        for (const auto& [f, forras] : talalt)
            csereltek_ << QLatin1String(f->nev);
        // The replaced tables' index files describe the old files.
        for (const auto& [f, forras] : talalt) {
            const QString cel = st_.tables.file(db::layout(f->tabla).fileName);
            const QString mdx = engine::findFileNoCase(
                QFileInfo(cel).dir().filePath(db::indexFileName(QFileInfo(cel).fileName())));
            QFile::remove(mdx);
        }
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

} // namespace exchange
