// The main window without data: the whole main menu (names, captions, hints,
// nesting, what is enabled and what is hidden), the top panel, the status
// panels and the windows of the "Súgó" menu.

#include "app/mainwindow.h"
#include "app/paths.h"
#include "app/pathswindow.h"
#include "app/programinfo.h"
#include "core/appstate.h"
#include "core/clock.h"
#include "support/guisupport.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTextBrowser>
#include <QTimer>
#include <QtTest>
#include <functional>

namespace {

struct Item {
    const char* name;
    const char* caption;
    const char* hint;
    const char* container; // the menu (or the menu bar) the item is in
    bool enabled;
    bool visible;
};

constexpr bool on = true, off = false;

// In menu order: each container's items appear in the order they stand in it.
// A hidden item counts as disabled (Qt disables what it does not show).
const Item kMenu[] = {
    {"Adatok1", "&Adatok", "Adatok", "MainMenu1", on, on},
    {"Alapadatok1", "&Alapadatok", "Alapadatok", "Adatok1", on, on},
    {"Szerzds1", "&Szerződés", "Szerződés megtekintése", "Alapadatok1", on, on},
    {"Orvosok1", "&Orvosok", "Orvosok", "Alapadatok1", on, on},
    {"Betegek1", "&Betegek", "Betegek", "Alapadatok1", on, on},
    {"Szakpolk1", "Sza&kápolók", "Szakápolók", "Alapadatok1", on, on},
    {"BNOX1", "B&NO X", "BNO kódok megtekintése", "Alapadatok1", on, on},
    {"Maradvnyok1", "&Maradványok", "Maradványok kezelése", "Alapadatok1", on, on},
    {"Elszmolsilapokrgztse1", "&Elszámolási lapok rögzítése", "Elszámolási lapok rögzítése",
     "Adatok1", on, on},
    {"Felbonts1", "&Felbontás", "Felbontás beállítása", "MainMenu1", off, off},
    {"Listk1", "&Listák", "Listák készítése", "MainMenu1", on, on},
    {"Elszmolsilapoknyomtatsa1", "&Elszámolási lapok nyomtatása", "Elszámolási lapok nyomtatása",
     "Listk1", on, on},
    {"Havisszestafloppykldemnyhez1", "&Havi összesítő a floppy küldeményhez",
     "Havi összesítő a floppy küldeményhez", "Listk1", on, on},
    {"Adatrgztsiellenrzs1", "&Adatrögzítési ellenőrzés",
     "Adatrögzítés befejezése utáni ellenőrző lista", "Listk1", on, on},
    {"Ejelentshezlistamegtekints1", "E-&jelentéshez lista megtekintés", "", "Listk1", off, off},
    {"Havonkntielszmols1", "Ha&vonkénti elszámolás", "Havonkénti elszámolás", "Listk1", on, on},
    {"Dolgozkteljestettvizitei1", "&Dolgozók teljesített vizitei",
     "Dolgozók teljesített viziteinek nyomtatása adott hónapban", "Listk1", on, on},
    {"TAJszmosellenrzlistk1", "&TAJ számos ellenőrző listák", "TAJ számos ellenőrző listák",
     "Listk1", on, on},
    {"TAJszmosellenrzlistasszestve1", "&TAJ számos ellenőrző lista összesítve",
     "TAJ számos ellenőrző lista összesítve", "TAJszmosellenrzlistk1", on, on},
    {"TAJszmosellenrzlistaegybetegre1", "TAJ számos ellenőrző lista egy &betegre",
     "TAJ számos ellenőrző lista egy betegre", "TAJszmosellenrzlistk1", on, on},
    {"Trzslistk1", "Tö&rzslisták", "Törzslisták", "Listk1", on, on},
    {"Orvosok2", "&Orvosok", "Orvosok", "Trzslistk1", on, on},
    {"Betegek2", "&Betegek", "Betegek", "Trzslistk1", on, on},
    {"Szakpolk2", "&Szakápolók", "Szakápolók", "Trzslistk1", on, on},
    {"BNOX2", "B&NO X", "BNO kódok", "Trzslistk1", on, on},
    {"TeljesBNOlista1", "&Teljes BNO lista", "Teljes BNO lista nyomtatása", "BNOX2", on, on},
    {"Betegsgcsoportszerintilista1", "&Betegség csoport szerinti lista",
     "Betegség csoport szerinti BNO lista nyomtatása", "BNOX2", on, on},
    {"Szervz1", "&Szervíz", "Szervíz", "MainMenu1", on, on},
    {"Indexels1", "&Indexelés", "Indexelés", "Szervz1", on, on},
    {"Elszmolsiidszakbellts1", "&Elszámolási időszak beállítás", "Elszámolási időszak beállítás",
     "Szervz1", on, on},
    {"Jelszmdosts1", "&Jelszó módosítás", "Jelszó módosítás", "Szervz1", on, on},
    {"Ments1", "&Mentés", "Adatállományok mentése", "Szervz1", on, on},
    {"Visszatlts1", "&Visszatöltés", "Adatállományok visszatöltése", "Szervz1", on, on},
    {"Adatszolgltats1", "A&datszolgáltatás", "Adatszolgáltatás", "MainMenu1", on, on},
    {"FloppykldemnyRAVszmra1", "Floppy-&küldemény RAV-számára", "Floppy-küldemény RAV-számára",
     "Adatszolgltats1", on, on},
    {"FloppybeolvassaRAVtl1", "Floppy &beolvasása RAV-től", "Floppy beolvasása RAV-től",
     "Adatszolgltats1", on, on},
    {"ElszmolsilapokbeolvassaRAVtl1", "&Elszámolt lapok beolvasása RAV-től",
     "Elszámolt lapok beolvasása RAV-től", "FloppybeolvassaRAVtl1", on, on},
    {"SzerzdsekbeolvassaRAVtl1", "&Szerződések beolvasása RAV-től",
     "Szerződések beolvasása RAV-től", "FloppybeolvassaRAVtl1", on, on},
    {"Teljesadatllomnybeolvassa1", "&Teljes adatállomány beolvasása RAV-től",
     "Teljes adatállomány beolvasása RAV-től", "FloppybeolvassaRAVtl1", on, on},
    {"HELP1", "Sú&gó", "Segítség", "MainMenu1", on, on},
    {"Nvjegy1", "&Névjegy", "Névjegy", "HELP1", on, on},
    {"tvonalak1", "&Útvonalak", "A program útvonalainak és az alapdíj megjelenítése", "HELP1", on,
     on},
    {"Tartalom1", "&Tartalom", "Segítségnyújtás", "HELP1", on, on},
    {"Kilps1", "&Kilépés", "Kilépés a programból", "MainMenu1", on, on},
};

// The menu or menu bar that shows the item (not the item's own submenu).
QWidget* containerOf(QAction* item) {
    for (QObject* o : item->associatedObjects())
        if (auto* w = qobject_cast<QWidget*>(o); w && w->actions().contains(item)) return w;
    return nullptr;
}

} // namespace

