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
