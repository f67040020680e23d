#include "exchange/ravfajl.h"

#include "core/kozos.h"
#include "db/kuldemenyforma.h"
#include "engine/codepage.h"
#include "engine/dberror.h"
#include "engine/fieldcodec.h"
#include "ui/fieldrule.h"
#include "ui/messages.h"

#include <QFileInfo>
#include <cmath>
#include <unordered_set>
#include <vector>

namespace exch {

namespace {

// The dates found real (kozos::datumjo), as yyyyMMdd: a bit per day of the
// years 1000 to 2999 (31 days to every month), a set beyond them. Whether a
// day is real never changes, so the memo serves every import of the run
// (all on the one thread): a million visit rows are read.
class ValodiNapok {
public:
    bool ismert(int n) const {
        const size_t b = bit(n);
        return b != kNincs ? racs_[b] : tobbi_.count(n) > 0;
    }
    void jegyez(int n) {
        const size_t b = bit(n);
        if (b != kNincs)
            racs_[b] = true;
        else
            tobbi_.insert(n);
    }

private:
    static constexpr size_t kNincs = size_t(-1);
    static size_t bit(int n) {
        const int ev = n / 10000, ho = n / 100 % 100, nap = n % 100;
        if (ev < 1000 || ev >= 3000 || ho < 1 || ho > 12 || nap < 1 || nap > 31) return kNincs;
        return size_t(((ev - 1000) * 12 + ho - 1) * 31 + nap - 1);
    }
    std::vector<bool> racs_ = std::vector<bool>(2000 * 12 * 31);
    std::unordered_set<int> tobbi_;
};

} // namespace

int valodiNap(const char* p) {
    int n = 0;
    for (int i = 0; i < 8; ++i) {
        if (p[i] < '0' || p[i] > '9') return -1;
        n = n * 10 + (p[i] - '0');
    }
    static ValodiNapok napok;
    if (!napok.ismert(n)) {
        const QString t = QString::fromLatin1(p, 8);
        if (!kozos::datumjo(t.left(4) + QLatin1Char('.') + t.mid(4, 2) + QLatin1Char('.') +
                            t.mid(6, 2)))
            return -1;
        napok.jegyez(n);
    }
    return n;
}

std::optional<QDate> szovegDatum(const QString& t) {
    for (const QChar c : t)
        if (ui::isControl(c)) return std::nullopt;
    if (kozos::ures(t)) return QDate();
    bool blankText = false;
    const QDate d = engine::parseDateText(t, &blankText);
    if (!d.isValid() || blankText) return std::nullopt;
    return d;
}

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
    scan_.reset();
    return next();
}

bool RavFajl::next() {
    if (!scan_) scan_.emplace(table_);
    if (scan_->next()) {
        recno_ = scan_->recno();
        rec_ = scan_->record();
        return true;
    }
    recno_ = table_.fileRecordCount();
    rec_ = engine::RecordView(nullptr, nullptr);
    return false;
}

void RavFajl::hibasErtek(int field, const QString& why) const {
    hibasErtek(recno_, rec_, field, why);
}

void RavFajl::hibasErtek(std::uint32_t recno, const engine::RecordView& rec, int field,
                         const QString& why) const {
    throw RavHiba(
        hibasErtekSzoveg(name_, recno, rec.fieldDef(field).name, talaltErtek(rec, field), why));
}

QString RavFajl::text(int field) const {
    return rec_.text(field).trimmed();
}

bool RavFajl::blank(int field) const {
    if (rec_.isBlank(field)) return true;
    // Blanks, NULs and code 255 make a blank text, as a typed one.
    return rec_.fieldDef(field).type == 'C' && kozos::ures(nyers(field));
}

QString RavFajl::nyers(int field) const {
    if (rec_.fieldDef(field).type == 'C') return rec_.value(field).toString();
    return rec_.text(field);
}

QString RavFajl::text(int field, const engine::FieldDef& column, bool digits) const {
    const engine::FieldDef& f = table_.fields()[size_t(field)];
    // A date or a number is checked as one; its text is then plain.
    if (f.type == 'D') {
        const QDate d = date(field);
        return d.isValid() ? d.toString(QStringLiteral("yyyy.MM.dd")) : QString();
    }
    QString t;
    if (f.type == 'N' || f.type == 'F') {
        if (const std::optional<qint64> n = integer(field)) t = QString::number(*n);
    } else {
        // Padding on the right goes; what stands before the text is its own.
        t = nyers(field);
    }
    if (const QString why = ertekHiba(t, f.name, column, digits); !why.isEmpty())
        hibasErtek(field, why);
    return t.trimmed();
}

