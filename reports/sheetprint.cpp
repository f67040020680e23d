#include "reports/sheetprint.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "reports/elszlap.h"
#include "ui/messages.h"

#include <QTime>

namespace reports {

QStringList SheetPrint::layoutsFor(core::Idoszak c) {
    if (c < core::hatar::regiLapNyomtatas)
        return {QStringLiteral("Telszlr"), QStringLiteral("Telszl")};
    return {QStringLiteral("Telszl")};
}

PageModel SheetPrint::pages(const QString& layoutName, const LayoutProgress& progress) {
    const QString c = st_.id.text();
    const bool old = layoutName == QLatin1String("Telszlr");
    engine::Query rows = old ? telszlrRows(st_, c) : telszlRows(st_, c);
    PageModel model;
    if (rows.isEmpty()) return model;
    auto lookups = SheetLookups::load(st_);
    Report report = old ? makeTelszlr(std::move(rows), lookups, program_)
                        : makeTelszl(std::move(rows), lookups, program_);
    const QDateTime printed(st_.clock.today(), QTime::currentTime());
    return layout(report, printed, progress);
}

void SheetPrint::clearMarks() {
    engine::ChangeUnit unit({&st_.tables.lap});
    st_.tables.dbo.exec(QStringLiteral("update lap set jeloles=null where jeloles='*'"));
    unit.commit();
}

void SheetPrint::nyomtat(const Preview& preview, const LayoutProgress& progress) {
    printed_ = 0;
    try {
        for (const QString& name : layoutsFor(st_.id)) {
            PageModel model = pages(name, progress);
            if (model.pageCount() == 0) continue;
            ++printed_;
            st_.msg.status(0, QString());
            preview(model);
        }
        if (printed_ == 0) st_.msg.error(QStringLiteral("Nincs kiválasztva elszámolási lap!"));
        clearMarks();
    } catch (const engine::DbError&) {
        st_.msg.status(0, QString());
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
    }
}

} // namespace reports
