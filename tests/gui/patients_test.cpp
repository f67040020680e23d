// The patients window and the patient picker on screen (offscreen), on a
// started program: a patient added through the widgets, the data group opening
// and closing with the window, a refused settlement code, the picker's Enter
// and Esc.

#include "db/layouts.h"
#include "masters/betegekwindow.h"
#include "masters/betegvalasztowindow.h"
#include "masters/browsepanel.h"
#include "support/guisupport.h"
#include "support/startedapp.h"
#include "ui/fieldbinder.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTimer>
#include <QtTest>
#include <memory>

using testsupport::child;
using testsupport::enter;
using testsupport::showAndActivate;

class PatientsWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::StartedApp> app;

private slots:
    void init() {
        demo::Options o;
        o.localData = true; // a few patients in BETEG
        app = std::make_unique<testsupport::StartedApp>(o);
    }
    void cleanup() { app.reset(); }

    // Every typing field of the patient takes at most its BETEG column;
    // text pasted into "Utca, házszám. stb" loses its control characters.
    void fieldsTakeNoMoreThanTheirColumns() {
        core::AppState& st = app->state;
        masters::BetegekWindow w(st);
        QVERIFY(showAndActivate(w));
        auto* binder = w.findChild<ui::FieldBinder*>();
        QVERIFY(binder);
        const std::pair<const char*, const char*> columns[] = {
            {"azt", "AZTIP"},    {"btaj", "TAJ"},   {"Bnev", "NEV"},     {"bkod", "KOZIGKOD"},
            {"bvaros", "CIME1"}, {"bcim", "CIME2"}, {"Bszhely", "SZULH"}};
        for (const auto& [name, column] : columns) {
            const ui::FieldRule* r = binder->rule(name);
            QVERIFY2(r, name);
            QCOMPARE(r->width, db::column(db::TableId::Beteg, column).width);
            QCOMPARE(child<QLineEdit>(w, name)->maxLength(), r->width);
        }
        int typing = 0;
        for (QLineEdit* e : child<QGroupBox>(w, "GBox1")->findChildren<QLineEdit*>())
            if (e->inputMask().isEmpty()) ++typing;
        QCOMPARE(typing, int(std::size(columns)));

        QTest::mouseClick(child<QPushButton>(w, "uj"), Qt::LeftButton);
        auto* bcim = child<QLineEdit>(w, "bcim");
        bcim->setFocus();
        QGuiApplication::clipboard()->setText(QString::fromUtf8("Fő\tutca\x01\x1a\r\n5."));
        QTest::keyClick(bcim, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(bcim->text(), QString::fromUtf8("Fő utca 5."));
    }

    void addPatientThroughTheFields() {
        core::AppState& st = app->state;
        engine::Table& beteg = st.tables.beteg;
        const quint32 before = beteg.recordCount();
        st.tables.telep.first();
        const QString kod = st.tables.telep.text("KOZIGKOD");
        const QString hely = st.tables.telep.text("HELYNEV");

        masters::BetegekWindow w(st);
        QVERIFY(showAndActivate(w));
        auto* GBox1 = child<QGroupBox>(w, "GBox1");
        auto* uj = child<QPushButton>(w, "uj");
        QCOMPARE(w.windowTitle(), QStringLiteral("Betegek megjelenítése"));
        QCOMPARE(w.panel()->grid()->model()->headerData(0, Qt::Horizontal).toString(),
                 QStringLiteral("TAJ/Azonosító"));
        QVERIFY(!GBox1->isVisible());
        const int collapsed = w.height();

        QTest::mouseClick(uj, Qt::LeftButton);
        QVERIFY(GBox1->isVisible());
        QTRY_VERIFY(w.height() > collapsed);
        QVERIFY(!w.panel()->grid()->isEnabled());
        QVERIFY(!w.panel()->navigator()->isEnabled());
        for (const char* b : {"kilep", "uj", "modos", "torol"})
            QVERIFY2(!child<QPushButton>(w, b)->isEnabled(), b);

        auto* azt = child<QLineEdit>(w, "azt");
        auto* btaj = child<QLineEdit>(w, "btaj");
        auto* Bnev = child<QLineEdit>(w, "Bnev");
        auto* bnem = child<QComboBox>(w, "bnem");
        auto* bkod = child<QLineEdit>(w, "bkod");
        auto* bvaros = child<QLineEdit>(w, "bvaros");
        auto* bcim = child<QLineEdit>(w, "bcim");
        auto* Bszhely = child<QLineEdit>(w, "Bszhely");
        auto* bszido = child<QLineEdit>(w, "bszido");
        QCOMPARE(QApplication::focusWidget(), azt);
        QCOMPARE(azt->text(), QStringLiteral("1"));
        QCOMPARE(bnem->currentIndex(), -1);

        // Enter in azt stays; Tab leaves it.
        enter(azt);
        QCOMPARE(QApplication::focusWidget(), azt);
        QTest::keyClick(azt, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), btaj);
        QVERIFY(!btaj->isReadOnly());

        QTest::keyClicks(btaj, "123456789");
        enter(btaj);
        QCOMPARE(QApplication::focusWidget(), Bnev);
        QCOMPARE(app->msg.log(), std::vector<std::string>{"warning: Nem létező TAJ szám!"});
        app->msg.clear();
        // Back to correct it: Shift+Tab.
        QTest::keyClick(Bnev, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), btaj);
        btaj->selectAll();
        const QString taj = demo::tajWithCheckDigit("12345678");
        QTest::keyClicks(btaj, taj);
        enter(btaj);
        QVERIFY(app->msg.isEmpty());

        QTest::keyClicks(Bnev, QStringLiteral("Szabo Ilona"));
        enter(Bnev);
        QCOMPARE(QApplication::focusWidget(), bnem);
        // Leaving the sex without a choice goes back to it.
        enter(bnem);
        QCOMPARE(app->msg.log(),
                 std::vector<std::string>{"warning: A nem csak nő, vagy férfi lehet!"});
        QCOMPARE(QApplication::focusWidget(), bnem);
        app->msg.clear();
        bnem->setCurrentIndex(1);
        enter(bnem);
        QCOMPARE(QApplication::focusWidget(), bkod);

        // A code not in TELEPUL is refused and the focus returns.
        QTest::keyClicks(bkod, "0000000");
        enter(bkod);
        QCOMPARE(app->msg.log(),
                 std::vector<std::string>{"warning: Nincs ilyen település a törzsben!"});
        QCOMPARE(QApplication::focusWidget(), bkod);
        app->msg.clear();
        bkod->clear();
        QTest::keyClicks(bkod, kod);
        enter(bkod);
        QCOMPARE(QApplication::focusWidget(), bvaros);
        QCOMPARE(bvaros->text(), hely);
        enter(bvaros);
        QTest::keyClicks(bcim, QStringLiteral("Kossuth u. 2."));
        enter(bcim);
        QTest::keyClicks(Bszhely, QStringLiteral("Gyor"));
        enter(Bszhely);
        QCOMPARE(QApplication::focusWidget(), bszido);
        QTest::keyClicks(bszido, "19380704");
        QCOMPARE(bszido->displayText(), QStringLiteral("1938.07.04"));
        QVERIFY(app->msg.isEmpty());

        // Enter in the birth date presses "Kész".
        app->msg.answer(true);
        enter(bszido);
        QCOMPARE(app->msg.log(), std::vector<std::string>{"confirm: Elmenti a beteg adatait ?"});
        QVERIFY(!GBox1->isVisible());
        QTRY_COMPARE(w.height(), collapsed);
        QVERIFY(w.panel()->grid()->isEnabled());
        QVERIFY(uj->isEnabled());
        QCOMPARE(QApplication::focusWidget(), w.panel()->grid());

        QCOMPARE(beteg.recordCount(), before + 1);
        QVERIFY(beteg.locate("TAJ", taj));
        QCOMPARE(beteg.text("NEV"), QStringLiteral("Szabo Ilona"));
        QCOMPARE(beteg.text("NEME"), QStringLiteral("N"));
        QCOMPARE(beteg.text("AZTIP"), QStringLiteral("1"));
        QCOMPARE(beteg.text("KOZIGKOD"), kod);
        QCOMPARE(beteg.text("CIME1"), hely);
        QCOMPARE(beteg.text("CIME2"), QStringLiteral("Kossuth u. 2."));
        QCOMPARE(beteg.text("SZULH"), QStringLiteral("Gyor"));
        QCOMPARE(beteg.date("SZULI"), QDate(1938, 7, 4));
    }

    void substituteIdentifierAndEscape() {
        core::AppState& st = app->state;
        const quint32 count = st.tables.beteg.recordCount();
        const auto gen = st.tables.beteg.generation();
        masters::BetegekWindow w(st);
        QVERIFY(showAndActivate(w));
        QTest::mouseClick(child<QPushButton>(w, "uj"), Qt::LeftButton);
        auto* azt = child<QLineEdit>(w, "azt");
        auto* btaj = child<QLineEdit>(w, "btaj");
        azt->selectAll();
        QTest::keyClicks(azt, "0");
        QTest::keyClick(azt, Qt::Key_Tab);
        QCOMPARE(btaj->text(), QString::number(910000000 + count));
        QVERIFY(btaj->isReadOnly());

        // Esc is "Mégse" while the group is open: nothing written, no question.
        QTest::keyClick(btaj, Qt::Key_Escape);
        QVERIFY(!child<QGroupBox>(w, "GBox1")->isVisible());
        QVERIFY(w.isVisible());
        QVERIFY(app->msg.isEmpty());
        QCOMPARE(st.tables.beteg.generation(), gen);
        // Then Esc is "Kilépés".
        QTest::keyClick(w.panel()->grid(), Qt::Key_Escape);
        QVERIFY(!w.isVisible());
    }

    void modifyOpensOnTheCurrentPatient() {
        core::AppState& st = app->state;
        masters::BetegekWindow w(st);
        QVERIFY(showAndActivate(w));
        engine::Table& beteg = st.tables.beteg;
        QVERIFY(!beteg.isEmpty());
        const QString taj = beteg.text("TAJ");
        QTest::mouseClick(child<QPushButton>(w, "modos"), Qt::LeftButton);
        auto* btaj = child<QLineEdit>(w, "btaj");
        auto* Bnev = child<QLineEdit>(w, "Bnev");
        QVERIFY(child<QGroupBox>(w, "GBox1")->isVisible());
        QCOMPARE(btaj->text(), taj);
        QVERIFY(btaj->isReadOnly());
        QVERIFY(child<QLineEdit>(w, "azt")->isReadOnly());
        QCOMPARE(QApplication::focusWidget(), Bnev);
        QCOMPARE(Bnev->text(), beteg.text("NEV"));

        Bnev->selectAll();
        QTest::keyClicks(Bnev, QStringLiteral("Uj Nev"));
        // A click on "Kész" leaves the focus in the name and saves.
        app->msg.answer(true);
        QTest::mouseClick(child<QPushButton>(w, "BB1"), Qt::LeftButton);
        QCOMPARE(app->msg.log(), std::vector<std::string>{"confirm: Elmenti a beteg adatait ?"});
        QVERIFY(!child<QGroupBox>(w, "GBox1")->isVisible());
        QVERIFY(beteg.locate("TAJ", taj));
        QCOMPARE(beteg.text("NEV"), QStringLiteral("Uj Nev"));
    }

    void doubleClickOnTheCodeOpensTheSettlementPicker() {
        core::AppState& st = app->state;
        st.tables.telep.last();
        const masters::Telepules chosen{st.tables.telep.text("KOZIGKOD"),
                                        st.tables.telep.text("HELYNEV")};
        masters::BetegekWindow w(st);
        int asked = 0;
        QWidget* besideOf = nullptr;
        bool choose = false;
        w.setTelepulesValaszto([&](QWidget* patientWindow) -> std::optional<masters::Telepules> {
            ++asked;
            besideOf = patientWindow;
            if (!choose) return std::nullopt;
            return chosen;
        });
        QVERIFY(showAndActivate(w));
        QTest::mouseClick(child<QPushButton>(w, "uj"), Qt::LeftButton);
        auto* bkod = child<QLineEdit>(w, "bkod");
        bkod->setFocus();
        app->msg.clear();

        // Nothing chosen: the focus stays on the code.
        QTest::mouseDClick(bkod, Qt::LeftButton);
        QCOMPARE(asked, 1);
        QCOMPARE(besideOf, &w);
        QCOMPARE(QApplication::focusWidget(), bkod);
        QVERIFY(bkod->text().isEmpty());

        choose = true;
        QTest::mouseDClick(bkod, Qt::LeftButton);
        QCOMPARE(asked, 2);
        QCOMPARE(bkod->text(), chosen.first);
        QCOMPARE(child<QLineEdit>(w, "bvaros")->text(), chosen.second);
        QCOMPARE(QApplication::focusWidget(), child<QLineEdit>(w, "bcim"));
        QVERIFY(app->msg.isEmpty());
    }

    void pickerEnterChoosesEscapeDoesNot() {
        core::AppState& st = app->state;
        {
            masters::BetegValasztoWindow p(st, nullptr, true);
            QVERIFY(showAndActivate(p));
            QCOMPARE(p.windowTitle(), QStringLiteral("Betegek választása"));
            QVERIFY(p.eredmeny().taj.isEmpty());
            QCOMPARE(QApplication::focusWidget(), p.panel()->grid());
            QTest::keyClick(p.panel()->grid(), Qt::Key_Down);
            engine::Table& beteg = st.tables.beteg;
            const QString taj = beteg.text("TAJ");
            const QString nev = beteg.text("NEV");
            QTest::keyClick(p.panel()->grid(), Qt::Key_Return);
            QVERIFY(!p.isVisible());
            QCOMPARE(p.result(), int(QDialog::Accepted));
            QCOMPARE(p.eredmeny().taj, taj);
            QCOMPARE(p.eredmeny().nev, nev);
        }
        {
            masters::BetegValasztoWindow p(st, nullptr, false);
            QVERIFY(showAndActivate(p));
            QTest::keyClick(p.panel()->grid(), Qt::Key_Escape);
            QVERIFY(!p.isVisible());
            QVERIFY(p.eredmeny().taj.isEmpty());
        }
    }

    void pickerPlacesItselfBesideTheCaller() {
        QWidget caller;
        caller.setGeometry(300, 200, 800, 400);
        caller.show();
        QVERIFY(QTest::qWaitForWindowExposed(&caller));
        const QRect c = caller.frameGeometry();
        masters::BetegValasztoWindow p(app->state, &caller, true);
        p.show();
        QVERIFY(QTest::qWaitForWindowExposed(&p));
        QCOMPARE(p.frameGeometry().top(), c.top() + c.height() / 4);
        QCOMPARE(p.frameGeometry().right(), c.right());
    }
};

QTEST_MAIN(PatientsWindowTest)
#include "patients_test.moc"
