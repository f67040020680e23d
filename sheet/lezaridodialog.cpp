#include "sheet/lezaridodialog.h"

#include "core/appstate.h"
#include "sheet/lapcheck.h"
#include "ui/fieldbinder.h"
#include "ui/screenfit.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace sheet {

LezaridoDialog::LezaridoDialog(core::AppState& state, QWidget* registerWindow)
    : QDialog(registerWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                  Qt::WindowCloseButtonHint),
      logic_(state,
             [&state](const QString& lezdat, const QString& szakvet, const QString& idoszak) {
                 return lezdatell(state.msg, lezdat, szakvet, idoszak);
             }),
      register_(registerWindow) {
    setObjectName(QStringLiteral("Tleido"));
    setWindowTitle(QStringLiteral("Lezárás ideje"));
    setModal(true);

    L2 = new QLabel(QStringLiteral("Lezárás vége"), this);
    L2->setObjectName(QStringLiteral("L2"));
    ME1 = new QLineEdit(this);
    ME1->setObjectName(QStringLiteral("ME1"));
    ME1->setInputMask(QStringLiteral("9999.99.99;_"));
    ME1->setMaxLength(10);
    ME1->setToolTip(QStringLiteral("Az átadás kezdeti időpontja"));
    ME1->setStatusTip(ME1->toolTip());
    ME1->setMinimumWidth(ME1->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00")) + 16);
    L2->setBuddy(ME1);

    // "OK" takes no focus: the date is checked by the click itself, so that
    // leaving the field for the button does not check it twice. Enter in
    // the field presses it.
    Button1 = new QPushButton(QStringLiteral("OK"), this);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setFocusPolicy(Qt::NoFocus);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &LezaridoDialog::Button1Click);

    binder_ = new ui::FieldBinder(this);
    binder_->bind(ME1, QStringLiteral("ME1"));
    binder_->onExit(QStringLiteral("ME1"), [this] {
        const CheckResult r = logic_.me1Exit(ME1->text());
        return ui::FieldExit{r.ok, r.focus};
    });

    auto* row = new QHBoxLayout;
    row->addWidget(L2);
    row->addWidget(ME1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(row);
    outer->addWidget(Button1, 0, Qt::AlignHCenter);
}

int LezaridoDialog::exec(const QString& szakvetszoveg) {
    // FormActivate: the date emptied and focused.
    logic_.elokeszit(szakvetszoveg);
    ME1->clear();
    binder_->reset();
    ME1->setFocus();
    return QDialog::exec();
}

void LezaridoDialog::Button1Click() {
    if (logic_.rogzites(ME1->text()))
        accept();
    else
        binder_->focusField(QStringLiteral("ME1"));
}

void LezaridoDialog::showEvent(QShowEvent* event) {
    if (register_) {
        const QRect g = register_->frameGeometry();
        // Fitted by its frame to the screen.
        ui::placeWindow(this, QPoint(g.left() + g.width(), g.top() + g.height() / 2));
    }
    QDialog::showEvent(event);
}

} // namespace sheet
