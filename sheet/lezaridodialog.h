#pragma once
// Tleido (unit lezarido): the closing date of the care episode of the sheet
// selected in the register, a thin view over sheet::Lezarido. Caption
// "Lezárás ideje", label L2 "Lezárás vége", the masked date ME1 and the
// button "OK"; it stands beside the register (half its height down, at its
// right edge, kept on the screen).

#include "sheet/lezarido.h"

#include <QDialog>
#include <QPointer>

class QLabel;
class QLineEdit;
class QPushButton;

namespace ui {
class FieldBinder;
}

namespace sheet {

class LezaridoDialog : public QDialog {
    Q_OBJECT
public:
    explicit LezaridoDialog(core::AppState& state, QWidget* registerWindow = nullptr);

    // Shows the dialog modally for LAP's current record (the register has
    // positioned it) with the start of care of its ELREND record.
    int exec(const QString& szakvetszoveg);
    using QDialog::exec;

    Lezarido& logic() { return logic_; }
    QLineEdit* me1() const { return ME1; }
    QPushButton* okButton() const { return Button1; }

public slots:
    void Button1Click();

protected:
    void showEvent(QShowEvent* event) override;

private:
    Lezarido logic_;
    QPointer<QWidget> register_;
    ui::FieldBinder* binder_ = nullptr;
    QLabel* L2 = nullptr;
    QLineEdit* ME1 = nullptr;
    QPushButton* Button1 = nullptr;
};

} // namespace sheet
