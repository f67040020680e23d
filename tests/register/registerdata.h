#pragma once
// A started program with sheets, visits, contracts and remainders written in
// code for the register's tests (logic and window). Header-only.
//
//     RegisterApp a;
//     a.period("2012.12");
//     a.sheet({.idoszak = "2012.12", .sorsz = "00001", .elszam = 2});
//     a.visits("2012.12", "00001", "", 2, 1, 3);   // three nursing visits, ONKEP 1

#include "app/period.h"
#include "db/layouts.h"
#include "engine/table.h"
#include "support/startedapp.h"

#include <QDate>
#include <QVariant>
#include <map>
#include <memory>

namespace regtest {

struct Sheet {
    QString idoszak;
    QString sorsz;
    QString resz{}; // empty: full invoice
    int elszam = 1;
    QString tpotl = QStringLiteral("N");
    QString jeloles{};
    QString elkuldve{};
    QString modtipus{};
    QString taj = QStringLiteral("123456788");
};

// A row of `layout` with the named fields set and the rest blank.
inline QVariantList row(db::TableId layout, const std::map<QString, QVariant>& values) {
    QVariantList r;
    for (const engine::FieldDef& f : db::layout(layout).fields) {
        const auto it = values.find(f.name);
        r << (it == values.end() ? QVariant() : it->second);
    }
    return r;
}

class RegisterApp : public testsupport::StartedApp {
public:
    RegisterApp() {
        // One contract for the older periods the tests use.
        contract(QDate(1999, 6, 1), QDate(2022, 12, 31), 500, 300, 100, 30, 10);
    }

    // The current period C (and its base fee).
    void period(const QString& c) {
        state.id = core::Idoszak::fromText(c);
        app::ertad(state);
    }

    void contract(QDate from, QDate to, int terv, int apt, int szakt, int pap, int pszak) {
        engine::Table& t = state.tables.szerz;
        t.append();
        t.setValue("INTKOD", QStringLiteral("1890"));
        t.setValue("SZKEZD", from);
        t.setValue("SZVEG", to);
        t.setValue("TERVVIZ", terv);
        t.setValue("APTVIZ", apt);
        t.setValue("SZAKTVIZ", szakt);
        t.setValue("PAPVIZ", pap);
        t.setValue("PSZAKVIZ", pszak);
        t.post();
    }

    void sheet(const Sheet& s) {
        state.tables.lap.appendRows({row(db::TableId::Lap, {{"IDOSZAK", s.idoszak},
                                                            {"INTKOD", "1890"},
                                                            {"SORSZ", s.sorsz},
                                                            {"RESZ", s.resz},
                                                            {"TAJ", s.taj},
                                                            {"TPOTL", s.tpotl},
                                                            {"ELSZAM", s.elszam},
                                                            {"JELOLES", s.jeloles},
                                                            {"ELKULDVE", s.elkuldve},
                                                            {"MODTIPUS", s.modtipus}})});
    }

    // `count` visit rows of one visit each (VIZITDB 1).
    void visits(const QString& idoszak, const QString& sorsz, const QString& resz,
                const QVariant& elltip, const QVariant& onkep, int count) {
        std::vector<QVariantList> rows;
        for (int i = 0; i < count; ++i)
            rows.push_back(row(db::TableId::Lapb, {{"IDOSZAK", idoszak},
                                                   {"INTKOD", "1890"},
                                                   {"SORSZ", sorsz},
                                                   {"RESZ", resz},
                                                   {"ELLTIP", elltip},
                                                   {"ONKEP", onkep},
                                                   {"VIZITDB", 1}}));
        state.tables.lapb.appendRows(rows);
    }

    void remainder(const QString& idoszak, int ft) {
        state.tables.maradv.appendRows(
            {row(db::TableId::Maradv, {{"INTKOD", "1890"}, {"MIDOSZAK", idoszak}, {"FT", ft}})});
    }

    // A sheet of the old layout (LAPOLD, before 2005.02) with visit counts by
    // column number (VIZ1..VIZ18).
    void oldSheet(const Sheet& s, const std::map<int, int>& viz) {
        const QString path = data(QStringLiteral("Lapold.dbf"));
        if (!engine::fileExistsNoCase(path))
            engine::Table::create(path, db::layout(db::TableId::Lapold).fields);
        std::map<QString, QVariant> v = {{"IDOSZAK", s.idoszak}, {"INTKOD", "1890"},
                                         {"SORSZ", s.sorsz},     {"RESZ", s.resz},
                                         {"TPOTL", s.tpotl},     {"ELSZAM", s.elszam},
                                         {"JELOLES", s.jeloles}, {"MODTIPUS", s.modtipus}};
        for (const auto& [n, count] : viz)
            v[QStringLiteral("VIZ%1").arg(n)] = count;
        engine::Table t;
        t.open(path);
        t.appendRows({row(db::TableId::Lapold, v)});
        t.close();
    }

    int marked() {
        return state.tables.dbo.query("select count(*) from lap where jeloles='*'")
            .value(0, 0)
            .toInt();
    }
};

} // namespace regtest
