#pragma once
// TZarasbe (unit ido): the period dialog, the accounting period "YYYY.MM" in a masked
// field, at start-up and from "&Szervíz" -> "&Elszámolási időszak beállítás".
// A view over app::Period, which checks the period and sets it.

#include "app/period.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace core {}

namespace core {
struct AppState;
}

namespace app {

class PeriodDialog : public QDialog {
    Q_OBJECT
public:
    explicit PeriodDialog(core::AppState& state, QWidget* parent = nullptr);

    // The program must end now (cancelled or refused at start-up).
    bool endProgram() const { return end_; }

    // The field as the old masked edit gave it: four digits, the point, two
    // digits, an empty place as a blank ("    .  " when nothing was typed).
    QString periodText() const;

protected:
    // The close box.
    void reject() override;
    // Esc acts as "Mégsem", Enter in the field as "OK".
    void keyPressEvent(QKeyEvent* event) override;

private slots:
    void OKBtnClick();
    void CancelBtnClick();

private:
    void apply(Period::Result result);

    Period choice_;
    bool end_ = false;
    QLabel* Label1;
    QLineEdit* ME1;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
};

} // namespace app
