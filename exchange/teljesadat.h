#pragma once
// "Adatszolgáltatás" -> "Floppy beolvasása RAV-től" -> "Teljes adatállomány
// beolvasása RAV-től": the county office's full data set (Telj + the
// provider's code + ".arj", holding the sheet, visit and diagnosis files Aa,
// Ab and Ac in the shipment's layouts with the office's own fields) replaces
// LAP, LAPB and ELREND, for example after a data loss.
//
// The archive is copied into a folder of its own under TEMP and unpacked
// there (db::Archiver: the three files and nothing else, each once), the
// three files read whole and checked, and the new LAP, LAPB and ELREND
// written beside the old ones; then the three are put in
// place together in one change unit, so that afterwards the tables are
// entirely the old ones or entirely the new ones. Rows before 2005.02 are
// left out; the last four periods of the archive keep their own period as
// sending state, older rows get "xxxx.xx"; the complete partial-invoice
// series of the archive's latest year are marked.

#include "core/idoszak.h"
#include "db/arj.h"

#include <QString>
#include <functional>

namespace core {
struct AppState;
}
namespace ui {
class FolderAsker;
}

namespace exchange {

struct TeljesOsszegzes {
    int lapok = 0;         // sheets restored
    int korabbiLapok = 0;  // sheets before 2005.02, left out
    int vizitek = 0;       // visit rows restored
    int diagnozisok = 0;   // diagnosis codes set
    int arvaDiagnozis = 0; // diagnosis rows whose sheet is not in the set
    int teljesSorozat = 0; // complete partial-invoice series marked
    core::Idoszak utolso;  // latest period of the archive

    QString text() const;
};

class TeljesAdat {
public:
    TeljesAdat(core::AppState& state, ui::FolderAsker& folders) : st_(state), folders_(folders) {}

    void setArchiver(const QString& program) { arj_ = db::Archiver(program); }
    // The archiver itself (its watch, its time limit).
    db::Archiver& archiver() { return arj_; }
    // Told each stage as it begins ("Kicsomagolás", "Lapok", ...).
    void setProgress(std::function<void(const QString&)> stage) { stage_ = std::move(stage); }

    // The menu command: the question, the folder, then beolvas().
    void Teljesadatllomnybeolvassa1Click();
    // From the folder on. True when the tables were replaced.
    bool beolvas(const QString& dir);
    // The three unpacked files read and put in place of LAP, LAPB and ELREND.
    // Messages for what it refuses; engine errors propagate (nothing changed).
    bool csere(const QString& aa, const QString& ab, const QString& ac);

    const TeljesOsszegzes& osszegzes() const { return osszegzes_; }
    // The closing message of the last run that replaced the tables (for
    // printing); empty otherwise.
    const QString& zaroUzenet() const { return zaroUzenet_; }

private:
    void szakasz(const QString& s) {
        if (stage_) stage_(s);
    }

    core::AppState& st_;
    ui::FolderAsker& folders_;
    db::Archiver arj_;
    std::function<void(const QString&)> stage_;
    TeljesOsszegzes osszegzes_;
    QString zaroUzenet_;
};

} // namespace exchange
