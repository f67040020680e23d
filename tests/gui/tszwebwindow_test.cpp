// Tszweb: the e-report window opens the portal maximized with its caption,
// and an upload field of the page offers the KULD files. Offline: a local
// page with a file-upload field stands for the portal.

#include "exchange/tszwebwindow.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdio>
#include <cstdlib>

class TszwebWindowTest : public QObject {
    Q_OBJECT
private slots:
    void opensThePortalAndUploadsFromKuld();
};

void TszwebWindowTest::opensThePortalAndUploadsFromKuld() {
    testsupport::TempDir dir;
    const QString page = dir.file("portal.html");
    testsupport::writeAll(page, "<html><body style='margin:0'><form><input type=file id=f "
                                "name=f style='position:absolute;left:0;top:0;width:400px;"
                                "height:200px'></form></body></html>");
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
    QWidget* surface = w.WB1()->focusProxy();
    QVERIFY(surface);
    // A click of the user (the page may open a chooser only on one).
    for (int i = 0; i < 20 && offered.isEmpty(); ++i) {
        QTest::qWait(250);
        QTest::mouseClick(surface, Qt::LeftButton, {}, QPoint(100, 100));
    }
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

int main(int argc, char** argv) {
    // As the program does: the embedded browser shares the GL contexts.
    QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication app(argc, argv);
    int rc = 0;
    {
        TszwebWindowTest t;
        rc = QTest::qExec(&t, argc, argv);
    }
    // Qt WebEngine 6.4 on the offscreen platform crashes in a static
    // destructor of Qt Gui after main returns (whatever the test did): the
    // result is reported before the library finalizers run.
    std::fflush(nullptr);
    std::_Exit(rc);
}
#include "tszwebwindow_test.moc"
