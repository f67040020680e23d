#include "exchange/teljesadat.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "db/kuldemenyforma.h"
#include "engine/changeunit.h"
#include "engine/codepage.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/heap.h"
#include "engine/outsidefile.h"
#include "engine/scan.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/ravfajl.h"
#include "exchange/teljesforras.h"
#include "sheet/telenez.h"
#include "ui/folderbrowser.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <vector>

namespace exch {

namespace {

const QString kFolyamatban =
    QStringLiteral("A teljes adatállomány beolvasása folyamatban. Kis türelmet kérek...!!");

} // namespace

const QStringList& teljesSzakaszok() {
    static const QStringList s = {QStringLiteral("Kicsomagolás"),
                                  QStringLiteral("Lapok"),
                                  QStringLiteral("Vizitek"),
                                  QStringLiteral("Diagnózisok"),
                                  QStringLiteral("Részszámla-sorozatok"),
                                  QStringLiteral("Táblák cseréje")};
    return s;
}

QString szakaszNeve(TeljesSzakasz s) {
    return teljesSzakaszok().at(int(s));
}

QString TeljesOsszegzes::text() const {
    using ui::formatInteger;
    return QStringLiteral("Legutolsó időszak: %1\r").arg(utolso.text()) +
           QStringLiteral("Visszatöltött lapok: %1\r").arg(formatInteger(lapok)) +
           QStringLiteral("2005.02 előtti lapok (kimaradtak): %1\r")
               .arg(formatInteger(korabbiLapok)) +
           QStringLiteral("Visszatöltött vizitsorok: %1\r").arg(formatInteger(vizitek)) +
           QStringLiteral("Beírt diagnózisok: %1\r").arg(formatInteger(diagnozisok)) +
           QStringLiteral("Lap nélküli diagnózisok: %1\r").arg(formatInteger(arvaDiagnozis)) +
           QStringLiteral("Teljes részszámla-sorozatok: %1\r").arg(formatInteger(teljesSorozat)) +
           QStringLiteral("Lecserélt táblák: LAP, LAPB, ELREND\r");
}

void TeljesAdat::beolvasClick() {
    if (!st_.msg.confirm(
            QStringLiteral("A teljes adatállományt lecseréljük! Rendben? \r"
                           "Figyelem!!  Ez a művelet hosszú ideig tart, akár több percet is "
                           "igénybe vehet! "))) {
        st_.msg.warning(QStringLiteral("Az adatfelülírás elmaradt!"));
        return;
    }
    const ui::FolderChoice c = folders_.chooseFolder(
        QStringLiteral("Beolvasás helyének kiválasztása"), QStringLiteral("S"));
    if (!c.chosen || c.dir.isEmpty()) return;
    beolvas(c.dir);
}

bool TeljesAdat::beolvas(const QString& dir) {
    // The import's big blocks (the files' records, the keys of the new
    // tags) are not needed again: whatever the outcome, they leave.
    struct Elenged {
        ~Elenged() { engine::releaseFreedMemory(); }
    } elenged;
    osszegzes_ = {};
    zaroUzenet_.clear();
    const QString kod = intkod(st_);
    const QString archivum = engine::findFileNoCase(QDir(dir).filePath(db::teljesArchivumNev(kod)));
    if (!QFileInfo::exists(archivum)) {
        st_.msg.error(QStringLiteral("Nincs a megadott helyen beolvasandó állomány !!\r"
                                     "A teljes adatállomány beolvasása megszakadt!!"));
        return false;
    }
    // The archive's copy and its files in a folder of their own under TEMP,
    // removed with everything in it however the import ends.
    const db::UnpackFolder munka(st_.tempkonyvtar);
    const QString masolat = munka.filePath(db::teljesArchivumNev(kod));
    const QStringList nevek = {db::teljesFajlNev('a', kod), db::teljesFajlNev('b', kod),
                               db::teljesFajlNev('c', kod)};
    bool masolva = munka.ok();
    try {
        if (masolva) engine::TableBuilder::copyFile(archivum, masolat);
    } catch (const engine::DbError&) {
        masolva = false;
    }
    if (!masolva) {
        st_.msg.error(QStringLiteral("Hiba a mentésben"));
        return false;
    }
    szakasz(TeljesSzakasz::Kicsomagolas);
    QCoreApplication::processEvents();
    st_.msg.status(0, kFolyamatban);
    // Only the three files, nothing beside them, each once.
    const db::ArjResult kibontva = arj_.unpack(masolat, munka.unpackDir(), nevek);
    if (kibontva.outcome == db::ArjOutcome::Cancelled) {
        st_.msg.warning(kibontva.message());
        return false;
    }
    if (!kibontva) {
        st_.msg.error(kibontva.message());
        return false;
    }
    QStringList utak;
    for (const QString& n : nevek) {
        const QString p = engine::findFileNoCase(QDir(munka.unpackDir()).filePath(n));
        if (!QFileInfo::exists(p)) {
            st_.msg.error(
                QStringLiteral("Hiba a lefutásban\rA(z) %1 állomány nincs az archívumban!").arg(n));
            return false;
        }
        utak << p;
    }
    try {
        for (const QString& u : utak)
            engine::checkOutsideTable(u);
        if (!csere(utak[0], utak[1], utak[2])) return false;
    } catch (const RavHiba& e) {
        st_.msg.error(e.text());
        return false;
    } catch (const engine::DbError& e) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban\r") + e.text());
        return false;
    }
    st_.msg.status(0, QString());
    zaroUzenet_ =
        QStringLiteral("A teljes adatállomány cseréje befejeződött!\r") + osszegzes_.text();
    st_.msg.information(zaroUzenet_);
    return true;
}

