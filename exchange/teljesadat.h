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
// entirely the old ones or entirely the new ones. Every value is checked as
// a value typed into its field would be (width, digits, a real date or
// period, no control character), and each sheet, visit day and diagnosis
// kind may come once: the first that does not fit is refused with a message
// naming the file, the row and the field, and nothing changes. Rows before 2005.02 are
// left out; the last four periods of the archive keep their own period as
// sending state, older rows get "xxxx.xx"; the complete partial-invoice
// series of the archive's latest year are marked.

#include "core/idoszak.h"
#include "db/arj.h"

#include "engine/dbfheader.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

namespace core {
struct AppState;
}
namespace ui {
class FolderAsker;
}

namespace exch {

// The stages of the import, in order; teljesSzakaszok() names them as the
// progress window lists them.
enum class TeljesSzakasz { Kicsomagolas, Lapok, Vizitek, Diagnozisok, Sorozatok, Csere };
const QStringList& teljesSzakaszok();
QString szakaszNeve(TeljesSzakasz s);

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

// Where the records made from the full data set go: the local layouts of
// LAP, ELREND and LAPB (fields with their offsets) and a sink for each.
// ELREND's and LAPB's records are handed on as they are made, LAP's last
// (once the diagnoses and series marks are in). `szakasz` is told each stage
// as it begins, `allapot` the status texts.
struct TeljesCel {
    const std::vector<engine::FieldDef>* lap = nullptr;
    const std::vector<engine::FieldDef>* elrend = nullptr;
    const std::vector<engine::FieldDef>* lapb = nullptr;
    int lapHossz = 0, rendHossz = 0, lapbHossz = 0; // record lengths
    std::function<void(const char*)> lapSor, rendSor, lapbSor;
    std::function<void(const QString&)> szakasz, allapot;
};

// Reads the three unpacked files (Aa, Ab, Ac) whole into the records of the
// new LAP, ELREND and LAPB. RavHiba, with the message for the user, for a
// file that cannot be used, the first value that does not fit and a key
// that comes twice; false when Aa holds no sheet ("Nincs elszámolt lap").
bool teljesOlvas(const QString& aa, const QString& ab, const QString& ac, const TeljesCel& cel,
                 TeljesOsszegzes& osszegzes);

class TeljesAdat {
public:
    TeljesAdat(core::AppState& state, ui::FolderAsker& folders) : st_(state), folders_(folders) {}

    void setArchiver(const QString& program) { arj_ = db::Archiver(program); }
    // The archiver itself (its watch, its time limit).
    db::Archiver& archiver() { return arj_; }
    // Told each stage's name as it begins (teljesSzakaszok()).
    void setProgress(std::function<void(const QString&)> stage) { stage_ = std::move(stage); }

    // The menu command (Teljesadatllomnybeolvassa1Click): the question, the
    // folder, then beolvas().
    void beolvasClick();
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
    void szakasz(TeljesSzakasz s) {
        if (stage_) stage_(szakaszNeve(s));
    }

    core::AppState& st_;
    ui::FolderAsker& folders_;
    db::Archiver arj_;
    std::function<void(const QString&)> stage_;
    TeljesOsszegzes osszegzes_;
    QString zaroUzenet_;
};

} // namespace exch
