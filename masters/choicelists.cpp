#include "masters/choicelists.h"

#include "ui/messages.h"

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

QStringList valaszItems(const QString& mode, const QString& period) {
    QStringList out;
    if (mode == QLatin1String("T")) {
        const bool old = period < QLatin1String("2009.09");
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

const QStringList& bcsopItems() {
    static const QStringList items = {
        QStringLiteral("A bőr és bőralatti szövet betegségei (L00-L99)"),
        QStringLiteral("A csont-izomrendszer és kötőszövet betegségei (M00-M99)"),
        QStringLiteral("A fül és a csecsnyúlvány megbetegedései (H60-H95)"),
        QStringLiteral("A keringési rendszer betegségei (I00-I99)"),
        QStringLiteral("A légzőrendszer betegségei (J00-J99)"),
        QStringLiteral("A morbiditás és mortalitás külső okai (V01-Y98)"),
        QStringLiteral("A perinatális szakban keletkező bizonyos állapotok (P00-P96)"),
        QStringLiteral("A szem és függelékeinek betegségei (H00-H59)"),
        QStringLiteral("A vér és a vérképző szervek betegségei (D58-D89)"),
        QStringLiteral("Az egészségi állapotot befolyásoló tényezők (Z00-Z99) "),
        QStringLiteral("Az emésztőrendszer betegségei (K00-K93)"),
        QStringLiteral("Az idegrendszer betegségei (G00-G99)"),
        QStringLiteral("Az urogenitális rendszer megbetegedései (N00-N99)"),
        QStringLiteral("Daganatok (C00-D48)"),
        QStringLiteral("Endocrin, táplálkozási és anyagcsere betegségek (E00-E90)"),
        QStringLiteral("Fertőző és parazitás betegségek (A00-B99)"),
        QStringLiteral("Máshova nem osztályozott panaszok, tünetek... (R00-R99)"),
        QStringLiteral("Mentális- és viselkedészavarok (F00-F99)"),
        QStringLiteral("Sérülés, mérgezés és külső okok bizonyos egyéb következményei (S00-T98)"),
        QStringLiteral("Terhesség, szülés és a gyermekágy (O00-O99)"),
        QStringLiteral("Veleszületett rendellenességek (Q00-Q99)"),
    };
    return items;
}

BnoGroup bnoGroupOf(const QString& item) {
    const qsizetype l = item.trimmed().size();
    BnoGroup g;
    g.name = item;
    // Positions count from 1 in the text as stored; "(C00-D48)" closes it.
    if (l >= 8) {
        g.lowest = item.mid(l - 8, 3) + QStringLiteral("00");
        g.highest = item.mid(l - 4, 3) + QStringLiteral("99");
    }
    return g;
}

bool Bcsop::ok(int index) {
    const QStringList& items = bcsopItems();
    if (index < 0 || index >= items.size()) {
        msg_.information(QStringLiteral("A BNO főcsoportot ki kell választani!"));
        return false;
    }
    chosen_ = true;
    group_ = bnoGroupOf(items[index]);
    return true;
}

void Bcsop::megsem() {
    chosen_ = false;
}

} // namespace masters
