#include "masters/betegvalasztowindow.h"

#include "core/appstate.h"
#include "masters/browsepanel.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace masters {

BetegValasztoWindow::BetegValasztoWindow(core::AppState& state, QWidget* caller, bool fromSheet)
    : QDialog(caller, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), logic_(state),
      caller_(caller), fromSheet_(fromSheet) {
    setObjectName(QStringLiteral("Tbetegval"));
    setWindowTitle(QStringLiteral("Betegek választása"));
    setModal(true);

    BrowseConfig cfg = betegPanel(state.tables);
    cfg.columns[0].title = QStringLiteral("TAJ/Azonosító");
    Betegkep1 = new BrowsePanel(cfg, state.msg, this);
    Betegkep1->setObjectName(QStringLiteral("Betegkep1"));
    Betegkep1->setMinimumSize(560, 300);

    BB1 = new QPushButton(QStringLiteral("Választ"), this);
    BB1->setObjectName(QStringLiteral("BB1"));
    BB1->setAutoDefault(false);
    BB2 = new QPushButton(QStringLiteral("Mégse"), this);
    BB2->setObjectName(QStringLiteral("BB2"));
    BB2->setAutoDefault(false);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BB1);
    buttons->addWidget(BB2);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Betegkep1, 1);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(BB1, &QPushButton::clicked, this, &BetegValasztoWindow::BB1Click);
    connect(BB2, &QPushButton::clicked, this, &BetegValasztoWindow::BB2Click);
    // Enter in the grid: the panel's own key handling, then "Választ".
    connect(Betegkep1, &BrowsePanel::activated, this, &BetegValasztoWindow::BB1Click);

    Betegkep1->grid()->setFocus();
}

void BetegValasztoWindow::showEvent(QShowEvent* event) {
    logic_.aktival();
    if (caller_) {
        const QRect c = caller_->frameGeometry();
        const QSize own = frameGeometry().size().expandedTo(sizeHint());
        if (fromSheet_)
            move(c.left() + c.width() - own.width(), c.top() + c.height() / 4);
        else
            move(c.left() - c.width() / 5, c.top() + c.height());
    }
    QDialog::showEvent(event);
}

void BetegValasztoWindow::BB1Click() {
    logic_.valaszt();
    accept();
}

void BetegValasztoWindow::BB2Click() {
    logic_.megse();
    QDialog::reject();
}

void BetegValasztoWindow::reject() {
    BB2Click();
}

BetegValasztas pickBeteg(core::AppState& state, QWidget* caller, bool fromSheet) {
    BetegValasztoWindow w(state, caller, fromSheet);
    w.exec();
    return w.eredmeny();
}

} // namespace masters