using testsupport::whenModal;

class MainWindowTest : public QObject {
    Q_OBJECT

private slots:
    void everyMenuItemWithCaptionHintAndPlace() {
        ui::ScriptedMessages msg;
        core::Clock clock(QDate(2024, 5, 15));
        core::AppState st(msg, clock);
        app::MainWindow w(st);

        QHash<QString, QStringList> order; // container -> its items, as the table gives them
        for (const Item& it : kMenu) {
            const QString name = QString::fromUtf8(it.name);
            QAction* a = w.menuItem(name);
            QVERIFY2(a, it.name);
            QCOMPARE(a->objectName(), name);
            QCOMPARE(a->text(), QString::fromUtf8(it.caption));
            QCOMPARE(a->statusTip(), QString::fromUtf8(it.hint));
            QVERIFY2(a->isEnabled() == it.enabled, it.name);
            QVERIFY2(a->isVisible() == it.visible, it.name);
            QWidget* in = containerOf(a);
            QVERIFY2(in, it.name);
            QCOMPARE(in->objectName(), QString::fromUtf8(it.container));
            order[in->objectName()] << name;
        }
        // Nothing else in the menus, and the order of the table.
        for (auto i = order.cbegin(); i != order.cend(); ++i) {
            QWidget* container = i.key() == "MainMenu1"
                                     ? static_cast<QWidget*>(w.menuBar())
                                     : static_cast<QWidget*>(w.findChild<QMenu*>(i.key()));
            QVERIFY(container);
            QStringList shown;
            for (QAction* a : container->actions())
                if (!a->isSeparator()) shown << a->objectName();
            QCOMPARE(shown, i.value());
        }
    }

