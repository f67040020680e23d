#pragma once
// The disease group dialog TBcsop (unit bnoker, "Betegségcsoport") for the
// grouped BNO list. A view over masters::Bcsop.

#include "masters/bcsop.h"

#include <QDialog>
#include <optional>

class QComboBox;
class QPushButton;

namespace core {
struct AppState;
}

namespace masters {

class BcsopDialog : public QDialog {
    Q_OBJECT
public:
    BcsopDialog(core::AppState& state, QWidget* parent = nullptr);

    Bcsop& logic() { return logic_; }
    QComboBox* list() const { return CB1; }

protected:
    // Esc and the close box: "Mégsem".
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void OKBtnClick();
    void CancelBtnClick();

private:
    Bcsop logic_;
    QComboBox* CB1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

// Shows the disease group dialog; the chosen group, or nullopt after
// "Mégsem".
std::optional<BnoGroup> pickBcsop(core::AppState& state, QWidget* parent);

} // namespace masters
