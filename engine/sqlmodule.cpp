// The SQLite virtual table module ("dbf") through which SQL reads and writes
// the engine's tables: query planning over the tags, cursors over records
// and tag ranges, and writes through the table objects.

#include "engine/sqlmodule.h"
#include "engine/sqlorder.h"

#include "engine/codepage.h"
#include "engine/collation.h"
#include "engine/database.h"
#include "engine/dberror.h"
#include "engine/table.h"
#include "engine/tableraw.h"

#include <QDate>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <cstring>
#include <string>
#include <sqlite3.h>

namespace engine {

namespace {

struct VTab {
    sqlite3_vtab base{};
    Database* db = nullptr;
    Table* table = nullptr;

    // Rows expected for one value of tag ti's first `eq` components, from a
    // sample of the tag when its entries are at hand (of the records
    // otherwise), kept until the table grows or shrinks by a tenth.
    struct Estimate {
        double rows = 0;
        std::uint32_t records = 0;
        bool sampled = false;
    };
    std::map<std::pair<int, int>, Estimate> estimates;
    double rowsPerKey(int ti, int eq);
};

double VTab::rowsPerKey(int ti, int eq) {
    const Table& t = *table;
    const std::uint32_t records = t.fileRecordCount();
    if (eq <= 0) return std::max(1.0, double(records));
    auto& e = estimates[{ti, eq}];
    const bool loaded = t.tagList()[size_t(ti)].loaded;
    if (e.rows > 0 && (e.sampled || !loaded) && records <= e.records + e.records / 10 + 10 &&
        records + records / 10 + 10 >= e.records)
        return e.rows;
    e = {1.0, records, loaded};
    if (!loaded) {
        e.rows = recordSampleRows(t, ti, eq);
        return e.rows;
    }
    const auto& parts = t.tagList()[size_t(ti)].expr.components();
    const auto& last = parts[size_t(std::min<int>(eq, int(parts.size())) - 1)];
    const int len = last.offset + last.width;
    const TagIndex& ix = t.tag(ti).index;
    const std::size_t size = ix.size();
    if (size == 0) return e.rows;
    // The number of distinct prefixes, estimated from the runs of equal
    // prefixes around evenly spread entries: each entry stands for
    // 1 / (its run's length) of a prefix.
    const int samples = int(std::min<std::size_t>(size, 64));
    double inverse = 0;
    for (int i = 0; i < samples; ++i) {
        const TagIndex::Pos p = ix.atOrdinal(size * std::size_t(i) / std::size_t(samples));
        const char* key = ix.keyAt(p);
        const std::size_t run =
            ix.ordinal(ix.upperBound(key, len)) - ix.ordinal(ix.lowerBound(key, len));
        inverse += 1.0 / double(std::max<std::size_t>(run, 1));
    }
    const double distinct = std::max(1.0, double(size) * inverse / samples);
    e.rows = std::max(1.0, double(size) / distinct);
    return e.rows;
}

struct Cursor {
    sqlite3_vtab_cursor base{};
    Table* table = nullptr;
    bool useList = false;
    std::vector<std::uint32_t> list;
    std::size_t at = 0;
    std::uint32_t recno = 0; // current record (full scan)
    std::uint32_t limit = 0; // records present when the scan began
    bool eof = true;
    // With a tag walked: each listed record's key, and where each character
    // field stands in the key (width 0: not in it). A value of blanks,
    // digits and punctuation weighs what it is, so it is read from the key
    // without touching the record.
    std::vector<char> keys;
    int keyLen = 0;
    std::vector<std::pair<int, int>> keyCol;
    // The ordering columns of the plan whose text is `orderingOf`.
    std::string orderingOf;
    std::vector<int> ordering;
};

QVariant fromValue(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return qlonglong(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return sqlite3_value_double(v);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_value_text(v)),
                                 sqlite3_value_bytes(v));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char*>(sqlite3_value_blob(v)), sqlite3_value_bytes(v));
    default:
        return QVariant();
    }
}

