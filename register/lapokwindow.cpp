#include "register/lapokwindow.h"

#include "core/appstate.h"
#include "engine/table.h"
#include "masters/browseconfig.h"
#include "masters/browsepanel.h"
#include "masters/tablemodel.h"
#include "register/javitwindow.h"
#include "register/lapvalasztowindow.h"
#include "register/reszlapwindow.h"
#include "sheet/lapujwindow.h"
#include "sheet/lezaridodialog.h"
#include "ui/hints.h"
#include "ui/valuefield.h"
#include "ui/screenfit.h"

#include <QAction>
#include <QBrush>
#include <QColor>
#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace reg {

namespace {

QPushButton* button(QWidget* parent, const char* name, const QString& caption, const QString& tip) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    ui::setHint(b, tip);
    b->setAutoDefault(false);
    return b;
}

QLabel* text(QWidget* parent, const char* name, const QString& caption) {
    auto* l = new QLabel(caption, parent);
    l->setObjectName(QLatin1String(name));
    return l;
}

// A figure: a read-only value field, right-aligned, as wide as `chars`
// digits, read by a screen reader as the labels it stands beside and its
// value.
QLineEdit* figureField(QWidget* parent, const char* name, int chars, const QString& accessible) {
    return ui::valueField(parent, QLatin1String(name), accessible, chars, true);
}

QAction* item(QMenu* menu, const char* name, const QString& caption, const QString& tip,
              const QKeySequence& key = {}) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QLatin1String(name));
    a->setStatusTip(tip);
    a->setToolTip(tip);
    if (!key.isEmpty()) {
        a->setShortcut(key);
        a->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    }
    return a;
}

// Leaves LAP unfiltered however the window was left.
struct Bezaras {
    Lapok& l;
    ~Bezaras() {
        try {
            l.bezaras();
        } catch (...) {
        }
    }
};

} // namespace

LapokWindow::LapokWindow(core::AppState& state, QWidget* mainWindow)
    : QDialog(mainWindow, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowCloseButtonHint),
      st_(state), logic_(state), main_(mainWindow) {
    setObjectName(QStringLiteral("Tlapok"));
    setWindowTitle(QStringLiteral("Elszámolási lapok"));
    setModal(true);

    auto* figures = new QFrame(this);
    figures->setObjectName(QStringLiteral("Panel1"));
    figures->setFrameShape(QFrame::StyledPanel);
    buildFigures(figures);

    masters::BrowseConfig cfg = masters::lapPanel(st_.tables);
    const char* titles[] = {"Sorszám",   "_",        "Taj szám", "Beteg neve", "Időszak",
                            "Vizitszám", "Elküldve", "Fizetve",  "Jel",        "Korr."};
    for (size_t i = 0; i < cfg.columns.size() && i < std::size(titles); ++i)
        cfg.columns[i].title = QString::fromUtf8(titles[i]);
    Lapkep1 = new masters::BrowsePanel(cfg, st_.msg, this);
    Lapkep1->setObjectName(QStringLiteral("Lapkep1"));
    Lapkep1->grid()->setAccessibleName(QStringLiteral("Elszámolási lapok"));
    // Columns as wide as their fields (or titles), every one in sight.
    lapOszlopok(Lapkep1);
    Lapkep1->setMinimumHeight(240);
    Lapkep1->model().setRowBackground(
        [this](const engine::Table&, std::uint32_t recno) -> QVariant {
            switch (logic_.sorSzin(recno)) {
            case SorSzin::Ezust:
                return QBrush(QColor(192, 192, 192));
            case SorSzin::Piros:
                return QBrush(QColor(255, 0, 0));
            case SorSzin::Normal:
                break;
            }
            return {};
        });

    nyomtat = button(this, "nyomtat", QStringLiteral("Nyomtatás"),
                     QStringLiteral("Elszámolási lapok nyomtatása"));
    kuld = button(this, "kuld", QStringLiteral("Adatküldés"),
                  QStringLiteral("Adatok köldése RAV felé"));
    kilep =
        button(this, "kilep", QStringLiteral("Kilépés"), QStringLiteral("Visszalépés a főmenübe"));
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(nyomtat);
    buttons->addWidget(kuld);
    buttons->addWidget(kilep);

    auto* outer = new QVBoxLayout(this);
    outer->addWidget(figures);
    outer->addWidget(Lapkep1, 1);
    outer->addLayout(buttons);

    buildMenus();
    wireCommands();

    connect(kilep, &QPushButton::clicked, this, &LapokWindow::kilepClick);
    connect(Lapkep1, &masters::BrowsePanel::activated, this, &LapokWindow::enterChoice);
    connect(Lapkep1, &masters::BrowsePanel::doubleClicked, this, &LapokWindow::enterChoice);
    Lapkep1->grid()->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(Lapkep1->grid(), &QWidget::customContextMenuRequested, this, &LapokWindow::contextMenu);

    resize(std::max(900, sizeHint().width()), 600);
}

