#include "register/lapfel.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "engine/dberror.h"
#include "masters/torzsadat.h"
#include "ui/messages.h"

#include <QDate>
#include <QFile>

namespace reg {

namespace {

QString shown(const QVariant& v) {
    if (v.isNull()) return QString();
    if (v.typeId() == QMetaType::QDate) return v.toDate().toString(QStringLiteral("yyyy.MM.dd"));
    QString s = v.toString();
    if (s.size() == 10 && s[4] == QLatin1Char('-') && s[7] == QLatin1Char('-'))
        return s.replace(QLatin1Char('-'), QLatin1Char('.'));
    if (v.typeId() == QMetaType::Double) return QString::number(v.toDouble(), 'g', 15);
    return s;
}

// The first row of a query as field -> text; false when there is none.
bool firstRow(engine::Database& db, const QString& sql, const QVariantList& params,
              QHash<QString, QString>& out) {
    const engine::Query q = db.query(sql, params);
    if (q.isEmpty()) return false;
    for (int c = 0; c < q.columnCount(); ++c)
        out.insert(q.columns()[c].toUpper(), shown(q.value(0, c)));
    return true;
}

const QString kByKey = QStringLiteral(" where idoszak=? and sorsz=? and resz is ?");

} // namespace

bool Lapfel::betolt(const QString& idoszak, const QString& sorsz, const QString& resz,
                    LapfelModel& m) {
    engine::Database& db = st_.tables.dbo;
    const QVariantList key{idoszak, sorsz, resz.trimmed().isEmpty() ? QVariant() : QVariant(resz)};
    try {
        LapfelModel n;
        if (!firstRow(db, QStringLiteral("select * from lap") + kByKey, key, n.mezok)) return false;
        // A converted LAP keeps the old sheets' slots in LAPOLD.
        if (!n.mezok.contains(QStringLiteral("TOL1"))) {
            const QString lapold = st_.tables.file(QStringLiteral("Lapold.dbf"));
            if (QFile::exists(lapold) && !lapold.contains(QLatin1Char('\''))) {
                QHash<QString, QString> old;
                if (firstRow(
                        db, QStringLiteral("select * from '") + lapold + QLatin1Char('\'') + kByKey,
                        key, old))
                    for (auto it = old.cbegin(); it != old.cend(); ++it)
                        if (!n.mezok.contains(it.key())) n.mezok.insert(it.key(), it.value());
            }
        }
        if (!firstRow(db, QStringLiteral("select * from elrend") + kByKey, key, n.elrend)) {
            st_.msg.error(QStringLiteral("Hibás a teljes lap, nincs elrendelés adat!"));
            return false;
        }

        const auto beteg = masters::betegTajjal(db, n.mezo("TAJ"));
        if (!beteg) {
            st_.msg.error(QStringLiteral("Hibás a TAJ mező!"));
        } else {
            n.nev = beteg->nev;
            n.neme = beteg->nemIndex();
            if (const auto orvos = masters::orvosNeve(db, n.mezo("ORVOSKOD"))) {
                n.orvosNev = *orvos;
                struct Bno {
                    const char* field;
                    QString* name;
                };
                for (const Bno& b : {Bno{"BNOKI", &n.bnokiNev}, Bno{"BNOROV", &n.bnorovNev},
                                     Bno{"BNOMELL", &n.bnomellNev}, Bno{"BNOFO", &n.bnofoNev},
                                     Bno{"BNOELL", &n.bnoellNev}}) {
                    const QString code = n.mezo(b.field);
                    b.name->clear();
                    if (kozos::ures(code)) continue;
                    if (const auto nev = masters::bnoNeve(db, code))
                        *b.name = *nev;
                    else
                        st_.msg.error(
                            QStringLiteral("Hibás a %1 mező!").arg(QLatin1String(b.field)));
                }
            } else {
                st_.msg.error(QStringLiteral("Hibás az ORVOSKOD mező!"));
            }
            for (const char* f : {"APTAJ1", "APTAJ2"}) {
                QHash<QString, QString> apol;
                if (!firstRow(db, QStringLiteral("select aptaj from apol where aptaj=?"),
                              {n.mezo(f)}, apol))
                    n.mezok.insert(QLatin1String(f), QString());
            }
        }
        const QString tpotl = n.mezo("TPOTL");
        n.tpotl = tpotl == QLatin1String("I") ? 0 : tpotl == QLatin1String("N") ? 1 : -1;
        n.szerkesztheto = false;
        m = std::move(n);
        return true;
    } catch (const engine::DbError&) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban!"));
        return false;
    }
}

} // namespace reg
