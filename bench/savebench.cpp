// szsavebench: saving a sheet on a large provider's data — 100 000 sheets and
// 1 000 000 visit rows — beside native SQLite doing the same work. Measures
// the capacity table of a busy month (target under 50 ms), the complete check
// of a sheet with 14 visits, and its save (together under 20 ms, the first
// one of the process too), each with its first run beside the median.
//
// The native twin: a database file with the same tables, rows and indexes
// (the program's tags), a rollback journal and synchronous=FULL. It runs the
// very SQL texts the program ran for the same work, recorded from the
// program's own connection with their values; for the save it also writes
// the records the save wrote (the sheet, its order, its visits, the patient
// and the doctor) in one transaction. The capacity table's scratch file
// (Temp.dbf) is made anew as a temporary table with the same rows; the
// record-by-record lookups through the table objects have no SQL twin.
//
// Before measuring, the complete check runs over recorded sheets of the
// current period, loaded as for modification: the data must pass the
// program's own checks.
//
// Usage: szsavebench [FOLDER]   (a temporary program folder when none is given)

#include "bench/native.h"
#include "bench/setup.h"
#include "engine/database.h"
#include "engine/table.h"
#include "register/laploader.h"
#include "sheet/kapacitas.h"
#include "sheet/lapmentes.h"
#include "sheet/napok.h"
#include "tools/demo/demodata.h"

#include <QDir>
#include <QSet>
#include <cstdio>
#include <map>
#include <sqlite3.h>
#include <vector>

namespace {

// A complete sheet of the current period with 14 nursing visits, a new
// patient, the main activity "7" (pressure sores).
sheet::LapModel sheetOf(int n, const QString& idoszak, const QString& kozigkod,
                        const QStringList& nurses) {
    sheet::LapModel m;
    m.lapsorsz = QStringLiteral("9%1").arg(n, 4, 10, QLatin1Char('0'));
    m.m_idosz = idoszak;
    sheet::napokBeallit(m);
    m.m_aztip = "1";
    m.m_taj = demo::tajWithCheckDigit(QStringLiteral("7%1").arg(n, 7, 10, QLatin1Char('0')));
    m.m_nev = "Mérő Béla";
    m.bnem = 0;
    m.m_kozigkod = kozigkod;
    m.m_cim2 = "Fő u. 1.";
    m.m_szido = "1940.03.02";
    m.m_terkat = "01";
    m.m_allp = "HUN";
    m.m_alapb = "I10H0";
    m.m_fodiag = "L89H0";
    m.m_eorv = "12345";
    m.orv1 = "Dr. Első Ede";
    m.m_elrend = idoszak + ".01";
    m.m_szakvet = idoszak + ".01";
    m.m_elviz = "14";
    m.m_gyak = "naponta";
    m.m_elszam = "1";
    m.m_elszviz = "0";
    m.m_engszam = "0";
    m.Etev = QStringLiteral("7").rightJustified(10).leftJustified(30);
    m.CB2 = 0;
    for (int d = 0; d < 14; ++d) {
        m.ellt[size_t(d)] = "2";
        m.tevk[size_t(d)] = "7";
        m.aptaj[size_t(d)] = nurses[d % nurses.size()];
    }
    return m;
}

QString errorsOf(const ui::ScriptedMessages& msg, size_t from, QSet<QString>& seen) {
    QString first;
    for (size_t i = from; i < msg.log().size(); ++i) {
        const QString m = QString::fromStdString(msg.log()[i]);
        if (!m.startsWith(QLatin1String("error"))) continue;
        if (first.isEmpty()) first = m;
        seen.insert(m);
    }
    return first;
}

// The data as the program's own checks see it: recorded sheets of
// the period loaded as for modification and checked whole.
void checkRecorded(core::AppState& st, ui::ScriptedMessages& msg, const QString& c) {
    engine::Database& db = st.tables.dbo;
    const engine::Query some =
        db.query(QStringLiteral("select sorsz, resz from lap where idoszak=? order by "
                                "(cast(sorsz as integer) * 7919) % 1009 limit 100"),
                 {c});
    int passed = 0, checked = 0;
    QSet<QString> seen;
    QString example;
    for (const QVariantList& r : some.rows()) {
        sheet::LapModel m;
        if (!reg::lapBetolt(st, {r[0].toString(), r[1].toString(), c}, m)) continue;
        m.modositas = true;
        const size_t before = msg.log().size();
        sheet::Kapacitas k;
        const bool ok = sheet::LapMentes::lapell(m, st, k);
        sheet::Kapacitas::tempTorol(st);
        ++checked;
        if (ok)
            ++passed;
        else if (example.isEmpty())
            example = r[0].toString() + r[1].toString() + ": " + errorsOf(msg, before, seen);
        else
            errorsOf(msg, before, seen);
    }
    std::printf("complete check of %d recorded sheets of %s: %d passed\n", checked, qPrintable(c),
                passed);
    if (!example.isEmpty()) std::printf("  first refusal: %s\n", qPrintable(example));
    for (const QString& e : seen)
        std::printf("  refusal seen: %s\n", qPrintable(e));
    msg.clear();
}

// What the measured steps share: the started program, the native twin and
// the recorder of the engine's statements, and the figures measured.
struct SaveBench {
    SaveBench(core::AppState& st, ui::ScriptedMessages& msg, const QString& c,
              const QStringList& nurses, const QString& kozigkod, sqlite3* nat)
        : st(st), msg(msg), c(c), nurses(nurses), kozigkod(kozigkod), nat(nat) {}

