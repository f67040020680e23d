#include "masters/contractwindow.h"

#include "core/appstate.h"
#include "engine/table.h"
#include "masters/formparts.h"
#include "masters/tablemodel.h"
#include "ui/fieldbinder.h"
#include "ui/screenfit.h"
#include "ui/valuefield.h"

#include <QApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace masters {

namespace {

QWidget* navigatorWith(QWidget* parent, const QString& name, QToolButton* (&buttons)[4]) {
    auto* nav = new QWidget(parent);
    nav->setObjectName(name);
    auto* h = new QHBoxLayout(nav);
    h->setContentsMargins(0, 0, 0, 0);
    h->setSpacing(0);
    const struct {
        const char* name;
        QStyle::StandardPixmap icon;
        QString tip;
    } look[4] = {
        {"nbFirst", QStyle::SP_MediaSkipBackward, QStringLiteral("Első rekord")},
        {"nbPrior", QStyle::SP_MediaSeekBackward, QStringLiteral("Előző rekord")},
        {"nbNext", QStyle::SP_MediaSeekForward, QStringLiteral("Következő rekord")},
        {"nbLast", QStyle::SP_MediaSkipForward, QStringLiteral("Utolsó rekord")},
    };
    for (int i = 0; i < 4; ++i) {
        auto* b = new QToolButton(nav);
        b->setObjectName(QLatin1String(look[i].name));
        b->setIcon(parent->style()->standardIcon(look[i].icon));
        b->setToolTip(look[i].tip);
        b->setStatusTip(look[i].tip);
        // A click takes the focus, so that it enters the panel first.
        b->setFocusPolicy(Qt::ClickFocus);
        h->addWidget(b);
        buttons[i] = b;
    }
    h->addStretch(1);
    return nav;
}

bool browsing(const engine::Table& t) {
    return t.isOpen() && t.state() == engine::Table::State::Browse;
}

BrowseColumn column(const QString& title, const QString& field) {
    BrowseColumn c;
    c.title = title;
    c.field = field;
    return c;
}

using Row = RecordFields::Row;

} // namespace

// ---------------------------------------------------------------- RecordFields

RecordFields::RecordFields(const QString& title, engine::Table& table, const std::vector<Row>& rows,
                           bool navigator, QWidget* parent)
    : QGroupBox(title, parent), table_(table) {
    auto* outer = new QVBoxLayout(this);
    if (navigator) {
        QToolButton* b[4];
        outer->addWidget(navigatorWith(this, QStringLiteral("DBNavigator"), b));
        void (engine::Table::*moves[4])() = {&engine::Table::first, &engine::Table::prior,
                                             &engine::Table::next, &engine::Table::last};
        for (int i = 0; i < 4; ++i) {
            auto move = moves[i];
            connect(b[i], &QToolButton::clicked, this, [this, move] { step(move); });
        }
        next_ = b[2];
    }
    auto* g = new QGridLayout;
    const int digit = fontMetrics().horizontalAdvance(QLatin1Char('0'));
    int r = 0;
    for (const Row& row : rows) {
        QLabel* rowLabel = nullptr;
        if (!row.label.isEmpty()) {
            rowLabel = new QLabel(row.label, this);
            g->addWidget(rowLabel, r, 0);
        }
        auto* line = new QHBoxLayout;
        for (const Item& item : row.items) {
            if (item.field.isEmpty()) { // a legend
                line->addWidget(new QLabel(item.label, this));
                continue;
            }
            auto* e = new QLineEdit(this);
            e->setObjectName(item.field);
            ui::markValueField(e);
            e->setFixedWidth(digit * (item.width + 1) + 12);
            if (!item.label.isEmpty()) line->addWidget(form::label(this, QString(), item.label, e));
            // The field's own label, or the row's ("Dolgozó TAJ száma és neve").
            e->setAccessibleName(item.label.isEmpty() ? row.label : item.label);
            if (rowLabel && !rowLabel->buddy()) rowLabel->setBuddy(e);
            line->addWidget(e);
            edits_.emplace_back(item.field, e);
        }
        line->addStretch(1);
        g->addLayout(line, r, 1);
        ++r;
    }
    outer->addLayout(g);
    outer->addStretch(1);
}

QLineEdit* RecordFields::fieldEdit(const QString& field) const {
    for (const auto& [f, e] : edits_)
        if (f.compare(field, Qt::CaseInsensitive) == 0) return e;
    return nullptr;
}

