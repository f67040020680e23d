#pragma once
// The e-report portal of the fund: its address is a setting the user can
// change, kept in a plain settings file in the program's folder
// (szakapolas.ini, key "portal" of the group "ejelentes"); without it the
// fund's public site is opened.
//
//     [ejelentes]
//     portal=https://www.neak.gov.hu/

#include <QString>
#include <QStringList>
#include <QUrl>

namespace exch {

// The address used when the settings file does not name one.
QUrl alapPortal();
// The settings file of the program's folder.
QString beallitasFajl(const QString& programDir);
// The portal's address: the setting when it is a valid http(s) address,
// else the default.
QUrl portalCim(const QString& programDir);

// The folder a file-upload field of the portal opens its chooser in: the
// KULD folder, where the three files of the shipment are, whatever the
// field chose before.
QString feltoltesMappa(const QString& kuldDir, const QStringList& korabbanValasztott = {});
// Whether the embedded browser can start here. Qt WebEngine ends the whole
// process when it cannot start (as root with its sandbox on, or without its
// helper process), so the program decides before it makes any part of it.
struct BongeszoKornyezet {
    bool beepitve = false;       // the program was built with the embedded browser
    bool rendszergazda = false;  // the program runs as root
    bool homokozoNelkul = false; // the browser's sandbox is switched off (its own settings)
    bool segedfolyamat = true;   // the browser's helper process is installed

    // This machine and process: `beepitve` as built, the arguments the
    // program was started with.
    static BongeszoKornyezet ezAGep(bool beepitve, const QStringList& arguments);
};

// Empty when the embedded browser can start; else why it cannot, a
// Hungarian sentence for the user.
QString bongeszoAkadaly(const BongeszoKornyezet& k);

// The shipment files of the KULD folder that the user uploads (the sheet,
// visit and diagnosis files, "Szka...", "Szkb...", "Szkc..." + ".dbf" in any
// case), in that order.
QStringList kuldFajlok(const QString& kuldDir);

// The page the e-report window shows when the portal cannot be reached:
// what happened and where the files to upload are, in Hungarian (HTML).
QString elerhetetlenOldal(const QUrl& portal, const QString& kuldDir);

// The same folder and files as plain lines for the window that stands in for
// the embedded browser: "A KULD mappa: <folder>" and one line per file.
QString kuldSzoveg(const QString& kuldDir);

} // namespace exch
