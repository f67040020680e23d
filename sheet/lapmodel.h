#pragma once
// The accounting sheet as the entry window Tlapuj (unit lapfeluj) holds it:
// every header field as the text its control shows, the day grid as arrays
// indexed by day, and the state the register sets before showing the window.
// Plain data: the checks (sheet/lapcheck*, the day grid, the complete check)
// read and correct it, the saver writes it into LAP, ELREND, LAPB, BETEG and
// ORVOS, the register's commands fill it, and the window binds its widgets to
// it. Member names are the control names of the window.

#include <QString>
#include <array>

namespace sheet {

// What a field check decided: whether the value passed, and which control
// takes the focus next ("m_taj", "ellt5", "m_elrend"; the window switches to
// the page that holds it). An empty focus lets the focus move on as the user
// moved it.
struct CheckResult {
    bool ok = true;
    QString focus;
};

struct LapModel {
    static constexpr int maxNapok = 31;

    // --- State set by the register before the window is shown ---
    QString lapsorsz;      // SORSZ, five characters
    QString lapresz;       // RESZ: empty for a full invoice, "A", "B", ...
    QString laptipus;      // kind of a new sheet, "T" or "E"
    int napokszama = 31;   // days of the sheet's month, 28 to 31
    bool szerkesztheto = true; // the fields may be edited (false when viewing)
    bool modositas = false;    // an existing sheet is being changed

    // --- State kept by the window ---
    bool betegtorzsbol = false; // the TAJ was found in BETEG: patient checks off
    QString orvostipus;         // which doctor the picker fills: "E" or "J"
    int vizitszam = 0;          // visits counted by the day-grid check (SZVIZ)

    // --- Static texts at the top ---
    QString m_sorsz; // serial number and part letter, "00001A"
    QString m_idosz; // the sheet's period "YYYY.MM"

    // --- Page 1, "A beteg adatai" ---
    QString m_aztip;    // identifier type, "1" = TAJ number
    QString m_taj;      // TAJ number or substitute identifier
    QString m_nev;      // patient's name
    int bnem = -1;      // sex: -1 no selection, 0 "Férfi", 1 "Nő"
    QString m_kozigkod; // settlement code
    QString m_cim1;     // settlement name
    QString m_cim2;     // street address
    QString m_szh;      // place of birth
    QString m_szido;    // date of birth "YYYY.MM.DD"
    bool CB1 = false;   // territorial supplement
    QString m_terkat;   // payment category (from 2016.01)
    QString m_allp;     // citizenship (from 2016.01)

    // --- Page 1, "Diagnózisok" ---
    QString m_fekvd;  // inpatient diagnosis (kind 1)
    QString m_fekdat; // discharge date
    QString m_fapnap; // days of inpatient care
    QString m_alapb;  // underlying disease (kind 5)
    QString m_kiserd; // accompanying disease (kind 4)
    QString m_fodiag; // main diagnosis (kind 3)
    QString m_ellatd; // factor influencing the care (kind 6)
    // The names of the codes beside the fields.
    QString bno1, bno2, bno3, bno4, bno5;

    // --- Page 1, "Orvos adatok" ---
    QString m_eorv; // ordering doctor's stamp number
    QString orv1;   // ordering doctor's name
    QString m_jorv; // proposing doctor's stamp number
    QString orv2;   // proposing doctor's name

    // --- Page 2, "Az elrendelés adatai" ---
    QString m_elrend;  // date of the order
    QString m_szakvet; // start of the nursing care
    QString m_elviz;   // visits ordered
    QString m_gyak;    // frequency of the visits
    QString m_elszam;  // ordinal of the order
    QString m_elszviz; // visits of this order accounted before

    // --- Page 2, "Az ápolás adatai" ---
    QString m_lezdat;  // closing date of the care episode
    QString m_engszam; // county office's permit number, "0" = none
    QString m_engdat;  // date of the permit
    QString Etev;      // activity text (TEVKODOK), positional
    int CB2 = -1;      // self-care category: -1 none, 0..2 -> ONKEP 1..3

    // --- Page 3, the day grid (index 0 = day 1) ---
    std::array<QString, maxNapok> apdat; // date of the day "YYYY.MM.DD"
    std::array<QString, maxNapok> ellt;  // care type
    std::array<QString, maxNapok> tevk;  // main activity
    std::array<QString, maxNapok> aptaj; // nurse's TAJ number
    QString vszam;  // "Vizitszám": complete rows after the last nurse field
    QString vszame; // "Előző részszámlák": visits on earlier parts
    bool vszameVisible = false;
};

} // namespace sheet
