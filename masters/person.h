#pragma once
// The two small registers of people who appear on the sheets: the nurses
// (APOL: TAJ number and name) and the doctors (ORVOS: stamp number and name).
// Both are kept by one window build with a list, "Új felvitel", "Módosítás",
// "Törlés" and a two-field panel; what tells them apart - texts, fields, the
// check of the key and when a record counts as used - is a PersonConfig.
//
// Person is what that window decides: it opens the panel, checks and
// saves what the user typed, refuses to delete someone who stands on a sheet.
// Messages go through state.msg; the window only moves the focus.

#include <QString>
#include <optional>

namespace core {
struct AppState;
}
namespace engine {
class Table;
}

namespace masters {

struct PersonConfig {
    enum class Kind { Apol, Orvos };
    Kind kind;

    QString windowName; // TApolfel, TOrvosfel
    QString caption;
    QString windowHint; // empty when the window has none
    QString statusText; // status panel 0 when opened from the menu
    QString panelLabel;

    QString keyField, nameField;     // APTAJ/ANEV, ORVOSKOD/ONEV
    QString keyControl, nameControl; // Etaj/Enev, OP/Onev
    int keyWidth;                    // 9, 5
    QString keyHint, nameHint;
    QString keszHint;
    QString ujHint, modosHint, torolHint;

    QString hianyzik; // missing data
    QString mentes;   // save question
    QString dupla;    // duplicate key
    QString hasznalt; // in use on a sheet
    QString torles;   // delete question

    bool keyIsTaj;           // the key is a TAJ number (checked by tajell)
    bool emptyKeyModifiable; // a record with an empty key may be modified
    int nameWidth = 25;      // ANEV, ONEV
};

const PersonConfig& apolConfig();
const PersonConfig& orvosConfig();

class Person {
public:
    Person(core::AppState& state, const PersonConfig& config);

    const PersonConfig& config() const { return cfg_; }
    engine::Table& table() const { return table_; }

    // Menu entry: the status text; the list shows from its first record.
    void open();

    // Is the panel of the two fields open, and for which mode?
    bool panelOpen() const { return panelOpen_; }
    bool modifying() const { return modifying_; }

    struct Fields {
        QString key, name;
    };

    // "Új felvitel": the panel opens with both fields empty, the key editable.
    void uj();
    // "Módosítás": the fields of the current record, the key read-only;
    // nullopt (after an error box) when there is nothing to modify.
    std::optional<Fields> modos();
    // Leaving the key field: false (after the warning) when the focus must
    // go back to it. Only the nurses' TAJ number is checked.
    bool keyExit(const QString& key);

    enum class Save {
        Saved,    // written; the panel closed
        Declined, // "Nem" to the save question; the panel closed
        Refused   // a warning was shown; the panel stays, focus on the key
    };
    // "Kész".
    Save kesz(const QString& key, const QString& name);
    // "Mégse": closes the panel without saving.
    void megse();

    // "Törlés" on the current record: true when it was deleted.
    bool torol();
    // Does a sheet refer to this key? Throws engine::DbError when the query
    // cannot run.
    bool inUse(const QString& key) const;

private:
    core::AppState& st_;
    const PersonConfig& cfg_;
    engine::Table& table_;
    bool panelOpen_ = false;
    bool modifying_ = false;
    quint32 editedRecno_ = 0; // the record "Módosítás" opened
};

} // namespace masters
