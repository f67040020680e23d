#include "db/localtables.h"

#include "core/idoszak.h"
#include "db/tableops.h"
#include "engine/codepage.h"
#include "engine/dberror.h"
#include "engine/fieldcodec.h"
#include "engine/filename.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"
#include "ui/messages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

namespace db {

namespace {

const QString kKeszitesHiba = QStringLiteral("Hiba az állomány készítésében!");
const QString kLefutasHiba = QStringLiteral("Hiba a lefutásban!");
// What the progress window says while an old layout is upgraded.
const QString kBetegAtalakitas = QStringLiteral("A betegek átalakítása az új szerkezetre…");
const QString kBetegIndexeles = QStringLiteral("A betegek indexelése…");
const QString kElrendAtalakitas = QStringLiteral("Az elrendelések átalakítása az új szerkezetre…");
const QString kLapoldAtiras =
    QStringLiteral("A 2005.02 előtti lapok átírása a régi lapok táblájába…");
const QString kLapAtalakitas = QStringLiteral("A lapok átalakítása az új szerkezetre…");
const QString kLapIndexeles = QStringLiteral("A lapok indexelése…");
const QString kLapbAtalakitas = QStringLiteral("A vizitek átalakítása az új szerkezetre…");

QString indexText(TableId id) {
    return id == TableId::Elrend ? QStringLiteral("Az elrendelések indexelése…")
                                 : QStringLiteral("A vizitek indexelése…");
}

// The sheet key, in the order the rows of LAP, LAPB and ELREND are written.
const QStringList kLapKulcs = {QStringLiteral("IDOSZAK"), QStringLiteral("SORSZ"),
                               QStringLiteral("RESZ")};

std::optional<QString> creationActive(const TableDef& def) {
    if (def.activeTag.isEmpty()) return std::nullopt;
    return def.activeTag;
}

void openIfClosed(engine::Table& table, const QString& path) {
    if (!table.isOpen()) table.open(path);
}

// ------------------------------------------------------------ upgrades
//
// An upgrade copies the records of the old table into a new file in the
// current layout, field by field at the byte level: a field of the same name,
// type and width is copied as it is, another one of the same name goes
// through the field codec, and the new fields get their value (a fixed one,
// or the financing code from finkodtol on). Deleted records stay behind. The
// rows come in the order of the key fields as SQL orders them (blank first,
// then the texts byte by byte); the records are copied in the file's order
// while that order is checked, and only a table whose records are out of
// order is copied a second time, sorted (stable: rows of one key keep the
// order they had).

// The key of one record, built so that comparing keys byte by byte (unsigned)
// orders the records as SQL orders the fields' values: a blank field (NULL)
// first, then numbers, then texts byte by byte in UTF-8.
void appendSqlKey(const engine::RecordView& rec, int field, std::string& key) {
    const engine::FieldDef& f = rec.fieldDef(field);
    const char* p = rec.stored(field).data();
    if (f.type == 'C' || f.type == 'D') {
        int n = f.width;
        while (n > 0 && (p[n - 1] == ' ' || p[n - 1] == 0))
            --n;
        if (n == 0) {
            key += '\0';
            return;
        }
        key += '\2';
        auto put = [&](const char* d, qsizetype len) {
            for (qsizetype i = 0; i < len; ++i) {
                key += d[i];
                if (d[i] == 0) key += '\xFF';
            }
        };
        if (f.type == 'D') {
            // SQL reads a date as ISO text: the digits with dashes between.
            const char iso[10] = {p[0], p[1], p[2], p[3], '-', p[4], p[5], '-', p[6], p[7]};
            put(iso, 10);
        } else {
            bool ascii = true;
            for (int i = 0; i < n && ascii; ++i)
                ascii = std::uint8_t(p[i]) < 0x80 && p[i] != 0;
            if (ascii)
                put(p, n);
            else {
                const QByteArray u = engine::decode852(p, n).toUtf8();
                put(u.constData(), u.size());
            }
        }
        key += std::string(2, '\0');
        return;
    }
    const QVariant v = rec.value(field);
    if (v.isNull()) {
        key += '\0';
        return;
    }
    if (f.type == 'N' || f.type == 'F' || f.type == 'L') {
        // A double's bits, flipped so that they compare as unsigned bytes.
        const double d = v.typeId() == QMetaType::Bool ? (v.toBool() ? 1.0 : 0.0) : v.toDouble();
        std::uint64_t bits;
        std::memcpy(&bits, &d, sizeof bits);
        bits = (bits >> 63) ? ~bits : bits | (std::uint64_t(1) << 63);
        key += '\1';
        for (int i = 7; i >= 0; --i)
            key += char((bits >> (8 * i)) & 0xFF);
        return;
    }
    const QByteArray u = v.toString().toUtf8();
    key += '\2';
    for (char c : u) {
        key += c;
        if (c == 0) key += '\xFF';
    }
    key += std::string(2, '\0');
}

// The key of a text, as appendSqlKey makes it for a field holding it.
std::string textKey(const QString& text) {
    std::string key(1, '\2');
    for (char c : text.toUtf8()) {
        key += c;
        if (c == 0) key += '\xFF';
    }
    return key + std::string(2, '\0');
}

// SQL's comparison of a field with a text (given by its textKey): -1, 0 or
// 1; a blank field (NULL) compares as nothing at all, reported as nullopt.
std::optional<int> compareSql(const engine::RecordView& rec, int field, const std::string& text) {
    std::string key;
    appendSqlKey(rec, field, key);
    if (key.size() == 1 && key[0] == '\0') return std::nullopt;
    return key < text ? -1 : key == text ? 0 : 1;
}

// How each field of the new layout is filled from a record of the old table.
struct UpgradePlan {
    struct Step {
        enum Kind { Raw, Codec, Fixed } kind;
        int dst = -1;
        int src = -1;
        QByteArray bytes; // Fixed: the field's bytes
    };
    std::vector<Step> steps;
    std::vector<int> keys; // old fields in the order of the rows
    // The financing code: written into field finkodField of the rows whose
    // period (old field periodField) is finkodtol or later.
    int finkodField = -1, periodField = -1;
    QByteArray finkodBytes;
    std::string finkodtol;
    // The rows taken by their period: all, before `bound`, or `bound` and
    // later (and those without a period).
    enum class Periods { All, Before, FromOrBlank } periods = Periods::All;
    std::string bound;
};

// The bytes of `value` in field f (width wide), or nullopt when it cannot be
// stored there.
std::optional<QByteArray> fieldBytes(const engine::FieldDef& f, const QString& value) {
    engine::FieldDef g = f;
    g.offset = 0;
    QByteArray buf(g.width, ' ');
    try {
        engine::encodeField(g, value, buf.data(), QString());
    } catch (const engine::DbError&) {
        return std::nullopt;
    }
    return buf;
}

// Blank padding some other tools write as NUL bytes reads as blanks in the
// new file, as it reads everywhere else: the NULs at a field's end (and, in a
// number, at its start) become blanks.
void blankNulPadding(const engine::FieldDef& f, char* p) {
    for (int i = f.width - 1; i >= 0 && (p[i] == 0 || p[i] == ' '); --i)
        p[i] = ' ';
    if (f.type == 'N' || f.type == 'F')
        for (int i = 0; i < f.width && (p[i] == 0 || p[i] == ' '); ++i)
            p[i] = ' ';
}

class Upgrader {
public:
    using Progress = LocalTables::Progress;

