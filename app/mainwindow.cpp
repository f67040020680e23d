#include "app/mainwindow.h"

#include "app/aboutdialog.h"
#include "app/backupcommands.h"
#include "app/helpwindow.h"
#include "app/logindialog.h"
#include "app/paths.h"
#include "app/pathswindow.h"
#include "app/period.h"
#include "app/perioddialog.h"
#include "app/programicon.h"
#include "app/programinfo.h"
#include "app/startup.h"
#include "core/appstate.h"
#include "db/tableops.h"
#include "engine/dberror.h"
#include "exchange/beolvasaswindow.h"
#include "exchange/kuldes.h"
#include "exchange/kuldesellwindow.h"
#include "masters/betegekwindow.h"
#include "masters/bnoviewerwindow.h"
#include "masters/contractwindow.h"
#include "masters/personwindow.h"
#include "masters/recordpickwindow.h"
#include "masters/remainderswindow.h"
#include "register/lapfelwindow.h"
#include "register/lapokwindow.h"
#include "reports/beolvasasosszegzes.h"
#include "reports/listakmenu.h"
#include "reports/reportpreviewdialog.h"
#include "reports/tobedialog.h"
#include "ui/folderbrowserdialog.h"
#include "ui/hints.h"
#include "ui/messages.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#ifdef Q_OS_WIN
#include <QDesktopServices>
#include <QUrl>
#endif
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>
#include <exception>
#include <functional>

namespace app {

namespace {

const char* const kPanelNames[3] = {"Panel0", "Panel1", "Panel2"};

} // namespace

MainWindow::MainWindow(core::AppState& state, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                              Qt::WindowCloseButtonHint),
      st_(state) {
    setObjectName(QStringLiteral("Tfokep"));
    setWindowTitle(programTitle());
    setWindowIcon(programIcon());

    // Every hint of the application goes to status panel 0.
    new ui::HintRouter(st_.msg, this);

    buildPanels();
    buildMenu();
    showPeriod();
}

MainWindow::~MainWindow() = default;

// ---------------------------------------------------------------------------
// Layout

void MainWindow::buildPanels() {
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("Hatter"));
    client->setAutoFillBackground(true);

    auto* top = new QFrame(client);
    top->setObjectName(QStringLiteral("Panel1"));
    top->setFrameShape(QFrame::StyledPanel);
    top->setFrameShadow(QFrame::Raised);

    Ido = new QLabel(QStringLiteral("Elszámolási időszak:"), top);
    Ido->setObjectName(QStringLiteral("Ido"));
    ui::setHint(Ido, QStringLiteral("Elszámolási időszak megmutatása"));
    ID = new QLabel(top);
    ID->setObjectName(QStringLiteral("ID"));
    ui::setHint(ID, QStringLiteral("Időszak"));
    ID->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    QFont big = Ido->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    Ido->setFont(big);
    ID->setFont(big);
    ID->setMinimumWidth(QFontMetrics(big).horizontalAdvance(QStringLiteral("0000.00")) + 8);

    auto* row = new QHBoxLayout(top);
    row->addWidget(Ido);
    row->addWidget(ID);
    row->addStretch(1);

    auto* column = new QVBoxLayout(client);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(top);
    column->addStretch(1);
    setCentralWidget(client);

    QStatusBar* bar = statusBar();
    bar->setObjectName(QStringLiteral("StatusBar1"));
    bar->setSizeGripEnabled(false);
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(bar);
        panels_[i]->setObjectName(QLatin1String(kPanelNames[i]));
        panels_[i]->setFrameShape(QFrame::Panel);
        panels_[i]->setFrameShadow(QFrame::Sunken);
        panels_[i]->setTextFormat(Qt::PlainText);
    }
    panels_[2]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    panels_[2]->setMinimumWidth(
        panels_[2]->fontMetrics().horizontalAdvance(QStringLiteral("0000.00.00")) + 16);
    bar->addWidget(panels_[0], 2);
    bar->addWidget(panels_[1], 3);
    bar->addPermanentWidget(panels_[2]);
}

