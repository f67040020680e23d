// Tszweb: the e-report window opens the portal maximized with its caption,
// and an upload field of the page offers the KULD files. Offline: a local
// page with a file-upload field stands for the portal.

#include "exchange/tszwebwindow.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QWindow>
#include <QSignalSpy>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <cstdio>
#include <cstdlib>

class TszwebWindowTest : public QObject {
    Q_OBJECT
private slots:
    void inFrontWithTheKeyboardAndEscCloses();
    void anUnreachablePortalIsSaidInHungarian();
    // Last: on the offscreen platform Qt WebEngine 6.4 faults in a later
    // window's events once a page that opened a file chooser is gone.
    void opensThePortalAndUploadsFromKuld();
};

// Over the register that opened it, in front of it and with the keyboard, the
// whole screen; Esc closes it while the page has the keyboard.
void TszwebWindowTest::inFrontWithTheKeyboardAndEscCloses() {
    testsupport::TempDir dir;
    testsupport::writeAll(dir.file("portal.html"), "<html><body>Portál</body></html>");
    QDialog reg;
    reg.setWindowModality(Qt::ApplicationModal);
    reg.show();
    QApplication::setActiveWindow(&reg);
    QVERIFY(QTest::qWaitForWindowActive(&reg));
    exch::TszwebWindow w(QUrl::fromLocalFile(dir.file("portal.html")), dir.path(), &reg);
    QSignalSpy loaded(w.WB1(), &QWebEngineView::loadFinished);
    w.show();
    QVERIFY(w.windowState() & Qt::WindowMaximized);
    QCOMPARE(w.windowHandle()->transientParent(), reg.windowHandle());
    QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(&w));
    QVERIFY(w.isAncestorOf(QApplication::focusWidget()));
    QVERIFY(loaded.wait(20000));
    QWidget* surface = w.WB1()->focusProxy();
    QVERIFY(surface);
    QTest::keyClick(surface, Qt::Key_Escape);
    QTRY_VERIFY(!w.isVisible());
}

// No network: the program's own page, naming the KULD folder and its files,
// not the browser's English error page.
void TszwebWindowTest::anUnreachablePortalIsSaidInHungarian() {
    testsupport::TempDir dir;
    for (const char* f : {"Szka1890.Dbf", "Szkb1890.Dbf", "Szkc1890.Dbf"})
        testsupport::writeAll(dir.file(f), "x");
    // Nothing listens on port 2 of this machine (a port the browser does not refuse itself).
    const QUrl portal(QStringLiteral("http://127.0.0.1:2/ejelentes"));
    QString text; // outlives the window, as the callback's answer may come late
    exch::TszwebWindow w(portal, dir.path());
    w.show();
    QTRY_VERIFY_WITH_TIMEOUT(
        (w.WB1()->page()->toPlainText([&](const QString& t) { text = t; }),
         text.contains(QStringLiteral("Az e-jelentés honlapja nem érhető el"))),
        20000);
    QVERIFY(text.contains(QDir::toNativeSeparators(QDir::cleanPath(dir.path()))));
    for (const char* f : {"Szka1890.Dbf", "Szkb1890.Dbf", "Szkc1890.Dbf"})
        QVERIFY2(text.contains(QLatin1String(f)), f);
    QVERIFY(!text.contains(QStringLiteral("reached")));
}

void TszwebWindowTest::opensThePortalAndUploadsFromKuld() {
    testsupport::TempDir dir;
    const QString page = dir.file("portal.html");
    testsupport::writeAll(page, "<html><body style='margin:0'><form><input type=file id=f "
                                "name=f style='position:absolute;left:0;top:0;width:400px;"
                                "height:200px'></form></body></html>");
    testsupport::writeAll(dir.file("Szka1890.Dbf"), "x");
    // What the page's callbacks write to outlives the window: a script's
    // answer still on its way is delivered while the page is destroyed.
    QStringList offered;
    QVariant name;
    bool done = false;
    exch::TszwebWindow w(QUrl::fromLocalFile(page), dir.path());
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
