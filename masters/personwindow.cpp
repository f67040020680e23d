#include "masters/personwindow.h"

#include "app/appstate.h"
#include "masters/browsepanel.h"
#include "masters/formparts.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace masters {

PersonWindow::PersonWindow(app::AppState& state, const PersonConfig& config, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), st_(state),
      logic_(state, config), main_(mainWindow) {
    setObjectName(config.windowName);
    setWindowTitle(config.caption);
    if (!config.windowHint.isEmpty()) app::setHint(this, config.windowHint);
    setModal(true);

    const bool nurses = config.kind == PersonConfig::Kind::Apol;
    browse_ =
        new BrowsePanel(nurses ? apolPanel(st_.tables) : orvosPanel(st_.tables), st_.msg, this);
    browse_->setObjectName(nurses ? QStringLiteral("Apolkep1") : QStringLiteral("Orvoskep1"));
    browse_->setMinimumSize(420, 300);

    kilep = form::button(this, "kilep", QStringLiteral("Kilépés"),
                         QStringLiteral("Visszalépés a főmenübe"));
    uj = form::button(this, "uj", QStringLiteral("Új felvitel"), config.ujHint);
    modos = form::button(this, "modos", QStringLiteral("Módosítás"), config.modosHint);
    torol = form::button(this, "torol", QStringLiteral("Törlés"), config.torolHint);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    keyEdit_ = form::edit(Panel1, config.keyControl, config.keyWidth, config.keyHint);
    nameEdit_ = form::edit(Panel1, config.nameControl, config.nameWidth, config.nameHint);
    BB1 = form::button(Panel1, "BB1", QStringLiteral("Kész"), config.keszHint);
    BB2 = form::button(Panel1, "BB2", QStringLiteral("Mégse"),
                       QStringLiteral("Kilépés a rögzítésből mentés nélkül"));
    // A click on "Kész" or "Mégse" leaves the focus in its field, so that
    // "Kész" can run the key field's own check first.
    BB1->setFocusPolicy(Qt::TabFocus);
    BB2->setFocusPolicy(Qt::TabFocus);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    keyEdit_->setFixedWidth(digit * (config.keyWidth + 2) + 12);
    nameEdit_->setMinimumWidth(digit * 25);

    auto* fields = new QHBoxLayout;
    fields->addWidget(keyEdit_);
    fields->addWidget(nameEdit_, 1);
    auto* keszMegse = new QHBoxLayout;
    keszMegse->addStretch(1);
    keszMegse->addWidget(BB1);
    keszMegse->addWidget(BB2);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addWidget(form::label(Panel1, "Label1", config.panelLabel, keyEdit_));
    panelLayout->addLayout(fields);
    panelLayout->addLayout(keszMegse);
    Panel1->hide();

    auto* buttons = new QVBoxLayout;
    buttons->addWidget(uj);
    buttons->addWidget(modos);
    buttons->addWidget(torol);
    buttons->addStretch(1);
    buttons->addWidget(kilep);
    auto* top = new QHBoxLayout;
    top->addWidget(browse_, 1);
    top->addLayout(buttons);
    auto* outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(Panel1);
    // Fixed border: the window grows and shrinks with the panel.
    outer->setSizeConstraint(QLayout::SetFixedSize);

    setTabOrder(keyEdit_, nameEdit_);
    setTabOrder(nameEdit_, BB1);
    setTabOrder(BB1, BB2);
    keyEdit_->installEventFilter(this);
    nameEdit_->installEventFilter(this);

    connect(kilep, &QPushButton::clicked, this, &PersonWindow::kilepClick);
    connect(uj, &QPushButton::clicked, this, &PersonWindow::ujClick);
    connect(modos, &QPushButton::clicked, this, &PersonWindow::modosClick);
    connect(torol, &QPushButton::clicked, this, &PersonWindow::torolClick);
    connect(BB1, &QPushButton::clicked, this, &PersonWindow::BB1Click);
    connect(BB2, &QPushButton::clicked, this, &PersonWindow::BB2Click);
    connect(qApp, &QApplication::focusChanged, this, &PersonWindow::focusMoved);

    browse_->grid()->setFocus();
}

