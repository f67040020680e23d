#pragma once
// The selections of the TAJ check lists without their windows: the TAJ
// prompt Ttajsz (unit tajbe, "TAJ-szám bekérése") for one patient and the
// period prompt Ttajido (unit tajidobe, "Időszak bekérése") for all patients
// of the provider.

#include "core/idoszak.h"

#include <QString>
#include <optional>

namespace ui {
class Messages;
}

namespace reports {

// Ttajsz.
class Tajsz {
public:
    explicit Tajsz(ui::Messages& msg) : msg_(msg) {}

    // Leaving E1: a number whose check digit is wrong gets "CDV hiba!" and
    // false (the focus goes back); a blank passes.
    bool e1Exit(const QString& e1);
    // "OK": the TAJ number to list, or nothing after "Nincs TAJ-szám
    // megadva!". The dialog closes either way.
    std::optional<QString> ok(const QString& e1);

private:
    ui::Messages& msg_;
};

// What the all-patients list covers.
struct TajIdoszak {
    enum class Fajta { Teljes, Aktualis, Valasztott };
    Fajta fajta = Fajta::Teljes;
    core::Idoszak tol; // Valasztott: the first period
};

// Ttajido: the radio group RG1 and the field ID1.
class Tajido {
public:
    enum class Valasztas { Nincs = -1, Teljes = 0, Aktualis = 1, Valasztott = 2 };

    explicit Tajido(ui::Messages& msg) : msg_(msg) {}

    // ID1 is usable only for "Választott időszaktól".
    static bool id1Enabled(Valasztas v) { return v == Valasztas::Valasztott; }
    // "OK": the span, or nothing after the refusal's message ("Ez még kevés
    // lesz ...", "Számokkal kéne megoldani ...", "Nem adhat meg 1999.04 hónál
    // kisebb dátumot!", "Csak 12 hónap van egy évben sajna ...", "Nincs
    // megadva idoszak!").
    std::optional<TajIdoszak> ok(Valasztas v, const QString& id1);

private:
    ui::Messages& msg_;
};

} // namespace reports
