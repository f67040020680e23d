#include "exchange/tszweb.h"

#include "engine/sysfile.h"

#include <QDir>
#include <QFileInfo>
#include <QLibraryInfo>
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

namespace exch {

BongeszoKornyezet BongeszoKornyezet::ezAGep(bool beepitve, const QStringList& arguments) {
    BongeszoKornyezet k;
    k.beepitve = beepitve;
    k.rendszergazda = engine::sys::isSuperUser();
    const QString flags = qEnvironmentVariable("QTWEBENGINE_CHROMIUM_FLAGS");
    k.homokozoNelkul = qEnvironmentVariableIntValue("QTWEBENGINE_DISABLE_SANDBOX") != 0 ||
                       flags.split(QLatin1Char(' '), Qt::SkipEmptyParts)
                           .contains(QStringLiteral("--no-sandbox")) ||
                       arguments.contains(QStringLiteral("--no-sandbox"));
    const QString own = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    const QString helper =
        !own.isEmpty() ? own
                       : QDir(QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath))
                             .filePath(QStringLiteral("QtWebEngineProcess"));
    k.segedfolyamat = QFileInfo(helper).isExecutable();
    return k;
}

QString bongeszoAkadaly(const BongeszoKornyezet& k) {
    if (!k.beepitve) return QStringLiteral("A program beépített böngésző nélkül készült.");
    if (!k.segedfolyamat)
        return QStringLiteral("A beépített böngésző (Qt WebEngine) nincs telepítve ezen a gépen.");
    if (k.rendszergazda && !k.homokozoNelkul)
        return QStringLiteral("A beépített böngésző rendszergazdaként (root) nem indítható.");
    return {};
}

QStringList kuldFajlok(const QString& kuldDir) {
    const QFileInfoList all = QDir(kuldDir).entryInfoList(QDir::Files, QDir::Name);
    QStringList out;
    for (const char* prefix : {"szka", "szkb", "szkc"})
        for (const QFileInfo& f : all)
            if (f.fileName().startsWith(QLatin1String(prefix), Qt::CaseInsensitive) &&
                f.suffix().compare(QLatin1String("dbf"), Qt::CaseInsensitive) == 0)
                out << f.fileName();
    return out;
}

namespace {

QString shownDir(const QString& dir) {
    QString d = QDir::toNativeSeparators(QDir::cleanPath(dir));
    return d;
}

} // namespace

QString elerhetetlenOldal(const QUrl& portal, const QString& kuldDir) {
    const QStringList files = kuldFajlok(kuldDir);
    QString list;
    for (const QString& f : files)
        list += QStringLiteral("<li>") + f.toHtmlEscaped() + QStringLiteral("</li>");
    if (files.isEmpty()) list = QStringLiteral("<li>(a mappa üres)</li>");
    return QStringLiteral("<!DOCTYPE html><html lang=\"hu\"><head><meta charset=\"utf-8\">"
                          "<title>Az e-jelentés honlapja nem érhető el</title></head>"
                          "<body style=\"font-family:sans-serif;margin:2em\">"
                          "<h1>Az e-jelentés honlapja nem érhető el</h1>"
                          "<p>A(z) %1 címen a honlap most nem érhető el: nincs hálózati "
                          "kapcsolat, vagy a honlap nem válaszol.</p>"
                          "<p>Az elküldendő állományok a KULD mappában vannak:<br><b>%2</b></p>"
                          "<ul>%3</ul>"
                          "<p>Töltse fel őket később ebben az ablakban, vagy más módon (például "
                          "egy másik gép böngészőjéből).</p></body></html>")
        .arg(portal.toString().toHtmlEscaped(), shownDir(kuldDir).toHtmlEscaped(), list);
}

QString kuldSzoveg(const QString& kuldDir) {
    QString out = QStringLiteral("A KULD mappa: ") + shownDir(kuldDir) + QLatin1Char('\n');
    const QStringList files = kuldFajlok(kuldDir);
    for (const QString& f : files)
        out += QStringLiteral("    ") + f + QLatin1Char('\n');
    if (files.isEmpty()) out += QStringLiteral("    (a mappa üres)\n");
    return out;
}

} // namespace exch