void RecordFields::showRecord() {
    const bool has = table_.isOpen() && !(table_.bof() && table_.eof());
    for (const auto& [f, e] : edits_) {
        // A county office file without this field shows it empty.
        QString text = has && table_.hasField(f) ? table_.text(f) : QString();
        // A TAJ number kept in a numeric field lost its leading zeros.
        if (f == QLatin1String("TAJ") && !text.isEmpty() && text.size() < 9 &&
            text.toULongLong() > 0)
            text = text.rightJustified(9, QLatin1Char('0'));
        e->setText(text);
        e->setCursorPosition(0);
    }
}

void RecordFields::step(void (engine::Table::*move)()) {
    if (!browsing(table_)) return;
    (table_.*move)();
    showRecord();
}

// ---------------------------------------------------------------- ContractWindow

ContractWindow::ContractWindow(core::AppState& state, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                              Qt::WindowCloseButtonHint),
      st_(state), view_(state), main_(mainWindow) {
    setObjectName(QStringLiteral("Tszerzmut"));
    setModal(true);
    setWindowTitle(view_.open());

    buildContractList();
    buildProviderData();
    buildPanels();
    layOut();
    bindPanels();
    DBGszer->setFocus();
}

void ContractWindow::buildContractList() {
    // 1. The contract list.
    szerzkep1 = new QWidget(this);
    szerzkep1->setObjectName(QStringLiteral("szerzkep1"));
    QToolButton* nb[4];
    QWidget* DBNszer = navigatorWith(szerzkep1, QStringLiteral("DBNszer"), nb);
    for (QToolButton* b : nb)
        b->setFocusPolicy(Qt::NoFocus);
    void (engine::Table::*moves[4])() = {&engine::Table::first, &engine::Table::prior,
                                         &engine::Table::next, &engine::Table::last};
    for (int i = 0; i < 4; ++i) {
        auto move = moves[i];
        connect(nb[i], &QToolButton::clicked, this, [this, move] { contractStep(move); });
    }
    DBGszer = new QTableView(szerzkep1);
    DBGszer->setObjectName(QStringLiteral("DBGszer"));
    DBGszer->setAccessibleName(QStringLiteral("Szerződések"));
    std::vector<BrowseColumn> cols = {
        column(QStringLiteral("Szerz.kezdete"), QStringLiteral("SZKEZD")),
        column(QStringLiteral("Szerz.vége"), QStringLiteral("SZVEG")),
        column(QStringLiteral("FIN kód"), QStringLiteral("FINKOD")),
        column(QStringLiteral("Össz.vizit"), QStringLiteral("TERVVIZ")),
        column(QStringLiteral("Norm.szakáp.vizit"), QStringLiteral("APTVIZ")),
        column(QStringLiteral("Norm.szakir.vizit"), QStringLiteral("SZAKTVIZ")),
        column(QStringLiteral("Norm.össz.vizit"), QStringLiteral("NORMVIZ")),
        column(QStringLiteral("Pót szakáp.vizit"), QStringLiteral("PAPVIZ")),
        column(QStringLiteral("Pót.szakir.vizit"), QStringLiteral("PSZAKVIZ")),
        column(QStringLiteral("Pót össz.vizit"), QStringLiteral("POTVIZ")),
        column(QStringLiteral("Telephely"), QStringLiteral("TELEP")),
        column(QStringLiteral("Dipl.ápoló"), QStringLiteral("DIPL")),
        column(QStringLiteral("Szakápoló"), QStringLiteral("SZAKAP")),
        column(QStringLiteral("Gyógytornász"), QStringLiteral("GYOGYT")),
        column(QStringLiteral("Fizioth.assz."), QStringLiteral("FIZIO")),
        column(QStringLiteral("Logopédus"), QStringLiteral("LOGOP")),
        column(QStringLiteral("Dipl.oktató"), QStringLiteral("D_OKT")),
        column(QStringLiteral("Mentőtiszt"), QStringLiteral("MENTO")),
        column(QStringLiteral("Össz.dolgozó"), QStringLiteral("OSSZD")),
    };
    szerzModel_ = new TableModel(st_.tables.szerz, std::move(cols), this);
    DBGszer->setModel(szerzModel_);
    DBGszer->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGszer->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGszer->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGszer->setTabKeyNavigation(false);
    DBGszer->setWordWrap(false);
    DBGszer->verticalHeader()->hide();
    DBGszer->verticalHeader()->setDefaultSectionSize(DBGszer->fontMetrics().height() + 6);
    DBGszer->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    DBGszer->setMinimumSize(900, 140);
    connect(DBGszer->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current, const QModelIndex&) {
                contractRowChanged(current.row());
            });
    auto* listLayout = new QVBoxLayout(szerzkep1);
    listLayout->setContentsMargins(0, 0, 0, 0);
    listLayout->addWidget(DBNszer);
    listLayout->addWidget(DBGszer, 1);
}

