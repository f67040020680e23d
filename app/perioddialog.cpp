#include "app/perioddialog.h"

#include "ui/hints.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace app {

PeriodDialog::PeriodDialog(core::AppState& state, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      choice_(state) {
    setObjectName(QStringLiteral("TZarasbe"));
    setWindowTitle(QStringLiteral("Elszámolási időszak"));
    setModal(true);

    Label1 = new QLabel(QStringLiteral("Elszámolási időszak beállítása"), this);
    Label1->setObjectName(QStringLiteral("Label1"));

    ME1 = new QLineEdit(this);
    ME1->setObjectName(QStringLiteral("ME1"));
    ME1->setInputMask(QStringLiteral("9999.99;_"));
    ME1->setMaxLength(7);
    Label1->setBuddy(ME1);

    // No default button: Enter in the field is "OK" (keyPressEvent), and a
    // button with the focus does not take Enter for itself.
    OKBtn = new QPushButton(QStringLiteral("OK"), this);
    OKBtn->setObjectName(QStringLiteral("OKBtn"));
    ui::setHint(OKBtn, QStringLiteral("Továbblépés"));
    OKBtn->setAutoDefault(false);
    CancelBtn = new QPushButton(QStringLiteral("Mégsem"), this);
    CancelBtn->setObjectName(QStringLiteral("CancelBtn"));
    ui::setHint(CancelBtn, QStringLiteral("Mentés nélkül kilépés"));
    CancelBtn->setAutoDefault(false);

    connect(OKBtn, &QPushButton::clicked, this, &PeriodDialog::OKBtnClick);
    connect(CancelBtn, &QPushButton::clicked, this, &PeriodDialog::CancelBtnClick);

    auto* field = new QHBoxLayout;
    field->addStretch(1);
    field->addWidget(ME1);
    field->addStretch(1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(OKBtn);
    buttons->addWidget(CancelBtn);
    buttons->addStretch(1);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(Label1, 0, Qt::AlignHCenter);
    outer->addLayout(field);
    outer->addSpacing(8);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    ME1->setFixedWidth(ME1->fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) + 24);

    ME1->setCursorPosition(0);
    ME1->setFocus();
}

QString PeriodDialog::periodText() const {
    QString text = ME1->displayText();
    text.replace(QLatin1Char('_'), QLatin1Char(' '));
    return text;
}

void PeriodDialog::OKBtnClick() {
    apply(choice_.ok(periodText()));
}

void PeriodDialog::CancelBtnClick() {
    apply(choice_.cancel());
}

void PeriodDialog::reject() {
    apply(choice_.closeBox());
}

void PeriodDialog::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CancelBtnClick();
        return;
    }
    // The field passes Enter on even when the mask is not filled (its
    // returnPressed would stay silent then), so "OK" checks what was typed.
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && focusWidget() == ME1) {
        OKBtnClick();
        return;
    }
    QDialog::keyPressEvent(event);
}

void PeriodDialog::apply(Period::Result result) {
    switch (result) {
    case Period::Result::Accepted:
        done(Accepted);
        break;
    case Period::Result::Closed:
        done(Rejected);
        break;
    case Period::Result::StayOpen:
        ME1->setFocus();
        ME1->selectAll();
        break;
    case Period::Result::EndProgram:
        end_ = true;
        done(Rejected);
        break;
    }
}

} // namespace app
