// The login dialog: its controls, the first password, a wrong one, "Mégsem",
// Esc and the close box at start-up, and the password change from the menu.

#include "app/logindialog.h"
#include "core/appstate.h"
#include "core/clock.h"
#include "support/guisupport.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

class LoginDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::BareApp> app_;

    core::AppState& state() {
        app_ = std::make_unique<testsupport::BareApp>();
        return app_->state;
    }

    static QLineEdit* edit(app::LoginDialog& d) { return d.findChild<QLineEdit*>("Password"); }
    static QPushButton* okBtn(app::LoginDialog& d) { return d.findChild<QPushButton*>("OKBtn"); }
    static QPushButton* cancelBtn(app::LoginDialog& d) {
        return d.findChild<QPushButton*>("CancelBtn");
    }

    // Logs in once with `typed`; true when the dialog was accepted.
    bool loginWith(core::AppState& st, const QString& typed, bool* end = nullptr) {
        app::LoginDialog dlg(st, false);
        dlg.show();
        QTest::keyClicks(edit(dlg), typed);
        okBtn(dlg)->click();
        if (end) *end = dlg.endProgram();
        return !dlg.isVisible() && dlg.result() == QDialog::Accepted;
    }

    QString stored() {
        engine::Table& sys = app_->state.tables.sys;
        sys.first();
        return sys.text("P_W");
    }

private slots:
    void cleanup() { app_.reset(); }

    void looksAsItShould() {
        app::LoginDialog dlg(state(), false);
        dlg.show();
        QCOMPARE(dlg.objectName(), QStringLiteral("TPasswordDlg"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Bejelentkezési ablak"));
        QCOMPARE(dlg.statusTip(), QStringLiteral("A jelszó megadása kötelező"));
        QCOMPARE(dlg.findChild<QLabel*>("Label1")->text(), QStringLiteral("Kérem a jelszót"));
        QCOMPARE(edit(dlg)->echoMode(), QLineEdit::Password);
        QVERIFY(edit(dlg)->text().isEmpty());
        QCOMPARE(dlg.focusWidget(), edit(dlg));
        QCOMPARE(okBtn(dlg)->text(), QStringLiteral("OK"));
        QVERIFY(okBtn(dlg)->isDefault());
        QCOMPARE(okBtn(dlg)->statusTip(), QStringLiteral("Elmentés"));
        QCOMPARE(cancelBtn(dlg)->text(), QStringLiteral("Mégsem"));
        QCOMPARE(cancelBtn(dlg)->statusTip(), QStringLiteral("Mentés nélkül kilépés"));
        // the password table is made as the dialog opens
        QVERIFY(QFileInfo::exists(app_->data.file("SYS.DBF")));
    }

    void firstStartStoresThePassword() {
        core::AppState& st = state();
        QVERIFY(loginWith(st, "abc"));
        QVERIFY(app_->msg.isEmpty());
        QCOMPARE(stored(), QStringLiteral("145147148"));
    }

    void enterPressesOk() {
        core::AppState& st = state();
        app::LoginDialog dlg(st, false);
        dlg.show();
        QTest::keyClicks(edit(dlg), "Titok");
        QTest::keyClick(edit(dlg), Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.endProgram());
    }

    void theNextStartWantsTheSamePassword() {
        core::AppState& st = state();
        QVERIFY(loginWith(st, "abc"));
        QVERIFY(loginWith(st, "abc"));
        bool end = false;
        QVERIFY(!loginWith(st, "ABC", &end));
        QVERIFY(end);
        QCOMPARE(app_->msg.log(), (std::vector<std::string>{"information: Érvénytelen jelszó!"}));
    }

    void emptyAtStartUpEnds() {
        core::AppState& st = state();
        bool end = false;
        QVERIFY(!loginWith(st, "", &end));
        QVERIFY(end);
        QCOMPARE(app_->msg.log(), (std::vector<std::string>{"information: Kötelező kitölteni!"}));
    }

    void cancelEscapeAndCloseBoxAtStartUpEnd() {
        core::AppState& st = state();
        {
            app::LoginDialog dlg(st, false);
            dlg.show();
            cancelBtn(dlg)->click();
            QVERIFY(!dlg.isVisible());
            QVERIFY(dlg.endProgram());
        }
        {
            app::LoginDialog dlg(st, false);
            dlg.show();
            QTest::keyClick(edit(dlg), Qt::Key_Escape);
            QVERIFY(!dlg.isVisible());
            QVERIFY(dlg.endProgram());
        }
        {
            app::LoginDialog dlg(st, false);
            dlg.show();
            QVERIFY(dlg.close());
            QVERIFY(dlg.endProgram());
        }
        QVERIFY(app_->msg.isEmpty());
    }

    void changeFromTheMenu() {
        core::AppState& st = state();
        QVERIFY(loginWith(st, "abc"));
        app::LoginDialog dlg(st, true);
        dlg.show();
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Jelszó módosítása"));
        QCOMPARE(dlg.findChild<QLabel*>("Label1")->text(),
                 QStringLiteral("Kérem a jelszó módosítását"));
        QTest::keyClicks(edit(dlg), "b");
        okBtn(dlg)->click();
        QVERIFY(!dlg.isVisible());
        QVERIFY(!dlg.endProgram());
        QCOMPARE(stored(), QStringLiteral("147"));
    }

    void cancelOrEmptyFromTheMenuKeepsTheOldPassword() {
        core::AppState& st = state();
        QVERIFY(loginWith(st, "abc"));
        {
            app::LoginDialog dlg(st, true);
            dlg.show();
            cancelBtn(dlg)->click();
            QVERIFY(!dlg.isVisible());
            QVERIFY(!dlg.endProgram());
        }
        {
            app::LoginDialog dlg(st, true);
            dlg.show();
            okBtn(dlg)->click();
            QVERIFY(!dlg.isVisible());
            QVERIFY(!dlg.endProgram());
        }
        QCOMPARE(app_->msg.log(), (std::vector<std::string>{"information: Kötelező kitölteni!"}));
        QCOMPARE(stored(), QStringLiteral("145147148"));
    }
};

QTEST_MAIN(LoginDialogTest)
#include "logindialog_test.moc"