// ---------------------------------------------------------------------------
// The main menu. The items follow one another as the menu lists them, each
// submenu holding the items that come after it up to the next item of its own
// level:
//
//   &Adatok
//       &Alapadatok -> &Szerződés, &Orvosok, &Betegek, Sza&kápolók, B&NO X,
//                      &Maradványok
//       &Elszámolási lapok rögzítése
//   &Felbontás (hidden) -> 640 x 480, 800 x 600, 1024 x 768
//   &Listák
//       &Elszámolási lapok nyomtatása
//       &Havi összesítő a floppy küldeményhez
//       &Adatrögzítési ellenőrzés
//       E-&jelentéshez lista megtekintés (hidden)
//       Ha&vonkénti elszámolás
//       &Dolgozók teljesített vizitei
//       &TAJ számos ellenőrző listák -> ... összesítve, ... egy &betegre
//       Tö&rzslisták -> &Orvosok, &Betegek, &Szakápolók,
//                       B&NO X -> &Teljes BNO lista, &Betegség csoport szerinti lista
//   &Szervíz -> &Indexelés, &Elszámolási időszak beállítás, &Jelszó módosítás,
//               &Mentés, &Visszatöltés
//   A&datszolgáltatás
//       Floppy-&küldemény RAV-számára
//       Floppy &beolvasása RAV-től -> &Elszámolt lapok ..., &Szerződések ...,
//                                     &Teljes adatállomány ...
//   Sú&gó -> &Névjegy, &Útvonalak, &Tartalom
//   &Kilépés (an item of the menu bar itself)
//
// The items whose windows are not part of the program yet stay disabled.

QMenu* MainWindow::addSubmenu(QWidget* owner, const QString& name, const QString& caption,
                              const QString& hint) {
    QMenu* menu = nullptr;
    if (auto* bar = qobject_cast<QMenuBar*>(owner))
        menu = bar->addMenu(caption);
    else
        menu = static_cast<QMenu*>(owner)->addMenu(caption);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    menu->menuAction()->setStatusTip(hint);
    return menu;
}

QAction* MainWindow::addItem(QMenu* menu, const QString& name, const QString& caption,
                             const QString& hint) {
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setStatusTip(hint);
    return item;
}

void MainWindow::buildMenu() {
    QMenuBar* bar = menuBar();
    bar->setObjectName(QStringLiteral("MainMenu1"));
    auto command = [this](QAction* item, std::function<void()> run) {
        menuCommand(item, std::move(run));
    };

    // Adatok
    QMenu* adatok = addSubmenu(bar, QStringLiteral("Adatok1"), QStringLiteral("&Adatok"),
                               QStringLiteral("Adatok"));
    QMenu* alap = addSubmenu(adatok, QStringLiteral("Alapadatok1"), QStringLiteral("&Alapadatok"),
                             QStringLiteral("Alapadatok"));
    command(addItem(alap, QStringLiteral("Szerzds1"), QStringLiteral("&Szerződés"),
                    QStringLiteral("Szerződés megtekintése")),
            [this] { masters::openSzerzodes(st_, this); });
    command(addItem(alap, QStringLiteral("Orvosok1"), QStringLiteral("&Orvosok"),
                    QStringLiteral("Orvosok")),
            [this] { masters::openOrvosok(st_, this); });
    command(addItem(alap, QStringLiteral("Betegek1"), QStringLiteral("&Betegek"),
                    QStringLiteral("Betegek")),
            [this] {
                masters::openBetegek(st_, this, [this](QWidget* w) {
                    return masters::pickTelepules(st_, w, QStringLiteral("B"));
                });
            });
    command(addItem(alap, QStringLiteral("Szakpolk1"), QStringLiteral("Sza&kápolók"),
                    QStringLiteral("Szakápolók")),
            [this] { masters::openApolok(st_, this); });
    command(addItem(alap, QStringLiteral("BNOX1"), QStringLiteral("B&NO X"),
                    QStringLiteral("BNO kódok megtekintése")),
            [this] { masters::openBnoNez(st_, this); });
    command(addItem(alap, QStringLiteral("Maradvnyok1"), QStringLiteral("&Maradványok"),
                    QStringLiteral("Maradványok kezelése")),
            [this] { masters::openMaradvany(st_, this); });
    command(addItem(adatok, QStringLiteral("Elszmolsilapokrgztse1"),
                    QStringLiteral("&Elszámolási lapok rögzítése"),
                    QStringLiteral("Elszámolási lapok rögzítése")),
            [this] { lapokWindow()->openRogzites(); });

    // Felbontás: hidden
    QMenu* felb = addSubmenu(bar, QStringLiteral("Felbonts1"), QStringLiteral("&Felbontás"),
                             QStringLiteral("Felbontás beállítása"));
    felb->menuAction()->setVisible(false);
    felbontas_ = new QActionGroup(felb);
    felbontas_->setExclusive(true);
    const struct {
        const char* name;
        const char* caption;
    } resolutions[] = {
        {"N640x4801", "640 x 480"}, {"N800x6001", "800 x 600"}, {"N1024x7681", "1024 x 768"}};
    for (const auto& r : resolutions) {
        QAction* item = addItem(felb, QLatin1String(r.name), QLatin1String(r.caption), QString());
        item->setCheckable(true);
        felbontas_->addAction(item);
    }
    felbontasChecked_ = menuItem(QStringLiteral("N800x6001"));
    felbontasChecked_->setChecked(true);
    felb->setDefaultAction(felbontasChecked_);
    connect(felbontas_, &QActionGroup::triggered, this, &MainWindow::FelbontasClick);

    buildListakMenu(bar);

    buildSzervizMenu(bar);
    buildAdatszolgMenu(bar);

    // Súgó
    QMenu* help = addSubmenu(bar, QStringLiteral("HELP1"), QStringLiteral("Sú&gó"),
                             QStringLiteral("Segítség"));
    connect(addItem(help, QStringLiteral("Nvjegy1"), QStringLiteral("&Névjegy"),
                    QStringLiteral("Névjegy")),
            &QAction::triggered, this, &MainWindow::Nvjegy1Click);
    connect(addItem(help, QStringLiteral("tvonalak1"), QStringLiteral("&Útvonalak"),
                    QStringLiteral("A program útvonalainak és az alapdíj megjelenítése")),
            &QAction::triggered, this, &MainWindow::tvonalak1Click);
    connect(addItem(help, QStringLiteral("Tartalom1"), QStringLiteral("&Tartalom"),
                    QStringLiteral("Segítségnyújtás")),
            &QAction::triggered, this, &MainWindow::Tartalom1Click);

    // Kilépés: an item of the menu bar itself
    QAction* kilep = bar->addAction(QStringLiteral("&Kilépés"));
    kilep->setObjectName(QStringLiteral("Kilps1"));
    kilep->setStatusTip(QStringLiteral("Kilépés a programból"));
    connect(kilep, &QAction::triggered, this, &MainWindow::Kilps1Click);
}

