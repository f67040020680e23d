#include "masters/remainders.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "ui/messages.h"

namespace masters {

Remainders::Remainders(core::AppState& state) : st_(state) {}

engine::Table& Remainders::table() const {
    return st_.tables.maradv;
}

void Remainders::open() {
    st_.msg.status(0, QStringLiteral("Maradványok megnézése"));
    table().setActiveTag(QStringLiteral("Mar1"));
    table().first();
}

Remainders::Fields Remainders::uj() {
    modifying_ = false;
    panelOpen_ = true;
    editedRecno_ = 0;
    return {st_.id.text(), QString()};
}

Remainders::Fields Remainders::modos() {
    engine::Table& t = table();
    modifying_ = true;
    panelOpen_ = true;
    if (t.isEmpty()) {
        // Nothing to modify: the empty period stops "Kész" at its first check.
        editedRecno_ = 0;
        return {};
    }
    if (t.bof() && t.eof()) t.first();
    editedRecno_ = t.recno();
    return {t.text(QStringLiteral("MIDOSZAK")), t.text(QStringLiteral("FT"))};
}

Remainders::Save Remainders::kesz(const QString& mido, const QString& mft) {
    if (kozos::ures(mido) || kozos::ures(mft)) {
        st_.msg.warning(QStringLiteral("Az maradvány adatait ki kell tölteni!"));
        return Save::Refused;
    }
    bool isNumber = false;
    const int ft = mft.trimmed().toInt(&isNumber);
    if (!isNumber) {
        st_.msg.warning(QStringLiteral("A Ft csak szám lehet!"));
        return Save::Refused;
    }
    if (ft <= 0) {
        st_.msg.warning(QStringLiteral("A Ft nem lehet 0!"));
        return Save::Refused;
    }
    if (!st_.msg.confirm(QStringLiteral("Elmenti a maradvány adatait ?"))) {
        megse();
        return Save::Declined;
    }
    engine::Table& t = table();
    engine::Table& part = st_.tables.part;
    try {
        if (modifying_) {
            if (editedRecno_ != 0 && t.recno() != editedRecno_) t.go(editedRecno_);
            t.edit();
        } else {
            t.first();
            if (t.locate(QStringLiteral("MIDOSZAK"), mido)) {
                st_.msg.warning(QStringLiteral("Adott időszakra már létezik maradvány!"));
                return Save::Refused;
            }
            t.append();
        }
        if (part.bof() && part.eof()) part.first();
        t.setValue(QStringLiteral("INTKOD"), part.text(QStringLiteral("INTKOD")));
        t.setValue(QStringLiteral("MIDOSZAK"), mido);
        t.setValue(QStringLiteral("FT"), ft);
        t.post();
    } catch (const engine::DbError& e) {
        t.cancel();
        st_.msg.error(e.text());
        return Save::Refused;
    }
    megse();
    return Save::Saved;
}

void Remainders::megse() {
    panelOpen_ = false;
    modifying_ = false;
    editedRecno_ = 0;
}

bool Remainders::torol() {
    engine::Table& t = table();
    if (t.isEmpty()) return false;
    if (!st_.msg.confirm(QStringLiteral("Biztosan törli a maradvány adatait ?"))) return false;
    try {
        if (t.bof() && t.eof()) t.first();
        t.remove();
        t.pack();
        t.first();
    } catch (const engine::DbError& e) {
        st_.msg.error(e.text());
        return false;
    }
    return true;
}

} // namespace masters
