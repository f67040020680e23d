#include "masters/remainderswindow.h"

#include "app/appstate.h"
#include "masters/browsepanel.h"
#include "masters/formparts.h"

#include <QApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace masters {

RemaindersWindow::RemaindersWindow(app::AppState& state, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      logic_(state), main_(mainWindow) {
    setObjectName(QStringLiteral("Tmaradfel"));
    setWindowTitle(QStringLiteral("Maradvány megjelenítése"));
    app::setHint(this, QStringLiteral("Maradványok megmutatása"));
    setModal(true);

    maradkep1 = new BrowsePanel(maradvPanel(state.tables), state.msg, this);
    maradkep1->setObjectName(QStringLiteral("maradkep1"));
    maradkep1->setMinimumSize(300, 260);

    kilep = form::button(this, "kilep", QStringLiteral("Kilépés"),
                         QStringLiteral("Visszalépés a főmenübe"));
    uj = form::button(this, "uj", QStringLiteral("Új felvitel"),
                      QStringLiteral("Új maradvány fekvitele"));
    modos = form::button(this, "modos", QStringLiteral("Módosítás"),
                         QStringLiteral("Maradvány módosítása"));
    torol =
        form::button(this, "torol", QStringLiteral("Törlés"), QStringLiteral("Maradvány törlése"));

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    mido = form::edit(Panel1, "mido", 7);
    mido->setReadOnly(true);
    mft = form::edit(Panel1, "mft", 10);
    BB1 = form::button(Panel1, "BB1", QStringLiteral("Kész"));
    BB2 = form::button(Panel1, "BB2", QStringLiteral("Mégse"));
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    mido->setFixedWidth(digit * 9 + 12);
    mft->setFixedWidth(digit * 12 + 12);

    auto* g = new QGridLayout(Panel1);
    g->addWidget(form::label(Panel1, "Label1", QStringLiteral("Időszak"), mido), 0, 0);
    g->addWidget(mido, 0, 1, Qt::AlignLeft);
    g->addWidget(form::label(Panel1, "Label2", QStringLiteral("Ft"), mft), 1, 0);
    g->addWidget(mft, 1, 1, Qt::AlignLeft);
    auto* keszMegse = new QHBoxLayout;
    keszMegse->addStretch(1);
    keszMegse->addWidget(BB1);
    keszMegse->addWidget(BB2);
    g->addLayout(keszMegse, 2, 0, 1, 2);
    Panel1->hide();

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(uj);
    buttons->addWidget(modos);
    buttons->addWidget(torol);
    buttons->addStretch(1);
    buttons->addWidget(kilep);
    auto* top = new QHBoxLayout;
    top->addWidget(maradkep1, 1);
    top->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(Panel1);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    mft->installEventFilter(this);
    connect(kilep, &QPushButton::clicked, this, &RemaindersWindow::kilepClick);
    connect(uj, &QPushButton::clicked, this, &RemaindersWindow::ujClick);
    connect(modos, &QPushButton::clicked, this, &RemaindersWindow::modosClick);
    connect(torol, &QPushButton::clicked, this, &RemaindersWindow::torolClick);
    connect(BB1, &QPushButton::clicked, this, &RemaindersWindow::BB1Click);
    connect(BB2, &QPushButton::clicked, this, &RemaindersWindow::BB2Click);

    maradkep1->grid()->setFocus();
}

RemaindersWindow::~RemaindersWindow() = default;

void RemaindersWindow::showEvent(QShowEvent* event) {
    form::placeBelowMain(this, main_);
    QDialog::showEvent(event);
}

void RemaindersWindow::openPanel(const RemainderRegister::Fields& f) {
    mido->setText(f.mido);
    mft->setText(f.mft);
    Panel1->show();
    maradkep1->setBrowseEnabled(false);
    for (QPushButton* b : {kilep, uj, modos, torol})
        b->setEnabled(false);
    mft->setFocus(Qt::OtherFocusReason);
    mft->selectAll();
}

void RemaindersWindow::closePanel() {
    Panel1->hide();
    for (QPushButton* b : {kilep, uj, modos, torol})
        b->setEnabled(true);
    maradkep1->setBrowseEnabled(true);
    maradkep1->refresh();
    maradkep1->grid()->setFocus(Qt::OtherFocusReason);
}

void RemaindersWindow::ujClick() {
    openPanel(logic_.uj());
}

void RemaindersWindow::modosClick() {
    openPanel(logic_.modos());
}

void RemaindersWindow::torolClick() {
    logic_.torol();
    maradkep1->refresh();
}

void RemaindersWindow::kilepClick() {
    QDialog::reject();
}

void RemaindersWindow::reject() {
    if (logic_.panelOpen())
        BB2Click();
    else
        kilepClick();
}

void RemaindersWindow::BB1Click() {
    if (!logic_.panelOpen()) return;
    switch (logic_.kesz(mido->text(), mft->text())) {
    case RemainderRegister::Save::Refused:
        mft->setFocus(Qt::OtherFocusReason);
        mft->selectAll();
        break;
    case RemainderRegister::Save::Saved:
    case RemainderRegister::Save::Declined:
        closePanel();
        break;
    }
}

void RemaindersWindow::BB2Click() {
    if (!logic_.panelOpen()) return;
    logic_.megse();
    closePanel();
}

bool RemaindersWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == mft && event->type() == QEvent::KeyPress &&
        form::isEnter(static_cast<QKeyEvent*>(event))) {
        BB1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void openMaradvany(app::AppState& state, QWidget* parent) {
    QCoreApplication::processEvents();
    RemaindersWindow w(state, parent);
    w.logic().open();
    w.panel()->grid()->setFocus();
    w.panel()->refresh();
    w.exec();
}

} // namespace masters