LapokWindow::~LapokWindow() = default;

ReszlapWindow* LapokWindow::reszlapWindow() {
    if (!reszlap_)
        reszlap_ = new ReszlapWindow(
            st_, [this] { return parancsok_->reszlapValasztas(); }, this);
    return reszlap_;
}

JavitWindow* LapokWindow::javitWindow() {
    if (!javit_) javit_ = new JavitWindow(st_, this);
    return javit_;
}

void LapokWindow::wireCommands() {
    leido_ = new sheet::LezaridoDialog(st_, this);
    // The entry window, shown with the prepared model; it carries its own
    // day-grid checks and "Mentés".
    lapuj_ = [this](sheet::LapModel& m, const QString& felirat) {
        sheet::LapujWindow* e = sheet::LapujWindow::of(st_, this);
        e->setAnchor(this);
        e->loadModel(m);
        e->setWindowTitle(felirat);
        e->exec();
    };
    LapParancsHooks h;
    h.jelolomod = [this] { return logic_.jelolomod(); };
    h.lapuj = [this](sheet::LapModel& m, const QString& felirat) {
        if (!lapuj_) return;
        lapuj_(m, felirat);
        // The entry window closed: the figures of the period again, and the
        // keyboard back in the list (the entry window stands over the main
        // window, which this window blocks).
        refreshFigures();
        reread();
        retakeKeyboard();
    };
    h.reszlapAblak = [this](const QString& felirat) {
        reszlapWindow()->exec(felirat);
        retakeKeyboard();
    };
    h.javitAblak = [this](const QString& felirat) {
        javitWindow()->exec(felirat);
        retakeKeyboard();
    };
    h.leidoAblak = [this](const QString& szakvet) {
        leido_->exec(szakvet);
        reread();
        retakeKeyboard();
    };
    h.szamol = [this] { refreshFigures(); };
    parancsok_ = std::make_unique<LapParancsok>(st_, std::move(h));

    auto on = [this](const char* name, void (LapParancsok::*cmd)()) {
        connect(action(QLatin1String(name)), &QAction::triggered, this, [this, cmd] {
            (parancsok_.get()->*cmd)();
            reread();
        });
    };
    on("Teljesszmla1", &LapParancsok::teljesszamla);
    on("Elsrszszmla1", &LapParancsok::elsoreszszamla);
    on("Kvetkezrszszmla1", &LapParancsok::kovetkezoreszszamla);
    on("Rszszmlafelolds1", &LapParancsok::reszszamlafeloldas);
    on("Lezrs1", &LapParancsok::lezaras);
    on("Mdosts1", &LapParancsok::modositas);
    on("Trls1", &LapParancsok::torles);
    on("talakt1", &LapParancsok::atalakit);
}

