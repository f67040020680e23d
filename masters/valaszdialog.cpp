#include "masters/valaszdialog.h"

#include "core/appstate.h"
#include "masters/formparts.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QVBoxLayout>

namespace masters {

// ---------------------------------------------------------------- Tvalasz

ValaszDialog::ValaszDialog(const QString& mode, core::Idoszak period, QWidget* caller)
    : QDialog(caller, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint),
      mode_(mode), period_(period), caller_(caller) {
    setObjectName(QStringLiteral("Tvalasz"));
    setWindowTitle(QStringLiteral("Választás"));
    ui::setHint(this, QStringLiteral("Segítség a kódokhoz"));
    setModal(true);

    LB = new QListWidget(this);
    LB->setObjectName(QStringLiteral("LB"));
    LB->setAccessibleName(QStringLiteral("Választható kódok"));
    LB->setSelectionMode(QAbstractItemView::SingleSelection);
    LB->setMinimumSize(360, 320);
    BB1 = form::button(this, "BB1", QStringLiteral("Választ"),
                       QStringLiteral("Tevékenységi kódok kiválasztása"));
    BB2 = form::button(this, "BB2", QStringLiteral("Mégse"),
                       QStringLiteral("Kilépés választás nélkül"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BB1);
    buttons->addWidget(BB2);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(LB, 1);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    LB->installEventFilter(this);
    connect(BB1, &QPushButton::clicked, this, &ValaszDialog::BB1Click);
    connect(BB2, &QPushButton::clicked, this, &ValaszDialog::BB2Click);
    connect(LB, &QListWidget::itemDoubleClicked, this, &ValaszDialog::BB1Click);
}

void ValaszDialog::showEvent(QShowEvent* event) {
    form::placeRightAligned(this, caller_, 1, 3, 5);
    result_.clear();
    LB->clear();
    LB->addItems(valaszItems(mode_, period_));
    LB->setFocus();
    QDialog::showEvent(event);
}

void ValaszDialog::BB1Click() {
    const QList<QListWidgetItem*> chosen = LB->selectedItems();
    result_ = valaszResult(mode_, chosen.isEmpty() ? QString() : chosen.first()->text());
    accept();
}

void ValaszDialog::BB2Click() {
    result_.clear();
    QDialog::reject();
}

void ValaszDialog::reject() {
    BB2Click();
}

bool ValaszDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == LB && event->type() == QEvent::KeyPress &&
        form::isEnter(static_cast<QKeyEvent*>(event))) {
        BB1Click();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

QString pickValasz(core::AppState& state, QWidget* caller, const QString& mode) {
    ValaszDialog d(mode, state.id, caller);
    d.exec();
    return d.result();
}

} // namespace masters