// ---------------------------------------------------------------- reading

namespace {

// The reading of the three files into the new tables' records, a method
// to each stage.
class TeljesOlvaso {
public:
    TeljesOlvaso(const QString& aaPath, const QString& abPath, const QString& acPath,
                 const TeljesCel& cel, TeljesOsszegzes& osszegzes)
        : aa_(aaPath, db::kotelezoMezok(db::lapMezok()), QFileInfo(aaPath).fileName()),
          ab_(abPath, db::kotelezoMezok(db::vizitMezok()), QFileInfo(abPath).fileName()),
          ac_(acPath, db::kotelezoMezok(db::bnoMezok()), QFileInfo(acPath).fileName()), cel_(cel),
          o_(osszegzes), lapCel_{cel.lap}, rendCel_{cel.elrend}, lapbCel_{cel.lapb},
          lIdo_(lapCel_.m("IDOSZAK")), lSorsz_(lapCel_.m("SORSZ")), lResz_(lapCel_.m("RESZ")) {}

    // False when the sheet file holds no sheet.
    bool olvas() {
        szakasz(TeljesSzakasz::Lapok);
        if (!lapSorrend()) return false;
        idoszakok();
        lapok();
        elenged(aa_);
        szakasz(TeljesSzakasz::Vizitek);
        allapot(kFolyamatban);
        vizitek();
        elenged(ab_);
        szakasz(TeljesSzakasz::Diagnozisok);
        diagnozisok();
        elenged(ac_);
        szakasz(TeljesSzakasz::Sorozatok);
        allapot(QStringLiteral("A részszámlák bejegyzése folyamatban. Kis türelmet kérek...!!"));
        sorozatok();
        if (cel_.lapSor)
            for (qsizetype i = 0; i < qsizetype(o_.lapok); ++i)
                cel_.lapSor(lapok_.constData() + i * cel_.lapHossz);
        return true;
    }

private:
    void szakasz(TeljesSzakasz s) const {
        if (cel_.szakasz) cel_.szakasz(szakaszNeve(s));
    }
    void allapot(const QString& s) const {
        if (cel_.allapot) cel_.allapot(s);
    }
    // A file read to the end is closed at once: the pages of its records
    // read so far leave the program's memory before the next file's come.
    static void elenged(Forras& f) {
        f.t = nullptr;
        f.f.reset();
    }
    bool lapSorrend();
    void idoszakok();
    void lapok();
    void vizitek();
    void diagnozisok();
    void sorozatok();

