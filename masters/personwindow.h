#pragma once
// TApolfel (unit Apolok) and TOrvosfel (unit Orvosok): the nurses' window
// ("Szakápolók megjelenítése") and the doctors' window ("Orvosok
// megjelenítése"), one build, configured by a
// PersonConfig. The list with "Kilépés", "Új felvitel", "Módosítás",
// "Törlés", and below it a panel with the key and the name field that opens
// for adding or modifying one record. A view over masters::Person.

#include "masters/maintenancewindow.h"
#include "masters/person.h"

class QLineEdit;

namespace core {
struct AppState;
}
namespace ui {
class FieldBinder;
}

namespace masters {

class PersonWindow : public MaintenanceWindow {
    Q_OBJECT
public:
    // `mainWindow`: the window this one places itself below (may be null).
    PersonWindow(core::AppState& state, const PersonConfig& config, QWidget* mainWindow = nullptr);
    ~PersonWindow() override;

    Person& logic() { return logic_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool panelOpen() const override { return logic_.panelOpen(); }
    void ujClick() override;
    void modosClick() override;
    void torolRecord() override { logic_.torol(); }
    void BB1Click() override;
    void BB2Click() override;

private:
    void openPanel(const QString& key, const QString& name, bool keyReadOnly);
    void closePanel();
    // Leaving the key field: true when the focus may go on.
    bool keyLeft();
    void kesz();
    void focusKey();

    Person logic_;
    ui::FieldBinder* fields_ = nullptr;

    QLineEdit* keyEdit_;  // Etaj / OP
    QLineEdit* nameEdit_; // Enev / Onev
};

// Menu "Sza&kápolók" (Szakpolk1Click) and "&Orvosok" (Orvosok1Click): the
// status text, then the window modally with the list only.
void openApolok(core::AppState& state, QWidget* parent);
void openOrvosok(core::AppState& state, QWidget* parent);

} // namespace masters
