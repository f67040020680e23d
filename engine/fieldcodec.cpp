#include "engine/fieldcodec.h"

#include "engine/codepage.h"
#include "engine/dberror.h"

#include <QLocale>
#include <cmath>
#include <cstring>

namespace engine {

bool isBlankBytes(const char* p, int n) {
    for (int i = 0; i < n; ++i)
        if (p[i] != ' ' && p[i] != 0) return false;
    return true;
}

namespace {

// The bytes of p[0..n) without blanks and NULs on either side.
QString trimmedLatin1(const char* p, int n) {
    int a = 0;
    while (a < n && (p[a] == ' ' || p[a] == 0))
        ++a;
    while (n > a && (p[n - 1] == ' ' || p[n - 1] == 0))
        --n;
    return QString::fromLatin1(p + a, n - a);
}

} // namespace

QVariant decodeField(const FieldDef& f, const char* record) {
    const char* p = record + f.offset;
    switch (f.type) {
    case 'C': {
        int n = f.width;
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        return decode852(p, n);
    }
    case 'D': {
        if (isBlankBytes(p, 8)) return QDate();
        const QDate d = QDate::fromString(QString::fromLatin1(p, 8), QStringLiteral("yyyyMMdd"));
        return d;
    }
    case 'N':
    case 'F': {
        int a = 0, n = f.width;
        while (a < n && (p[a] == ' ' || p[a] == 0))
            ++a;
        while (n > a && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        if (n == a) return QVariant();
        const QByteArray t(p + a, n - a);
        bool ok = false;
        if (f.decimals == 0 && f.type == 'N') {
            const qlonglong v = t.toLongLong(&ok);
            if (ok) return v;
        }
        const double d = t.toDouble(&ok);
        return ok ? QVariant(d) : QVariant();
    }
    case 'L':
        switch (*p) {
        case 'T':
        case 't':
        case 'Y':
        case 'y':
            return true;
        case 'F':
        case 'f':
        case 'N':
        case 'n':
            return false;
        default:
            return QVariant();
        }
    default:
        return trimmedLatin1(p, f.width);
    }
}

namespace {

// Parses a decimal text (sign, digits, one point or comma) into an integer
// mantissa scaled to `decimals`, rounding half away from zero.
bool scaledDecimal(const QString& in, int decimals, __int128& out) {
    QString s = in.trimmed();
    bool neg = false;
    if (s.startsWith(QLatin1Char('-')) || s.startsWith(QLatin1Char('+'))) {
        neg = s.at(0) == QLatin1Char('-');
        s = s.mid(1);
    }
    s.replace(QLatin1Char(','), QLatin1Char('.'));
    const int point = int(s.indexOf(QLatin1Char('.')));
    QString ip = point < 0 ? s : s.left(point);
    QString fp = point < 0 ? QString() : s.mid(point + 1);
    if ((ip.isEmpty() && fp.isEmpty()) || fp.contains(QLatin1Char('.'))) return false;
    for (QChar c : ip + fp)
        if (!c.isDigit() || c.unicode() > '9') return false;
    if (ip.size() + fp.size() > 36) return false;
    __int128 v = 0;
    for (QChar c : ip)
        v = v * 10 + (c.unicode() - '0');
    for (int k = 0; k < decimals; ++k)
        v = v * 10 + (k < fp.size() ? fp.at(k).unicode() - '0' : 0);
    if (fp.size() > decimals && fp.at(decimals).unicode() >= '5') ++v;
    out = neg ? -v : v;
    return true;
}

QByteArray formatScaled(__int128 v, int decimals) {
    const bool neg = v < 0;
    if (neg) v = -v;
    QByteArray digits;
    do {
        digits.prepend(char('0' + int(v % 10)));
        v /= 10;
    } while (v > 0);
    while (digits.size() < decimals + 1)
        digits.prepend('0');
    if (decimals > 0) digits.insert(digits.size() - decimals, '.');
    if (neg && digits.count('0') + (decimals > 0 ? 1 : 0) != digits.size()) digits.prepend('-');
    return digits;
}

// The number v scaled to `decimals` (a finite double, an integer, a bool or
// a text); false when it is no number.
bool scaledValue(const QVariant& v, int decimals, __int128& scaled) {
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::Long:
        scaled = v.toLongLong();
        for (int k = 0; k < decimals; ++k)
            scaled *= 10;
        return true;
    case QMetaType::Double:
    case QMetaType::Float:
        // The shortest text that reads back as the double is the decimal the
        // caller meant (2.675, not 2.67499999...); it is rounded like typed
        // text.
        return scaledDecimal(QString::number(v.toDouble(), 'f', QLocale::FloatingPointShortest),
                             decimals, scaled);
    case QMetaType::Bool:
        scaled = v.toBool() ? 1 : 0;
        for (int k = 0; k < decimals; ++k)
            scaled *= 10;
        return true;
    default:
        return scaledDecimal(v.toString(), decimals, scaled);
    }
}

} // namespace

QDate parseDateText(const QString& s, bool* blankOut) {
    const QString t = s.trimmed();
    *blankOut = false;
    QString digits = t;
    digits.remove(QLatin1Char('.')).remove(QLatin1Char('-')).remove(QLatin1Char(' '));
    if (digits.isEmpty()) {
        *blankOut = true;
        return QDate();
    }
    for (const char* fmt : {"yyyy.MM.dd", "yyyy-MM-dd", "yyyyMMdd", "dd.MM.yyyy"}) {
        const QDate d = QDate::fromString(t, QLatin1String(fmt));
        if (d.isValid()) return d;
    }
    return QDate();
}

void encodeField(const FieldDef& f, const QVariant& v, char* record, const QString& path_) {
    char* p = record + f.offset;
    auto fail = [&](const QString& why) {
        return DbError(DbError::Kind::Value, path_, QStringLiteral("%1 mező: %2").arg(f.name, why));
    };
    const bool isNull = !v.isValid() || v.isNull();
    switch (f.type) {
    case 'C': {
        QString s = isNull ? QString() : v.toString();
        int k = int(s.size());
        while (k > 0 && s.at(k - 1) == QLatin1Char(' '))
            --k;
        s.truncate(k);
        int bad = -1;
        auto enc = encode852(s, &bad);
        if (!enc)
            throw DbError(
                DbError::Kind::Encoding, path_,
                QStringLiteral("%1 mező: a(z) „%2” karakter nem tárolható (852-es kódlap)")
                    .arg(f.name, s.mid(bad, 1)));
        if (enc->size() > f.width)
            throw fail(QStringLiteral("a szöveg hosszabb %1 karakternél").arg(f.width));
        memcpy(p, enc->constData(), size_t(enc->size()));
        memset(p + enc->size(), ' ', size_t(f.width - enc->size()));
        return;
    }
    case 'D': {
        if (isNull) {
            memset(p, ' ', 8);
            return;
        }
        QDate d;
        if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime) {
            d = v.toDate();
            if (!d.isValid()) {
                memset(p, ' ', 8);
                return;
            }
        } else {
            bool isBlank = false;
            d = parseDateText(v.toString(), &isBlank);
            if (isBlank) {
                memset(p, ' ', 8);
                return;
            }
            if (!d.isValid())
                throw fail(QStringLiteral("érvénytelen dátum: „%1”").arg(v.toString()));
        }
        if (d.year() < 1 || d.year() > 9999) throw fail(QStringLiteral("érvénytelen dátum"));
        memcpy(p, d.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData(), 8);
        return;
    }
    case 'N':
    case 'F': {
        if (isNull || (v.typeId() == QMetaType::QString && v.toString().trimmed().isEmpty())) {
            memset(p, ' ', size_t(f.width));
            return;
        }
        if ((v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float) &&
            !std::isfinite(v.toDouble()))
            throw fail(QStringLiteral("érvénytelen szám"));
        __int128 scaled = 0;
        const bool ok = scaledValue(v, f.decimals, scaled);
        if (!ok) throw fail(QStringLiteral("nem szám: „%1”").arg(v.toString()));
        const QByteArray t = formatScaled(scaled, f.decimals);
        if (t.size() > f.width)
            throw fail(QStringLiteral("a(z) %1 érték nem fér el %2 számjegyen")
                           .arg(QString::fromLatin1(t))
                           .arg(f.width));
        memset(p, ' ', size_t(f.width - t.size()));
        memcpy(p + f.width - t.size(), t.constData(), size_t(t.size()));
        return;
    }
    case 'L':
        *p = isNull ? '?' : (v.toBool() ? 'T' : 'F');
        return;
    default:
        throw fail(QStringLiteral("ez a mezőtípus nem írható"));
    }
}

