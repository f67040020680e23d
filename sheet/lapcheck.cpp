#include "sheet/lapcheck.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "masters/betegek.h"
#include "masters/betegvalaszto.h"
#include "masters/torzsadat.h"
#include "sheet/beteglap.h"
#include "sheet/telenez.h"
#include "ui/messages.h"

#include <QDate>
#include <QHash>
#include <stdexcept>

namespace sheet {

namespace {

const QString csakSzam = QStringLiteral("Csak szám írható a mezőbe!");
const QString hibaLefutas = QStringLiteral("Hiba a lefutásban!");

// A date field counts as blank when nothing but blanks is left without its
// points.
bool uresDatum(const QString& d) {
    return kozos::ures(QString(d).remove(QLatin1Char('.')));
}

// "YYYY.MM.DD" as SQL holds dates, "YYYY-MM-DD".
QString iso(const QString& d) {
    return d.left(4) + QLatin1Char('-') + d.mid(5, 2) + QLatin1Char('-') + d.mid(8, 2);
}

// A count: digits without a sign, blanks around them allowed. A minus sign
// would let a negative count past the limits of 14.
bool szam(const QString& text, int* value) {
    return kozos::egeszSzam(text, value);
}

// A full invoice or the first partial invoice outside January: the sheets the
// look-back tests run for.
bool visszanez(const QString& lapresz, const QString& idoszak) {
    const bool elsoResz = kozos::ures(lapresz) || lapresz == QLatin1String("A");
    return elsoResz && core::Idoszak::fromText(idoszak).month() != 1;
}

// The key join of a sheet table with another (a part letter may be blank).
QString kulcs(const QString& a, const QString& b) {
    return QStringLiteral("%2.sorsz = %1.sorsz and %2.resz is %1.resz and %2.idoszak = %1.idoszak")
        .arg(a, b);
}

} // namespace

// ---------------------------------------------------------------- checks

bool szakvetell(core::AppState& state, const QString& lapsorsz, const QString& idoszak,
                const QString& lapresz, const QString& szakvet, const QString& elrend,
                const QString& taj) {
    ui::Messages& msg = state.msg;
    bool ok = true;
    if (QString::compare(szakvet, elrend) < 0) {
        msg.error(
            QStringLiteral("Nem lehet a szakápolásba vétel kezdete régebbi, mint az elrendelés!"));
        ok = false;
    }
    // A start of care that is no real date is refused for every sheet, the
    // January ones and the later parts of a series included: it would be
    // stored as no date at all.
    const QDate kezd = QDate::fromString(szakvet, QStringLiteral("yyyy.MM.dd"));
    if (!kozos::datumjo(szakvet) || !kezd.isValid()) {
        msg.error(QStringLiteral("Érvénytelen dátum!!"));
        return false;
    }
    if (!visszanez(lapresz, idoszak)) return ok;

    const QString elozo = core::Idoszak::of(kezd).plusMonths(-1).text();
    engine::Query q;
    try {
        q = state.tables.dbo.query(
            QStringLiteral("select a.sorsz, a.resz, a.idoszak, a.taj, c.szakvet, "
                           "min(b.apdatum) as datumtol, max(b.apdatum) as datumig "
                           "from lap a join lapb b on %1 join elrend c on %2 "
                           "where a.taj = ? and a.idoszak > ? and a.sorsz <> ? and a.idoszak <> ? "
                           "group by a.sorsz, a.resz, a.idoszak, a.taj, c.szakvet "
                           "order by a.idoszak, c.szakvet")
                .arg(kulcs(QStringLiteral("a"), QStringLiteral("b")),
                     kulcs(QStringLiteral("a"), QStringLiteral("c"))),
            {taj.trimmed(), elozo, lapsorsz, idoszak});
    } catch (const engine::DbError&) {
        msg.error(hibaLefutas);
        return ok;
    }
    const QString kezdIso = iso(szakvet);
    const int tol = q.columnIndex(QStringLiteral("datumtol"));
    const int ig = q.columnIndex(QStringLiteral("datumig"));
    for (int r = 0; r < q.rowCount(); ++r) {
        const QString a = q.value(r, tol).toString(), b = q.value(r, ig).toString();
        if (a.isEmpty() || b.isEmpty()) continue;
        if (a <= kezdIso && kezdIso <= b) {
            msg.error(QStringLiteral("A szakápolásba vétel kezdete időben átfedi az előző "
                                     "teljesítést!"));
            ok = false;
        }
    }
    return ok;
}

bool vizitdbell(ui::Messages& msg, const QString& szamText, const QString& tipus) {
    int n = 0;
    if (!szam(szamText, &n)) {
        msg.error(csakSzam);
        return false;
    }
    if (tipus == QLatin1String("R") && (n > sheet::sorozatVizitek || n == 0)) {
        msg.error(QStringLiteral("Az elrendelt vizitszám nem lehet több %1-nél és nem lehet 0!")
                      .arg(sheet::sorozatVizitek));
        return false;
    }
    if (tipus == QLatin1String("T") && n > sheet::sorozatVizitek) {
        msg.error(QStringLiteral("Az eddig elszámolt vizitszám nem lehet több %1-nél!")
                      .arg(sheet::sorozatVizitek));
        return false;
    }
    return true;
}

bool elszamell(core::AppState& state, const QString& lapsorsz, const QString& idoszak,
               bool modositas, const QString& mod, QString& elszam, const QString& taj,
               const QString& lezdat, const QString& szakvet, const QString& lapresz) {
    Q_UNUSED(lezdat); // the closing date of this sheet does not take part
    ui::Messages& msg = state.msg;
    int n = 0;
    if (!szam(elszam, &n)) {
        msg.error(csakSzam);
        return false;
    }
    if (!visszanez(lapresz, idoszak)) return true;

    int elozo = 0;
    QString elozoLezdat;
    try {
        if (!kozos::datumjo(szakvet)) throw std::invalid_argument("start of care");
        QString sql = QStringLiteral("select a.elszam, a.lezdat, c.szakvet "
                                     "from lap a join elrend c on %1 "
                                     "where a.taj = ? and a.idoszak > ? and ")
                          .arg(kulcs(QStringLiteral("a"), QStringLiteral("c")));
        // The sheets of the very first period do not count.
        QVariantList params{taj.trimmed(), core::hatar::elsoLap.text()};
        if (modositas) {
            sql += QStringLiteral("a.sorsz <> ? and ");
            params << lapsorsz;
        }
        sql += QStringLiteral("a.idoszak <= ? and c.szakvet < ? order by a.idoszak, c.szakvet");
        params << idoszak << iso(szakvet);
        const engine::Query q = state.tables.dbo.query(sql, params);
        if (!q.isEmpty()) {
            const int last = q.rowCount() - 1;
            elozo = q.value(last, 0).toInt();
            elozoLezdat = q.value(last, 1).toString();
        }
    } catch (const engine::DbError&) {
        msg.error(hibaLefutas);
    } catch (const std::invalid_argument&) {
        // A start of care that is no date cannot be compared: the query
        // cannot run.
        msg.error(hibaLefutas);
    }

    if (elozoLezdat.isEmpty()) {
        if (n != elozo + 1) {
            msg.error(QStringLiteral("Csak nagyobb lehet az elrendelés száma, mint az előző!"));
            if (mod == QLatin1String("L")) elszam = QString::number(elozo + 1);
            return false;
        }
        return true;
    }
    if (n != 1 && msg.question(QStringLiteral("Előző elszámolási lap lezárt. Kér 1-es "
                                              "elrendelést?")))
        elszam = QStringLiteral("1");
    return true;
}

bool lezdatell(ui::Messages& msg, const QString& lezdat, const QString& szakvet,
               const QString& idoszak) {
    if (uresDatum(lezdat)) return true;
    if (!kozos::datumjo(lezdat)) {
        msg.error(QStringLiteral("Érvénytelen dátum!"));
        return false;
    }
    bool ok = true;
    if (QString::compare(lezdat, szakvet) < 0) {
        msg.error(
            QStringLiteral("Nem lehet a lezárás dátuma kisebb, mint a szakápolásba vétel dátuma!"));
        ok = false;
    }
    if (QString::compare(lezdat.left(7), idoszak) > 0) {
        msg.error(
            QStringLiteral("Nem lehet a lezárás dátuma nagyobb a jelentési időszak végénél!"));
        ok = false;
    }
    return ok;
}

bool engdatell(core::AppState& state, const QString& engszam, QString& engdat) {
    const bool nincsSzam = engszam.trimmed() == QLatin1String("0");
    if (!nincsSzam && uresDatum(engdat)) {
        state.msg.error(
            QStringLiteral("A RAV engedélyszám ki van töltve, a dátumot is ki kell tölteni!"));
        return false;
    }
    if (nincsSzam && !uresDatum(engdat)) {
        state.msg.warning(
            QStringLiteral("A RAV engedélyszám nincs kitöltve, a dátum is üres lesz!"));
        engdat.clear();
        return true;
    }
    if (uresDatum(engdat)) return true;
    return kozos::datumell(state.msg, engdat, state.id);
}

bool engszamkell(core::AppState& state, const QString& taj, const QString& elszam,
                 const QString& lapsorsz, const QString& idoszak) {
    // A non-numeric ordinal is its own field's fault, reported there.
    int n = 0;
    if (!szam(elszam, &n) || n <= 4) return true;

    engine::Database& dbo = state.tables.dbo;
    QString utolsoLezaras;
    try {
        utolsoLezaras =
            dbo.query(QStringLiteral("select max(lezdat) as lezdat from lap where taj = ?"),
                      {taj.trimmed()})
                .value(0, 0)
                .toString();
    } catch (const engine::DbError&) {
        state.msg.error(hibaLefutas);
    }
    // Without a closed care every earlier sheet of the patient counts.
    qint64 osszviz = 0;
    try {
        QString sql = QStringLiteral("select sum(a.szviz) as osszviz "
                                     "from lap a join elrend c on %1 "
                                     "where a.taj = ? and a.sorsz <> ? and a.idoszak <> ? "
                                     "and a.idoszak <= ?")
                          .arg(kulcs(QStringLiteral("a"), QStringLiteral("c")));
        QVariantList params{taj.trimmed(), lapsorsz, idoszak, idoszak};
        if (!utolsoLezaras.isEmpty()) {
            sql += QStringLiteral(" and c.szakvet > ?");
            params << utolsoLezaras;
        }
        osszviz = dbo.query(sql, params).value(0, 0).toLongLong();
    } catch (const engine::DbError&) {
        state.msg.error(hibaLefutas);
    }
    if (osszviz > 56) {
        state.msg.error(QStringLiteral("A RAV engedélyszámát ki kell tölteni!"));
        return false;
    }
    return true;
}

bool onellatell(ui::Messages& msg, int pozicio, int terapia) {
    if (pozicio < 0) {
        msg.error(QStringLiteral("Az önellátó képességet ki kell tölteni!"));
        return false;
    }
    if (terapia == 9 && pozicio == 2) {
        msg.error(QStringLiteral("Hibás az önellátó képesség!"));
        return false;
    }
    return true;
}

// ---------------------------------------------------------------- window

namespace {

CheckResult vissza(const QString& control) {
    return {false, control};
}

} // namespace

QString LapCheck::elsoFokusz() const {
    if (!m_.szerkesztheto) return {};
    return st_.id < core::hatar::azonositoTipus ? QStringLiteral("m_taj")
                                                : QStringLiteral("m_aztip");
}

bool LapCheck::p1Lathato() const {
    return st_.id >= core::hatar::azonositoTipus;
}

QString LapCheck::bnoNev(const QString& kod) const {
    return masters::bnoNeve(st_.tables.dbo, kod).value_or(QString());
}

QString LapCheck::orvosNev(const QString& kod) const {
    return masters::orvosNeve(st_.tables.dbo, kod).value_or(QString());
}

CheckResult LapCheck::m_aztipExit() {
    if (m_.m_aztip == QLatin1String("0")) m_.m_taj = masters::Betegek(st_).helyettesitoAzonosito();
    return {};
}

CheckResult LapCheck::m_tajExit() {
    m_.betegtorzsbol = false;
    if (!kozos::tajell(m_.m_taj) && m_.m_aztip == QLatin1String("1")) {
        st_.msg.error(QStringLiteral("Nem létező TAJ szám!"));
        return {false, {}};
    }
    if (!kozos::kotelezo(st_.msg, m_.m_taj)) return vissza(QStringLiteral("m_taj"));

    std::optional<masters::BetegTorzs> b;
    try {
        b = masters::betegTajjal(st_.tables.dbo, m_.m_taj);
    } catch (const engine::DbError&) {
        st_.msg.error(hibaLefutas);
        return vissza(QStringLiteral("m_taj"));
    }
    if (!b) return {};
    betegLapra(*b, m_);
    m_.betegtorzsbol = true;
    return {};
}

CheckResult LapCheck::m_nevExit() {
    if (patientChecksOff() || kozos::kotelezo(st_.msg, m_.m_nev)) return {};
    return vissza(QStringLiteral("m_nev"));
}

CheckResult LapCheck::bnemExit() {
    if (patientChecksOff() || m_.bnem >= 0) return {};
    st_.msg.error(QStringLiteral("A nem csak nő, vagy férfi lehet!"));
    return vissza(QStringLiteral("bnem"));
}

CheckResult LapCheck::m_kozigkodExit() {
    if (patientChecksOff()) return {};
    try {
        const engine::Query q = st_.tables.dbo.query(
            QStringLiteral("select helynev from telepul where kozigkod = ? limit 1"),
            {m_.m_kozigkod.trimmed()});
        if (!q.isEmpty() && !kozos::ures(m_.m_kozigkod)) {
            m_.m_cim1 = q.value(0, 0).toString();
            return {true, QStringLiteral("m_cim2")};
        }
    } catch (const engine::DbError&) {
    }
    st_.msg.warning(QStringLiteral("Nincs ilyen település"));
    return vissza(QStringLiteral("m_kozigkod"));
}

CheckResult LapCheck::m_cim2Exit() {
    if (patientChecksOff() || kozos::kotelezo(st_.msg, m_.m_cim2)) return {};
    return vissza(QStringLiteral("m_cim2"));
}

CheckResult LapCheck::m_szidoExit() {
    if (patientChecksOff() || kozos::szulidoell(st_.msg, m_.m_szido, st_.id)) return {};
    return vissza(QStringLiteral("m_szido"));
}

CheckResult LapCheck::bno(QString LapModel::*field, QString LapModel::*label, int kind,
                          bool required, const QString& control) {
    const QString kod = (m_.*field).trimmed();
    if (required) {
        if (!kozos::kotelezo(st_.msg, kod)) return vissza(control);
    } else if (kozos::ures(kod)) {
        (m_.*label).clear();
        return {};
    }
    if (!kozos::zkodell(st_.msg, kod, kind)) return vissza(control);
    std::optional<QString> nev;
    try {
        nev = masters::bnoNeve(st_.tables.dbo, kod);
    } catch (const engine::DbError&) {
        st_.msg.error(hibaLefutas);
        return vissza(control);
    }
    if (nev) {
        m_.*label = *nev;
        return {};
    }
    st_.msg.error(QStringLiteral("Nincs a BNO kód a törzsben!"));
    return vissza(control);
}

CheckResult LapCheck::m_fekvdExit() {
    return bno(&LapModel::m_fekvd, &LapModel::bno1, kozos::BnoFekvo, false,
               QStringLiteral("m_fekvd"));
}

CheckResult LapCheck::m_alapbExit() {
    return bno(&LapModel::m_alapb, &LapModel::bno2, kozos::BnoAlap, true,
               QStringLiteral("m_alapb"));
}

CheckResult LapCheck::m_kiserdExit() {
    return bno(&LapModel::m_kiserd, &LapModel::bno3, kozos::BnoKisero, false,
               QStringLiteral("m_kiserd"));
}

CheckResult LapCheck::m_fodiagExit() {
    return bno(&LapModel::m_fodiag, &LapModel::bno4, kozos::BnoFo, true,
               QStringLiteral("m_fodiag"));
}

CheckResult LapCheck::m_ellatdExit() {
    return bno(&LapModel::m_ellatd, &LapModel::bno5, kozos::BnoBefolyasol, false,
               QStringLiteral("m_ellatd"));
}

CheckResult LapCheck::m_fekdatExit() {
    const bool diag = !kozos::ures(m_.m_fekvd);
    const bool datum = !uresDatum(m_.m_fekdat);
    if (diag && !datum) {
        st_.msg.error(QStringLiteral(
            "A fekvőbeteg-intézeti diagnózis ki van töltve, a dátumot is ki kell tölteni!"));
        return vissza(QStringLiteral("m_fekdat"));
    }
    if (datum && !diag) {
        st_.msg.error(QStringLiteral(
            "A fekvőbeteg-intézeti diagnózis nincs kitöltve, a dátum üresen marad!"));
        m_.m_fekdat.clear();
        return {false, QStringLiteral("m_fapnap")};
    }
    if (!datum || kozos::datumell(st_.msg, m_.m_fekdat, st_.id)) return {};
    return vissza(QStringLiteral("m_fekdat"));
}

CheckResult LapCheck::m_fapnapExit() {
    int n = 0;
    if (!szam(m_.m_fapnap, &n)) {
        st_.msg.error(csakSzam);
        return vissza(QStringLiteral("m_fapnap"));
    }
    const bool diag = !kozos::ures(m_.m_fekvd);
    if (diag && n == 0) {
        st_.msg.error(QStringLiteral(
            "A fekvőbeteg-intézeti diagnózis ki van töltve, a napot is ki kell tölteni!"));
        return vissza(QStringLiteral("m_fapnap"));
    }
    if (n != 0 && !diag) {
        st_.msg.error(
            QStringLiteral("A fekvőbeteg-intézeti diagnózis nincs kitöltve, a nap üresen marad!"));
        m_.m_fapnap = QStringLiteral("0");
        return {false, QStringLiteral("m_alapb")};
    }
    return {};
}

CheckResult LapCheck::m_eorvExit() {
    if (!kozos::kotelezo(st_.msg, m_.m_eorv)) return vissza(QStringLiteral("m_eorv"));
    std::optional<QString> nev;
    try {
        nev = masters::orvosNeve(st_.tables.dbo, m_.m_eorv);
    } catch (const engine::DbError&) {
        st_.msg.error(hibaLefutas);
        return vissza(QStringLiteral("m_eorv"));
    }
    if (nev) {
        m_.orv1 = *nev;
        return {true, QStringLiteral("m_jorv")};
    }
    // A doctor not yet in the table: the name is typed and stored on saving.
    return {true, QStringLiteral("orv1")};
}

CheckResult LapCheck::orv1Exit() {
    if (kozos::kotelezo(st_.msg, m_.orv1)) return {};
    return vissza(QStringLiteral("orv1"));
}

CheckResult LapCheck::m_jorvExit() {
    if (kozos::ures(m_.m_jorv)) {
        m_.orv2.clear();
        return {};
    }
    std::optional<QString> nev;
    try {
        nev = masters::orvosNeve(st_.tables.dbo, m_.m_jorv);
    } catch (const engine::DbError&) {
        st_.msg.error(hibaLefutas);
        return vissza(QStringLiteral("m_jorv"));
    }
    if (nev) {
        m_.orv2 = *nev;
        return {};
    }
    return {true, QStringLiteral("orv2")};
}

CheckResult LapCheck::orv2Exit() {
    return {true, QStringLiteral("m_elrend")};
}

CheckResult LapCheck::m_elrendExit() {
    if (!kozos::kotelezo(st_.msg, QString(m_.m_elrend).remove(QLatin1Char('.'))) ||
        !kozos::datumell(st_.msg, m_.m_elrend, st_.id))
        return vissza(QStringLiteral("m_elrend"));
    return {};
}

CheckResult LapCheck::m_szakvetExit() {
    if (!kozos::kotelezo(st_.msg, QString(m_.m_szakvet).remove(QLatin1Char('.'))) ||
        !szakvetell(st_, m_.lapsorsz, m_.m_idosz, m_.lapresz, m_.m_szakvet, m_.m_elrend, m_.m_taj))
        return vissza(QStringLiteral("m_szakvet"));
    return {};
}

CheckResult LapCheck::m_elvizExit() {
    if (!kozos::kotelezo(st_.msg, m_.m_elviz) ||
        !vizitdbell(st_.msg, m_.m_elviz, QStringLiteral("R")))
        return vissza(QStringLiteral("m_elviz"));
    return {};
}

CheckResult LapCheck::m_gyakExit() {
    if (kozos::kotelezo(st_.msg, m_.m_gyak)) return {};
    return vissza(QStringLiteral("m_gyak"));
}

CheckResult LapCheck::m_elszamExit() {
    const QString self = QStringLiteral("m_elszam");
    if (!kozos::kotelezo(st_.msg, m_.m_elszam)) return vissza(self);
    int n = 0;
    if (!szam(m_.m_elszam, &n)) {
        st_.msg.error(csakSzam);
        return vissza(self);
    }
    if (n == 0) {
        st_.msg.error(QStringLiteral("A folyamatos elrendelés nem lehet 0!"));
        return vissza(self);
    }
    if (!elszamell(st_, m_.lapsorsz, m_.m_idosz, m_.modositas, QStringLiteral("L"), m_.m_elszam,
                   m_.m_taj, m_.m_lezdat, m_.m_szakvet, m_.lapresz))
        return vissza(self);
    return {};
}

CheckResult LapCheck::m_elszvizExit() {
    const QString self = QStringLiteral("m_elszviz");
    int n = 0;
    if (!szam(m_.m_elszviz, &n)) {
        st_.msg.error(csakSzam);
        return vissza(self);
    }
    if (!vizitdbell(st_.msg, m_.m_elszviz, QStringLiteral("T"))) return vissza(self);
    int elrendelt = 0;
    if (!szam(m_.m_elviz, &elrendelt)) {
        st_.msg.error(csakSzam);
        return vissza(self);
    }
    if (elrendelt < n) {
        st_.msg.error(QStringLiteral("Nem lehet több az elszámolt vizit, mint az elrendelés!"));
        return vissza(self);
    }
    return {};
}

CheckResult LapCheck::m_lezdatExit() {
    if (lezdatell(st_.msg, m_.m_lezdat, m_.m_szakvet, m_.m_idosz)) return {};
    return vissza(QStringLiteral("m_lezdat"));
}

CheckResult LapCheck::m_engszamExit() {
    const QString self = QStringLiteral("m_engszam");
    int n = 0;
    if (!szam(m_.m_engszam, &n)) {
        st_.msg.error(csakSzam);
        return vissza(self);
    }
    if (n == 0 && !engszamkell(st_, m_.m_taj, m_.m_elszam, m_.lapsorsz, m_.m_idosz))
        return vissza(self);
    return {};
}

CheckResult LapCheck::m_engdatExit() {
    if (engdatell(st_, m_.m_engszam, m_.m_engdat)) return {};
    return vissza(QStringLiteral("m_engdat"));
}

CheckResult LapCheck::EtevExit() {
    if (kozos::kotelezo(st_.msg, m_.Etev)) return {};
    return vissza(QStringLiteral("Etev"));
}

CheckResult LapCheck::CB2Exit(int terapia) {
    if (onellatell(st_.msg, m_.CB2, terapia)) return {true, QStringLiteral("ellt1")};
    return vissza(QStringLiteral("CB2"));
}

CheckResult LapCheck::exit(const QString& control) {
    using Handler = CheckResult (LapCheck::*)();
    static const QHash<QString, Handler> handlers = {
        {QStringLiteral("m_aztip"), &LapCheck::m_aztipExit},
        {QStringLiteral("m_taj"), &LapCheck::m_tajExit},
        {QStringLiteral("m_nev"), &LapCheck::m_nevExit},
        {QStringLiteral("bnem"), &LapCheck::bnemExit},
        {QStringLiteral("m_kozigkod"), &LapCheck::m_kozigkodExit},
        {QStringLiteral("m_cim2"), &LapCheck::m_cim2Exit},
        {QStringLiteral("m_szido"), &LapCheck::m_szidoExit},
        {QStringLiteral("m_fekvd"), &LapCheck::m_fekvdExit},
        {QStringLiteral("m_fekdat"), &LapCheck::m_fekdatExit},
        {QStringLiteral("m_fapnap"), &LapCheck::m_fapnapExit},
        {QStringLiteral("m_alapb"), &LapCheck::m_alapbExit},
        {QStringLiteral("m_kiserd"), &LapCheck::m_kiserdExit},
        {QStringLiteral("m_fodiag"), &LapCheck::m_fodiagExit},
        {QStringLiteral("m_ellatd"), &LapCheck::m_ellatdExit},
        {QStringLiteral("m_eorv"), &LapCheck::m_eorvExit},
        {QStringLiteral("orv1"), &LapCheck::orv1Exit},
        {QStringLiteral("m_jorv"), &LapCheck::m_jorvExit},
        {QStringLiteral("orv2"), &LapCheck::orv2Exit},
        {QStringLiteral("m_elrend"), &LapCheck::m_elrendExit},
        {QStringLiteral("m_szakvet"), &LapCheck::m_szakvetExit},
        {QStringLiteral("m_elviz"), &LapCheck::m_elvizExit},
        {QStringLiteral("m_gyak"), &LapCheck::m_gyakExit},
        {QStringLiteral("m_elszam"), &LapCheck::m_elszamExit},
        {QStringLiteral("m_elszviz"), &LapCheck::m_elszvizExit},
        {QStringLiteral("m_lezdat"), &LapCheck::m_lezdatExit},
        {QStringLiteral("m_engszam"), &LapCheck::m_engszamExit},
        {QStringLiteral("m_engdat"), &LapCheck::m_engdatExit},
        {QStringLiteral("Etev"), &LapCheck::EtevExit},
    };
    if (control == QLatin1String("CB2")) return CB2Exit();
    const auto it = handlers.constFind(control);
    if (it == handlers.cend()) return {};
    return (this->*(*it))();
}

// ---------------------------------------------------------------- pickers

CheckResult LapCheck::betegbetolt(const masters::BetegValasztas& b) {
    if (kozos::ures(b.taj)) return {};
    m_.m_taj = b.taj;
    betegLapra({b.nev, b.kozigkod, b.cime1, b.cime2, b.aztip, b.szulh, b.szuli, b.neme}, m_);
    // The focus leaves the TAJ field for CB1: its check runs as on any exit.
    const CheckResult r = m_tajExit();
    if (!r.focus.isEmpty()) return r;
    return {r.ok, QStringLiteral("CB1")};
}

CheckResult LapCheck::telepValasztva(const QString& kod, const QString& nev) {
    if (kozos::ures(kod)) return {true, QStringLiteral("m_kozigkod")};
    m_.m_kozigkod = kod;
    m_.m_cim1 = nev;
    return {true, QStringLiteral("m_cim2")};
}

CheckResult LapCheck::bnoValasztva(const QString& control, const QString& kod, const QString& nev) {
    if (!kozos::ures(kod)) {
        const struct {
            const char* name;
            QString LapModel::*field;
            QString LapModel::*label;
        } mezok[] = {{"m_fekvd", &LapModel::m_fekvd, &LapModel::bno1},
                     {"m_alapb", &LapModel::m_alapb, &LapModel::bno2},
                     {"m_kiserd", &LapModel::m_kiserd, &LapModel::bno3},
                     {"m_fodiag", &LapModel::m_fodiag, &LapModel::bno4},
                     {"m_ellatd", &LapModel::m_ellatd, &LapModel::bno5}};
        for (const auto& m : mezok) {
            if (control == QLatin1String(m.name)) {
                m_.*m.field = kod;
                m_.*m.label = nev;
            }
        }
    }
    return {true, control};
}

void LapCheck::orvosDblClick(const QString& control) {
    m_.orvostipus = control == QLatin1String("m_jorv") ? QStringLiteral("J") : QStringLiteral("E");
}

CheckResult LapCheck::orvosbetolt(const QString& kod, const QString& nev) {
    if (m_.orvostipus == QLatin1String("J")) {
        if (!kozos::ures(kod)) {
            m_.m_jorv = kod;
            m_.orv2 = nev;
        }
        return {};
    }
    if (kozos::ures(kod)) return {true, QStringLiteral("m_eorv")};
    m_.m_eorv = kod;
    m_.orv1 = nev;
    return {true, QStringLiteral("m_jorv")};
}

CheckResult LapCheck::tevValasztva(const QString& eredmeny) {
    if (!kozos::ures(eredmeny)) m_.Etev = eredmeny;
    return {true, QStringLiteral("Etev")};
}

// ---------------------------------------------------------------- new sheet

LapModel ujLap(core::Idoszak idoszak, const QString& lapsorsz, const QString& lapresz,
               const QString& laptipus) {
    LapModel m;
    m.lapsorsz = lapsorsz;
    m.lapresz = lapresz;
    m.laptipus = laptipus;
    m.napokszama = idoszak.isValid() ? idoszak.dayCount() : LapModel::maxNapok;
    m.szerkesztheto = true;
    m.modositas = false;
    m.m_sorsz = lapsorsz + lapresz;
    m.m_idosz = idoszak.text();
    if (idoszak >= core::hatar::azonositoTipus) {
        m.m_aztip = QStringLiteral("1");
        m.m_terkat = QStringLiteral("01");
        m.m_allp = QStringLiteral("HUN");
    }
    const QString nulla = QStringLiteral("0");
    m.m_fapnap = m.m_elszam = m.m_elszviz = m.m_elviz = m.m_engszam = nulla;
    for (int d = 0; d < m.napokszama; ++d)
        m.apdat[size_t(d)] = idoszak.firstDay().addDays(d).toString(QStringLiteral("yyyy.MM.dd"));
    m.vszam = nulla;
    return m;
}

} // namespace sheet
