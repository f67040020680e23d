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

std::vector<PathRow> pathRows(const core::AppState& st) {
    return {{QStringLiteral("A program helye:"), shown(st.munkakonyvtar)},
            {QStringLiteral("Az adatállományok helye:"), shown(st.datakonyvtar)},
            {QStringLiteral("A listák helye:"), shown(st.listakonyvtar)},
            {QStringLiteral("Az adatküldés helye:"),
             shown(st.munkakonyvtar + QStringLiteral("/KULD"))},
            {},
            {QStringLiteral("Alapdíj:"), QString::number(st.alapdij) + QStringLiteral(" Ft")}};
}

QString pathsText(const core::AppState& st) {
    QString out;
    for (const PathRow& r : pathRows(st))
        out += r.label.isEmpty() ? QStringLiteral("\n") : line(r.label + QLatin1Char(' '), r.value);
    return out;
}

} // namespace app
