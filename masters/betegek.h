#pragma once
// The patient register BETEG: what the patients window Tbetegfel decides and
// what the patient picker Tbetegval hands back. The windows bind their
// controls to a BetegAdatok, call the steps below as the user moves through the
// fields and put the focus where a step says.
//
// A patient is known by his TAJ number or, without one (identifier type "0"),
// by a substitute identifier counted from tajalap (910000000).

#include <QString>
#include <optional>
#include <utility>

namespace core {
struct AppState;
}

namespace masters {

// The controls of the patients window that a step can send the focus to.
enum class BetegFokusz {
    Marad, // no change: the focus goes where the user sent it
    azt,
    btaj,
    Bnev,
    bnem,
    bkod,
    bvaros,
    bcim,
    Bszhely,
    bszido,
    racs, // the grid of the browse panel
};

// An untouched birth date field ("9999.99.99" mask with blanks).
inline const QString uresDatum = QStringLiteral("    .  .  ");

// The data group GBox1 as its controls hold it.
struct BetegAdatok {
    QString azt;                // identifier type: "1" TAJ number, "0" substitute identifier
    QString btaj;               // TAJ number or substitute identifier
    QString Bnev;               // name
    int bnem = -1;              // sex: -1 none, 0 "Férfi", 1 "Nő"
    QString bkod;               // settlement code KOZIGKOD
    QString bvaros;             // settlement name
    QString bcim;               // street, house number
    QString Bszhely;            // place of birth
    QString bszido = uresDatum; // date of birth "YYYY.MM.DD"
};

// "Férfi", "Nő": the items of the sex list, in index order.
QString nemNeve(int index);

// A settlement chosen in the settlement picker: code and name.
using Telepules = std::pair<QString, QString>;

class Betegek {
public:
    explicit Betegek(core::AppState& state);

    BetegAdatok adat;

    bool modositas() const { return modositas_; }  // modifying (true) or adding
    bool csoportNyitva() const { return nyitva_; } // the data group is shown
    bool aztCsakOlvas() const { return aztCsakOlvas_; }
    bool btajCsakOlvas() const { return btajCsakOlvas_; }

    // "Új felvitel": opens the empty data group for a new patient with
    // identifier type "1"; the focus goes to azt.
    BetegFokusz ujClick();
    // "Módosítás": opens the data group on the current patient, azt and btaj
    // read-only; the focus goes to Bnev. "Nincs módosítandó adat!" on an empty
    // register (Marad, the group stays closed).
    BetegFokusz modosClick();

    // Leaving the fields. Each shows its own message and says where the focus
    // goes: Marad when the field is accepted, the field itself when refused.
    BetegFokusz aztExit();
    BetegFokusz btajExit();
    BetegFokusz bnemExit();
    BetegFokusz bkodExit();
    BetegFokusz bszidoExit();
    // Entering the settlement name: the name of the settlement whose code is in
    // bkod (empty when there is none).
    void bvarosEnter();
    // After the settlement picker (double click on bkod): a chosen settlement
    // fills the code and the name and the focus goes to bcim, else to bkod.
    BetegFokusz bkodDblClick(const std::optional<Telepules>& chosen);

    // "Kész": checks, asks and saves. Returns the control of the first refused
    // field (the group stays open), or racs when the group was closed (saved or
    // answered "Nem").
    BetegFokusz kesz();
    // "Mégse": closes the group without saving.
    BetegFokusz megse();
    // "Törlés": deletes the current patient unless a sheet names him. True
    // when a record was deleted (the register was packed and is on its first
    // record).
    bool torolClick();

    // The identifier a patient of identifier type "0" gets: the number of
    // patients plus tajalap, or the next one up that no patient holds yet.
    QString helyettesitoAzonosito() const;
    // Does a sheet within the LAP object's standing filter name this TAJ?
    bool lapon(const QString& taj) const;

private:
    BetegFokusz bezar();
    bool telepulesVan(const QString& kod) const;

    core::AppState& st_;
    bool modositas_ = false;
    bool nyitva_ = false;
    bool aztCsakOlvas_ = false;
    bool btajCsakOlvas_ = false;
};

} // namespace masters