QString columnType(const FieldDef& f) {
    switch (f.type) {
    case 'N':
        return f.decimals == 0 ? QStringLiteral("INTEGER") : QStringLiteral("REAL");
    case 'F':
        return QStringLiteral("REAL");
    case 'L':
        return QStringLiteral("INTEGER");
    default:
        return QStringLiteral("TEXT");
    }
}

int setError(sqlite3_vtab* vt, const QString& msg) {
    sqlite3_free(vt->zErrMsg);
    vt->zErrMsg = sqlite3_mprintf("%s", msg.toUtf8().constData());
    return SQLITE_ERROR;
}

int xConnect(sqlite3* db, void* aux, int argc, const char* const* argv, sqlite3_vtab** out,
             char** err) {
    auto* owner = static_cast<Database*>(aux);
    if (argc < 4) {
        *err = sqlite3_mprintf("dbf: missing table id");
        return SQLITE_ERROR;
    }
    const int id = atoi(argv[3]);
    Table* t = lookupTable(owner, id);
    if (!t) {
        *err = sqlite3_mprintf("dbf: no table %d", id);
        return SQLITE_ERROR;
    }
    QString schema = QStringLiteral("CREATE TABLE x(");
    QStringList seen;
    const auto& fields = t->fields();
    for (size_t i = 0; i < fields.size(); ++i) {
        QString name = fields[i].name.toLower();
        QString unique = name;
        for (int k = 2; seen.contains(unique); ++k)
            unique = name + "_" + QString::number(k);
        seen << unique;
        if (i) schema += ", ";
        schema += '"' + unique + "\" " + columnType(fields[i]);
    }
    schema += ")";
    const int rc = sqlite3_declare_vtab(db, schema.toUtf8().constData());
    if (rc != SQLITE_OK) return rc;
    auto* vt = new VTab;
    vt->db = owner;
    vt->table = t;
    *out = &vt->base;
    return SQLITE_OK;
}

int xDisconnect(sqlite3_vtab* vt) {
    delete reinterpret_cast<VTab*>(vt);
    return SQLITE_OK;
}

// A plan, encoded in idxNum: tag index, number of leading key components
// bound by equality, whether the next component has a lower and an upper
// bound, and whether the rows must come in the order SQL asked for (the
// ORDER BY or GROUP BY that the tag's order gives). The constraint values
// come in argv in that order. idxNum 0 means a full scan. idxStr says the
// same for EXPLAIN and, after a "|", lists the ordering columns.
struct Plan {
    int tag = -1;
    int eq = 0;
    bool lower = false, upper = false;
    bool ordered = false;

    int encode() const {
        return (tag + 1) | eq << 8 | (lower ? 1 << 16 : 0) | (upper ? 1 << 17 : 0) |
               (ordered ? 1 << 18 : 0);
    }
    static Plan decode(int n) {
        Plan p;
        p.tag = (n & 0xFF) - 1;
        p.eq = (n >> 8) & 0xFF;
        p.lower = (n >> 16) & 1;
        p.upper = (n >> 17) & 1;
        p.ordered = (n >> 18) & 1;
        return p;
    }
};

bool usableComponent(const Table& t, const KeyExpr::Component& c) {
    const FieldDef& f = t.fields()[size_t(c.field)];
    return (c.kind == KeyExpr::Kind::Field && f.type == 'C') ||
           (c.kind == KeyExpr::Kind::Dtos && f.type == 'D') ||
           (c.kind == KeyExpr::Kind::Dtoc && f.type == 'D');
}

