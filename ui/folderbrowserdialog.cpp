#include "ui/folderbrowserdialog.h"

#include "ui/hints.h"
#include "ui/qtmessages.h"
#include "ui/screenfit.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace ui {

FolderBrowserDialog::FolderBrowserDialog(Messages& msg, const QString& caption, const QString& mode,
                                         QWidget* anchor, QWidget* parent, const QString& startDir,
                                         const QStringList& drives)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      browser_(msg, startDir, drives), mode_(mode), anchor_(anchor) {
    setObjectName(QStringLiteral("TAlapkeres"));
    setWindowTitle(caption.isEmpty() ? QStringLiteral("Mentés helyének kiválasztása") : caption);
    setModal(true);
    ui::setHint(this, QStringLiteral("Az útvonal kiválasztása"));

    DriveCB = new QComboBox(this);
    DriveCB->setObjectName(QStringLiteral("DriveCB"));
    ui::setHint(DriveCB, QStringLiteral("A meghajtó kiválasztása"));
    DriveCB->setAccessibleName(QStringLiteral("A meghajtó kiválasztása"));
    DriveCB->addItems(browser_.drives());

    // The folder that "&OK" takes: the one shown, named in full.
    auto* chosenCaption = new QLabel(QStringLiteral("Kiválasztott mappa:"), this);
    DirLabel = new QLabel(this);
    DirLabel->setObjectName(QStringLiteral("DirLabel"));
    DirLabel->setTextInteractionFlags(Qt::NoTextInteraction);
    DirLabel->setWordWrap(true);
    DirLabel->setAccessibleName(QStringLiteral("Kiválasztott mappa"));

    DirLB = new QListWidget(this);
    DirLB->setObjectName(QStringLiteral("DirLB"));
    ui::setHint(DirLB, QStringLiteral("A könyvtár kiválasztása"));
    DirLB->setAccessibleName(QStringLiteral("Könyvtárak"));
    DirLB->setMinimumSize(260, 220);
    // Enter on a highlighted folder enters it, as in every file dialog;
    // Backspace goes up. "&OK" (Alt+O) takes the folder shown.
    DirLB->installEventFilter(this);
    auto* listCaption = new QLabel(QStringLiteral("&Könyvtárak:"), this);
    listCaption->setBuddy(DirLB);

    Igen = new QPushButton(QStringLiteral("&OK"), this);
    Igen->setObjectName(QStringLiteral("Igen"));
    ui::setHint(Igen, QStringLiteral("Az útvonal elmentése"));
    Igen->setDefault(true);
    Nem = new QPushButton(QStringLiteral("&Mégsem"), this);
    Nem->setObjectName(QStringLiteral("Nem"));
    ui::setHint(Nem, QStringLiteral("Vissza az alapbeállításra"));
    Nem->setAutoDefault(false);

    connect(Igen, &QPushButton::clicked, this, &FolderBrowserDialog::IgenClick);
    connect(Nem, &QPushButton::clicked, this, &FolderBrowserDialog::NemClick);
    connect(DriveCB, &QComboBox::activated, this, &FolderBrowserDialog::DriveCBChange);
    connect(DirLB, &QListWidget::itemDoubleClicked, this, &FolderBrowserDialog::DirLBDblClick);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Igen);
    buttons->addWidget(Nem);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(DriveCB);
    outer->addWidget(chosenCaption);
    outer->addWidget(DirLabel);
    outer->addWidget(listCaption);
    outer->addWidget(DirLB, 1);
    outer->addLayout(buttons);

    refresh();
    DirLB->setFocus();
}

void FolderBrowserDialog::refresh() {
    refreshing_ = true;
    DriveCB->setCurrentIndex(DriveCB->findText(browser_.drive()));
    DirLabel->setText(browser_.directory());
    DirLB->clear();
    DirLB->addItems(browser_.entries());
    if (DirLB->count() > 0) DirLB->setCurrentRow(0);
    refreshing_ = false;
}

void FolderBrowserDialog::showEvent(QShowEvent* event) {
    // Each showing starts without a choice, at the place its mode gives.
    browser_.cancel();
    QScreen* screen = anchor_ ? anchor_->screen() : this->screen();
    if (!screen) screen = QGuiApplication::primaryScreen();
    const QRect anchorRect = anchor_ ? anchor_->frameGeometry() : QRect();
    if (screen) placeWindow(this, FolderBrowser::position(mode_, screen->geometry(), anchorRect));
    QDialog::showEvent(event);
}

bool FolderBrowserDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == DirLB && event->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers m = k->modifiers() & ~Qt::KeypadModifier;
        if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) && m == Qt::NoModifier) {
            DirLBDblClick(DirLB->currentItem());
            return true;
        }
        if (k->key() == Qt::Key_Backspace && m == Qt::NoModifier) {
            if (browser_.enter(QStringLiteral(".."))) refresh();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void FolderBrowserDialog::IgenClick() {
    browser_.accept();
    done(Accepted);
}

void FolderBrowserDialog::NemClick() {
    browser_.cancel();
    done(Rejected);
}

void FolderBrowserDialog::reject() {
    NemClick();
}

void FolderBrowserDialog::DriveCBChange(int index) {
    if (refreshing_ || index < 0) return;
    // A drive that is not ready leaves the list on the drive of the folder shown.
    browser_.setDrive(DriveCB->itemText(index));
    refresh();
}

void FolderBrowserDialog::DirLBDblClick(QListWidgetItem* item) {
    if (item && browser_.enter(item->text())) refresh();
}

FolderChoice chooseFolder(Messages& msg, QWidget* parent, const QString& caption,
                          const QString& mode, QWidget* anchor, const QString& startDir) {
    FolderBrowserDialog dlg(msg, caption, mode, anchor, parent, startDir);
    dlg.exec();
    return dlg.result();
}

FolderChoice chooseFolder(QWidget* parent, const QString& caption, const QString& mode,
                          QWidget* anchor) {
    QtMessages msg(parent);
    return chooseFolder(msg, parent, caption, mode, anchor);
}

FolderChoice QtFolderAsker::chooseFolder(const QString& caption, const QString& mode) {
    const FolderChoice c = ui::chooseFolder(msg_, parent_, caption, mode, anchor_, last_);
    last_ = c.dir;
    return c;
}

} // namespace ui
