#include "reports/tobedialog.h"

#include "core/appstate.h"
#include "reports/haviadatok.h"
#include "reports/haviosszesito.h"
#include "reports/reportpreviewdialog.h"
#include "ui/hints.h"
#include "ui/messages.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace reports {

TobeDialog::TobeDialog(core::AppState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      st_(state) {
    setObjectName(QStringLiteral("Tobe"));
    setWindowTitle(QStringLiteral("Összesítőhöz adatbekérés"));
    setModal(true);
    // The form's hint goes to the status bar only; a tooltip over the whole
    // dialog would cover its own field.
    setStatusTip(QStringLiteral("Az összesítőhöz az elrendelő lapok számának megadása"));

    Label1 = new QLabel(QStringLiteral("Szakápolási elrendelő lapok száma:"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    E1 = new QLineEdit(this);
    E1->setObjectName(QStringLiteral("E1"));
    E1->setMaxLength(9);
    E1->setAccessibleName(Label1->text());
    ui::setHint(E1, QStringLiteral("Csak szám írható"));
    Label1->setBuddy(E1);

    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    OKBtn->setDefault(true); // Enter in E1 presses it
    ui::setHint(OKBtn, QStringLiteral("Elfogadás"));
    connect(OKBtn, &QPushButton::clicked, this, &TobeDialog::OKBtnClick);

    auto* row = new QHBoxLayout;
    row->addWidget(Label1);
    row->addWidget(E1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(row);
    outer->addWidget(OKBtn, 0, Qt::AlignHCenter);
}

void TobeDialog::showEvent(QShowEvent* event) {
    // FormActivate: the edit emptied and focused.
    E1->clear();
    E1->setFocus();
    QDialog::showEvent(event);
}

void TobeDialog::OKBtnClick() {
    const std::optional<int> n = elrendeloLapSzam(E1->text());
    if (!n) {
        st_.msg.error(QStringLiteral("Csak szám írható a mezőbe!"));
        E1->setFocus();
        return;
    }
    szam_ = *n;
    accept();
}

int TobeDialog::kerdez(core::AppState& state, QWidget* parent) {
    TobeDialog d(state, parent);
    return d.exec() == QDialog::Accepted ? d.szam() : 0;
}

void printHaviOsszesito(core::AppState& st, const ProgramText& program, QWidget* parent) {
    const int elrsz = TobeDialog::kerdez(st, parent);
    HaviOsszesito(st, program).nyomtat(elrsz, [&](PageModel& pages) {
        ReportPreviewDialog::show(std::move(pages), st.msg, st.listakonyvtar, st.id.text(), parent);
    });
    st.msg.status(0, QString());
}

} // namespace reports
