// The period dialog: the masked field, Enter as "OK", a refused period kept
// selected, Esc and the close box at start-up and from the menu, and a closed
// period's question.

#include "app/perioddialog.h"
#include "core/appstate.h"
#include "core/clock.h"
#include "db/localtables.h"
#include "support/guisupport.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

class PeriodDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::BareApp> app_;

    // A data folder with an empty ZARAS, open; today is 2024.05.15; start-up.
    core::AppState& state() {
        app_ = std::make_unique<testsupport::BareApp>(QDate(2024, 5, 15));
        db::LocalTables(app_->state.tables, app_->msg).crtzaras();
        app_->state.idoszakmenu = false;
        return app_->state;
    }

    // A ZARAS record for the period, closed on the given day (or not closed).
    void addZaras(const QString& period, QDate closed) {
        engine::Table& z = app_->state.tables.zaras;
        z.append();
        z.setValue("IDOSZAK", period);
        if (closed.isValid()) z.setValue("ZARAS", closed);
        z.post();
    }

    static QLineEdit* me1(app::PeriodDialog& d) { return d.findChild<QLineEdit*>("ME1"); }

private slots:
    void cleanup() { app_.reset(); }

    void looksAsItShould() {
        app::PeriodDialog dlg(state());
        dlg.show();
        QCOMPARE(dlg.objectName(), QStringLiteral("TZarasbe"));
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Elszámolási időszak"));
        QVERIFY(dlg.findChild<QLabel*>()->text() ==
                QStringLiteral("Elszámolási időszak beállítása"));
        QCOMPARE(me1(dlg)->inputMask(), QStringLiteral("9999.99;_"));
        QCOMPARE(dlg.periodText(), QStringLiteral("    .  "));
        QCOMPARE(dlg.focusWidget(), me1(dlg));
        auto* ok = dlg.findChild<QPushButton*>("OKBtn");
        auto* cancel = dlg.findChild<QPushButton*>("CancelBtn");
        QCOMPARE(ok->text(), QStringLiteral("OK"));
        QCOMPARE(ok->statusTip(), QStringLiteral("Továbblépés"));
        QCOMPARE(cancel->text(), QStringLiteral("Mégsem"));
        QCOMPARE(cancel->statusTip(), QStringLiteral("Mentés nélkül kilépés"));
    }

    void enterWithAValidPeriodAccepts() {
        core::AppState& st = state();
        app::PeriodDialog dlg(st);
        dlg.show();
        QTest::keyClicks(me1(dlg), "202402");
        QCOMPARE(dlg.periodText(), QStringLiteral("2024.02"));
        QTest::keyClick(me1(dlg), Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!dlg.endProgram());
        QVERIFY(app_->msg.isEmpty());
        QCOMPARE(st.id.text(), QStringLiteral("2024.02"));
        QCOMPARE(st.kezdnap, QStringLiteral("2024.02.01"));
        QCOMPARE(st.vegnap, QStringLiteral("2024.02.29"));
        QCOMPARE(st.vegnaprev, QStringLiteral("29.02.2024"));
        QVERIFY(!st.zartidoszak);
    }

    void okButtonAcceptsTheCurrentMonth() {
        core::AppState& st = state();
        app::PeriodDialog dlg(st);
        dlg.show();
        QTest::keyClicks(me1(dlg), "202405");
        dlg.findChild<QPushButton*>("OKBtn")->click();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(st.id.text(), QStringLiteral("2024.05"));
    }

    void aRefusedPeriodStaysSelected() {
        core::AppState& st = state();
        app::PeriodDialog dlg(st);
        dlg.show();
        QTest::keyClicks(me1(dlg), "202406"); // next month
        QTest::keyClick(me1(dlg), Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QCOMPARE(app_->msg.count(), 1);
        QCOMPARE(app_->msg.messages()[0].kind, ui::MessageKind::Error);
        QCOMPARE(me1(dlg)->selectedText(), QStringLiteral("2024.06"));
        QCOMPARE(dlg.focusWidget(), me1(dlg));
        QCOMPARE(st.id.text(), QStringLiteral("2004.01"));

        // typed over the selection
        QTest::keyClicks(me1(dlg), "202404");
        QTest::keyClick(me1(dlg), Qt::Key_Enter, Qt::KeypadModifier);
        QVERIFY(!dlg.isVisible());
        QCOMPARE(st.id.text(), QStringLiteral("2024.04"));
    }

    void aHalfTypedPeriodIsRefused() {
        core::AppState& st = state();
        app::PeriodDialog dlg(st);
        dlg.show();
        QTest::keyClicks(me1(dlg), "20241");
        QCOMPARE(dlg.periodText(), QStringLiteral("2024.1 "));
        QTest::keyClick(me1(dlg), Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        const int shown = app_->msg.count();
        QVERIFY(shown >= 1);
        QCOMPARE(app_->msg.log().front(), std::string("error: Érvénytelen időszak!!"));
        QCOMPARE(st.id.text(), QStringLiteral("2004.01"));

        dlg.findChild<QPushButton*>("OKBtn")->click(); // the same text again
        QCOMPARE(app_->msg.count(), 2 * shown);
        QVERIFY(dlg.isVisible());
    }

    void escapeAtStartUpEndsTheProgram() {
        core::AppState& st = state();
        app::PeriodDialog dlg(st);
        dlg.show();
        QTest::keyClicks(me1(dlg), "202402");
        QTest::keyClick(me1(dlg), Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QVERIFY(dlg.endProgram());
        QCOMPARE(st.id.text(), QStringLiteral("2004.01"));
        QVERIFY(app_->msg.isEmpty());
    }

    void cancelButtonAtStartUpEndsTheProgram() {
        app::PeriodDialog dlg(state());
        dlg.show();
        dlg.findChild<QPushButton*>("CancelBtn")->click();
        QVERIFY(!dlg.isVisible());
        QVERIFY(dlg.endProgram());
    }

    void closeBoxAtStartUpEndsTheProgram() {
        app::PeriodDialog dlg(state());
        dlg.show();
        QVERIFY(dlg.close());
        QVERIFY(dlg.endProgram());
    }

    void escapeFromTheMenuOnlyCloses() {
        core::AppState& st = state();
        st.idoszakmenu = true;
        st.id = core::Idoszak(2024, 3);
        app::PeriodDialog dlg(st);
        dlg.show();
        QTest::keyClick(me1(dlg), Qt::Key_Escape);
        QVERIFY(!dlg.isVisible());
        QVERIFY(!dlg.endProgram());
        QCOMPARE(st.id.text(), QStringLiteral("2024.03"));

        app::PeriodDialog again(st);
        again.show();
        QVERIFY(again.close());
        QVERIFY(!again.endProgram());
    }

    void aClosedPeriodAsksFirst() {
        core::AppState& st = state();
        addZaras("2024.03", QDate(2024, 4, 5));
        app_->msg.answer(true);
        app::PeriodDialog dlg(st);
        dlg.show();
        QTest::keyClicks(me1(dlg), "202403");
        QTest::keyClick(me1(dlg), Qt::Key_Return);
        QCOMPARE(app_->msg.log(), (std::vector<std::string>{
                                      "confirm: Lezárt időszak! Mégis ezzel akar foglalkozni?"}));
        QVERIFY(!dlg.isVisible());
        QCOMPARE(st.id.text(), QStringLiteral("2024.03"));
        QVERIFY(st.zartidoszak);
    }

    void refusingAClosedPeriodAtStartUpEnds() {
        core::AppState& st = state();
        addZaras("2024.03", QDate(2024, 4, 5));
        app_->msg.answer(false);
        app::PeriodDialog dlg(st);
        dlg.show();
        QTest::keyClicks(me1(dlg), "202403");
        QTest::keyClick(me1(dlg), Qt::Key_Return);
        QVERIFY(!dlg.isVisible());
        QVERIFY(dlg.endProgram());
        QCOMPARE(st.id.text(), QStringLiteral("2004.01"));
    }
};

QTEST_MAIN(PeriodDialogTest)
#include "perioddialog_test.moc"
