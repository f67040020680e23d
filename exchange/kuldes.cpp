#include "exchange/kuldes.h"

#include "core/appstate.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "exchange/kuldemeny.h"
#include "exchange/masolas.h"
#include "exchange/szkrekord.h"
#include "ui/folderbrowser.h"
#include "ui/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace exch {

namespace {

const QString kHiba = QStringLiteral("Hiba a lefutásban!");
const QString kNincsMasolas =
    QStringLiteral("Másolás nem történt. Az elküldendő adatok a KULD könyvtárban vannak!");
const QString kBefejezve = QStringLiteral("Adatküldés befejeződött!");

// SureDir: a folder text with its trailing separator.
QString sureDir(const QString& dir) {
    if (dir.endsWith(QLatin1Char('/')) || dir.endsWith(QLatin1Char('\\'))) return dir;
    return dir + QLatin1Char('/');
}

// The provider's code: INTKOD of the current PART row.
QString providerCode(core::AppState& st) {
    engine::Table& part = st.tables.part;
    if (!part.isOpen()) return {};
    if (part.bof() && part.eof()) part.first();
    if (part.bof() && part.eof()) return {};
    return part.text(QStringLiteral("INTKOD")).trimmed();
}

} // namespace

Kuldes::Kuldes(core::AppState& state, KuldesHooks hooks) : st_(state), hooks_(std::move(hooks)) {}

bool Kuldes::nyithato(core::AppState& st) {
    // The last record of ZARAS in record order: the period closed last.
    engine::Table& zaras = st.tables.zaras;
    QString utolso;
    if (zaras.isOpen()) {
        const int fi = zaras.fieldIndex(QStringLiteral("IDOSZAK"));
        for (std::uint32_t n = zaras.fileRecordCount(); n >= 1 && fi >= 0; --n) {
            const engine::RecordView r = zaras.record(n);
            if (r.isDeleted()) continue;
            utolso = r.text(fi);
            break;
        }
    }
    if (core::Idoszak::fromText(utolso) > st.id) {
        st.msg.warning(
            QStringLiteral("Az utolsó zárás időszakánál korábbi zárást nem lehet megismételni!"));
        return false;
    }
    return true;
}