void LapokWindow::buildFigures(QFrame* frame) {
    auto* g = new QGridLayout(frame);
    g->setHorizontalSpacing(6);
    g->setVerticalSpacing(3);

    // Row 1: the remainder and "maximum keret".
    L1 = text(frame, "L1", QStringLiteral("Maradvány:"));
    STm = figureField(frame, "STm", 7, QStringLiteral("Maradvány eFt"));
    L6 = text(frame, "L6", QStringLiteral("eFt"));
    keret = text(frame, "keret", QStringLiteral("maximum keret"));
    L1->setBuddy(STm);
    g->addWidget(L1, 0, 0);
    g->addWidget(STm, 0, 5);
    g->addWidget(L6, 0, 6);
    g->addWidget(keret, 0, 7);

    // Row 2: the contract.
    auto* L2 = text(frame, "L2", QStringLiteral("Szerződött vizitszám:"));
    auto* L3 = text(frame, "L3", QStringLiteral("szakáp:"));
    STszv = figureField(frame, "STszv", 6, QStringLiteral("Szerződött vizitszám szakáp"));
    auto* L4 = text(frame, "L4", QStringLiteral("szakir:"));
    STszv2 = figureField(frame, "STszv2", 6, QStringLiteral("Szerződött vizitszám szakir"));
    STszf = figureField(frame, "STszf", 11, QStringLiteral("Szerződött vizitszám eFt"));
    auto* L5 = text(frame, "L5", QStringLiteral("eFt"));
    L3->setBuddy(STszv);
    L4->setBuddy(STszv2);
    L5->setBuddy(STszf);
    g->addWidget(L2, 1, 0);
    g->addWidget(L3, 1, 1);
    g->addWidget(STszv, 1, 2);
    g->addWidget(L4, 1, 3);
    g->addWidget(STszv2, 1, 4);
    g->addWidget(STszf, 1, 5);
    g->addWidget(L5, 1, 6);

    // Row 3: what was recorded.
    auto* L7 = text(frame, "L7", QStringLiteral("Eddig rögzített vizit:"));
    auto* L8 = text(frame, "L8", QStringLiteral("szakáp:"));
    STav = figureField(frame, "STav", 6, QStringLiteral("Eddig rögzített vizit szakáp"));
    auto* L9 = text(frame, "L9", QStringLiteral("szakir:"));
    STiv = figureField(frame, "STiv", 6, QStringLiteral("Eddig rögzített vizit szakir"));
    STtf = figureField(frame, "STtf", 11, QStringLiteral("Eddig rögzített vizit eFt"));
    auto* L10 = text(frame, "L10", QStringLiteral("eFt"));
    L8->setBuddy(STav);
    L9->setBuddy(STiv);
    L10->setBuddy(STtf);
    g->addWidget(L7, 2, 0);
    g->addWidget(L8, 2, 1);
    g->addWidget(STav, 2, 2);
    g->addWidget(L9, 2, 3);
    g->addWidget(STiv, 2, 4);
    g->addWidget(STtf, 2, 5);
    g->addWidget(L10, 2, 6);

    // Row 4: the territorial supplement in it.
    Ltp = text(frame, "Ltp", QStringLiteral("(tp:"));
    Ltp->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    STtp = figureField(frame, "STtp", 7, QStringLiteral("Területi pótlék eFt"));
    Labeft = text(frame, "Labeft", QStringLiteral("eFt)"));
    Ltp->setBuddy(STtp);
    g->addWidget(Ltp, 3, 4);
    g->addWidget(STtp, 3, 5);
    g->addWidget(Labeft, 3, 6);

    // Panel p1: contracted and recorded nursing / therapy amounts.
    auto* panel = new QFrame(frame);
    panel->setObjectName(QStringLiteral("p1"));
    panel->setFrameShape(QFrame::StyledPanel);
    p1 = panel;
    STak = figureField(panel, "STak", 10, QStringLiteral("Szerződött szakápolás eFt"));
    STsk = figureField(panel, "STsk", 10, QStringLiteral("Szerződött szakirányú eFt"));
    STAe = figureField(panel, "STAe", 10, QStringLiteral("Rögzített szakápolás eFt"));
    STse = figureField(panel, "STse", 10, QStringLiteral("Rögzített szakirányú eFt"));
    auto* pg = new QGridLayout(panel);
    pg->setContentsMargins(6, 3, 6, 3);
    pg->addWidget(STak, 0, 0);
    pg->addWidget(text(panel, "L11", QStringLiteral("/")), 0, 1);
    pg->addWidget(STsk, 0, 2);
    pg->addWidget(STAe, 1, 0);
    pg->addWidget(text(panel, "L12", QStringLiteral("/")), 1, 1);
    pg->addWidget(STse, 1, 2);
    g->addWidget(panel, 1, 7, 2, 1);

    g->setColumnStretch(8, 1);
}