    // A period's text and sending state ("xxxx.xx" before the last four).
    QByteArray szoveg(core::Idoszak p) const {
        return p <= utolso_ ? idoszakSzoveg_[size_t(p.monthsSince(elso_))] : p.text().toLatin1();
    }
    QByteArray elkuldve(core::Idoszak p) const {
        return p <= utolso_ ? kuldSzoveg_[size_t(p.monthsSince(elso_))] : szoveg(p);
    }

    Forras aa_, ab_, ac_;
    const TeljesCel& cel_;
    TeljesOsszegzes& o_;
    const Cel lapCel_, rendCel_, lapbCel_;
    const Mezo lIdo_, lSorsz_, lResz_;
    // Rows before the new sheet layout are left out.
    const core::Idoszak elso_ = core::hatar::ujLapforma;
    core::Idoszak utolso_;
    std::vector<Kulcs> lapSorrend_;
    std::vector<QByteArray> idoszakSzoveg_, kuldSzoveg_;
    // LAP's records are kept until the diagnoses and series marks are in.
    QByteArray lapok_;
    QHash<quint64, int> lapIndex_;
};

// The sheets' keys, in the order of period, serial and part, each once.
bool TeljesOlvaso::lapSorrend() {
    const Mezo aIdo = aa_.m("IDOSZAK"), aSor = aa_.m("SORSZAM"), aResz = aa_.m("RESZ"),
               aUlv = aa_.m("ULVKOD");
    engine::Scan scan(*aa_.t);
    while (scan.next()) {
        const std::uint32_t r = scan.recno();
        const engine::RecordView& rec = scan.record();
        const core::Idoszak p = aa_.idoszak(r, rec, aIdo);
        if (!utolso_.isValid() || utolso_ < p) utolso_ = p;
        if (p < elso_) {
            ++o_.korabbiLapok;
            continue;
        }
        const qint64 s = aa_.kotelezoEgesz(r, rec, aSor);
        ferBe(aa_, r, rec, aSor, lSorsz_, s);
        lapSorrend_.push_back({p, s, reszBajt(aa_.szoveg(r, rec, aResz, lResz_)), 0, r});
    }
    std::sort(lapSorrend_.begin(), lapSorrend_.end(), kisebb);
    if (lapSorrend_.empty() || nyers(aa_.t->record(lapSorrend_.front().recno), aUlv).isEmpty())
        return false;
    // A sheet comes once: two rows of one key would be two sheets merged.
    for (size_t i = 1; i < lapSorrend_.size(); ++i)
        if (lapSorrend_[i].ugyanaz(lapSorrend_[i - 1]))
            throw RavHiba(
                QStringLiteral("A(z) %1 állományban %2 kétszer szerepel (%3. és %4. sor)!")
                    .arg(aa_.f->name(), lapNeve(lapSorrend_[i]))
                    .arg(lapSorrend_[i - 1].recno)
                    .arg(lapSorrend_[i].recno));
    o_.utolso = utolso_;
    return true;
}

// Each period's text and sending state, made once: the last four periods of
// the archive keep their own, older ones get "xxxx.xx".
void TeljesOlvaso::idoszakok() {
    const core::Idoszak kuldesHatar = utolso_.plusMonths(-3);
    for (core::Idoszak p = elso_; p <= utolso_; p = p.plusMonths(1)) {
        idoszakSzoveg_.push_back(p.text().toLatin1());
        kuldSzoveg_.push_back(p >= kuldesHatar ? idoszakSzoveg_.back() : QByteArray("xxxx.xx"));
    }
}

// LAP's and ELREND's records of the sheets.
void TeljesOlvaso::lapok() {
    const int lapHossz = cel_.lapHossz;
    const auto lapMasol = masolasok(aa_, lapCel_, db::lapMezok(), db::KuldTabla::Lap);
    const auto rendMasol = masolasok(aa_, rendCel_, db::lapMezok(), db::KuldTabla::Elrend);
    const Mezo eIdo = rendCel_.m("IDOSZAK"), eSorsz = rendCel_.m("SORSZ"),
               eJorv = rendCel_.m("JORVKOD"), eKuld = rendCel_.m("ELKULDVE");
    const Mezo lTpotl = lapCel_.m("TPOTL"), lOrvos = lapCel_.m("ORVOSKOD"),
               lAllapot = lapCel_.m("ALLAPOT"), lKuld = lapCel_.m("ELKULDVE");
    const Mezo aSor = aa_.m("SORSZAM"), aTerpot = aa_.m("TERPOT"), aOrvos = aa_.m("ORVOSKOD"),
               aAllapot = aa_.m("ALLAPOT"), aJorv = aa_.m("JORVKOD");

    lapok_ = QByteArray(qsizetype(lapSorrend_.size()) * lapHossz, ' ');
    lapIndex_.reserve(qsizetype(lapSorrend_.size()));
    QByteArray rend(cel_.rendHossz, ' ');
    for (size_t i = 0; i < lapSorrend_.size(); ++i) {
        const Kulcs& k = lapSorrend_[i];
        const std::uint32_t r = k.recno;
        const engine::RecordView in = aa_.t->record(r);
        char* out = lapok_.data() + qsizetype(i) * lapHossz;
        const QByteArray p = szoveg(k.p);
        const QByteArray kuld = elkuldve(k.p);
        masol(aa_, r, in, out, lapMasol);
        Cel::szoveg(out, lIdo_, p);
        nullas(aa_, r, in, aSor, out, lSorsz_, k.sorszam);
        Cel::szoveg(out, lTpotl, QByteArray(db::tpotl(aa_.egesz(r, in, aTerpot)).data(), 1));
        nullas(aa_, r, in, aOrvos, out, lOrvos, aa_.egesz(r, in, aOrvos));
        // "u" is the office's mark of a fully accounted sheet.
        const QByteArrayView all = nyers(in, aAllapot);
        if (all == "u")
            out[lAllapot.off] = db::kElszamoltAllapot;
        else
            Cel::szoveg(out, lAllapot, aa_.szoveg(r, in, aAllapot, lAllapot));
        Cel::szoveg(out, lKuld, kuld);
        lapIndex_.insert(lapKulcs(k.p, k.sorszam, k.resz), int(i));

        rend.fill(' ');
        masol(aa_, r, in, rend.data(), rendMasol);
        Cel::szoveg(rend.data(), eIdo, p);
        nullas(aa_, r, in, aSor, rend.data(), eSorsz, k.sorszam);
        const qint64 jorv = aa_.egesz(r, in, aJorv);
        if (jorv > 0) nullas(aa_, r, in, aJorv, rend.data(), eJorv, jorv);
        Cel::szoveg(rend.data(), eKuld, kuld);
        if (cel_.rendSor) cel_.rendSor(rend.constData());
    }
    o_.lapok = int(lapSorrend_.size());
    std::vector<Kulcs>().swap(lapSorrend_);
}

// LAPB's records, in the order of period, serial, part and day, each day of
// a sheet once.
void TeljesOlvaso::vizitek() {
    const Mezo bIdo = ab_.m("IDOSZAK"), bSor = ab_.m("SORSZAM"), bResz = ab_.m("RESZ"),
               bDat = ab_.m("DATUMTOL"), bElsz = ab_.m("ELSZIDO");
    const Mezo vIdo = lapbCel_.m("IDOSZAK"), vSorsz = lapbCel_.m("SORSZ"),
               vResz = lapbCel_.m("RESZ"), vElido = lapbCel_.m("ELIDO"),
               vKuld = lapbCel_.m("ELKULDVE");
    std::vector<Kulcs> sorrend;
    sorrend.reserve(ab_.t->fileRecordCount());
    engine::Scan scan(*ab_.t);
    while (scan.next()) {
        const std::uint32_t r = scan.recno();
        const engine::RecordView& rec = scan.record();
        const core::Idoszak p = ab_.idoszak(r, rec, bIdo);
        if (p < elso_) continue;
        const qint64 s = ab_.kotelezoEgesz(r, rec, bSor);
        ferBe(ab_, r, rec, bSor, vSorsz, s);
        const int nap = ab_.datum(r, rec, bDat);
        if (nap == 0) ab_.hiba(r, bDat, rec, kitoltendo());
        sorrend.push_back({p, s, reszBajt(ab_.szoveg(r, rec, bResz, vResz)), nap, r});
    }
    std::sort(sorrend.begin(), sorrend.end(), kisebb);
    for (size_t i = 1; i < sorrend.size(); ++i)
        if (sorrend[i].ugyanaz(sorrend[i - 1])) {
            const Kulcs& k = sorrend[i];
            const QDate nap = QDate(k.nap / 10000, k.nap / 100 % 100, k.nap % 100);
            throw RavHiba(
                QStringLiteral("A(z) %1 állományban %2 %3-i vizitje kétszer szerepel "
                               "(%4. és %5. sor)!")
                    .arg(ab_.f->name(), lapNeve(k), nap.toString(QStringLiteral("yyyy.MM.dd")))
                    .arg(sorrend[i - 1].recno)
                    .arg(k.recno));
        }
    const auto lapbMasol = masolasok(ab_, lapbCel_, db::vizitMezok(), db::KuldTabla::Lapb);
    QByteArray viz(cel_.lapbHossz, ' ');
    // The accounted periods mostly repeat: the last one read, and its text.
    QByteArray elszBajtok;
    std::optional<QString> elszSzoveg;
    for (const Kulcs& k : sorrend) {
        const std::uint32_t r = k.recno;
        const engine::RecordView in = ab_.t->record(r);
        viz.fill(' ');
        char* out = viz.data();
        masol(ab_, r, in, out, lapbMasol);
        Cel::szoveg(out, vIdo, szoveg(k.p));
        nullas(ab_, r, in, bSor, out, vSorsz, k.sorszam);
        const QByteArrayView elsz = nyers(in, bElsz);
        if (!elsz.isEmpty()) {
            if (!elszSzoveg || elsz != elszBajtok) {
                elszBajtok = elsz.toByteArray();
                elszSzoveg = elszamolasiIdoszak(engine::decode852(elsz.data(), int(elsz.size())));
            }
            if (!elszSzoveg) ab_.hiba(r, bElsz, in, nemIdoszak());
            Cel::szoveg(out, vElido, elszSzoveg->toLatin1());
        }
        Cel::szoveg(out, vKuld, elkuldve(k.p));
        if (cel_.lapbSor) cel_.lapbSor(out);
    }
    o_.vizitek = int(sorrend.size());
}

// The diagnoses into their sheets, by kind, each kind of a sheet once.
void TeljesOlvaso::diagnozisok() {
    const Mezo cIdo = ac_.m("IDOSZAK"), cSor = ac_.m("SORSZAM"), cResz = ac_.m("RESZ"),
               cTip = ac_.m("BNOTIP"), cKod = ac_.m("BNOKOD");
    // LAP's field of each kind, by BNOTIP.
    std::array<Mezo, 7> bnoMezo;
    for (const db::BnoTipus& t : db::bnoTipusok())
        bnoMezo[size_t(t.tipus)] = lapCel_.m(t.oszlop);
    Mezo bnoSzeles = bnoMezo[size_t(kozos::BnoFo)];
    for (const Mezo& m : bnoMezo)
        if (m.ok() && m.width < bnoSzeles.width) bnoSzeles = m;
    // The kinds each sheet has got, and from which row.
    std::vector<std::array<std::uint32_t, 7>> tipusSor(size_t(o_.lapok));
    engine::Scan scan(*ac_.t);
    while (scan.next()) {
        const std::uint32_t r = scan.recno();
        const engine::RecordView& rec = scan.record();
        const core::Idoszak p = ac_.idoszak(r, rec, cIdo);
        if (p < elso_) continue;
        const qint64 s = ac_.kotelezoEgesz(r, rec, cSor);
        ferBe(ac_, r, rec, cSor, lSorsz_, s);
        const char resz = reszBajt(ac_.szoveg(r, rec, cResz, lResz_));
        const qint64 tip = ac_.egesz(r, rec, cTip);
        QByteArrayView kod = ac_.szoveg(r, rec, cKod, bnoSzeles);
        while (!kod.isEmpty() && (kod[0] == ' ' || kod[0] == 0))
            kod = kod.sliced(1);
        const auto it = lapIndex_.constFind(lapKulcs(p, s, resz));
        if (it == lapIndex_.constEnd()) {
            ++o_.arvaDiagnozis;
            continue;
        }
        if (!db::bnoOszlop(tip) || !bnoMezo[size_t(tip)].ok()) continue;
        std::uint32_t& elozo = tipusSor[size_t(*it)][size_t(tip)];
        if (elozo != 0)
            throw RavHiba(QStringLiteral("A(z) %1 állományban %2 %3. típusú (BNOTIP) diagnózisa "
                                         "kétszer szerepel (%4. és %5. sor)!")
                              .arg(ac_.f->name(), lapNeve({p, s, resz, 0, r}))
                              .arg(tip)
                              .arg(elozo)
                              .arg(r));
        elozo = r;
        char* out = lapok_.data() + qsizetype(*it) * cel_.lapHossz;
        const Mezo& d = bnoMezo[size_t(tip)];
        std::memset(out + d.off, ' ', size_t(d.width));
        Cel::szoveg(out, d, kod);
        ++o_.diagnozisok;
    }
}

// The complete partial-invoice series of the archive's latest year
// (sheet::teljesSorozat) get their mark.
void TeljesOlvaso::sorozatok() {
    const Mezo lSzviz = lapCel_.m("SZVIZ"), lTele = lapCel_.m("TELE");
    const int lapHossz = cel_.lapHossz;
    const QByteArray ev = QByteArray::number(utolso_.year());
    QHash<QByteArray, int> sorozat;
    const qsizetype n = qsizetype(o_.lapok);
    auto evebe = [&](const char* rec) {
        return rec[lResz_.off] != ' ' && QByteArrayView(rec + lIdo_.off, 4) == ev;
    };
    auto szviz = [&](const char* rec) {
        return QByteArrayView(rec + lSzviz.off, lSzviz.width).trimmed().toInt();
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char* rec = lapok_.constData() + i * lapHossz;
        if (evebe(rec)) sorozat[QByteArray(rec + lSorsz_.off, lSorsz_.width)] += szviz(rec);
    }
    for (auto it = sorozat.cbegin(); it != sorozat.cend(); ++it)
        o_.teljesSorozat += sheet::teljesSorozat(it.value());
    for (qsizetype i = 0; i < n; ++i) {
        char* rec = lapok_.data() + i * lapHossz;
        if (evebe(rec) &&
            sheet::teljesSorozat(sorozat.value(QByteArray(rec + lSorsz_.off, lSorsz_.width))))
            rec[lTele.off] = '*';
    }
}

} // namespace

