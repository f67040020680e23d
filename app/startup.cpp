#include "app/startup.h"

#include "app/login.h"
#include "app/period.h"
#include "core/appstate.h"
#include "core/idoszak.h"
#include "db/arj.h"
#include "db/backup.h"
#include "db/localtables.h"
#include "db/tableops.h"
#include "engine/changeunit.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/scan.h"
#include "exchange/kuldes.h"
#include "ui/messages.h"

#include <QDate>
#include <QDir>
#include <string_view>
#include <unordered_set>

namespace app {

QString sureDir(const QString& dir) {
    return dir.endsWith('/') ? dir : dir + '/';
}

bool szerzadat(core::AppState& st) {
    engine::Table& szerz = st.tables.szerz;
    szerz.last();
    if (!szerz.hasField(QStringLiteral("FINKOD"))) {
        st.msg.error(QStringLiteral("Nincs a szerződésben FINKOD mező, így nem használható a "
                                    "program.\rKérjen új szerződés adatot!\rA program kilép!"));
        return false;
    }
    st.finkod = szerz.text(QStringLiteral("FINKOD"));
    st.szerzkezd = szerz.text(QStringLiteral("SZKEZD"));
    engine::Table& part = st.tables.part;
    part.first();
    st.msg.status(1, part.text(QStringLiteral("INTKOD")) + " " + part.text(QStringLiteral("INTE")) +
                         QStringLiteral("  (FINkód: ") + st.finkod +
                         QStringLiteral(", Szerz.kezd: ") + st.szerzkezd + ")");
    return true;
}

void konyvtaraz(core::AppState& st) {
    st.munkakonyvtar = QDir::currentPath();
    const QString work = sureDir(st.munkakonyvtar);
    for (const char* name : {"LISTA", "KULD", "DATA", "TEMP"}) {
        const QString dir = work + QLatin1String(name);
        if (!QDir(dir).exists() && !QDir().mkdir(dir))
            throw StartupError{
                QStringLiteral("Nem lehet a %1 könyvtárat létrehozni").arg(QLatin1String(name))};
    }
    const QString ment = st.tables.directory() + QStringLiteral("MENT");
    if (!QDir(ment).exists() && !QDir().mkdir(ment))
        throw StartupError{QStringLiteral("Nem lehet a MENT könyvtárat létrehozni")};
    st.mentkonyvtar = ment;
    st.datakonyvtar = work + QStringLiteral("DATA");
    st.tempkonyvtar = work + QStringLiteral("TEMP");
    st.listakonyvtar = work + QStringLiteral("LISTA");
    st.kuldkonyvtar = work + QStringLiteral("KULD/");
}

namespace {

// The closing date the office's rules give a sent period: the 5th of the
// following month.
QDate closingDay(core::Idoszak period) {
    return period.isValid() ? period.plusMonths(1).firstDay().addDays(4) : QDate();
}

} // namespace

bool zaraspotol(core::AppState& st) {
    const core::Idoszak thisMonth = core::Idoszak::of(st.clock.today());
    const QString from = thisMonth.plusMonths(-6).text();
    const QString to = thisMonth.plusMonths(-1).text();
    engine::Query q;
    try {
        q = st.tables.dbo.query(
            QStringLiteral("select idoszak, count(sorsz) as szam from lap "
                           "where elkuldve<>'' and elkuldve<>'YY' and idoszak>=? and idoszak<=? "
                           "group by idoszak order by idoszak"),
            {from, to});
    } catch (const engine::DbError&) {
        st.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
    engine::Table& zaras = st.tables.zaras;
    core::Idoszak lastPeriod;
    while (q.next()) {
        const QString p = q.value(0).toString().trimmed();
        lastPeriod = core::Idoszak::fromText(p);
        if (p.isEmpty()) continue;
        if (!zaras.locate(QStringLiteral("IDOSZAK"), p)) {
            zaras.append();
            zaras.setValue(QStringLiteral("IDOSZAK"), p);
            zaras.setValue(QStringLiteral("LAPOKSZ"), q.value(1));
            zaras.setValue(QStringLiteral("ZARAS"), closingDay(lastPeriod));
            zaras.post();
        } else {
            const core::Idoszak next =
                core::Idoszak::fromText(zaras.text(QStringLiteral("IDOSZAK")).left(7))
                    .plusMonths(1);
            if (next < core::Idoszak::of(zaras.date(QStringLiteral("ZARAS")))) {
                zaras.edit();
                zaras.setValue(QStringLiteral("ZARAS"), closingDay(lastPeriod));
                zaras.post();
            }
        }
    }
    // The month after the last sent one is open again.
    const core::Idoszak reopened = lastPeriod.plusMonths(1);
    if (reopened.isValid() && zaras.locate(QStringLiteral("IDOSZAK"), reopened.text())) {
        zaras.remove();
        zaras.pack();
    }
    return true;
}

namespace {

// True when two patients (not flagged deleted) carry the same TAJ number, as
// the query below compares them (the padding on the right aside): only then
// has the duplicate removal anything to do. One pass over the records, no
// query: the start pays little when the patients are all different.
bool vanIsmetlodoTaj(const engine::Table& beteg) {
    try {
        engine::Scan s(beteg);
        const int taj = s.field(QStringLiteral("TAJ"));
        if (taj < 0) return true;
        std::unordered_set<std::string_view> seen;
        seen.reserve(beteg.fileRecordCount());
        while (s.next()) {
            if (s.record().fieldDef(taj).type != 'C') return true;
            const QByteArrayView v = s.record().chars(taj);
            if (v.isEmpty()) continue;
            if (!seen.insert(std::string_view(v.data(), size_t(v.size()))).second) return true;
        }
        return false;
    } catch (const engine::DbError&) {
        return true; // the query meets the same fault and says so
    }
}

} // namespace

bool betegduplatorol(core::AppState& st) {
    if (!vanIsmetlodoTaj(st.tables.beteg)) return true;
    engine::Query q;
    try {
        q = st.tables.dbo.query(
            QStringLiteral("select taj, neme, szuli, count(taj) as szam from beteg "
                           "group by taj, neme, szuli having count(taj)>1"));
    } catch (const engine::DbError&) {
        st.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
    engine::Table& beteg = st.tables.beteg;
    int removed = 0;
    while (q.next()) {
        const QString taj = q.value(0).toString();
        if (taj.trimmed().isEmpty()) continue;
        if (beteg.locate(QStringLiteral("TAJ"), taj)) {
            beteg.remove();
            ++removed;
        }
    }
    // Rewriting the patient file at every start when nothing was removed
    // would only cost time.
    if (removed > 0) beteg.pack();
    return true;
}

namespace {

// Rolls back what a crash or a kill cut short; false when the start must end.
bool recoverInterrupted(core::AppState& st) {
    const QString journal = engine::journalPath(st.tables.directory());
    try {
        engine::recoverJournal(st.tables.directory());
        return true;
    } catch (const engine::DbError& e) {
        if (e.kind() != engine::DbError::Kind::Damaged) {
            st.msg.error(
                QStringLiteral("A legutóbbi félbeszakadt művelet visszaállítása nem sikerült: ") +
                e.text() +
                QStringLiteral("\rZárja be a táblákat használó más programokat, és indítsa "
                               "újra a programot!"));
            return false;
        }
        // The interrupted operation cannot be undone: the tables may hold
        // part of it. The user needs the way out, and the journal stays,
        // kept aside, for whoever repairs them; the start goes on so that
        // the backup can be restored.
        st.msg.error(
            QStringLiteral("A legutóbbi félbeszakadt művelet nem vonható vissza, mert a naplója "
                           "sérült: ") +
            e.text() +
            QStringLiteral("\rAz adatok félig módosított állapotban lehetnek. Töltse vissza a "
                           "legutóbbi biztonsági mentést (Szervíz / Visszatöltés), vagy hívja a "
                           "program támogatását, és adja át nekik a(z) %1 állományt!")
                .arg(e.file()));
        return e.file() != journal;
    }
}

} // namespace

Startup::Outcome Startup::run(const QString& programDir) {
    core::AppState& st = st_;
    st.programDir = programDir;
    st.tables.dbo.setDirectory(sureDir(sureDir(programDir) + QStringLiteral("DATA")));

    // Another copy of the program holding SYS.DBF: its message, and the end,
    // before any dialog and before anything is touched.
    {
        Login probe(st, false);
        if (!probe.prepare()) return Outcome::EndProgram;
    }
    // An operation cut short by a crash or a kill is rolled back before any
    // table of the database is opened.
    if (!recoverInterrupted(st)) {
        st.tables.sys.close();
        return Outcome::EndProgram;
    }
    // This copy alone uses the folder now: what a killed run left behind goes
    // (before MENT is made anew, so that a backup cut short between its two
    // renames gets its folder back).
    engine::removeLeftoverFiles(st.tables.directory());
    db::sweepBackupLeftovers(st.tables.directory() + QStringLiteral("MENT"));
    // A folder that takes no writes is said now, once, not when the first
    // sheet typed in cannot be saved.
    try {
        engine::checkDirectoryWritable(st.tables.directory());
    } catch (const engine::DbError& e) {
        st.msg.warning(QStringLiteral("Az adatkönyvtárba nem lehet írni: ") + e.text() +
                       QStringLiteral("\rAz adatok megtekinthetők, de semmilyen módosítás nem "
                                      "menthető. Kérjen írási jogot a könyvtárra (vagy "
                                      "szabadítson fel helyet a lemezen), majd indítsa újra a "
                                      "programot!"));
    }

    if (!dialogs_.login(st)) return Outcome::EndProgram;

    db::LocalTables local(st.tables, st.msg);
    local.setProgress([this](const QString& what, qint64 done, qint64 total) {
        dialogs_.progress(what, done, total);
    });
    try {
        local.crtzaras();
        st.idoszakmenu = false;
        if (!dialogs_.period(st)) return Outcome::EndProgram;
        if (!local.szerzNyit()) return Outcome::EndProgram;
        if (!szerzadat(st)) return Outcome::EndProgram;
        st.finkodtol = QStringLiteral("2014.12");
        local.crtapol();
        local.crtorvos();
        local.crtbeteg(st.finkod, st.finkodtol);
        local.crtmaradv();
        local.crtelrend(st.finkod, st.finkodtol);
        local.crtlapuj(st.finkod, st.finkodtol);
        local.crtlapb(st.finkod, st.finkodtol);
        konyvtaraz(st);
        // The unpack folders and half-made copies of a killed import.
        db::sweepUnpackFolders(st.tempkonyvtar);
        engine::removeLeftoverFiles(st.tempkonyvtar);
        // A sending or a copy of it cut short: its leftovers go, and a copy
        // that did not finish is told of.
        exch::Kuldes::inditaskor(st);
        if (!zaraspotol(st) || !betegduplatorol(st)) {
            interrupted_ = true;
        } else {
            db::packSheetTables(st.tables, 0.1);
        }
    } catch (const engine::DbError& e) {
        st.msg.error(e.text());
        interrupted_ = true;
    } catch (const StartupError& e) {
        st.msg.error(e.message);
        interrupted_ = true;
    } catch (const db::StartupStopped&) {
        interrupted_ = true;
    }
    ertad(st);
    st.msg.status(0, QString());
    st.msg.status(2, st.clock.today().toString(QStringLiteral("yyyy.MM.dd")));
    return Outcome::MainWindow;
}

} // namespace app
