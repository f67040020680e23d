#include "exchange/teljesforras.h"

#include "engine/codepage.h"
#include "engine/dberror.h"
#include "engine/fieldcodec.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "ui/fieldrule.h"

#include <QFile>
#include <array>

namespace exch {

engine::FieldDef Mezo::def() const {
    engine::FieldDef f;
    f.name = name;
    f.type = type;
    f.width = width;
    f.offset = off;
    return f;
}

Mezo mezo(const std::vector<engine::FieldDef>& fields, const QString& name) {
    for (size_t i = 0; i < fields.size(); ++i) {
        const engine::FieldDef& f = fields[i];
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return {int(i), f.offset, f.width, f.type, f.name};
    }
    return {};
}

QByteArrayView nyers(const engine::RecordView& rec, const Mezo& f) {
    const QByteArrayView s = rec.stored(f.i);
    const char* p = s.data();
    int a = 0, n = int(s.size());
    while (a < n && (p[a] == ' ' || p[a] == 0))
        ++a;
    while (n > a && (p[n - 1] == ' ' || p[n - 1] == 0))
        --n;
    return QByteArrayView(p + a, n - a);
}

namespace {

// The bytes of code page 852 that stand for a control character, by the
// rule of a typed text (ui::isControl): a million visit rows are checked
// byte by byte, and the message is made the slow way when one fails.
const std::array<bool, 256>& vezerlok() {
    static const std::array<bool, 256> t = [] {
        std::array<bool, 256> a{};
        for (int b = 0; b < 256; ++b) {
            const char c = char(b);
            const QString s = engine::decode852(&c, 1);
            a[size_t(b)] = s.size() != 1 || ui::isControl(s.at(0));
        }
        return a;
    }();
    return t;
}

} // namespace

// ---------------------------------------------------------------- Forras

Forras::Forras(const QString& path, const QStringList& needed, const QString& shown) {
    f = std::make_unique<RavFajl>(path, needed, shown);
    t = &f->table();
}

void Forras::hiba(std::uint32_t recno, const Mezo& m, const engine::RecordView& rec,
                  const QString& why) const {
    f->hibasErtek(recno, rec, m.i, why);
}

void Forras::nemFer(std::uint32_t recno, const Mezo& m, const engine::RecordView& rec,
                    const QString& v, const Mezo& d, bool digits) const {
    QString why = ertekHiba(v, m.name, d.def(), digits);
    if (why.isEmpty()) why = ertekHiba(v, m.name, d.def(), true);
    hiba(recno, m, rec, why);
}

qint64 Forras::egesz(std::uint32_t recno, const engine::RecordView& rec, const Mezo& m) const {
    QByteArrayView v = nyers(rec, m);
    if (v.isEmpty()) return -1;
    // "12.0" from a numeric field with decimals is 12.
    if (const qsizetype dot = v.indexOf('.'); dot >= 0) {
        for (char c : v.sliced(dot + 1))
            if (c != '0') hiba(recno, m, rec, nemEgesz());
        v = v.first(dot);
    }
    qint64 n = 0;
    if (v.isEmpty() || v.size() > 15) hiba(recno, m, rec, nemEgesz());
    for (char c : v) {
        if (!szamjegy(c)) hiba(recno, m, rec, nemEgesz());
        n = n * 10 + (c - '0');
    }
    return n;
}

qint64 Forras::kotelezoEgesz(std::uint32_t recno, const engine::RecordView& rec,
                             const Mezo& m) const {
    const qint64 n = egesz(recno, rec, m);
    if (n < 0) hiba(recno, m, rec, kitoltendo());
    return n;
}

core::Idoszak Forras::idoszak(std::uint32_t recno, const engine::RecordView& rec,
                              const Mezo& m) const {
    const QByteArrayView v = nyers(rec, m);
    // The rows of one period mostly follow each other.
    if (utolsoErtek_.isValid() && v == utolsoIdoszak_) return utolsoErtek_;
    // Only digits and the point: any other byte makes no period either.
    for (char c : v)
        if (!szamjegy(c) && c != '.') hiba(recno, m, rec, nemIdoszak());
    const std::optional<core::Idoszak> p = db::kuldIdoszak(QString::fromLatin1(v.data(), v.size()));
    if (!p) hiba(recno, m, rec, nemIdoszak());
    utolsoIdoszak_ = v.toByteArray();
    utolsoErtek_ = *p;
    return *p;
}

int Forras::datum(std::uint32_t recno, const engine::RecordView& rec, const Mezo& m) const {
    const QByteArrayView s = rec.stored(m.i);
    if (m.type == 'D') {
        if (rec.isBlank(m.i)) return 0;
        const int n = valodiNap(s.data());
        if (n < 0) hiba(recno, m, rec, nemDatum());
        return n;
    }
    const std::optional<QDate> d = szovegDatum(engine::decode852(s.data(), int(s.size())));
    if (!d || (d->isValid() && d->year() < 1000)) hiba(recno, m, rec, nemDatum());
    return d->isValid() ? d->year() * 10000 + d->month() * 100 + d->day() : 0;
}

QByteArrayView Forras::szoveg(std::uint32_t recno, const engine::RecordView& rec, const Mezo& m,
                              const Mezo& d, bool digits) const {
    QByteArrayView v;
    if (m.type == 'N' || m.type == 'F') {
        v = nyers(rec, m);
    } else {
        const QByteArrayView s = rec.stored(m.i);
        int n = int(s.size());
        const char* p = s.data();
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        v = QByteArrayView(p, n);
    }
    bool jo = v.size() <= d.width;
    const auto& vez = vezerlok();
    qsizetype i = 0;
    if (digits)
        while (i < v.size() && v[i] == ' ')
            ++i;
    for (; jo && i < v.size(); ++i)
        jo = !vez[quint8(v[i])] && (!digits || szamjegy(v[i]));
    if (!jo) nemFer(recno, m, rec, engine::decode852(v.data(), int(v.size())), d, digits);
    return v;
}

// ---------------------------------------------------------------- writing

namespace {

// A whole number into a numeric column, right-aligned: refused when it has
// more digits than the column.
void szam(const Forras& f, std::uint32_t recno, const engine::RecordView& in, const Mezo& src,
          char* out, const Mezo& d, qint64 n) {
    if (n < 0) return; // blank
    const QByteArray t = QByteArray::number(n);
    if (t.size() > d.width) f.nemFer(recno, src, in, QString::fromLatin1(t), d, true);
    std::memcpy(out + d.off + d.width - t.size(), t.constData(), size_t(t.size()));
}

// A whole number's digits, refused when there are more than `width` (at
// most the column's): a serial number is never cut to fit.
QByteArray szamjegyek(const Forras& f, std::uint32_t recno, const engine::RecordView& in,
                      const Mezo& src, const Mezo& d, qint64 n, int width = 0) {
    Mezo hely = d;
    if (width > 0) hely.width = std::min(width, d.width);
    QByteArray t = QByteArray::number(n);
    if (t.size() > hely.width) f.nemFer(recno, src, in, QString::fromLatin1(t), hely, true);
    return t.rightJustified(hely.width, '0');
}

} // namespace

void ferBe(const Forras& f, std::uint32_t recno, const engine::RecordView& in, const Mezo& src,
           const Mezo& d, qint64 n) {
    int jegyek = 1;
    for (qint64 k = n; k >= 10; k /= 10)
        ++jegyek;
    if (jegyek > d.width) szamjegyek(f, recno, in, src, d, n);
}

void nullas(const Forras& f, std::uint32_t recno, const engine::RecordView& in, const Mezo& src,
            char* out, const Mezo& d, qint64 n, int width) {
    if (n < 0) return;
    const QByteArray z = szamjegyek(f, recno, in, src, d, n, width);
    std::memcpy(out + d.off, z.constData(), size_t(z.size()));
}

void masol(const Forras& f, std::uint32_t recno, const engine::RecordView& in, char* out,
           const std::vector<Masolas>& lista) {
    for (const Masolas& m : lista) {
        if (!m.src.ok()) continue;
        switch (m.dst.type) {
        case 'D': {
            int d = f.datum(recno, in, m.src);
            if (d == 0) break;
            for (int i = 7; i >= 0; --i, d /= 10)
                out[m.dst.off + i] = char('0' + d % 10);
            break;
        }
        case 'N': {
            // Plain digits that fit are copied right-aligned as they are.
            const QByteArrayView v = nyers(in, m.src);
            bool digits = v.size() <= m.dst.width;
            for (char ch : v)
                digits = digits && szamjegy(ch);
            if (digits)
                std::memcpy(out + m.dst.off + m.dst.width - v.size(), v.data(), size_t(v.size()));
            else
                szam(f, recno, in, m.src, out, m.dst, f.egesz(recno, in, m.src));
            break;
        }
        default:
            if (m.szamHossz > 0 && m.src.type == 'N') {
                const qint64 n = f.egesz(recno, in, m.src);
                if (n > 0) nullas(f, recno, in, m.src, out, m.dst, n, m.szamHossz);
            } else {
                Cel::szoveg(out, m.dst, f.szoveg(recno, in, m.src, m.dst, m.szamHossz > 0));
            }
        }
    }
}

std::vector<Masolas> masolasok(const Forras& f, const Cel& c,
                               const std::vector<db::KuldMezo>& lista, db::KuldTabla tabla) {
    using db::Visszavetel;
    std::vector<Masolas> out;
    for (const db::KuldMezo& k : lista) {
        const bool sajat =
            k.tabla == tabla && (k.vissza == Visszavetel::Masol || k.vissza == Visszavetel::Kulcs ||
                                 k.vissza == Visszavetel::Taj);
        const bool kulcs = tabla == db::KuldTabla::Elrend && k.vissza == Visszavetel::Kulcs;
        if (!sajat && !kulcs) continue;
        Masolas m{f.m(k.mezo), c.m(k.oszlop), k.vissza == Visszavetel::Taj ? db::kTajHossz : 0};
        if (m.dst.ok()) out.push_back(m);
    }
    return out;
}

namespace {

// The header bytes of a table file, for a new file of the same layout.
QByteArray fejlec(const engine::Table& t) {
    QFile f(t.path());
    if (!f.open(QIODevice::ReadOnly))
        throw engine::DbError(engine::DbError::Kind::Io, t.path(), QStringLiteral("nem olvasható"));
    return f.read(t.header().headerLength);
}

} // namespace

std::unique_ptr<engine::TableBuilder> ujTabla(const engine::Table& t) {
    return std::make_unique<engine::TableBuilder>(t.path(), t.header(), fejlec(t),
                                                  QStringLiteral(".uj"));
}

// ---------------------------------------------------------------- keys

bool kisebb(const Kulcs& a, const Kulcs& b) {
    if (a.p != b.p) return a.p < b.p;
    if (a.sorszam != b.sorszam) return a.sorszam < b.sorszam;
    if (a.resz != b.resz) return quint8(a.resz) < quint8(b.resz);
    if (a.nap != b.nap) return a.nap < b.nap;
    return a.recno < b.recno;
}

quint64 lapKulcs(core::Idoszak p, qint64 sorszam, char resz) {
    const quint64 honap = quint64(p.year()) * 12 + quint64(p.month() - 1);
    return honap << 40 | quint64(sorszam & 0xFFFFFFFF) << 8 | quint8(resz);
}

QString lapNeve(const Kulcs& k) {
    QString s = nullakkal(k.sorszam);
    if (k.resz != ' ') s += QLatin1Char('/') + engine::decode852(&k.resz, 1);
    return QStringLiteral("a(z) %1 sorszámú, %2 időszaki lap").arg(s, k.p.text());
}

} // namespace exch