// True when walking tag ti, its first `eq` components fixed by equality,
// gives the rows in the ascending order of SQL's ORDER BY columns: those
// columns are the tag's next character or date components in turn (columns
// fixed by equality may stand anywhere). The values are checked as the tag
// is walked (see xFilter).
bool tagGivesOrder(const Table& t, int ti, int eq, const sqlite3_index_info* info) {
    if (info->nOrderBy <= 0) return false;
    const auto& parts = t.tagList()[size_t(ti)].expr.components();
    size_t next = size_t(eq);
    for (int i = 0; i < info->nOrderBy; ++i) {
        const auto& o = info->aOrderBy[i];
        if (o.desc || o.iColumn < 0) return false;
        bool fixed = false;
        for (int k = 0; k < eq && !fixed; ++k)
            fixed = parts[size_t(k)].field == o.iColumn;
        if (fixed) continue;
        if (next >= parts.size() || parts[next].field != o.iColumn ||
            !usableComponent(t, parts[next]))
            return false;
        ++next;
    }
    return true;
}

int xBestIndex(sqlite3_vtab* vtab, sqlite3_index_info* info) {
    auto* vt = reinterpret_cast<VTab*>(vtab);
    const Table& t = *vt->table;
    const double n = std::max<double>(1.0, t.fileRecordCount());
    Plan best;
    int bestScore = 0;
    std::vector<int> bestUse; // constraint index per argv slot
    const auto& tags = t.tagList();
    for (size_t ti = 0; ti < tags.size(); ++ti) {
        const auto& parts = tags[ti].expr.components();
        std::vector<int> use;
        Plan p;
        p.tag = int(ti);
        size_t k = 0;
        for (; k < parts.size(); ++k) {
            if (!usableComponent(t, parts[k])) break;
            int found = -1;
            for (int i = 0; i < info->nConstraint; ++i) {
                const auto& c = info->aConstraint[i];
                if (c.usable && c.iColumn == parts[k].field &&
                    (c.op == SQLITE_INDEX_CONSTRAINT_EQ || c.op == SQLITE_INDEX_CONSTRAINT_IS)) {
                    found = i;
                    break;
                }
            }
            if (found < 0) break;
            use.push_back(found);
            ++p.eq;
        }
        if (k < parts.size() && usableComponent(t, parts[k])) {
            int lo = -1, hi = -1;
            for (int i = 0; i < info->nConstraint; ++i) {
                const auto& c = info->aConstraint[i];
                if (!c.usable || c.iColumn != parts[k].field) continue;
                if (lo < 0 &&
                    (c.op == SQLITE_INDEX_CONSTRAINT_GE || c.op == SQLITE_INDEX_CONSTRAINT_GT))
                    lo = i;
                if (hi < 0 &&
                    (c.op == SQLITE_INDEX_CONSTRAINT_LE || c.op == SQLITE_INDEX_CONSTRAINT_LT))
                    hi = i;
            }
            if (lo >= 0) {
                p.lower = true;
                use.push_back(lo);
            }
            if (hi >= 0) {
                p.upper = true;
                use.push_back(hi);
            }
        }
        const int score = p.eq * 4 + (p.lower ? 1 : 0) + (p.upper ? 1 : 0);
        if (score > bestScore) {
            bestScore = score;
            best = p;
            bestUse = use;
        }
    }
    // The ORDER BY (or GROUP BY) is the chosen tag's order, or, with no
    // constraint to use, the order of some tag walked whole.
    if (bestScore == 0) {
        best = Plan();
        for (size_t ti = 0; ti < tags.size() && best.tag < 0; ++ti)
            if (tagGivesOrder(t, int(ti), 0, info)) best.tag = int(ti);
        best.ordered = best.tag >= 0;
        bestUse.clear();
    } else {
        best.ordered = tagGivesOrder(t, best.tag, best.eq, info);
    }
    if (best.tag < 0) {
        info->estimatedCost = n;
        info->estimatedRows = sqlite3_int64(n);
        info->idxNum = 0;
        return SQLITE_OK;
    }
    for (size_t i = 0; i < bestUse.size(); ++i) {
        info->aConstraintUsage[bestUse[i]].argvIndex = int(i) + 1;
        info->aConstraintUsage[bestUse[i]].omit = 0; // SQLite checks the rows again
    }
    double rows = bestScore == 0 ? n : vt->rowsPerKey(best.tag, best.eq);
    if (best.lower || best.upper) rows /= (best.lower && best.upper) ? 8.0 : 3.0;
    rows = std::max(rows, 1.0);
    info->estimatedRows = sqlite3_int64(rows);
    // A whole tag walked reads the records out of their order: a little
    // dearer than reading them in turn, cheaper than sorting them after.
    info->estimatedCost = bestScore == 0 ? n * 1.2 + 10.0 : rows * 1.5 + 10.0;
    info->orderByConsumed = best.ordered ? 1 : 0;
    info->idxNum = best.encode();
    QByteArray desc = QByteArray::number(best.tag) + ' ' + QByteArray::number(best.eq) + ' ' +
                      (best.lower ? '1' : '0') + ' ' + (best.upper ? '1' : '0');
    if (best.ordered) {
        desc += " |";
        for (int i = 0; i < info->nOrderBy; ++i)
            desc += ' ' + QByteArray::number(info->aOrderBy[i].iColumn);
    }
    info->idxStr = sqlite3_mprintf("%s", desc.constData());
    info->needToFreeIdxStr = 1;
    return SQLITE_OK;
}

