#pragma once
// TApolf (unit Apolonez), Torvval (unit orvosval), Ttelepval (unit Telepul),
// Tbnoval (unit bnomut): the pickers over the master tables that the sheet
// entry window and the patient window open - the nurse picker, the doctor
// picker, the settlement picker and the BNO picker.
//
// A picker is made once and shown again and again: it lives as a child of
// the program's main window (the top window above the caller), so that what
// it remembers between showings (the settlement picker's last choice, the
// nurse picker's flag) lasts as long as the program. The logic is
// masters::RecordPick.

#include "masters/recordpick.h"

#include <QDialog>
#include <QPointer>
#include <optional>
#include <utility>

class QPushButton;

namespace core {
struct AppState;
}

namespace masters {

class BrowsePanel;

// A code (TAJ number, stamp number, KOZIGKOD, KOD10) and its name.
using CodeName = std::pair<QString, QString>;

class RecordPickWindow : public QDialog {
    Q_OBJECT
public:
    enum class Kind { Apol, Orvos, Telep, Bno };

    RecordPickWindow(core::AppState& state, Kind kind, QWidget* parent = nullptr);
    ~RecordPickWindow() override;

    // The window the picker places itself beside, and (settlement picker)
    // the caller's mode: "B" from the patient window.
    void setCaller(QWidget* caller, const QString& mode = {});

    Kind kind() const { return kind_; }
    RecordPick& logic() { return logic_; }
    BrowsePanel* panel() const { return panel_; }

    // The picker for `kind` of the main window above `caller`, made on first
    // use.
    static RecordPickWindow* of(core::AppState& state, Kind kind, QWidget* caller);

protected:
    void showEvent(QShowEvent* event) override;
    // Esc: "Mégse".
    void reject() override;

private slots:
    void BB1Click();
    void BB2Click();

private:
    Kind kind_;
    RecordPick logic_;
    QPointer<QWidget> caller_;
    QString mode_;
    BrowsePanel* panel_;
    QPushButton* BB1;
    QPushButton* BB2;
};

// The nurse picker: the chosen nurse's TAJ number and name; nullopt after
// "Mégse".
std::optional<CodeName> pickApol(core::AppState& state, QWidget* caller);
// The doctor picker: stamp number and name; nullopt when nothing was chosen.
std::optional<CodeName> pickOrvos(core::AppState& state, QWidget* caller);
// The settlement picker: KOZIGKOD and HELYNEV; `mode` "B" from the patient
// window, anything else from the sheet entry window. Left with "Mégse" it
// still gives the settlement chosen the time before; nullopt only when none
// was ever chosen.
std::optional<CodeName> pickTelepules(core::AppState& state, QWidget* caller, const QString& mode);
// The BNO picker: KOD10 and NEV; nullopt when nothing was chosen.
std::optional<CodeName> pickBno(core::AppState& state, QWidget* caller);

} // namespace masters
