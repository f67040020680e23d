#pragma once
// Ttajsz (unit tajbe): "TAJ-szám bekérése", the TAJ number of the patient
// whose check list is wanted. Double click in the field opens the patient
// picker; Enter in it acts as "OK". A view over reports::Tajsz.

#include "reports/tajbe.h"

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;

namespace core {
struct AppState;
}
namespace ui {
class FieldBinder;
}

namespace reports {

class TajszDialog : public QDialog {
    Q_OBJECT
public:
    TajszDialog(core::AppState& state, QWidget* parent = nullptr);

    QLineEdit* e1() const { return E1; }
    QPushButton* okButton() const { return OK; }
    // What "OK" chose; nothing after its refusal or without "OK".
    const std::optional<QString>& taj() const { return taj_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OKClick();

private:
    core::AppState& st_;
    Tajsz logic_;
    QLineEdit* E1;
    QPushButton* OK;
    ui::FieldBinder* binder_;
    std::optional<QString> taj_;
};

// Shows the prompt over `parent`; the TAJ number chosen, or nothing.
std::optional<QString> askTaj(core::AppState& state, QWidget* parent);

} // namespace reports
