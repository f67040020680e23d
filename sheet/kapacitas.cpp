#include "sheet/kapacitas.h"

#include "core/appstate.h"
#include "core/idoszak.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "ui/messages.h"

#include <QDir>
#include <QFile>
#include <cmath>

namespace sheet {

namespace {

std::vector<engine::FieldDef> tempFields() {
    using engine::fieldDef;
    return {fieldDef(QStringLiteral("Taj"), 'C', 9),
            fieldDef(QStringLiteral("Nev"), 'C', 30),
            fieldDef(QStringLiteral("Aora"), 'N', 10, 0),
            fieldDef(QStringLiteral("Iora"), 'N', 10, 0),
            fieldDef(QStringLiteral("AKeret"), 'N', 10, 2),
            fieldDef(QStringLiteral("IKeret"), 'N', 10, 2),
            fieldDef(QStringLiteral("Keret"), 'N', 10, 0),
            fieldDef(QStringLiteral("Vizitdb"), 'N', 10, 0)};
}

// Weekly hours as the county office writes them (a number; anything else
// counts as 0).
double orak(const QVariant& v) {
    bool ok = false;
    const double d = v.toString().trimmed().toDouble(&ok);
    return ok ? d : 0.0;
}

// Day `nap` of the period as an ISO date text; a day past the month's end
// stays as written, as the bound of a text comparison.
QString isoNap(core::Idoszak idoszak, int nap) {
    return idoszak.firstDay().toString(QStringLiteral("yyyy-MM-")) + kozos::ketjegyu(nap);
}

} // namespace

Kapacitas::~Kapacitas() {
    felszabadit();
}

void Kapacitas::keretek(core::Idoszak idoszak, double aora, double iora, KapacSor& sor) {
    sor.aora = aora;
    sor.iora = iora;
    double keret;
    if (idoszak >= core::hatar::ujKapacitas) {
        sor.akeret = aora / 40 * 132;
        sor.ikeret = iora / 40 * 132;
        keret = (aora + iora) / 40 * 132;
    } else {
        sor.akeret = aora / 40 * 110;
        sor.ikeret = iora / 40 * 88;
        keret = aora / 40 * 110 + iora / 40 * 88;
    }
    // The field holds no decimals: a fractional frame allows the whole
    // visits below it (a small tolerance keeps 66.0 from becoming 65).
    sor.keret = int(std::floor(keret + 1e-9));
    sor.szerzodott = true;
}

QString Kapacitas::tempPath(const core::AppState& state) {
    return QDir(state.tempkonyvtar).filePath(QStringLiteral("Temp.dbf"));
}

void Kapacitas::tempTorol(core::AppState& state) {
    if (state.tables.temp.isOpen()) state.tables.temp.close();
    const QString path = engine::findFileNoCase(tempPath(state));
    if (QFile::exists(path)) QFile::remove(path);
    const QString mdx = QDir(state.tempkonyvtar).filePath(QStringLiteral("Temp.mdx"));
    if (QFile::exists(mdx)) QFile::remove(mdx);
}

bool Kapacitas::kapacnez(core::AppState& state, const LapModel& m) {
    felszabadit();
    state_ = &state;
    sorok_.clear();
    index_.clear();
    bool ok = true;
    const core::Idoszak p = state.id;

    // Visits already recorded in the period, per worker.
    try {
        QString sql = QStringLiteral("select a.aptaj,sum(a.vizitdb) as vizit from lapb a "
                                     "where a.idoszak=?");
        QVariantList params{p.text()};
        if (m.modositas) {
            sql += QStringLiteral(" and a.sorsz<>?");
            params << m.lapsorsz;
        }
        sql += QStringLiteral(" group by a.aptaj order by a.aptaj");
        state.tables.dbo.each(sql, params, [&](const QVariantList& row) {
            if (row.value(0).isNull()) return;
            KapacSor s;
            s.taj = row.value(0).toString();
            s.vizitdb = row.value(1).toInt();
            index_.insert(s.taj, int(sorok_.size()));
            sorok_.push_back(s);
        });
    } catch (const engine::DbError&) {
        state.msg.error(QStringLiteral("Hiba a lefutásban!"));
        ok = false;
    }

    // Workers under contract in the month; a worker listed twice keeps the
    // values of the later record.
    try {
        const engine::Query q = state.tables.dbo.query(
            QStringLiteral("select taj,nev,szakapo,szakiro from szolgsz "
                           "where kezd<=? and (veg>=? or veg is null) order by kezd,ssorszam"),
            QVariantList{isoNap(p, m.napokszama), isoNap(p, 1)});
        for (const QVariantList& row : q.rows()) {
            QString taj = row.value(0).toString().trimmed();
            bool szam = false;
            const qint64 n = taj.toLongLong(&szam);
            if (szam) taj = QString::number(n);
            taj = kozos::baltolt(taj, 9, QStringLiteral("0"));
            int i = index_.value(taj, -1);
            if (i < 0) {
                i = int(sorok_.size());
                KapacSor s;
                s.taj = taj;
                index_.insert(taj, i);
                sorok_.push_back(s);
            }
            KapacSor& s = sorok_[size_t(i)];
            s.nev = row.value(1).toString();
            keretek(p, orak(row.value(2)), orak(row.value(3)), s);
        }
    } catch (const engine::DbError&) {
        state.msg.error(QStringLiteral("Hiba a lefutásban!"));
        ok = false;
    }

    // The table file, for the lists that read it.
    try {
        tempTorol(state);
        QDir().mkpath(state.tempkonyvtar);
        engine::Table::create(tempPath(state), tempFields());
        std::vector<QVariantList> rows;
        rows.reserve(sorok_.size());
        for (const KapacSor& s : sorok_) {
            if (s.szerzodott)
                rows.push_back(
                    {s.taj, s.nev, s.aora, s.iora, s.akeret, s.ikeret, s.keret, s.vizitdb});
            else
                rows.push_back({s.taj, QVariant(), QVariant(), QVariant(), QVariant(), QVariant(),
                                QVariant(), s.vizitdb});
        }
        state.tables.temp.open(tempPath(state));
        tempNyitva_ = true;
        state.tables.temp.appendRows(rows);
    } catch (const engine::DbError&) {
        state.msg.error(QStringLiteral("Hiba a TEMP állomány készítésében!"));
        if (state.tables.temp.isOpen()) state.tables.temp.close();
        tempNyitva_ = false;
        ok = false;
    }
    return ok;
}

bool Kapacitas::hozzaad(const QString& taj) {
    const int i = index_.value(taj.trimmed(), -1);
    if (i < 0) return false;
    KapacSor& s = sorok_[size_t(i)];
    ++s.vizitdb;
    if (tempNyitva_ && state_) {
        try {
            engine::Table& t = state_->tables.temp;
            t.go(std::uint32_t(i + 1));
            t.edit();
            t.setValue(QStringLiteral("Vizitdb"), s.vizitdb);
            t.post();
        } catch (const engine::DbError&) {
            // The scratch file is only a copy of the counts held here.
        }
    }
    // A worker without a contract in the month has no frame: 0.
    return s.vizitdb > s.keret;
}

const KapacSor* Kapacitas::sor(const QString& taj) const {
    const int i = index_.value(taj.trimmed(), -1);
    return i < 0 ? nullptr : &sorok_[size_t(i)];
}

void Kapacitas::felszabadit() {
    if (tempNyitva_ && state_ && state_->tables.temp.isOpen()) state_->tables.temp.close();
    tempNyitva_ = false;
}

} // namespace sheet
