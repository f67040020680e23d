#include "masters/contract.h"

#include "core/appstate.h"
#include "core/idoszak.h"

namespace masters {

Contract::Contract(core::AppState& state) : st_(state) {}

engine::Table& Contract::table(Panel panel) const {
    switch (panel) {
    case Panel::Dolg:
        return st_.tables.szolgsz;
    case Panel::Thely:
        return st_.tables.thely;
    case Panel::Terul:
        break;
    }
    return st_.tables.terul;
}

QString Contract::open() {
    engine::Table& szerz = st_.tables.szerz;
    // A table filter takes no bound values: the cut-over is written into it.
    szerz.setFilter(
        QStringLiteral("szkezd>='%1'")
            .arg(core::hatar::elsoLap.firstDay().toString(QStringLiteral("yyyy.MM.dd"))));
    szerz.setFiltered(true);
    szerz.last();
    engine::Table& part = st_.tables.part;
    if (part.bof() && part.eof()) part.first();
    return part.text(QStringLiteral("INTKOD")) + QLatin1Char(' ') +
           part.text(QStringLiteral("INTE")) + QStringLiteral(" szerződéses adatai");
}

QString Contract::contractFilter() const {
    const engine::Table& szerz = st_.tables.szerz;
    const QString s = szerz.text(QStringLiteral("SZKEZD"));
    QString e = szerz.text(QStringLiteral("SZVEG"));
    if (e.isEmpty()) e = QStringLiteral("2999.12.01");
    return QStringLiteral("kezd<='") + s + QStringLiteral("' and (veg >='") + e +
           QStringLiteral("' or veg=null)");
}

void Contract::apply(engine::Table& t) {
    t.setFilter(filter_);
    t.setFiltered(true);
    t.first();
}

void Contract::activate() {
    filter_ = contractFilter();
    for (Panel p : {Panel::Dolg, Panel::Terul, Panel::Thely})
        apply(table(p));
}

void Contract::enterPanel(Panel panel) {
    engine::Table& t = table(panel);
    t.first();
    removeFilter(t);
    filter_ = contractFilter();
    apply(t);
}

void Contract::close() {
    for (engine::Table* t :
         {&st_.tables.szolgsz, &st_.tables.szerz, &st_.tables.thely, &st_.tables.terul})
        removeFilter(*t);
}

void removeFilter(engine::Table& table) {
    table.setFiltered(false);
    table.setFilter(QString());
}

} // namespace masters
