#pragma once
// What a picker over one master table hands back to its caller: the key and
// the name of the record chosen with "Választ". The four pickers differ only
// in what they forget when they are shown again:
//
//   nurse picker (TApolf)         keeps key and name; a chosen flag says
//                                 whether the last showing ended in a choice
//   doctor picker (Torvval)       empties the key: an empty key = no choice
//   settlement picker (Ttelepval) forgets nothing: after "Mégse" the
//                                 previous choice is still the result
//   BNO picker (Tbnoval)          empties the key
//
// A picker lives as long as the program (it is shown again and again), so
// one RecordPick object serves all its showings.

#include <QString>

namespace core {
struct AppState;
}
namespace engine {
class Table;
}

namespace masters {

class RecordPick {
public:
    enum class OnShow { Keep, ClearKey };

    RecordPick(engine::Table& table, const QString& keyField, const QString& nameField,
               OnShow onShow);

    static RecordPick apol(core::AppState& state);  // APTAJ, ANEV
    static RecordPick orvos(core::AppState& state); // ORVOSKOD, ONEV
    static RecordPick telep(core::AppState& state); // KOZIGKOD, HELYNEV
    static RecordPick bno(core::AppState& state);   // KOD10, NEV

    engine::Table& table() const { return *table_; }

    // The picker is shown.
    void activate();
    // "Választ": the current record's key and name become the result. On an
    // empty table nothing is chosen.
    void valaszt();
    // "Mégse" (and Esc).
    void megse();

    const QString& key() const { return key_; }
    const QString& name() const { return name_; }
    // True after "Választ", false after "Mégse".
    bool chosen() const { return chosen_; }

private:
    engine::Table* table_;
    QString keyField_, nameField_;
    OnShow onShow_;
    QString key_, name_;
    bool chosen_ = false;
};

} // namespace masters
