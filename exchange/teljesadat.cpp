#include "exchange/teljesadat.h"

#include "core/appstate.h"
#include "core/kozos.h"
#include "engine/changeunit.h"
#include "engine/codepage.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fieldcodec.h"
#include "engine/outsidefile.h"
#include "engine/tablebuilder.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/ravfajl.h"
#include "ui/fieldrule.h"
#include "ui/folderbrowser.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <unordered_set>
#include <vector>

namespace exchange {

namespace {

const QString kFolyamatban =
    QStringLiteral("A teljes adatállomány beolvasása folyamatban. Kis türelmet kérek...!!");

// Where a field lies in a raw record.
struct Mezo {
    int off = -1, width = 0;
    char type = 'C';
    QString name;
    bool ok() const { return off >= 0; }
    engine::FieldDef def() const {
        engine::FieldDef f;
        f.name = name;
        f.type = type;
        f.width = width;
        f.offset = off;
        return f;
    }
};

Mezo mezo(const std::vector<engine::FieldDef>& fields, const QString& name) {
    for (const engine::FieldDef& f : fields)
        if (f.name.compare(name, Qt::CaseInsensitive) == 0)
            return {f.offset, f.width, f.type, f.name};
    return {};
}

// The field's bytes without blanks and NULs on either side.
QByteArrayView nyers(const char* rec, const Mezo& f) {
    const char* p = rec + f.off;
    int a = 0, n = f.width;
    while (a < n && (p[a] == ' ' || p[a] == 0))
        ++a;
    while (n > a && (p[n - 1] == ' ' || p[n - 1] == 0))
        --n;
    return QByteArrayView(p + a, n - a);
}

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

bool szamjegy(char c) {
    return c >= '0' && c <= '9';
}

// The dates found real (kozos::datumjo), as yyyyMMdd: a bit per day of the
// years 1000 to 2999 (31 days to every month), a set beyond them. Whether a
// day is real never changes, so the memo serves every import of the run
// (all on the one thread).
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

ValodiNapok& valodiNapok() {
    static ValodiNapok v;
    return v;
}

// One of the office's files, its records in an order of our choosing.
struct Forras {
    std::unique_ptr<RavFajl> f;
    const engine::Table* t = nullptr;
    Forras(const QString& path, const QStringList& needed, const QString& shown) {
        f = std::make_unique<RavFajl>(path, needed, shown);
        t = &f->table();
    }
    Mezo m(const char* name) const { return mezo(t->fields(), QLatin1String(name)); }

