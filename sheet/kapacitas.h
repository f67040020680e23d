#pragma once
// The workers' capacity table of a month: for each worker, the weekly hours
// of the contract (SZOLGSZ), the monthly visit frames that follow from them,
// and the visits counted in the period. Built into "Temp.dbf" in the TEMP
// working folder for each complete day-grid check; the day-grid check adds
// the sheet's visits and warns about a worker whose count passes the frame.
//
// Frames: a 40-hour week is a full post, worth 132 visits a month from 2012
// (before: 110 in nursing, 88 in therapy). A fractional frame is rounded down
// (49.5 allows 49 visits; the 50th is an overrun). A worker with earlier
// visits but no contract in the month has a frame of 0, so any visit of the
// sheet by that worker is an overrun.

#include "core/idoszak.h"
#include "sheet/lapmodel.h"

#include <QHash>
#include <QString>
#include <vector>

namespace core {
struct AppState;
}

namespace sheet {

struct KapacSor {
    QString taj;                   // "Taj"
    QString nev;                   // "Nev"
    double aora = 0, iora = 0;     // weekly hours, nursing and therapy
    double akeret = 0, ikeret = 0; // monthly frames, two decimals
    int keret = 0;                 // total monthly frame, rounded down
    bool szerzodott = false;       // under contract in the month
    int vizitdb = 0;
};

class Kapacitas {
public:
    Kapacitas() = default;
    ~Kapacitas();
    Kapacitas(const Kapacitas&) = delete;
    Kapacitas& operator=(const Kapacitas&) = delete;

    // The frames of a worker with the given weekly hours in the period.
    static void keretek(core::Idoszak idoszak, double aora, double iora, KapacSor& sor);

    // Builds the table for the current period (state.id) and the sheet's month
    // (m.napokszama days); when the sheet is being changed its own visits are
    // left out of the counts. Writes Temp.dbf. A table that cannot be made
    // shows "Hiba a TEMP állomány készítésében!", a query that cannot run
    // "Hiba a lefutásban!"; the check goes on with what was obtained.
    // Returns false after such a message.
    bool kapacnez(core::AppState& state, const LapModel& m);

    // Counts one visit of worker `taj`; true when the worker is in the table
    // and now exceeds its frame.
    bool hozzaad(const QString& taj);

    // Closes Temp.dbf (the file stays).
    void felszabadit();

    const std::vector<KapacSor>& sorok() const { return sorok_; }
    const KapacSor* sor(const QString& taj) const;

    // The path of Temp.dbf in the TEMP working folder.
    static QString tempPath(const core::AppState& state);
    // Deletes Temp.dbf (and an index file beside it) when it exists.
    static void tempTorol(core::AppState& state);

private:
    core::AppState* state_ = nullptr;
    std::vector<KapacSor> sorok_;
    QHash<QString, int> index_;
    bool tempNyitva_ = false;
};

} // namespace sheet