int xOpen(sqlite3_vtab* vtab, sqlite3_vtab_cursor** out) {
    auto* c = new Cursor;
    c->table = reinterpret_cast<VTab*>(vtab)->table;
    *out = &c->base;
    return SQLITE_OK;
}

int xClose(sqlite3_vtab_cursor* cur) {
    delete reinterpret_cast<Cursor*>(cur);
    return SQLITE_OK;
}

// Appends the raw key bytes of a constraint value for one key component to
// `out`; false when no record can match it (a text that cp852 cannot hold or that is
// longer than the field). `full` pads to the component's width.
bool componentBytes(const Table& t, const KeyExpr::Component& comp, sqlite3_value* v, bool full,
                    std::string& out) {
    const FieldDef& f = t.fields()[size_t(comp.field)];
    QString s;
    if (sqlite3_value_type(v) == SQLITE_NULL) {
        if (!full) return false;
        out.append(size_t(comp.width), ' ');
        return true;
    }
    const auto* text = reinterpret_cast<const char*>(sqlite3_value_text(v));
    const int bytes = sqlite3_value_bytes(v);
    if (f.type == 'C') {
        // Plain ASCII is the same in code page 852: no conversion needed.
        bool ascii = true;
        for (int i = 0; i < bytes && ascii; ++i)
            ascii = std::uint8_t(text[i]) < 0x80;
        if (ascii) {
            int n = bytes;
            while (n > f.width && text[n - 1] == ' ')
                --n;
            if (n > f.width) return false;
            out.append(text, size_t(n));
            if (full) out.append(size_t(f.width - n), ' ');
            return true;
        }
    }
    s = QString::fromUtf8(text, bytes);
    if (f.type == 'D') {
        const QDate d = QDate::fromString(s.left(10), Qt::ISODate);
        if (!d.isValid()) {
            // A partial bound such as '2005' or '2005-03' still narrows a
            // range scan, but only when it is the beginning of an ISO date:
            // SQL compares the text with dashes, the key has digits alone.
            if (full || s.size() > 10) return false;
            for (int i = 0; i < s.size(); ++i) {
                const bool dash = i == 4 || i == 7;
                if (dash ? s.at(i) != QLatin1Char('-')
                         : !(s.at(i) >= QLatin1Char('0') && s.at(i) <= QLatin1Char('9')))
                    return false;
            }
            QString digits = s;
            digits.remove(QLatin1Char('-'));
            QByteArray key = digits.toLatin1();
            if (comp.kind == KeyExpr::Kind::Dtoc) {
                QByteArray dotted = key.left(4);
                if (key.size() > 4) dotted += '.' + key.mid(4, 2);
                if (key.size() > 6) dotted += '.' + key.mid(6, 2);
                key = dotted;
            }
            out.append(key.constData(), size_t(key.size()));
            return true;
        }
        const QByteArray iso = d.toString(comp.kind == KeyExpr::Kind::Dtoc
                                              ? QStringLiteral("yyyy.MM.dd")
                                              : QStringLiteral("yyyyMMdd"))
                                   .toLatin1();
        out.append(iso.constData(), size_t(iso.size()));
        return true;
    }
    auto enc = encode852(s);
    if (!enc) return false;
    while (enc->endsWith(' ') && enc->size() > f.width)
        enc->chop(1);
    if (enc->size() > f.width) return false;
    out.append(enc->constData(), size_t(enc->size()));
    if (full) out.append(size_t(f.width - enc->size()), ' ');
    return true;
}

