#include "db/kuldemenyminta.h"

#include <cstring>
#include <stdexcept>

namespace db {

namespace {

struct M {
    const char* nev;
    char tipus;
    int hossz;
};

Minta build(MintaId id, const char* nev, bool sablon, int ev, int ho, int nap,
            std::initializer_list<M> mezok) {
    Minta m{id, nev, sablon, ev, ho, nap, {}, 1, 0};
    for (const M& x : mezok) {
        engine::FieldDef f = engine::fieldDef(QLatin1String(x.nev), x.tipus, x.hossz);
        f.offset = m.rekordHossz;
        m.rekordHossz += f.width;
        m.mezok.push_back(f);
    }
    m.fejlecHossz = 32 + 32 * int(m.mezok.size()) + 1;
    return m;
}

std::vector<Minta> all() {
    std::vector<Minta> v;
    v.push_back(build(
        MintaId::SZKA, "SZKA", true, 11, 6, 9,
        {{"ULVKOD", 'C', 4},    {"SORSZAM", 'N', 5}, {"RESZ", 'C', 1},    {"IDOSZAK", 'C', 6},
         {"ORVOSKOD", 'N', 5},  {"JORVKOD", 'N', 5}, {"TAJ", 'N', 9},     {"KOZIGKOD", 'C', 7},
         {"CIM", 'C', 25},      {"NEME", 'C', 1},    {"SZULIDO", 'D', 8}, {"TERPOT", 'N', 1},
         {"TEVKODOK", 'C', 34}, {"ELBOCS", 'D', 8},  {"APNAP", 'N', 4},   {"ELREND", 'D', 8},
         {"SZAKVET", 'D', 8},   {"ELVIZDB", 'N', 3}, {"GYAK", 'C', 15},   {"ELSZVIZ", 'N', 3},
         {"ELSZAM", 'N', 3},    {"LEZDAT", 'D', 8},  {"ENGSZAM", 'N', 4}, {"ENGDAT", 'D', 8},
         {"OVIZITDB", 'N', 2},  {"MODIDO", 'C', 6},  {"MODTIPUS", 'C', 1}}));
    v.push_back(build(
        MintaId::SZKAUJ, "SZKAUJ", true, 15, 10, 7,
        {{"ULVKOD", 'C', 4},    {"FINKOD", 'C', 9},   {"SORSZAM", 'N', 5}, {"RESZ", 'C', 1},
         {"IDOSZAK", 'C', 6},   {"ORVOSKOD", 'N', 5}, {"JORVKOD", 'N', 5}, {"TAJ", 'C', 9},
         {"KOZIGKOD", 'C', 7},  {"CIM", 'C', 25},     {"NEME", 'C', 1},    {"SZULIDO", 'D', 8},
         {"AZTIP", 'C', 1},     {"TERKAT", 'C', 2},   {"ALLAMP", 'C', 3},  {"TERPOT", 'N', 1},
         {"TEVKODOK", 'C', 34}, {"ELBOCS", 'D', 8},   {"APNAP", 'N', 4},   {"ELREND", 'D', 8},
         {"SZAKVET", 'D', 8},   {"ELVIZDB", 'N', 3},  {"GYAK", 'C', 15},   {"ELSZVIZ", 'N', 3},
         {"ELSZAM", 'N', 3},    {"LEZDAT", 'D', 8},   {"ENGSZAM", 'N', 4}, {"ENGDAT", 'D', 8},
         {"OVIZITDB", 'N', 2},  {"MODIDO", 'C', 6},   {"MODTIPUS", 'C', 1}}));
    v.push_back(build(MintaId::SZKB, "SZKB", true, 11, 6, 9,
                      {{"ULVKOD", 'C', 4},
                       {"SORSZAM", 'N', 5},
                       {"RESZ", 'C', 1},
                       {"IDOSZAK", 'C', 6},
                       {"TEVKOD", 'C', 2},
                       {"ELLTIP", 'N', 1},
                       {"ONKEP", 'N', 1},
                       {"DATUMTOL", 'D', 8},
                       {"APTAJ", 'N', 9}}));
    v.push_back(build(MintaId::SZKBUJ, "SZKBUJ", true, 15, 10, 8,
                      {{"ULVKOD", 'C', 4},
                       {"FINKOD", 'C', 9},
                       {"SORSZAM", 'N', 5},
                       {"RESZ", 'C', 1},
                       {"IDOSZAK", 'C', 6},
                       {"TEVKOD", 'C', 2},
                       {"ELLTIP", 'N', 1},
                       {"ONKEP", 'N', 1},
                       {"DATUMTOL", 'D', 8},
                       {"APTAJ", 'C', 9}}));
    v.push_back(build(MintaId::SZKC, "SZKC", true, 11, 6, 9,
                      {{"ULVKOD", 'C', 4},
                       {"SORSZAM", 'N', 5},
                       {"RESZ", 'C', 1},
                       {"IDOSZAK", 'C', 6},
                       {"BNOTIP", 'N', 1},
                       {"BNOKOD", 'C', 5}}));
    v.push_back(build(MintaId::SZKCUJ, "SZKCUJ", true, 15, 10, 7,
                      {{"ULVKOD", 'C', 4},
                       {"FINKOD", 'C', 9},
                       {"SORSZAM", 'N', 5},
                       {"RESZ", 'C', 1},
                       {"IDOSZAK", 'C', 6},
                       {"BNOTIP", 'N', 1},
                       {"BNOKOD", 'C', 5}}));
    v.push_back(build(MintaId::RegiB, "crtszkb", false, 0, 0, 0,
                      {{"ULVKOD", 'C', 4},
                       {"SORSZAM", 'N', 5},
                       {"RESZ", 'C', 1},
                       {"TEVKOD", 'C', 2},
                       {"ELLTIP", 'N', 2},
                       {"ONKEP", 'N', 2},
                       {"DATUMTOL", 'D', 8},
                       {"APTAJ", 'N', 9}}));
    v.push_back(build(MintaId::RegiC, "crtszkc", false, 0, 0, 0,
                      {{"ULVKOD", 'C', 4},
                       {"SORSZAM", 'N', 5},
                       {"RESZ", 'C', 1},
                       {"BNOTIP", 'N', 2},
                       {"BNOKOD", 'C', 5}}));
    return v;
}

void put16(char* p, int v) {
    p[0] = char(v & 0xFF);
    p[1] = char((v >> 8) & 0xFF);
}

void put32(char* p, int v) {
    for (int i = 0; i < 4; ++i)
        p[i] = char((v >> (8 * i)) & 0xFF);
}

} // namespace

int Minta::mezoIndex(const QString& n) const {
    for (size_t i = 0; i < mezok.size(); ++i)
        if (mezok[i].name.compare(n, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

const Minta& minta(MintaId id) {
    static const std::vector<Minta> v = all();
    for (const Minta& m : v)
        if (m.id == id) return m;
    throw std::logic_error("exch::minta: unknown layout");
}

MintaId lapMinta(core::Idoszak p) {
    return p < core::hatar::azonositoTipus ? MintaId::SZKA : MintaId::SZKAUJ;
}

MintaId vizitMinta(core::Idoszak p) {
    if (p < core::hatar::ujKuldemeny) return MintaId::RegiB;
    return p < core::hatar::azonositoTipus ? MintaId::SZKB : MintaId::SZKBUJ;
}

MintaId bnoMinta(core::Idoszak p) {
    if (p < core::hatar::ujKuldemeny) return MintaId::RegiC;
    return p < core::hatar::azonositoTipus ? MintaId::SZKC : MintaId::SZKCUJ;
}

QByteArray fejlec(const Minta& m, const QDate& nap) {
    QByteArray b(m.fejlecHossz, '\0');
    char* d = b.data();
    d[0] = 0x03;
    if (m.sablon) {
        d[1] = char(m.ev);
        d[2] = char(m.ho);
        d[3] = char(m.nap);
    } else if (nap.isValid()) {
        d[1] = char(nap.year() % 100);
        d[2] = char(nap.month());
        d[3] = char(nap.day());
    }
    put16(d + 8, m.fejlecHossz);
    put16(d + 10, m.rekordHossz);
    int pos = 32;
    for (const engine::FieldDef& f : m.mezok) {
        const QByteArray name = f.name.toLatin1();
        std::memcpy(d + pos, name.constData(), size_t(name.size()));
        d[pos + 11] = f.type;
        put32(d + pos + 12, f.offset);
        d[pos + 16] = char(f.width);
        pos += 32;
    }
    d[pos] = 0x0D;
    return b;
}

} // namespace db