// A menu command: a database error that escapes a window is shown in the
// error box, and the main window goes on.
void MainWindow::menuCommand(QAction* item, std::function<void()> run) {
    connect(item, &QAction::triggered, this, [this, run = std::move(run)] {
        try {
            run();
        } catch (const engine::DbError& e) {
            st_.msg.error(e.text());
        }
    });
}

void MainWindow::buildListakMenu(QMenuBar* bar) {
    auto command = [this](QAction* item, std::function<void()> run) {
        menuCommand(item, std::move(run));
    };
    // Listák. The lists (master data, TAJ check lists, workers' visits,
    // settlement, missing order data) are connected as they are created.
    auto lista = [this](QAction* item, reports::ListaMenu l) {
        reports::wireLista(st_, {programTitle(), programVersion()}, this, item, l);
    };
    QMenu* listak = addSubmenu(bar, QStringLiteral("Listk1"), QStringLiteral("&Listák"),
                               QStringLiteral("Listák készítése"));
    command(addItem(listak, QStringLiteral("Elszmolsilapoknyomtatsa1"),
                    QStringLiteral("&Elszámolási lapok nyomtatása"),
                    QStringLiteral("Elszámolási lapok nyomtatása")),
            [this] { lapokWindow()->openNyomtatas(); });
    command(addItem(listak, QStringLiteral("Havisszestafloppykldemnyhez1"),
                    QStringLiteral("&Havi összesítő a floppy küldeményhez"),
                    QStringLiteral("Havi összesítő a floppy küldeményhez")),
            [this] {
                reports::printHaviOsszesito(st_, {programTitle(), programVersion()}, this);
            });
    lista(addItem(listak, QStringLiteral("Adatrgztsiellenrzs1"),
                  QStringLiteral("&Adatrögzítési ellenőrzés"),
                  QStringLiteral("Adatrögzítés befejezése utáni ellenőrző lista")),
          reports::ListaMenu::Adatrogzites);
    QAction* ejel = addItem(listak, QStringLiteral("Ejelentshezlistamegtekints1"),
                            QStringLiteral("E-&jelentéshez lista megtekintés"), QString());
    ejel->setVisible(false);
    connect(ejel, &QAction::triggered, this, &MainWindow::Ejelentshezlistamegtekints1Click);
    lista(addItem(listak, QStringLiteral("Havonkntielszmols1"),
                  QStringLiteral("Ha&vonkénti elszámolás"),
                  QStringLiteral("Havonkénti elszámolás")),
          reports::ListaMenu::HaviElszamolas);
    lista(addItem(listak, QStringLiteral("Dolgozkteljestettvizitei1"),
                  QStringLiteral("&Dolgozók teljesített vizitei"),
                  QStringLiteral("Dolgozók teljesített viziteinek nyomtatása adott hónapban")),
          reports::ListaMenu::DolgozoVizitek);
    QMenu* tajlist = addSubmenu(listak, QStringLiteral("TAJszmosellenrzlistk1"),
                                QStringLiteral("&TAJ számos ellenőrző listák"),
                                QStringLiteral("TAJ számos ellenőrző listák"));
    lista(addItem(tajlist, QStringLiteral("TAJszmosellenrzlistasszestve1"),
                  QStringLiteral("&TAJ számos ellenőrző lista összesítve"),
                  QStringLiteral("TAJ számos ellenőrző lista összesítve")),
          reports::ListaMenu::TajOsszesitve);
    lista(addItem(tajlist, QStringLiteral("TAJszmosellenrzlistaegybetegre1"),
                  QStringLiteral("TAJ számos ellenőrző lista egy &betegre"),
                  QStringLiteral("TAJ számos ellenőrző lista egy betegre")),
          reports::ListaMenu::TajEgyBeteg);
    QMenu* torzs = addSubmenu(listak, QStringLiteral("Trzslistk1"), QStringLiteral("Tö&rzslisták"),
                              QStringLiteral("Törzslisták"));
    lista(addItem(torzs, QStringLiteral("Orvosok2"), QStringLiteral("&Orvosok"),
                  QStringLiteral("Orvosok")),
          reports::ListaMenu::Orvosok);
    lista(addItem(torzs, QStringLiteral("Betegek2"), QStringLiteral("&Betegek"),
                  QStringLiteral("Betegek")),
          reports::ListaMenu::Betegek);
    lista(addItem(torzs, QStringLiteral("Szakpolk2"), QStringLiteral("&Szakápolók"),
                  QStringLiteral("Szakápolók")),
          reports::ListaMenu::Szakapolok);
    QMenu* bnolist = addSubmenu(torzs, QStringLiteral("BNOX2"), QStringLiteral("B&NO X"),
                                QStringLiteral("BNO kódok"));
    lista(addItem(bnolist, QStringLiteral("TeljesBNOlista1"), QStringLiteral("&Teljes BNO lista"),
                  QStringLiteral("Teljes BNO lista nyomtatása")),
          reports::ListaMenu::TeljesBno);
    lista(addItem(bnolist, QStringLiteral("Betegsgcsoportszerintilista1"),
                  QStringLiteral("&Betegség csoport szerinti lista"),
                  QStringLiteral("Betegség csoport szerinti BNO lista nyomtatása")),
          reports::ListaMenu::BnoCsoport);
}