// A number compared with a text or date column may be compared as a number
// (when it comes from a numeric column of another table), which no key order
// follows.
bool numeric(sqlite3_value* v) {
    const int type = sqlite3_value_type(v);
    return type == SQLITE_INTEGER || type == SQLITE_FLOAT;
}

// A cursor over every live record, as when no tag is used.
void fullScan(Cursor* c) {
    const Table& t = *c->table;
    c->useList = false;
    c->eof = false;
    for (c->recno = 1; c->recno <= c->limit; ++c->recno)
        if (TableRaw::record(t, c->recno)[0] != '*') return;
    c->eof = true;
}

// The ordering columns after the "|" of a plan's idxStr.
std::vector<int> orderColumns(const char* idxStr) {
    std::vector<int> out;
    const char* bar = idxStr ? std::strchr(idxStr, '|') : nullptr;
    if (!bar) return out;
    for (const QByteArray& w : QByteArray(bar + 1).simplified().split(' '))
        if (!w.isEmpty()) out.push_back(w.toInt());
    return out;
}

// Every live record in SQL's order, when the tag cannot give it.
int sortedFullScan(Cursor* c, const std::vector<int>& ordering) {
    const Table& t = *c->table;
    c->useList = true;
    c->list.clear();
    for (std::uint32_t r = 1; r <= c->limit; ++r)
        if (TableRaw::record(t, r)[0] != '*') c->list.push_back(r);
    sortAsSql(t, ordering, c->list);
    c->eof = c->list.empty();
    return SQLITE_OK;
}

// The tag's entries a filter walks, weighed: from `lo` to `hi`; when
// `checked` is a field, the entries below `sure` only where the record's
// value of that field does not sort as SQL does.
struct TagRange {
    std::string lo, hi, sure;
    int checked = -1;
};

void walkTag(Cursor* c, const Table::Tag& tag, const TagRange& range,
             const std::vector<int>& ordering);

