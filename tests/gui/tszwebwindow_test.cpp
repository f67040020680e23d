// Tszweb: the e-report window opens the portal maximized with its caption,
// and an upload field of the page offers the KULD files. Offline: a local
// page with a file-upload field stands for the portal.

#include "exchange/tszwebwindow.h"
#include "support/testsupport.h"

#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

class TszwebWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensThePortalAndUploadsFromKuld();
};

void TszwebWindowTest::opensThePortalAndUploadsFromKuld() {
    testsupport::TempDir dir;
    const QString page = dir.file("portal.html");
    testsupport::writeAll(page, "<html><body><form><input type=file id=f name=f></form>"
                                "</body></html>");
    testsupport::writeAll(dir.file("Szka1890.Dbf"), "x");
    exch::TszwebWindow w(QUrl::fromLocalFile(page), dir.path());
    QStringList offered;
    w.setFileChooser([&](const QStringList&) {
        offered << dir.file("Szka1890.Dbf");
        return offered;
    });
    QSignalSpy loaded(w.WB1(), &QWebEngineView::loadFinished);
    w.show();
    QCOMPARE(w.windowTitle(), QStringLiteral("E-Jelentés küldése ULV honlapjára"));
    QVERIFY(w.windowState() & Qt::WindowMaximized);
    QVERIFY(loaded.wait(20000));
    QCOMPARE(loaded.first().first().toBool(), true);
    QCOMPARE(w.WB1()->url(), QUrl::fromLocalFile(page));
    // The user clicks the upload field: the chooser is asked, the file taken.
    QVariant name;
    bool done = false;
    w.WB1()->page()->runJavaScript(QStringLiteral("document.getElementById('f').click();"));
    QTRY_VERIFY_WITH_TIMEOUT(!offered.isEmpty(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(
        (w.WB1()->page()->runJavaScript(
             QStringLiteral("var x=document.getElementById('f'); x.files.length ? x.files[0].name "
                            ": ''"),
             [&](const QVariant& v) {
                 name = v;
                 done = true;
             }),
         done && name.toString() == QStringLiteral("Szka1890.Dbf")),
        10000);
}

QTEST_MAIN(TszwebWindowTest)
#include "tszwebwindow_test.moc"
