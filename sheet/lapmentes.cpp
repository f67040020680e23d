#include "sheet/lapmentes.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "sheet/kapacitas.h"
#include "sheet/lapcheck.h"
#include "sheet/napok.h"
#include "sheet/telenez.h"
#include "ui/fieldrule.h"
#include "ui/messages.h"

#include <QDate>
#include <QFileInfo>

namespace sheet {

namespace {

QString pontNelkul(QString s) {
    return s.remove(u'.');
}

bool uresDatum(const QString& s) {
    return kozos::ures(pontNelkul(s));
}

// A blank date is stored as none; a date that is not a real day is refused
// rather than stored as none, so the save stops with nothing written.
QVariant datum(const QString& s) {
    if (uresDatum(s)) return QVariant();
    const QDate d = QDate::fromString(s.trimmed(), QStringLiteral("yyyy.MM.dd"));
    if (!d.isValid())
        throw engine::DbError(engine::DbError::Kind::Value, QString(),
                              QStringLiteral("Érvénytelen dátum!!"));
    return QVariant(d);
}

// A count: digits only, no sign (blanks around them allowed).
int egesz(const QString& s, bool* ok = nullptr) {
    int v = 0;
    const bool jo = kozos::egeszSzam(s, &v);
    if (ok) *ok = jo;
    return jo ? v : 0;
}

// A stored text holds no control character, whatever reached the model.
QVariant szoveg(const QString& s) {
    const QString t = ui::printable(s);
    return kozos::ures(t) ? QVariant() : QVariant(t.trimmed());
}

bool uj2016(const LapModel& m) {
    return core::Idoszak::fromText(m.m_idosz) >= core::hatar::azonositoTipus;
}

// The record number of the first row the query finds; 0 when none.
std::uint32_t rekord(core::AppState& state, const QString& sql, const QVariantList& params) {
    const engine::Query q = state.tables.dbo.query(sql, params);
    return q.isEmpty() ? 0 : std::uint32_t(q.value(0, 0).toLongLong());
}

QVariantList kulcs(const LapModel& m) {
    return {m.lapsorsz, szoveg(m.lapresz), m.m_idosz};
}

bool talalhato(core::AppState& state, const QString& tabla, const QString& mezo,
               const QString& ertek) {
    try {
        return !state.tables.dbo
                    .query(QStringLiteral("select 1 from %1 where %2=? limit 1").arg(tabla, mezo),
                           QVariantList{ertek.trimmed()})
                    .isEmpty();
    } catch (const engine::DbError&) {
        return false;
    }
}

// Edits record `recno` of the table, or appends one when it is 0.
void szerkeszt(engine::Table& t, std::uint32_t recno) {
    if (recno) {
        t.go(recno);
        t.edit();
    } else {
        t.append();
    }
}

} // namespace

QString LapMentes::hianyzoMezok(const LapModel& m) {
    const bool u = uj2016(m);
    const struct {
        const QString* mezo;
        const char* nev;
        bool kell;
    } lista[] = {
        {&m.m_taj, "TAJ szám", true},
        {&m.m_aztip, "Azonosító típus", u},
        {&m.m_nev, "Beteg neve", true},
        {&m.m_kozigkod, "Közigazgatási kód", true},
        {&m.m_cim2, "Beteg címe", true},
        {&m.m_szido, "Beteg születési ideje", true},
        {&m.m_terkat, "Térítési kategória", u},
        {&m.m_allp, "Állampolgárság", u},
        {&m.m_alapb, "Alapbetegség", true},
        {&m.m_fodiag, "Fődiagnózis", true},
        {&m.m_eorv, "Elrendelő orvos pecsétszáma", true},
        {&m.m_elrend, "Elrendelés ideje", true},
        {&m.m_szakvet, "Szakápolásba vétel ideje", true},
        {&m.m_gyak, "Gyakoriság szövege", true},
        {&m.m_elszam, "Folyamatos elrendelés száma", true},
        {&m.Etev, "Elrendelt tevékenységek", true},
        {&m.m_elviz, "Elrendelt vizitek száma", true},
    };
    QString hiany;
    for (const auto& f : lista)
        if (f.kell && uresDatum(*f.mezo)) hiany += QString::fromUtf8(f.nev) + u'\r';
    return hiany.isEmpty() ? QString()
                           : QStringLiteral("A következő mezők kitöltése kötelező:\r") + hiany;
}

bool LapMentes::lapell(LapModel& m, core::AppState& state, Kapacitas& kapacitas) {
    ui::Messages& msg = state.msg;
    const QString hiany = hianyzoMezok(m);
    if (!hiany.isEmpty()) {
        msg.error(hiany);
        return false;
    }
    bool r = true;
    auto hiba = [&](const QString& text) {
        msg.error(text);
        r = false;
    };
    auto bnoban = [&](const QString& kod) { return talalhato(state, "bnotorzs", "kod10", kod); };

    if (!kozos::tajell(m.m_taj) && m.m_aztip.trimmed() == u"1")
        hiba(QStringLiteral("Nem létező TAJ szám!"));
    if (m.bnem < 0) hiba(QStringLiteral("A nem csak nő, vagy férfi lehet!"));
    if (!talalhato(state, "telepul", "kozigkod", m.m_kozigkod)) {
        msg.warning(QStringLiteral("Nincs ilyen település"));
        r = false;
    }
    if (!kozos::szulidoell(msg, m.m_szido, state.id)) r = false;
    if (!kozos::ures(m.m_fekvd)) {
        if (!kozos::zkodell(msg, m.m_fekvd, kozos::BnoFekvo)) r = false;
        if (!bnoban(m.m_fekvd))
            hiba(QStringLiteral("Nincs a Fekvőbeteg-intézeti ápolás diagnózisa a törzsben!"));
        if (uresDatum(m.m_fekdat))
            hiba(QStringLiteral(
                "A fekvőbeteg-intézeti diagnózis ki van töltve, a dátumot is ki kell tölteni!"));
        else if (!kozos::datumell(msg, m.m_fekdat, state.id))
            r = false;
        bool ok = false;
        const int nap = egesz(m.m_fapnap, &ok);
        if (!ok)
            hiba(QStringLiteral("Csak szám írható a mezőbe!"));
        else if (nap == 0)
            hiba(QStringLiteral(
                "A fekvőbeteg-intézeti diagnózis ki van töltve, a napot is ki kell tölteni!"));
    }
    if (!kozos::zkodell(msg, m.m_alapb, kozos::BnoAlap)) r = false;
    if (!bnoban(m.m_alapb)) hiba(QStringLiteral("Nincs az Alapbetegség diagnózisa a törzsben!"));
    if (!kozos::zkodell(msg, m.m_fodiag, kozos::BnoFo)) r = false;
    if (!bnoban(m.m_fodiag))
        hiba(QStringLiteral("Nincs a Szakápolást indokló fődiagnózis a törzsben!"));
    if (!kozos::ures(m.m_kiserd)) {
        if (!kozos::zkodell(msg, m.m_kiserd, kozos::BnoKisero)) r = false;
        if (!bnoban(m.m_kiserd))
            hiba(QStringLiteral("Nincs a Kísérő betegség diagnózisa a törzsben!"));
    }
    if (!kozos::ures(m.m_ellatd)) {
        if (!kozos::zkodell(msg, m.m_ellatd, kozos::BnoBefolyasol)) r = false;
        if (!bnoban(m.m_ellatd))
            hiba(QStringLiteral("Nincs az Ellátást befolyásoló diagnózis a törzsben!"));
    }
    if (!kozos::ures(m.m_eorv) && kozos::ures(m.orv1))
        hiba(QStringLiteral("Nincs az elrendelő orvos neve kitöltve!"));
    if (!kozos::ures(m.m_jorv) && kozos::ures(m.orv2))
        hiba(QStringLiteral("Nincs a javaslatot tevő orvos neve kitöltve!"));

    if (!kozos::datumell(msg, m.m_elrend, state.id)) r = false;
    if (!szakvetell(state, m.lapsorsz, m.m_idosz, m.lapresz, m.m_szakvet, m.m_elrend, m.m_taj))
        r = false;
    if (!vizitdbell(msg, m.m_elviz, QStringLiteral("R"))) r = false;
    bool szamOk = false;
    if (egesz(m.m_elszam, &szamOk) == 0 && szamOk)
        hiba(QStringLiteral("A folyamatos elrendelés nem lehet 0!"));
    if (!elszamell(state, m.lapsorsz, m.m_idosz, m.modositas, QString(), m.m_elszam, m.m_taj,
                   m.m_lezdat, m.m_szakvet, m.lapresz))
        r = false;
    if (!vizitdbell(msg, m.m_elszviz, QStringLiteral("T"))) r = false;
    if (!lezdatell(msg, m.m_lezdat, m.m_szakvet, m.m_idosz)) r = false;
    bool engOk = false;
    const int engszam = egesz(m.m_engszam, &engOk);
    if (!engOk)
        hiba(QStringLiteral("Csak szám lehet az engedélyszám!"));
    else if (engszam == 0 && !engszamkell(state, m.m_taj, m.m_elszam, m.lapsorsz, m.m_idosz))
        r = false;
    if (!engdatell(state, m.m_engszam, m.m_engdat)) r = false;
    if (!onellatell(msg, m.CB2, 0)) r = false;
    if (!napokell(m, state, kapacitas)) r = false;
    return r;
}

bool LapMentes::ujrakuldes(core::AppState& state, const QString& idoszak) {
    const engine::Query q = state.tables.dbo.query(
        QStringLiteral("select zaras from zaras where idoszak=? order by zaras limit 1"),
        QVariantList{idoszak});
    if (q.isEmpty()) return false;
    const QDate zaras = QDate::fromString(q.value(0, 0).toString(), Qt::ISODate);
    const QDate ma = state.clock.today();
    const bool ebbenAHonapban =
        zaras.isValid() && zaras.year() == ma.year() && zaras.month() == ma.month();
    return !(ebbenAHonapban && ma.day() <= 10);
}

bool LapMentes::letezik(core::AppState& state, const LapModel& m) {
    return rekord(state,
                  QStringLiteral("select rowid from lap where sorsz=? and resz is ? and idoszak=?"),
                  kulcs(m)) != 0;
}

namespace {

// The writing of one sheet, a table at a time, each record with the
// sheet's key fields.
struct LapIras {
    LapModel& m;
    core::AppState& state;
    const QString& intkod;
    bool k; // to be sent again
    bool u; // the sheet has the fields of 2016

