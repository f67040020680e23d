#pragma once
// The remainders (MARADV): one amount in forints per accounting period, kept
// in the window Tmaradfel ("Maradvány megjelenítése"). Remainders is
// what that window decides; the window binds the period field `mido` and the
// amount field `mft` to it.

#include <QString>
#include <optional>

namespace core {
struct AppState;
}
namespace engine {
class Table;
}

namespace masters {

class Remainders {
public:
    explicit Remainders(core::AppState& state);

    engine::Table& table() const;

    // Menu entry (Maradvnyok1Click): the status text, the list in period
    // order from its first record.
    void open();

    bool panelOpen() const { return panelOpen_; }
    bool modifying() const { return modifying_; }

    struct Fields {
        QString mido; // period "YYYY.MM", read-only
        QString mft;  // forints
    };

    // "Új felvitel": the current period and an empty amount.
    Fields uj();
    // "Módosítás": the current record's period and amount.
    Fields modos();

    enum class Save {
        Saved,    // written; the panel closed
        Declined, // "Nem" to the save question; the panel closed
        Refused   // a warning was shown; the panel stays, focus on mft
    };
    // "Kész".
    Save kesz(const QString& mido, const QString& mft);
    // "Mégse".
    void megse();
    // "Törlés": true when the current record was deleted.
    bool torol();

private:
    core::AppState& st_;
    bool panelOpen_ = false;
    bool modifying_ = false;
    quint32 editedRecno_ = 0;
};

} // namespace masters
