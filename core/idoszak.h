#pragma once
// An accounting period: a calendar month, "YYYY.MM" in the tables and on
// screen, "YYYYMM" in the county office's files. A small value type so that
// period arithmetic (a month before or after, first and last day, the
// cut-overs below) is written once.

#include <QDate>
#include <QString>

#include <compare>
#include <optional>

namespace core {

class Idoszak {
public:
    // An invalid period (isValid() false, text() empty).
    constexpr Idoszak() = default;
    constexpr Idoszak(int year, int month) : ev_(year), ho_(month) {
        if (month < 1 || month > 12 || year < 1 || year > 9999) ev_ = ho_ = 0;
    }

    // "YYYY.MM" (the point may be any single character, as older tables have
    // it); anything else gives std::nullopt. Leading and trailing blanks are
    // ignored.
    static std::optional<Idoszak> parse(QStringView text);
    // "YYYYMM", as the county office writes a period; std::nullopt otherwise.
    static std::optional<Idoszak> parseCompact(QStringView text);
    // Either form.
    static std::optional<Idoszak> parseAny(QStringView text);
    // As parse, but an invalid period for a text that is none (a table's
    // field, where a blank or a broken value simply matches no period).
    static Idoszak fromText(QStringView text) { return parse(text).value_or(Idoszak()); }
    // The month of a date; invalid for an invalid date.
    static Idoszak of(const QDate& d) {
        return d.isValid() ? Idoszak(d.year(), d.month()) : Idoszak();
    }

    constexpr bool isValid() const { return ho_ != 0; }
    constexpr int year() const { return ev_; }
    constexpr int month() const { return ho_; }

    QString text() const;        // "YYYY.MM"; empty when invalid
    QString compactText() const; // "YYYYMM"; empty when invalid

    // n months later (n < 0: earlier).
    constexpr Idoszak plusMonths(int n) const {
        if (!isValid()) return {};
        const int idx = ev_ * 12 + (ho_ - 1) + n;
        return idx < 12 ? Idoszak() : Idoszak(idx / 12, idx % 12 + 1);
    }
    // Months from other to this (this - other).
    constexpr int monthsSince(Idoszak other) const {
        return (ev_ * 12 + ho_) - (other.ev_ * 12 + other.ho_);
    }

    QDate firstDay() const { return isValid() ? QDate(ev_, ho_, 1) : QDate(); }
    QDate lastDay() const {
        return isValid() ? QDate(ev_, ho_, QDate(ev_, ho_, 1).daysInMonth()) : QDate();
    }
    int dayCount() const { return isValid() ? QDate(ev_, ho_, 1).daysInMonth() : 0; }
    bool contains(const QDate& d) const { return d.isValid() && Idoszak::of(d) == *this; }

    friend constexpr bool operator==(Idoszak, Idoszak) = default;
    friend constexpr auto operator<=>(const Idoszak& a, const Idoszak& b) {
        return (a.ev_ * 12 + a.ho_) <=> (b.ev_ * 12 + b.ho_);
    }

private:
    int ev_ = 0;
    int ho_ = 0;
};

// The periods from which the fund's rules change. Each is the first period of
// the new rule.
namespace hatar {
// The first period the program keeps sheets of (LAP's standing filter) and
// the earliest month the identifier list may be asked for.
inline constexpr Idoszak elsoElfogadott{1999, 4};
// The first period for which a sheet may be recorded; the contracts shown
// start on its first day.
inline constexpr Idoszak elsoLap{1999, 6};
// Remainders (MARADV) shown on the register's figures.
inline constexpr Idoszak maradvany{2003, 3};
// The territorial supplement shown apart from the amount on the register's
// figures (before it, within the amount).
inline constexpr Idoszak potlekKulon{2004, 1};
// New sheet layout; older sheets keep the eighteen visit slots (LAPOLD).
inline constexpr Idoszak ujLapforma{2005, 2};
// Old-layout sheets are printed (Telszlr) only in periods before this one.
inline constexpr Idoszak regiLapNyomtatas{2006, 1};
// New sheets and next partial invoices are recorded from this period on.
inline constexpr Idoszak ujLapRogzites{2008, 1};
// New weights for repeated therapy orders; the monthly summary's new layout.
inline constexpr Idoszak ujSzorzok{2009, 1};
// New visit and diagnosis file layouts (IDOSZAK, FINKOD); the new activity list.
inline constexpr Idoszak ujKuldemeny{2009, 9};
// From the month of today on, a sheet may be corrected for five months back
// instead of four.
inline constexpr Idoszak otHonapKorrekcio{2011, 1};
// Capacity counted by the new frames (after 2011.12).
inline constexpr Idoszak ujKapacitas{2012, 1};
// The register's figures show the contract's nursing and therapy shares.
inline constexpr Idoszak keretMegosztas{2012, 5};
// The shares become 70 % and 50 % of the whole frame ("maximum keret").
inline constexpr Idoszak maximumKeret{2012, 12};
// Identifier type, payment category and citizenship; the "UJ" file templates;
// the longer correction limit.
inline constexpr Idoszak azonositoTipus{2016, 1};
// The fund's office is called ZAPO instead of ULV on printouts.
inline constexpr Idoszak zapo{2017, 1};
} // namespace hatar

} // namespace core