    void resolutionItemsHiddenWith800Checked() {
        ui::ScriptedMessages msg;
        core::Clock clock;
        core::AppState st(msg, clock);
        app::MainWindow w(st);
        auto* felb = w.findChild<QMenu*>("Felbonts1");
        QVERIFY(felb);
        QStringList captions;
        for (QAction* a : felb->actions())
            captions << a->text();
        QCOMPARE(captions, (QStringList{"640 x 480", "800 x 600", "1024 x 768"}));
        QVERIFY(w.menuItem("N800x6001")->isChecked());
        QCOMPARE(felb->defaultAction(), w.menuItem("N800x6001"));
        QVERIFY(!felb->menuAction()->isVisible());

        QList<QPair<int, int>> scaled;
        connect(&w, &app::MainWindow::rescaled, [&](int num, int den) {
            scaled.append({num, den});
        });
        w.menuItem("N1024x7681")->trigger();
        QVERIFY(w.menuItem("N1024x7681")->isChecked());
        QVERIFY(!w.menuItem("N800x6001")->isChecked());
        QCOMPARE(felb->defaultAction(), w.menuItem("N1024x7681"));
        w.menuItem("N640x4801")->trigger();
        QCOMPARE(scaled, (QList<QPair<int, int>>{{4, 3}, {3, 4}}));
    }

    void topPanelAndStatusPanels() {
        ui::ScriptedMessages msg;
        core::Clock clock;
        core::AppState st(msg, clock);
        st.id = core::Idoszak(2023, 11);
        app::MainWindow w(st);
        QCOMPARE(w.objectName(), QStringLiteral("Tfokep"));
        QCOMPARE(w.windowTitle(), app::programTitle());
        auto* ido = w.findChild<QLabel*>("Ido");
        auto* id = w.findChild<QLabel*>("ID");
        QVERIFY(ido && id);
        QCOMPARE(ido->text(), QStringLiteral("Elszámolási időszak:"));
        QCOMPARE(ido->statusTip(), QStringLiteral("Elszámolási időszak megmutatása"));
        QCOMPARE(id->text(), QStringLiteral("2023.11"));
        QCOMPARE(id->statusTip(), QStringLiteral("Időszak"));
        QVERIFY(id->alignment() & Qt::AlignRight);

        st.id = core::Idoszak(2024, 2);
        w.showPeriod();
        QCOMPARE(id->text(), QStringLiteral("2024.02"));

        w.setStatusText(0, "egy");
        w.setStatusText(1, "kettő");
        w.setStatusText(2, "2024.05.15");
        QCOMPARE(w.statusText(0), QStringLiteral("egy"));
        QCOMPARE(w.statusText(1), QStringLiteral("kettő"));
        QCOMPARE(w.statusText(2), QStringLiteral("2024.05.15"));
        QVERIFY(w.findChild<QLabel*>("Panel2")->alignment() & Qt::AlignRight);
        QCOMPARE(w.statusBar()->findChildren<QLabel*>().size(), 3);
    }

    void hintsGoToStatusPanelZero() {
        ui::ScriptedMessages msg;
        core::Clock clock;
        core::AppState st(msg, clock);
        app::MainWindow w(st);
        w.menuItem("Indexels1")->showStatusText(&w);
        QCOMPARE(msg.statusText(0), QStringLiteral("Indexelés"));
        w.menuItem("Kilps1")->showStatusText(w.menuBar());
        QCOMPARE(msg.statusText(0), QStringLiteral("Kilépés a programból"));
        QStatusTipEvent tip(w.findChild<QLabel*>("ID")->statusTip());
        QApplication::sendEvent(w.findChild<QLabel*>("ID"), &tip);
        QCOMPARE(msg.statusText(0), QStringLiteral("Időszak"));
    }