void ContractWindow::buildProviderData() {
    // 2. The provider's data: fields of the current contract.
    engine::Table& szerz = st_.tables.szerz;
    szolgaltato_ = new QGroupBox(QStringLiteral("A szolgáltató adatai"), this);
    szolgaltato_->setObjectName(QStringLiteral("szolgaltato"));
    auto* contractData = new RecordFields(
        QString(), szerz,
        {{QStringLiteral("Szerződés kezdete"),
          {{QString(), QStringLiteral("SZKEZD"), 10},
           {QStringLiteral("vége"), QStringLiteral("SZVEG"), 10}}},
         {QStringLiteral("Szerződésszám"), {{QString(), QStringLiteral("SZSZAM"), 20}}},
         {QStringLiteral("Finanszírozási kód"), {{QString(), QStringLiteral("FINKOD"), 9}}}},
        false, szolgaltato_);
    contractData->setFlat(true);
    auto* vizit = new RecordFields(
        QStringLiteral("Vizitszámok"), szerz,
        {{QStringLiteral("Normatív összes vizit"),
          {{QString(), QStringLiteral("NORMVIZ"), 6},
           {QStringLiteral("szakápolási vizit"), QStringLiteral("APTVIZ"), 6},
           {QStringLiteral("szakirányú"), QStringLiteral("SZAKTVIZ"), 6}}},
         {QStringLiteral("Pót összes vizit"),
          {{QString(), QStringLiteral("POTVIZ"), 6},
           {QStringLiteral("szakápolási vizit"), QStringLiteral("PAPVIZ"), 6},
           {QStringLiteral("szakirányú"), QStringLiteral("PSZAKVIZ"), 6}}},
         {QStringLiteral("Összes havi vizit"), {{QString(), QStringLiteral("TERVVIZ"), 6}}}},
        false, szolgaltato_);
    vizit->setObjectName(QStringLiteral("Vizitszamok"));
    auto* letszam = new RecordFields(
        QStringLiteral("Kapacitást meghatározó létszámok"), szerz,
        {{QStringLiteral("Diplomás ápoló"), {{QString(), QStringLiteral("DIPL"), 3}}},
         {QStringLiteral("Diplomás Eü.szakoktató"), {{QString(), QStringLiteral("D_OKT"), 3}}},
         {QStringLiteral("Mentőtiszt"), {{QString(), QStringLiteral("MENTO"), 3}}},
         {QStringLiteral("Szakápoló"), {{QString(), QStringLiteral("SZAKAP"), 3}}},
         {QStringLiteral("Gyógytornász"), {{QString(), QStringLiteral("GYOGYT"), 3}}},
         {QStringLiteral("Logopédus"), {{QString(), QStringLiteral("LOGOP"), 3}}},
         {QStringLiteral("Fizioterápiás asszisztens"), {{QString(), QStringLiteral("FIZIO"), 3}}},
         {QStringLiteral("Összes dolgozó"), {{QString(), QStringLiteral("OSSZD"), 3}}}},
        false, szolgaltato_);
    letszam->setObjectName(QStringLiteral("Letszamok"));
    contractParts_ = {contractData, vizit, letszam};
    auto* provLayout = new QVBoxLayout(szolgaltato_);
    provLayout->addWidget(contractData);
    provLayout->addWidget(vizit);
    provLayout->addWidget(letszam);
}

