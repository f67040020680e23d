#pragma once
// The nurses' window TApolfel ("Szakápolók megjelenítése") and the doctors'
// window TOrvosfel ("Orvosok megjelenítése"): one build, configured by a
// PersonConfig. The list with "Kilépés", "Új felvitel", "Módosítás",
// "Törlés", and below it a panel with the key and the name field that opens
// for adding or modifying one record. A view over masters::PersonRegister.

#include "masters/personregister.h"

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

class PersonWindow : public QDialog {
    Q_OBJECT
public:
    // `mainWindow`: the window this one places itself below (may be null).
    PersonWindow(app::AppState& state, const PersonConfig& config, QWidget* mainWindow = nullptr);
    ~PersonWindow() override;

    PersonRegister& logic() { return logic_; }
    BrowsePanel* panel() const { return browse_; }

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
    void openPanel(const QString& key, const QString& name, bool keyReadOnly);
    void closePanel();
    // Leaving the key field: true when the focus may go on.
    bool keyLeft();
    void kesz();
    void focusMoved(QWidget* old, QWidget* now);
    void focusKey();

    app::AppState& st_;
    PersonRegister logic_;
    QPointer<QWidget> main_;
    bool steering_ = false; // the window moves the focus itself

    BrowsePanel* browse_;
    QPushButton* kilep;
    QPushButton* uj;
    QPushButton* modos;
    QPushButton* torol;
    QFrame* Panel1;
    QLineEdit* keyEdit_;  // Etaj / OP
    QLineEdit* nameEdit_; // Enev / Onev
    QPushButton* BB1;
    QPushButton* BB2;
};

// Menu "Sza&kápolók" (Szakpolk1Click) and "&Orvosok" (Orvosok1Click): the
// status text, then the window modally with the list only.
void openApolok(app::AppState& state, QWidget* parent);
void openOrvosok(app::AppState& state, QWidget* parent);

} // namespace masters
