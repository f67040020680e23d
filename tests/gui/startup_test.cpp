// The real start-up, offscreen, on a demo program folder: the login and the
// period answered by a script, the main window built as the program's entry
// builds it, then what the main window shows and what the start-up left on
// disk. Then the menu commands that work on the open tables.

#include "app/login.h"
#include "app/mainwindow.h"
#include "app/paths.h"
#include "app/pathswindow.h"
#include "app/period.h"
#include "app/qtstartupdialogs.h"
#include "app/startup.h"
#include "core/appstate.h"
#include "core/clock.h"
#include "db/layouts.h"
#include "engine/table.h"
#include "support/guisupport.h"
#include "support/testsupport.h"
#include "tools/demo/demodata.h"
#include "ui/scriptedmessages.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>
#include <memory>

namespace {

// The scripted messages, with the status texts also handed on to the main
// window as the program's message service does.
class WindowMessages : public ui::ScriptedMessages {
public:
    std::function<void(int, const QString&)> sink;
    void status(int panel, const QString& text) override {
        ui::ScriptedMessages::status(panel, text);
        if (sink) sink(panel, text);
    }
};

// The two start-up dialogs answered with fixed texts through the same logic
// the dialogs drive.
struct ScriptedDialogs : app::StartupDialogs {
    QString password;
    QString periodText;
    bool login(core::AppState& st) override {
        app::Login l(st, false);
        l.prepare();
        return l.ok(password) != app::Login::Result::EndProgram;
    }
    bool period(core::AppState& st) override {
        app::Period choice(st);
        return choice.ok(periodText) == app::Period::Result::Accepted;
    }
};

const db::TableId kLocalTables[] = {db::TableId::Zaras, db::TableId::Apol,   db::TableId::Orvos,
                                    db::TableId::Beteg, db::TableId::Maradv, db::TableId::Elrend,
                                    db::TableId::Lap,   db::TableId::Lapb};

} // namespace

using testsupport::whenModal;

class StartupTest : public QObject {
    Q_OBJECT

    QString oldCwd_;
    std::unique_ptr<testsupport::TempDir> program_, work_;
    std::unique_ptr<WindowMessages> msg_;
    std::unique_ptr<core::Clock> clock_;
    std::unique_ptr<core::AppState> st_;
    std::unique_ptr<app::MainWindow> window_;
    ScriptedDialogs dialogs_;
    app::Startup::Outcome outcome_ = app::Startup::Outcome::EndProgram;

    // As the program's entry does it: the window first, then the start-up.
    void start(const QString& password, const QString& period) {
        window_.reset();
        st_.reset();
        msg_ = std::make_unique<WindowMessages>();
        st_ = std::make_unique<core::AppState>(*msg_, *clock_);
        window_ = std::make_unique<app::MainWindow>(*st_);
        app::MainWindow* w = window_.get();
        msg_->sink = [w](int panel, const QString& text) { w->setStatusText(panel, text); };
        dialogs_.password = password;
        dialogs_.periodText = period;
        outcome_ = app::Startup(*st_, dialogs_).run(program_->path());
        window_->showPeriod();
    }

    QString dataFile(const QString& name) const { return st_->tables.file(name); }

private slots:
    void init() {
        oldCwd_ = QDir::currentPath();
        program_ = std::make_unique<testsupport::TempDir>();
        work_ = std::make_unique<testsupport::TempDir>();
        clock_ = std::make_unique<core::Clock>(QDate(2024, 5, 15));
        demo::makeDemoData(program_->path(), clock_->today());
        QVERIFY(QDir::setCurrent(work_->path()));
    }

    void cleanup() {
        window_.reset();
        st_.reset();
        msg_.reset();
        QDir::setCurrent(oldCwd_);
        work_.reset();
        program_.reset();
    }