QString fieldText(const FieldDef& f, const char* record) {
    const char* p = record + f.offset;
    switch (f.type) {
    case 'C':
        return decodeField(f, record).toString();
    case 'D': {
        const QDate d = decodeField(f, record).toDate();
        return d.isValid() ? d.toString(QStringLiteral("yyyy.MM.dd")) : QString();
    }
    default:
        return trimmedLatin1(p, f.width);
    }
}

} // namespace engine

namespace engine {

namespace {

// Digits with an optional leading minus, at most 18 of them: the form a
// numeric field almost always holds, read without a QVariant.
bool plainInteger(QByteArrayView v, qint64& out) {
    qsizetype i = 0;
    const bool neg = !v.isEmpty() && v[0] == '-';
    if (neg) i = 1;
    if (v.size() == i || v.size() - i > 18) return false;
    qint64 n = 0;
    for (; i < v.size(); ++i) {
        const char c = v[i];
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
    }
    out = neg ? -n : n;
    return true;
}

} // namespace

QByteArrayView RecordView::chars(int field) const {
    const FieldDef& f = def(field);
    const char* p = rec_ + f.offset;
    int a = 0, n = f.width;
    if (f.type != 'C')
        while (a < n && (p[a] == ' ' || p[a] == 0))
            ++a;
    while (n > a && (p[n - 1] == ' ' || p[n - 1] == 0))
        --n;
    return QByteArrayView(p + a, n - a);
}

std::optional<qint64> RecordView::integer(int field) const {
    const FieldDef& f = def(field);
    if (f.type == 'N' && f.decimals == 0) {
        qint64 n;
        if (plainInteger(chars(field), n)) return n;
    }
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::LongLong) return v.toLongLong();
    if (v.typeId() == QMetaType::Double) {
        const double d = v.toDouble();
        if (std::isfinite(d) && std::fabs(d) < 9.0e15 && d == std::trunc(d)) return qint64(d);
    }
    return std::nullopt;
}

double RecordView::number(int field) const {
    const FieldDef& f = def(field);
    if (f.type == 'N' || f.type == 'F') {
        qint64 n;
        if (plainInteger(chars(field), n)) return double(n);
    }
    const QVariant v = value(field);
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Double) return v.toDouble();
    return 0;
}

QDate RecordView::date(int field) const {
    const FieldDef& f = def(field);
    if (f.type == 'D') {
        const char* p = rec_ + f.offset;
        int n[8];
        bool digits = true;
        for (int i = 0; i < 8 && digits; ++i) {
            digits = p[i] >= '0' && p[i] <= '9';
            n[i] = p[i] - '0';
        }
        if (digits)
            return QDate(n[0] * 1000 + n[1] * 100 + n[2] * 10 + n[3], n[4] * 10 + n[5],
                         n[6] * 10 + n[7]);
    }
    return value(field).toDate();
}

} // namespace engine
