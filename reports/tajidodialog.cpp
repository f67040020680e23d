#include "reports/tajidodialog.h"

#include "core/appstate.h"
#include "ui/hints.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

namespace reports {

TajidoDialog::TajidoDialog(core::AppState& state, QWidget* parent)
    : QDialog(parent), logic_(state.msg) {
    setObjectName(QStringLiteral("Ttajido"));
    setWindowTitle(QStringLiteral("Időszak bekérése"));
    setModal(true);

    auto* box = new QGroupBox(QStringLiteral("Időszak kiválasztása"), this);
    box->setObjectName(QStringLiteral("RG1"));
    RG1 = new QButtonGroup(this);
    auto* boxLayout = new QVBoxLayout(box);
    const QString items[] = {QStringLiteral("Teljes lista"),
                             QStringLiteral("Aktuális időszak listája"),
                             QStringLiteral("Választott időszaktól")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(items[i], box);
        b->setObjectName(QStringLiteral("RG1_%1").arg(i));
        RG1->addButton(b, i);
        boxLayout->addWidget(b);
    }
    ID1 = new QLineEdit(this);
    ID1->setObjectName(QStringLiteral("ID1"));
    ID1->setMaxLength(6);
    ui::setHint(ID1, QStringLiteral("A lekérdezés kezdeti időszakának megadása ÉÉÉÉHH formában"));
    auto* label = new QLabel(QStringLiteral("Választott időszak megadása"), this);
    label->setObjectName(QStringLiteral("Label1"));
    label->setBuddy(ID1);
    ID1->setAccessibleName(QStringLiteral("Választott időszak megadása"));
    B1 = new QPushButton(QStringLiteral("OK"), this);
    B1->setObjectName(QStringLiteral("B1"));

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(box);
    outer->addWidget(label);
    outer->addWidget(ID1);
    outer->addWidget(B1, 0, Qt::AlignHCenter);
    outer->setSizeConstraint(QLayout::SetFixedSize);
    // Wide enough for the whole caption in the title bar: written in a bold
    // font there, beside the window's icon and buttons.
    QFont cimFont = font();
    cimFont.setBold(true);
    const int gombok =
        4 * std::max(24, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this));
    const QMargins m = outer->contentsMargins();
    box->setMinimumWidth(QFontMetrics(cimFont).horizontalAdvance(windowTitle()) * 11 / 10 + gombok -
                         m.left() - m.right());

    connect(RG1, &QButtonGroup::idClicked, this, &TajidoDialog::RG1Click);
    connect(B1, &QPushButton::clicked, this, &TajidoDialog::B1Click);
}

QRadioButton* TajidoDialog::choice(Tajido::Valasztas v) const {
    return qobject_cast<QRadioButton*>(RG1->button(int(v)));
}

void TajidoDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Nothing chosen, ID1 empty and disabled.
    RG1->setExclusive(false);
    for (QAbstractButton* b : RG1->buttons())
        b->setChecked(false);
    RG1->setExclusive(true);
    ID1->clear();
    ID1->setEnabled(false);
    span_.reset();
}

void TajidoDialog::RG1Click(int id) {
    const bool valasztott = Tajido::id1Enabled(Tajido::Valasztas(id));
    ID1->setEnabled(valasztott);
    if (valasztott)
        ID1->setFocus();
    else
        B1->setFocus();
}

void TajidoDialog::B1Click() {
    span_ = logic_.ok(Tajido::Valasztas(RG1->checkedId()), ID1->text());
    if (span_) accept();
}

std::optional<TajIdoszak> askTajIdoszak(core::AppState& state, QWidget* parent) {
    TajidoDialog d(state, parent);
    d.exec();
    return d.span();
}

} // namespace reports
