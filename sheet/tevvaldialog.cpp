#include "sheet/tevvaldialog.h"

#include "sheet/tevval.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace sheet {

namespace {

QPushButton* gomb(QWidget* parent, const char* name, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setToolTip(hint);
    b->setStatusTip(hint);
    b->setAutoDefault(false);
    return b;
}

} // namespace

TevvalDialog::TevvalDialog(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("Ttevki"));
    setWindowTitle(QStringLiteral("Tevékenységek kiválasztása"));
    setModal(true);

    LB1 = new QListWidget(this);
    LB1->setObjectName(QStringLiteral("LB1"));
    LB1->setSelectionMode(QAbstractItemView::MultiSelection);
    LB1->setAccessibleName(QStringLiteral("Tevékenységek"));
    BB2 = gomb(this, "BB2", QStringLiteral("Választás"),
               QStringLiteral("Tevékenységi kódok kiválasztása"));
    BB1 = gomb(this, "BB1", QStringLiteral("Kilépés"), QStringLiteral("Visszalépés a főmenübe"));
    connect(BB2, &QPushButton::clicked, this, &TevvalDialog::BB2Click);
    connect(BB1, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BB2);
    buttons->addWidget(BB1);
    auto* l = new QVBoxLayout(this);
    l->addWidget(LB1, 1);
    l->addLayout(buttons);
    const int ch = fontMetrics().horizontalAdvance(QLatin1Char('M'));
    LB1->setMinimumSize(ch * 34, fontMetrics().height() * 12);
}

void TevvalDialog::prepare(QWidget* caller, core::Idoszak period) {
    caller_ = caller;
    period_ = period;
}

void TevvalDialog::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        result_.clear();
        LB1->clear();
        LB1->addItems(tevLista(period_));
        LB1->setCurrentRow(-1);
        LB1->clearSelection();
        adjustSize();
        // Below the middle of the entry window, right edges aligned.
        if (caller_) {
            const QRect c = caller_->frameGeometry();
            move(c.right() - frameGeometry().width() + 1, c.top() + c.height() / 2 + 5);
        }
        LB1->setFocus();
    }
    QDialog::showEvent(event);
}

void TevvalDialog::BB2Click() {
    std::vector<bool> chosen;
    for (int i = 0; i < LB1->count(); ++i)
        chosen.push_back(LB1->item(i)->isSelected());
    result_ = tevSzoveg(tevLista(period_), chosen, LB1->currentRow() >= 0);
    accept();
}

void TevvalDialog::done(int r) {
    if (r != QDialog::Accepted) result_.clear();
    LB1->clearSelection();
    QDialog::done(r);
}

QString pickTevekenyseg(QWidget* caller, core::Idoszak period) {
    QWidget* owner = caller ? caller->window() : nullptr;
    auto* d = owner ? owner->findChild<TevvalDialog*>(QStringLiteral("Ttevki"),
                                                      Qt::FindDirectChildrenOnly)
                    : nullptr;
    if (!d) d = new TevvalDialog(owner);
    d->prepare(caller, period);
    d->exec();
    const QString r = d->result();
    if (!owner) delete d;
    return r;
}

} // namespace sheet
