#include "masters/recordpickwindow.h"

#include "core/appstate.h"
#include "masters/browsepanel.h"
#include "masters/formparts.h"
#include "ui/messages.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QTableView>
#include <QVBoxLayout>

namespace masters {

namespace {

struct PickerLook {
    const char* name;
    QString caption;
    const char* panelName;
    QString valasztHint;
};

PickerLook lookOf(RecordPickWindow::Kind kind) {
    switch (kind) {
    case RecordPickWindow::Kind::Apol:
        return {"TApolf", QStringLiteral("Szakápoló választás"), "Apolkep1",
                QStringLiteral("Szakápoló kiválasztása")};
    case RecordPickWindow::Kind::Orvos:
        return {"Torvval", QStringLiteral("Orvosok választása"), "Orvoskep1", QString()};
    case RecordPickWindow::Kind::Telep:
        return {"Ttelepval", QStringLiteral("Település választása"), "Telepkep1",
                QStringLiteral("Település kiválasztása")};
    case RecordPickWindow::Kind::Bno:
        break;
    }
    return {"Tbnoval", QStringLiteral("BNO kódok keresése"), "BNOkep1", QString()};
}

RecordPick pickOf(core::AppState& st, RecordPickWindow::Kind kind) {
    switch (kind) {
    case RecordPickWindow::Kind::Apol:
        return RecordPick::apol(st);
    case RecordPickWindow::Kind::Orvos:
        return RecordPick::orvos(st);
    case RecordPickWindow::Kind::Telep:
        return RecordPick::telep(st);
    case RecordPickWindow::Kind::Bno:
        break;
    }
    return RecordPick::bno(st);
}

BrowseConfig panelOf(core::AppState& st, RecordPickWindow::Kind kind) {
    switch (kind) {
    case RecordPickWindow::Kind::Apol:
        return apolPanel(st.tables);
    case RecordPickWindow::Kind::Orvos:
        return orvosPanel(st.tables);
    case RecordPickWindow::Kind::Telep:
        return telepPanel(st.tables);
    case RecordPickWindow::Kind::Bno:
        break;
    }
    return bnoPanel(st.tables);
}

// The program's main window: the top window above `w`.
QWidget* mainWindowOf(QWidget* w) {
    QWidget* top = w ? w->window() : nullptr;
    while (top && top->parentWidget())
        top = top->parentWidget()->window();
    return top;
}

std::optional<CodeName> show(core::AppState& st, RecordPickWindow::Kind kind, QWidget* caller,
                             const QString& mode = {}) {
    RecordPickWindow* p = RecordPickWindow::of(st, kind, caller);
    p->setCaller(caller, mode);
    p->exec();
    const RecordPick& r = p->logic();
    std::optional<CodeName> out;
    if (kind == RecordPickWindow::Kind::Apol ? r.chosen() : !r.key().isEmpty())
        out = CodeName(r.key(), r.name());
    // Without a main window to keep it, the picker goes with this showing.
    if (!p->parentWidget()) delete p;
    return out;
}

} // namespace

RecordPickWindow::RecordPickWindow(core::AppState& state, Kind kind, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), kind_(kind),
      logic_(pickOf(state, kind)) {
    const PickerLook look = lookOf(kind);
    setObjectName(QLatin1String(look.name));
    setWindowTitle(look.caption);
    setModal(true);

    panel_ = new BrowsePanel(panelOf(state, kind), state.msg, this);
    panel_->setObjectName(QLatin1String(look.panelName));
    panel_->setMinimumSize(kind == Kind::Bno ? 560 : 420, 300);

    BB1 = form::button(this, "BB1", QStringLiteral("Választ"), look.valasztHint);
    BB2 = form::button(this, "BB2", QStringLiteral("Mégse"),
                       QStringLiteral("Kilépés választás nélkül"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(BB1);
    buttons->addWidget(BB2);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(panel_, 1);
    outer->addLayout(buttons);
    outer->setSizeConstraint(QLayout::SetFixedSize);

    connect(BB1, &QPushButton::clicked, this, &RecordPickWindow::BB1Click);
    connect(BB2, &QPushButton::clicked, this, &RecordPickWindow::BB2Click);
    // Enter in the grid: the panel's own key handling, then "Választ".
    connect(panel_, &BrowsePanel::activated, this, &RecordPickWindow::BB1Click);
}

RecordPickWindow::~RecordPickWindow() = default;

RecordPickWindow* RecordPickWindow::of(core::AppState& state, Kind kind, QWidget* caller) {
    QWidget* main = mainWindowOf(caller);
    const QString name = QLatin1String(lookOf(kind).name);
    if (main)
        if (auto* p = main->findChild<RecordPickWindow*>(name, Qt::FindDirectChildrenOnly))
            return p;
    return new RecordPickWindow(state, kind, main);
}

void RecordPickWindow::setCaller(QWidget* caller, const QString& mode) {
    caller_ = caller;
    mode_ = mode;
}

void RecordPickWindow::showEvent(QShowEvent* event) {
    logic_.activate();
    if (caller_) {
        switch (kind_) {
        case Kind::Apol:
        case Kind::Bno:
            form::placeRightAligned(this, caller_, 1, 2);
            break;
        case Kind::Orvos:
            form::placeRightAligned(this, caller_, 1, 3);
            break;
        case Kind::Telep:
            if (mode_ == QLatin1String("B")) {
                // Beside the patient window, at a third of its height.
                const QRect c = caller_->frameGeometry();
                move(c.right() + 1, c.top() + c.height() / 3);
            } else {
                form::placeRightAligned(this, caller_, 1, 3);
            }
            break;
        }
    }
    panel_->grid()->setFocus();
    QDialog::showEvent(event);
}

void RecordPickWindow::BB1Click() {
    logic_.valaszt();
    accept();
}

void RecordPickWindow::BB2Click() {
    logic_.megse();
    QDialog::reject();
}

void RecordPickWindow::reject() {
    BB2Click();
}

std::optional<CodeName> pickApol(core::AppState& state, QWidget* caller) {
    return show(state, RecordPickWindow::Kind::Apol, caller);
}

std::optional<CodeName> pickOrvos(core::AppState& state, QWidget* caller) {
    return show(state, RecordPickWindow::Kind::Orvos, caller);
}

std::optional<CodeName> pickTelepules(core::AppState& state, QWidget* caller, const QString& mode) {
    return show(state, RecordPickWindow::Kind::Telep, caller, mode);
}

std::optional<CodeName> pickBno(core::AppState& state, QWidget* caller) {
    return show(state, RecordPickWindow::Kind::Bno, caller);
}

} // namespace masters