    void aboutBox() {
        ui::ScriptedMessages msg;
        core::Clock clock;
        core::AppState st(msg, clock);
        app::MainWindow w(st);
        QString caption, version, title, hint, objectName;
        int makerLines = 0;
        whenModal([&](QWidget* box) {
            objectName = box->objectName();
            caption = box->windowTitle();
            hint = box->statusTip();
            version = box->findChild<QLabel*>("Version")->text();
            title = box->findChild<QLabel*>("ProductName")->text();
            for (const char* n : {"Copyright", "Comments"})
                if (auto* l = box->findChild<QLabel*>(n); l && !l->text().isEmpty()) ++makerLines;
            auto* ok = box->findChild<QPushButton*>("OKButton");
            QCOMPARE(ok->text(), QStringLiteral("OK"));
            ok->click();
        });
        w.menuItem("Nvjegy1")->trigger();
        QCOMPARE(objectName, QStringLiteral("TAboutBox"));
        QCOMPARE(caption, QStringLiteral("Névjegy"));
        QCOMPARE(hint, QStringLiteral("Verzió megmutatása"));
        QCOMPARE(version, QStringLiteral("3.61"));
        QCOMPARE(title, app::programTitle());
        QCOMPARE(makerLines, 2);
        QCOMPARE(msg.statusText(0), QStringLiteral("Program verzió"));
    }

    void pathsText() {
        ui::ScriptedMessages msg;
        core::Clock clock;
        core::AppState st(msg, clock);
        st.munkakonyvtar = "/home/apolo/szak";
        st.datakonyvtar = "/home/apolo/szak/DATA";
        st.listakonyvtar = "/home/apolo/szak/LISTA";
        st.alapdij = 3700;
        // The folders as the system writes them (with "\\" on Windows).
        QCOMPARE(app::pathsText(st), QDir::toNativeSeparators(QStringLiteral(
                                         "A program helye:              /home/apolo/szak\n"
                                         "Az adatállományok helye:      /home/apolo/szak/DATA\n"
                                         "A listák helye:               /home/apolo/szak/LISTA\n"
                                         "Az adatküldés helye:          /home/apolo/szak/KULD\n"
                                         "\n"
                                         "Alapdíj:                      3700 Ft\n")));
    }

    // The labels in one column and the values lined up beside them by the
    // layout: the window reads the same whatever fonts the machine has.
    void pathsWindow() {
        ui::ScriptedMessages msg;
        core::Clock clock;
        core::AppState st(msg, clock);
        st.munkakonyvtar = "/x";
        st.datakonyvtar = "/x/DATA";
        st.listakonyvtar = "/x/LISTA";
        st.alapdij = 3380;
        app::MainWindow w(st);
        QString objectName, caption, text;
        QStringList labels, values, names;
        QList<int> valueLefts;
        whenModal([&](QWidget* win) {
            auto* p = static_cast<app::PathsWindow*>(win);
            objectName = win->objectName();
            caption = win->windowTitle();
            text = p->text();
            for (int i = 0; i < 6; ++i) {
                if (!p->valueAt(i)) continue;
                labels << p->labelAt(i)->text();
                values << p->valueAt(i)->text();
                names << p->valueAt(i)->accessibleName();
                valueLefts << p->valueAt(i)->mapTo(win, QPoint(0, 0)).x();
                QVERIFY(p->labelAt(i)->geometry().right() < p->valueAt(i)->geometry().left());
            }
            static_cast<QDialog*>(win)->accept();
        });
        w.menuItem("tvonalak1")->trigger();
        QCOMPARE(objectName, QStringLiteral("Tutkep"));
        QCOMPARE(caption, app::programTitle() + " elérhetőségei");
        QCOMPARE(text, app::pathsText(st).chopped(1));
        QCOMPARE(labels, (QStringList{"A program helye:", "Az adatállományok helye:",
                                      "A listák helye:", "Az adatküldés helye:", "Alapdíj:"}));
        QStringList expected{"/x", "/x/DATA", "/x/LISTA", "/x/KULD", "3380 Ft"};
        for (QString& v : expected)
            v = QDir::toNativeSeparators(v);
        QCOMPARE(values, expected);
        QCOMPARE(names, labels);
        QCOMPARE(valueLefts.size(), 5);
        for (int x : valueLefts)
            QCOMPARE(x, valueLefts.first());
    }

