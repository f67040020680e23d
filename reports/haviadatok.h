#pragma once
// The figures of the monthly summary that goes with the shipment: the rows of
// the sent sheets grouped by provider, order ordinal, activity, care type,
// self-care category, change kind and territorial supplement, counted into
// the eleven activity boxes, the fee categories of the layout in force and
// the correction, cancellation and late totals. Plain arithmetic, no fonts:
// the report only formats what this class holds.

#include "core/idoszak.h"
#include "sheet/dijszorzo.h"

#include <QString>
#include <QVariant>
#include <array>
#include <optional>
#include <vector>

namespace reports {

// One row of the query `havi`.
struct HaviSor {
    QString intkod;
    QVariant elszam;  // the sheet's order ordinal
    QString tpotl;    // "I" with territorial supplement, "N" without
    QString tevkod;   // activity code
    QVariant elltip;  // care type
    QVariant onkep;   // self-care category
    qint64 vizit = 0; // visits
    QString modtipus; // change kind: empty, "K", "S", "L", "P"
};

// Thavil for periods before 2009.01 (ten fee cells in four categories),
// Thavil2 from 2009.01 (eight cells in three categories, with subtotals).
enum class HaviForma { Thavil, Thavil2 };
HaviForma haviForma(core::Idoszak p);

// The box (1 to 11) an activity code counts in: "1", "2", "4", "5", "6",
// "7", "10", "11" their own, a code beginning with "3", "8" or "9" that box
// ("3a" and "3b" in 3); nullopt for any other ("12").
std::optional<int> tevekenysegDoboz(const QString& tevkod);

// The number typed into the order-sheet dialog: blanks around it allowed,
// digits only; nullopt for anything else (a sign, a letter, too large).
std::optional<int> elrendeloLapSzam(const QString& text);

// One cell of a fee category: a self-care column with its multiplier.
struct HaviCella {
    int onkep = 0;       // 1 to 3
    double szorzo = 0;   // the fee multiplier
    qint64 n = 0;        // visits without territorial supplement
    qint64 t = 0;        // visits with it
    double ft = 0;       // alapdij × n × m + alapdij × t × m × 1,1, unrounded
    double vizitdij = 0; // alapdij × (n + t) × m
    double potlek = 0;   // alapdij × t × m × 0,1
};

struct HaviKategoria {
    QString nev;  // "Szakápolás 1-14 vizitig"
    QString jel;  // the label names' middle part: "12" for viz121, viz121t, ft121
    QString resz; // the subtotal's names: "1" for oviz1, oviz1t, ft1; empty without
    std::vector<HaviCella> cellak;

    qint64 n() const;
    qint64 t() const;
    double ft() const;
};

class HaviAdatok {
public:
    // The categories of the layout of period p, every counter 0.
    HaviAdatok(core::Idoszak p, int alapdij);

    void add(const HaviSor& sor);
    void add(const std::vector<HaviSor>& sorok) {
        for (const HaviSor& s : sorok)
            add(s);
    }

    HaviForma forma() const { return forma_; }
    core::Idoszak idoszak() const { return p_; }
    int alapdij() const { return alapdij_; }
    const std::vector<HaviKategoria>& kategoriak() const { return kat_; }
    // Box 1 to 11 (0 outside).
    qint64 doboz(int n) const { return n >= 1 && n <= 11 ? dobozok_[size_t(n - 1)] : 0; }
    qint64 korrekcio() const { return korrekcio_; }
    qint64 sztorno() const { return sztorno_; } // negative
    qint64 potvizit() const { return potvizit_; }

    qint64 ovizit() const; // every n and t
    double osszft() const; // every amount, forints
    double vizft() const;  // the visit fees, forints
    double tpft() const;   // the territorial supplements, forints

private:
    HaviForma forma_;
    core::Idoszak p_;
    int alapdij_;
    std::vector<HaviKategoria> kat_;
    std::array<qint64, 11> dobozok_{};
    qint64 korrekcio_ = 0, sztorno_ = 0, potvizit_ = 0;
};

} // namespace reports
