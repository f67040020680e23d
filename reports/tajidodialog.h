#pragma once
// Ttajido (unit tajidobe): "Időszak bekérése", the span of the all-patients
// TAJ check list: the whole list, the current period, or the periods from
// the one typed in ID1 ("ÉÉÉÉHH") to the current one. A view over
// reports::Tajido.

#include "reports/tajbe.h"

#include <QDialog>
#include <optional>

class QButtonGroup;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace core {
struct AppState;
}

namespace reports {

class TajidoDialog : public QDialog {
    Q_OBJECT
public:
    TajidoDialog(core::AppState& state, QWidget* parent = nullptr);

    QRadioButton* choice(Tajido::Valasztas v) const;
    QLineEdit* id1() const { return ID1; }
    QPushButton* okButton() const { return B1; }
    const std::optional<TajIdoszak>& span() const { return span_; }

protected:
    void showEvent(QShowEvent* event) override;

private slots:
    void B1Click();

private:
    void RG1Click(int id);

    Tajido logic_;
    QButtonGroup* RG1;
    QLineEdit* ID1;
    QPushButton* B1;
    std::optional<TajIdoszak> span_;
};

// Shows the prompt; the span chosen, or nothing when it was closed.
std::optional<TajIdoszak> askTajIdoszak(core::AppState& state, QWidget* parent);

} // namespace reports
