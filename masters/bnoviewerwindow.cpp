#include "masters/bnoviewerwindow.h"

#include "core/appstate.h"
#include "masters/browseconfig.h"
#include "masters/browsepanel.h"
#include "masters/formparts.h"
#include "ui/messages.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace masters {

BnoViewerWindow::BnoViewerWindow(core::AppState& state, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint),
      main_(mainWindow) {
    setObjectName(QStringLiteral("Tbnonez"));
    setWindowTitle(QStringLiteral("BNO törzs megnézése"));
    ui::setHint(this, QStringLiteral("Diagnózisok megtekintése"));
    setModal(true);

    BNOkep1 = new BrowsePanel(bnoPanel(state.tables), state.msg, this);
    BNOkep1->setObjectName(QStringLiteral("BNOkep1"));
    BNOkep1->setMinimumSize(640, 400);
    kilep = form::button(this, "kilep", QStringLiteral("Kilépés"),
                         QStringLiteral("Visszalépés a főmenübe"));
    connect(kilep, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(kilep);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(BNOkep1, 1);
    outer->addLayout(buttons);
    BNOkep1->grid()->setFocus();
}

void BnoViewerWindow::showEvent(QShowEvent* event) {
    form::placeBelowMain(this, main_);
    QDialog::showEvent(event);
}

void openBnoNez(core::AppState& state, QWidget* parent) {
    QCoreApplication::processEvents();
    state.msg.status(0, QStringLiteral("BNO törzs megnézése"));
    BnoViewerWindow w(state, parent);
    w.panel()->grid()->setFocus();
    w.exec();
}

} // namespace masters
