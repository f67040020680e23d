#include "exchange/kuldesellwindow.h"

#include "ui/hints.h"
#include "ui/screenfit.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPageLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QTextDocument>
#include <QVBoxLayout>

namespace exch {

namespace {

QString html(const std::vector<Problema>& problemak, core::Idoszak p) {
    QString t = QStringLiteral("<h3>Ellenőrzés az adatküldés előtt – %1</h3><table border=1 "
                               "cellspacing=0 cellpadding=3><tr><th>Sorszám</th><th>Időszak</th>"
                               "<th>Probléma</th></tr>")
                    .arg(p.text());
    for (const Problema& x : problemak)
        t += QStringLiteral("<tr><td>%1</td><td>%2</td><td>%3</td></tr>")
                 .arg((x.sorsz + x.resz).toHtmlEscaped(), x.idoszak.toHtmlEscaped(),
                      x.leiras.toHtmlEscaped());
    return t + QStringLiteral("</table>");
}

} // namespace

KuldesEllWindow::KuldesEllWindow(const std::vector<Problema>& problemak, core::Idoszak p,
                                 QWidget* parent)
    : QDialog(parent), problemak_(problemak), p_(p) {
    setObjectName(QStringLiteral("Tkuldesell"));
    setWindowTitle(QStringLiteral("Ellenőrzés az adatküldés előtt"));
    setModal(true);
    auto* cim = new QLabel(
        QStringLiteral("A megjelölt lapok között az alábbiak hibásan vagy hiányosan kerülnének "
                       "a küldeménybe:"),
        this);
    cim->setWordWrap(true);
    lista_ = new QTableWidget(int(problemak.size()), 3, this);
    lista_->setObjectName(QStringLiteral("lista"));
    lista_->setAccessibleName(QStringLiteral("Hibás lapok"));
    lista_->setHorizontalHeaderLabels(
        {QStringLiteral("Sorszám"), QStringLiteral("Időszak"), QStringLiteral("Probléma")});
    lista_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    lista_->setSelectionBehavior(QAbstractItemView::SelectRows);
    lista_->horizontalHeader()->setStretchLastSection(true);
    lista_->verticalHeader()->hide();
    for (int i = 0; i < int(problemak.size()); ++i) {
        const Problema& x = problemak[size_t(i)];
        lista_->setItem(i, 0, new QTableWidgetItem(x.sorsz + x.resz));
        lista_->setItem(i, 1, new QTableWidgetItem(x.idoszak));
        lista_->setItem(i, 2, new QTableWidgetItem(x.leiras));
    }
    lista_->resizeColumnsToContents();
    lista_->setWordWrap(true);

    auto* nyomtat = new QPushButton(QStringLiteral("&Nyomtatás"), this);
    nyomtat->setObjectName(QStringLiteral("nyomtat"));
    ui::setHint(nyomtat, QStringLiteral("A lista nyomtatása"));
    auto* pdfGomb = new QPushButton(QStringLiteral("&PDF mentése"), this);
    pdfGomb->setObjectName(QStringLiteral("pdf"));
    ui::setHint(pdfGomb, QStringLiteral("A lista mentése PDF állományba"));
    vissza_ = new QPushButton(QStringLiteral("&Vissza"), this);
    vissza_->setObjectName(QStringLiteral("vissza"));
    ui::setHint(vissza_, QStringLiteral("Vissza a lapok javításához, nincs adatküldés"));
    kuld_ = new QPushButton(QStringLiteral("&Küldés így"), this);
    kuld_->setObjectName(QStringLiteral("kuld"));
    ui::setHint(kuld_, QStringLiteral("Az adatküldés folytatása a lapok javítása nélkül"));
    for (QPushButton* b : {nyomtat, pdfGomb, vissza_, kuld_})
        b->setAutoDefault(true);
    vissza_->setDefault(true);

    auto* gombok = new QHBoxLayout;
    gombok->addWidget(nyomtat);
    gombok->addWidget(pdfGomb);
    gombok->addStretch(1);
    gombok->addWidget(vissza_);
    gombok->addWidget(kuld_);
    auto* l = new QVBoxLayout(this);
    l->addWidget(cim);
    l->addWidget(lista_, 1);
    l->addLayout(gombok);

    connect(nyomtat, &QPushButton::clicked, this, &KuldesEllWindow::nyomtatas);
    connect(pdfGomb, &QPushButton::clicked, this, &KuldesEllWindow::pdf);
    connect(vissza_, &QPushButton::clicked, this, &QDialog::reject);
    connect(kuld_, &QPushButton::clicked, this, &QDialog::accept);
    resize(820, 420);
    ui::fitOnScreen(this);
}

bool KuldesEllWindow::kerdez(const std::vector<Problema>& problemak, core::Idoszak p,
                             QWidget* parent) {
    KuldesEllWindow w(problemak, p, parent);
    return w.exec() == QDialog::Accepted;
}

bool KuldesEllWindow::pdfMentes(const QString& path) const {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageOrientation(QPageLayout::Portrait);
    QTextDocument doc;
    doc.setHtml(html(problemak_, p_));
    doc.print(&printer);
    return QFileInfo(path).size() > 0;
}

void KuldesEllWindow::nyomtatas() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog d(&printer, this);
    if (d.exec() != QDialog::Accepted) return;
    QTextDocument doc;
    doc.setHtml(html(problemak_, p_));
    doc.print(&printer);
}

void KuldesEllWindow::pdf() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDF mentése"),
                                                      QStringLiteral("kuldes_ellenorzes.pdf"),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty()) pdfMentes(path);
}

} // namespace exch
