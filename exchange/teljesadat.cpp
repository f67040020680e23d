#include "exchange/teljesadat.h"

#include "core/appstate.h"
#include "engine/changeunit.h"
#include "engine/codepage.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fieldcodec.h"
#include "engine/outsidefile.h"
#include "engine/tablebuilder.h"
#include "exchange/elszamoltlapok.h"
#include "exchange/ravfajl.h"
#include "ui/folderbrowser.h"
#include "ui/messages.h"
#include "ui/numberformat.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QHash>
#include <algorithm>
#include <cstring>
#include <memory>
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

// One of the office's files, its records in an order of our choosing.
struct Forras {
    std::unique_ptr<RavFajl> f;
    const engine::Table* t = nullptr;

    Forras(const QString& path, const QStringList& needed, const QString& shown) {
        f = std::make_unique<RavFajl>(path, needed, shown);
        t = &f->table();
    }
    Mezo m(const char* name) const { return mezo(t->fields(), QLatin1String(name)); }

    [[noreturn]] void hiba(std::uint32_t recno, const Mezo& m, const char* rec) const {
        throw RavHiba(QStringLiteral("A(z) %1 állomány %2. sorában hibás a(z) %3 mező: \"%4\"")
                          .arg(f->name())
                          .arg(recno)
                          .arg(m.name, engine::decode852(rec + m.off, m.width).trimmed()));
    }
    // A whole number; -1 when blank.
    qint64 egesz(std::uint32_t recno, const char* rec, const Mezo& m) const {
        QByteArrayView v = nyers(rec, m);
        if (v.isEmpty()) return -1;
        // "12.0" from a numeric field with decimals is 12.
        if (const qsizetype dot = v.indexOf('.'); dot >= 0) {
            for (char c : v.sliced(dot + 1))
                if (c != '0') hiba(recno, m, rec);
            v = v.first(dot);
        }
        qint64 n = 0;
        if (v.isEmpty() || v.size() > 15) hiba(recno, m, rec);
        for (char c : v) {
            if (c < '0' || c > '9') hiba(recno, m, rec);
            n = n * 10 + (c - '0');
        }
        return n;
    }
    // A period as months since year 0, "YYYYMM" or "YYYY.MM".
    int idoszak(std::uint32_t recno, const char* rec, const Mezo& m) const {
        const QByteArrayView v = nyers(rec, m);
        int digits[6], n = 0;
        for (char c : v) {
            if (c >= '0' && c <= '9') {
                if (n == 6) hiba(recno, m, rec);
                digits[n++] = c - '0';
            } else if (!(c == '.' && n == 4)) {
                hiba(recno, m, rec);
            }
        }
        if (n != 6) hiba(recno, m, rec);
        const int ev = digits[0] * 1000 + digits[1] * 100 + digits[2] * 10 + digits[3];
        const int ho = digits[4] * 10 + digits[5];
        if (ev < 1 || ho < 1 || ho > 12) hiba(recno, m, rec);
        return ev * 12 + ho - 1;
    }
    // A date as yyyyMMdd bytes (blank: empty).
    QByteArray datum(std::uint32_t recno, const char* rec, const Mezo& m) const {
        if (m.type == 'D') {
            const QByteArrayView v = nyers(rec, m);
            return v.isEmpty() ? QByteArray() : QByteArray(rec + m.off, 8);
        }
        bool blank = false;
        const QDate d = engine::parseDateText(engine::decode852(rec + m.off, m.width), &blank);
        if (blank) return {};
        if (!d.isValid()) hiba(recno, m, rec);
        return d.toString(QStringLiteral("yyyyMMdd")).toLatin1();
    }
};

QString periodText(int idx) {
    return core::Idoszak(idx / 12, idx % 12 + 1).text();
}

// Writing fields of a record of a local table (filled with blanks first).
struct Cel {
    const std::vector<engine::FieldDef>* fields;
    QString path;
    Mezo m(const char* name) const { return mezo(*fields, QLatin1String(name)); }