    Upgrader(const engine::Table& old, const UpgradePlan& plan, const Progress& progress,
             const QString& what)
        : old_(old), plan_(plan), progress_(progress), what_(what) {}

    // Copies the rows into the file `fields` at `target`; returns the
    // complete, not yet committed builder.
    std::unique_ptr<engine::TableBuilder> run(const QString& target,
                                              const std::vector<engine::FieldDef>& fields) {
        auto out = std::make_unique<engine::TableBuilder>(target, fields);
        if (copy(*out, nullptr)) return out;
        out->abandon();
        const std::vector<std::uint32_t> order = sorted();
        out = std::make_unique<engine::TableBuilder>(target, fields);
        copy(*out, &order);
        return out;
    }

private:
    bool taken(const engine::RecordView& rec) const {
        if (rec.isDeleted()) return false;
        if (plan_.periods == UpgradePlan::Periods::All) return true;
        const std::optional<int> c = compareSql(rec, plan_.periodField, plan_.bound);
        if (plan_.periods == UpgradePlan::Periods::Before) return c && *c < 0;
        return !c || *c >= 0;
    }

    void keyOf(const engine::RecordView& rec, std::string& key) const {
        key.clear();
        for (int k : plan_.keys)
            appendSqlKey(rec, k, key);
    }

