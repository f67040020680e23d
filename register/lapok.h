#pragma once
// The sheet register (the window Tlapok, caption "... Elszámolási lapjai"):
// what it decides, apart from its widgets. Lapok sets the window up in one of
// its three modes (record, print selection, send selection) over the shared
// LAP table object, computes the figures panel (remainder, contracted visits
// and amounts, recorded visits and amounts), marks sheets for the shipment or
// the printout, and colours the rows by period.
//
//     reg::Lapok lapok(state);
//     if (lapok.rogzitesMod()) { ... show the window ... }
//     lapok.bezaras();              // the window closed: LAP unfiltered
//
// The register lives as long as the program: the mark toggle that the two
// bulk marking commands share is one flag for the whole run.
//
// (The namespace is `reg`: `register` is a keyword of the language.)

#include "core/idoszak.h"

#include <QString>
#include <QVariantList>
#include <cstdint>
#include <optional>

namespace core {
struct AppState;
}
namespace engine {
class Table;
}

namespace reg {

// The three uses of the window.
enum class Mod {
    Rogzites,  // record mode: "&Elszámolási lapok rögzítése"
    Nyomtatas, // print selection: "&Elszámolási lapok nyomtatása"
    Kuldes,    // send selection: "Floppy-&küldemény RAV-számára"
};

// A sheet's key: SORSZ, RESZ (empty for a full invoice), IDOSZAK.
struct LapKulcs {
    QString sorsz, resz, idoszak;
    bool operator==(const LapKulcs&) const = default;
};

// The figures panel as its static texts show it, and what is visible.
struct Figures {
    // Row 1: remainder of the period (L1 "Maradvány:", STm, L6 "eFt").
    QString STm = QStringLiteral("0,0");
    bool maradvany = true;
    bool keret = false; // "maximum keret"
    // Row 2: contracted nursing and therapy visits, amount in eFt.
    QString STszv, STszv2, STszf;
    // Row 3: recorded nursing and therapy visits, amount in eFt.
    QString STav, STiv, STtf;
    // Row 4: the territorial supplement in the amount (Ltp, STtp, Labeft).
    QString STtp;
    bool potlek = true;
    // Panel p1: contracted (STak / STsk) and recorded (STAe / STse) nursing
    // and therapy amounts in eFt.
    bool p1 = false;
    QString STak, STsk, STAe, STse;
};

// The four running sums of the recorded amounts, in forints.
struct Osszegek {
    double osszeg = 0;    // amount
    double potlek = 0;    // territorial supplement
    double apolas = 0;    // nursing amount
    double szakirany = 0; // therapy amount
};

// Row colours of the grid: rows of another period than the current one.
enum class SorSzin { Normal, Ezust, Piros };

class Lapok {
public:
    explicit Lapok(core::AppState& state);

    engine::Table& lap() const;

    // --- the mode set-ups, run by the opening commands ---
    // Record mode (Elszmolsilapokrgztse1Click, steps up to showing): false
    // when the period has no contract (the message was shown, LAP is
    // unfiltered again): the window is not shown.
    bool rogzitesMod();
    // Print-selection mode (Elszmolsilapoknyomtatsa1Click): always opens.
    void nyomtatasMod();
    // Send-selection mode, as the shipment opens it: clears every mark,
    // filters to the unsent sheets of the last four months and the pending
    // changes, figures of the marked sheets. False when clearing the marks
    // failed ("Hiba a lefutásban!" shown, the window is not shown).
    bool kuldesMod();
    // The window closed: the LAP filter off.
    void bezaras();

    Mod mod() const { return mod_; }
    bool jelolomod() const { return jelolomod_; }
    bool nyomtatomod() const { return nyomtatomod_; }
    bool szerzvan() const { return szerzvan_; }
    // The caption: county, provider code and name, the mode's suffix.
    const QString& caption() const { return caption_; }
    // The window's hint in the selection modes (empty in record mode).
    const QString& hint() const { return hint_; }
    // The status text of the opening command.
    static QString statusText(Mod mod);
    // The current period C.
    core::Idoszak idoszak() const;

    // --- the figures panel ---
    const Figures& figures() const { return fig_; }
    // Recorded visits; mode "" for the sheets of C, "M" for the marked ones.
    // False when the query failed ("Hiba a lefutásban" shown, the figures
    // kept).
    bool eddigi(const QString& mode);
    // Recorded amounts, the same modes and failure.
    bool eddigift(const QString& mode);
    // The sums eddigift showed last.
    const Osszegek& osszegek() const { return sums_; }
    // Contract figures; false when C has no contract (the message shown).
    bool szvissza();
    // The remainder of C into STm.
    void maradvany();
    // eddigi and eddigift again for the current mode: the marked sheets in
    // send-selection mode, the sheets of C otherwise. Run after a sheet was
    // saved, deleted, closed or changed.
    void frissit();

    // --- marking (PMKi) ---
    // "E" one sheet, "A" the sheets of the current month, "O" every listed
    // sheet. Marks are posted at once; the bulk ones form one unit of change.
    // Afterwards the figures of the marked sheets are recomputed (not in
    // print-selection mode) and the sheet that was current is current again.
    // False when writing failed (the message shown, nothing changed).
    bool jelol(QChar arg);
    // The toggle of the two bulk commands: true after a bulk command marked.
    bool jelolKapcsolo() const { return kapcsolo_; }

    // --- rows ---
    SorSzin sorSzin(std::uint32_t recno) const;
    // The key of the current LAP record; nullopt when there is none.
    std::optional<LapKulcs> aktualis() const;
    // Makes the sheet with that key current (when it passes the filter);
    // false when there is none.
    bool keres(const LapKulcs& key);

    // The queries of the recorded visits and amounts from 2005.02 on, for
    // the sheets of C or the marked ones, and their bound values.
    static QString eddigiSql(bool marked);
    static QString eddigiftSql(bool marked);
    static QVariantList sqlParams(core::Idoszak c, bool marked);

    // --- period texts ---
    // The period four months before `c`.
    static core::Idoszak negyHonappalKorabban(core::Idoszak c);
    // The standing filters of LAP in the three modes and of the month's sheets.
    static QString rogzitesSzuro(core::Idoszak c);
    static QString nyomtatasSzuro(core::Idoszak c);
    static QString kuldesSzuro(core::Idoszak c);
    static QString honapSzuro(core::Idoszak c, bool zartidoszak);

private:
    void setCaption(const QString& suffix);
    void setFilter(const QString& filter);
    void lapokJelolese(bool jel);

    core::AppState& st_;
    Mod mod_ = Mod::Rogzites;
    bool jelolomod_ = false;
    bool nyomtatomod_ = false;
    bool szerzvan_ = true;
    bool kapcsolo_ = false;
    QString caption_;
    QString hint_;
    Figures fig_;
    Osszegek sums_;
};

} // namespace reg
