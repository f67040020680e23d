#pragma once
// Tlapuj (unit lapfeluj): the sheet entry window "Elszámolási lap rögzítése"
// / "módosítása" / "megtekintése". Three pages: the patient, the diagnoses
// and the doctors; the order and the care episode; the day grid. A view over
// a LapModel: the register and the commands fill it with loadModel() and read
// it with model(); every field's exit check is LapCheck's, and the window
// only moves the focus where a check sends it (through ui::FieldBinder).
//
// The rules of the day grid and "Mentés" are plugged in from outside: the
// window calls the day hooks when a day field is left or double-clicked and
// the save hook when "Mentés" is pressed.

#include "sheet/lapcheck.h"
#include "sheet/lapmodel.h"

#include <QDialog>
#include <QPointer>
#include <array>
#include <functional>
#include <optional>
#include <utility>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QToolButton;

namespace core {
struct AppState;
}
namespace masters {
struct BetegValasztas;
}
namespace ui {
class FieldBinder;
struct FieldExit;
} // namespace ui

namespace sheet {

class LapujWindow : public QDialog {
    Q_OBJECT
public:
    explicit LapujWindow(core::AppState& state, QWidget* parent = nullptr);
    ~LapujWindow() override;

    // The window of the main window above `caller`, made on first use and
    // reused for every sheet.
    static LapujWindow* of(core::AppState& state, QWidget* caller);

    // --- The sheet ---

    // Fills every field and the state from a model, sets the caption, enables
    // or disables the field groups and "Mentés" (szerkesztheto), hides the
    // day rows the month does not have, and shows page "1.oldal".
    void loadModel(const LapModel& model);
    // loadModel(), the caption when one is given (the register's text), and
    // the window shown modally; the dialog's result.
    int open(const LapModel& model, const QString& felirat = {});
    // The sheet as the fields hold it now (read from the widgets first). A
    // caller that changes it calls refresh() to show the change.
    LapModel& model();
    void refresh();
    LapCheck& check() { return check_; }

    // The window the entry window places itself below (the register).
    void setAnchor(QWidget* w) { anchor_ = w; }

    // --- Pickers: the masters pickers unless replaced (tests) ---

    using CodeName = std::pair<QString, QString>;
    struct Pickers {
        std::function<masters::BetegValasztas(QWidget*)> beteg;     // sheet mode
        std::function<std::optional<CodeName>(QWidget*)> telepules; // mode "L"
        std::function<std::optional<CodeName>(QWidget*)> bno;
        std::function<std::optional<CodeName>(QWidget*)> orvos;
        std::function<QString(QWidget*)> tevekenyseg; // Ttevki
    };
    void setPickers(Pickers p) { pickers_ = std::move(p); }

    // --- Page 3 and saving: hooks ---

    enum class DayField { Ellt, Tevk, Aptaj };
    // Leaving a day field (ellt1Exit, tevk1Exit, aptaj1Exit); `day` 1..31.
    // The model holds the fields when the hook runs; what the hook changes
    // in it is shown afterwards and the focus goes where it says.
    using DayHook = std::function<CheckResult(DayField kind, int day)>;
    void onDayFieldExit(DayHook hook) { dayExit_ = std::move(hook); }
    // A double click on a day field (the pickers of the day grid).
    void onDayFieldDoubleClick(DayHook hook) { dayDoubleClick_ = std::move(hook); }
    // "Mentés" (mentClick).
    void onMentes(std::function<void()> hook) { mentes_ = std::move(hook); }
    // FormClose: the window closes, whichever way.
    void onClose(std::function<void()> hook) { close_ = std::move(hook); }

    // --- Controls ---

    // A control by its name ("m_taj", "CB2", "ellt5", "ment").
    QWidget* control(const QString& name) const;
    QLineEdit* dayField(DayField kind, int day) const;
    QTabWidget* pages() const { return pages_; }
    ui::FieldBinder& fields() { return *fields_; }
    // Moves the focus into a control by its name, switching the page.
    bool focusControl(const QString& name);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int r) override;

private:
    struct TextField {
        const char* name;
        QString LapModel::*member;
    };

    void build();
    QWidget* buildPage1();
    // The groups of the first page; each registers its fields.
    QGroupBox* buildBetegGroup(QWidget* page, int digit);
    QGroupBox* buildDiagGroup(QWidget* page, int digit);
    QGroupBox* buildOrvosGroup(QWidget* page, int digit);
    QWidget* buildPage2();
    QWidget* buildPage3();
    void bindFields();
    // The pickers a double click on a field opens.
    void bindPickers();
    void olvas(); // widgets -> model
    void mutat(); // model -> widgets
    ui::FieldExit run(const std::function<CheckResult()>& step);
    void apply(const CheckResult& r);
    void SB1Click();
    void dayDoubleClick(DayField kind, int day);

    core::AppState& st_;
    LapModel model_;
    LapCheck check_;
    ui::FieldBinder* fields_ = nullptr;
    Pickers pickers_;
    DayHook dayExit_, dayDoubleClick_;
    std::function<void()> mentes_, close_;
    QPointer<QWidget> anchor_;

    std::vector<std::pair<TextField, QLineEdit*>> texts_;
    std::vector<QLineEdit*> dates_; // masked date edits among texts_
    std::vector<QGroupBox*> groups_;

    QLineEdit* m_sorsz = nullptr;
    QLineEdit* m_idosz = nullptr;
    QTabWidget* pages_ = nullptr;
    QComboBox* bnem = nullptr;
    QCheckBox* CB1 = nullptr;
    QWidget* P1 = nullptr;
    std::array<QLabel*, 5> bnoLabels_{};
    QLineEdit* Etev = nullptr;
    QToolButton* SB1 = nullptr;
    QComboBox* CB2 = nullptr;
    std::array<QLabel*, LapModel::maxNapok> apdat_{};
    std::array<QLineEdit*, LapModel::maxNapok> ellt_{}, tevk_{}, aptaj_{};
    QLabel* vszam = nullptr;
    QLabel* Lv2 = nullptr;
    QLabel* vszame = nullptr;
    QPushButton* ment = nullptr;
    QPushButton* BB1 = nullptr;
};

} // namespace sheet