    void helpContents() {
        ui::ScriptedMessages msg;
        core::Clock clock;
        core::AppState st(msg, clock);
        app::MainWindow w(st);
        w.setGeometry(40, 60, 760, 560);
        w.show();
        w.menuItem("Tartalom1")->trigger();
        auto* help = w.findChild<QWidget*>("HelpWindow");
        QVERIFY(help);
        QVERIFY(help->isVisible());
        // Over the middle of the main window; Esc closes it.
        const QPoint off = help->frameGeometry().center() - w.frameGeometry().center();
        QVERIFY2(off.manhattanLength() < 40,
                 qPrintable(QString("%1,%2").arg(off.x()).arg(off.y())));
        QApplication::setActiveWindow(help);
        QVERIFY(QTest::qWaitForWindowActive(help));
        QTest::keyClick(help, Qt::Key_Escape);
        QVERIFY(!help->isVisible());
        w.menuItem("Tartalom1")->trigger();
        QVERIFY(help->isVisible());
        auto* text = help->findChild<QTextBrowser*>();
        QVERIFY(text);
        const QString page = text->toPlainText();
        QVERIFY2(page.contains("Az elszámolási időszak"), qPrintable(page.left(200)));
        QVERIFY(page.contains("Mentés és visszatöltés"));
        QVERIFY(page.contains("Indexelés"));
        w.close();
        QVERIFY(!help->isVisible());
    }

    void periodFromTheMenu() {
        ui::ScriptedMessages msg;
        core::Clock clock(QDate(2024, 5, 15));
        core::AppState st(msg, clock);
        st.id = core::Idoszak(2024, 5);
        st.zartidoszak = true;
        app::MainWindow w(st);
        QString caption;
        whenModal([&](QWidget* dlg) {
            caption = dlg->windowTitle();
            auto* me1 = dlg->findChild<QLineEdit*>("ME1");
            QTest::keyClicks(me1, "201610");
            QTest::keyClick(me1, Qt::Key_Return);
        });
        w.menuItem("Elszmolsiidszakbellts1")->trigger();
        QCOMPARE(caption, QStringLiteral("Elszámolási időszak"));
        QVERIFY(st.idoszakmenu);
        QCOMPARE(st.id.text(), QStringLiteral("2016.10"));
        QVERIFY(!st.zartidoszak);
        QCOMPARE(st.alapdij, 3380);
        QCOMPARE(w.findChild<QLabel*>("ID")->text(), QStringLiteral("2016.10"));

        // "Mégsem" from the menu leaves the period and the program alone.
        whenModal([&](QWidget* dlg) { dlg->findChild<QPushButton*>("CancelBtn")->click(); });
        w.menuItem("Elszmolsiidszakbellts1")->trigger();
        QCOMPARE(st.id.text(), QStringLiteral("2016.10"));
        QVERIFY(msg.isEmpty());
    }

    void passwordChangeFromTheMenu() {
        testsupport::TempDir data;
        ui::ScriptedMessages msg;
        core::Clock clock;
        core::AppState st(msg, clock);
        st.tables.dbo.setDirectory(data.path() + "/");
        app::MainWindow w(st);
        QString caption, label;
        whenModal([&](QWidget* dlg) {
            caption = dlg->windowTitle();
            label = dlg->findChild<QLabel*>("Label1")->text();
            QTest::keyClicks(dlg->findChild<QLineEdit*>("Password"), "abc");
            dlg->findChild<QPushButton*>("OKBtn")->click();
        });
        w.menuItem("Jelszmdosts1")->trigger();
        QCOMPARE(caption, QStringLiteral("Jelszó módosítása"));
        QCOMPARE(label, QStringLiteral("Kérem a jelszó módosítását"));
        QCOMPARE(msg.statusHistory(0).value(0), QStringLiteral("A meglévő jelszó megváltoztatása"));
        QVERIFY(msg.isEmpty());
        QVERIFY(st.tables.sys.isOpen());
        st.tables.sys.first();
        QCOMPARE(st.tables.sys.text("P_W"), QStringLiteral("145147148"));
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