    static void szoveg(char* rec, const Mezo& d, QByteArrayView v) {
        memcpy(rec + d.off, v.data(), size_t(std::min<qsizetype>(v.size(), d.width)));
    }
    void szam(char* rec, const Mezo& d, qint64 n) const {
        if (n < 0) return; // blank
        const QByteArray t = QByteArray::number(n);
        if (t.size() > d.width)
            throw engine::DbError(engine::DbError::Kind::Value, path,
                                  QStringLiteral("a(z) %1 értéke (%2) nem fér el")
                                      .arg(d.name, QString::fromLatin1(t)));
        memcpy(rec + d.off + d.width - t.size(), t.constData(), size_t(t.size()));
    }
    static void nullas(char* rec, const Mezo& d, qint64 n) {
        if (n < 0) return;
        const QByteArray t = QByteArray::number(n).rightJustified(d.width, '0');
        memcpy(rec + d.off, t.constData(), size_t(std::min<qsizetype>(t.size(), d.width)));
    }
};

// Copies a field of the same meaning: text as bytes, numbers re-justified,
// dates as dates. `szamHossz` > 0: a number becomes a text of that many
// digits filled with "0" (a TAJ number sent as a number lost its zero).
struct Masolas {
    Mezo src, dst;
    int szamHossz = 0;
};