    void tell(qint64 done, qint64 total) const {
        if (progress_) progress_(what_, done, total);
    }

    // The records taken, sorted by their keys (stable).
    std::vector<std::uint32_t> sorted() const {
        std::vector<std::pair<std::string, std::uint32_t>> keyed;
        const std::uint32_t n = old_.fileRecordCount();
        for (std::uint32_t r = 1; r <= n; ++r) {
            const engine::RecordView rec = old_.record(r);
            if (!taken(rec)) continue;
            keyed.emplace_back(std::string(), r);
            keyOf(rec, keyed.back().first);
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) {
            return a.first < b.first; // std::string compares as unsigned bytes
        });
        std::vector<std::uint32_t> out;
        out.reserve(keyed.size());
        for (const auto& k : keyed)
            out.push_back(k.second);
        return out;
    }

    // Copies the records taken, in the file's order (checking it: false as
    // soon as a record comes before the one copied last) or in `order`.
    bool copy(engine::TableBuilder& out, const std::vector<std::uint32_t>* order) {
        const std::vector<engine::FieldDef>& dst = out.fields();
        const qint64 total = order ? qint64(order->size()) : qint64(old_.fileRecordCount());
        const QString path = out.target();
        QByteArray rec(out.recordLength(), ' ');
        std::string key, last;
        bool first = true;
        tell(0, total);
        for (qint64 i = 0; i < total; ++i) {
            if ((i & 0x3FFF) == 0 && i > 0) tell(i, total);
            const std::uint32_t r = order ? (*order)[size_t(i)] : std::uint32_t(i + 1);
            const engine::RecordView in = old_.record(r);
            if (!order) {
                if (!taken(in)) continue;
                keyOf(in, key);
                if (!first && key < last) return false;
                std::swap(key, last);
                first = false;
            }
            rec.fill(' ');
            char* o = rec.data();
            for (const UpgradePlan::Step& st : plan_.steps) {
                const engine::FieldDef& d = dst[size_t(st.dst)];
                switch (st.kind) {
                case UpgradePlan::Step::Raw: {
                    const QByteArrayView b = in.stored(st.src);
                    std::memcpy(o + d.offset, b.data(), size_t(d.width));
                    if (std::memchr(b.data(), 0, size_t(b.size()))) blankNulPadding(d, o + d.offset);
                    break;
                }
                case UpgradePlan::Step::Codec:
                    engine::encodeField(d, in.value(st.src), o, path);
                    break;
                case UpgradePlan::Step::Fixed:
                    std::memcpy(o + d.offset, st.bytes.constData(), size_t(d.width));
                    break;
                }
            }
            if (plan_.finkodField >= 0 && !plan_.finkodBytes.isEmpty()) {
                const std::optional<int> c =
                    compareSql(in, plan_.periodField, plan_.finkodtol);
                if (c && *c >= 0)
                    std::memcpy(o + dst[size_t(plan_.finkodField)].offset,
                                plan_.finkodBytes.constData(), size_t(plan_.finkodBytes.size()));
            }
            out.addRaw(o);
        }
        tell(total, total);
        return true;
    }

    const engine::Table& old_;
    const UpgradePlan& plan_;
    const Progress& progress_;
    QString what_;
};

} // namespace

// ------------------------------------------------------------ helpers

QString LocalTables::pathOf(const TableDef& def) const {
    return t_.file(def.fileName);
}

QString LocalTables::createFile(const TableDef& def) {
    const QString path = QDir(t_.directory()).filePath(def.fileName);
    const QString existing = engine::findFileNoCase(path);
    if (!engine::sameFileName(existing, path) && QFileInfo::exists(existing))
        removeTableFiles(existing);
    engine::Table::create(path, def.fields);
    return path;
}