void ContractWindow::buildPanels() {
    // 3.-5. The workers, the sites and the areas of the contract.
    Dolgkep1 = new RecordFields(
        QStringLiteral("Dolgozók adatai"), st_.tables.szolgsz,
        {{QStringLiteral("Dolgozó sorszáma"), {{QString(), QStringLiteral("SSORSZAM"), 5}}},
         {QStringLiteral("Szerződés kezdete"),
          {{QString(), QStringLiteral("KEZD"), 10},
           {QStringLiteral("vége"), QStringLiteral("VEG"), 10}}},
         {QStringLiteral("Dolgozó TAJ száma és neve"),
          {{QString(), QStringLiteral("TAJ"), 9}, {QString(), QStringLiteral("NEV"), 30}}},
         {QStringLiteral("Születési hely és idő"),
          {{QString(), QStringLiteral("SZHELY"), 25}, {QString(), QStringLiteral("SZIDO"), 10}}},
         {QStringLiteral("Szakképesítés megnevezése"),
          {{QStringLiteral("A:"), QStringLiteral("SZAKA"), 40}}},
         {QString(), {{QStringLiteral("B1:"), QStringLiteral("SZAKB1"), 40}}},
         {QString(), {{QStringLiteral("B2:"), QStringLiteral("SZAKB2"), 40}}},
         {QString(), {{QStringLiteral("BR:"), QStringLiteral("SZAKBR"), 40}}},
         {QStringLiteral("Tevékenység típusa"),
          {{QStringLiteral("szakáp.:"), QStringLiteral("TEVA"), 1},
           {QStringLiteral("szakir.:"), QStringLiteral("TEVSZ"), 1}}},
         {QStringLiteral("Heti óraszám"),
          {{QStringLiteral("szakáp.:"), QStringLiteral("SZAKAPO"), 2},
           {QStringLiteral("szakir.:"), QStringLiteral("SZAKIRO"), 2},
           {QStringLiteral("össz:"), QStringLiteral("OSSZO"), 2}}},
         {QStringLiteral("Foglalkoztatás minősége"), {{QString(), QStringLiteral("FOGLMIN"), 25}}},
         {QStringLiteral("Más foglalkoztatói munkaviszony"),
          {{QString(), QStringLiteral("MASFOGL"), 1},
           {QStringLiteral("hol:"), QStringLiteral("MASHOL"), 30},
           {QStringLiteral("heti munkaidő"), QStringLiteral("HETIO"), 2}}}},
        true, this);
    Dolgkep1->setObjectName(QStringLiteral("Dolgkep1"));
    ui::setHint(Dolgkep1, QStringLiteral("Az ajtuális szerződés dolgozói adatai"));

    thelykep1 = new RecordFields(
        QStringLiteral("Telephely adatai"), st_.tables.thely,
        {{QStringLiteral("Telephely sorszáma"), {{QString(), QStringLiteral("TSORSZAM"), 5}}},
         {QStringLiteral("Szerződés kezdete"),
          {{QString(), QStringLiteral("KEZD"), 10},
           {QStringLiteral("vége"), QStringLiteral("VEG"), 10}}},
         {QStringLiteral("Címe"),
          {{QString(), QStringLiteral("KOZIGKOD"), 7},
           {QString(), QStringLiteral("HELYNEV"), 20},
           {QString(), QStringLiteral("CIM"), 30}}},
         {QStringLiteral("Heti működési napok száma"), {{QString(), QStringLiteral("NAP"), 1}}}},
        true, this);
    thelykep1->setObjectName(QStringLiteral("thelykep1"));

    terulkep1 = new RecordFields(
        QStringLiteral("Területi ellátási adatok"), st_.tables.terul,
        {{QStringLiteral("Telephely sorszáma"), {{QString(), QStringLiteral("TSORSZAM"), 5}}},
         {QStringLiteral("Szerződés kezdete"),
          {{QString(), QStringLiteral("KEZD"), 10},
           {QStringLiteral("vége"), QStringLiteral("VEG"), 10}}},
         {QStringLiteral("Terület megnevezése"),
          {{QString(), QStringLiteral("KOZIGKOD"), 7}, {QString(), QStringLiteral("HELYNEV"), 20}}},
         {QStringLiteral("Lakosságszám"), {{QString(), QStringLiteral("LETSZAM"), 6}}},
         {QStringLiteral("Külterület van-e"),
          {{QString(), QStringLiteral("KULTER"), 1},
           {QStringLiteral("K = Van külterület"), QString(), 0}}}},
        true, this);
    terulkep1->setObjectName(QStringLiteral("terulkep1"));
    ui::setHint(terulkep1, QStringLiteral("A területi ellátás megmutatása"));
}

