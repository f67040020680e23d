#include "reports/beolvasasosszegzes.h"

#include "core/appstate.h"

#include <QRegularExpression>

namespace reports {

Lista beolvasasOsszegzes(core::AppState& st, const ProgramText& program, const QString& cim,
                         const QString& szoveg) {
    QStringList sorok =
        szoveg.split(QRegularExpression(QStringLiteral("[\r\n]+")), Qt::SkipEmptyParts);
    const QString alcim = sorok.isEmpty() ? QString() : sorok.takeFirst().trimmed();
    // The rows go through the query engine like every list's: one bound
    // pair of values a line.
    QStringList selectek;
    QVariantList ertekek;
    for (const QString& s : sorok) {
        const qsizetype at = s.indexOf(QStringLiteral(": "));
        selectek << QStringLiteral("select ? as megnevezes, ? as ertek");
        ertekek << (at < 0 ? s.trimmed() : s.left(at).trimmed())
                << (at < 0 ? QString() : s.mid(at + 2).trimmed());
    }
    Lista l(QStringLiteral("Tbeosszl"), cim);
    if (!selectek.isEmpty())
        l.report.data = st.tables.dbo.query(selectek.join(QStringLiteral(" union all ")), ertekek);
    l.tablazat(program, cim, alcim,
               {{QStringLiteral("Megnevezés"), 0, 110}, {QStringLiteral("Érték"), 112, 70}},
               [](const engine::Query& q, int r) {
                   return QVariantList{q.value(r, 0), q.value(r, 1)};
               });
    return l;
}

} // namespace reports