int xFilter(sqlite3_vtab_cursor* cur, int idxNum, const char* idxStr, int argc,
            sqlite3_value** argv) {
    auto* c = reinterpret_cast<Cursor*>(cur);
    const Table& t = *c->table;
    c->list.clear();
    c->keys.clear();
    c->at = 0;
    c->limit = t.fileRecordCount();
    if (idxNum == 0) {
        fullScan(c);
        return SQLITE_OK;
    }
    const Plan p = Plan::decode(idxNum);
    // The ordering columns, read from the plan's text once per plan.
    if (p.ordered && c->orderingOf != idxStr) {
        c->ordering = orderColumns(idxStr);
        c->orderingOf = idxStr;
    }
    static const std::vector<int> none;
    const std::vector<int>& ordering = p.ordered ? c->ordering : none;
    auto sortedScan = [&] { return sortedFullScan(c, ordering); };
    if (p.tag < 0 || p.tag >= int(t.tagList().size())) {
        // the tags changed since the plan was made
        if (p.ordered) return sortedScan();
        fullScan(c);
        return SQLITE_OK;
    }
    c->useList = true;
    c->eof = true;
    const auto& tag = t.tag(p.tag);
    const auto& parts = tag.expr.components();
    std::string prefix;
    int arg = 0;
    for (int k = 0; k < p.eq; ++k) {
        if (arg < argc && numeric(argv[arg])) {
            // SQLite checks every row
            if (p.ordered) return sortedScan();
            fullScan(c);
            return SQLITE_OK;
        }
        if (arg >= argc || !componentBytes(t, parts[size_t(k)], argv[arg++], true, prefix))
            return SQLITE_OK; // nothing can match
    }
    TagRange range{prefix, prefix, {}, -1};
    if (p.lower || p.upper) {
        const auto& comp = parts[size_t(p.eq)];
        for (int side = 0; side < 2; ++side) {
            const bool want = side == 0 ? p.lower : p.upper;
            if (!want) continue;
            std::string b;
            sqlite3_value* v = arg < argc ? argv[arg++] : nullptr;
            if (v && sqlite3_value_type(v) == SQLITE_NULL)
                return SQLITE_OK; // comparing with NULL matches nothing
            if (!v || numeric(v) || !componentBytes(t, comp, v, false, b)) continue;
            if (weighsAsItself(b.data(), b.size())) {
                (side == 0 ? range.lo : range.hi) += b;
            } else if (capitalsAtMost(b.data(), b.size())) {
                // A text of blanks, digits, punctuation and capitals: a value
                // below it byte by byte weighs less in the tag too, so as an
                // upper bound it holds. Above it as a lower bound a value may
                // still weigh less (small and accented letters weigh as their
                // capital): the entries below it are kept unless their
                // record's value sorts as SQL does.
                if (side == 1) {
                    range.hi += b;
                } else {
                    range.sure = prefix + b;
                    range.checked = comp.field;
                }
            }
            // Other bounds order differently in the tag than in SQL: they
            // are left to SQLite.
        }
    }
    KeyExpr::weigh(range.lo.data(), int(range.lo.size()));
    KeyExpr::weigh(range.hi.data(), int(range.hi.size()));
    KeyExpr::weigh(range.sure.data(), int(range.sure.size()));
    walkTag(c, tag, range, ordering);
    return SQLITE_OK;
}

// The records of the tag's entries from `lo` to `hi` (weighed), with their
// keys, into the cursor's list: in SQL's order of the `ordering` columns,
// sorted from the records where the tag's order is not SQL's.
void walkTag(Cursor* c, const Table::Tag& tag, const TagRange& range,
             const std::vector<int>& ordering) {
    const Table& t = *c->table;
    const auto& parts = tag.expr.components();
    const TagIndex& ix = tag.index;
    const std::string &lo = range.lo, &hi = range.hi;
    TagIndex::Pos from = ix.lowerBound(lo.data(), int(lo.size()));
    const bool checking = range.checked >= 0;
    const FieldDef* checkedField = checking ? &t.fields()[size_t(range.checked)] : nullptr;
    TagIndex::Pos sure = checking ? ix.lowerBound(range.sure.data(), int(range.sure.size()))
                                  : from;
    bool below = checking && !(from == sure);
    c->keyLen = tag.expr.keyLength();
    c->keyCol.assign(t.fields().size(), {0, 0});
    for (const auto& comp : parts) {
        const FieldDef& f = t.fields()[size_t(comp.field)];
        if (comp.kind == KeyExpr::Kind::Field && f.type == 'C' && comp.width == f.width)
            c->keyCol[size_t(comp.field)] = {comp.offset, comp.width};
    }
    // The columns whose order is checked: from the key where it holds the
    // field, else from the record.
    struct Check {
        const FieldDef* field;
        int keyOffset, keyWidth;
    };
    std::vector<Check> checked;
    for (int col : ordering)
        checked.push_back({&t.fields()[size_t(col)], c->keyCol[size_t(col)].first,
                           c->keyCol[size_t(col)].second});
    // A whole tag walked in a table without deleted records reads no record.
    const bool whole = lo.empty() && hi.empty() && !checking;
    const bool skipDeleted = !whole || t.deletedCount() > 0;
    bool inOrder = true;
    // The walk ends at the first key above `hi`: a range of a few entries
    // costs no second search.
    for (TagIndex::Pos q = from; !ix.atEnd(q); ix.next(q)) {
        const char* key = ix.keyAt(q);
        if (memcmp(key, hi.data(), hi.size()) > 0) break;
        if (below && q == sure) below = false;
        const std::uint32_t r = ix.recnoAt(q);
        if (r > c->limit) continue;
        if (skipDeleted && TableRaw::record(t, r)[0] == '*') continue;
        if (below && sortsAsSql(*checkedField, TableRaw::record(t, r))) continue;
        for (size_t i = 0; i < checked.size() && inOrder; ++i) {
            const Check& k = checked[i];
            if (k.keyWidth == 0 || !weighsAsItself(key + k.keyOffset, size_t(k.keyWidth)))
                inOrder = sortsAsSql(*k.field, TableRaw::record(t, r));
        }
        c->list.push_back(r);
        c->keys.insert(c->keys.end(), key, key + c->keyLen);
    }
    if (!inOrder) {
        sortAsSql(t, ordering, c->list);
        c->keys.clear(); // the values are read from the records
    }
    c->eof = c->list.empty();
}

