#pragma once
// Tbetegfel (unit Betegek): the patients window ("Betegek megjelenítése"),
// the patient list with "Új felvitel", "Módosítás", "Törlés" and "Kilépés", and the data group
// GBox1 that opens below the list for one patient. A view over
// masters::Betegek: the controls are read into its BetegAdatok before each
// step and written back after it, and the focus goes where the step says.

#include "masters/betegek.h"
#include "masters/maintenancewindow.h"

#include <functional>
#include <optional>

class QComboBox;
class QLineEdit;

namespace core {
struct AppState;
}
namespace ui {
class FieldBinder;
struct FieldExit;
} // namespace ui

namespace masters {

// The settlement picker (Ttelepval in its patient mode "B"), opened by a double
// click on the settlement code; `patientWindow` is the window it places itself
// beside. nullopt (or an empty code) when nothing was chosen.
using TelepulesValaszto = std::function<std::optional<Telepules>(QWidget* patientWindow)>;

class BetegekWindow : public MaintenanceWindow {
    Q_OBJECT
public:
    // `anchor`: the main window; this one places itself 50 pixels below and
    // 10 to the right of its top left corner.
    BetegekWindow(core::AppState& state, QWidget* anchor = nullptr);
    ~BetegekWindow() override;

    void setTelepulesValaszto(TelepulesValaszto pick) { pickTelepules_ = std::move(pick); }

    Betegek& logic() { return logic_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool panelOpen() const override { return logic_.csoportNyitva(); }
    void ujClick() override;
    void modosClick() override;
    void torolRecord() override { logic_.torolClick(); }
    void BB1Click() override;
    void BB2Click() override;

private:
    // The fields' steps and rules.
    void bindFields(core::AppState& state);
    void olvas(); // controls -> model
    void mutat(); // model -> controls
    QWidget* mezo(BetegFokusz f) const;
    void fokusz(BetegFokusz f);
    // Opens the data group with the focus on `f`.
    void csoportNyit(BetegFokusz f);
    void csoportZar();
    // "Kész" proper: the save with its checks (Enter in the birth date).
    void kesz();
    // The leave step of a field of the group: where it sends the focus.
    ui::FieldExit kilepes(BetegFokusz mezo);
    void bkodDblClick();

    Betegek logic_;
    TelepulesValaszto pickTelepules_;
    ui::FieldBinder* fields_ = nullptr;

    QLineEdit* azt;
    QLineEdit* btaj;
    QLineEdit* Bnev;
    QComboBox* bnem;
    QLineEdit* bkod;
    QLineEdit* bvaros;
    QLineEdit* bcim;
    QLineEdit* Bszhely;
    QLineEdit* bszido;
};

// Menu "&Adatok" -> "&Alapadatok" -> "&Betegek" (Betegek1Click): the window
// with the list only, modally. `parent` is the main window; `pickTelepules`
// opens the settlement picker for a double click on the settlement code
// (without it the double click only puts the focus back on the code).
void openBetegek(core::AppState& state, QWidget* parent, TelepulesValaszto pickTelepules = {});

} // namespace masters
