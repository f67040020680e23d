#pragma once
// The list picker Tvalasz (unit valasztas, "Választás"): activity codes or
// care types for the sheet entry window. A view over masters/valasz.h.

#include "masters/valasz.h"

#include <QDialog>
#include <QPointer>

class QListWidget;
class QPushButton;

namespace core {
struct AppState;
}

namespace masters {

class ValaszDialog : public QDialog {
    Q_OBJECT
public:
    // `mode`: "T" activity codes, "E" care types; `period`: the current
    // period, which decides the activity list; `caller`: the window the
    // dialog places itself beside.
    ValaszDialog(const QString& mode, core::Idoszak period, QWidget* caller = nullptr);

    // The code chosen; empty when nothing was.
    const QString& result() const { return result_; }
    QListWidget* list() const { return LB; }

protected:
    void showEvent(QShowEvent* event) override;
    // Esc: "Mégse".
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void BB1Click();
    void BB2Click();

private:
    QString mode_;
    core::Idoszak period_;
    QPointer<QWidget> caller_;
    QString result_;
    QListWidget* LB;
    QPushButton* BB1;
    QPushButton* BB2;
};

// Shows the list picker and returns the chosen code ("1", "3a", "10"; "2",
// "4", ...); empty when nothing was chosen.
QString pickValasz(core::AppState& state, QWidget* caller, const QString& mode);

} // namespace masters
