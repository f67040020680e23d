#pragma once
// The check before sending (unit kuldes): the problems that would make the
// shipment wrong or incomplete, listed sheet by sheet, with "Nyomtatás" and
// "PDF mentése", and the choice to go back and fix them ("Vissza") or to
// send as they are ("Küldés így"). A thin view over exch::kuldesEllenorzes.
// The printout and the PDF are pages of the report engine, as every other
// report's.

#include "core/idoszak.h"
#include "exchange/kuldesell.h"
#include "print/pagemodel.h"
#include "print/report.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTableWidget;

namespace ui {
class Messages;
}

namespace exch {

// The check's printout: the title with the period, then one line per
// problem under the headings "Sorszám", "Időszak", "Probléma" (the problem
// wraps), the title and headings again on every page.
reports::Report ellenorzesLista(const std::vector<Problema>& problemak, core::Idoszak p);

class KuldesEllWindow : public QDialog {
    Q_OBJECT
public:
    KuldesEllWindow(const std::vector<Problema>& problemak, core::Idoszak p, ui::Messages& msg,
                    QWidget* parent = nullptr);

    // Shows the list modally: true to send anyway.
    static bool kerdez(const std::vector<Problema>& problemak, core::Idoszak p,
                       ui::Messages& msg, QWidget* parent);

    QTableWidget* lista() const { return lista_; }
    QPushButton* kuldButton() const { return kuld_; }
    QPushButton* visszaButton() const { return vissza_; }
    // The list's printed pages (paper and PDF alike).
    reports::PageModel oldalak() const;
    // The list as a PDF file; false, with the reports' message "A
    // PDF-állomány nem írható: <path>", when it cannot be written.
    bool pdfMentes(const QString& path) const;

private:
    void nyomtatas();
    void pdf();

    std::vector<Problema> problemak_;
    core::Idoszak p_;
    ui::Messages& msg_;
    QTableWidget* lista_ = nullptr;
    QPushButton* kuld_ = nullptr;
    QPushButton* vissza_ = nullptr;
};

} // namespace exch