void LocalTables::removeTableFiles(const QString& dbfPath) {
    const QFileInfo fi(dbfPath);
    const QString mdx = engine::findFileNoCase(fi.dir().filePath(indexFileName(fi.fileName())));
    for (const QString& f : {dbfPath, mdx})
        if (QFileInfo::exists(f) && !QFile::remove(f))
            throw engine::DbError(engine::DbError::Kind::Io, f, QStringLiteral("nem törölhető"));
}

void LocalTables::ensureIndexes(const TableDef& def, engine::Table& table, const QString& path) {
    if (!engine::Table::indexFileOk(path)) buildIndexes(table, path, def.tags, creationActive(def));
}

QString LocalTables::targetOf(const TableDef& def) const {
    return QDir(t_.directory()).filePath(def.fileName);
}

struct LocalTables::Upgrade {
    Upgrade(TableId table, const QString& text, const QStringList& order)
        : id(table), what(text), keys(order) {}
    TableId id;                                     // the current layout
    QString what;                                   // told to the progress
    QStringList keys;                               // the rows' order
    std::vector<std::pair<QString, QString>> fixed; // new fields with a fixed text
    bool finkod = false;                            // FINKOD from finkodtol on
    QString finkodValue, finkodtol;
    // Whether the old table must have every field of the new layout that is
    // neither fixed nor FINKOD (a field it lacks stays blank otherwise).
    bool requireAll = true;
    UpgradePlan::Periods periods = UpgradePlan::Periods::All;
    QString bound;
};

std::unique_ptr<engine::TableBuilder>
LocalTables::upgrade(const engine::Table& old, const QString& target, const Upgrade& how) {
    const std::vector<engine::FieldDef>& fields = layout(how.id).fields;
    UpgradePlan plan;
    bool complete = true;
    for (int i = 0; i < int(fields.size()); ++i) {
        const engine::FieldDef& f = fields[size_t(i)];
        const auto fixed = std::find_if(how.fixed.begin(), how.fixed.end(), [&](const auto& x) {
            return f.name.compare(x.first, Qt::CaseInsensitive) == 0;
        });
        if (fixed != how.fixed.end()) {
            plan.steps.push_back(
                {UpgradePlan::Step::Fixed, i, -1, fieldBytes(f, fixed->second).value()});
            continue;
        }
        if (how.finkod && f.name.compare(QLatin1String("FINKOD"), Qt::CaseInsensitive) == 0) {
            plan.finkodField = i;
            continue;
        }
        const int s = old.fieldIndex(f.name);
        if (s < 0) {
            complete = complete && !how.requireAll;
            continue;
        }
        const engine::FieldDef& o = old.fields()[size_t(s)];
        const bool raw =
            o.type == f.type && o.width == f.width && (f.type != 'N' || o.decimals == f.decimals);
        plan.steps.push_back({raw ? UpgradePlan::Step::Raw : UpgradePlan::Step::Codec, i, s, {}});
    }
    for (const QString& k : how.keys) {
        plan.keys.push_back(old.fieldIndex(k));
        complete = complete && plan.keys.back() >= 0;
    }
    plan.periodField = old.fieldIndex(QStringLiteral("IDOSZAK"));
    if ((how.finkod || how.periods != UpgradePlan::Periods::All) && plan.periodField < 0)
        complete = false;
    if (!complete) {
        tell(QString()); // the window goes before the message comes
        msg_.error(kKeszitesHiba);
        throw StartupStopped();
    }
    plan.periods = how.periods;
    plan.bound = textKey(how.bound);
    finkodFits_ = true;
    if (how.finkod) {
        // A code the field cannot hold is not written: the rows keep an
        // empty one and the step reports it after the file is in place.
        const std::optional<QByteArray> code =
            fieldBytes(fields[size_t(plan.finkodField)], how.finkodValue);
        finkodFits_ = code.has_value();
        // An empty code writes nothing either.
        if (code && !engine::isBlankBytes(code->constData(), int(code->size())))
            plan.finkodBytes = *code;
        plan.finkodtol = textKey(how.finkodtol);
    }
    return Upgrader(old, plan, progress_, how.what).run(target, fields);
}

void LocalTables::indexUpgraded(const TableDef& def, engine::Table& table, const QString& path,
                                const QString& what) {
    if (engine::Table::indexFileOk(path)) return;
    tell(what);
    buildIndexes(table, path, def.tags, creationActive(def));
}

