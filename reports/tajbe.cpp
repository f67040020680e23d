#include "reports/tajbe.h"

#include "core/idoszak.h"
#include "core/kozos.h"
#include "ui/messages.h"

namespace reports {

bool Tajsz::e1Exit(const QString& e1) {
    if (kozos::tajell(e1)) return true;
    msg_.error(QStringLiteral("CDV hiba!"));
    return false;
}

std::optional<QString> Tajsz::ok(const QString& e1) {
    if (kozos::ures(e1)) {
        msg_.error(QStringLiteral("Nincs TAJ-szám megadva!"));
        return std::nullopt;
    }
    return e1.trimmed();
}

std::optional<TajIdoszak> Tajido::ok(Valasztas v, const QString& id1) {
    switch (v) {
    case Valasztas::Nincs:
        msg_.error(QStringLiteral("Nincs megadva idoszak!"));
        return std::nullopt;
    case Valasztas::Teljes:
        return TajIdoszak{TajIdoszak::Fajta::Teljes, {}};
    case Valasztas::Aktualis:
        return TajIdoszak{TajIdoszak::Fajta::Aktualis, {}};
    case Valasztas::Valasztott:
        break;
    }
    if (id1.size() < 6) {
        msg_.error(QStringLiteral("Ez még kevés lesz ..."));
        return std::nullopt;
    }
    for (const QChar c : id1)
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            msg_.error(QStringLiteral("Számokkal kéne megoldani ..."));
            return std::nullopt;
        }
    if (id1 < core::hatar::elsoElfogadott.compactText()) {
        msg_.error(QStringLiteral("Nem adhat meg 1999.04 hónál kisebb dátumot!"));
        return std::nullopt;
    }
    const int ho = id1.mid(4, 2).toInt();
    if (ho < 1 || ho > 12) {
        msg_.error(QStringLiteral("Csak 12 hónap van egy évben sajna ..."));
        return std::nullopt;
    }
    return TajIdoszak{TajIdoszak::Fajta::Valasztott, core::Idoszak(id1.left(4).toInt(), ho)};
}

} // namespace reports
