#include "masters/betegek.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "ui/fieldrule.h"
#include "ui/messages.h"

#include <QDate>

namespace masters {

namespace {

const QString datumForma = QStringLiteral("yyyy.MM.dd");

// The text cut to the width of a character field, as the old engine stored
// a longer text.
QString mezohoz(const engine::Table& t, const QString& field, const QString& text) {
    const int i = t.fieldIndex(field);
    // No control character reaches the table, whatever reached the form.
    const QString kiirhato = ui::printable(text);
    if (i < 0) return kiirhato;
    return kiirhato.left(t.fields()[size_t(i)].width);
}

} // namespace

QString nemNeve(int index) {
    switch (index) {
    case 0:
        return QStringLiteral("Férfi");
    case 1:
        return QStringLiteral("Nő");
    default:
        return {};
    }
}

Betegek::Betegek(core::AppState& state) : st_(state) {}

// ---------------------------------------------------------------- opening

BetegFokusz Betegek::ujClick() {
    modositas_ = false;
    nyitva_ = true;
    btajCsakOlvas_ = false;
    // A modification before leaves azt read-only; a new patient must be able
    // to get identifier type "0".
    aztCsakOlvas_ = false;
    adat = BetegAdatok{};
    adat.azt = QStringLiteral("1");
    return BetegFokusz::azt;
}

BetegFokusz Betegek::modosClick() {
    engine::Table& beteg = st_.tables.beteg;
    if (beteg.isEmpty()) {
        st_.msg.error(QStringLiteral("Nincs módosítandó adat!"));
        return BetegFokusz::Marad;
    }
    modositas_ = true;
    nyitva_ = true;
    aztCsakOlvas_ = true;
    btajCsakOlvas_ = true;

    adat = BetegAdatok{};
    adat.azt = beteg.text(QStringLiteral("AZTIP"));
    adat.btaj = beteg.text(QStringLiteral("TAJ"));
    adat.Bnev = beteg.text(QStringLiteral("NEV"));
    const QString neme = beteg.text(QStringLiteral("NEME"));
    adat.bnem = neme == QLatin1String("F") ? 0 : neme == QLatin1String("N") ? 1 : -1;
    adat.bkod = beteg.text(QStringLiteral("KOZIGKOD"));
    adat.bvaros = beteg.text(QStringLiteral("CIME1"));
    adat.bcim = beteg.text(QStringLiteral("CIME2"));
    adat.Bszhely = beteg.text(QStringLiteral("SZULH"));
    const QString szuli = beteg.text(QStringLiteral("SZULI"));
    adat.bszido = szuli.isEmpty() ? uresDatum : szuli;
    return BetegFokusz::Bnev;
}

// ---------------------------------------------------------------- fields

BetegFokusz Betegek::aztExit() {
    if (modositas_) {
        btajCsakOlvas_ = false;
    } else if (adat.azt == QLatin1String("0")) {
        adat.btaj = helyettesitoAzonosito();
        btajCsakOlvas_ = true;
    } else {
        btajCsakOlvas_ = false;
    }
    return BetegFokusz::Marad;
}

BetegFokusz Betegek::btajExit() {
    if (adat.azt == QLatin1String("1") && !kozos::tajell(adat.btaj))
        st_.msg.warning(QStringLiteral("Nem létező TAJ szám!"));
    return BetegFokusz::Marad;
}

BetegFokusz Betegek::bnemExit() {
    if (adat.bnem != 0 && adat.bnem != 1) {
        st_.msg.warning(QStringLiteral("A nem csak nő, vagy férfi lehet!"));
        return BetegFokusz::bnem;
    }
    return BetegFokusz::Marad;
}

BetegFokusz Betegek::bkodExit() {
    if (!telepulesVan(adat.bkod)) {
        st_.msg.warning(QStringLiteral("Nincs ilyen település a törzsben!"));
        return BetegFokusz::bkod;
    }
    return BetegFokusz::Marad;
}

void Betegek::bvarosEnter() {
    engine::Table& telep = st_.tables.telep;
    adat.bvaros = telepulesVan(adat.bkod) ? telep.text(QStringLiteral("HELYNEV")) : QString();
}

BetegFokusz Betegek::bkodDblClick(const std::optional<Telepules>& chosen) {
    if (!chosen || chosen->first.isEmpty()) return BetegFokusz::bkod;
    adat.bkod = chosen->first;
    adat.bvaros = chosen->second;
    return BetegFokusz::bcim;
}

BetegFokusz Betegek::bszidoExit() {
    if (!kozos::szulidoell(st_.msg, adat.bszido, st_.id)) return BetegFokusz::bszido;
    return BetegFokusz::Marad;
}

bool Betegek::telepulesVan(const QString& kod) const {
    return kozos::mezokeres(QStringLiteral("KOZIGKOD"), kod, st_.tables.telep);
}

// ---------------------------------------------------------------- saving

BetegFokusz Betegek::kesz() {
    QString hianyzik;
    BetegFokusz elso = BetegFokusz::Marad;
    auto hiany = [&](const QString& mi, BetegFokusz hol) {
        hianyzik += mi + QLatin1Char('\r');
        if (elso == BetegFokusz::Marad) elso = hol;
    };
    QString szamjegyek = adat.bszido;
    szamjegyek.remove(QLatin1Char('.'));

    if (kozos::ures(adat.btaj)) hiany(QStringLiteral("TAJ szám"), BetegFokusz::btaj);
    if (kozos::ures(adat.Bnev)) hiany(QStringLiteral("Beteg neve"), BetegFokusz::Bnev);
    if (adat.bnem != 0 && adat.bnem != 1) hiany(QStringLiteral("Beteg neme"), BetegFokusz::bnem);
    if (kozos::ures(adat.bkod) || kozos::ures(adat.bvaros) || kozos::ures(adat.bcim))
        hiany(QStringLiteral("Beteg címe"), BetegFokusz::bkod);
    if (kozos::ures(szamjegyek))
        hiany(QStringLiteral("Beteg születési ideje"), BetegFokusz::bszido);
    if (kozos::ures(adat.azt)) hiany(QStringLiteral("Azonosító típus"), BetegFokusz::azt);
    if (elso != BetegFokusz::Marad) {
        st_.msg.warning(QStringLiteral("A következő mezők kitöltése kötelező:\r") + hianyzik);
        return elso;
    }

    // "Kész" may be reached without leaving the settlement code or the birth
    // date (Enter in the date presses it): a code that is not in TELEPUL or a
    // date that is not a real birth date must not reach the table.
    if (BetegFokusz f = bkodExit(); f != BetegFokusz::Marad) return f;
    if (BetegFokusz f = bszidoExit(); f != BetegFokusz::Marad) return f;

    if (!st_.msg.confirm(QStringLiteral("Elmenti a beteg adatait ?"))) return bezar();

    engine::Table& beteg = st_.tables.beteg;
    try {
        if (modositas_) {
            beteg.edit();
        } else {
            beteg.setActiveTag(QStringLiteral("BETEG1"));
            if (beteg.locate(QStringLiteral("TAJ"), adat.btaj)) {
                st_.msg.warning(QStringLiteral("Ilyen beteg már létezik !"));
                return BetegFokusz::btaj;
            }
            beteg.append();
        }
        auto irj = [&](const QString& field, const QString& text) {
            beteg.setValue(field, mezohoz(beteg, field, text));
        };
        irj(QStringLiteral("AZTIP"), adat.azt);
        irj(QStringLiteral("TAJ"), adat.btaj);
        irj(QStringLiteral("NEV"), adat.Bnev);
        irj(QStringLiteral("NEME"), adat.bnem == 0 ? QStringLiteral("F") : QStringLiteral("N"));
        irj(QStringLiteral("KOZIGKOD"), adat.bkod);
        irj(QStringLiteral("CIME1"), adat.bvaros);
        irj(QStringLiteral("CIME2"), adat.bcim);
        irj(QStringLiteral("SZULH"), adat.Bszhely);
        beteg.setValue(QStringLiteral("SZULI"), QDate::fromString(adat.bszido, datumForma));
        beteg.post();
    } catch (const engine::DbError& e) {
        // A text the table cannot hold: nothing is written, the group stays
        // open with what the user typed.
        if (beteg.state() == engine::Table::State::Edit ||
            beteg.state() == engine::Table::State::Insert)
            beteg.cancel();
        st_.msg.error(e.text());
        return BetegFokusz::Marad;
    }
    return bezar();
}

BetegFokusz Betegek::megse() {
    return bezar();
}

BetegFokusz Betegek::bezar() {
    nyitva_ = false;
    return BetegFokusz::racs;
}

// ---------------------------------------------------------------- deleting

bool Betegek::lapon(const QString& taj) const {
    // The rows come from LAP's tag on TAJ; whether a row counts is decided by
    // the table object itself, so its standing filter holds whatever it is,
    // and its cursor does not move.
    engine::Table& lap = st_.tables.lap;
    const engine::Query q =
        taj.trimmed().isEmpty()
            ? st_.tables.dbo.query(QStringLiteral("select rowid from lap where taj is null"))
            : st_.tables.dbo.query(QStringLiteral("select rowid from lap where taj = ?"),
                                   {taj.trimmed()});
    for (const QVariantList& row : q.rows())
        if (lap.isVisible(std::uint32_t(row.value(0).toLongLong()))) return true;
    return false;
}

bool Betegek::torolClick() {
    engine::Table& beteg = st_.tables.beteg;
    if (beteg.isEmpty()) return false;
    const QString taj = beteg.text(QStringLiteral("TAJ"));
    try {
        if (lapon(taj)) {
            st_.msg.information(
                QStringLiteral("A beteg szerepel az elszámolásban,\raz adatai nem törölhetők!!"));
            return false;
        }
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
    if (!st_.msg.confirm(QStringLiteral("Biztosan törli a beteg adatait ?"))) return false;
    try {
        beteg.remove();
        beteg.pack();
        beteg.first();
    } catch (const engine::DbError& e) {
        st_.msg.error(e.text());
        return false;
    }
    return true;
}

QString Betegek::helyettesitoAzonosito() const {
    // The rule counts the patients; after a deletion that number may already
    // be someone's identifier, so the next free one up is taken.
    qint64 n = qint64(st_.tables.beteg.recordCount()) + st_.tajalap;
    try {
        for (;; ++n) {
            const engine::Query q = st_.tables.dbo.query(
                QStringLiteral("select 1 from beteg where taj = ? limit 1"), {QString::number(n)});
            if (q.isEmpty()) break;
        }
    } catch (const engine::DbError&) {
        // Without the lookup the rule alone gives the identifier; the save
        // still refuses a TAJ that exists.
    }
    return QString::number(n);
}

} // namespace masters