void LapokWindow::buildMenus() {
    PMlap = new QMenu(this);
    PMlap->setObjectName(QStringLiteral("PMlap"));
    jfelvitel1 = PMlap->addMenu(QStringLiteral("Új felvitel"));
    jfelvitel1->setObjectName(QStringLiteral("jfelvitel1"));
    jfelvitel1->menuAction()->setObjectName(QStringLiteral("jfelvitel1"));
    item(jfelvitel1, "Teljesszmla1", QStringLiteral("Teljes számla"),
         QStringLiteral("Új elszámolási lap felvitele teljes számlára"),
         QKeySequence(Qt::CTRL | Qt::Key_T));
    item(jfelvitel1, "Elsrszszmla1", QStringLiteral("Első részszámla"),
         QStringLiteral("Új elszámolási lap felvitele első részszámlára"),
         QKeySequence(Qt::CTRL | Qt::Key_E));
    item(jfelvitel1, "Kvetkezrszszmla1", QStringLiteral("Következő részszámla"),
         QStringLiteral("Új elszámolási lap felvitele következő részszámlára a kiválasztott első "
                        "részszámla alapján"),
         QKeySequence(Qt::CTRL | Qt::Key_K));
    item(PMlap, "Mdosts1", QStringLiteral("Módosítás"),
         QStringLiteral("Az elszámolási lap módosítása"));
    item(PMlap, "Trls1", QStringLiteral("Törlés"), QStringLiteral("Az elszámolási lap törlése"),
         QKeySequence(Qt::Key_Delete));
    PMlap->addSeparator()->setObjectName(QStringLiteral("N1"));
    item(PMlap, "Megtekints1", QStringLiteral("Megtekintés"),
         QStringLiteral("Az elszámolási lap megnézése"), QKeySequence(Qt::Key_F2));
    item(PMlap, "talakt1", QStringLiteral("Átalakít"),
         QStringLiteral("Az elszámolási lap sorszámának átalakítása"), QKeySequence(Qt::Key_F3));
    item(PMlap, "Lezrs1", QStringLiteral("Lezárás"),
         QStringLiteral("Az elszámolási lap utólagos lezárása"), QKeySequence(Qt::Key_F4));
    item(PMlap, "Rszszmlafelolds1", QStringLiteral("Részszámla feloldás"),
         QStringLiteral("Első részszámla feloldása rögzítés miatt"), QKeySequence(Qt::Key_F5));

    PMKi = new QMenu(this);
    PMKi->setObjectName(QStringLiteral("PMKi"));
    connect(item(PMKi, "Egylapkivlasztsa1", QStringLiteral("&Egy lap"),
                 QStringLiteral("Egy lap kiválasztása elküldésre")),
            &QAction::triggered, this, [this] { jelolClick(QLatin1Char('E')); });
    connect(item(PMKi, "Adotthnap1", QStringLiteral("Aktuális &hónap lapjai"),
                 QStringLiteral("Aktuális hónap lapjainak kiválasztása elküldésre")),
            &QAction::triggered, this, [this] { jelolClick(QLatin1Char('A')); });
    connect(item(PMKi, "Aktulisvlapjai1", QStringLiteral("Aktuális év &lapjai"),
                 QStringLiteral("Aktuális év lel nem küldött lapjainak kiválasztása (4 hónapi "
                                "korrekció figyelembevételével)")),
            &QAction::triggered, this, [this] { jelolClick(QLatin1Char('O')); });

    // Every command forgets the type-ahead text first, however it started,
    // so that the next digits start a new search.
    for (QMenu* m : {jfelvitel1, PMlap, PMKi})
        for (QAction* a : m->actions())
            if (!a->menu() && !a->isSeparator())
                connect(a, &QAction::triggered, Lapkep1, &masters::BrowsePanel::clearSearch);

    // The shortcuts work while the window has the focus, not only while a
    // menu is open.
    for (QAction* a : jfelvitel1->actions())
        addAction(a);
    for (QAction* a : PMlap->actions())
        if (!a->menu() && !a->isSeparator()) addAction(a);
}

QAction* LapokWindow::action(const QString& name) const {
    for (QMenu* m : {PMlap, jfelvitel1, PMKi})
        for (QAction* a : m->actions())
            if (a->objectName() == name) return a;
    return nullptr;
}

QWidget* LapokWindow::figure(const QString& name) const {
    return findChild<QWidget*>(name);
}

QString LapokWindow::figureText(const QString& name) const {
    if (auto* e = findChild<QLineEdit*>(name)) return e->text();
    if (auto* l = findChild<QLabel*>(name)) return l->text();
    return {};
}

