#pragma once
// Tmaradfel (unit maradvany): the remainders window ("Maradvány
// megjelenítése") with the panel Tmaradkep (unit Tmarad): the list of
// MARADV (period, forints) with "Kilépés", "Új felvitel", "Módosítás",
// "Törlés", and a panel with the period and the amount that opens for adding
// or modifying one remainder. A view over masters::Remainders.

#include "masters/maintenancewindow.h"
#include "masters/remainders.h"

class QLineEdit;

namespace core {
struct AppState;
}

namespace masters {

class RemaindersWindow : public MaintenanceWindow {
    Q_OBJECT
public:
    RemaindersWindow(core::AppState& state, QWidget* mainWindow = nullptr);
    ~RemaindersWindow() override;

    Remainders& logic() { return logic_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool panelOpen() const override { return logic_.panelOpen(); }
    void ujClick() override;
    void modosClick() override;
    void torolRecord() override { logic_.torol(); }
    void BB1Click() override;
    void BB2Click() override;

private:
    void openPanel(const Remainders::Fields& f);

    Remainders logic_;
    QLineEdit* mido;
    QLineEdit* mft;
};

// Menu "&Maradványok" (Maradvnyok1Click).
void openMaradvany(core::AppState& state, QWidget* parent);

} // namespace masters
