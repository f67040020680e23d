#include "register/laptorles.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "engine/changeunit.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "register/lapallapot.h"
#include "sheet/zarasok.h"
#include "ui/messages.h"

namespace reg {

namespace {

struct Kivalasztott {
    bool van = false;
    std::uint32_t recno = 0;
    LapKulcs kulcs;
    QString elkuldve;
};

Kivalasztott kivalasztott(engine::Table& lap) {
    Kivalasztott k;
    if (!lap.isOpen() || (lap.bof() && lap.eof()) || lap.isDeleted()) return k;
    k.van = true;
    k.recno = lap.recno();
    k.kulcs = {lap.text(QStringLiteral("SORSZ")), lap.text(QStringLiteral("RESZ")),
               lap.text(QStringLiteral("IDOSZAK"))};
    k.elkuldve = lap.text(QStringLiteral("ELKULDVE"));
    return k;
}

QVariantList kulcsErtekek(const LapKulcs& k) {
    return {k.idoszak, k.sorsz, reszErtek(k.resz)};
}

void megszakit(engine::Table& lap) {
    if (lap.state() == engine::Table::State::Edit || lap.state() == engine::Table::State::Insert)
        lap.cancel();
}

} // namespace

TorlesEredmeny torles(core::AppState& st, const Telenez& telenez) {
    engine::Table& lap = st.tables.lap;
    const Kivalasztott k = kivalasztott(lap);
    if (!k.van) return TorlesEredmeny::Semmi;
    const QDate ma = st.clock.today();
    sheet::ZarasRekord utolso;
    try {
        utolso = sheet::utolsoZaras(st.tables.dbo);
    } catch (const engine::DbError&) {
        st.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return TorlesEredmeny::Semmi;
    }

    if (kozos::ures(k.elkuldve) || torlesKivetel(utolso, k.kulcs.idoszak, ma)) {
        if (!st.msg.question(QStringLiteral("Biztosan törli a beteg adatait ?")))
            return TorlesEredmeny::Semmi;
        try {
            engine::ChangeUnit unit({&lap, &st.tables.lapb, &st.tables.elrend});
            const QString felt = QStringLiteral(" where idoszak=? and sorsz=? and resz is ?");
            st.tables.dbo.exec(QStringLiteral("delete from elrend") + felt, kulcsErtekek(k.kulcs));
            st.tables.dbo.exec(QStringLiteral("delete from lapb") + felt, kulcsErtekek(k.kulcs));
            lap.go(k.recno);
            lap.remove();
            if (telenez) telenez(k.kulcs.sorsz, QString());
            unit.commit();
        } catch (const engine::DbError& e) {
            megszakit(lap);
            st.msg.error(e.text());
            return TorlesEredmeny::Semmi;
        }
        return TorlesEredmeny::Torolve;
    }

    if (core::Idoszak::fromText(k.kulcs.idoszak) < korrekciosHatar(ma)) {
        st.msg.warning(
            QStringLiteral("Már elküldött lap és korrekciós időn kívüli, nem törölhető!"));
        return TorlesEredmeny::Semmi;
    }
    if (!st.msg.question(QStringLiteral("Valóban sztornózni akarja a lapot?")))
        return TorlesEredmeny::Semmi;
    try {
        engine::ChangeUnit unit({&lap});
        lap.go(k.recno);
        lap.edit();
        lap.setValue(QStringLiteral("ELKULDVE"), QStringLiteral("YY"));
        lap.setValue(QStringLiteral("MODTIPUS"), QStringLiteral("S"));
        lap.post();
        if (telenez) telenez(k.kulcs.sorsz, QStringLiteral("S"));
        unit.commit();
    } catch (const engine::DbError& e) {
        megszakit(lap);
        st.msg.error(e.text());
        return TorlesEredmeny::Semmi;
    }
    if (k.recno <= lap.fileRecordCount() && lap.isVisible(k.recno)) lap.go(k.recno);
    st.msg.information(
        QStringLiteral("A sztornózás megtörtént! Az adatküldésnél kiválasztható elküldésre!"));
    return TorlesEredmeny::Sztornozva;
}

bool atalakit(core::AppState& st) {
    engine::Table& lap = st.tables.lap;
    const Kivalasztott k = kivalasztott(lap);
    if (!k.van) return false;
    engine::Database& db = st.tables.dbo;
    sheet::ZarasRekord zc;
    try {
        zc = sheet::idoszakZarasa(db, st.id.text());
    } catch (const engine::DbError&) {
        st.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
    if (!kozos::ures(k.elkuldve) && atalakitasZarolt(st.zartidoszak, zc, st.clock.today())) {
        st.msg.warning(QStringLiteral("Már elküldött lap, nem javítható!"));
        return false;
    }
    QString uj;
    const QString resz = kozos::ures(k.kulcs.resz) ? QString() : k.kulcs.resz.trimmed();
    if (resz == QStringLiteral("A")) {
        if (!st.msg.question(QStringLiteral("Valóban teljes számlát akar a részszámlából?")))
            return false;
    } else if (resz.isEmpty()) {
        if (!st.msg.question(QStringLiteral("Valóban részszámlát akar a teljes számlából?")))
            return false;
        uj = QStringLiteral("A");
    } else {
        st.msg.error(QStringLiteral("Nem teljes, vagy nem első részszámla! Nem javítható! "));
        return false;
    }

    const QString felt = QStringLiteral(" where idoszak=? and sorsz=? and resz is ?");
    try {
        const engine::Query rend =
            db.query(QStringLiteral("select count(*) from elrend") + felt, kulcsErtekek(k.kulcs));
        if (rend.isEmpty() || rend.value(0, 0).toInt() == 0) {
            st.msg.error(QStringLiteral("Hibás adat! A javítás nem hajtható végre!"));
            return false;
        }
        const QVariant ujErtek = reszErtek(uj);
        QVariantList parameterek{ujErtek};
        parameterek += kulcsErtekek(k.kulcs);
        engine::ChangeUnit unit({&lap, &st.tables.lapb, &st.tables.elrend});
        db.exec(QStringLiteral("update elrend set resz=?") + felt, parameterek);
        db.exec(QStringLiteral("update lapb set resz=?") + felt, parameterek);
        lap.go(k.recno);
        lap.edit();
        lap.setValue(QStringLiteral("RESZ"), uj);
        lap.post();
        unit.commit();
    } catch (const engine::DbError& e) {
        megszakit(lap);
        st.msg.error(e.text());
        return false;
    }
    if (lap.isVisible(k.recno)) lap.go(k.recno);
    return true;
}

} // namespace reg