void MainWindow::buildSzervizMenu(QMenuBar* bar) {
    auto command = [this](QAction* item, std::function<void()> run) {
        menuCommand(item, std::move(run));
    };
    // Szervíz
    QMenu* szerviz = addSubmenu(bar, QStringLiteral("Szervz1"), QStringLiteral("&Szervíz"),
                                QStringLiteral("Szervíz"));
    connect(addItem(szerviz, QStringLiteral("Indexels1"), QStringLiteral("&Indexelés"),
                    QStringLiteral("Indexelés")),
            &QAction::triggered, this, &MainWindow::Indexels1Click);
    connect(addItem(szerviz, QStringLiteral("Elszmolsiidszakbellts1"),
                    QStringLiteral("&Elszámolási időszak beállítás"),
                    QStringLiteral("Elszámolási időszak beállítás")),
            &QAction::triggered, this, &MainWindow::Elszmolsiidszakbellts1Click);
    connect(addItem(szerviz, QStringLiteral("Jelszmdosts1"), QStringLiteral("&Jelszó módosítás"),
                    QStringLiteral("Jelszó módosítás")),
            &QAction::triggered, this, &MainWindow::Jelszmdosts1Click);
    command(addItem(szerviz, QStringLiteral("Ments1"), QStringLiteral("&Mentés"),
                    QStringLiteral("Adatállományok mentése")),
            [this] { mentes(st_, this); });
    command(addItem(szerviz, QStringLiteral("Visszatlts1"), QStringLiteral("&Visszatöltés"),
                    QStringLiteral("Adatállományok visszatöltése")),
            [this] {
                if (!visszatoltes(st_, this, [this] { return szerzadat(st_); })) endProgram();
            });
}

