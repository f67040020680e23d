#pragma once
// Ttevki (unit tevval): the activity picker "Tevékenységek kiválasztása" of
// the sheet entry window. A multi-selection list LB1 of the activities of the
// current period, "Választás" and "Kilépés". The result is the positional
// activity text of sheet/tevval.h, empty when nothing was chosen; the picker
// opens with nothing selected every time.

#include "core/idoszak.h"

#include <QDialog>
#include <QPointer>

class QListWidget;
class QPushButton;

namespace sheet {

class TevvalDialog : public QDialog {
    Q_OBJECT
public:
    explicit TevvalDialog(QWidget* parent = nullptr);

    // The window the picker stands below, and the current period that
    // decides the list. Call before each showing.
    void prepare(QWidget* caller, core::Idoszak period);

    const QString& result() const { return result_; }
    QListWidget* list() const { return LB1; }

protected:
    void showEvent(QShowEvent* event) override;
    void done(int r) override;

private slots:
    void BB2Click();

private:
    QPointer<QWidget> caller_;
    core::Idoszak period_;
    QString result_;
    QListWidget* LB1;
    QPushButton* BB2;
    QPushButton* BB1;
};

// SB1Click: shows the picker (one per caller window, made on first use) and
// returns its result.
QString pickTevekenyseg(QWidget* caller, core::Idoszak period);

} // namespace sheet
