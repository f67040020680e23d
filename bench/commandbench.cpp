// szcommandbench: the register's sheet commands on a large provider's data —
// 100 000 sheets and 1 000 000 visit rows — with the questions answered by a
// script: deleting a sheet of the current period (its ELREND record, its
// visit rows and its LAP record in one unit), converting one into a first
// partial invoice and back, cancelling a sent one, loading one for
// modification, numbering a new one. Each beside its first run (the first
// write of a unit, tags read lazily). Then the start-up with the deleted
// records left in the files, and the pack that re-indexing runs.
//
// No figure here has a native twin: each is a command of the program (its
// checks, its questions, the journal of a unit), not a query another engine
// could run as it stands.
//
// Usage: szcommandbench [FOLDER]   (a temporary program folder when none is given)

#include "bench/setup.h"
#include "core/idoszak.h"
#include "db/tableops.h"
#include "engine/database.h"
#include "engine/table.h"
#include "register/laploader.h"
#include "register/laptorles.h"
#include "register/ujlap.h"
#include "sheet/telenez.h"

#include <cstdio>
#include <vector>

namespace {

// The serial numbers of `n` full invoices of the period: unsent ones (the
// current period) or sent ones (an earlier period of the year).
QStringList sheetsOf(core::AppState& st, const QString& period, bool sent, int n) {
    QStringList out;
    const engine::Query q = st.tables.dbo.query(
        QStringLiteral("select sorsz from lap where idoszak=? and resz is null and "
                       "modtipus is null and elkuldve is %1 order by sorsz limit ?")
            .arg(sent ? QStringLiteral("not null") : QStringLiteral("null")),
        {period, n});
    for (const QVariantList& r : q.rows())
        out << r[0].toString();
    return out;
}

} // namespace

int main(int argc, char** argv) {
    bench::Setup setup(argc, argv);
    ui::ScriptedMessages& msg = setup.msg;
    try {
        if (!setup.ensure()) return 1;
        {
            double took = 0;
            auto stp = setup.start(&took);
            if (!stp) return 1;
            core::AppState& st = *stp;
            std::printf("start-up: %.3f s (LAPB %u rows)\n\n", took,
                        unsigned(st.tables.lapb.fileRecordCount()));
            engine::Table& lap = st.tables.lap;
            lap.setFilter(QStringLiteral("idoszak>='2025.01' and idoszak<='2025.12'"));
            lap.setFiltered(true);
            const reg::Telenez tn = [&](const QString& s, const QString& a) {
                sheet::telenez(st, s, a);
            };

            // Unsent sheets of the current period: converted, back, loaded,
            // deleted. Sent ones of two months before (the month before is closed
            // this month, and its sheets may still be deleted until the 10th):
            // cancelled.
            std::vector<double> del, conv, back, cancel, load, number;
            int visitsDeleted = 0;
            for (const QString& s : sheetsOf(st, st.id, false, 10)) {
                if (!lap.locate(QStringLiteral("IDOSZAK;SORSZ"), {st.id, s})) continue;
                msg.answer(true);
                conv.push_back(bench::timeOf([&] { reg::atalakit(st); }));
                msg.answer(true);
                back.push_back(bench::timeOf([&] { reg::atalakit(st); }));
                sheet::LapModel m;
                load.push_back(bench::timeOf([&] {
                    reg::lapBetolt(st, {s, QString(), st.id}, m);
                }));
                visitsDeleted += st.tables.dbo
                                     .query(QStringLiteral("select count(*) from lapb where "
                                                           "idoszak=? and sorsz=? and resz is "
                                                           "null"),
                                            {st.id, s})
                                     .value(0, 0)
                                     .toInt();
                msg.answer(true);
                reg::TorlesEredmeny e{};
                const double t = bench::timeOf([&] { e = reg::torles(st, tn); });
                if (e == reg::TorlesEredmeny::Torolve) del.push_back(t);
            }
            const QString before = core::Idoszak::parse(st.id)->plusMonths(-2).text();
            for (const QString& s : sheetsOf(st, before, true, 10)) {
                if (!lap.locate(QStringLiteral("IDOSZAK;SORSZ"), {before, s})) continue;
                msg.answer(true);
                reg::TorlesEredmeny e{};
                const double t = bench::timeOf([&] { e = reg::torles(st, tn); });
                if (e == reg::TorlesEredmeny::Sztornozva) cancel.push_back(t);
            }
            number = bench::runs(10, [&] { reg::kovetkezoSorsz(st.tables.dbo, st.id); });
            bench::printHeader();
            bench::printFigure("conversion to a first partial invoice", conv);
            bench::printFigure("conversion back to a full invoice", back);
            bench::printFigure("loading a sheet for modification", load);
            char what[80];
            std::snprintf(what, sizeof what, "deletion (ELREND, %.1f LAPB rows, LAP)",
                          del.empty() ? 0.0 : double(visitsDeleted) / double(del.size()));
            bench::printFigure(what, del);
            bench::printFigure("cancellation of a sent sheet", cancel);
            bench::printFigure("next serial number of the year", number);
        }
        {
            double took = 0;
            auto stp = setup.start(&took);
            if (!stp) return 1;
            core::AppState& st = *stp;
            std::printf("\nstart-up with the deleted rows in the files: %.3f s (LAPB %u rows)\n",
                        took, unsigned(st.tables.lapb.fileRecordCount()));
            const double pack = bench::timeOf([&] { db::packSheetTables(st.tables, 0.0); });
            std::printf(
                "pack of LAP, LAPB, ELREND (as re-indexing runs it): %.3f s (LAPB %u rows)\n", pack,
                unsigned(st.tables.lapb.fileRecordCount()));
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szcommandbench: %s\n", e.what());
        return 1;
    }
    int shown = 0;
    for (const auto& m : msg.log())
        if (m.rfind("question:", 0) != 0 && m.rfind("information:", 0) != 0 && ++shown <= 5)
            std::printf("message: %s\n", m.c_str());
    return 0;
}
