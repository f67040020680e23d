// The e-report portal's address comes from the settings file in the
// program's folder, with a sensible default.

#include "exchange/tszweb.h"
#include "support/testsupport.h"

#include <QDir>
#include <gtest/gtest.h>

TEST(Tszweb, PortalAddressFromTheSettingsFile) {
    testsupport::TempDir dir;
    EXPECT_EQ(exch::portalCim(dir.path()), exch::alapPortal()); // no file
    auto with = [&](const char* text) {
        testsupport::writeAll(exch::beallitasFajl(dir.path()), text);
        return exch::portalCim(dir.path());
    };
    EXPECT_EQ(with("[ejelentes]\nportal=https://portal.example.hu/ejelentes\n"),
              QUrl("https://portal.example.hu/ejelentes"));
    EXPECT_EQ(with("[ejelentes]\nportal=\n"), exch::alapPortal());
    EXPECT_EQ(with("[ejelentes]\nportal=file:///etc/passwd\n"), exch::alapPortal());
    EXPECT_EQ(with("[ejelentes]\nportal=nem cím\n"), exch::alapPortal());
    EXPECT_EQ(exch::alapPortal().scheme(), "https");
}

// An upload field of the portal opens its chooser in KULD, where the three
// files of the shipment are, even when the field chose files elsewhere
// before.
TEST(Tszweb, UploadChooserOpensInKuld) {
    testsupport::TempDir dir;
    const QString kuld = dir.path() + "/KULD/";
    EXPECT_EQ(exch::feltoltesMappa(kuld), QDir::toNativeSeparators(dir.path() + "/KULD"));
    EXPECT_EQ(exch::feltoltesMappa(kuld, {dir.path() + "/mashol/szka1890.dbf"}),
              QDir::toNativeSeparators(dir.path() + "/KULD"));
    // A KULD given relative to the working folder is made whole.
    const QString cwd = QDir::currentPath();
    QDir::setCurrent(dir.path());
    EXPECT_EQ(exch::feltoltesMappa("KULD/"), QDir::toNativeSeparators(dir.path() + "/KULD"));
    QDir::setCurrent(cwd);
}

// The embedded browser ends the process when it cannot start: the program
// decides before it makes any part of it.
TEST(Tszweb, EmbeddedBrowserOnlyWhereItCanStart) {
    exch::BongeszoKornyezet k;
    k.beepitve = true;
    EXPECT_EQ(exch::bongeszoAkadaly(k), QString());
    k.rendszergazda = true; // root, sandbox on: Qt WebEngine refuses
    EXPECT_EQ(exch::bongeszoAkadaly(k),
              QStringLiteral("A beépített böngésző rendszergazdaként (root) nem indítható."));
    k.homokozoNelkul = true; // --no-sandbox or QTWEBENGINE_DISABLE_SANDBOX=1
    EXPECT_EQ(exch::bongeszoAkadaly(k), QString());
    k.segedfolyamat = false; // QtWebEngineProcess not installed
    EXPECT_EQ(exch::bongeszoAkadaly(k),
              QStringLiteral("A beépített böngésző (Qt WebEngine) nincs telepítve ezen a gépen."));
    k.beepitve = false;
    EXPECT_EQ(exch::bongeszoAkadaly(k),
              QStringLiteral("A program beépített böngésző nélkül készült."));
}

TEST(Tszweb, SandboxSwitchedOffByTheBrowsersOwnSettings) {
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    EXPECT_FALSE(exch::BongeszoKornyezet::ezAGep(true, {"szakapolas"}).homokozoNelkul);
    EXPECT_TRUE(exch::BongeszoKornyezet::ezAGep(true, {"szakapolas", "--no-sandbox"}).homokozoNelkul);
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu --no-sandbox");
    EXPECT_TRUE(exch::BongeszoKornyezet::ezAGep(true, {"szakapolas"}).homokozoNelkul);
    qunsetenv("QTWEBENGINE_CHROMIUM_FLAGS");
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
    EXPECT_TRUE(exch::BongeszoKornyezet::ezAGep(true, {"szakapolas"}).homokozoNelkul);
    qunsetenv("QTWEBENGINE_DISABLE_SANDBOX");
    EXPECT_FALSE(exch::BongeszoKornyezet::ezAGep(false, {}).beepitve);
    qputenv("QTWEBENGINEPROCESS_PATH", "/nincs/QtWebEngineProcess");
    EXPECT_FALSE(exch::BongeszoKornyezet::ezAGep(true, {}).segedfolyamat);
    qunsetenv("QTWEBENGINEPROCESS_PATH");
}

// The files to upload, in the order of the shipment, whatever their case;
// the page for an unreachable portal names them and their folder.
TEST(Tszweb, TheKuldFilesAndTheUnreachablePortalsPage) {
    testsupport::TempDir dir;
    for (const char* f : {"szkc1890.dbf", "Szka1890.Dbf", "SZKB1890.DBF", "jegyzet.txt", "Szka1890.pdf"})
        testsupport::writeAll(dir.file(f), "x");
    EXPECT_EQ(exch::kuldFajlok(dir.path()),
              (QStringList{"Szka1890.Dbf", "SZKB1890.DBF", "szkc1890.dbf"}));
    const QString page =
        exch::elerhetetlenOldal(QUrl("https://portal.example.hu/e"), dir.path());
    EXPECT_TRUE(page.contains("Az e-jelentés honlapja nem érhető el"));
    EXPECT_TRUE(page.contains("https://portal.example.hu/e"));
    EXPECT_TRUE(page.contains(QDir::toNativeSeparators(QDir::cleanPath(dir.path()))));
    for (const char* f : {"Szka1890.Dbf", "SZKB1890.DBF", "szkc1890.dbf"})
        EXPECT_TRUE(page.contains(f)) << f;
    EXPECT_EQ(exch::kuldSzoveg(dir.path()),
              "A KULD mappa: " + QDir::toNativeSeparators(QDir::cleanPath(dir.path())) +
                  "\n    Szka1890.Dbf\n    SZKB1890.DBF\n    szkc1890.dbf\n");
}
