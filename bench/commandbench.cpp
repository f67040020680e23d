// szcommandbench: the register's sheet commands on a large provider's data —
// 100 000 sheets and 1 000 000 visit rows — with the questions answered by a
// script: deleting a sheet of the current period (its ELREND record, its
// visit rows and its LAP record in one unit), converting one into a first
// partial invoice and back, cancelling a sent one, loading one for
// modification, numbering a new one. Each beside its first run (the first
// write of a unit, tags read lazily). Then the start-up with the deleted
// records left in the files, and the pack that re-indexing runs.
//
// Each beside its native twin: a durable database file (rollback journal,
// synchronous=FULL) with copies of the tables and the program's tags as
// indexes, running the very statements the command ran (recorded from the
// program's connection) and the record writes it made through the table
// objects, in one transaction where the command is one unit.
//
// Usage: szcommandbench [FOLDER]   (a temporary program folder when none is given)

#include "bench/native.h"
#include "bench/setup.h"
#include "core/idoszak.h"
#include "db/tableops.h"
#include "engine/database.h"
#include "engine/table.h"
#include "register/laploader.h"
#include "register/laptorles.h"
#include "register/ujlap.h"
#include "sheet/telenez.h"

#include <QDir>
#include <cstdio>
#include <sqlite3.h>
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

// The twenty years' sheets of the current period are all sent (the month's
// shipment is made): `n` of them are unsent again, as a month's sheets are
// before its shipment, so that the commands on unsent sheets find some.
void unsend(core::AppState& st, int n) {
    engine::Table& lap = st.tables.lap;
    for (const QString& s : sheetsOf(st, st.id.text(), true, n)) {
        if (!lap.locate(QStringLiteral("IDOSZAK;SORSZ"), {st.id.text(), s})) continue;
        lap.edit();
        lap.setValue(QStringLiteral("ELKULDVE"), QString());
        lap.post();
    }
}

// What the measured commands share: the started program, its native twin
// and the recorder of the engine's statements, and the figures measured.
struct CommandBench {
    CommandBench(core::AppState& st, ui::ScriptedMessages& msg, sqlite3* nat)
        : st(st), msg(msg), nat(nat) {}

    // The twin of one command: its statements, then the writes it
    // made through the table objects; in one transaction when asked.
    double twin(const QStringList& sql, const QString& write, const QVariantList& params,
                bool unit);
    QStringList ours(std::vector<double>& into, const std::function<void()>& f);
    void unsentSheets();
    void sentSheets();
    void serialNumbers();
    void report();

    core::AppState& st;
    ui::ScriptedMessages& msg;
    sqlite3* nat;
    engine::Table& lap = st.tables.lap;
    const reg::Telenez tn = [this](const QString& s, const QString& a) {
        sheet::telenez(st, s, a);
    };
    bench::native::Recorder rec{st.tables.dbo};
    QString failed;
    const QString key = QStringLiteral(" where idoszak=? and sorsz=? and resz is ?");
    std::vector<double> ndel, nconv, nback, ncancel, nload, nnumber;
    std::vector<double> del, conv, back, cancel, load, number;
    int visitsDeleted = 0;
};

double CommandBench::twin(const QStringList& sql, const QString& write, const QVariantList& params,
                          bool unit) {
    return bench::timeOf([&] {
        if (unit) bench::native::exec(nat, QStringLiteral("begin"));
        bench::native::replay(nat, sql, &failed);
        if (!write.isEmpty()) bench::native::query(nat, write, params);
        if (unit) bench::native::exec(nat, QStringLiteral("commit"));
    });
}

QStringList CommandBench::ours(std::vector<double>& into, const std::function<void()>& f) {
    rec.start();
    into.push_back(bench::timeOf(f));
    return rec.stop();
}