    void reachesTheMainWindow() {
        start("titok", "2024.04");
        QCOMPARE(outcome_, app::Startup::Outcome::MainWindow);
        QVERIFY2(msg_->isEmpty(), qPrintable(msg_->last()));

        // the window shows the period and the contract line
        QCOMPARE(window_->findChild<QLabel*>("ID")->text(), QStringLiteral("2024.04"));
        const QString contract = window_->statusText(1);
        QVERIFY2(contract.startsWith(demo::providerCode() + " " + demo::providerName()),
                 qPrintable(contract));
        QVERIFY2(
            contract.endsWith("  (FINkód: " + demo::financingCode() + ", Szerz.kezd: 2024.01.01)"),
            qPrintable(contract));
        QVERIFY(window_->statusText(0).isEmpty());
        QCOMPARE(window_->statusText(2), QStringLiteral("2024.05.15"));
        QCOMPARE(st_->alapdij, 3700);

        // every local table with its index file, open
        for (db::TableId id : kLocalTables) {
            const QString dbf = dataFile(db::layout(id).fileName);
            QVERIFY2(QFileInfo::exists(dbf), qPrintable(dbf));
            QVERIFY2(engine::Table::indexFileOk(dbf), qPrintable(dbf));
        }
        QVERIFY(QFileInfo::exists(dataFile("SYS.DBF")));
        QVERIFY(st_->tables.lap.isOpen());
        QVERIFY(st_->tables.zaras.isOpen());

        // the working folders under the current folder, MENT beside the data
        for (const char* dir : {"LISTA", "KULD", "DATA", "TEMP"})
            QVERIFY2(QFileInfo(work_->path() + "/" + dir).isDir(), dir);
        QVERIFY(QFileInfo(program_->path() + "/DATA/MENT").isDir());
        QCOMPARE(st_->munkakonyvtar, QDir::currentPath());
    }

    void pathsWindowShowsTheWorkingFolders() {
        start("titok", "2016.10");
        QCOMPARE(outcome_, app::Startup::Outcome::MainWindow);
        QString text;
        whenModal([&](QWidget* win) {
            text = static_cast<app::PathsWindow*>(win)->text();
            static_cast<QDialog*>(win)->accept();
        });
        window_->menuItem("tvonalak1")->trigger();
        const QString work = QDir::currentPath();
        // The folders as the system writes them (with "\\" on Windows).
        QCOMPARE(text, QDir::toNativeSeparators(
                           QStringLiteral("A program helye:              ") + work + "\n" +
                           "Az adatállományok helye:      " + work + "/DATA\n" +
                           "A listák helye:               " + work + "/LISTA\n" +
                           "Az adatküldés helye:          " + work + "/KULD\n" + "\n" +
                           "Alapdíj:                      3380 Ft"));
    }

    void reindexFromTheMenu() {
        start("titok", "2024.04");
        QCOMPARE(outcome_, app::Startup::Outcome::MainWindow);
        window_->setStatusText(1, QString()); // szerzadat writes it again

        window_->menuItem("Indexels1")->trigger();
        QVERIFY2(msg_->isEmpty(), qPrintable(msg_->last()));
        QCOMPARE(window_->statusText(0), QStringLiteral("Az indexelés befejeződött!!"));
        QVERIFY(window_->statusText(1).contains("(FINkód: " + demo::financingCode()));
        for (db::TableId id : kLocalTables)
            QVERIFY(engine::Table::indexFileOk(dataFile(db::layout(id).fileName)));
        QVERIFY(st_->tables.lap.isOpen());
        QVERIFY(st_->tables.beteg.isOpen());
        QCOMPARE(st_->tables.beteg.activeTag(), QStringLiteral("Beteg2"));
    }

    void reindexThroughTheOpenMenu() {
        start("titok", "2024.04");
        QCOMPARE(outcome_, app::Startup::Outcome::MainWindow);
        window_->show();
        auto* szerviz = window_->findChild<QMenu*>("Szervz1");
        szerviz->popup(QPoint(10, 10));
        QVERIFY(QTest::qWaitForWindowExposed(szerviz));
        szerviz->setActiveAction(window_->menuItem("Indexels1"));
        QCOMPARE(window_->statusText(0), QStringLiteral("Indexelés"));
        QTest::keyClick(szerviz, Qt::Key_Return);
        QTest::qWait(50);
        QVERIFY(!szerviz->isVisible());
        QCOMPARE(window_->statusText(0), QStringLiteral("Az indexelés befejeződött!!"));
    }

