#include "masters/valasz.h"

#include "core/idoszak.h"

#include <utility>
#include <vector>

namespace masters {

namespace {

struct Activity {
    const char* code;
    const char* name;
    bool until200908; // listed only for periods before 2009.09
};

// The activities in the order of the list; names as the fund lists them
// (two keep the trailing blank of the original list).
const std::vector<Activity>& activities() {
    static const std::vector<Activity> a = {
        {"1", "Szondán át történő táplálás", false},
        {"2", "Tracheális kanül tisztítása", false},
        {"3a", "Állandó katéter cseréje", false},
        {"3b", "Rendszeres hólyagöblítés", false},
        {"4", "Intravénás folyadékpótlás", false},
        {"5", "Baleseti és egyéb műtétek utáni ellátás", false},
        {"6", "Műtéti területek ellátása", false},
        {"7", "Dekubitus ellátás", false},
        {"8a", "Gyógyászati segédeszközök betanítása", false},
        {"8b", "Mozgás és mozgatás eszközeinek betanítása", false},
        {"8c", "Hely- és helyzetváltoztatás ", false},
        {"9a", "EKG, oscillometria", true},
        {"9b", "Oxigénterápia", true},
        {"9c", "Légzésterápia", true},
        {"9d", "Szívó alkalmazása", true},
        {"9e", "Gyógylámpák alkalmazása", true},
        {"9f", "TENS készülék alkalmazása", true},
        {"10", "Tartós fájdalomcsillapítás ", false},
        {"11", "Szakirányú szolgáltatások", false},
    };
    return a;
}

} // namespace

QStringList valaszItems(const QString& mode, core::Idoszak period) {
    QStringList out;
    if (mode == QLatin1String("T")) {
        const bool old = period < core::hatar::ujKuldemeny;
        for (const Activity& a : activities())
            if (old || !a.until200908)
                out << QString::fromUtf8(a.code) + QStringLiteral("  ") + QString::fromUtf8(a.name);
    } else if (mode == QLatin1String("E")) {
        out << QStringLiteral("2 Szakápolás") << QStringLiteral("4 Gyógytorna")
            << QStringLiteral("5 Fizioterápia") << QStringLiteral("6 Logopédia");
    }
    return out;
}

QString valaszResult(const QString& mode, const QString& item) {
    if (item.isEmpty()) return {};
    if (mode == QLatin1String("T")) {
        QString code = item.left(2);
        code.remove(QLatin1Char(' '));
        return code;
    }
    if (mode == QLatin1String("E")) return item.left(1);
    return {};
}

} // namespace masters
