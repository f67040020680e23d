#include "register/lapallapot.h"

#include "core/idoszak.h"
#include "core/kozos.h"
#include "sheet/zarasok.h"
#include "ui/messages.h"

namespace reg {

namespace {

bool maiHonap(const QDate& d, const QDate& today) {
    return d.isValid() && d.year() == today.year() && d.month() == today.month();
}

} // namespace

QVariant reszErtek(const QString& resz) {
    return kozos::ures(resz) ? QVariant() : QVariant(resz.trimmed());
}

core::Idoszak korrekciosHatar(const QDate& today) {
    const core::Idoszak ma = core::Idoszak::of(today);
    return ma.plusMonths(ma >= core::hatar::otHonapKorrekcio ? -5 : -4);
}

core::Idoszak potjelentesHatar(const QDate& today, core::Idoszak c) {
    return core::Idoszak::of(today).plusMonths(c < core::hatar::azonositoTipus ? -2 : -4);
}

bool torlesKivetel(const sheet::ZarasRekord& utolso, const QString& p, const QDate& today) {
    return utolso.van && utolso.idoszak == p && maiHonap(utolso.zaras, today) && today.day() <= 10;
}

bool atalakitasZarolt(bool zartidoszak, const sheet::ZarasRekord& zc, const QDate& today) {
    return !(zartidoszak && zc.van && maiHonap(zc.zaras, today) && today.day() < 10);
}

bool modosithato(ui::Messages& msg, const QString& e, const QString& p, core::Idoszak current,
                 const QDate& today) {
    const bool ures = kozos::ures(e);
    const QString kuldve = e.trimmed();
    const QString c = current.text();
    auto korrekcio = [&] {
        if (core::Idoszak::fromText(p) >= korrekciosHatar(today)) return true;
        msg.error(QStringLiteral("Korrekciós időn kívül! Nem javítható!"));
        return false;
    };
    if (ures && p == c) return true;
    if (kuldve == QStringLiteral("xxxx.xx")) {
        msg.error(QStringLiteral("RAV-től visszakapott adat! Nem javítható!"));
        return false;
    }
    if (kuldve == c) return korrekcio();
    if (!ures && kuldve != QStringLiteral("YY") && p == c) return korrekcio();
    if (kuldve == QStringLiteral("YY") && p == c) return true;
    msg.error(QStringLiteral("Nem az elszámolási időszak lapja! Nem javítható!"));
    return false;
}

} // namespace reg
