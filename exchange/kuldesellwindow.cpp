#include "exchange/kuldesellwindow.h"

#include "print/renderer.h"
#include "ui/hints.h"
#include "ui/messages.h"
#include "ui/screenfit.h"

#include <QDateTime>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <memory>

namespace exch {

namespace {

const reports::Font kCim{12, true};
const reports::Font kFej{9, true};
const reports::Font kSor{9};
constexpr double kSorMagas = 5;
// The columns: serial number with its part letter, period, problem.
constexpr double kSorszX = 0, kSorszW = 22, kIdoszakX = 24, kIdoszakW = 18, kLeirasX = 44;

} // namespace

reports::Report ellenorzesLista(const std::vector<Problema>& problemak, core::Idoszak p) {
    reports::Report r(QStringLiteral("Tkuldesell"),
                      QStringLiteral("Ellenőrzés az adatküldés előtt"));
    const double szeles = r.pageSize().width() - r.margins.left() - r.margins.right();
    const double leirasW = szeles - kLeirasX;

    reports::Band& h = r.pageHeader;
    h.height = 16;
    h.addLabel(0, 0, szeles, 7,
               QStringLiteral("Ellenőrzés az adatküldés előtt – %1").arg(p.text()), kCim);
    h.addLabel(kSorszX, 9, kSorszW, kSorMagas, QStringLiteral("Sorszám"), kFej);
    h.addLabel(kIdoszakX, 9, kIdoszakW, kSorMagas, QStringLiteral("Időszak"), kFej);
    h.addLabel(kLeirasX, 9, leirasW, kSorMagas, QStringLiteral("Probléma"), kFej);
    h.addLine(0, 14.5, szeles, 14.5);

    // One detail per problem; the step reads them in order.
    auto lista = std::make_shared<const std::vector<Problema>>(problemak);
    auto kovetkezo = std::make_shared<std::size_t>(0);
    reports::Band& d = r.detail;
    d.height = kSorMagas;
    const auto fent = Qt::AlignLeft | Qt::AlignTop;
    d.addText(QStringLiteral("sorsz"), kSorszX, 0.5, kSorszW, kSorMagas - 0.5, {}, kSor, fent);
    d.addText(QStringLiteral("idoszak"), kIdoszakX, 0.5, kIdoszakW, kSorMagas - 0.5, {}, kSor,
              fent);
    d.addText(QStringLiteral("leiras"), kLeirasX, 0.5, leirasW, kSorMagas - 0.5, {}, kSor, fent)
        .wordWrap = true;
    d.beforePrint = [lista, kovetkezo](reports::Band& b, const reports::PrintContext&) {
        if (*kovetkezo >= lista->size()) return false;
        const Problema& x = (*lista)[(*kovetkezo)++];
        b.setText(QStringLiteral("sorsz"), x.sorsz + x.resz);
        b.setText(QStringLiteral("idoszak"), x.idoszak);
        b.setText(QStringLiteral("leiras"), x.leiras);
        return true;
    };
    r.beforeReport = [kovetkezo](reports::Report&) { *kovetkezo = 0; };
    r.detailCount = int(problemak.size());
    return r;
}

KuldesEllWindow::KuldesEllWindow(const std::vector<Problema>& problemak, core::Idoszak p,
                                 ui::Messages& msg, QWidget* parent)
    : QDialog(parent), problemak_(problemak), p_(p), msg_(msg) {
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
                             ui::Messages& msg, QWidget* parent) {
    KuldesEllWindow w(problemak, p, msg, parent);
    return w.exec() == QDialog::Accepted;
}

reports::PageModel KuldesEllWindow::oldalak() const {
    reports::Report r = ellenorzesLista(problemak_, p_);
    return reports::layout(r, QDateTime::currentDateTime());
}

bool KuldesEllWindow::pdfMentes(const QString& path) const {
    QString hiba;
    if (!reports::writePdf(oldalak(), path, &hiba)) {
        msg_.error(hiba);
        return false;
    }
    return true;
}

void KuldesEllWindow::nyomtatas() {
    const reports::PageModel model = oldalak();
    QPrinter printer(QPrinter::HighResolution);
    printer.setFullPage(true);
    printer.setPageLayout(reports::pageLayout(model));
    printer.setDocName(model.title);
    QPrintDialog d(&printer, this);
    d.setMinMax(1, std::max(1, model.pageCount()));
    if (d.exec() != QDialog::Accepted) return;
    int first = 1, last = model.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::max(1, printer.fromPage());
        last = std::min(last, std::max(first, printer.toPage()));
    }
    reports::paintAll(printer, model, printer.resolution(), first - 1, last - 1);
}

void KuldesEllWindow::pdf() {
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("PDF mentése"),
                                                      QStringLiteral("kuldes_ellenorzes.pdf"),
                                                      QStringLiteral("PDF (*.pdf)"));
    if (!path.isEmpty()) pdfMentes(path);
}

} // namespace exch