std::optional<qint64> RavFajl::integer(int field) const {
    const engine::FieldDef& f = rec_.fieldDef(field);
    const QVariant v = rec_.value(field);
    if (v.isNull()) {
        // A numeric field that holds something other than a number.
        if (!rec_.isBlank(field) && f.type != 'C') hibasErtek(field, nemEgesz());
        return std::nullopt;
    }
    if (v.typeId() == QMetaType::LongLong) return v.toLongLong();
    if (v.typeId() == QMetaType::Double) {
        // Only a whole number that a 64-bit integer holds: 1e20, inf and nan
        // are no serial number.
        const double d = v.toDouble();
        if (std::isfinite(d) && std::fabs(d) < 9.0e15 && d == std::trunc(d)) return qint64(d);
        hibasErtek(field, nemEgesz());
    }
    const QString t = v.toString().trimmed();
    if (t.isEmpty()) return std::nullopt;
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (!ok) hibasErtek(field, nemEgesz());
    return n;
}

double RavFajl::number(int field) const {
    const engine::FieldDef& f = rec_.fieldDef(field);
    const QVariant v = rec_.value(field);
    double d = 0;
    if (v.isNull()) {
        if (!rec_.isBlank(field) && f.type != 'C') hibasErtek(field, nemSzam());
        return 0;
    }
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double) {
        d = v.toDouble();
    } else {
        QString t = v.toString().trimmed();
        if (t.isEmpty()) return 0;
        t.replace(QLatin1Char(','), QLatin1Char('.'));
        bool ok = false;
        d = t.toDouble(&ok);
        if (!ok) hibasErtek(field, nemSzam());
    }
    if (!std::isfinite(d)) hibasErtek(field, nemSzam());
    return d;
}

core::Idoszak RavFajl::idoszak(int field) const {
    const std::optional<core::Idoszak> p = db::kuldIdoszak(nyers(field));
    if (!p) hibasErtek(field, nemIdoszak());
    return *p;
}

QDate RavFajl::date(int field) const {
    if (rec_.isBlank(field)) return {};
    if (rec_.fieldDef(field).type == 'D') {
        const int n = valodiNap(rec_.stored(field).data());
        if (n < 0) hibasErtek(field, nemDatum());
        return QDate(n / 10000, n / 100 % 100, n % 100);
    }
    const std::optional<QDate> d = szovegDatum(nyers(field));
    if (!d) hibasErtek(field, nemDatum());
    return *d;
}

QString talaltErtek(const engine::RecordView& record, int field) {
    const QByteArrayView s = record.stored(field);
    const char* p = s.data();
    int n = int(s.size());
    while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
        --n;
    const QString t = engine::decode852(p, n);
    QString out;
    out.reserve(t.size());
    for (const QChar c : t) {
        if (ui::isControl(c))
            out += QStringLiteral("[%1]").arg(c.unicode(), 2, 16, QLatin1Char('0')).toUpper();
        else
            out += c;
    }
    return out;
}

QString ertekHiba(const QString& text, const QString& mezo, const engine::FieldDef& column,
                  bool digits) {
    for (const QChar c : text)
        if (ui::isControl(c)) return QStringLiteral("A mezőben vezérlőkarakter áll.");
    const ui::FieldRule rule = digits ? ui::digitsOf(column, mezo) : ui::ruleOf(column, mezo);
    return ui::fault(rule, text);
}

QString hibasErtekSzoveg(const QString& file, std::uint32_t row, const QString& mezo,
                         const QString& talalt, const QString& why) {
    QString s = QStringLiteral("A(z) %1 állomány %2. sorában hibás a(z) %3 mező: \"%4\"")
                    .arg(file)
                    .arg(row)
                    .arg(mezo, talalt);
    if (!why.isEmpty()) s += QStringLiteral("\r") + why;
    return s;
}

QString kitoltendo() {
    return QStringLiteral("A mező kitöltése kötelező!");
}
QString nemDatum() {
    return QStringLiteral("A mezőben nem valódi dátum áll.");
}
QString nemIdoszak() {
    return QStringLiteral("A mezőben nem valódi időszak áll (ÉÉÉÉHH vagy ÉÉÉÉ.HH).");
}
QString nemEgesz() {
    return QStringLiteral("A mezőben nem előjel nélküli egész szám áll.");
}
QString nemSzam() {
    return QStringLiteral("A mezőben nem szám áll.");
}

std::optional<QString> elszamolasiIdoszak(const QString& text) {
    for (const QChar c : text)
        if (ui::isControl(c)) return std::nullopt;
    const QString t = text.trimmed();
    if (t.isEmpty()) return QString();
    if (const auto p = db::kuldIdoszak(t)) return p->text();
    bool blank = false;
    const QDate d = engine::parseDateText(t, &blank);
    if (d.isValid()) return core::Idoszak::of(d).text();
    return std::nullopt;
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

} // namespace exch