void Kuldes::konyvtarUrit(const QString& dir, const QString& lista) {
    const QFileInfoList files = QDir(dir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    bool removed = false;
    for (const QFileInfo& fi : files) {
        if (fi.fileName().size() <= 3) continue;
        if (fi.fileName().toUpper().contains(QLatin1String(".PDF"))) {
            // A list saved as PDF is kept: it goes to LISTA first, and stays
            // here when it cannot.
            try {
                QDir().mkpath(lista);
                engine::TableBuilder::copyFile(fi.filePath(), sureDir(lista) + fi.fileName());
            } catch (const engine::DbError&) {
                continue;
            }
        }
        if (!QFile::remove(fi.filePath()))
            throw engine::ioError(fi.filePath(), QStringLiteral("nem törölhető"));
        removed = true;
    }
    // One flush of the folder for all the removals.
    if (removed) engine::syncDirectory(dir);
}

void Kuldes::elkuldveJeloles(core::AppState& st, int n,
                             std::vector<std::unique_ptr<engine::TableBuilder>> fajlok) {
    db::TableSet& t = st.tables;
    const QString p = st.id.text();
    engine::ChangeUnit unit({&t.elrend, &t.lapb, &t.lap, &t.zaras});
    for (auto& f : fajlok)
        unit.addNewFile(std::move(f));
    // Every order row and every visit row of each marked sheet, wherever it
    // lies in the file.
    const engine::Query q = t.dbo.query(
        QStringLiteral(
            "select intkod, sorsz, resz, idoszak from lap where jeloles=? order by idoszak, sorsz, "
            "resz"),
        sqlParams());
    for (const QVariantList& r : q.rows()) {
        const QVariantList key = {p, r.value(3), r.value(1), r.value(2)};
        t.dbo.exec(QStringLiteral(
                       "update elrend set elkuldve=? where idoszak=? and sorsz=? and resz is ?"),
                   key);
        t.dbo.exec(
            QStringLiteral("update lapb set elkuldve=? where idoszak=? and sorsz=? and resz is ?"),
            key);
    }
    t.dbo.exec(QStringLiteral("update lap set jeloles=null, elkuldve=? where jeloles=?"),
               {p, QStringLiteral("*")});
    t.dbo.exec(QStringLiteral("update lap set modtipus='P' where idoszak<>elkuldve and "
                              "elkuldve=? and modtipus is null"),
               {p});
    engine::Table& z = t.zaras;
    const QString filter = z.filter();
    const bool filtered = z.filtered();
    if (filtered) z.setFiltered(false);
    try {
        if (z.locate(QStringLiteral("IDOSZAK"), p))
            z.edit();
        else
            z.append();
        z.setValue(QStringLiteral("IDOSZAK"), p);
        z.setValue(QStringLiteral("LAPOKSZ"), n);
        z.setValue(QStringLiteral("ZARAS"), st.clock.today());
        z.post();
    } catch (...) {
        if (z.state() != engine::Table::State::Browse) z.cancel();
        throw;
    }
    if (filtered) {
        z.setFilter(filter);
        z.setFiltered(true);
    }
    unit.commit();
}

Kuldes::Eredmeny Kuldes::kuldClick() {
    fajlok_.clear();
    int n = 0;
    if (const auto vege = kerdezes(n)) return *vege;
    if (const auto vege = fajlokEsJeloles(n)) return *vege;
    return befejezes();
}

// 1-3: the count, the check before sending, the confirmation.
std::optional<Kuldes::Eredmeny> Kuldes::kerdezes(int& n) {
    engine::Database& db = st_.tables.dbo;
    try {
        n = db.query(QStringLiteral("select count(sorsz) as szam from lap where jeloles is not "
                                    "null"))
                .value(0, 0)
                .toInt();
    } catch (const engine::DbError&) {
        st_.msg.error(kHiba);
        return Eredmeny::Hiba;
    }
    if (n == 0) {
        st_.msg.warning(QStringLiteral("Nincs elküldendő elszámolási lap!"));
        return Eredmeny::Nincs;
    }
    try {
        const std::vector<Problema> problemak = kuldesEllenorzes(db, st_.id);
        if (!problemak.empty() && hooks_.problemak && !hooks_.problemak(problemak))
            return Eredmeny::Nincs;
    } catch (const engine::DbError&) {
        st_.msg.error(kHiba);
        return Eredmeny::Hiba;
    }
    const QString kerdes =
        st_.zartidoszak
            ? QStringLiteral("Erre az időszakra már készült elszámolás! Ismételten elküldhető %1 "
                             "db elszámolási lap?")
                  .arg(n)
            : QStringLiteral("Elküldhető %1 db elszámolási lap?").arg(n);
    if (!st_.msg.confirm(kerdes)) return Eredmeny::Nincs;
    return std::nullopt;
}

Kuldes::Eredmeny Kuldes::leallt(const QString& text) {
    st_.msg.error(text);
    st_.msg.status(0, QStringLiteral("Az adatküldés nem történt meg."));
    return Eredmeny::Hiba;
}

// 4-10: the three files made, KULD emptied, the files written, the sent state.
std::optional<Kuldes::Eredmeny> Kuldes::fajlokEsJeloles(int n) {
    engine::Database& db = st_.tables.dbo;
    // 4: the status text shows while the files are made.
    st_.msg.status(0, QStringLiteral("Kis türelmet az adatküldés idejére!"));
    if (hooks_.frissit) hooks_.frissit();

    // The three files in memory first: a value that does not convert stops
    // the sending before KULD or any table changes.
    intkod_ = providerCode(st_);
    Kuldemeny k;
    try {
        k = Kuldemeny::osszeallit(db, st_.id, intkod_);
    } catch (const AtalakitasHiba& h) {
        return leallt(h.uzenet());
    } catch (const engine::DbError& e) {
        return leallt(kHiba + QLatin1Char('\r') + e.text());
    }

    // 5-6: KULD emptied, the three files written under temporary names.
    // A file that cannot be written takes the ones before it along.
    const QString kuld = sureDir(st_.kuldkonyvtar);
    auto oka = [](const engine::DbError& e) {
        return e.sysError() != 0 ? engine::systemReason(e.sysError()) : e.detail();
    };
    try {
        QDir().mkpath(kuld);
        konyvtarUrit(kuld, st_.listakonyvtar);
    } catch (const engine::DbError& e) {
        return leallt(QStringLiteral("Hiba az állomány készítésében!\rA KULD könyvtár nem "
                                     "üríthető ki: a(z) %1 nem törölhető, mert %2.")
                          .arg(QFileInfo(e.file()).fileName(), oka(e)));
    }
    std::vector<std::unique_ptr<engine::TableBuilder>> uj;
    for (const Fajl& f : k.fajlok) {
        try {
            uj.push_back(fajlKeszit(f, kuld, st_.clock.today()));
        } catch (const engine::DbError& e) {
            uj.clear();
            return leallt(QStringLiteral("Hiba az állomány készítésében!\rA(z) %1 nem írható a "
                                         "KULD könyvtárba, mert %2.")
                              .arg(f.nev, oka(e)));
        }
    }

    // 7-10: the sent state and the files' names, all of it or none of it:
    // KULD holds no shipment the tables do not record as sent.
    try {
        elkuldveJeloles(st_, n, std::move(uj));
    } catch (const engine::DbError& e) {
        return leallt(kHiba + QLatin1Char('\r') + e.text());
    }
    for (const Fajl& f : k.fajlok)
        fajlok_ << kuld + f.nev;
    try {
        if (st_.tables.lap.isOpen() && st_.tables.lap.state() == engine::Table::State::Browse)
            st_.tables.lap.refresh();
    } catch (const engine::DbError&) {
    }
    return std::nullopt;
}

// 11: the e-report, or the copy to a folder the user picks; 12: the closing
// names the folder the files were copied to.
Kuldes::Eredmeny Kuldes::befejezes() {
    bool ok = true;
    masolva_.clear();
    if (st_.msg.question(QStringLiteral("E-jelentést akar küldeni?"))) {
        if (hooks_.ejelentes) hooks_.ejelentes();
        st_.msg.information(QStringLiteral("E-jelentés elkészült"));
    } else {
        ok = masolas();
    }
    if (ok) {
        st_.msg.status(0, kBefejezve);
        st_.msg.information(masolva_.isEmpty()
                                ? kBefejezve
                                : kBefejezve +
                                      QStringLiteral(" Az állományok a(z) %1 mappába kerültek.")
                                          .arg(Masolas::mappaNev(masolva_)));
    }
    if (hooks_.bezar) hooks_.bezar();
    return ok ? Eredmeny::Elkuldve : Eredmeny::MasolasHiba;
}

bool Kuldes::masolas() {
    ui::FolderChoice c;
    if (hooks_.mappak)
        c = hooks_.mappak->chooseFolder(QStringLiteral("Másolás helyének kiválasztása"),
                                        QStringLiteral("K"));
    if (!c.chosen) {
        st_.msg.warning(kNincsMasolas);
        return true;
    }
    if (const std::optional<QString> hiba = Masolas::masol(st_.kuldkonyvtar, c.dir, intkod_)) {
        st_.msg.error(*hiba);
        st_.msg.status(0, QStringLiteral("Az adatok elküldve, de a másolás nem sikerült: a "
                                         "KULD könyvtárban vannak."));
        return false;
    }
    masolva_ = c.dir;
    return true;
}

void Kuldes::inditaskor(core::AppState& st) {
    if (st.kuldkonyvtar.isEmpty()) return;
    // The copy's mark first: a mark cut short is itself a leftover.
    const QString figyelmeztetes = Masolas::inditaskor(st.kuldkonyvtar);
    engine::removeLeftoverFiles(st.kuldkonyvtar);
    if (!figyelmeztetes.isEmpty()) st.msg.warning(figyelmeztetes);
}

} // namespace exch
