#pragma once
// The form of the monthly shipment to the county office and of the files the
// office sends back, described once: the fields of the sheet (A), visit (B)
// and diagnosis (C) files with the local columns they come from and go back
// to, the diagnosis kinds, the file names, and the value conversions both
// ways; the files' layouts byte for byte are db/kuldemenyminta.h. The
// writer of the shipment (exchange/szkrekord), its readers (the full data
// set's import, the monthly summary's check) and the file copies all take
// these from here.
//
//     for (const db::KuldMezo& f : db::lapMezok()) ...   // the sheet file
//     db::kuldFajlNev('a', "1890") == "Szka1890.Dbf"

#include "core/idoszak.h"
#include "db/kuldemenyminta.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <array>
#include <optional>
#include <vector>

namespace db {

// ---------------------------------------------------------------- file names

// The shipment's files in KULD: 'a' sheets, 'b' visits, 'c' diagnoses.
QString kuldFajlNev(char betu, const QString& intkod); // 'a' -> "Szka1890.Dbf"
// The same file as copied out (lower case).
QString kuldMasolatNev(char betu, const QString& intkod); // 'a' -> "szka1890.dbf"
// The office's full data set, and the three files in it ('a', 'b', 'c').
QString teljesArchivumNev(const QString& intkod);        // "Telj1890.arj"
QString teljesFajlNev(char betu, const QString& intkod); // 'a' -> "Aa1890.dbf"

// ---------------------------------------------------------------- fields

// The local table a shipment field comes from (and goes back to).
enum class KuldTabla { Nincs, Lap, Elrend, Beteg, Lapb };

// How a field's value is written into the shipment.
enum class Kiiras {
    Nem,      // the office's own field, never sent
    Szoveg,   // as stored
    Egesz,    // a stored text read as a whole number (kuldEgesz)
    Idoszak,  // "2016.01" -> "201601" (tomorIdoszak)
    Jorv,     // a whole number, 0 when blank
    Taj,      // a number in the old sheet layout, sent only when AZTIP is not "0" after it
    Terpot,   // from TPOTL (terpot)
    Modido,   // the period being sent, "YYYYMM"
    Modtipus, // "P" for an earlier sheet without a change kind (modtipus)
    Aptaj,    // a number where the layout has a numeric field, else as stored
    BnoTip,   // the diagnosis kind (BnoMezo)
    BnoKod,   // the code of that kind
};

// How the full data set's import takes a field back.
enum class Visszavetel {
    Nem,   // not read back
    Masol, // copied into its column, checked as a typed value
    Kulcs, // as Masol, into ELREND too (the sheet's key and provider codes)
    Taj,   // as Masol; a number becomes nine digits with its leading zeros
    Kulon, // by a rule of the import's own (period, serial number, ...)
};

struct KuldMezo {
    const char* mezo;   // the field of the shipment file
    KuldTabla tabla;    // where its value lives locally
    const char* oszlop; // the local column (nullptr: none)
    Kiiras ki;
    Visszavetel vissza;
    bool kell; // the office's returned file must have it
};

// The fields of each file, in the order of the sending query's columns
// (the queries select exactly the fields with a local column). The office's
// returned files carry these and a few of their own (Kiiras::Nem).
const std::vector<KuldMezo>& lapMezok();
const std::vector<KuldMezo>& vizitMezok();
const std::vector<KuldMezo>& bnoMezok();
// The field named `mezo` of a list; nullptr when the list lacks it.
const KuldMezo* kuldMezo(const std::vector<KuldMezo>& lista, const char* mezo);
// The position of `mezo` among the query's columns of the list; -1 when the
// query does not select it.
int kuldOszlop(const std::vector<KuldMezo>& lista, const char* mezo);
// The select list of a sending query: "a.intkod as ulvkod, ..." with the
// tables' aliases LAP a, LAPB b, ELREND c, BETEG d.
QString kuldSelect(const std::vector<KuldMezo>& lista);
// The fields the office's returned file must have, in the list's order.
QStringList kotelezoMezok(const std::vector<KuldMezo>& lista);

// ---------------------------------------------------------------- diagnoses

// A diagnosis kind (BNOTIP of the diagnosis file: a db::BnoMezo) and the
// column of LAP that holds its code.
struct BnoTipus {
    int tipus;
    const char* oszlop;
};
// Every kind, in the order the diagnosis file lists a sheet's codes: main
// (3), underlying (5), inpatient (1), accompanying (4), influencing factor
// (6). The diagnosis query selects these columns after its key fields.
const std::array<BnoTipus, 5>& bnoTipusok();
// LAP's column for a kind; nullptr for a number that is no kind.
const char* bnoOszlop(qint64 tipus);

// ---------------------------------------------------------------- conversions

// A stored text read strictly as a whole number: digits with an optional
// sign, blanks around them allowed; anything else (and a blank) is nullopt.
std::optional<qlonglong> kuldEgesz(const QVariant& v);
// A period as the office writes it: "2016.01" -> "201601" (every point out).
QString tomorIdoszak(const QString& idoszak);
// A period in one of the office's forms, "YYYYMM" or "YYYY.MM" (with its
// point), blanks around it allowed; nullopt for anything else (a control
// character included).
std::optional<core::Idoszak> kuldIdoszak(const QString& text);
// TERPOT: 1 without territorial supplement (TPOTL "N"), 2 otherwise.
int terpot(const QVariant& tpotl);
// And back: TPOTL "N" for TERPOT 1, "I" for anything else.
QLatin1String tpotl(qint64 terpot);
// MODTIPUS in the file: "P" for a sheet of another period than p that has no
// change kind of its own, else the sheet's own (possibly empty).
QString modtipus(const QString& lapIdoszak, const QString& lapModtipus, core::Idoszak p);
// The office's ALLAPOT "u" (a fully accounted sheet) is this byte in LAP:
// the mark "ű" (exch::kElszamolva) in code page 852.
inline constexpr char kElszamoltAllapot = char(0xFB);
// A TAJ number the office sent as a number gets back its leading zeros.
inline constexpr int kTajHossz = 9;

} // namespace db