void masol(const Forras& f, std::uint32_t recno, const char* in, const Cel& c, char* out,
           const std::vector<Masolas>& lista) {
    for (const Masolas& m : lista) {
        if (!m.src.ok()) continue;
        switch (m.dst.type) {
        case 'D': {
            if (m.src.type == 'D') {
                // A date field's bytes are the date (or blanks).
                memcpy(out + m.dst.off, in + m.src.off, 8);
                break;
            }
            const QByteArray d = f.datum(recno, in, m.src);
            if (!d.isEmpty()) memcpy(out + m.dst.off, d.constData(), 8);
            break;
        }
        case 'N': {
            // Plain digits that fit are copied right-aligned as they are.
            const QByteArrayView v = nyers(in, m.src);
            bool digits = v.size() <= m.dst.width;
            for (char ch : v)
                digits = digits && ch >= '0' && ch <= '9';
            if (digits)
                memcpy(out + m.dst.off + m.dst.width - v.size(), v.data(), size_t(v.size()));
            else
                c.szam(out, m.dst, f.egesz(recno, in, m.src));
            break;
        }
        default:
            if (m.szamHossz > 0 && m.src.type == 'N') {
                const qint64 n = f.egesz(recno, in, m.src);
                if (n > 0) Cel::nullas(out, {m.dst.off, m.szamHossz, 'C', {}}, n);
            } else {
                // Leading blanks of a text are the text's own.
                const char* p = in + m.src.off;
                int n = m.src.width;
                while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
                    --n;
                Cel::szoveg(out, m.dst, QByteArrayView(p, n));
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
};

quint64 lapKulcs(int p, qint64 sorszam, char resz) {
    return quint64(p) << 40 | quint64(sorszam & 0xFFFFFFFF) << 8 | quint8(resz);
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

bool TeljesAdat::csere(const QString& aaPath, const QString& abPath, const QString& acPath) {
    osszegzes_ = {};
    auto& t = st_.tables;
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
            ++osszegzes_.korabbiLapok;
            continue;
        }
        const qint64 s = aa.egesz(r, rec, aSor);
        if (s < 0) aa.hiba(r, aSor, rec);
        lapSorrend.push_back({p, s, rec[aResz.off], 0, r});
    }
    auto kisebb = [](const Kulcs& a, const Kulcs& b) {
        if (a.p != b.p) return a.p < b.p;
        if (a.sorszam != b.sorszam) return a.sorszam < b.sorszam;
        if (a.resz != b.resz) return quint8(a.resz) < quint8(b.resz);
        if (a.nap != b.nap) return a.nap < b.nap;
        return a.recno < b.recno;
    };
    std::sort(lapSorrend.begin(), lapSorrend.end(), kisebb);
    if (lapSorrend.empty() || nyers(aa.t->rawRecord(lapSorrend.front().recno), aUlv).isEmpty()) {
        st_.msg.error(QStringLiteral("Nincs elszámolt lap"));
        return false;
    }
    osszegzes_.utolso = core::Idoszak(utolso / 12, utolso % 12 + 1);
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

    const Cel lapCel{&t.lap.fields(), t.lap.path()};
    const Cel rendCel{&t.elrend.fields(), t.elrend.path()};
    const Cel lapbCel{&t.lapb.fields(), t.lapb.path()};
    const int lapHossz = t.lap.header().recordLength;
    const int rendHossz = t.elrend.header().recordLength;

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
    const Mezo lIdo = lapCel.m("IDOSZAK"), lSorsz = lapCel.m("SORSZ"), lTpotl = lapCel.m("TPOTL"),
               lOrvos = lapCel.m("ORVOSKOD"), lAllapot = lapCel.m("ALLAPOT"),
               lKuld = lapCel.m("ELKULDVE"), lResz = lapCel.m("RESZ"), lSzviz = lapCel.m("SZVIZ"),
               lTele = lapCel.m("TELE");
    const Mezo eIdo = rendCel.m("IDOSZAK"), eSorsz = rendCel.m("SORSZ"),
               eJorv = rendCel.m("JORVKOD"), eKuld = rendCel.m("ELKULDVE");
    const Mezo aTerpot = aa.m("TERPOT"), aOrvos = aa.m("ORVOSKOD"), aAllapot = aa.m("ALLAPOT"),
               aJorv = aa.m("JORVKOD");

    // LAP's records are kept until the diagnoses and series marks are in.
    QByteArray lapok(qsizetype(lapSorrend.size()) * lapHossz, ' ');
    QHash<quint64, int> lapIndex;
    lapIndex.reserve(qsizetype(lapSorrend.size()));
    auto rendB = ujTabla(t.elrend);
    QByteArray rend(rendHossz, ' ');
    for (size_t i = 0; i < lapSorrend.size(); ++i) {
        const Kulcs& k = lapSorrend[i];
        const char* in = aa.t->rawRecord(k.recno);
        char* out = lapok.data() + qsizetype(i) * lapHossz;
        const QByteArray p = szoveg(k.p);
        const QByteArray kuld = elkuldve(k.p);
        masol(aa, k.recno, in, lapCel, out, lapMasol);
        Cel::szoveg(out, lIdo, p);
        Cel::nullas(out, lSorsz, k.sorszam);
        const qint64 terpot = aa.egesz(k.recno, in, aTerpot);
        Cel::szoveg(out, lTpotl, terpot == 1 ? "N" : "I");
        Cel::nullas(out, lOrvos, aa.egesz(k.recno, in, aOrvos));
        const QByteArrayView allapot = nyers(in, aAllapot);
        if (allapot == "u")
            out[lAllapot.off] = char(0xFB);
        else if (!allapot.isEmpty())
            out[lAllapot.off] = allapot[0];
        Cel::szoveg(out, lKuld, kuld);
        lapIndex.insert(lapKulcs(k.p, k.sorszam, k.resz), int(i));

        rend.fill(' ');
        masol(aa, k.recno, in, rendCel, rend.data(), rendMasol);
        Cel::szoveg(rend.data(), eIdo, p);
        Cel::nullas(rend.data(), eSorsz, k.sorszam);
        const qint64 jorv = aa.egesz(k.recno, in, aJorv);
        if (jorv > 0) Cel::nullas(rend.data(), eJorv, jorv);
        Cel::szoveg(rend.data(), eKuld, kuld);
        rendB->addRaw(rend.constData());
    }
    osszegzes_.lapok = int(lapSorrend.size());
    std::vector<Kulcs>().swap(lapSorrend);

    // --- visits, in the order of period, serial, part and day
    szakasz(QStringLiteral("Vizitek"));
    st_.msg.status(0, kFolyamatban);
    const Mezo bIdo = ab.m("IDOSZAK"), bSor = ab.m("SORSZAM"), bResz = ab.m("RESZ"),
               bDat = ab.m("DATUMTOL"), bElsz = ab.m("ELSZIDO");
    std::vector<Kulcs> vizitSorrend;
    vizitSorrend.reserve(ab.t->fileRecordCount());
    for (std::uint32_t r = 1; r <= ab.t->fileRecordCount(); ++r) {
        const char* rec = ab.t->rawRecord(r);
        if (rec[0] == '*') continue;
        const int p = ab.idoszak(r, rec, bIdo);
        if (p < elso) continue;
        const qint64 s = ab.egesz(r, rec, bSor);
        if (s < 0) ab.hiba(r, bSor, rec);
        int nap = 0;
        if (bDat.type == 'D') {
            for (int i = 0; i < 8; ++i) {
                const char ch = rec[bDat.off + i];
                nap = nap * 10 + (ch >= '0' && ch <= '9' ? ch - '0' : 0);
            }
        } else {
            const QByteArray d = ab.datum(r, rec, bDat);
            nap = d.isEmpty() ? 0 : d.toInt();
        }
        vizitSorrend.push_back({p, s, rec[bResz.off], nap, r});
    }
    std::sort(vizitSorrend.begin(), vizitSorrend.end(), kisebb);
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
    const Mezo vIdo = lapbCel.m("IDOSZAK"), vSorsz = lapbCel.m("SORSZ"),
               vElido = lapbCel.m("ELIDO"), vKuld = lapbCel.m("ELKULDVE");
    auto lapbB = ujTabla(t.lapb);
    QByteArray viz(t.lapb.header().recordLength, ' ');
    for (const Kulcs& k : vizitSorrend) {
        const char* in = ab.t->rawRecord(k.recno);
        viz.fill(' ');
        char* out = viz.data();
        masol(ab, k.recno, in, lapbCel, out, lapbMasol);
        Cel::szoveg(out, vIdo, szoveg(k.p));
        Cel::nullas(out, vSorsz, k.sorszam);
        const QByteArrayView elsz = nyers(in, bElsz);
        auto digit = [](char ch) { return ch >= '0' && ch <= '9'; };
        if (elsz.size() == 6 && std::all_of(elsz.begin(), elsz.end(), digit) &&
            (elsz[4] == '0' || elsz[4] == '1')) {
            // "YYYYMM", the office's usual form, straight to "YYYY.MM".
            char e[7] = {elsz[0], elsz[1], elsz[2], elsz[3], '.', elsz[4], elsz[5]};
            Cel::szoveg(out, vElido, QByteArrayView(e, 7));
        } else if (!elsz.isEmpty()) {
            const QString e = QString::fromLatin1(elsz);
            const auto ep = core::Idoszak::parseAny(e);
            Cel::szoveg(out, vElido, ep ? ep->text().toLatin1() : elsz.toByteArray());
        }
        Cel::szoveg(out, vKuld, elkuldve(k.p));
        lapbB->addRaw(out);
    }
    osszegzes_.vizitek = int(vizitSorrend.size());
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
    for (std::uint32_t r = 1; r <= ac.t->fileRecordCount(); ++r) {
        const char* rec = ac.t->rawRecord(r);
        if (rec[0] == '*') continue;
        const int p = ac.idoszak(r, rec, cIdo);
        if (p < elso) continue;
        const qint64 s = ac.egesz(r, rec, cSor);
        const qint64 tip = ac.egesz(r, rec, cTip);
        const auto it = lapIndex.constFind(lapKulcs(p, s, rec[cResz.off]));
        if (it == lapIndex.constEnd()) {
            ++osszegzes_.arvaDiagnozis;
            continue;
        }
        if (tip < 1 || tip > 6 || !bnoMezo[tip].ok()) continue;
        char* out = lapok.data() + qsizetype(*it) * lapHossz;
        memset(out + bnoMezo[tip].off, ' ', size_t(bnoMezo[tip].width));
        Cel::szoveg(out, bnoMezo[tip], nyers(rec, cKod));
        ++osszegzes_.diagnozisok;
    }

    // --- complete partial-invoice series of the latest year: 14 visits
    szakasz(QStringLiteral("Részszámla-sorozatok"));
    st_.msg.status(0, QStringLiteral("A részszámlák bejegyzése folyamatban. Kis türelmet "
                                     "kérek...!!"));
    const int ev = utolso / 12;
    QHash<QByteArray, int> sorozat;
    const qsizetype n = qsizetype(osszegzes_.lapok);
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
        osszegzes_.teljesSorozat += it.value() == 14;
    for (qsizetype i = 0; i < n; ++i) {
        char* rec = lapok.data() + i * lapHossz;
        if (evebe(rec) && sorozat.value(QByteArray(rec + lSorsz.off, lSorsz.width)) == 14)
            rec[lTele.off] = '*';
    }

    auto lapB = ujTabla(t.lap);
    for (qsizetype i = 0; i < n; ++i)
        lapB->addRaw(lapok.constData() + i * lapHossz);
    lapok = QByteArray();

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