    void periodAndPasswordFromTheMenu() {
        start("titok", "2024.04");
        QCOMPARE(outcome_, app::Startup::Outcome::MainWindow);
        whenModal([&](QWidget* dlg) {
            auto* me1 = dlg->findChild<QLineEdit*>("ME1");
            QTest::keyClicks(me1, "201201");
            QTest::keyClick(me1, Qt::Key_Return);
        });
        window_->menuItem("Elszmolsiidszakbellts1")->trigger();
        QCOMPARE(window_->findChild<QLabel*>("ID")->text(), QStringLiteral("2012.01"));
        QCOMPARE(st_->alapdij, 3200);

        whenModal([&](QWidget* dlg) {
            QTest::keyClicks(dlg->findChild<QLineEdit*>("Password"), "uj");
            dlg->findChild<QPushButton*>("OKBtn")->click();
        });
        window_->menuItem("Jelszmdosts1")->trigger();
        QCOMPARE(window_->statusText(0), QStringLiteral("A meglévő jelszó megváltoztatása"));
        QVERIFY(msg_->isEmpty());

        // the next start wants the new password
        start("titok", "2024.04");
        QCOMPARE(outcome_, app::Startup::Outcome::EndProgram);
        QCOMPARE(msg_->log(), (std::vector<std::string>{"information: Érvénytelen jelszó!"}));
        start("uj", "2024.04");
        QCOMPARE(outcome_, app::Startup::Outcome::MainWindow);
    }

    void theProgramsOwnDialogs() {
        msg_ = std::make_unique<WindowMessages>();
        st_ = std::make_unique<core::AppState>(*msg_, *clock_);
        QStringList seen;
        // each modal window as it comes: the login, then the period
        std::function<void(QWidget*)> answer = [&](QWidget* dlg) {
            seen << dlg->objectName() + ": " + dlg->windowTitle();
            if (dlg->objectName() == "TPasswordDlg") {
                QTest::keyClicks(dlg->findChild<QLineEdit*>("Password"), "titok");
                QTest::keyClick(dlg->findChild<QLineEdit*>("Password"), Qt::Key_Return);
                whenModal(answer);
            } else {
                auto* me1 = dlg->findChild<QLineEdit*>("ME1");
                QCOMPARE(dlg->focusWidget(), me1);
                QTest::keyClicks(me1, "202312");
                QTest::keyClick(me1, Qt::Key_Return);
            }
        };
        whenModal(answer);
        app::QtStartupDialogs dialogs;
        QCOMPARE(app::Startup(*st_, dialogs).run(program_->path()),
                 app::Startup::Outcome::MainWindow);
        QCOMPARE(seen, (QStringList{"TPasswordDlg: Bejelentkezési ablak",
                                    "TZarasbe: Elszámolási időszak"}));
        QCOMPARE(st_->id.text(), QStringLiteral("2023.12"));
        QVERIFY(msg_->isEmpty());

        // Esc in the period dialog at the next start ends the program.
        st_.reset();
        st_ = std::make_unique<core::AppState>(*msg_, *clock_);
        answer = [&](QWidget* dlg) {
            if (dlg->objectName() == "TPasswordDlg") {
                QTest::keyClicks(dlg->findChild<QLineEdit*>("Password"), "titok");
                dlg->findChild<QPushButton*>("OKBtn")->click();
                whenModal(answer);
            } else {
                QTest::keyClick(dlg->findChild<QLineEdit*>("ME1"), Qt::Key_Escape);
            }
        };
        whenModal(answer);
        QCOMPARE(app::Startup(*st_, dialogs).run(program_->path()),
                 app::Startup::Outcome::EndProgram);
        QVERIFY(msg_->isEmpty());
    }

    void aRefusedPeriodEndsBeforeTheTables() {
        start("titok", "2030.01");
        QCOMPARE(outcome_, app::Startup::Outcome::EndProgram);
        QVERIFY(!QFileInfo::exists(dataFile("Lap.dbf")));
        QVERIFY(!QFileInfo(work_->path() + "/LISTA").exists());
    }

    void exitClosesTheWindow() {
        start("titok", "2024.04");
        window_->show();
        QVERIFY(window_->isVisible());
        window_->menuItem("Kilps1")->trigger();
        QVERIFY(!window_->isVisible());
    }
};

QTEST_MAIN(StartupTest)
#include "startup_test.moc"
