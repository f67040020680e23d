#include "exchange/ravfajl.h"

#include "engine/dberror.h"
#include "engine/fieldcodec.h"
#include "ui/messages.h"

#include <QFileInfo>

namespace exchange {

RavFajl::RavFajl(const QString& path, const QStringList& needed, const QString& shownName)
    : name_(shownName.isEmpty() ? QFileInfo(path).fileName() : shownName) {
    try {
        table_.open(path, engine::Table::Mode::ReadOnly);
    } catch (const engine::DbError& e) {
        throw RavHiba(QStringLiteral("A(z) %1 állomány nem olvasható dBase tábla!\r%2")
                          .arg(name_, e.detail()));
    }
    for (const QString& f : needed)
        if (!table_.hasField(f))
            throw RavHiba(
                QStringLiteral("A(z) %1 állományból hiányzik a(z) %2 mező!").arg(name_, f));
}

bool RavFajl::first() {
    recno_ = 0;
    return next();
}

bool RavFajl::next() {
    const std::uint32_t n = table_.fileRecordCount();
    while (recno_ < n) {
        rec_ = table_.rawRecord(++recno_);
        if (rec_[0] != '*') return true;
    }
    rec_ = nullptr;
    return false;
}

void RavFajl::hibasErtek(int field) const {
    throw RavHiba(QStringLiteral("A(z) %1 állomány %2. sorában hibás a(z) %3 mező: \"%4\"")
                      .arg(name_)
                      .arg(recno_)
                      .arg(table_.fields()[size_t(field)].name, text(field)));
}

QString RavFajl::text(int field) const {
    return engine::fieldText(table_.fields()[size_t(field)], rec_).trimmed();
}

bool RavFajl::blank(int field) const {
    const engine::FieldDef& f = table_.fields()[size_t(field)];
    return engine::isBlankBytes(rec_ + f.offset, f.width) || text(field).isEmpty();
}

std::optional<qint64> RavFajl::integer(int field) const {
    const engine::FieldDef& f = table_.fields()[size_t(field)];
    const QVariant v = engine::decodeField(f, rec_);
    if (v.isNull()) return std::nullopt;
    if (v.typeId() == QMetaType::LongLong) return v.toLongLong();
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (d == double(qint64(d))) return qint64(d);
        hibasErtek(field);
    }
    const QString t = v.toString().trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (!ok) hibasErtek(field);
    return n;
}

double RavFajl::number(int field) const {
    const QVariant v = engine::decodeField(table_.fields()[size_t(field)], rec_);
    if (v.isNull()) return 0;
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double) return v.toDouble();
    QString t = v.toString().trimmed();
    if (t.isEmpty()) return 0;
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    bool ok = false;
    const double d = t.toDouble(&ok);
    if (!ok) hibasErtek(field);
    return d;
}

core::Idoszak RavFajl::idoszak(int field) const {
    const std::optional<core::Idoszak> p = core::Idoszak::parseAny(text(field));
    if (!p) hibasErtek(field);
    return *p;
}

QDate RavFajl::date(int field) const {
    const engine::FieldDef& f = table_.fields()[size_t(field)];
    const QVariant v = engine::decodeField(f, rec_);
    if (f.type == 'D') return v.toDate();
    bool blankText = false;
    const QDate d = engine::parseDateText(text(field), &blankText);
    if (blankText) return {};
    if (!d.isValid()) hibasErtek(field);
    return d;
}

QString nullakkal(qint64 n, int width) {
    return QString::number(n).rightJustified(width, QLatin1Char('0'));
}

bool osszegzesNyomtatasa(ui::Messages& msg, const QString& cim, const QString& zaroUzenet,
                         const OsszegzesNyomtato& nyomtat) {
    if (zaroUzenet.isEmpty() || !nyomtat) return false;
    if (!msg.confirm(QStringLiteral("Kinyomtatja az összegzést?"))) return false;
    nyomtat(cim, zaroUzenet);
    return true;
}

} // namespace exchange
