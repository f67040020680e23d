#include "db/restoresourcedialog.h"

#include "ui/folderbrowserdialog.h"

#include <QButtonGroup>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

namespace db {

RestoreSourceDialog::RestoreSourceDialog(const QString& mentkonyvtar, ui::Messages& msg,
                                         QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      ment_(mentkonyvtar), msg_(msg),
      ownFolders_(std::make_unique<ui::QtFolderAsker>(msg, this, this)),
      folders_(ownFolders_.get()) {
    setObjectName(QStringLiteral("Tviszv"));
    setWindowTitle(QStringLiteral("Visszatöltés"));
    setModal(true);

    RG1 = new QGroupBox(QStringLiteral("Válassza ki a visszatöltés helyét!"), this);
    RG1->setObjectName(QStringLiteral("RG1"));
    Ment = new QRadioButton(QStringLiteral("MENT könyvtár"), RG1);
    Ment->setObjectName(QStringLiteral("RG1_0"));
    Valasztott = new QRadioButton(QStringLiteral("Választott útvonal"), RG1);
    Valasztott->setObjectName(QStringLiteral("RG1_1"));
    group_ = new QButtonGroup(this);
    group_->addButton(Ment);
    group_->addButton(Valasztott);
    auto* items = new QVBoxLayout(RG1);
    items->addWidget(Ment);
    items->addWidget(Valasztott);

    B1 = new QPushButton(QStringLiteral("OK"), this);
    B1->setObjectName(QStringLiteral("B1"));
    B1->setDefault(true);
    connect(B1, &QPushButton::clicked, this, &RestoreSourceDialog::B1Click);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(B1);
    buttons->addStretch(1);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(RG1);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

RestoreSourceDialog::~RestoreSourceDialog() = default;

void RestoreSourceDialog::showEvent(QShowEvent* event) {
    // Each showing starts without a choice, 25 pixels from the left and 50
    // from the top of the screen.
    source_ = {};
    group_->setExclusive(false);
    Ment->setChecked(false);
    Valasztott->setChecked(false);
    group_->setExclusive(true);
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (screen) move(screen->geometry().topLeft() + QPoint(25, 50));
    QDialog::showEvent(event);
}

void RestoreSourceDialog::B1Click() {
    const RestoreSourceItem item = Ment->isChecked()         ? RestoreSourceItem::Ment
                                   : Valasztott->isChecked() ? RestoreSourceItem::ChosenFolder
                                                             : RestoreSourceItem::None;
    source_ = restoreSourceOk(item, ment_, msg_, *folders_);
    done(source_.dir.isEmpty() ? Rejected : Accepted);
}

RestoreSource QtRestoreSourceAsker::askRestoreSource() {
    RestoreSourceDialog dlg(ment_, msg_, parent_);
    dlg.exec();
    return dlg.source();
}

} // namespace db