void LapokWindow::setUpMode() {
    const Mod m = logic_.mod();
    const bool record = m == Mod::Rogzites;
    setWindowTitle(logic_.caption());
    ui::setHint(this, logic_.hint());
    nyomtat->setVisible(m == Mod::Nyomtatas);
    kuld->setVisible(m == Mod::Kuldes);
    // The sheet commands belong to record mode only.
    for (const char* name : {"jfelvitel1", "Mdosts1", "Trls1", "Megtekints1", "talakt1", "Lezrs1"})
        action(QLatin1String(name))->setVisible(record);
    for (const char* name : {"Teljesszmla1", "Elsrszszmla1", "Kvetkezrszszmla1", "Mdosts1", "Trls1",
                             "Megtekints1", "talakt1", "Lezrs1", "Rszszmlafelolds1"})
        action(QLatin1String(name))->setEnabled(record);
    action(QStringLiteral("Aktulisvlapjai1"))->setVisible(m == Mod::Kuldes);
    showFigures();
    Lapkep1->refresh();
    Lapkep1->grid()->setFocus(Qt::OtherFocusReason);
}

void LapokWindow::showFigures() {
    const Figures& f = logic_.figures();
    STm->setText(f.STm);
    for (QWidget* w :
         {static_cast<QWidget*>(L1), static_cast<QWidget*>(STm), static_cast<QWidget*>(L6)})
        w->setVisible(f.maradvany);
    keret->setVisible(f.keret);
    STszv->setText(f.STszv);
    STszv2->setText(f.STszv2);
    STszf->setText(f.STszf);
    STav->setText(f.STav);
    STiv->setText(f.STiv);
    STtf->setText(f.STtf);
    STtp->setText(f.STtp);
    for (QWidget* w :
         {static_cast<QWidget*>(Ltp), static_cast<QWidget*>(STtp), static_cast<QWidget*>(Labeft)})
        w->setVisible(f.potlek);
    p1->setVisible(f.p1);
    STak->setText(f.STak);
    STsk->setText(f.STsk);
    STAe->setText(f.STAe);
    STse->setText(f.STse);
}

void LapokWindow::refreshFigures() {
    logic_.frissit();
    showFigures();
}

void LapokWindow::reread() {
    const std::optional<LapKulcs> key = logic_.aktualis();
    if (key)
        reread(*key);
    else
        Lapkep1->refresh();
}

void LapokWindow::reread(const LapKulcs& key) {
    engine::Table& t = logic_.lap();
    if (t.isOpen() && t.state() == engine::Table::State::Browse) {
        t.refresh();
        logic_.keres(key);
    }
    Lapkep1->refresh();
}

void LapokWindow::openRogzites() {
    QCoreApplication::processEvents();
    Bezaras off{logic_};
    if (!logic_.rogzitesMod()) return;
    setUpMode();
    exec();
}

void LapokWindow::openNyomtatas() {
    QCoreApplication::processEvents();
    Bezaras off{logic_};
    logic_.nyomtatasMod();
    setUpMode();
    exec();
}

void LapokWindow::openKuldes() {
    QCoreApplication::processEvents();
    Bezaras off{logic_};
    if (!logic_.kuldesMod()) return;
    setUpMode();
    exec();
}

void LapokWindow::retakeKeyboard() {
    if (!isVisible()) return;
    raise();
    activateWindow();
    Lapkep1->grid()->setFocus(Qt::ActiveWindowFocusReason);
}

void LapokWindow::kilepClick() {
    QDialog::reject();
}

void LapokWindow::showEvent(QShowEvent* event) {
    // FormActivate: 50 pixels below and 10 right of the main window's corner.
    if (main_) ui::placeWindow(this, main_->frameGeometry().topLeft() + QPoint(10, 50));
    keret->setVisible(logic_.figures().keret);
    QDialog::showEvent(event);
}

void LapokWindow::enterChoice() {
    if (logic_.jelolomod())
        action(QStringLiteral("Egylapkivlasztsa1"))->trigger();
    else
        action(QStringLiteral("Mdosts1"))->trigger();
}

void LapokWindow::jelolClick(QChar arg) {
    if (!logic_.jelolomod()) return;
    logic_.jelol(arg);
    showFigures();
    Lapkep1->refresh();
}

void LapokWindow::contextMenu(const QPoint& pos) {
    QMenu* m = logic_.jelolomod() ? PMKi : PMlap;
    m->popup(Lapkep1->grid()->viewport()->mapToGlobal(pos));
}

} // namespace reg
