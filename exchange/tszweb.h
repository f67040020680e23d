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

} // namespace exch
