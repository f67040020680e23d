#include "masters/bcsopdialog.h"

#include "core/appstate.h"
#include "masters/formparts.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

namespace masters {

BcsopDialog::BcsopDialog(core::AppState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::WindowContextHelpButtonHint),
      logic_(state.msg) {
    setObjectName(QStringLiteral("TBcsop"));
    setWindowTitle(QStringLiteral("Betegségcsoport"));
    ui::setHint(this, QStringLiteral("A betegségcsoport kiválasztása"));
    setModal(true);

    CB1 = new QComboBox(this);
    CB1->setObjectName(QStringLiteral("CB1"));
    CB1->addItems(bcsopItems());
    CB1->setCurrentIndex(-1);
    CB1->setMinimumContentsLength(40);
    CB1->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    OKBtn = form::button(this, "OKBtn", QStringLiteral("OK"), QStringLiteral("Továbblépés"));
    CancelBtn = form::button(this, "CancelBtn", QStringLiteral("Mégsem"),
                             QStringLiteral("Mentés nélkül kilépés"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(form::label(this, "Label1", QStringLiteral("Betegségcsoport"), CB1));
    outer->addWidget(CB1);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    CB1->installEventFilter(this);
    // The chosen item's text is the list's hint.
    connect(CB1, &QComboBox::currentIndexChanged, this,
            [this](int i) { ui::setHint(CB1, i >= 0 ? CB1->itemText(i) : QString()); });
    connect(OKBtn, &QPushButton::clicked, this, &BcsopDialog::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &BcsopDialog::CancelBtnClick);
    CB1->setFocus();
}

void BcsopDialog::OKBtnClick() {
    if (!logic_.ok(CB1->currentIndex())) {
        CB1->setFocus();
        return;
    }
    CB1->setCurrentIndex(-1);
    accept();
}

void BcsopDialog::CancelBtnClick() {
    logic_.megsem();
    CB1->setCurrentIndex(-1);
    QDialog::reject();
}

void BcsopDialog::reject() {
    CancelBtnClick();
}

bool BcsopDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == CB1 && event->type() == QEvent::KeyPress &&
        form::isEnter(static_cast<QKeyEvent*>(event))) {
        OKBtnClick();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

std::optional<BnoGroup> pickBcsop(core::AppState& state, QWidget* parent) {
    BcsopDialog d(state, parent);
    d.exec();
    if (!d.logic().chosen()) return std::nullopt;
    return d.logic().group();
}

} // namespace masters
