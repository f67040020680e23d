// The e-report step where the embedded browser cannot start (as root with its
// sandbox on, without Qt WebEngine): the program goes on, the portal opens in
// the default browser, and a window names the KULD folder and its files.
// Where it can start, the embedded window is the one shown.

#include "exchange/tszwebkulsowindow.h"
#include "support/guisupport.h"
#include "support/testsupport.h"
#include "ui/scriptedmessages.h"

#include <QLabel>
#include <QPushButton>
#include <QtTest>

using testsupport::whenModal;

class TszwebKulsoTest : public QObject {
    Q_OBJECT

    testsupport::TempDir dir;
    ui::ScriptedMessages msg;
    const QUrl portal{QStringLiteral("https://portal.example.hu/ejelentes")};

private slots:
    void initTestCase() {
        for (const char* f : {"Szka1890.Dbf", "Szkb1890.Dbf", "Szkc1890.Dbf"})
            testsupport::writeAll(dir.file(f), "x");
    }

    void asRootTheDefaultBrowserOpensThePortal() {
        exch::BongeszoKornyezet root;
        root.beepitve = true;
        root.rendszergazda = true;
        bool embedded = false;
        QList<QUrl> opened;
        QString caption, text;
        bool stillOpenAfterEsc = true;
        whenModal([&](QWidget* w) {
            caption = w->windowTitle();
            text = static_cast<exch::TszwebKulsoWindow*>(w)->text();
            QTest::keyClick(w, Qt::Key_Escape);
            stillOpenAfterEsc = w->isVisible();
        });
        exch::ejelentes(
            nullptr, msg, portal, dir.path(), root, [&](QWidget*) { embedded = true; },
            [&](const QUrl& u) {
                opened << u;
                return true;
            });
        QVERIFY(!embedded);
        QCOMPARE(opened, QList<QUrl>{portal});
        QCOMPARE(caption, QStringLiteral("E-Jelentés küldése ULV honlapjára"));
        QVERIFY(text.startsWith(
            QStringLiteral("A beépített böngésző rendszergazdaként (root) nem indítható. Az "
                           "e-jelentés honlapja a gép alapértelmezett böngészőjében nyílik meg:\n"
                           "https://portal.example.hu/ejelentes\n")));
        QVERIFY(text.endsWith(exch::kuldSzoveg(dir.path()).trimmed()));
        QVERIFY(text.contains(QStringLiteral("Szkc1890.Dbf")));
        QVERIFY(!stillOpenAfterEsc);
    }

    void theFolderOpensAndAFailedBrowserIsSaid() {
        QList<QUrl> opened;
        msg.clear();
        exch::TszwebKulsoWindow w(msg, portal, dir.path(), QStringLiteral("Ok."), nullptr,
                                  [&](const QUrl& u) {
                                      opened << u;
                                      return false;
                                  });
        w.show();
        QVERIFY(w.L1->text().contains(
            QStringLiteral("Az alapértelmezett böngésző nem indult el")));
        QVERIFY(w.L1->text().endsWith(portal.toString()));
        w.mappa->click();
        // a folder the shell cannot open is said, with where the files are
        QCOMPARE(msg.log(),
                 std::vector<std::string>{
                     ("warning: A KULD mappát nem sikerült megnyitni. Az állományok ebben a "
                      "mappában vannak:\r" +
                      QDir::toNativeSeparators(QDir::cleanPath(dir.path())))
                         .toStdString()});
        w.honlap->click();
        QCOMPARE(opened, (QList<QUrl>{portal, QUrl::fromLocalFile(dir.path()), portal}));
        w.bezaras->click();
        QVERIFY(!w.isVisible());
    }

    void withoutTheEmbeddedBrowserInTheBuild() {
        exch::BongeszoKornyezet k;
        k.beepitve = true;
        QString text;
        whenModal([&](QWidget* w) {
            text = static_cast<exch::TszwebKulsoWindow*>(w)->text();
            static_cast<QDialog*>(w)->reject();
        });
        exch::ejelentes(nullptr, msg, portal, dir.path(), k, {}, [](const QUrl&) { return true; });
        QVERIFY(text.startsWith(QStringLiteral("A program beépített böngésző nélkül készült.")));
    }

    void whereTheBrowserCanStartTheEmbeddedWindow() {
        exch::BongeszoKornyezet k;
        k.beepitve = true;
        k.rendszergazda = true;
        k.homokozoNelkul = true;
        QWidget* given = nullptr;
        QWidget parent;
        bool opened = false;
        exch::ejelentes(
            &parent, msg, portal, dir.path(), k, [&](QWidget* p) { given = p; },
            [&](const QUrl&) { return opened = true; });
        QCOMPARE(given, &parent);
        QVERIFY(!opened);
    }
};

QTEST_MAIN(TszwebKulsoTest)
#include "tszwebkulso_test.moc"