void MainWindow::buildAdatszolgMenu(QMenuBar* bar) {
    auto command = [this](QAction* item, std::function<void()> run) {
        menuCommand(item, std::move(run));
    };
    // Adatszolgáltatás
    QMenu* adatszolg =
        addSubmenu(bar, QStringLiteral("Adatszolgltats1"), QStringLiteral("A&datszolgáltatás"),
                   QStringLiteral("Adatszolgáltatás"));
    command(addItem(adatszolg, QStringLiteral("FloppykldemnyRAVszmra1"),
                    QStringLiteral("Floppy-&küldemény RAV-számára"),
                    QStringLiteral("Floppy-küldemény RAV-számára")),
            [this] { FloppykldemnyRAVszmra1Click(); });
    // An import's summary, printed on request through the lists' preview.
    const exch::OsszegzesNyomtato nyomtat = [this](const QString& cim, const QString& szoveg) {
        reports::runLista(st_, this, [this, cim, szoveg]() -> std::optional<reports::Lista> {
            return reports::beolvasasOsszegzes(st_, {programTitle(), programVersion()}, cim,
                                               szoveg);
        });
    };
    QMenu* beolv = addSubmenu(adatszolg, QStringLiteral("FloppybeolvassaRAVtl1"),
                              QStringLiteral("Floppy &beolvasása RAV-től"),
                              QStringLiteral("Floppy beolvasása RAV-től"));
    command(addItem(beolv, QStringLiteral("ElszmolsilapokbeolvassaRAVtl1"),
                    QStringLiteral("&Elszámolt lapok beolvasása RAV-től"),
                    QStringLiteral("Elszámolt lapok beolvasása RAV-től")),
            [this, nyomtat] { exch::elszamoltLapokBeolvasasa(st_, this, nyomtat); });
    command(addItem(beolv, QStringLiteral("SzerzdsekbeolvassaRAVtl1"),
                    QStringLiteral("&Szerződések beolvasása RAV-től"),
                    QStringLiteral("Szerződések beolvasása RAV-től")),
            [this, nyomtat] {
                if (!exch::szerzodesekBeolvasasa(
                        st_, this, [this] { return szerzadat(st_); }, nyomtat))
                    endProgram();
            });
    command(addItem(beolv, QStringLiteral("Teljesadatllomnybeolvassa1"),
                    QStringLiteral("&Teljes adatállomány beolvasása RAV-től"),
                    QStringLiteral("Teljes adatállomány beolvasása RAV-től")),
            [this, nyomtat] { exch::teljesAdatBeolvasasa(st_, this, nyomtat); });
}

QAction* MainWindow::menuItem(const QString& name) const {
    return menuBar()->findChild<QAction*>(name);
}

// ---------------------------------------------------------------------------
// State shown

void MainWindow::showPeriod() {
    ID->setText(st_.id.text());
}

reg::LapokWindow* MainWindow::lapokWindow() {
    if (!lapok_) {
        lapok_ = new reg::LapokWindow(st_, this);
        // Viewing (Megtekints1) and printing ("Nyomtatás") of the sheets.
        reg::wireMegtekintes(*lapok_, st_);
        connect(lapok_->nyomtatButton(), &QPushButton::clicked, lapok_, [this] {
            reports::printMarkedSheets(st_, {programTitle(), programVersion()}, lapok_,
                                       [this] { lapok_->reread(); });
        });
        // "Adatküldés" in send-selection mode.
        connect(lapok_->kuldButton(), &QPushButton::clicked, this, [this] {
            try {
                kuldClick();
            } catch (const engine::DbError& e) {
                st_.msg.error(e.text());
            }
        });
    }
    return lapok_;
}

