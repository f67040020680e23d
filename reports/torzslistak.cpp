#include "reports/torzslistak.h"

#include "core/appstate.h"
#include "ui/messages.h"

namespace reports {

namespace {

SorErtekek oszlopok(int n) {
    return [n](const engine::Query& q, int row) {
        QVariantList v;
        for (int i = 0; i < n; ++i)
            v << q.value(row, i);
        return v;
    };
}

} // namespace

Lista Torzslistak::apolok() {
    st_.msg.status(0, QStringLiteral("Szakápolói lista nyomtatása"));
    Lista l(QStringLiteral("Taplis"), QStringLiteral("Ápolók listája"));
    l.report.data =
        st_.tables.dbo.query(QStringLiteral("select aptaj, anev from apol order by aptaj"));
    l.tablazat(program_, QStringLiteral("Ápolók listája"), {},
               {{QStringLiteral("Ápoló TAJ száma"), 0, 30}, {QStringLiteral("neve"), 32, 90}},
               oszlopok(2));
    // The master lists print the bare version number.
    l.report.pageHeader.setText(QStringLiteral("vers"), program_.version);
    return l;
}

Lista Torzslistak::betegek() {
    st_.msg.status(0, QStringLiteral("Beteg lista nyomtatása"));
    Lista l(QStringLiteral("Tbetlis"), QStringLiteral("Betegek listája"));
    l.report.orientation = Orientation::Landscape;
    l.report.data = st_.tables.dbo.query(
        QStringLiteral("select taj, nev, szuli, kozigkod, cime1, cime2 from beteg order by taj"));
    l.tablazat(program_, QStringLiteral("Betegek listája"), {},
               {{QStringLiteral("TAJ szám"), 0, 20},
                {QStringLiteral("Név"), 22, 60},
                {QStringLiteral("Születési idő"), 84, 24},
                {QStringLiteral("Lakcím"), 110, 16},
                {QString(), 127, 55},
                {QString(), 184, 93}},
               oszlopok(6));
    // The master lists print the bare version number.
    l.report.pageHeader.setText(QStringLiteral("vers"), program_.version);
    return l;
}

Lista Torzslistak::orvosok() {
    st_.msg.status(0, QStringLiteral("Orvos lista nyomtatása"));
    Lista l(QStringLiteral("Torvlis"), QStringLiteral("Orvosok listája"));
    l.report.data =
        st_.tables.dbo.query(QStringLiteral("select orvoskod, onev from orvos order by orvoskod"));
    l.tablazat(
        program_, QStringLiteral("Orvosok listája"), {},
        {{QStringLiteral("Orvos pecsétszám"), 0, 30}, {QStringLiteral("Orvos neve"), 32, 90}},
        oszlopok(2));
    // The master lists print the bare version number.
    l.report.pageHeader.setText(QStringLiteral("vers"), program_.version);
    return l;
}

Lista Torzslistak::bno(const QString& alcim, const QString& where, const QVariantList& params) {
    Lista l(QStringLiteral("Tbnolis"), QStringLiteral("BNO kódok listája"));
    l.report.data = st_.tables.dbo.query(QStringLiteral("select kod10, nev from bnotorzs") + where +
                                             QStringLiteral(" order by kod10"),
                                         params);
    l.tablazat(program_, QStringLiteral("BNO kódok listája"), alcim,
               {{QStringLiteral("BNO kód"), 0, 18},
                Oszlop(QStringLiteral("Megnevezés"), 20, 170, -1, Qt::AlignLeft | Qt::AlignTop)
                    .tordelve()},
               oszlopok(2));
    // The master lists print the bare version number.
    l.report.pageHeader.setText(QStringLiteral("vers"), program_.version);
    return l;
}

Lista Torzslistak::bnoTeljes() {
    st_.msg.status(0, QStringLiteral("Teljes BNO lista nyomtatása"));
    return bno({}, {}, {});
}

std::optional<Lista> Torzslistak::bnoCsoport(const std::optional<masters::BnoGroup>& csoport) {
    if (!csoport) {
        st_.msg.status(0, QStringLiteral("Nincs megadva betegségcsoport"));
        return std::nullopt;
    }
    st_.msg.status(0, QStringLiteral("BNO lista betegségcsoportra"));
    return bno(csoport->name, QStringLiteral(" where kod10>=? and kod10<=?"),
               {csoport->lowest, csoport->highest});
}

} // namespace reports