QString LocalTables::replaceFile(const TableDef& def, const QString& oldPath,
                                 engine::TableBuilder& fresh) {
    const QString target = targetOf(def);
    const QFileInfo fi(oldPath);
    const QString mdx = engine::findFileNoCase(fi.dir().filePath(indexFileName(fi.fileName())));
    if (QFileInfo::exists(mdx) && !QFile::remove(mdx))
        throw engine::DbError(engine::DbError::Kind::Io, mdx, QStringLiteral("nem törölhető"));
    // The new file, synced, replaces the target in one durable step.
    fresh.commit();
    if (!engine::sameFileName(oldPath, target) && QFileInfo::exists(oldPath))
        removeTableFiles(oldPath);
    return target;
}

// ------------------------------------------------------------ received tables

bool LocalTables::szerzNyit() {
    const bool partMissing = !QFileInfo::exists(pathOf(layout(TableId::Part)));
    std::vector<TableId> missing;
    for (TableId id : receivedTables()) {
        if (id == TableId::Part) continue;
        const TableDef& def = layout(id);
        const QString path = pathOf(def);
        if (!QFileInfo::exists(path))
            missing.push_back(id);
        else if (!engine::Table::indexFileOk(path))
            buildIndexes(tableOf(t_, id), path, def.tags, creationActive(def));
    }

    if (partMissing || !missing.empty()) {
        const QString cr = QStringLiteral("\r");
        QString text =
            QStringLiteral("Nincsenek szerződéses adatok!\r") + QStringLiteral("Hiányzik:") + cr;
        if (partMissing) text += QStringLiteral("    PART.DBF") + cr;
        for (TableId id : missing) {
            if (id == TableId::Bnotorzs) continue;
            text += QStringLiteral("    ") + layout(id).fileName.toUpper() + cr;
        }
        if (std::find(missing.begin(), missing.end(), TableId::Bnotorzs) != missing.end())
            text += QStringLiteral("Hiányzik még a BNOTORZS.DBF is.") + cr;
        text += QStringLiteral("Kérje a hiányzó állományokat a RAV-től,") + cr +
                QStringLiteral("és másolja be a DATA könyvtárba!!") + cr + cr +
                QStringLiteral("A program ezek nélkül nem indul!!") + cr +
                QStringLiteral("Kilépés!!");
        msg_.error(text);
        return false;
    }

    for (TableId id : receivedTables())
        openIfClosed(tableOf(t_, id), pathOf(layout(id)));
    return true;
}

// ------------------------------------------------------------ local tables

void LocalTables::createPlain(TableId id) {
    const TableDef& def = layout(id);
    engine::Table& table = tableOf(t_, id);
    QString path = pathOf(def);
    if (!QFileInfo::exists(path)) path = createFile(def);
    ensureIndexes(def, table, path);
    openIfClosed(table, path);
}

void LocalTables::crtzaras() {
    createPlain(TableId::Zaras);
}

void LocalTables::crtapol() {
    createPlain(TableId::Apol);
}

void LocalTables::crtorvos() {
    createPlain(TableId::Orvos);
}

void LocalTables::crtmaradv() {
    createPlain(TableId::Maradv);
}

void LocalTables::crtbeteg() {
    const TableDef& def = layout(TableId::Beteg);
    engine::Table& beteg = t_.beteg;
    QString path = pathOf(def);
    if (!QFileInfo::exists(path)) path = createFile(def);
    openIfClosed(beteg, path);
    if (!beteg.hasField(QStringLiteral("AZTIP"))) {
        const ProgressOver over(this);
        Upgrade how{TableId::Beteg, kBetegAtalakitas, {QStringLiteral("TAJ")}};
        how.fixed = {{QStringLiteral("AZTIP"), QStringLiteral("1")}};
        const auto fresh = upgrade(beteg, targetOf(def), how);
        beteg.close();
        path = replaceFile(def, path, *fresh);
        beteg.open(path);
        indexUpgraded(def, beteg, path, kBetegIndexeles);
    }
    ensureIndexes(def, beteg, path);
    openIfClosed(beteg, path);
}

