#include "sheet/telenez.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "ui/messages.h"

namespace sheet {

void telenez(core::AppState& state, const QString& lapsorsz, const QString& arg) {
    const int ev = state.id.year();
    const QVariantList params{lapsorsz, core::Idoszak(ev, 1).text(), core::Idoszak(ev, 12).text()};
    const QString where =
        QStringLiteral(" where sorsz=? and resz is not null and idoszak>=? and idoszak<=? ");
    qint64 vizit = 0;
    try {
        engine::Query q =
            state.tables.dbo.query(QStringLiteral("select sorsz,sum(szviz) as vizit from lap") +
                                       where + QStringLiteral("group by sorsz"),
                                   params);
        // Not a series of partial invoices in that year.
        if (q.isEmpty() || q.value(0, 0).toString() != lapsorsz) return;
        vizit = q.value(0, 1).toLongLong();
    } catch (const engine::DbError&) {
        state.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return;
    }
    const bool tele = sheet::teljesSorozat(vizit) && kozos::ures(arg);
    // Every part of the series in one statement; the rows go through the LAP
    // table object, so an open change unit journals them.
    state.tables.dbo.exec(QStringLiteral("update lap set tele=?") + where,
                          QVariantList{tele ? QVariant(QStringLiteral("*")) : QVariant()} + params);
}

} // namespace sheet