void MainWindow::FloppykldemnyRAVszmra1Click() {
    if (!exch::Kuldes::nyithato(st_)) return;
    lapokWindow()->openKuldes();
}

void MainWindow::kuldClick() {
    reg::LapokWindow* w = lapokWindow();
    ui::QtFolderAsker folders(st_.msg, w, w);
    exch::KuldesHooks h;
    h.problemak = [this, w](const std::vector<exch::Problema>& p) {
        return exch::KuldesEllWindow::kerdez(p, st_.id, st_.msg, w);
    };
    h.mappak = &folders;
    h.ejelentes = [this, w] {
        if (ejelentes_) ejelentes_(w);
    };
    h.bezar = [w] { w->kilepClick(); };
    h.frissit = [] { QCoreApplication::processEvents(); };
    exch::Kuldes k(st_, h);
    if (k.kuldClick() == exch::Kuldes::Eredmeny::Hiba) {
        w->reread();
        w->refreshFigures();
    }
}

void MainWindow::setStatusText(int panel, const QString& text) {
    if (panel < 0 || panel > 2) return;
    panels_[panel]->setText(text);
    // A long operation reports its progress without returning to the event
    // loop; paint the panel now.
    if (panels_[panel]->isVisible()) panels_[panel]->repaint();
}

QString MainWindow::statusText(int panel) const {
    return panel >= 0 && panel <= 2 ? panels_[panel]->text() : QString();
}

// ---------------------------------------------------------------------------
// Menu commands

void MainWindow::Indexels1Click() {
    bool contractUsable = true;
    try {
        db::reindexAll(st_.tables, st_.msg, [&] { contractUsable = szerzadat(st_); });
    } catch (const engine::DbError& e) {
        st_.msg.error(e.text());
        return;
    } catch (const std::exception& e) {
        st_.msg.error(QString::fromLocal8Bit(e.what()));
        return;
    }
    if (!contractUsable) endProgram();
}

void MainWindow::Elszmolsiidszakbellts1Click() {
    st_.idoszakmenu = true;
    {
        PeriodDialog dlg(st_, this);
        dlg.exec();
    }
    ertad(st_);
    showPeriod();
}

void MainWindow::Jelszmdosts1Click() {
    st_.msg.status(0, QStringLiteral("A meglévő jelszó megváltoztatása"));
    bool end = false;
    {
        LoginDialog dlg(st_, true, this);
        dlg.exec();
        end = dlg.endProgram();
    }
    if (end) endProgram();
}

void MainWindow::Nvjegy1Click() {
    QCoreApplication::processEvents();
    st_.msg.status(0, QStringLiteral("Program verzió"));
    AboutDialog box(this);
    box.setVersion(programVersion());
    box.exec();
}

void MainWindow::tvonalak1Click() {
    PathsWindow paths(this);
    paths.setRows(pathRows(st_));
    paths.exec();
}

void MainWindow::Tartalom1Click() {
    if (!help_) help_ = new HelpWindow(this);
    help_->showContents();
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void MainWindow::Kilps1Click() {
    close();
    QCoreApplication::quit();
}

void MainWindow::Ejelentshezlistamegtekints1Click() {
#ifdef Q_OS_WIN
    // The shell's "open": it finds the program where it registered itself,
    // not only on the search path.
    QDesktopServices::openUrl(QUrl::fromLocalFile(QStringLiteral("Foxit Reader.exe")));
#else
    QProcess::startDetached(QStringLiteral("Foxit Reader.exe"), {});
#endif
}

void MainWindow::FelbontasClick(QAction* item) {
    if (item == felbontasChecked_) return;
    const QList<QAction*> items = felbontas_->actions();
    const bool larger = items.indexOf(item) > items.indexOf(felbontasChecked_);
    const int num = larger ? 4 : 3;
    const int den = larger ? 3 : 4;
    for (QLabel* label : {Ido, ID}) {
        QFont f = label->font();
        f.setPointSizeF(f.pointSizeF() * num / den);
        label->setFont(f);
    }
    felbontasChecked_ = item;
    if (auto* menu = qobject_cast<QMenu*>(felbontas_->parent())) menu->setDefaultAction(item);
    emit rescaled(num, den);
    if (isVisible()) showMaximized();
}

void MainWindow::endProgram() {
    close();
    QCoreApplication::quit();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    // The program ends with the main window: the help window goes with it.
    if (help_) help_->close();
    event->accept();
}

} // namespace app
