#pragma once
// "Adatszolgáltatás" -> "Floppy beolvasása RAV-től" -> "Elszámolt lapok
// beolvasása RAV-től": the county office's answer to a shipment. Of its four
// files (Ma, Mb, Mc, Rav + the provider's code + ".dbf") Mb holds the
// accepted visits with the period they were accounted in, Rav the base fee
// and the advance; Ma and Mc must be there but are not read.
//
// Every row of Mb is read and checked (its fields, its period against the
// current one) before anything is written; then the accounted periods
// (LAPB.ELIDO), the payment state of every sheet of the period (LAP.ALLAPOT)
// and the fees of the period's ZARAS row are written as one change unit.
// Running it again gives the same result.

#include "core/idoszak.h"

#include <QDate>
#include <QString>
#include <QStringList>
#include <vector>

namespace core {
struct AppState;
}
namespace ui {
class FolderAsker;
}

namespace exch {

// The payment state "fully accounted": the byte 0xFB of the tables' code
// page (code 251).
inline constexpr QChar kElszamolva = QChar(0x0171);

// What one run did, shown after the closing message.
struct ElszamoltOsszegzes {
    int olvasott = 0;         // visit rows read from Mb
    int bejegyzett = 0;       // of them matched to a local visit row
    int nincsHelyi = 0;       // of them with no local visit row
    int allapotValtozott = 0; // sheets whose payment state changed
    QString dijIdoszak;       // the ZARAS row given the fees; empty: none

    // The lines of the summary, each ended by "\r".
    QString text() const;
};

// The office's answer as read from Mb and Rav, every value checked.
struct ElszamoltValasz {
    struct Vizit {
        QString sorsz; // five digits, as LAPB.SORSZ
        QString resz;
        QDate datum;
        QString elido; // "YYYY.MM", or blank
    };
    std::vector<Vizit> vizitek; // in Mb's order
    QString ravIdoszak;         // the period of the fees; empty: none
    double alapdij = 0, eloleg = 0;
};

// Reads the copies of Mb and Rav whole for the accounting period `idoszak`
// ("YYYY.MM"). RavHiba, with the message for the user, for a file that
// cannot be used, a value that does not fit, an empty Mb ("Nincs elszámolt
// lap") and a row of another period.
ElszamoltValasz elszamoltOlvas(const QString& mb, const QString& rav, core::Idoszak idoszak);

class ElszamoltLapok {
public:
    ElszamoltLapok(core::AppState& state, ui::FolderAsker& folders)
        : st_(state), folders_(folders) {}

    // The menu command (ElszmolsilapokbeolvassaRAVtl1Click): the question,
    // the folder, then beolvas().
    void beolvasClick();

    // From the folder on: the four files checked, copied into TEMP, read,
    // checked and written. True when the answer was written.
    bool beolvas(const QString& dir);

    const ElszamoltOsszegzes& osszegzes() const { return osszegzes_; }
    // The closing message of the last run that wrote its answer (for
    // printing); empty after a refusal or failure.
    const QString& zaroUzenet() const { return zaroUzenet_; }

private:
    bool feldolgoz(const QString& mb, const QString& rav);

    core::AppState& st_;
    ui::FolderAsker& folders_;
    ElszamoltOsszegzes osszegzes_;
    QString zaroUzenet_;
};

// The provider's code (INTKOD of the PART record); empty when none.
QString intkod(core::AppState& state);

// The payment state a sheet of `szviz` visits gets when `elfogadott` of its
// visits were accounted; `regi` when the office accounted more than it has.
QString fizetesiAllapot(int szviz, int elfogadott, const QString& regi);

} // namespace exch
