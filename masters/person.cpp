#include "masters/person.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "ui/fieldrule.h"
#include "ui/messages.h"

namespace masters {

namespace {

const QString kNemLetezoTaj = QStringLiteral("Nem létező TAJ szám!");

PersonConfig makeApol() {
    PersonConfig c;
    c.kind = PersonConfig::Kind::Apol;
    c.windowName = QStringLiteral("TApolfel");
    c.caption = QStringLiteral("Szakápolók megjelenítése");
    c.statusText = QStringLiteral("Új szakápoló rögzítése");
    c.panelLabel = QStringLiteral("Szakápoló TAJ száma és neve");
    c.keyField = QStringLiteral("APTAJ");
    c.nameField = QStringLiteral("ANEV");
    c.keyControl = QStringLiteral("Etaj");
    c.nameControl = QStringLiteral("Enev");
    c.keyWidth = 9;
    c.keyHint = QStringLiteral("Az ápoló TAJ-száma");
    c.nameHint = QStringLiteral("Az ápoló neve");
    c.keszHint = QStringLiteral("Az ápoló adatai rögzítésének vége");
    c.ujHint = QStringLiteral("Új szakápoló felvitele");
    c.modosHint = QStringLiteral("Szakápoló módosítása");
    c.torolHint = QStringLiteral("Szakápoló törlése");
    c.hianyzik = QStringLiteral("Az ápoló adatait ki kell tölteni!");
    c.mentes = QStringLiteral("Elmenti az ápoló adatait ?");
    c.dupla = QStringLiteral("Ilyen ápoló már létezik !");
    c.hasznalt = QStringLiteral("Az ápoló szerepel az elszámolásban, az adatai nem törölhetők!!");
    c.torles = QStringLiteral("Biztosan törli az ápoló adatait ?");
    c.keyIsTaj = true;
    c.emptyKeyModifiable = true;
    return c;
}

PersonConfig makeOrvos() {
    PersonConfig c;
    c.kind = PersonConfig::Kind::Orvos;
    c.windowName = QStringLiteral("TOrvosfel");
    c.caption = QStringLiteral("Orvosok megjelenítése");
    c.windowHint = QStringLiteral("Az orvosok adatainak felvitele");
    c.statusText = QStringLiteral("Új orvos rögzítése");
    c.panelLabel = QStringLiteral("Orvos pecsétszáma és neve");
    c.keyField = QStringLiteral("ORVOSKOD");
    c.nameField = QStringLiteral("ONEV");
    c.keyControl = QStringLiteral("OP");
    c.nameControl = QStringLiteral("Onev");
    c.keyWidth = 5;
    c.keyHint = QStringLiteral("Az orvos pecsétszáma");
    c.nameHint = QStringLiteral("Az orvos neve");
    c.keszHint = QStringLiteral("Az orvos adatai rögzítésének vége");
    c.ujHint = QStringLiteral("Új orvos felvitele");
    c.modosHint = QStringLiteral("Orvos módosítása");
    c.torolHint = QStringLiteral("Orvos törlése");
    c.hianyzik = QStringLiteral("Az orvos adatait ki kell tölteni!");
    c.mentes = QStringLiteral("Elmenti az orvos adatait ?");
    c.dupla = QStringLiteral("Ilyen orvos már létezik !");
    c.hasznalt = QStringLiteral("Az orvos szerepel az elszámolásban, az adatai nem törölhetők!!");
    c.torles = QStringLiteral("Biztosan törli az orvos adatait ?");
    c.keyIsTaj = false;
    c.emptyKeyModifiable = false;
    return c;
}

engine::Table& tableOf(core::AppState& st, const PersonConfig& c) {
    return c.kind == PersonConfig::Kind::Apol ? st.tables.apol : st.tables.orvos;
}

} // namespace

const PersonConfig& apolConfig() {
    static const PersonConfig c = makeApol();
    return c;
}

const PersonConfig& orvosConfig() {
    static const PersonConfig c = makeOrvos();
    return c;
}

Person::Person(core::AppState& state, const PersonConfig& config)
    : st_(state), cfg_(config), table_(tableOf(state, config)) {}

void Person::open() {
    st_.msg.status(0, cfg_.statusText);
    table_.first();
}

void Person::uj() {
    modifying_ = false;
    panelOpen_ = true;
    editedRecno_ = 0;
}

std::optional<Person::Fields> Person::modos() {
    if (table_.isEmpty()) {
        st_.msg.error(QStringLiteral("Nincs módosítandó adat!"));
        return std::nullopt;
    }
    if (table_.bof() && table_.eof()) table_.first();
    const Fields f{table_.text(cfg_.keyField), table_.text(cfg_.nameField)};
    if (!cfg_.emptyKeyModifiable && kozos::ures(f.key)) {
        st_.msg.error(QStringLiteral("Nem lehet módosítani, csak törölni az üres adatot!"));
        return std::nullopt;
    }
    modifying_ = true;
    panelOpen_ = true;
    editedRecno_ = table_.recno();
    return f;
}

bool Person::keyExit(const QString& key) {
    if (!cfg_.keyIsTaj || kozos::tajell(key)) return true;
    st_.msg.warning(kNemLetezoTaj);
    return false;
}

Person::Save Person::kesz(const QString& key, const QString& name) {
    if (kozos::ures(key) || kozos::ures(name)) {
        st_.msg.warning(cfg_.hianyzik);
        return Save::Refused;
    }
    // Leaving the key field already sends the user back to a wrong TAJ number;
    // "Kész" pressed with the mouse must not store one either.
    if (!modifying_ && !keyExit(key)) return Save::Refused;
    if (!st_.msg.confirm(cfg_.mentes)) {
        megse();
        return Save::Declined;
    }
    try {
        if (modifying_) {
            if (editedRecno_ != 0 && table_.recno() != editedRecno_) table_.go(editedRecno_);
            table_.edit();
        } else {
            table_.first();
            if (table_.locate(cfg_.keyField, key)) {
                st_.msg.warning(cfg_.dupla);
                return Save::Refused;
            }
            table_.append();
        }
        // No control character reaches the table, whatever reached the form.
        table_.setValue(cfg_.keyField, ui::printable(key));
        table_.setValue(cfg_.nameField, ui::printable(name));
        table_.post();
    } catch (const engine::DbError& e) {
        table_.cancel();
        st_.msg.error(e.text());
        return Save::Refused;
    }
    megse();
    return Save::Saved;
}

void Person::megse() {
    panelOpen_ = false;
    modifying_ = false;
    editedRecno_ = 0;
}

bool Person::inUse(const QString& key) const {
    if (kozos::ures(key)) return false;
    engine::Database& db = st_.tables.dbo;
    // Every sheet counts, whatever the sheet table's standing filter shows.
    if (cfg_.kind == PersonConfig::Kind::Apol) {
        return db
            .query(
                QStringLiteral("select exists(select 1 from lap where aptaj1 = ?1 or aptaj2 = ?1)"
                               " or exists(select 1 from lapb where aptaj = ?1)"),
                {key})
            .value(0, 0)
            .toBool();
    }
    return db
        .query(QStringLiteral("select exists(select 1 from lap where orvoskod = ?1)"
                              " or exists(select 1 from elrend where jorvkod = ?1)"),
               {key})
        .value(0, 0)
        .toBool();
}

bool Person::torol() {
    if (table_.isEmpty()) return false;
    if (table_.bof() && table_.eof()) table_.first();
    try {
        if (inUse(table_.text(cfg_.keyField))) {
            st_.msg.information(cfg_.hasznalt);
            return false;
        }
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
    if (!st_.msg.confirm(cfg_.torles)) return false;
    try {
        table_.remove();
        table_.pack();
        table_.first();
    } catch (const engine::DbError& e) {
        st_.msg.error(e.text());
        return false;
    }
    return true;
}

} // namespace masters