    void kulcsMezok(engine::Table& x) const;
    void lap(std::uint32_t lapRec) const;
    void elrend(std::uint32_t elrendRec) const;
    void lapb() const;
    void beteg() const;
    void orvos(const QString& kod, const QString& nev) const;
};

void LapIras::kulcsMezok(engine::Table& x) const {
    x.setValue(QStringLiteral("IDOSZAK"), m.m_idosz);
    x.setValue(QStringLiteral("INTKOD"), szoveg(intkod));
    x.setValue(QStringLiteral("FINKOD"), szoveg(state.finkod));
    x.setValue(QStringLiteral("SORSZ"), m.lapsorsz);
    x.setValue(QStringLiteral("RESZ"), szoveg(m.lapresz));
}

void LapIras::lap(std::uint32_t lapRec) const {
    db::TableSet& t = state.tables;
    engine::Table& lap = t.lap;
    szerkeszt(lap, lapRec);
    kulcsMezok(lap);
    lap.setValue(QStringLiteral("TAJ"), szoveg(m.m_taj));
    lap.setValue(QStringLiteral("KOZIGKOD"), szoveg(m.m_kozigkod));
    if (u) {
        lap.setValue(QStringLiteral("AZTIP"), szoveg(m.m_aztip));
        lap.setValue(QStringLiteral("TERKAT"), szoveg(m.m_terkat));
        lap.setValue(QStringLiteral("ALLAMP"), szoveg(m.m_allp.toUpper()));
    }
    lap.setValue(QStringLiteral("TPOTL"), m.CB1 ? QStringLiteral("I") : QStringLiteral("N"));
    lap.setValue(QStringLiteral("BNOKI"), szoveg(m.m_fekvd));
    lap.setValue(QStringLiteral("BNOROV"), szoveg(m.m_alapb));
    lap.setValue(QStringLiteral("ELB"), datum(m.m_fekdat));
    lap.setValue(QStringLiteral("APNAP"), egesz(m.m_fapnap));
    lap.setValue(QStringLiteral("BNOFO"), szoveg(m.m_fodiag));
    lap.setValue(QStringLiteral("BNOMELL"), szoveg(m.m_kiserd));
    lap.setValue(QStringLiteral("BNOELL"), szoveg(m.m_ellatd));
    lap.setValue(QStringLiteral("ORVOSKOD"), szoveg(m.m_eorv));
    lap.setValue(QStringLiteral("ELSZVIZ"), egesz(m.m_elszviz));
    lap.setValue(QStringLiteral("ELSZAM"), egesz(m.m_elszam));
    lap.setValue(QStringLiteral("LEZDAT"), datum(m.m_lezdat));
    lap.setValue(QStringLiteral("TEVKODOK"), kozos::ures(m.Etev) ? QVariant() : QVariant(m.Etev));
    lap.setValue(QStringLiteral("SZVIZ"), m.vizitszam);
    lap.setValue(QStringLiteral("ELKULDVE"), k ? QVariant(QStringLiteral("YY")) : QVariant());
    lap.setValue(QStringLiteral("MODTIPUS"), k ? QVariant(QStringLiteral("K")) : QVariant());
    lap.post();
}

void LapIras::elrend(std::uint32_t elrendRec) const {
    db::TableSet& t = state.tables;
    engine::Table& el = t.elrend;
    szerkeszt(el, elrendRec);
    kulcsMezok(el);
    el.setValue(QStringLiteral("JORVKOD"), szoveg(m.m_jorv));
    el.setValue(QStringLiteral("ELREND"), datum(m.m_elrend));
    el.setValue(QStringLiteral("ENGSZAM"), egesz(m.m_engszam));
    el.setValue(QStringLiteral("ENGDAT"), datum(m.m_engdat));
    el.setValue(QStringLiteral("SZAKVET"), datum(m.m_szakvet));
    el.setValue(QStringLiteral("GYAK"), szoveg(m.m_gyak));
    el.setValue(QStringLiteral("ELVIZDB"), egesz(m.m_elviz));
    if (k) el.setValue(QStringLiteral("ELKULDVE"), QVariant());
    el.post();
}

void LapIras::lapb() const {
    db::TableSet& t = state.tables;
    engine::Table& lapb = t.lapb;
    for (int i = 0; i < m.napokszama; ++i) {
        if (!sorTeljes(m, i)) continue;
        lapb.append();
        kulcsMezok(lapb);
        lapb.setValue(QStringLiteral("APDATUM"), datum(m.apdat[size_t(i)]));
        lapb.setValue(QStringLiteral("TEVKOD"), ui::printable(m.tevk[size_t(i)]).trimmed());
        lapb.setValue(QStringLiteral("ELLTIP"), egesz(m.ellt[size_t(i)]));
        lapb.setValue(QStringLiteral("APTAJ"), ui::printable(m.aptaj[size_t(i)]).trimmed());
        lapb.setValue(QStringLiteral("ONKEP"), m.CB2 + 1);
        lapb.setValue(QStringLiteral("VIZITDB"), 1);
        lapb.post();
    }
}

void LapIras::beteg() const {
    db::TableSet& t = state.tables;
    engine::Table& beteg = t.beteg;
    szerkeszt(beteg, rekord(state, QStringLiteral("select rowid from beteg where taj=?"),
                            {m.m_taj.trimmed()}));
    beteg.setValue(QStringLiteral("TAJ"), szoveg(m.m_taj));
    if (u) beteg.setValue(QStringLiteral("AZTIP"), szoveg(m.m_aztip));
    beteg.setValue(QStringLiteral("NEV"), szoveg(m.m_nev));
    beteg.setValue(QStringLiteral("KOZIGKOD"), szoveg(m.m_kozigkod));
    beteg.setValue(QStringLiteral("CIME1"), szoveg(m.m_cim1));
    beteg.setValue(QStringLiteral("CIME2"), szoveg(m.m_cim2));
    beteg.setValue(QStringLiteral("SZULH"), szoveg(m.m_szh));
    beteg.setValue(QStringLiteral("SZULI"), datum(m.m_szido));
    if (m.bnem == 0) beteg.setValue(QStringLiteral("NEME"), QStringLiteral("F"));
    if (m.bnem == 1) beteg.setValue(QStringLiteral("NEME"), QStringLiteral("N"));
    beteg.post();
}

void LapIras::orvos(const QString& kod, const QString& nev) const {
    db::TableSet& t = state.tables;
    engine::Table& o = t.orvos;
    szerkeszt(o, rekord(state, QStringLiteral("select rowid from orvos where orvoskod=?"),
                        {kod.trimmed()}));
    o.setValue(QStringLiteral("ORVOSKOD"), szoveg(kod));
    o.setValue(QStringLiteral("ONEV"), szoveg(nev));
    o.post();
}

} // namespace

void LapMentes::ir(LapModel& m, core::AppState& state) {
    db::TableSet& t = state.tables;
    const bool k = m.modositas && ujrakuldes(state, m.m_idosz);
    if (t.part.isOpen() && (t.part.bof() || t.part.eof())) t.part.first();
    const QString intkod =
        t.part.isOpen() && !t.part.eof() ? t.part.text(QStringLiteral("INTKOD")) : QString();
    const bool u = uj2016(m);

    engine::ChangeUnit unit({&t.lap, &t.elrend, &t.lapb, &t.beteg, &t.orvos});
    try {
        const std::uint32_t lapRec =
            m.modositas ? rekord(state,
                                 QStringLiteral("select rowid from lap where sorsz=? and resz "
                                                "is ? and idoszak=?"),
                                 kulcs(m))
                        : 0;
        const std::uint32_t elrendRec =
            m.modositas ? rekord(state,
                                 QStringLiteral("select rowid from elrend where sorsz=? and "
                                                "resz is ? and idoszak=?"),
                                 kulcs(m))
                        : 0;
        if (m.modositas)
            t.dbo.exec(QStringLiteral("delete from lapb where sorsz=? and resz is ? and idoszak=?"),
                       kulcs(m));

        const LapIras iras{m, state, intkod, k, u};
        iras.lap(lapRec);
        iras.elrend(elrendRec);
        iras.lapb();
        iras.beteg();
        iras.orvos(m.m_eorv, m.orv1);
        if (!kozos::ures(m.m_jorv) && m.m_eorv.trimmed() != u"00000") iras.orvos(m.m_jorv, m.orv2);

        telenez(state, m.lapsorsz, QString());
        unit.commit();
    } catch (...) {
        for (engine::Table* x : {&t.lap, &t.elrend, &t.lapb, &t.beteg, &t.orvos})
            if (x->isOpen() && (x->state() == engine::Table::State::Edit ||
                                x->state() == engine::Table::State::Insert))
                x->cancel();
        throw;
    }
}

LapMentes::Eredmeny LapMentes::mentes(LapModel& m, core::AppState& state) {
    {
        Kapacitas kapacitas;
        if (!lapell(m, state, kapacitas)) {
            state.msg.error(QStringLiteral("Hibás adatok miatt az elszámolási lap nem menthető!!"));
            Kapacitas::tempTorol(state);
            return Eredmeny::Hibas;
        }
    }
    if (!state.msg.question(QStringLiteral("Adatok ellenőrzése rendben! Elmenthetők ?"))) {
        Kapacitas::tempTorol(state);
        return Eredmeny::Elvetve;
    }
    try {
        if (!m.modositas && letezik(state, m)) {
            state.msg.error(QStringLiteral("Már létezik ez a lap, így újként nem menthető!"));
            return Eredmeny::Letezik;
        }
        ir(m, state);
    } catch (const engine::DbError& e) {
        // A rollback that failed too leaves its journal for the next start.
        if (QFileInfo::exists(engine::journalPath(state.tables.directory())))
            state.msg.error(QStringLiteral("Az elszámolási lap mentése nem sikerült, és a félig "
                                           "beírt adatok visszaállítása sem: a program következő "
                                           "indításakor megtörténik.\rLépjen ki, és indítsa "
                                           "újra a programot!\r") +
                            e.text());
        else
            state.msg.error(QStringLiteral("Az elszámolási lap mentése nem sikerült, "
                                           "az adatok nem változtak!\r") +
                            e.text());
        return Eredmeny::IrasHiba;
    }
    Kapacitas::tempTorol(state);
    return Eredmeny::Mentve;
}

} // namespace sheet