    void scratch(const std::vector<QVariantList>& rows);
    void capacity();
    // False when the sheet does not pass its check.
    bool saveSheet(int i);
    void report();

    core::AppState& st;
    ui::ScriptedMessages& msg;
    engine::Database& db = st.tables.dbo;
    const QString c;
    const QStringList nurses;
    const QString kozigkod;
    sqlite3* nat;
    bench::native::Recorder rec{db};
    QString failed;
    int notReplayed = 0;
    std::vector<double> kap, nkap;
    std::vector<double> checks, save, ncheck, nsave;
    int checkStatements = 0, saveStatements = 0;
    QStringList saveShown;
};

// The twin of the capacity table's scratch file: a temporary table
// made anew with the same rows.
void SaveBench::scratch(const std::vector<QVariantList>& rows) {
    bench::native::exec(nat, QStringLiteral("drop table if exists temp.kap; create temp "
                                            "table kap(taj,nev,aora,iora,akeret,ikeret,"
                                            "keret,vizitdb)"));
    for (const QVariantList& r : rows)
        bench::native::query(nat, QStringLiteral("insert into temp.kap values(?,?,?,?,?,?,?,?)"),
                             r);
}

void SaveBench::capacity() {
    // The capacity table of the month.
    sheet::LapModel probe = sheetOf(0, c, kozigkod, nurses);
    for (int i = 0; i < 6; ++i) {
        sheet::Kapacitas k;
        rec.start();
        kap.push_back(bench::timeOf([&] { k.kapacnez(st, probe); }));
        const QStringList sql = rec.stop();
        std::vector<QVariantList> temp;
        for (const sheet::KapacSor& r : k.sorok())
            temp.push_back({r.taj, r.nev, r.aora, r.iora, r.akeret, r.ikeret, r.keret, r.vizitdb});
        sheet::Kapacitas::tempTorol(st);
        // The twin: the same statements, and the scratch table made anew
        // with the same rows.
        nkap.push_back(bench::timeOf([&] {
            notReplayed += bench::native::replay(nat, sql, &failed);
            scratch(temp);
        }));
    }
}

// A new sheet: the check, then the save; the twin after each.
bool SaveBench::saveSheet(int i) {
    sheet::LapModel m = sheetOf(i, c, kozigkod, nurses);
    sheet::Kapacitas k;
    bool ok = false;
    rec.start();
    checks.push_back(bench::timeOf([&] { ok = sheet::LapMentes::lapell(m, st, k); }));
    const QStringList checkSql = rec.stop();
    std::vector<QVariantList> checkTemp;
    for (const sheet::KapacSor& r : k.sorok())
        checkTemp.push_back({r.taj, r.nev, r.aora, r.iora, r.akeret, r.ikeret, r.keret, r.vizitdb});
    if (!ok) {
        std::fprintf(stderr, "the sheet did not pass its check: %s\n",
                     msg.log().empty() ? "" : msg.log().back().c_str());
        return false;
    }
    rec.start();
    save.push_back(bench::timeOf([&] {
        sheet::LapMentes::ir(m, st);
        sheet::Kapacitas::tempTorol(st);
    }));
    const QStringList saveSql = rec.stop();
    checkStatements = int(checkSql.size());
    saveStatements = int(saveSql.size());
    saveShown.clear();
    for (const QString& x : saveSql)
        saveShown << x.simplified().left(70);

    // What the save wrote, read back to be written again natively.
    const QVariantList key = {c, m.lapsorsz};
    auto rowsOf = [&](const QString& sql, const QVariantList& params) {
        return db.query(sql, params).rows();
    };
    const auto lapRows = rowsOf(
        QStringLiteral("select * from lap where idoszak=? and sorsz=? and resz is null"), key);
    const auto elrendRows = rowsOf(
        QStringLiteral("select * from elrend where idoszak=? and sorsz=? and resz is null"), key);
    const auto lapbRows = rowsOf(
        QStringLiteral("select * from lapb where idoszak=? and sorsz=? and resz is null"), key);
    const auto betegRows = rowsOf(QStringLiteral("select * from beteg where taj=?"), {m.m_taj});
    const auto orvosRows =
        rowsOf(QStringLiteral("select * from orvos where orvoskod=?"), {m.m_eorv});
    auto insert = [&](const char* table, const std::vector<QVariantList>& rows) {
        for (const QVariantList& r : rows) {
            QStringList marks;
            for (int k2 = 0; k2 < r.size(); ++k2)
                marks << QStringLiteral("?");
            bench::native::query(nat,
                                 QStringLiteral("insert into %1 values(%2)")
                                     .arg(QLatin1String(table), marks.join(',')),
                                 r);
        }
    };
    ncheck.push_back(bench::timeOf([&] {
        notReplayed += bench::native::replay(nat, checkSql, &failed);
        scratch(checkTemp);
    }));
    nsave.push_back(bench::timeOf([&] {
        bench::native::exec(nat, QStringLiteral("begin"));
        notReplayed += bench::native::replay(nat, saveSql, &failed);
        bench::native::query(nat, QStringLiteral("delete from beteg where taj=?"), {m.m_taj});
        bench::native::query(nat, QStringLiteral("delete from orvos where orvoskod=?"), {m.m_eorv});
        insert("lap", lapRows);
        insert("elrend", elrendRows);
        insert("lapb", lapbRows);
        insert("beteg", betegRows);
        insert("orvos", orvosRows);
        bench::native::exec(nat, QStringLiteral("commit"));
    }));
    return true;
}

void SaveBench::report() {
    std::printf("statements of one check: %d, of one save: %d (recorded, replayed natively)\n",
                checkStatements, saveStatements);
    for (const QString& x : saveShown)
        std::printf("  save ran: %s\n", qPrintable(x));
    if (notReplayed)
        std::printf("statements the native side could not run: %d, first: %s\n", notReplayed,
                    qPrintable(failed));
    std::printf("\n");
    bench::printHeader();
    bench::printFigure("capacity table of a busy month", kap, nkap, "(< 50 ms)");
    bench::printFigure("complete check of a 14-visit sheet", checks, ncheck);
    bench::printFigure("save of a 14-visit sheet", save, nsave);
    std::vector<double> both, nboth;
    for (size_t i = 0; i < checks.size(); ++i) {
        both.push_back(checks[i] + save[i]);
        nboth.push_back(ncheck[i] + nsave[i]);
    }
    bench::printFigure("complete check + save", both, nboth, "(< 20 ms, the first too)");
    // A later run on the same folder saves the same sheets again.
    db.exec(QStringLiteral("delete from lapb where idoszak=? and sorsz like '9%'"), {c});
    db.exec(QStringLiteral("delete from elrend where idoszak=? and sorsz like '9%'"), {c});
    db.exec(QStringLiteral("delete from lap where idoszak=? and sorsz like '9%'"), {c});
}

} // namespace

