#pragma once
// The remainders window Tmaradfel ("Maradvány megjelenítése"): the list of
// MARADV (period, forints) with "Kilépés", "Új felvitel", "Módosítás",
// "Törlés", and a panel with the period and the amount that opens for adding
// or modifying one remainder. A view over masters::RemainderRegister.

#include "masters/remainders.h"

#include <QDialog>
#include <QPointer>

class QFrame;
class QLineEdit;
class QPushButton;

namespace app {
struct AppState;
}

namespace masters {

class BrowsePanel;

class RemaindersWindow : public QDialog {
    Q_OBJECT
public:
    RemaindersWindow(app::AppState& state, QWidget* mainWindow = nullptr);
    ~RemaindersWindow() override;

    RemainderRegister& logic() { return logic_; }
    BrowsePanel* panel() const { return maradkep1; }

protected:
    void showEvent(QShowEvent* event) override;
    // Esc: "Mégse" while the panel is open, else "Kilépés".
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void kilepClick();
    void ujClick();
    void modosClick();
    void torolClick();
    void BB1Click();
    void BB2Click();

private:
    void openPanel(const RemainderRegister::Fields& f);
    void closePanel();

    RemainderRegister logic_;
    QPointer<QWidget> main_;

    BrowsePanel* maradkep1;
    QPushButton* kilep;
    QPushButton* uj;
    QPushButton* modos;
    QPushButton* torol;
    QFrame* Panel1;
    QLineEdit* mido;
    QLineEdit* mft;
    QPushButton* BB1;
    QPushButton* BB2;
};

// Menu "&Maradványok" (Maradvnyok1Click).
void openMaradvany(app::AppState& state, QWidget* parent);

} // namespace masters