void CommandBench::unsentSheets() {
    // Unsent sheets of the current period: converted, back, loaded,
    // deleted. Sent ones of two months before (the month before is closed
    // this month, and its sheets may still be deleted until the 10th):
    // cancelled.
    for (const QString& s : sheetsOf(st, st.id.text(), false, 10)) {
        if (!lap.locate(QStringLiteral("IDOSZAK;SORSZ"), {st.id.text(), s})) continue;
        msg.answer(true);
        QStringList sql = ours(conv, [&] { reg::atalakit(st); });
        nconv.push_back(twin(sql, QStringLiteral("update lap set resz='A'") + key,
                             {st.id.text(), s, QVariant()}, true));
        msg.answer(true);
        sql = ours(back, [&] { reg::atalakit(st); });
        nback.push_back(twin(sql, QStringLiteral("update lap set resz=null") + key,
                             {st.id.text(), s, QStringLiteral("A")}, true));
        sheet::LapModel m;
        sql = ours(load, [&] { reg::lapBetolt(st, {s, QString(), st.id.text()}, m); });
        nload.push_back(twin(sql, QString(), {}, false));
        visitsDeleted += st.tables.dbo
                             .query(QStringLiteral("select count(*) from lapb where "
                                                   "idoszak=? and sorsz=? and resz is "
                                                   "null"),
                                    {st.id.text(), s})
                             .value(0, 0)
                             .toInt();
        msg.answer(true);
        reg::TorlesEredmeny e{};
        std::vector<double> t;
        sql = ours(t, [&] { e = reg::torles(st, tn); });
        if (e == reg::TorlesEredmeny::Torolve) {
            del.push_back(t[0]);
            ndel.push_back(
                twin(sql, QStringLiteral("delete from lap") + key, {st.id.text(), s, QVariant()}, true));
        }
    }
}

void CommandBench::sentSheets() {
    const QString before = st.id.plusMonths(-2).text();
    for (const QString& s : sheetsOf(st, before, true, 10)) {
        if (!lap.locate(QStringLiteral("IDOSZAK;SORSZ"), {before, s})) continue;
        msg.answer(true);
        reg::TorlesEredmeny e{};
        std::vector<double> t;
        const QStringList sql = ours(t, [&] { e = reg::torles(st, tn); });
        if (e == reg::TorlesEredmeny::Sztornozva) {
            cancel.push_back(t[0]);
            ncancel.push_back(
                twin(sql, QStringLiteral("update lap set elkuldve='YY', modtipus='S'") + key,
                     {before, s, QVariant()}, true));
        }
    }
}

void CommandBench::serialNumbers() {
    for (int i = 0; i < 10; ++i) {
        const QStringList sql = ours(number, [&] { reg::kovetkezoSorsz(st.tables.dbo, st.id); });
        nnumber.push_back(twin(sql, QString(), {}, false));
    }
}

void CommandBench::report() {
    if (!failed.isEmpty()) std::printf("native could not run: %s\n", qPrintable(failed));
    bench::printHeader();
    bench::printFigure("conversion to a first partial invoice", conv, nconv);
    bench::printFigure("conversion back to a full invoice", back, nback);
    bench::printFigure("loading a sheet for modification", load, nload);
    char what[80];
    std::snprintf(what, sizeof what, "deletion (ELREND, %.1f LAPB rows, LAP)",
                  del.empty() ? 0.0 : double(visitsDeleted) / double(del.size()));
    bench::printFigure(what, del, ndel);
    bench::printFigure("cancellation of a sent sheet", cancel, ncancel);
    bench::printFigure("next serial number of the year", number, nnumber);
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

            unsend(st, 10);
            // The native twin, copied before any command runs.
            const QString nativePath =
                QDir(setup.dir()).filePath(QStringLiteral("native-command.db"));
            sqlite3* nat = bench::native::openFile(nativePath);
            for (const char* t : {"lap", "lapb", "elrend", "zaras", "beteg", "orvos", "bnotorzs"})
                bench::native::copyTable(nat, st.tables.dbo, QString::fromLatin1(t));
            bench::native::exec(nat, QStringLiteral("analyze"));
            CommandBench b(st, msg, nat);
            b.unsentSheets();
            b.sentSheets();
            b.serialNumbers();
            bench::native::close(nat, nativePath);
            b.report();
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