int main(int argc, char** argv) {
    bench::Setup setup(argc, argv);
    ui::ScriptedMessages& msg = setup.msg;
    try {
        if (!setup.ensure()) return 1;
        auto stp = setup.start();
        if (!stp) return 1;
        core::AppState& st = *stp;
        engine::Database& db = st.tables.dbo;
        const QString c = st.id.text();
        QStringList nurses;
        const engine::Query working = db.query(
            QStringLiteral("select aptaj from lapb where idoszak=? and elltip=2 group by aptaj"),
            {c});
        for (const QVariantList& r : working.rows())
            nurses << r.value(0).toString();
        const QString kozigkod =
            db.query(QStringLiteral("select kozigkod from terulet limit 1")).value(0, 0).toString();

        checkRecorded(st, msg, c);

        // The native twin, copied before anything is saved.
        const QString nativePath = QDir(setup.dir()).filePath(QStringLiteral("native-save.db"));
        sqlite3* nat = bench::native::openFile(nativePath);
        const double copy = bench::timeOf([&] {
            for (const char* t : {"lap", "lapb", "elrend", "szolgsz", "apol", "bnotorzs", "telepul",
                                  "beteg", "orvos", "zaras", "szerz"})
                bench::native::copyTable(nat, db, QString::fromLatin1(t));
        });
        std::printf("native file copies with the program's indexes made in %.1f s\n\n", copy);
        SaveBench b(st, msg, c, nurses, kozigkod, nat);
        b.capacity();
        // Six new sheets: the check, then the save; the twin after each.
        for (int i = 1; i <= 6; ++i)
            if (!b.saveSheet(i)) return 1;
        bench::native::close(nat, nativePath);

        b.report();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "szsavebench: %s\n", e.what());
        return 1;
    }
    return 0;
}
