#include "exchange/kuldemeny.h"

#include "db/kuldemenyforma.h"
#include "engine/database.h"
#include "engine/dbfheader.h"
#include "engine/tablebuilder.h"
#include "exchange/szkrekord.h"

namespace exch {

Kuldemeny Kuldemeny::osszeallit(engine::Database& db, core::Idoszak p, const QString& intkod) {
    Kuldemeny k;
    k.p = p;
    k.intkod = intkod;
    const MintaId ids[3] = {lapMinta(p), vizitMinta(p), bnoMinta(p)};
    const char betuk[3] = {'a', 'b', 'c'};
    for (int i = 0; i < 3; ++i) {
        k.fajlok[size_t(i)].minta = ids[i];
        k.fajlok[size_t(i)].nev = db::kuldFajlNev(betuk[i], intkod);
    }
    const Minta& ma = minta(ids[0]);
    const Minta& mb = minta(ids[1]);
    const Minta& mc = minta(ids[2]);
    auto& a = k.fajlok[0].rekordok;
    auto& b = k.fajlok[1].rekordok;
    auto& c = k.fajlok[2].rekordok;
    db.each(lapSql(), sqlParams(),
            [&](const QVariantList& r) { a.push_back(lapRekord(ma, r, p)); });
    db.each(vizitSql(), sqlParams(),
            [&](const QVariantList& r) { b.push_back(vizitRekord(mb, r, p)); });
    db.each(bnoSql(), sqlParams(), [&](const QVariantList& r) {
        for (QByteArray& x : bnoRekordok(mc, r, p))
            c.push_back(std::move(x));
    });
    return k;
}

namespace {

std::unique_ptr<engine::TableBuilder> kitoltve(const Fajl& f, const QString& dir,
                                               const QDate& nap) {
    const Minta& m = minta(f.minta);
    const QByteArray head = fejlec(m, nap);
    engine::DbfHeader h;
    h.headerLength = std::uint16_t(m.fejlecHossz);
    h.recordLength = std::uint16_t(m.rekordHossz);
    h.fields = m.mezok;
    auto builder =
        std::make_unique<engine::TableBuilder>(dir + f.nev, h, head, QStringLiteral(".uj"));
    builder->setDate(nap);
    for (const QByteArray& r : f.rekordok)
        builder->addRaw(r.constData());
    return builder;
}

} // namespace

QString fajlIr(const Fajl& f, const QString& dir, const QDate& nap) {
    auto builder = kitoltve(f, dir, nap);
    builder->commit();
    return dir + f.nev;
}

std::unique_ptr<engine::TableBuilder> fajlKeszit(const Fajl& f, const QString& dir,
                                                 const QDate& nap) {
    auto builder = kitoltve(f, dir, nap);
    builder->seal();
    return builder;
}

} // namespace exch
