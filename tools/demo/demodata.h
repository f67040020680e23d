#pragma once
// The demo folder: the tables that the county office (RAV) delivers to a
// provider, made for a fictional home-nursing provider so that the program can
// be started, shown and tested without real contract data. The settlements,
// the names and the BNO table are public reference data compiled into the
// library; the provider, its contract, its workers and its service area are
// made up. Generation is deterministic: the same day and options give the
// same bytes.
//
// The layouts written here are documented in docs/county-tables.md. The
// program reads any layout that carries the fields it needs, so these are one
// plausible choice, not the only one.

#include <QDate>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <set>
#include <vector>

namespace demo {

// The county office's seven tables, in the order the start-up message lists
// them.
enum class CountyTable { Part, Szerz, Szolgsz, Telepul, Terulet, Thely, Bnotorzs };

const std::vector<CountyTable>& countyTables();
// "PART.DBF", "SZERZ.DBF", ... as the county office names its files.
QString fileName(CountyTable table);

struct Options {
    // Tables not written (for the missing-files message). A file of that name
    // already in DATA is left alone.
    std::set<CountyTable> leaveOut;
    // false: SZERZ is written without its FINKOD field (an old contract file).
    bool finkodField = true;
    // true: SZERZ starts with the previous year's contract, and the workers,
    // sites and areas carry the history that goes with it.
    bool previousContract = true;
    // The county office sends the workers' TAJ numbers as numbers (N 9), so a
    // number beginning with 0 loses its leading zero in the file; false
    // writes them as text (C 9).
    bool workerTajAsNumber = true;
    // Also the program's own master tables with a few records: nurses (the
    // contracted nursing workers), doctors and patients (Apol.dbf, Orvos.dbf,
    // Beteg.dbf in the layouts the program creates).
    bool localData = false;
    // Seed of the pseudo-random choices (names, TAJ numbers, birth dates,
    // population numbers).
    std::uint64_t seed = 0x5A4B4150'4F4C4153ULL;
};

// Facts of the fictional provider, for tests that need to know them.
QString providerCode();  // INTKOD of PART, "1890"
QString providerName();  // INTE of PART
int providerCounty();    // MEGYE of PART: the fund's county code (18 = Veszprém)
QString financingCode(); // FINKOD of the contracts
// The contract number of the contract of the given year.
QString contractNumber(int year);

struct MadeFile {
    QString name; // file name inside DATA
    int records = 0;
};

struct Result {
    QString dataDir;             // PROGRAM_DIR/DATA, without a trailing "/"
    std::vector<MadeFile> files; // in the order written
};

// Writes the demo tables into programDir/DATA (made when missing), replacing
// files of the same names (any letter case) and their index files. The
// current contract runs from 1 January to 31 December of today's year; the
// headers carry `today` as their date. Throws engine::DbError or
// std::runtime_error (with a Hungarian message) on failure.
Result makeDemoData(const QString& programDir, QDate today, const Options& options = {});

// True when programDir/DATA holds a PART.DBF (any letter case).
bool hasCountyData(const QString& programDir);

// --- codes used by the generator, public for the tests ---

// The TAJ check: nine digits, the ninth being the sum of the first eight
// weighted 3, 7, 3, 7, ... modulo 10.
bool tajValid(const QString& taj);
// Appends the check digit to eight digits.
QString tajWithCheckDigit(const QString& eightDigits);

// KOZIGKOD: the 5-digit KSH settlement identifier followed by the 2-digit KSH
// county code (01 Budapest, 02 Baranya, ... 20 Zala).
QString kozigkod(const QString& kshCode, int kshCounty);
// The KSH county code of a county name as the gazetteer writes it
// ("Veszprém", "Csongrád-Csanád", "Budapest"); 0 when unknown.
int kshCountyCode(const QString& countyName);

} // namespace demo
