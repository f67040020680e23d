#include "masters/maintenancewindow.h"

#include "masters/browsepanel.h"
#include "masters/formparts.h"

#include <QHBoxLayout>
#include <QTableView>
#include <QVBoxLayout>

namespace masters {

MaintenanceWindow::MaintenanceWindow(const MaintenanceShell& shell, ui::Messages& msg,
                                     QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      main_(mainWindow) {
    setObjectName(shell.windowName);
    setWindowTitle(shell.caption);
    setModal(true);
    list_ = new BrowsePanel(shell.list, msg, this);
    list_->setObjectName(shell.listName);
    list_->setMinimumSize(shell.listMinimum);
    kilep = form::button(this, "kilep", QStringLiteral("Kilépés"),
                         QStringLiteral("Visszalépés a főmenübe"));
    uj = form::button(this, "uj", QStringLiteral("Új felvitel"), shell.ujHint);
    modos = form::button(this, "modos", QStringLiteral("Módosítás"), shell.modosHint);
    torol = form::button(this, "torol", QStringLiteral("Törlés"), shell.torolHint);
}

MaintenanceWindow::~MaintenanceWindow() = default;

QHBoxLayout* MaintenanceWindow::keszMegse(QWidget* dataPanel, const QString& keszHint,
                                          const QString& megseHint) {
    BB1 = form::button(dataPanel, "BB1", QStringLiteral("Kész"), keszHint);
    BB2 = form::button(dataPanel, "BB2", QStringLiteral("Mégse"), megseHint);
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(BB1);
    row->addWidget(BB2);
    return row;
}

void MaintenanceWindow::setUpShell(QWidget* dataPanel) {
    dataPanel_ = dataPanel;
    dataPanel_->hide();

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(uj);
    buttons->addWidget(modos);
    buttons->addWidget(torol);
    buttons->addStretch(1);
    buttons->addWidget(kilep);
    auto* top = new QHBoxLayout;
    top->addWidget(list_, 1);
    top->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(dataPanel_);
    // Fixed border: the window grows and shrinks with the data panel.
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(kilep, &QPushButton::clicked, this, &MaintenanceWindow::kilepClick);
    connect(uj, &QPushButton::clicked, this, &MaintenanceWindow::ujClick);
    connect(modos, &QPushButton::clicked, this, &MaintenanceWindow::modosClick);
    connect(torol, &QPushButton::clicked, this, &MaintenanceWindow::torolClick);
    connect(BB1, &QPushButton::clicked, this, &MaintenanceWindow::BB1Click);
    connect(BB2, &QPushButton::clicked, this, &MaintenanceWindow::BB2Click);

    list_->grid()->setFocus();
}

void MaintenanceWindow::setListEnabled(bool on) {
    list_->setBrowseEnabled(on);
    for (QPushButton* b : {kilep, uj, modos, torol})
        b->setEnabled(on);
}

void MaintenanceWindow::openShell() {
    dataPanel_->show();
    setListEnabled(false);
}

void MaintenanceWindow::closeShell() {
    dataPanel_->hide();
    setListEnabled(true);
    list_->refresh();
    list_->grid()->setFocus(Qt::OtherFocusReason);
}

void MaintenanceWindow::showEvent(QShowEvent* event) {
    form::placeBelowMain(this, main_);
    QDialog::showEvent(event);
}

void MaintenanceWindow::torolClick() {
    torolRecord();
    list_->refresh();
}

void MaintenanceWindow::kilepClick() {
    QDialog::reject();
}

void MaintenanceWindow::reject() {
    if (panelOpen())
        BB2Click();
    else
        kilepClick();
}

} // namespace masters
