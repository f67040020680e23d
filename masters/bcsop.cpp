#include "masters/bcsop.h"

#include "ui/messages.h"

namespace masters {

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