    [[noreturn]] void hiba(std::uint32_t recno, const Mezo& m, const char* rec,
                           const QString& why) const {
        throw RavHiba(hibasErtekSzoveg(f->name(), recno, m.name, talaltErtek(m.def(), rec), why));
    }
    // Why a value that does not fit the local column `d` is refused: the
    // typed field's message.
    [[noreturn]] void nemFer(std::uint32_t recno, const Mezo& m, const char* rec, const QString& v,
                             const Mezo& d, bool digits) const {
        QString why = ertekHiba(v, m.name, d.def(), digits);
        if (why.isEmpty()) why = ertekHiba(v, m.name, d.def(), true);
        hiba(recno, m, rec, why);
    }
    // A whole number; -1 when blank.
    qint64 egesz(std::uint32_t recno, const char* rec, const Mezo& m) const {
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
    // A whole number that must be there.
    qint64 kotelezoEgesz(std::uint32_t recno, const char* rec, const Mezo& m) const {
        const qint64 n = egesz(recno, rec, m);
        if (n < 0) hiba(recno, m, rec, kitoltendo());
        return n;
    }
    // A period as months since year 0, "YYYYMM" or "YYYY.MM".
    int idoszak(std::uint32_t recno, const char* rec, const Mezo& m) const {
        const QByteArrayView v = nyers(rec, m);
        int digits[6], n = 0;
        for (char c : v) {
            if (szamjegy(c)) {
                if (n == 6) hiba(recno, m, rec, nemIdoszak());
                digits[n++] = c - '0';
            } else if (!(c == '.' && n == 4)) {
                hiba(recno, m, rec, nemIdoszak());
            }
        }
        if (n != 6) hiba(recno, m, rec, nemIdoszak());
        const int ev = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
        const int ho = digits[4] * 10 + digits[5];
        if (ev < 1 || ho < 1 || ho > 12) hiba(recno, m, rec, nemIdoszak());
        return ev * 12 + ho - 1;
    }
    // A real date as the number yyyyMMdd (0: blank), from a date field or a
    // date written as text.
    int datum(std::uint32_t recno, const char* rec, const Mezo& m) const {
        if (m.type == 'D') {
            const char* p = rec + m.off;
            if (engine::isBlankBytes(p, 8)) return 0;
            int n = 0;
            for (int i = 0; i < 8; ++i) {
                if (!szamjegy(p[i])) hiba(recno, m, rec, nemDatum());
                n = n * 10 + (p[i] - '0');
            }
            ValodiNapok& napok = valodiNapok();
            if (!napok.ismert(n)) {
                if (!kozos::datumjo(QString::fromLatin1(p, 4) + QLatin1Char('.') +
                                    QString::fromLatin1(p + 4, 2) + QLatin1Char('.') +
                                    QString::fromLatin1(p + 6, 2)))
                    hiba(recno, m, rec, nemDatum());
                napok.jegyez(n);
            }
            return n;
        }
        const QString t = engine::decode852(rec + m.off, m.width);
        for (const QChar c : t)
            if (ui::isControl(c)) hiba(recno, m, rec, nemDatum());
        if (kozos::ures(t)) return 0;
        bool blank = false;
        const QDate d = engine::parseDateText(t, &blank);
        if (blank || !d.isValid() || d.year() < 1000) hiba(recno, m, rec, nemDatum());
        return d.year() * 10000 + d.month() * 100 + d.day();
    }
    // A text for the local column `d`, checked as a typed text: no control
    // character, at most `d`'s width, digits only when `digits`. The bytes
    // without the padding on the right (and, from a numeric field, on the
    // left); what stands before a text is its own.
    QByteArrayView szoveg(std::uint32_t recno, const char* rec, const Mezo& m, const Mezo& d,
                          bool digits = false) const {
        QByteArrayView v;
        if (m.type == 'N' || m.type == 'F') {
            v = nyers(rec, m);
        } else {
            int n = m.width;
            const char* p = rec + m.off;
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
};

QString periodText(int idx) {
    return core::Idoszak(idx / 12, idx % 12 + 1).text();
}

// Writing fields of a record of a local table (filled with blanks first).
// The values are checked before they come here.
struct Cel {
    const std::vector<engine::FieldDef>* fields;
    Mezo m(const char* name) const { return mezo(*fields, QLatin1String(name)); }

    static void szoveg(char* rec, const Mezo& d, QByteArrayView v) {
        memcpy(rec + d.off, v.data(), size_t(std::min<qsizetype>(v.size(), d.width)));
    }
};

// A whole number into a numeric column, right-aligned: refused when it has
// more digits than the column.
void szam(const Forras& f, std::uint32_t recno, const char* in, const Mezo& src, char* out,
          const Mezo& d, qint64 n) {
    if (n < 0) return; // blank
    const QByteArray t = QByteArray::number(n);
    if (t.size() > d.width) f.nemFer(recno, src, in, QString::fromLatin1(t), d, true);
    memcpy(out + d.off + d.width - t.size(), t.constData(), size_t(t.size()));
}

// A whole number's digits, refused when there are more than `width` (at
// most the column's): a serial number is never cut to fit.
QByteArray szamjegyek(const Forras& f, std::uint32_t recno, const char* in, const Mezo& src,
                      const Mezo& d, qint64 n, int width = 0) {
    Mezo hely = d;
    if (width > 0) hely.width = std::min(width, d.width);
    QByteArray t = QByteArray::number(n);
    if (t.size() > hely.width) f.nemFer(recno, src, in, QString::fromLatin1(t), hely, true);
    return t.rightJustified(hely.width, '0');
}

// A key's whole number checked for its text column: refused when it has
// more digits than the column is wide.
void ferBe(const Forras& f, std::uint32_t recno, const char* in, const Mezo& src, const Mezo& d,
           qint64 n) {
    int jegyek = 1;
    for (qint64 k = n; k >= 10; k /= 10)
        ++jegyek;
    if (jegyek > d.width) szamjegyek(f, recno, in, src, d, n);
}

// A whole number into a text column as digits filled with "0" to `width`
// (at most the column's); blank when n < 0.
void nullas(const Forras& f, std::uint32_t recno, const char* in, const Mezo& src, char* out,
            const Mezo& d, qint64 n, int width = 0) {
    if (n < 0) return;
    const QByteArray z = szamjegyek(f, recno, in, src, d, n, width);
    memcpy(out + d.off, z.constData(), size_t(z.size()));
}

// Copies a field of the same meaning: text as bytes, numbers re-justified,
// dates as dates, each checked for its column. `szamHossz` > 0: a number
// becomes a text of that many digits filled with "0" (a TAJ number sent as a
// number lost its zero), and a text must be digits.
struct Masolas {
    Mezo src, dst;
    int szamHossz = 0;
};

void masol(const Forras& f, std::uint32_t recno, const char* in, char* out,
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
                memcpy(out + m.dst.off + m.dst.width - v.size(), v.data(), size_t(v.size()));
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
                               std::initializer_list<std::pair<const char*, const char*>> parok,
                               std::initializer_list<const char*> tajok = {}) {
    std::vector<Masolas> out;
    for (const auto& [d, s] : parok) {
        Masolas m{f.m(s), c.m(d), 0};
        for (const char* t : tajok)
            if (qstrcmp(t, d) == 0) m.szamHossz = 9;
        if (m.dst.ok()) out.push_back(m);
    }
    return out;
}

// The header bytes of a table file, for a new file of the same layout.
QByteArray fejlec(const engine::Table& t) {
    QFile f(t.path());
    if (!f.open(QIODevice::ReadOnly))
        throw engine::DbError(engine::DbError::Kind::Io, t.path(), QStringLiteral("nem olvasható"));
    return f.read(t.header().headerLength);
}

std::unique_ptr<engine::TableBuilder> ujTabla(const engine::Table& t) {
    return std::make_unique<engine::TableBuilder>(t.path(), t.header(), fejlec(t),
                                                  QStringLiteral(".uj"));
}

struct Kulcs {
    int p;
    qint64 sorszam;
    char resz;
    int nap; // visits only: yyyyMMdd as a number
    std::uint32_t recno;

    bool ugyanaz(const Kulcs& o) const {
        return p == o.p && sorszam == o.sorszam && resz == o.resz && nap == o.nap;
    }
};

quint64 lapKulcs(int p, qint64 sorszam, char resz) {
    return quint64(p) << 40 | quint64(sorszam & 0xFFFFFFFF) << 8 | quint8(resz);
}

// A sheet as messages name it: "00007", "00030/A", and its period.
QString lapNeve(const Kulcs& k) {
    QString s = nullakkal(k.sorszam);
    if (k.resz != ' ') s += QLatin1Char('/') + engine::decode852(&k.resz, 1);
    return QStringLiteral("a(z) %1 sorszámú, %2 időszaki lap").arg(s, periodText(k.p));
}

// The part of a sheet's key as one byte: blank when empty.
char reszBajt(QByteArrayView v) {
    return v.isEmpty() ? ' ' : v[0];
}

} // namespace

QString TeljesOsszegzes::text() const {
    using ui::formatInteger;
    return QStringLiteral("Legutolsó időszak: %1\r").arg(utolso.text()) +
           QStringLiteral("Visszatöltött lapok: %1\r").arg(formatInteger(lapok)) +
           QStringLiteral("2005.02 előtti lapok (kimaradtak): %1\r")
               .arg(formatInteger(korabbiLapok)) +
           QStringLiteral("Visszatöltött vizitsorok: %1\r").arg(formatInteger(vizitek)) +
           QStringLiteral("Beírt diagnózisok: %1\r").arg(formatInteger(diagnozisok)) +
           QStringLiteral("Lap nélküli diagnózisok: %1\r").arg(formatInteger(arvaDiagnozis)) +
           QStringLiteral("Teljes részszámla-sorozatok: %1\r").arg(formatInteger(teljesSorozat)) +
           QStringLiteral("Lecserélt táblák: LAP, LAPB, ELREND\r");
}

void TeljesAdat::Teljesadatllomnybeolvassa1Click() {
    if (!st_.msg.confirm(
            QStringLiteral("A teljes adatállományt lecseréljük! Rendben? \r"
                           "Figyelem!!  Ez a művelet hosszú ideig tart, akár több percet is "
                           "igénybe vehet! "))) {
        st_.msg.warning(QStringLiteral("Az adatfelülírás elmaradt!"));
        return;
    }
    const ui::FolderChoice c = folders_.chooseFolder(
        QStringLiteral("Beolvasás helyének kiválasztása"), QStringLiteral("S"));
    if (!c.chosen || c.dir.isEmpty()) return;
    beolvas(c.dir);
}

bool TeljesAdat::beolvas(const QString& dir) {
    osszegzes_ = {};
    zaroUzenet_.clear();
    const QString kod = intkod(st_);
    const QString archivum = engine::findFileNoCase(QDir(dir).filePath("Telj" + kod + ".arj"));
    if (!QFileInfo::exists(archivum)) {
        st_.msg.error(QStringLiteral("Nincs a megadott helyen beolvasandó állomány !!\r"
                                     "A teljes adatállomány beolvasása megszakadt!!"));
        return false;
    }
    // The archive's copy and its files in a folder of their own under TEMP,
    // removed with everything in it however the import ends.
    const db::UnpackFolder munka(st_.tempkonyvtar);
    const QString masolat = munka.filePath("Telj" + kod + ".arj");
    const QStringList nevek = {"Aa" + kod + ".dbf", "Ab" + kod + ".dbf", "Ac" + kod + ".dbf"};
    bool masolva = munka.ok();
    try {
        if (masolva) engine::TableBuilder::copyFile(archivum, masolat);
    } catch (const engine::DbError&) {
        masolva = false;
    }
    if (!masolva) {
        st_.msg.error(QStringLiteral("Hiba a mentésben"));
        return false;
    }
    szakasz(QStringLiteral("Kicsomagolás"));
    QCoreApplication::processEvents();
    st_.msg.status(0, kFolyamatban);
    // Only the three files, nothing beside them, each once.
    const db::ArjResult kibontva = arj_.unpack(masolat, munka.unpackDir(), nevek);
    if (kibontva.outcome == db::ArjOutcome::Cancelled) {
        st_.msg.warning(kibontva.message());
        return false;
    }
    if (!kibontva) {
        st_.msg.error(kibontva.message());
        return false;
    }
    QStringList utak;
    for (const QString& n : nevek) {
        const QString p = engine::findFileNoCase(QDir(munka.unpackDir()).filePath(n));
        if (!QFileInfo::exists(p)) {
            st_.msg.error(
                QStringLiteral("Hiba a lefutásban\rA(z) %1 állomány nincs az archívumban!").arg(n));
            return false;
        }
        utak << p;
    }
    try {
        for (const QString& u : utak)
            engine::checkOutsideTable(u);
        if (!csere(utak[0], utak[1], utak[2])) return false;
    } catch (const RavHiba& e) {
        st_.msg.error(e.text());
        return false;
    } catch (const engine::DbError& e) {
        st_.msg.error(QStringLiteral("Hiba a lefutásban\r") + e.text());
        return false;
    }
    st_.msg.status(0, QString());
    zaroUzenet_ =
        QStringLiteral("A teljes adatállomány cseréje befejeződött!\r") + osszegzes_.text();
    st_.msg.information(zaroUzenet_);
    return true;
}

bool teljesOlvas(const QString& aaPath, const QString& abPath, const QString& acPath,
                 const TeljesCel& cel, TeljesOsszegzes& osszegzes) {
    osszegzes = {};
    auto szakasz = [&](const QString& s) {
        if (cel.szakasz) cel.szakasz(s);
    };
    auto allapot = [&](const QString& s) {
        if (cel.allapot) cel.allapot(s);
    };
    const int elso = core::hatar::ujLapforma.year() * 12 + core::hatar::ujLapforma.month() - 1;

    // --- the files, checked whole
    Forras aa(aaPath, {"IDOSZAK",  "ULVKOD", "SORSZAM",  "RESZ",    "TAJ",      "KOZIGKOD",
                       "TEVKODOK", "TERPOT", "ELBOCS",   "APNAP",   "ORVOSKOD", "ELSZVIZ",
                       "ELSZAM",   "LEZDAT", "OVIZITDB", "ALLAPOT", "JORVKOD",  "ELREND",
                       "SZAKVET",  "GYAK",   "ELVIZDB",  "ENGSZAM", "ENGDAT"},
              QFileInfo(aaPath).fileName());
    Forras ab(abPath,
              {"IDOSZAK", "ULVKOD", "SORSZAM", "RESZ", "TEVKOD", "ELLTIP", "ONKEP", "DATUMTOL",
               "APTAJ", "VIZITDB", "ELSZIDO"},
              QFileInfo(abPath).fileName());
    Forras ac(acPath, {"IDOSZAK", "SORSZAM", "RESZ", "BNOTIP", "BNOKOD"},
              QFileInfo(acPath).fileName());

    const Cel lapCel{cel.lap};
    const Cel rendCel{cel.elrend};
    const Cel lapbCel{cel.lapb};
    const int lapHossz = cel.lapHossz;
    const Mezo lIdo = lapCel.m("IDOSZAK"), lSorsz = lapCel.m("SORSZ"), lTpotl = lapCel.m("TPOTL"),
               lOrvos = lapCel.m("ORVOSKOD"), lAllapot = lapCel.m("ALLAPOT"),
               lKuld = lapCel.m("ELKULDVE"), lResz = lapCel.m("RESZ"), lSzviz = lapCel.m("SZVIZ"),
               lTele = lapCel.m("TELE");

    // --- sheets, in the order of period, serial and part
    szakasz(QStringLiteral("Lapok"));
    const Mezo aIdo = aa.m("IDOSZAK"), aSor = aa.m("SORSZAM"), aResz = aa.m("RESZ"),
               aUlv = aa.m("ULVKOD");
    std::vector<Kulcs> lapSorrend;
    int utolso = -1;
    for (std::uint32_t r = 1; r <= aa.t->fileRecordCount(); ++r) {
        const char* rec = aa.t->rawRecord(r);
        if (rec[0] == '*') continue;
        const int p = aa.idoszak(r, rec, aIdo);
        utolso = std::max(utolso, p);
        if (p < elso) {
            ++osszegzes.korabbiLapok;
            continue;
        }
        const qint64 s = aa.kotelezoEgesz(r, rec, aSor);
        ferBe(aa, r, rec, aSor, lSorsz, s);
        lapSorrend.push_back({p, s, reszBajt(aa.szoveg(r, rec, aResz, lResz)), 0, r});
    }
    auto kisebb = [](const Kulcs& a, const Kulcs& b) {
        if (a.p != b.p) return a.p < b.p;
        if (a.sorszam != b.sorszam) return a.sorszam < b.sorszam;
        if (a.resz != b.resz) return quint8(a.resz) < quint8(b.resz);
        if (a.nap != b.nap) return a.nap < b.nap;
        return a.recno < b.recno;
    };
    std::sort(lapSorrend.begin(), lapSorrend.end(), kisebb);
    if (lapSorrend.empty() || nyers(aa.t->rawRecord(lapSorrend.front().recno), aUlv).isEmpty())
        return false;
    // A sheet comes once: two rows of one key would be two sheets merged.
    for (size_t i = 1; i < lapSorrend.size(); ++i)
        if (lapSorrend[i].ugyanaz(lapSorrend[i - 1]))
            throw RavHiba(
                QStringLiteral("A(z) %1 állományban %2 kétszer szerepel (%3. és %4. sor)!")
                    .arg(aa.f->name(), lapNeve(lapSorrend[i]))
                    .arg(lapSorrend[i - 1].recno)
                    .arg(lapSorrend[i].recno));
    osszegzes.utolso = core::Idoszak(utolso / 12, utolso % 12 + 1);
    const int kuldesHatar = utolso - 3;
    // Each period's text and sending state, made once.
    std::vector<QByteArray> idoszakSzoveg(size_t(utolso - elso + 1)),
        kuldSzoveg(idoszakSzoveg.size());
    for (int p = elso; p <= utolso; ++p) {
        idoszakSzoveg[size_t(p - elso)] = periodText(p).toLatin1();
        kuldSzoveg[size_t(p - elso)] =
            p >= kuldesHatar ? idoszakSzoveg[size_t(p - elso)] : QByteArray("xxxx.xx");
    }
    // (a visit of a period after the sheets' latest one is its own)
    auto szoveg = [&](int p) {
        return p <= utolso ? idoszakSzoveg[size_t(p - elso)] : periodText(p).toLatin1();
    };
    auto elkuldve = [&](int p) { return p <= utolso ? kuldSzoveg[size_t(p - elso)] : szoveg(p); };

    const auto lapMasol = masolasok(aa, lapCel,
                                    {{"INTKOD", "ULVKOD"},
                                     {"FINKOD", "FINKOD"},
                                     {"RESZ", "RESZ"},
                                     {"TAJ", "TAJ"},
                                     {"KOZIGKOD", "KOZIGKOD"},
                                     {"TEVKODOK", "TEVKODOK"},
                                     {"ELB", "ELBOCS"},
                                     {"APNAP", "APNAP"},
                                     {"ELSZVIZ", "ELSZVIZ"},
                                     {"ELSZAM", "ELSZAM"},
                                     {"LEZDAT", "LEZDAT"},
                                     {"AZTIP", "AZTIP"},
                                     {"TERKAT", "TERKAT"},
                                     {"ALLAMP", "ALLAMP"},
                                     {"SZVIZ", "OVIZITDB"}},
                                    {"TAJ"});
    const auto rendMasol = masolasok(aa, rendCel,
                                     {{"INTKOD", "ULVKOD"},
                                      {"FINKOD", "FINKOD"},
                                      {"RESZ", "RESZ"},
                                      {"ELREND", "ELREND"},
                                      {"SZAKVET", "SZAKVET"},
                                      {"GYAK", "GYAK"},
                                      {"ELVIZDB", "ELVIZDB"},
                                      {"ENGSZAM", "ENGSZAM"},
                                      {"ENGDAT", "ENGDAT"}});
    const Mezo eIdo = rendCel.m("IDOSZAK"), eSorsz = rendCel.m("SORSZ"),
               eJorv = rendCel.m("JORVKOD"), eKuld = rendCel.m("ELKULDVE");
    const Mezo aTerpot = aa.m("TERPOT"), aOrvos = aa.m("ORVOSKOD"), aAllapot = aa.m("ALLAPOT"),
               aJorv = aa.m("JORVKOD");

    // LAP's records are kept until the diagnoses and series marks are in.
    QByteArray lapok(qsizetype(lapSorrend.size()) * lapHossz, ' ');
    QHash<quint64, int> lapIndex;
    lapIndex.reserve(qsizetype(lapSorrend.size()));
    QByteArray rend(cel.rendHossz, ' ');
    for (size_t i = 0; i < lapSorrend.size(); ++i) {
        const Kulcs& k = lapSorrend[i];
        const std::uint32_t r = k.recno;
        const char* in = aa.t->rawRecord(r);
        char* out = lapok.data() + qsizetype(i) * lapHossz;
        const QByteArray p = szoveg(k.p);
        const QByteArray kuld = elkuldve(k.p);
        masol(aa, r, in, out, lapMasol);
        Cel::szoveg(out, lIdo, p);
        nullas(aa, r, in, aSor, out, lSorsz, k.sorszam);
        const qint64 terpot = aa.egesz(r, in, aTerpot);
        Cel::szoveg(out, lTpotl, terpot == 1 ? "N" : "I");
        nullas(aa, r, in, aOrvos, out, lOrvos, aa.egesz(r, in, aOrvos));
        // "u" is the office's mark of a fully accounted sheet.
        const QByteArrayView all = nyers(in, aAllapot);
        if (all == "u")
            out[lAllapot.off] = char(0xFB);
        else
            Cel::szoveg(out, lAllapot, aa.szoveg(r, in, aAllapot, lAllapot));
        Cel::szoveg(out, lKuld, kuld);
        lapIndex.insert(lapKulcs(k.p, k.sorszam, k.resz), int(i));

        rend.fill(' ');
        masol(aa, r, in, rend.data(), rendMasol);
        Cel::szoveg(rend.data(), eIdo, p);
        nullas(aa, r, in, aSor, rend.data(), eSorsz, k.sorszam);
        const qint64 jorv = aa.egesz(r, in, aJorv);
        if (jorv > 0) nullas(aa, r, in, aJorv, rend.data(), eJorv, jorv);
        Cel::szoveg(rend.data(), eKuld, kuld);
        if (cel.rendSor) cel.rendSor(rend.constData());
    }
    osszegzes.lapok = int(lapSorrend.size());
    std::vector<Kulcs>().swap(lapSorrend);

    // --- visits, in the order of period, serial, part and day
    szakasz(QStringLiteral("Vizitek"));
    allapot(kFolyamatban);
    const Mezo bIdo = ab.m("IDOSZAK"), bSor = ab.m("SORSZAM"), bResz = ab.m("RESZ"),
               bDat = ab.m("DATUMTOL"), bElsz = ab.m("ELSZIDO");
    const Mezo vIdo = lapbCel.m("IDOSZAK"), vSorsz = lapbCel.m("SORSZ"), vResz = lapbCel.m("RESZ"),
               vElido = lapbCel.m("ELIDO"), vKuld = lapbCel.m("ELKULDVE");
    std::vector<Kulcs> vizitSorrend;
    vizitSorrend.reserve(ab.t->fileRecordCount());
    for (std::uint32_t r = 1; r <= ab.t->fileRecordCount(); ++r) {
        const char* rec = ab.t->rawRecord(r);
        if (rec[0] == '*') continue;
        const int p = ab.idoszak(r, rec, bIdo);
        if (p < elso) continue;
        const qint64 s = ab.kotelezoEgesz(r, rec, bSor);
        ferBe(ab, r, rec, bSor, vSorsz, s);
        const int nap = ab.datum(r, rec, bDat);
        if (nap == 0) ab.hiba(r, bDat, rec, kitoltendo());
        vizitSorrend.push_back({p, s, reszBajt(ab.szoveg(r, rec, bResz, vResz)), nap, r});
    }
    std::sort(vizitSorrend.begin(), vizitSorrend.end(), kisebb);
    // A sheet's visit day comes once.
    for (size_t i = 1; i < vizitSorrend.size(); ++i)
        if (vizitSorrend[i].ugyanaz(vizitSorrend[i - 1])) {
            const Kulcs& k = vizitSorrend[i];
            const QDate nap = QDate(k.nap / 10000, k.nap / 100 % 100, k.nap % 100);
            throw RavHiba(
                QStringLiteral("A(z) %1 állományban %2 %3-i vizitje kétszer szerepel "
                               "(%4. és %5. sor)!")
                    .arg(ab.f->name(), lapNeve(k), nap.toString(QStringLiteral("yyyy.MM.dd")))
                    .arg(vizitSorrend[i - 1].recno)
                    .arg(k.recno));
        }
    const auto lapbMasol = masolasok(ab, lapbCel,
                                     {{"INTKOD", "ULVKOD"},
                                      {"FINKOD", "FINKOD"},
                                      {"RESZ", "RESZ"},
                                      {"TEVKOD", "TEVKOD"},
                                      {"ELLTIP", "ELLTIP"},
                                      {"ONKEP", "ONKEP"},
                                      {"APDATUM", "DATUMTOL"},
                                      {"APTAJ", "APTAJ"},
                                      {"VIZITDB", "VIZITDB"}},
                                     {"APTAJ"});
    QByteArray viz(cel.lapbHossz, ' ');
    for (const Kulcs& k : vizitSorrend) {
        const std::uint32_t r = k.recno;
        const char* in = ab.t->rawRecord(r);
        viz.fill(' ');
        char* out = viz.data();
        masol(ab, r, in, out, lapbMasol);
        Cel::szoveg(out, vIdo, szoveg(k.p));
        nullas(ab, r, in, bSor, out, vSorsz, k.sorszam);
        const QByteArrayView elsz = nyers(in, bElsz);
        if (elsz.size() == 6 && std::all_of(elsz.begin(), elsz.end(), szamjegy) &&
            elsz.first(4) != "0000" &&
            ((elsz[4] == '0' && elsz[5] != '0') ||
             (elsz[4] == '1' && elsz[5] >= '0' && elsz[5] <= '2'))) {
            // "YYYYMM", the office's usual form, straight to "YYYY.MM".
            char e[7] = {elsz[0], elsz[1], elsz[2], elsz[3], '.', elsz[4], elsz[5]};
            Cel::szoveg(out, vElido, QByteArrayView(e, 7));
        } else if (!elsz.isEmpty()) {
            const std::optional<QString> e =
                elszamolasiIdoszak(engine::decode852(elsz.data(), int(elsz.size())));
            if (!e) ab.hiba(r, bElsz, in, nemIdoszak());
            Cel::szoveg(out, vElido, e->toLatin1());
        }
        Cel::szoveg(out, vKuld, elkuldve(k.p));
        if (cel.lapbSor) cel.lapbSor(out);
    }
    osszegzes.vizitek = int(vizitSorrend.size());
    std::vector<Kulcs>().swap(vizitSorrend);

    // --- diagnoses into their sheets, by kind
    szakasz(QStringLiteral("Diagnózisok"));
    const Mezo cIdo = ac.m("IDOSZAK"), cSor = ac.m("SORSZAM"), cResz = ac.m("RESZ"),
               cTip = ac.m("BNOTIP"), cKod = ac.m("BNOKOD");
    const Mezo bnoMezo[7] = {{},
                             lapCel.m("BNOKI"),
                             {},
                             lapCel.m("BNOFO"),
                             lapCel.m("BNOMELL"),
                             lapCel.m("BNOROV"),
                             lapCel.m("BNOELL")};
    Mezo bnoSzeles = bnoMezo[3];
    for (const Mezo& m : bnoMezo)
        if (m.ok() && m.width < bnoSzeles.width) bnoSzeles = m;
    // The kinds each sheet has got, and from which row.
    std::vector<std::array<std::uint32_t, 7>> tipusSor(size_t(osszegzes.lapok));
    for (std::uint32_t r = 1; r <= ac.t->fileRecordCount(); ++r) {
        const char* rec = ac.t->rawRecord(r);
        if (rec[0] == '*') continue;
        const int p = ac.idoszak(r, rec, cIdo);
        if (p < elso) continue;
        const qint64 s = ac.kotelezoEgesz(r, rec, cSor);
        ferBe(ac, r, rec, cSor, lSorsz, s);
        const char resz = reszBajt(ac.szoveg(r, rec, cResz, lResz));
        const qint64 tip = ac.egesz(r, rec, cTip);
        QByteArrayView kod = ac.szoveg(r, rec, cKod, bnoSzeles);
        while (!kod.isEmpty() && (kod[0] == ' ' || kod[0] == 0))
            kod = kod.sliced(1);
        const auto it = lapIndex.constFind(lapKulcs(p, s, resz));
        if (it == lapIndex.constEnd()) {
            ++osszegzes.arvaDiagnozis;
            continue;
        }
        if (tip < 1 || tip > 6 || !bnoMezo[tip].ok()) continue;
        std::uint32_t& elozo = tipusSor[size_t(*it)][size_t(tip)];
        if (elozo != 0)
            throw RavHiba(QStringLiteral("A(z) %1 állományban %2 %3. típusú (BNOTIP) diagnózisa "
                                         "kétszer szerepel (%4. és %5. sor)!")
                              .arg(ac.f->name(), lapNeve({p, s, resz, 0, r}))
                              .arg(tip)
                              .arg(elozo)
                              .arg(r));
        elozo = r;
        char* out = lapok.data() + qsizetype(*it) * lapHossz;
        memset(out + bnoMezo[tip].off, ' ', size_t(bnoMezo[tip].width));
        Cel::szoveg(out, bnoMezo[tip], kod);
        ++osszegzes.diagnozisok;
    }

    // --- complete partial-invoice series of the latest year: 14 visits
    szakasz(QStringLiteral("Részszámla-sorozatok"));
    allapot(QStringLiteral("A részszámlák bejegyzése folyamatban. Kis türelmet kérek...!!"));
    const int ev = utolso / 12;
    QHash<QByteArray, int> sorozat;
    const qsizetype n = qsizetype(osszegzes.lapok);
    auto evebe = [&](const char* rec) {
        return rec[lResz.off] != ' ' && QByteArrayView(rec + lIdo.off, 4) == QByteArray::number(ev);
    };
    auto szviz = [&](const char* rec) {
        return QByteArrayView(rec + lSzviz.off, lSzviz.width).trimmed().toInt();
    };
    for (qsizetype i = 0; i < n; ++i) {
        const char* rec = lapok.constData() + i * lapHossz;
        if (evebe(rec)) sorozat[QByteArray(rec + lSorsz.off, lSorsz.width)] += szviz(rec);
    }
    for (auto it = sorozat.cbegin(); it != sorozat.cend(); ++it)
        osszegzes.teljesSorozat += it.value() == 14;
    for (qsizetype i = 0; i < n; ++i) {
        char* rec = lapok.data() + i * lapHossz;
        if (evebe(rec) && sorozat.value(QByteArray(rec + lSorsz.off, lSorsz.width)) == 14)
            rec[lTele.off] = '*';
    }
    if (cel.lapSor)
        for (qsizetype i = 0; i < n; ++i)
            cel.lapSor(lapok.constData() + i * lapHossz);
    return true;
}

bool TeljesAdat::csere(const QString& aaPath, const QString& abPath, const QString& acPath) {
    auto& t = st_.tables;
    auto rendB = ujTabla(t.elrend);
    auto lapbB = ujTabla(t.lapb);
    auto lapB = ujTabla(t.lap);
    TeljesCel cel;
    cel.lap = &t.lap.fields();
    cel.elrend = &t.elrend.fields();
    cel.lapb = &t.lapb.fields();
    cel.lapHossz = t.lap.header().recordLength;
    cel.rendHossz = t.elrend.header().recordLength;
    cel.lapbHossz = t.lapb.header().recordLength;
    cel.lapSor = [&](const char* r) { lapB->addRaw(r); };
    cel.rendSor = [&](const char* r) { rendB->addRaw(r); };
    cel.lapbSor = [&](const char* r) { lapbB->addRaw(r); };
    cel.szakasz = [this](const QString& s) { szakasz(s); };
    cel.allapot = [this](const QString& s) { st_.msg.status(0, s); };
    if (!teljesOlvas(aaPath, abPath, acPath, cel, osszegzes_)) {
        st_.msg.error(QStringLiteral("Nincs elszámolt lap"));
        return false;
    }

    // --- the three tables put in place together
    szakasz(QStringLiteral("Táblák cseréje"));
    engine::ChangeUnit unit({&t.lap, &t.lapb, &t.elrend});
    t.lap.replaceWith(std::move(lapB));
    t.elrend.replaceWith(std::move(rendB));
    t.lapb.replaceWith(std::move(lapbB));
    unit.commit();
    return true;
}

} // namespace exchange