PersonWindow::~PersonWindow() = default;

void PersonWindow::showEvent(QShowEvent* event) {
    form::placeBelowMain(this, main_);
    QDialog::showEvent(event);
}

void PersonWindow::openPanel(const QString& key, const QString& name, bool keyReadOnly) {
    steering_ = true;
    keyEdit_->setText(key);
    nameEdit_->setText(name);
    keyEdit_->setReadOnly(keyReadOnly);
    Panel1->show();
    // The list and the four buttons rest while the panel is open.
    browse_->setBrowseEnabled(false);
    for (QPushButton* b : {kilep, uj, modos, torol})
        b->setEnabled(false);
    QLineEdit* first = keyReadOnly ? nameEdit_ : keyEdit_;
    first->setFocus(Qt::OtherFocusReason);
    first->selectAll();
    steering_ = false;
}

void PersonWindow::closePanel() {
    steering_ = true;
    Panel1->hide();
    for (QPushButton* b : {kilep, uj, modos, torol})
        b->setEnabled(true);
    browse_->setBrowseEnabled(true);
    browse_->refresh();
    browse_->grid()->setFocus(Qt::OtherFocusReason);
    steering_ = false;
}

void PersonWindow::focusKey() {
    steering_ = true;
    keyEdit_->setFocus(Qt::OtherFocusReason);
    keyEdit_->selectAll();
    steering_ = false;
}

void PersonWindow::ujClick() {
    logic_.uj();
    openPanel(QString(), QString(), false);
}

void PersonWindow::modosClick() {
    const auto f = logic_.modos();
    if (!f) return;
    openPanel(f->key, f->name, true);
}

void PersonWindow::torolClick() {
    logic_.torol();
    browse_->refresh();
}

void PersonWindow::kilepClick() {
    QDialog::reject();
}

void PersonWindow::reject() {
    if (logic_.panelOpen())
        BB2Click();
    else
        kilepClick();
}

bool PersonWindow::keyLeft() {
    if (keyEdit_->isReadOnly()) return true;
    return logic_.keyExit(keyEdit_->text());
}

void PersonWindow::BB1Click() {
    if (!logic_.panelOpen()) return;
    // Pressed with the mouse while in the key field: that field is left first.
    if (focusWidget() == keyEdit_ && !keyLeft()) {
        focusKey();
        return;
    }
    kesz();
}

void PersonWindow::kesz() {
    switch (logic_.kesz(keyEdit_->text(), nameEdit_->text())) {
    case PersonRegister::Save::Refused:
        focusKey();
        break;
    case PersonRegister::Save::Saved:
    case PersonRegister::Save::Declined:
        closePanel();
        break;
    }
}

void PersonWindow::BB2Click() {
    if (!logic_.panelOpen()) return;
    logic_.megse();
    closePanel();
}

void PersonWindow::focusMoved(QWidget* old, QWidget* now) {
    if (steering_ || !logic_.panelOpen()) return;
    // Only a move between two controls of this window counts as leaving the
    // field; a message box taking the focus for a while does not.
    if (old != keyEdit_ || !now || now->window() != this || now == BB2) return;
    if (!keyLeft()) focusKey();
}

bool PersonWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && form::isEnter(static_cast<QKeyEvent*>(event))) {
        // Enter in the key field moves to the name (leaving the key field);
        // in the name field it presses "Kész".
        if (watched == keyEdit_) {
            nameEdit_->setFocus(Qt::TabFocusReason);
            return true;
        }
        if (watched == nameEdit_) {
            kesz();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

namespace {

void openPersons(app::AppState& state, QWidget* parent, const PersonConfig& config) {
    QCoreApplication::processEvents();
    PersonWindow w(state, config, parent);
    w.logic().open();
    w.panel()->grid()->setFocus();
    w.exec();
}

} // namespace

void openApolok(app::AppState& state, QWidget* parent) {
    openPersons(state, parent, apolConfig());
}

void openOrvosok(app::AppState& state, QWidget* parent) {
    openPersons(state, parent, orvosConfig());
}

} // namespace masters