void ContractWindow::layOut() {
    kilep = form::button(this, "kilep", QStringLiteral("Kilépés"),
                         QStringLiteral("Visszalépés a főmenübe"));
    connect(kilep, &QPushButton::clicked, this, &QDialog::reject);

    // Everything but "Kilépés" in a scroll area: on a small screen the
    // window shrinks to the screen and the panels scroll.
    auto* content = new QWidget;
    content->setObjectName(QStringLiteral("content"));
    auto* upper = new QHBoxLayout;
    upper->addWidget(szolgaltato_);
    upper->addWidget(Dolgkep1);
    upper->addStretch(1);
    auto* lower = new QHBoxLayout;
    lower->addWidget(thelykep1);
    lower->addWidget(terulkep1);
    lower->addStretch(1);
    auto* inner = new QVBoxLayout(content);
    inner->addWidget(szerzkep1, 1);
    inner->addLayout(upper);
    inner->addLayout(lower);
    scroll_ = new QScrollArea(this);
    scroll_->setObjectName(QStringLiteral("scroll"));
    scroll_->setWidgetResizable(true);
    scroll_->setFrameShape(QFrame::NoFrame);
    scroll_->setWidget(content);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(kilep);
    auto* outer = new QVBoxLayout(this);
    outer->addWidget(scroll_, 1);
    outer->addLayout(buttons);
    // As large as the content needs; fitOnScreen shrinks it on showing.
    const QSize need =
        content->sizeHint() + QSize(scroll_->verticalScrollBar()->sizeHint().width() + 24,
                                    kilep->sizeHint().height() + 36);
    resize(need);
}

void ContractWindow::bindPanels() {
    // Entering a panel from another control of the window takes its table
    // again and shows its record.
    auto* fields = new ui::FieldBinder(this);
    for (auto p : {Contract::Panel::Dolg, Contract::Panel::Thely, Contract::Panel::Terul}) {
        RecordFields* f = panel(p);
        fields->bind(f, f->objectName());
        fields->onEnter(f->objectName(), [this, p, f] {
            view_.enterPanel(p);
            f->showRecord();
        });
    }
}

ContractWindow::~ContractWindow() {
    if (!closed_) view_.close();
}

RecordFields* ContractWindow::panel(Contract::Panel p) const {
    switch (p) {
    case Contract::Panel::Dolg:
        return Dolgkep1;
    case Contract::Panel::Thely:
        return thelykep1;
    case Contract::Panel::Terul:
        break;
    }
    return terulkep1;
}

QLineEdit* ContractWindow::contractField(const QString& field) const {
    for (RecordFields* part : contractParts_)
        if (QLineEdit* e = part->fieldEdit(field)) return e;
    return nullptr;
}

void ContractWindow::showEvent(QShowEvent* event) {
    form::placeBelowMain(this, main_);
    ui::fitOnScreen(this);
    if (!event->spontaneous()) {
        view_.activate();
        szerzModel_->sync();
        showContract();
        for (auto p : {Contract::Panel::Dolg, Contract::Panel::Thely, Contract::Panel::Terul})
            panel(p)->showRecord();
    }
    QDialog::showEvent(event);
}

void ContractWindow::done(int result) {
    if (!closed_) {
        closed_ = true;
        view_.close();
    }
    QDialog::done(result);
}

void ContractWindow::showContract() {
    const engine::Table& t = st_.tables.szerz;
    szerzModel_->sync();
    const int row = t.isOpen() && !(t.bof() && t.eof()) ? szerzModel_->rowOf(t.recno()) : -1;
    syncing_ = true;
    if (row >= 0) {
        const QModelIndex idx =
            szerzModel_->index(row, std::max(0, DBGszer->currentIndex().column()));
        DBGszer->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect |
                                                            QItemSelectionModel::Rows);
        DBGszer->scrollTo(idx);
    } else {
        DBGszer->selectionModel()->clearSelection();
    }
    syncing_ = false;
    for (RecordFields* part : contractParts_)
        part->showRecord();
}

void ContractWindow::contractRowChanged(int row) {
    if (syncing_ || row < 0) return;
    engine::Table& t = st_.tables.szerz;
    const std::uint32_t recno = szerzModel_->recnoAt(row);
    if (recno == 0 || !browsing(t)) return;
    if (recno != t.recno()) t.go(recno);
    for (RecordFields* part : contractParts_)
        part->showRecord();
}

void ContractWindow::contractStep(void (engine::Table::*move)()) {
    engine::Table& t = st_.tables.szerz;
    if (!browsing(t)) return;
    (t.*move)();
    showContract();
}

void openSzerzodes(core::AppState& state, QWidget* parent) {
    QCoreApplication::processEvents();
    ContractWindow w(state, parent);
    w.exec();
}

} // namespace masters
