#pragma once
// The patient picker Tbetegval (unit betegmut) without its window: what it
// hands back to the sheet entry window and the TAJ prompt of the lists.

#include <QString>

namespace core {
struct AppState;
}

namespace masters {

// What the patient picker hands back: the chosen patient's fields as text.
// An empty taj means that nothing was chosen.
struct BetegValasztas {
    QString taj, aztip, nev, neme, kozigkod, cime1, cime2, szulh;
    QString szuli; // "YYYY.MM.DD", empty when the field is
};

// The picker Tbetegval without its window.
class BetegValaszto {
public:
    explicit BetegValaszto(core::AppState& state) : st_(state) {}

    const BetegValasztas& eredmeny() const { return eredmeny_; }
    // On showing: nothing chosen yet.
    void aktival() { eredmeny_ = {}; }
    // "Választ": the current BETEG record (nothing on an empty register).
    void valaszt();
    // "Mégse": the result stays as it is (empty after aktival).
    void megse() {}

private:
    core::AppState& st_;
    BetegValasztas eredmeny_;
};

} // namespace masters
