#pragma once
// One month's shipment before it is written: the records of the three files
// (sheets A, visits B, diagnoses C) in their layouts, made from the marked
// sheets in memory. A value that does not convert stops the making with an
// AtalakitasHiba, before any file or table is touched; then each file is
// written whole through the engine's table builder, so it appears under its
// name only when complete.
//
//     exch::Kuldemeny k = exch::Kuldemeny::osszeallit(st.tables.dbo, p, intkod);
//     for (const exch::Fajl& f : k.fajlok) exch::fajlIr(f, kuldDir, today);

#include "core/idoszak.h"
#include "exchange/szkrekord.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <array>
#include <memory>
#include <vector>

namespace engine {
class Database;
class TableBuilder;
} // namespace engine

namespace exch {

struct Fajl {
    MintaId minta = MintaId::SZKA;
    QString nev; // db::kuldFajlNev
    std::vector<QByteArray> rekordok;
};

struct Kuldemeny {
    core::Idoszak p;
    QString intkod;
    std::array<Fajl, 3> fajlok; // A, B, C

    // Runs the three queries over the marked sheets ("*") and converts every
    // row. Throws AtalakitasHiba for a value that does not convert and
    // engine::DbError when a query cannot run.
    static Kuldemeny osszeallit(engine::Database& db, core::Idoszak p, const QString& intkod);
};

// Writes the file into `dir` (which ends in "/"): the layout's header, the
// records, the end-of-file byte 0x1A, the header's count and the date `nap`.
// Returns its path. Throws engine::DbError; no file appears under the name
// then.
QString fajlIr(const Fajl& f, const QString& dir, const QDate& nap);
// The same file complete and flushed under its temporary name in `dir`
// (name + ".uj"), for a change unit to give it its name
// (engine::ChangeUnit::addNewFile). Throws engine::DbError; nothing is left
// then.
std::unique_ptr<engine::TableBuilder> fajlKeszit(const Fajl& f, const QString& dir,
                                                 const QDate& nap);

} // namespace exch
