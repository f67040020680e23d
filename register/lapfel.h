#pragma once
// The old-layout sheet (periods before 2005.02) as the viewing window Tlapfel
// (unit lapfel) shows it: the sheet's fields as stored, its eighteen visit
// slots, the patient's sex, the BNO names, and the area-supplement choice.
// Loading checks the sheet's order record, patient, doctor, BNO codes and
// nurses the way the viewing command does, with its messages; only a missing
// order record stops the window from showing.

#include <QHash>
#include <QString>

namespace core {
struct AppState;
}

namespace reg {

struct LapfelModel {
    // Every field of the sheet by its upper-case name (LAP's own fields and
    // the slots TEV1, TEV2, TOLn, IGn, VIZn), as text: dates "YYYY.MM.DD".
    QHash<QString, QString> mezok;
    // The order record's fields by name (SZAKVET, ELVIZDB, JORVKOD, ...).
    QHash<QString, QString> elrend;
    QString nev;    // the patient's name
    int neme = -1;  // sex choice: 0 "F" (first item), 1 "N", -1 none
    int tpotl = -1; // area supplement: 0 "I", 1 "N", -1 none
    // The names beside BNOKI, BNOROV, BNOMELL, BNOFO, BNOELL.
    QString bnokiNev, bnorovNev, bnomellNev, bnofoNev, bnoellNev;
    QString orvosNev;
    bool szerkesztheto = true;

    QString mezo(const char* name) const { return mezok.value(QLatin1String(name)); }
};

class Lapfel {
public:
    explicit Lapfel(core::AppState& st) : st_(st) {}

    // Fills the model from the sheet of the key. False when the window is
    // not to be shown: no such sheet, or its order record is missing ("Hibás a
    // teljes lap, nincs elrendelés adat!"). A failing query shows "Hiba a
    // lefutásban!" and gives false.
    bool betolt(const QString& idoszak, const QString& sorsz, const QString& resz, LapfelModel& m);

private:
    core::AppState& st_;
};

} // namespace reg
