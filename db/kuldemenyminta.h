#pragma once
// The layouts of the three shipment files the county office reads: the
// sheet file (A), the visit file (B) and the diagnosis file (C). From
// 2009.09 each file starts from a template, an empty dBase III table whose
// header bytes the office's software knows (SZKA, SZKB, SZKC before 2016.01;
// SZKAUJ, SZKBUJ, SZKCUJ from 2016.01 on). Before 2009.09 the visit and
// diagnosis files are made from field lists (the old layouts, with two-digit
// small numbers and no IDOSZAK or FINKOD); the sheet file still comes from
// SZKA.
//
//     const db::Minta& m = db::minta(db::lapMinta(p));
//     QByteArray header = db::fejlec(m);   // the template, byte for byte
//
// Part of the shipment's description (db/kuldemenyforma.h).

#include "core/idoszak.h"
#include "engine/dbfheader.h"

#include <QByteArray>
#include <QString>
#include <vector>

namespace db {

enum class MintaId {
    SZKA,   // sheet file, before 2016.01
    SZKAUJ, // sheet file, 2016.01 on
    SZKB,   // visit file, 2009.09 to 2015.12
    SZKBUJ, // visit file, 2016.01 on
    SZKC,   // diagnosis file, 2009.09 to 2015.12
    SZKCUJ, // diagnosis file, 2016.01 on
    RegiB,  // visit file before 2009.09 (crtszkb)
    RegiC,  // diagnosis file before 2009.09 (crtszkc)
};

struct Minta {
    MintaId id;
    const char* nev; // "SZKA", ..., "crtszkb", "crtszkc"
    // A template carries its own header date (year of the century, month,
    // day); the old layouts are made on the day of the shipment.
    bool sablon;
    int ev, ho, nap;
    std::vector<engine::FieldDef> mezok; // offsets filled in, the flag byte 0
    int rekordHossz;                     // the deletion flag included
    int fejlecHossz;

    int mezoIndex(const QString& nev) const; // -1 when the layout lacks it
};

const Minta& minta(MintaId id);

// The layout of each file for the current accounting period p.
MintaId lapMinta(core::Idoszak p);
MintaId vizitMinta(core::Idoszak p);
MintaId bnoMinta(core::Idoszak p);

// The header of an empty table of the layout, byte for byte: 32 bytes,
// one 32-byte descriptor per field, 0x0D. For a template its own date; for an
// old layout the date `nap`.
QByteArray fejlec(const Minta& m, const QDate& nap = {});

} // namespace db
