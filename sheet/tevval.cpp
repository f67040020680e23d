#include "sheet/tevval.h"

#include "core/idoszak.h"

namespace sheet {

namespace {

const QStringList& korabbi() {
    static const QStringList l = {
        QStringLiteral("1  Szondán át történő táplálás"),
        QStringLiteral("2  Tracheális kanül tisztítása"),
        QStringLiteral("3a  Állandó katéter cseréje"),
        QStringLiteral("3b  Rendszeres hólyagöblítés"),
        QStringLiteral("4  Intravénás folyadékpótlás"),
        QStringLiteral("5  Baleseti és egyéb műtétek utáni ellátás"),
        QStringLiteral("6  Műtéti területek ellátása"),
        QStringLiteral("7  Dekubitus ellátás"),
        QStringLiteral("8a  Gyógyászati segédeszközök betanítása"),
        QStringLiteral("8b  Mozgás és mozgatás eszközeinek betanítása"),
        QStringLiteral("8c  Hely- és helyzetváltoztatás"),
        QStringLiteral("9a  EKG, oscillometria"),
        QStringLiteral("9b  Oxigénterápia"),
        QStringLiteral("9c  Légzésterápia"),
        QStringLiteral("9d  Szívó alkalmazása"),
        QStringLiteral("9e  Gyógylámpák alkalmazása"),
        QStringLiteral("9f  TENS készülék alkalmazása"),
        QStringLiteral("10  Tartós fájdalomcsillapítás"),
        QStringLiteral("11  Szakirányú szolgáltatások"),
    };
    return l;
}

const QStringList& kesobbi() {
    static const QStringList l = {
        QStringLiteral("1  Szondán át történő táplálás"),
        QStringLiteral("2  Tracheális kanül tisztítása"),
        QStringLiteral("3a  Állandó katéter cseréje"),
        QStringLiteral("3b  Rendszeres hólyagöblítés"),
        QStringLiteral("4  Intravénás folyadékpótlás"),
        QStringLiteral("5  Baleseti és egyéb műtétek utáni ellátás"),
        QStringLiteral("6  Műtéti területek ellátása"),
        QStringLiteral("7  Dekubitus ellátás"),
        QStringLiteral("8a  Gyógyászati segédeszközök betanítása"),
        QStringLiteral("8b  Mozgás és mozgatás eszközeinek betanítása"),
        QStringLiteral("8c  Hely- és helyzetváltoztatás "),
        QStringLiteral("9b  Oxigénterápia"),
        QStringLiteral("9c  UH inhalálás, Légzésterápia"),
        QStringLiteral("9d  Szívó alkalmazása"),
        QStringLiteral("10  Tartós fájdalomcsillapítás "),
        QStringLiteral("11  Szakirányú szolgáltatások"),
        QStringLiteral("12  Haldokló beteg otthonában történő ellátás"),
        QStringLiteral("13  Beteg pszichés vezetése, tanácsadás, tanítás stb."),
    };
    return l;
}

} // namespace

QStringList tevLista(core::Idoszak period) {
    return period >= core::hatar::ujKuldemeny ? kesobbi() : korabbi();
}

int tevSzelesseg(int index) {
    // Entries 1, 2, 5, 6, 7 and 8 of either list have one-character codes.
    switch (index) {
    case 0:
    case 1:
    case 4:
    case 5:
    case 6:
    case 7:
        return 1;
    default:
        return 2;
    }
}

QString tevSzoveg(const QStringList& lista, const std::vector<bool>& valasztott, bool vanAktualis) {
    if (!vanAktualis || size_t(lista.size()) != valasztott.size()) return {};
    QString s;
    for (int i = 0; i < lista.size(); ++i) {
        if (valasztott[size_t(i)])
            s += lista[i].section(QLatin1Char(' '), 0, 0);
        else
            s += QString(tevSzelesseg(i), QLatin1Char(' '));
    }
    return s;
}

} // namespace sheet