void LocalTables::createWithFinkod(TableId id, const QString& what, const QString& finkod,
                                   const QString& finkodtol) {
    const TableDef& def = layout(id);
    engine::Table& table = tableOf(t_, id);
    QString path = pathOf(def);
    if (!QFileInfo::exists(path)) path = createFile(def);
    openIfClosed(table, path);
    if (!table.hasField(QStringLiteral("FINKOD"))) {
        // The rows of finkodtol or later get the financing code on their way
        // into the new file, so the file that takes the old one's place is
        // complete: no later step can be cut short and never redone.
        const ProgressOver over(this);
        Upgrade how{id, what, kLapKulcs};
        how.finkod = true;
        how.finkodValue = finkod;
        how.finkodtol = finkodtol;
        const auto fresh = upgrade(table, targetOf(def), how);
        table.close();
        path = replaceFile(def, path, *fresh);
        table.open(path);
        indexUpgraded(def, table, path, indexText(id));
        table.open(path);
        if (!finkodFits_) {
            tell(QString());
            msg_.error(kLefutasHiba);
            return;
        }
    }
    ensureIndexes(def, table, path);
    openIfClosed(table, path);
}

void LocalTables::crtelrend(const QString& finkod, const QString& finkodtol) {
    createWithFinkod(TableId::Elrend, kElrendAtalakitas, finkod, finkodtol);
}

void LocalTables::crtlapb(const QString& finkod, const QString& finkodtol) {
    createWithFinkod(TableId::Lapb, kLapbAtalakitas, finkod, finkodtol);
}

void LocalTables::crtlapuj(const QString& finkod, const QString& finkodtol) {
    const TableDef& def = layout(TableId::Lap);
    engine::Table& lap = t_.lap;
    setLapFilter(lap);
    QString path = pathOf(def);
    const bool exists = QFileInfo::exists(path);
    const bool toCreate = !exists;
    bool toConvert = false;
    if (exists) {
        openIfClosed(lap, path);
        toConvert = !lap.hasField(QStringLiteral("FINKOD"));
    }
    if (!toConvert) {
        // A LAP in the current layout is never read here.
        if (toCreate) path = createFile(def);
        ensureIndexes(def, lap, path);
        openIfClosed(lap, path);
        return;
    }

    // Both new files are written, and the old table checked for every field
    // they read, before either takes its place: the sheets before 2005.02
    // go to LAPOLD in the old layout, the others (a sheet without a period
    // among them, rather than lost) to LAP in the current layout.
    const ProgressOver over(this);
    Upgrade later{TableId::Lap, kLapAtalakitas, kLapKulcs};
    later.fixed = {{QStringLiteral("AZTIP"), QStringLiteral(" ")},
                   {QStringLiteral("TERKAT"), QStringLiteral(" ")},
                   {QStringLiteral("ALLAMP"), QStringLiteral(" ")}};
    later.finkod = true;
    later.finkodValue = finkod;
    later.finkodtol = finkodtol;
    later.periods = UpgradePlan::Periods::FromOrBlank;
    later.bound = core::hatar::ujLapforma.text();
    Upgrade earlier{TableId::Lapold, kLapoldAtiras, kLapKulcs};
    earlier.requireAll = false; // whatever the old sheets had goes with them
    earlier.periods = UpgradePlan::Periods::Before;
    earlier.bound = later.bound;

    const TableDef& oldDef = layout(TableId::Lapold);
    const QString oldTarget = targetOf(oldDef);
    auto old = upgrade(lap, oldTarget, earlier);
    const auto fresh = upgrade(lap, targetOf(def), later);
    const bool fits = finkodFits_;
    if (old->count() > 0)
        replaceFile(oldDef, engine::findFileNoCase(oldTarget), *old);
    else
        old->abandon();
    lap.close();
    path = replaceFile(def, path, *fresh);
    lap.open(path);
    indexUpgraded(def, lap, path, kLapIndexeles);
    ensureIndexes(def, lap, path);
    openIfClosed(lap, path);
    if (!fits) {
        tell(QString());
        msg_.error(kLefutasHiba);
    }
}

void LocalTables::createLocalTables(const QString& finkod, const QString& finkodtol) {
    crtapol();
    crtorvos();
    crtbeteg();
    crtmaradv();
    crtelrend(finkod, finkodtol);
    crtlapuj(finkod, finkodtol);
    crtlapb(finkod, finkodtol);
}

} // namespace db
