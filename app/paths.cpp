#include "app/paths.h"

#include "core/appstate.h"
#include "core/kozos.h"

#include <QDir>

namespace app {

namespace {

QString line(const QString& label, const QString& value) {
    return kozos::jobbtolt(label, 30, QString()) + value + QLatin1Char('\n');
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

} // namespace

QString pathsText(const core::AppState& st) {
    return line(QStringLiteral("A program helye: "), shown(st.munkakonyvtar)) +
           line(QStringLiteral("Az adatállományok helye: "), shown(st.datakonyvtar)) +
           line(QStringLiteral("A listák helye: "), shown(st.listakonyvtar)) +
           line(QStringLiteral("Az adatküldés helye: "),
                shown(st.munkakonyvtar + QStringLiteral("/KULD"))) +
           QLatin1Char('\n') +
           line(QStringLiteral("Alapdíj: "), QString::number(st.alapdij) + QStringLiteral(" Ft"));
}

} // namespace app
