#pragma once
// The check before sending (unit kuldes): the problems that would make the
// shipment wrong or incomplete, listed sheet by sheet, with "Nyomtatás" and
// "PDF mentése", and the choice to go back and fix them ("Vissza") or to
// send as they are ("Küldés így"). A thin view over exch::kuldesEllenorzes.

#include "core/idoszak.h"
#include "exchange/kuldesell.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTableWidget;

namespace exch {

class KuldesEllWindow : public QDialog {
    Q_OBJECT
public:
    KuldesEllWindow(const std::vector<Problema>& problemak, core::Idoszak p,
                    QWidget* parent = nullptr);

    // Shows the list modally: true to send anyway.
    static bool kerdez(const std::vector<Problema>& problemak, core::Idoszak p, QWidget* parent);

    QTableWidget* lista() const { return lista_; }
    QPushButton* kuldButton() const { return kuld_; }
    QPushButton* visszaButton() const { return vissza_; }
    // The list as a PDF file; false when it cannot be written.
    bool pdfMentes(const QString& path) const;

private:
    void nyomtatas();
    void pdf();

    std::vector<Problema> problemak_;
    core::Idoszak p_;
    QTableWidget* lista_ = nullptr;
    QPushButton* kuld_ = nullptr;
    QPushButton* vissza_ = nullptr;
};

} // namespace exch