bool teljesOlvas(const QString& aaPath, const QString& abPath, const QString& acPath,
                 const TeljesCel& cel, TeljesOsszegzes& osszegzes) {
    osszegzes = {};
    TeljesOlvaso olvaso(aaPath, abPath, acPath, cel, osszegzes);
    return olvaso.olvas();
}

bool TeljesAdat::csere(const QString& aaPath, const QString& abPath, const QString& acPath) {
    auto& t = st_.tables;
    auto rendB = ujTabla(t.elrend);
    auto lapbB = ujTabla(t.lapb);
    auto lapB = ujTabla(t.lap);
    TeljesCel cel;
    cel.lap = &t.lap.fields();
    cel.elrend = &t.elrend.fields();
    cel.lapb = &t.lapb.fields();
    cel.lapHossz = t.lap.header().recordLength;
    cel.rendHossz = t.elrend.header().recordLength;
    cel.lapbHossz = t.lapb.header().recordLength;
    cel.lapSor = [&](const char* r) { lapB->addRaw(r); };
    cel.rendSor = [&](const char* r) { rendB->addRaw(r); };
    cel.lapbSor = [&](const char* r) { lapbB->addRaw(r); };
    cel.szakasz = [this](const QString& s) {
        if (stage_) stage_(s);
    };
    cel.allapot = [this](const QString& s) { st_.msg.status(0, s); };
    if (!teljesOlvas(aaPath, abPath, acPath, cel, osszegzes_)) {
        st_.msg.error(QStringLiteral("Nincs elszámolt lap"));
        return false;
    }

    // --- the three tables put in place together
    szakasz(TeljesSzakasz::Csere);
    engine::ChangeUnit unit({&t.lap, &t.lapb, &t.elrend});
    t.lap.replaceWith(std::move(lapB));
    t.elrend.replaceWith(std::move(rendB));
    t.lapb.replaceWith(std::move(lapbB));
    unit.commit();
    return true;
}

} // namespace exch