int xNext(sqlite3_vtab_cursor* cur) {
    auto* c = reinterpret_cast<Cursor*>(cur);
    if (c->useList) {
        c->eof = ++c->at >= c->list.size();
        return SQLITE_OK;
    }
    const Table& t = *c->table;
    for (++c->recno; c->recno <= c->limit; ++c->recno)
        if (TableRaw::record(t, c->recno)[0] != '*') return SQLITE_OK;
    c->eof = true;
    return SQLITE_OK;
}

int xEof(sqlite3_vtab_cursor* cur) {
    return reinterpret_cast<Cursor*>(cur)->eof ? 1 : 0;
}

std::uint32_t currentRecno(const Cursor* c) {
    return c->useList ? c->list[c->at] : c->recno;
}

int xColumn(sqlite3_vtab_cursor* cur, sqlite3_context* ctx, int col) {
    auto* c = reinterpret_cast<Cursor*>(cur);
    if (sqlite3_vtab_nochange(ctx)) return SQLITE_OK;
    const Table& t = *c->table;
    const FieldDef& f = t.fields()[size_t(col)];
    if (c->useList && !c->keys.empty() && c->keyCol[size_t(col)].second > 0) {
        const auto [offset, width] = c->keyCol[size_t(col)];
        const char* k = c->keys.data() + c->at * size_t(c->keyLen) + offset;
        if (weighsAsItself(k, size_t(width))) {
            int n = width;
            while (n > 0 && k[n - 1] == ' ')
                --n;
            if (n == 0) return sqlite3_result_null(ctx), SQLITE_OK;
            sqlite3_result_text(ctx, k, n, SQLITE_TRANSIENT);
            return SQLITE_OK;
        }
    }
    const char* rec = TableRaw::record(t, currentRecno(c));
    switch (f.type) {
    case 'C':
    case 'D': {
        SqlText v;
        if (!v.read(f, rec)) return sqlite3_result_null(ctx), SQLITE_OK;
        sqlite3_result_text(ctx, v.data, v.bytes, SQLITE_TRANSIENT);
        return SQLITE_OK;
    }
    case 'N':
    case 'F': {
        const char* p = rec + f.offset;
        int a = 0;
        const int n = trimmedWidth(p, f.width);
        while (a < n && (p[a] == ' ' || p[a] == 0))
            ++a;
        if (a == n) return sqlite3_result_null(ctx), SQLITE_OK;
        if (f.type == 'N' && f.decimals == 0 && n - a <= 18) {
            // the common case, read here: an optional sign and digits
            int i = a;
            const bool neg = p[i] == '-';
            if (neg || p[i] == '+') ++i;
            long long v = 0;
            bool digits = i < n;
            for (; i < n && digits; ++i) {
                digits = p[i] >= '0' && p[i] <= '9';
                v = v * 10 + (p[i] - '0');
            }
            if (digits) return sqlite3_result_int64(ctx, neg ? -v : v), SQLITE_OK;
        }
        char buf[48];
        const int len = std::min(n - a, 47);
        memcpy(buf, p + a, size_t(len));
        buf[len] = 0;
        char* end = nullptr;
        if (f.type == 'N' && f.decimals == 0) {
            const long long v = strtoll(buf, &end, 10);
            if (end && *end == 0) return sqlite3_result_int64(ctx, v), SQLITE_OK;
        }
        const double d = strtod(buf, &end);
        if (end && *end == 0)
            sqlite3_result_double(ctx, d);
        else
            sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    default: {
        const QVariant v = TableRaw::decodeField(t, col, rec);
        if (v.isNull()) {
            sqlite3_result_null(ctx);
        } else if (v.typeId() == QMetaType::Bool) {
            sqlite3_result_int(ctx, v.toBool() ? 1 : 0);
        } else {
            const QByteArray u = v.toString().toUtf8();
            sqlite3_result_text(ctx, u.constData(), int(u.size()), SQLITE_TRANSIENT);
        }
        return SQLITE_OK;
    }
    }
}

int xRowid(sqlite3_vtab_cursor* cur, sqlite3_int64* rowid) {
    *rowid = currentRecno(reinterpret_cast<Cursor*>(cur));
    return SQLITE_OK;
}

int xUpdate(sqlite3_vtab* vtab, int argc, sqlite3_value** argv, sqlite3_int64* rowid) {
    auto* vt = reinterpret_cast<VTab*>(vtab);
    Table& t = *vt->table;
    try {
        if (argc == 1) {
            TableRaw::remove(t, std::uint32_t(sqlite3_value_int64(argv[0])));
            return SQLITE_OK;
        }
        const int nf = int(t.fields().size());
        if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
            QByteArray rec(t.header().recordLength, ' ');
            for (int i = 0; i < nf && 2 + i < argc; ++i)
                TableRaw::encodeField(t, i, fromValue(argv[2 + i]), rec.data());
            *rowid = TableRaw::append(t, rec);
            return SQLITE_OK;
        }
        const auto recno = std::uint32_t(sqlite3_value_int64(argv[0]));
        if (sqlite3_value_int64(argv[1]) != sqlite3_value_int64(argv[0]))
            return setError(vtab, QStringLiteral("a rekordszám nem módosítható"));
        QByteArray rec(TableRaw::record(t, recno), t.header().recordLength);
        for (int i = 0; i < nf && 2 + i < argc; ++i) {
            if (sqlite3_value_nochange(argv[2 + i])) continue;
            TableRaw::encodeField(t, i, fromValue(argv[2 + i]), rec.data());
        }
        TableRaw::write(t, recno, rec);
        return SQLITE_OK;
    } catch (const DbError& e) {
        return setError(vtab, e.text());
    }
}

// The module's entries; the ones left out (transactions, renaming, shadow
// tables) stay null whatever this SQLite version's struct holds.
sqlite3_module makeModule() {
    sqlite3_module m{};
    m.iVersion = 2;
    m.xCreate = xConnect;
    m.xConnect = xConnect;
    m.xBestIndex = xBestIndex;
    m.xDisconnect = xDisconnect;
    m.xDestroy = xDisconnect;
    m.xOpen = xOpen;
    m.xClose = xClose;
    m.xFilter = xFilter;
    m.xNext = xNext;
    m.xEof = xEof;
    m.xColumn = xColumn;
    m.xRowid = xRowid;
    m.xUpdate = xUpdate;
    return m;
}

} // namespace

const sqlite3_module& dbfModule() {
    static const sqlite3_module m = makeModule();
    return m;
}

} // namespace engine
