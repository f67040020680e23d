#include "exchange/tszweb.h"

#include <QDir>
#include <QSettings>

namespace exch {

QUrl alapPortal() {
    return QUrl(QStringLiteral("https://www.neak.gov.hu/"));
}

QString beallitasFajl(const QString& programDir) {
    return QDir(programDir).filePath(QStringLiteral("szakapolas.ini"));
}

QUrl portalCim(const QString& programDir) {
    const QSettings s(beallitasFajl(programDir), QSettings::IniFormat);
    const QString text = s.value(QStringLiteral("ejelentes/portal")).toString().trimmed();
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme().toLower();
    if (text.isEmpty() || !url.isValid() || url.host().isEmpty() ||
        (scheme != QLatin1String("https") && scheme != QLatin1String("http")))
        return alapPortal();
    return url;
}

QString feltoltesMappa(const QString& kuldDir, const QStringList&) {
    return QDir::toNativeSeparators(QDir::cleanPath(QDir(kuldDir).absolutePath()));
}

} // namespace exch
