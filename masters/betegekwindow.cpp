#include "masters/betegekwindow.h"

#include "core/appstate.h"
#include "db/layouts.h"
#include "masters/browsepanel.h"
#include "masters/formparts.h"
#include "ui/fieldbinder.h"
#include "ui/messages.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTableView>

namespace masters {

namespace {

// The fields of the data group, in their tab order.
constexpr BetegFokusz mezok[] = {BetegFokusz::azt,  BetegFokusz::btaj,    BetegFokusz::Bnev,
                                 BetegFokusz::bnem, BetegFokusz::bkod,    BetegFokusz::bvaros,
                                 BetegFokusz::bcim, BetegFokusz::Bszhely, BetegFokusz::bszido};

// The control name of a field, the binder's name for it.
QString nev(BetegFokusz f) {
    switch (f) {
    case BetegFokusz::azt:
        return QStringLiteral("azt");
    case BetegFokusz::btaj:
        return QStringLiteral("btaj");
    case BetegFokusz::Bnev:
        return QStringLiteral("Bnev");
    case BetegFokusz::bnem:
        return QStringLiteral("bnem");
    case BetegFokusz::bkod:
        return QStringLiteral("bkod");
    case BetegFokusz::bvaros:
        return QStringLiteral("bvaros");
    case BetegFokusz::bcim:
        return QStringLiteral("bcim");
    case BetegFokusz::Bszhely:
        return QStringLiteral("Bszhely");
    case BetegFokusz::bszido:
        return QStringLiteral("bszido");
    case BetegFokusz::racs:
        return QStringLiteral("racs");
    case BetegFokusz::Marad:
        break;
    }
    return {};
}

void setIfChanged(QLineEdit* e, const QString& text) {
    if (e->text() != text) e->setText(text);
}

MaintenanceShell betegShell(core::AppState& state) {
    BrowseConfig list = betegPanel(state.tables);
    list.columns[0].title = QStringLiteral("TAJ/Azonosító");
    return {QStringLiteral("Tbetegfel"),
            QStringLiteral("Betegek megjelenítése"),
            std::move(list),
            QStringLiteral("Betegkep1"),
            QSize(560, 300),
            QStringLiteral("Új beteg felvitele"),
            QStringLiteral("Beteg módosítása"),
            QStringLiteral("Beteg törlése")};
}

} // namespace

BetegekWindow::BetegekWindow(core::AppState& state, QWidget* anchor)
    : MaintenanceWindow(betegShell(state), state.msg, anchor), logic_(state) {
    setStatusTip(QStringLiteral("A betegek adatai"));

    // The data group.
    auto* GBox1 = new QGroupBox(QStringLiteral("A beteg adatai"), this);
    GBox1->setObjectName(QStringLiteral("GBox1"));
    ui::setHint(GBox1, QStringLiteral("A beteg adatainak rögzítése"));

    azt = form::edit(GBox1, "azt", 1, QStringLiteral("Azonosító kód (Alapértelmezés: 1)"));
    btaj = form::edit(GBox1, "btaj", 9, QStringLiteral("A beteg TAJ száma"));
    // The texts without a limit of their own stop at their field's width.
    Bnev = form::edit(GBox1, "Bnev", 25, QStringLiteral("A beteg neve"));
    bnem = new QComboBox(GBox1);
    bnem->setObjectName(QStringLiteral("bnem"));
    bnem->addItems({nemNeve(0), nemNeve(1)});
    bnem->setCurrentIndex(-1);
    ui::setHint(bnem, QStringLiteral("A beteg neme"));
    bkod = form::edit(GBox1, "bkod", 7, QStringLiteral("Közigazgatási kód"));
    bvaros = form::edit(GBox1, "bvaros", 25, QStringLiteral("Város megnevezése"));
    bcim = form::edit(GBox1, "bcim", 25, QStringLiteral("Utca, házszám. stb"));
    Bszhely = form::edit(GBox1, "Bszhely", 25, QStringLiteral("Születési hely"));
    bszido = form::edit(GBox1, "bszido", 0, QStringLiteral("Születési idő"));
    bszido->setInputMask(QStringLiteral("9999.99.99;_"));
    // The fields beside another field's label are named by their hints.
    for (QLineEdit* e : {bvaros, bcim, bszido})
        e->setAccessibleName(e->toolTip());
    QHBoxLayout* buttons = keszMegse(GBox1, QStringLiteral("A beteg adatai rögzítésének vége"),
                                     QStringLiteral("Kilépés a rögzítésből mentés nélkül"));
    // A click on "Kész" or "Mégse" leaves the focus in the field: "Kész" first
    // runs the field's own leave step, "Mégse" throws the group away unchecked.
    BB1->setFocusPolicy(Qt::TabFocus);
    BB2->setFocusPolicy(Qt::TabFocus);

    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    azt->setFixedWidth(digit * 3 + 12);
    btaj->setFixedWidth(digit * 11 + 12);
    bkod->setFixedWidth(digit * 9 + 12);
    bszido->setFixedWidth(digit * 12 + 12);

    auto* g = new QGridLayout(GBox1);
    g->addWidget(form::label(GBox1, "Label1", QStringLiteral("Azonosító típus"), azt), 0, 0);
    g->addWidget(azt, 0, 1, Qt::AlignLeft);
    g->addWidget(form::label(GBox1, "Label2", QStringLiteral("TAJ / Azonosító"), btaj), 0, 2,
                 Qt::AlignRight);
    g->addWidget(btaj, 0, 3, Qt::AlignLeft);
    g->addWidget(form::label(GBox1, "Label3", QStringLiteral("Név"), Bnev), 1, 0);
    g->addWidget(Bnev, 1, 1, 1, 3);
    g->addWidget(form::label(GBox1, "Label4", QStringLiteral("Neme"), bnem), 1, 4, Qt::AlignRight);
    g->addWidget(bnem, 1, 5);
    g->addWidget(form::label(GBox1, "Label5", QStringLiteral("Címe"), bkod), 2, 0);
    g->addWidget(bkod, 2, 1, Qt::AlignLeft);
    g->addWidget(bvaros, 2, 2, 1, 2);
    g->addWidget(bcim, 2, 4, 1, 2);
    g->addWidget(form::label(GBox1, "Label6", QStringLiteral("Születési hely és idő"), Bszhely), 3,
                 0);
    g->addWidget(Bszhely, 3, 1, 1, 3);
    g->addWidget(bszido, 3, 4, 1, 2, Qt::AlignLeft);
    g->addLayout(buttons, 4, 0, 1, 6);

    QWidget* order[] = {azt, btaj, Bnev, bnem, bkod, bvaros, bcim, Bszhely, bszido, BB1, BB2};
    for (size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    for (QWidget* w :
         {static_cast<QWidget*>(azt), static_cast<QWidget*>(btaj), static_cast<QWidget*>(Bnev),
          static_cast<QWidget*>(bnem), static_cast<QWidget*>(bkod), static_cast<QWidget*>(bvaros),
          static_cast<QWidget*>(bcim), static_cast<QWidget*>(Bszhely),
          static_cast<QWidget*>(bszido)})
        w->installEventFilter(this);

    bindFields(state);
    setUpShell(GBox1);
}

void BetegekWindow::bindFields(core::AppState& state) {
    // The fields' leave steps, the settlement name's enter step and the
    // settlement picker. "Mégse" throws the group away unchecked.
    fields_ = new ui::FieldBinder(this);
    for (BetegFokusz f : mezok)
        fields_->bind(mezo(f), nev(f));
    fields_->bind(panel()->grid(), nev(BetegFokusz::racs));
    for (BetegFokusz f : {BetegFokusz::azt, BetegFokusz::btaj, BetegFokusz::bnem, BetegFokusz::bkod,
                          BetegFokusz::bszido})
        fields_->onExit(nev(f), [this, f] { return kilepes(f); });
    fields_->onEnter(nev(BetegFokusz::bvaros), [this] {
        if (!logic_.csoportNyitva()) return;
        olvas();
        logic_.bvarosEnter();
        mutat();
        bvaros->selectAll();
    });
    fields_->onDoubleClick(nev(BetegFokusz::bkod), [this] { bkodDblClick(); });
    // What each field may hold, from its column of BETEG; the messages name
    // a field by its label.
    struct Oszlop {
        BetegFokusz mezo;
        const char* oszlop;
        QString cimke;
    };
    const Oszlop oszlopok[] = {
        {BetegFokusz::azt, "AZTIP", QStringLiteral("Azonosító típus")},
        {BetegFokusz::btaj, "TAJ", QStringLiteral("TAJ / Azonosító")},
        {BetegFokusz::Bnev, "NEV", QStringLiteral("Név")},
        {BetegFokusz::bkod, "KOZIGKOD", QStringLiteral("Címe")},
        {BetegFokusz::bvaros, "CIME1", bvaros->accessibleName()},
        {BetegFokusz::bcim, "CIME2", bcim->accessibleName()},
        {BetegFokusz::Bszhely, "SZULH", QStringLiteral("Születési hely")},
    };
    for (const Oszlop& o : oszlopok)
        fields_->setRule(
            nev(o.mezo),
            ui::ruleOf(db::column(db::TableId::Beteg, QLatin1String(o.oszlop)), o.cimke),
            state.msg);
    fields_->exempt(BB2);
}

BetegekWindow::~BetegekWindow() = default;

// ---------------------------------------------------------------- binding

void BetegekWindow::olvas() {
    BetegAdatok& a = logic_.adat;
    a.azt = azt->text();
    a.btaj = btaj->text();
    a.Bnev = Bnev->text();
    a.bnem = bnem->currentIndex();
    a.bkod = bkod->text();
    a.bvaros = bvaros->text();
    a.bcim = bcim->text();
    a.Bszhely = Bszhely->text();
    a.bszido = bszido->displayText().replace(QLatin1Char('_'), QLatin1Char(' '));
}

void BetegekWindow::mutat() {
    const BetegAdatok& a = logic_.adat;
    setIfChanged(azt, a.azt);
    setIfChanged(btaj, a.btaj);
    setIfChanged(Bnev, a.Bnev);
    if (bnem->currentIndex() != a.bnem) bnem->setCurrentIndex(a.bnem);
    setIfChanged(bkod, a.bkod);
    setIfChanged(bvaros, a.bvaros);
    setIfChanged(bcim, a.bcim);
    setIfChanged(Bszhely, a.Bszhely);
    const QString shown = bszido->displayText().replace(QLatin1Char('_'), QLatin1Char(' '));
    if (shown != a.bszido) {
        if (a.bszido.trimmed().remove(QLatin1Char('.')).trimmed().isEmpty())
            bszido->clear();
        else
            bszido->setText(a.bszido);
    }
    azt->setReadOnly(logic_.aztCsakOlvas());
    btaj->setReadOnly(logic_.btajCsakOlvas());
}

QWidget* BetegekWindow::mezo(BetegFokusz f) const {
    switch (f) {
    case BetegFokusz::azt:
        return azt;
    case BetegFokusz::btaj:
        return btaj;
    case BetegFokusz::Bnev:
        return Bnev;
    case BetegFokusz::bnem:
        return bnem;
    case BetegFokusz::bkod:
        return bkod;
    case BetegFokusz::bvaros:
        return bvaros;
    case BetegFokusz::bcim:
        return bcim;
    case BetegFokusz::Bszhely:
        return Bszhely;
    case BetegFokusz::bszido:
        return bszido;
    case BetegFokusz::racs:
        return panel()->grid();
    case BetegFokusz::Marad:
        break;
    }
    return nullptr;
}

void BetegekWindow::fokusz(BetegFokusz f) {
    if (f != BetegFokusz::Marad) fields_->focusField(nev(f));
}

// ---------------------------------------------------------------- group

void BetegekWindow::csoportNyit(BetegFokusz f) {
    // The focus is moved here; nothing may check a field on the way.
    ui::FieldBinder::Hold hold(*fields_);
    mutat();
    openShell();
    fokusz(f);
}

void BetegekWindow::csoportZar() {
    ui::FieldBinder::Hold hold(*fields_);
    closeShell();
}

void BetegekWindow::ujClick() {
    logic_.ujClick();
    csoportNyit(BetegFokusz::azt);
}

void BetegekWindow::modosClick() {
    if (logic_.modosClick() == BetegFokusz::Marad) return;
    csoportNyit(BetegFokusz::Bnev);
}

void BetegekWindow::BB1Click() {
    if (!logic_.csoportNyitva()) return;
    // A click leaves the focus in its field: that field is left first.
    if (!fields_->leaveCurrent()) return;
    kesz();
}

void BetegekWindow::kesz() {
    olvas();
    const BetegFokusz f = logic_.kesz();
    mutat();
    if (f == BetegFokusz::racs)
        csoportZar();
    else
        fokusz(f);
}

void BetegekWindow::BB2Click() {
    if (!logic_.csoportNyitva()) return;
    logic_.megse();
    csoportZar();
}

// ---------------------------------------------------------------- fields

ui::FieldExit BetegekWindow::kilepes(BetegFokusz m) {
    if (!logic_.csoportNyitva()) return {};
    olvas();
    BetegFokusz f = BetegFokusz::Marad;
    switch (m) {
    case BetegFokusz::azt:
        f = logic_.aztExit();
        break;
    case BetegFokusz::btaj:
        f = logic_.btajExit();
        break;
    case BetegFokusz::bnem:
        f = logic_.bnemExit();
        break;
    case BetegFokusz::bkod:
        f = logic_.bkodExit();
        break;
    case BetegFokusz::bszido:
        f = logic_.bszidoExit();
        break;
    default:
        break;
    }
    mutat();
    if (f == BetegFokusz::Marad) return {};
    return {false, nev(f)};
}

void BetegekWindow::bkodDblClick() {
    if (!logic_.csoportNyitva()) return;
    std::optional<Telepules> chosen;
    if (pickTelepules_) chosen = pickTelepules_(this);
    olvas();
    const BetegFokusz f = logic_.bkodDblClick(chosen);
    mutat();
    fokusz(f);
}

bool BetegekWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    auto* k = static_cast<QKeyEvent*>(event);
    if (!form::isEnter(k)) return QDialog::eventFilter(watched, event);

    // Enter moves on to the next field; in the birth date it presses "Kész";
    // in the identifier type it does nothing.
    if (watched == azt) return true;
    if (watched == bszido) {
        kesz();
        return true;
    }
    static const BetegFokusz sor[] = {BetegFokusz::btaj,    BetegFokusz::Bnev,   BetegFokusz::bnem,
                                      BetegFokusz::bkod,    BetegFokusz::bvaros, BetegFokusz::bcim,
                                      BetegFokusz::Bszhely, BetegFokusz::bszido};
    for (size_t i = 0; i + 1 < std::size(sor); ++i) {
        if (watched == mezo(sor[i])) {
            QWidget* next = mezo(sor[i + 1]);
            next->setFocus(Qt::TabFocusReason);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---------------------------------------------------------------- entry

void openBetegek(core::AppState& state, QWidget* parent, TelepulesValaszto pickTelepules) {
    QCoreApplication::processEvents();
    state.msg.status(0, QStringLiteral("Új beteg rögzítése"));
    BetegekWindow w(state, parent);
    w.setTelepulesValaszto(std::move(pickTelepules));
    w.panel()->grid()->setFocus();
    w.exec();
}

} // namespace masters
