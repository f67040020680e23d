#include "masters/remainderswindow.h"

#include "core/appstate.h"
#include "db/layouts.h"
#include "masters/browsepanel.h"
#include "masters/formparts.h"
#include "ui/fieldbinder.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QKeyEvent>
#include <QTableView>

namespace masters {

RemaindersWindow::RemaindersWindow(core::AppState& state, QWidget* mainWindow)
    : MaintenanceWindow({QStringLiteral("Tmaradfel"), QStringLiteral("Maradvány megjelenítése"),
                         maradvPanel(state.tables), QStringLiteral("maradkep1"), QSize(300, 260),
                         QStringLiteral("Új maradvány fekvitele"),
                         QStringLiteral("Maradvány módosítása"),
                         QStringLiteral("Maradvány törlése")},
                        state.msg, mainWindow),
      logic_(state) {
    ui::setHint(this, QStringLiteral("Maradványok megmutatása"));

    auto* Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    mido = form::edit(Panel1, "mido", 7);
    mido->setReadOnly(true);
    mft = form::edit(Panel1, "mft", 10);
    QHBoxLayout* buttons = keszMegse(Panel1);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    mido->setFixedWidth(digit * 9 + 12);
    mft->setFixedWidth(digit * 12 + 12);

    auto* g = new QGridLayout(Panel1);
    g->addWidget(form::label(Panel1, "Label1", QStringLiteral("Időszak"), mido), 0, 0);
    g->addWidget(mido, 0, 1, Qt::AlignLeft);
    g->addWidget(form::label(Panel1, "Label2", QStringLiteral("Ft"), mft), 1, 0);
    g->addWidget(mft, 1, 1, Qt::AlignLeft);
    g->addLayout(buttons, 2, 0, 1, 2);

    // The amount's own check refuses a sign or a letter with its message
    // ("Kész"); here it keeps to its column's width and printable text.
    ui::FieldRule ft =
        ui::ruleOf(db::column(db::TableId::Maradv, QStringLiteral("FT")), QStringLiteral("Ft"));
    ft.kind = ui::FieldRule::Kind::Text;
    ui::applyRule(mft, ft, state.msg);
    mft->installEventFilter(this);
    setUpShell(Panel1);
}

RemaindersWindow::~RemaindersWindow() = default;

void RemaindersWindow::openPanel(const Remainders::Fields& f) {
    mido->setText(f.mido);
    mft->setText(f.mft);
    openShell();
    mft->setFocus(Qt::OtherFocusReason);
    mft->selectAll();
}

void RemaindersWindow::ujClick() {
    openPanel(logic_.uj());
}

void RemaindersWindow::modosClick() {
    openPanel(logic_.modos());
}

void RemaindersWindow::BB1Click() {
    if (!logic_.panelOpen()) return;
    switch (logic_.kesz(mido->text(), mft->text())) {
    case Remainders::Save::Refused:
        mft->setFocus(Qt::OtherFocusReason);
        mft->selectAll();
        break;
    case Remainders::Save::Saved:
    case Remainders::Save::Declined:
        closeShell();
        break;
    }
}

void RemaindersWindow::BB2Click() {
    if (!logic_.panelOpen()) return;
    logic_.megse();
    closeShell();
}

bool RemaindersWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mft && event->type() == QEvent::KeyPress &&
        form::isEnter(static_cast<QKeyEvent*>(event))) {
        BB1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void openMaradvany(core::AppState& state, QWidget* parent) {
    QCoreApplication::processEvents();
    RemaindersWindow w(state, parent);
    w.logic().open();
    w.panel()->grid()->setFocus();
    w.panel()->refresh();
    w.exec();
}

} // namespace masters
