// The monthly summary from its menu command (offscreen): the order-sheet
// dialog Tobe, and the preview with the PDF written from it.

#include "engine/table.h"
#include "register/registerdata.h"
#include "reports/haviosszesito.h"
#include "reports/reportpreviewdialog.h"
#include "reports/tobedialog.h"
#include "support/guisupport.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <memory>

using testsupport::whenModal;

class HaviOsszesitoTest : public QObject {
    Q_OBJECT

private slots:
    void tobeRefusesWhatIsNotANumberAndKeepsTheFocus() {
        testsupport::BareApp app;
        reports::TobeDialog d(app.state);
        QCOMPARE(d.windowTitle(), QStringLiteral("Összesítőhöz adatbekérés"));
        QCOMPARE(d.statusTip(),
                 QStringLiteral("Az összesítőhöz az elrendelő lapok számának megadása"));
        QCOMPARE(testsupport::child<QLabel>(d, "Label1")->text(),
                 QStringLiteral("Szakápolási elrendelő lapok száma:"));
        QCOMPARE(d.e1()->accessibleName(), QStringLiteral("Szakápolási elrendelő lapok száma:"));
        QCOMPARE(d.e1()->toolTip(), QStringLiteral("Csak szám írható"));
        QCOMPARE(d.okButton()->toolTip(), QStringLiteral("Elfogadás"));
        bool stayed = false, focusKept = false;
        whenModal<reports::TobeDialog>([&](reports::TobeDialog* w) {
            QTest::keyClicks(w->e1(), QStringLiteral("12a"));
            testsupport::enter(w->e1());
            stayed = w->isVisible();
            QVERIFY(w->frameGeometry().width() <= 1366 && w->frameGeometry().height() <= 768);
            focusKept = QApplication::focusWidget() == w->e1();
            w->e1()->selectAll();
            QTest::keyClicks(w->e1(), QStringLiteral("15"));
            testsupport::enter(w->e1());
        });
        QCOMPARE(d.exec(), int(QDialog::Accepted));
        QVERIFY(stayed);
        QVERIFY(focusKept);
        QCOMPARE(d.szam(), 15);
        QCOMPARE(app.msg.log(), (std::vector<std::string>{"error: Csak szám írható a mezőbe!"}));
    }

    void tobeClosedWithoutOkGivesNoOrderSheets() {
        testsupport::BareApp app;
        bool emptied = false;
        whenModal<reports::TobeDialog>([&](reports::TobeDialog* w) {
            emptied = w->e1()->text().isEmpty() && QApplication::focusWidget() == w->e1();
            QTest::keyClicks(w->e1(), QStringLiteral("8"));
            w->close();
        });
        QCOMPARE(reports::TobeDialog::kerdez(app.state, nullptr), 0);
        QVERIFY(emptied);
    }

    void menuCommandPreviewsAndWritesThePdf() {
        regtest::RegisterApp app;
        app.period(QStringLiteral("2017.01"));
        app.state.alapdij = 3380;
        app.sheet({.idoszak = "2017.01", .sorsz = "00001", .elszam = 2, .elkuldve = "2017.01"});
        app.visits("2017.01", "00001", "", 2, 2, 10);
        app.sheet({.idoszak = "2017.01",
                   .sorsz = "00002",
                   .elszam = 3,
                   .tpotl = "I",
                   .elkuldve = "2017.01"});
        app.visits("2017.01", "00002", "", 2, 2, 4);
        testsupport::TempDir out;
        const QString pdf = out.file(QStringLiteral("havi.pdf"));
        QStringList texts;
        int pages = 0;
        whenModal<reports::TobeDialog>([&](reports::TobeDialog* w) {
            whenModal<reports::ReportPreviewDialog>([&](reports::ReportPreviewDialog* p) {
                QVERIFY(p->savePdf(pdf));
                pages = p->model().pageCount();
                texts = p->model().texts(0);
                p->close();
            });
            QTest::keyClicks(w->e1(), QStringLiteral("3"));
            testsupport::enter(w->e1());
        });
        reports::printHaviOsszesito(app.state, {"Otthoni szakápolás", "3.61"}, nullptr);
        QCOMPARE(app.msg.log(), std::vector<std::string>{});
        QCOMPARE(pages, 1);
        // The PDF's pages are drawn from this model; its text is not read back.
        const QByteArray head = testsupport::readAll(pdf).left(5);
        QCOMPARE(head, QByteArray("%PDF-"));
        auto after = [&](const char* label) {
            const int i = int(texts.indexOf(QString::fromUtf8(label)));
            return i >= 0 && i + 1 < texts.size() ? texts[i + 1] : QString();
        };
        QCOMPARE(after("\"Szakápolási elrendelő lap\"-ok száma:"), QStringLiteral("3"));
        QCOMPARE(after("Szolgáltató ZAPO kódja:"), QStringLiteral("1890"));
        QCOMPARE(after("Mindösszesen vizitszám:"), QStringLiteral("14"));
        QCOMPARE(after("eFt:"), QStringLiteral("34,1"));
        QCOMPARE(after("ebből vizitdíj:"), QStringLiteral("33,1"));
        QCOMPARE(after("területi pótlék:"), QStringLiteral("0,9"));
        QVERIFY(texts.contains(QStringLiteral("34 070")));
    }
};

QTEST_MAIN(HaviOsszesitoTest)
#include "haviosszesito_test.moc"
