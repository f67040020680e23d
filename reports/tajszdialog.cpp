#include "reports/tajszdialog.h"

#include "core/appstate.h"
#include "masters/betegvalasztowindow.h"
#include "ui/fieldbinder.h"
#include "ui/hints.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace reports {

TajszDialog::TajszDialog(core::AppState& state, QWidget* parent)
    : QDialog(parent), st_(state), logic_(state.msg) {
    setObjectName(QStringLiteral("Ttajsz"));
    setWindowTitle(QStringLiteral("TAJ-szám bekérése"));
    ui::setHint(this, QStringLiteral("TAJ-szám bekérés"));
    setModal(true);

    E1 = new QLineEdit(this);
    E1->setObjectName(QStringLiteral("E1"));
    E1->setMaxLength(9);
    ui::setHint(E1, QStringLiteral("A TAJ szám beírása 9 karakteren keresztül vezető nullákkal "
                                   "(dupla kattintásra TAJ lista kiválasztásra)"));
    auto* label = new QLabel(QStringLiteral("A beteg TAJ-száma:"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(E1);
    E1->setAccessibleName(QStringLiteral("A beteg TAJ-száma:"));
    OK = new QPushButton(QStringLiteral("OK"), this);
    OK->setObjectName(QStringLiteral("OK"));
    OK->setAutoDefault(false);

    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(E1);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(row);
    outer->addWidget(OK, 0, Qt::AlignHCenter);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    binder_ = new ui::FieldBinder(this);
    binder_->bind(E1, QStringLiteral("E1"));
    binder_->bind(OK, QStringLiteral("OK"));
    binder_->onExit(QStringLiteral("E1"), [this] {
        if (logic_.e1Exit(E1->text())) return ui::FieldExit{};
        return ui::FieldExit{false, QStringLiteral("E1")};
    });
    binder_->onDoubleClick(QStringLiteral("E1"), [this] {
        const masters::BetegValasztas b = masters::pickBeteg(st_, this, false);
        if (!b.taj.isEmpty()) E1->setText(b.taj);
    });
    E1->installEventFilter(this);
    connect(OK, &QPushButton::clicked, this, &TajszDialog::OKClick);
}

void TajszDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the main window.
    if (QWidget* p = parentWidget()) move(p->window()->frameGeometry().center() - rect().center());
    E1->clear();
    taj_.reset();
    binder_->reset();
    E1->setFocus();
}

bool TajszDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == E1 && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
            (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            OKClick();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TajszDialog::OKClick() {
    taj_ = logic_.ok(E1->text());
    accept();
}

std::optional<QString> askTaj(core::AppState& state, QWidget* parent) {
    TajszDialog d(state, parent);
    d.exec();
    return d.taj();
}

} // namespace reports
