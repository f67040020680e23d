#include "masters/personwindow.h"

#include "core/appstate.h"
#include "db/layouts.h"
#include "masters/browsepanel.h"
#include "masters/formparts.h"
#include "ui/fieldbinder.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QTableView>
#include <QVBoxLayout>

namespace masters {

namespace {

MaintenanceShell personShell(core::AppState& state, const PersonConfig& config) {
    const bool nurses = config.kind == PersonConfig::Kind::Apol;
    return {config.windowName,
            config.caption,
            nurses ? apolPanel(state.tables) : orvosPanel(state.tables),
            nurses ? QStringLiteral("Apolkep1") : QStringLiteral("Orvoskep1"),
            QSize(420, 300),
            config.ujHint,
            config.modosHint,
            config.torolHint};
}

} // namespace

PersonWindow::PersonWindow(core::AppState& state, const PersonConfig& config, QWidget* mainWindow)
    : MaintenanceWindow(personShell(state, config), state.msg, mainWindow), logic_(state, config) {
    if (!config.windowHint.isEmpty()) ui::setHint(this, config.windowHint);

    auto* Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFrameShape(QFrame::StyledPanel);
    keyEdit_ = form::edit(Panel1, config.keyControl, config.keyWidth, config.keyHint);
    nameEdit_ = form::edit(Panel1, config.nameControl, config.nameWidth, config.nameHint);
    QHBoxLayout* buttons =
        keszMegse(Panel1, config.keszHint, QStringLiteral("Kilépés a rögzítésből mentés nélkül"));
    // A click on "Kész" or "Mégse" leaves the focus in its field, so that
    // "Kész" can run the key field's own check first.
    BB1->setFocusPolicy(Qt::TabFocus);
    BB2->setFocusPolicy(Qt::TabFocus);
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    keyEdit_->setFixedWidth(digit * (config.keyWidth + 2) + 12);
    nameEdit_->setMinimumWidth(digit * 25);
    nameEdit_->setAccessibleName(config.panelLabel);

    auto* fields = new QHBoxLayout;
    fields->addWidget(keyEdit_);
    fields->addWidget(nameEdit_, 1);
    auto* panelLayout = new QVBoxLayout(Panel1);
    panelLayout->addWidget(form::label(Panel1, "Label1", config.panelLabel, keyEdit_));
    panelLayout->addLayout(fields);
    panelLayout->addLayout(buttons);

    setTabOrder(keyEdit_, nameEdit_);
    setTabOrder(nameEdit_, BB1);
    setTabOrder(BB1, BB2);
    keyEdit_->installEventFilter(this);
    nameEdit_->installEventFilter(this);
    // Leaving the key field checks it ("Mégse" leaves it unchecked).
    fields_ = new ui::FieldBinder(this);
    fields_->bind(keyEdit_, config.keyControl);
    fields_->bind(nameEdit_, config.nameControl);
    fields_->onExit(config.keyControl, [this]() -> ui::FieldExit {
        if (!logic_.panelOpen()) return {};
        if (keyLeft()) return {};
        return {false, keyEdit_->objectName()};
    });
    // Both fields take what their columns hold; a stamp number is digits.
    const db::TableId table =
        config.kind == PersonConfig::Kind::Apol ? db::TableId::Apol : db::TableId::Orvos;
    const engine::FieldDef& key = db::column(table, config.keyField);
    fields_->setRule(config.keyControl,
                     config.kind == PersonConfig::Kind::Orvos ? ui::digitsOf(key, config.keyHint)
                                                              : ui::ruleOf(key, config.keyHint),
                     state.msg);
    fields_->setRule(config.nameControl,
                     ui::ruleOf(db::column(table, config.nameField), config.nameHint), state.msg);
    fields_->exempt(BB2);
    setUpShell(Panel1);
}

PersonWindow::~PersonWindow() = default;

void PersonWindow::openPanel(const QString& key, const QString& name, bool keyReadOnly) {
    ui::FieldBinder::Hold hold(*fields_);
    keyEdit_->setText(key);
    nameEdit_->setText(name);
    keyEdit_->setReadOnly(keyReadOnly);
    // The list and the four buttons rest while the panel is open.
    openShell();
    QLineEdit* first = keyReadOnly ? nameEdit_ : keyEdit_;
    first->setFocus(Qt::OtherFocusReason);
    first->selectAll();
}

void PersonWindow::closePanel() {
    ui::FieldBinder::Hold hold(*fields_);
    closeShell();
}

void PersonWindow::focusKey() {
    fields_->focusField(keyEdit_->objectName());
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

bool PersonWindow::keyLeft() {
    if (keyEdit_->isReadOnly()) return true;
    return logic_.keyExit(keyEdit_->text());
}

void PersonWindow::BB1Click() {
    if (!logic_.panelOpen()) return;
    // Pressed with the mouse while in the key field: that field is left first.
    if (!fields_->leaveCurrent()) return;
    kesz();
}

void PersonWindow::kesz() {
    switch (logic_.kesz(keyEdit_->text(), nameEdit_->text())) {
    case Person::Save::Refused:
        focusKey();
        break;
    case Person::Save::Saved:
    case Person::Save::Declined:
        closePanel();
        break;
    }
}

void PersonWindow::BB2Click() {
    if (!logic_.panelOpen()) return;
    logic_.megse();
    closePanel();
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

void openPersons(core::AppState& state, QWidget* parent, const PersonConfig& config) {
    QCoreApplication::processEvents();
    PersonWindow w(state, config, parent);
    w.logic().open();
    w.panel()->grid()->setFocus();
    w.exec();
}

} // namespace

void openApolok(core::AppState& state, QWidget* parent) {
    openPersons(state, parent, apolConfig());
}

void openOrvosok(core::AppState& state, QWidget* parent) {
    openPersons(state, parent, orvosConfig());
}

} // namespace masters
