#pragma once
// Tobe (unit obe): the number of nursing order sheets for the monthly
// summary. Caption "Összesítőhöz adatbekérés", label "Szakápolási elrendelő
// lapok száma:", the edit E1 and the button "OK", which Enter in E1 presses.
// A text that is not a number is refused with "Csak szám írható a mezőbe!"
// and the focus stays in E1.

#include "reports/elszlap.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace core {
struct AppState;
}

namespace reports {

class TobeDialog : public QDialog {
    Q_OBJECT
public:
    explicit TobeDialog(core::AppState& state, QWidget* parent = nullptr);

    // Shows the dialog modally; the number typed, 0 when it was closed
    // without "OK".
    static int kerdez(core::AppState& state, QWidget* parent);

    int szam() const { return szam_; }
    QLineEdit* e1() const { return E1; }
    QPushButton* okButton() const { return OKBtn; }

public slots:
    void OKBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    core::AppState& st_;
    int szam_ = 0;
    QLabel* Label1 = nullptr;
    QLineEdit* E1 = nullptr;
    QPushButton* OKBtn = nullptr;
};

// "Havi összesítő a floppy küldeményhez" (Havisszestafloppykldemnyhez1Click):
// the order-sheet number asked, then the summary of the current period in
// the print preview.
void printHaviOsszesito(core::AppState& st, const ProgramText& program, QWidget* parent);

} // namespace reports
