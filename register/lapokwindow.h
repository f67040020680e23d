#pragma once
// Tlapok (unit lapok): the sheet register window, a thin view over
// reg::Lapok. Above, the figures panel; below, the sheet list (the shared
// browse panel Lapkep1 with the grid DBGlap); at the bottom the buttons
// "Nyomtatás", "Adatküldés" and "Kilépés". The context menu of the grid is
// PMlap in record mode (the sheet commands) and PMKi in the selection modes
// (marking).
//
// One window for the program's run (the main window makes it once): the
// marks' toggle lives in its logic.
//
// Plugging in. The sheet commands are the named actions of PMlap; connect to
// their triggered() signal:
//
//     connect(w->action("Teljesszmla1"), &QAction::triggered, ...);
//
// "Teljesszmla1", "Elsrszszmla1", "Kvetkezrszszmla1", "Mdosts1", "Trls1",
// "Megtekints1", "talakt1", "Lezrs1", "Rszszmlafelolds1". They fire only in
// record mode (Enter and double click fire "Mdosts1" there). The marking
// items of PMKi ("Egylapkivlasztsa1", "Adotthnap1", "Aktulisvlapjai1") are
// wired to the logic already. The buttons "kuld" (send mode) and "nyomtat"
// (print mode) are reachable through kuldButton() and nyomtatButton().
// After a command changed sheets: refreshFigures(), and reread() (or
// reread(key) when the command removed or renumbered records).

#include "register/lapok.h"
#include "register/lapparancsok.h"

#include <QDialog>
#include <QPointer>
#include <functional>
#include <memory>
#include <optional>

class QAction;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;

namespace core {
struct AppState;
}
namespace masters {
class BrowsePanel;
}
namespace sheet {
class LezaridoDialog;
}

namespace reg {

class JavitWindow;
class ReszlapWindow;

class LapokWindow : public QDialog {
    Q_OBJECT
public:
    // `mainWindow`: the window this one stands below (may be null).
    LapokWindow(core::AppState& state, QWidget* mainWindow = nullptr);
    ~LapokWindow() override;

    Lapok& logic() { return logic_; }
    masters::BrowsePanel* panel() const { return Lapkep1; }
    Mod mode() const { return logic_.mod(); }

    // --- the opening commands: set the mode up, show modally, unfilter ---
    // Elszmolsilapokrgztse1Click; not shown when the period has no contract.
    void openRogzites();
    // Elszmolsilapoknyomtatsa1Click.
    void openNyomtatas();
    // The shipment's opening, after its own checks (the last closing).
    void openKuldes();
    // Sets the widgets for the mode the logic is in (called by the above;
    // tests call it after setting the logic up themselves).
    void setUpMode();

    // --- for the commands that plug in ---
    // An action of PMlap or PMKi by its name; null for an unknown name.
    QAction* action(const QString& name) const;
    QMenu* PMlapMenu() const { return PMlap; }
    QMenu* PMKiMenu() const { return PMKi; }
    QPushButton* kuldButton() const { return kuld; }
    QPushButton* nyomtatButton() const { return nyomtat; }
    QPushButton* kilepButton() const { return kilep; }
    // The current sheet's key; nullopt when the list is empty.
    std::optional<LapKulcs> currentSheet() const { return logic_.aktualis(); }
    // The recorded figures again for the mode (Lapok::frissit) and shown.
    void refreshFigures();
    // Shows the logic's figures as they are.
    void showFigures();
    // The list read again, the cursor on the sheet that was current.
    void reread();
    // The list read again, the cursor on the given sheet (when it is gone,
    // where the table stands).
    void reread(const LapKulcs& key);

    // The figures (STm, STszv, ...) and their labels ("Ltp", "keret") by
    // control name, and the text each shows.
    QWidget* figure(const QString& name) const;
    QString figureText(const QString& name) const;
    QWidget* p1Panel() const { return p1; }

    // --- the sheet commands of PMlap (reg::LapParancsok) ---
    LapParancsok& parancsok() { return *parancsok_; }
    // The entry window Tlapuj: shows the prepared model modally with the
    // caption and saves it. Until it is set, new sheets, the next partial
    // invoice and the modification prepare the model and show nothing.
    void setLapuj(std::function<void(sheet::LapModel&, const QString&)> lapuj) {
        lapuj_ = std::move(lapuj);
    }
    // The list windows of two commands, made at their first use: each is a
    // grid over the sheets, which the register's opening does not need.
    ReszlapWindow* reszlapWindow();
    JavitWindow* javitWindow();
    sheet::LezaridoDialog* leidoDialog() const { return leido_; }

public slots:
    // kilepClick: closes the window.
    void kilepClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void buildFigures(QFrame* frame);
    void buildMenus();
    void enterChoice();
    void jelolClick(QChar arg);
    void contextMenu(const QPoint& pos);
    // After a window this one opened has closed: active again, the keyboard
    // in the list.
    void retakeKeyboard();
    void wireCommands();

    core::AppState& st_;
    Lapok logic_;
    QPointer<QWidget> main_;

    masters::BrowsePanel* Lapkep1 = nullptr;
    QPushButton* kilep = nullptr;
    QPushButton* kuld = nullptr;
    QPushButton* nyomtat = nullptr;
    QMenu* PMlap = nullptr;
    QMenu* PMKi = nullptr;
    QMenu* jfelvitel1 = nullptr;
    QWidget* p1 = nullptr;
    QLabel *L1 = nullptr, *L6 = nullptr, *keret = nullptr;
    QLineEdit* STm = nullptr;
    QLineEdit *STszv = nullptr, *STszv2 = nullptr, *STszf = nullptr;
    QLineEdit *STav = nullptr, *STiv = nullptr, *STtf = nullptr;
    QLabel *Ltp = nullptr, *Labeft = nullptr;
    QLineEdit* STtp = nullptr;
    QLineEdit *STak = nullptr, *STsk = nullptr, *STAe = nullptr, *STse = nullptr;

    std::unique_ptr<LapParancsok> parancsok_;
    std::function<void(sheet::LapModel&, const QString&)> lapuj_;
    ReszlapWindow* reszlap_ = nullptr;
    JavitWindow* javit_ = nullptr;
    sheet::LezaridoDialog* leido_ = nullptr;
};

} // namespace reg
