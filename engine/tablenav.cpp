// Navigation of a table: the standing filter, moving in the active order,
// counting, and locating records.

#include "engine/table.h"

#include "engine/codepage.h"
#include "engine/collation.h"
#include "engine/dberror.h"
#include "engine/fieldcodec.h"

#include <algorithm>
#include <cstring>

namespace engine {

// ---------------------------------------------------------------- filter

void Table::setFilter(const QString& expression) {
    filterExpr_ = isOpen() ? FilterExpr::parse(expression, header_.fields, path_) : FilterExpr();
    filterText_ = expression;
}

void Table::setFiltered(bool on) {
    if (on && isOpen() && filterExpr_.text() != filterText_)
        filterExpr_ = FilterExpr::parse(filterText_, header_.fields, path_);
    filtered_ = on;
    if (isOpen() && state_ == State::Browse) refresh();
}

bool Table::passes(const char* rec) const {
    if (rec[0] == '*') return false;
    if (!filtered_ || filterText_.trimmed().isEmpty()) return true;
    if (filterExpr_.text() != filterText_)
        const_cast<Table*>(this)->filterExpr_ =
            FilterExpr::parse(filterText_, header_.fields, path_);
    return filterExpr_.matches(rec);
}

bool Table::isVisible(std::uint32_t recno) const {
    return recno >= 1 && recno <= header_.recordCount && passes(rawRecord(recno));
}

// ---------------------------------------------------------------- navigation

bool Table::tagPos(std::uint32_t recno, TagIndex::Pos& pos) const {
    const Tag& t = tag(active_);
    std::vector<char> k(size_t(t.expr.keyLength()));
    keyOf(t, rawRecord(recno), k.data());
    pos = t.index.find(k.data(), recno);
    if (!t.index.atEnd(pos)) return true;
    // Every record has its entry under its own key: one that has none means
    // the index no longer describes the table. It is rebuilt, never followed.
    repairIndex();
    const Tag& fresh = tag(active_);
    pos = fresh.index.find(k.data(), recno);
    return !fresh.index.atEnd(pos);
}

bool Table::walkRange(int ti, const QByteArray& lo, const QByteArray* hi,
                      const std::function<bool(std::uint32_t, const char*)>& visit) const {
    const Tag& t = tag(ti);
    const TagIndex& ix = t.index;
    std::vector<char> k(size_t(t.expr.keyLength()));
    const TagIndex::Pos end = hi ? ix.upperBound(hi->constData(), int(hi->size())) : ix.end();
    for (TagIndex::Pos p = ix.lowerBound(lo.constData(), int(lo.size()));
         !ix.atEnd(p) && !(p == end); ix.next(p)) {
        const std::uint32_t r = ix.recnoAt(p);
        bool agrees = r >= 1 && r <= header_.recordCount;
        const char* rec = agrees ? rawRecord(r) : nullptr;
        if (agrees) {
            keyOf(t, rec, k.data());
            agrees = memcmp(k.data(), ix.keyAt(p), k.size()) == 0;
        }
        if (!agrees) {
            // a key that disagrees with its record
            repairIndex();
            return false;
        }
        if (!visit(r, rec)) return true;
    }
    return true;
}

std::uint32_t Table::seek(int ti, const QByteArray& prefix,
                          const std::function<bool(const char*)>& match, bool all,
                          std::vector<std::uint32_t>* found) const {
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::uint32_t first = 0;
        if (found) found->clear();
        const bool whole = walkRange(ti, prefix, &prefix, [&](std::uint32_t r, const char* rec) {
            if (!passes(rec) || !match(rec)) return true;
            if (!first) first = r;
            if (found) found->push_back(r);
            return all;
        });
        if (whole) return first;
    }
    return 0;
}

std::uint32_t Table::firstVisible(bool forward) const {
    if (header_.recordCount == 0) return 0;
    if (active_ < 0) {
        if (forward) {
            for (std::uint32_t r = 1; r <= header_.recordCount; ++r)
                if (passes(rawRecord(r))) return r;
        } else {
            for (std::uint32_t r = header_.recordCount; r >= 1; --r)
                if (passes(rawRecord(r))) return r;
        }
        return 0;
    }
    const TagIndex& ix = tag(active_).index;
    if (forward) {
        for (TagIndex::Pos p = ix.begin(); !ix.atEnd(p); ix.next(p))
            if (passes(rawRecord(ix.recnoAt(p)))) return ix.recnoAt(p);
    } else {
        TagIndex::Pos p = ix.lastPos();
        if (ix.atEnd(p)) return 0;
        do {
            if (passes(rawRecord(ix.recnoAt(p)))) return ix.recnoAt(p);
        } while (ix.prev(p));
    }
    return 0;
}

std::uint32_t Table::scan(std::uint32_t from, bool forward, bool inclusive) const {
    if (from == 0 || from > header_.recordCount) return firstVisible(forward);
    if (active_ < 0) {
        std::int64_t r =
            inclusive ? from : (forward ? std::int64_t(from) + 1 : std::int64_t(from) - 1);
        for (; r >= 1 && r <= std::int64_t(header_.recordCount); r += forward ? 1 : -1)
            if (passes(rawRecord(std::uint32_t(r)))) return std::uint32_t(r);
        return 0;
    }
    const TagIndex& ix = tag(active_).index;
    TagIndex::Pos p;
    if (!tagPos(from, p)) return 0; // not even in the rebuilt index
    if (!inclusive) {
        if (forward)
            ix.next(p);
        else if (!ix.prev(p))
            return 0;
    }
    while (!ix.atEnd(p)) {
        const std::uint32_t r = ix.recnoAt(p);
        if (passes(rawRecord(r))) return r;
        if (forward) {
            ix.next(p);
        } else if (!ix.prev(p)) {
            break;
        }
    }
    return 0;
}

void Table::first() {
    checkBrowse("first");
    recno_ = firstVisible(true);
    bof_ = true;
    eof_ = recno_ == 0;
}

void Table::last() {
    checkBrowse("last");
    recno_ = firstVisible(false);
    eof_ = true;
    bof_ = recno_ == 0;
}

void Table::next() {
    checkBrowse("next");
    if (recno_ == 0) {
        eof_ = true;
        return;
    }
    const std::uint32_t n = scan(recno_, true, false);
    if (n == 0) {
        eof_ = true;
        if (!isVisible(recno_)) {
            recno_ = firstVisible(false);
            if (recno_ == 0) bof_ = true;
        }
    } else {
        recno_ = n;
        bof_ = eof_ = false;
    }
}

void Table::prior() {
    checkBrowse("prior");
    if (recno_ == 0) {
        bof_ = true;
        return;
    }
    const std::uint32_t n = scan(recno_, false, false);
    if (n == 0) {
        bof_ = true;
        if (!isVisible(recno_)) {
            recno_ = firstVisible(true);
            if (recno_ == 0) eof_ = true;
        }
    } else {
        recno_ = n;
        bof_ = eof_ = false;
    }
}

void Table::refresh() {
    checkOpen();
    if (state_ != State::Browse) return;
    if (recno_ != 0 && isVisible(recno_)) {
        bof_ = eof_ = false;
        return;
    }
    std::uint32_t n = recno_ ? scan(recno_, true, true) : firstVisible(true);
    if (n == 0 && recno_) n = scan(recno_, false, true);
    recno_ = n;
    bof_ = eof_ = n == 0;
}

void Table::go(std::uint32_t recno) {
    checkBrowse("go");
    rawRecord(recno); // range check
    recno_ = recno;
    bof_ = eof_ = false;
}

std::size_t Table::orderCount() const {
    if (active_ < 0) return header_.recordCount;
    return tag(active_).index.size();
}

std::uint32_t Table::recnoAtOrder(std::size_t ordinal) const {
    if (active_ < 0) return ordinal < header_.recordCount ? std::uint32_t(ordinal + 1) : 0;
    const TagIndex& ix = tag(active_).index;
    const TagIndex::Pos p = ix.atOrdinal(ordinal);
    return ix.atEnd(p) ? 0 : ix.recnoAt(p);
}

std::size_t Table::orderOf(std::uint32_t recno) const {
    if (active_ < 0) return recno ? recno - 1 : 0;
    TagIndex::Pos p;
    if (!tagPos(recno, p)) return 0;
    return tag(active_).index.ordinal(p);
}

bool Table::filterCandidates(std::vector<std::uint32_t>& out) const {
    out.clear();
    if (!filtered_ || filterText_.trimmed().isEmpty()) return false;
    if (filterExpr_.text() != filterText_)
        const_cast<Table*>(this)->filterExpr_ =
            FilterExpr::parse(filterText_, header_.fields, path_);
    // The narrowest range among the tags led by a bounded field.
    int bestTag = -1;
    QByteArray bestLo, bestHi;
    bool bestHasHi = false;
    std::size_t bestSpan = 0;
    for (const FilterExpr::Range& r : filterExpr_.ranges()) {
        if ((r.hasLo && !weighsAsItself(r.lo.constData(), size_t(r.lo.size()))) ||
            (r.hasHi && !weighsAsItself(r.hi.constData(), size_t(r.hi.size()))))
            continue;
        for (std::size_t ti = 0; ti < tags_.size(); ++ti) {
            const auto& parts = tags_[ti].expr.components();
            if (parts.empty() || parts[0].kind != KeyExpr::Kind::Field || parts[0].field != r.field)
                continue;
            const int w = parts[0].width;
            QByteArray lo = r.hasLo ? r.lo.left(w) : QByteArray();
            QByteArray hi = r.hasHi ? r.hi.left(w) : QByteArray();
            KeyExpr::weigh(lo.data(), int(lo.size()));
            KeyExpr::weigh(hi.data(), int(hi.size()));
            const TagIndex& ix = tag(int(ti)).index;
            const std::size_t from = ix.ordinal(ix.lowerBound(lo.constData(), int(lo.size())));
            const std::size_t to =
                r.hasHi ? ix.ordinal(ix.upperBound(hi.constData(), int(hi.size()))) : ix.size();
            const std::size_t span = to > from ? to - from : 0;
            if (bestTag < 0 || span < bestSpan) {
                bestTag = int(ti);
                bestLo = lo;
                bestHi = hi;
                bestHasHi = r.hasHi;
                bestSpan = span;
            }
        }
    }
    if (bestTag < 0) return false;
    for (int attempt = 0; attempt < 2; ++attempt) {
        out.clear();
        if (walkRange(bestTag, bestLo, bestHasHi ? &bestHi : nullptr,
                      [&](std::uint32_t r, const char* rec) {
                          if (passes(rec)) out.push_back(r);
                          return true;
                      }))
            return true;
    }
    // Still disagreeing after a rebuild: every record is tried instead.
    out.clear();
    return false;
}

void Table::visibleInOrder(std::vector<std::uint32_t>& recnos,
                           std::vector<std::uint32_t>* ordinals) const {
    checkOpen();
    recnos.clear();
    if (ordinals) ordinals->clear();
    std::vector<std::uint32_t> candidates;
    // Each candidate is looked up in the active tag (a search of its key):
    // past a sixteenth of the tag, walking the whole tag costs less.
    if (filterCandidates(candidates) &&
        (active_ < 0 || candidates.size() <= tag(active_).index.size() / 16)) {
        std::vector<std::pair<std::uint32_t, std::uint32_t>> ordered; // ordinal, recno
        ordered.reserve(candidates.size());
        for (std::uint32_t r : candidates) {
            if (active_ < 0) {
                ordered.emplace_back(r - 1, r);
                continue;
            }
            TagIndex::Pos p;
            if (tagPos(r, p)) ordered.emplace_back(std::uint32_t(tag(active_).index.ordinal(p)), r);
        }
        std::sort(ordered.begin(), ordered.end());
        recnos.reserve(ordered.size());
        for (const auto& [o, r] : ordered) {
            recnos.push_back(r);
            if (ordinals) ordinals->push_back(o);
        }
        return;
    }
    std::uint32_t ordinal = 0;
    auto take = [&](std::uint32_t r) {
        if (r >= 1 && r <= header_.recordCount && passes(rawRecord(r))) {
            recnos.push_back(r);
            if (ordinals) ordinals->push_back(ordinal);
        }
        ++ordinal;
    };
    if (active_ < 0) {
        for (std::uint32_t r = 1; r <= header_.recordCount; ++r)
            take(r);
        return;
    }
    const TagIndex& ix = tag(active_).index;
    for (TagIndex::Pos p = ix.begin(); !ix.atEnd(p); ix.next(p))
        take(ix.recnoAt(p));
}

std::uint32_t Table::recordCount() const {
    checkOpen();
    if (std::vector<std::uint32_t> candidates; filterCandidates(candidates))
        return std::uint32_t(candidates.size());
    if (!filtered_ || filterText_.trimmed().isEmpty()) return header_.recordCount - deletedCount();
    std::uint32_t n = 0;
    for (std::uint32_t r = 1; r <= header_.recordCount; ++r)
        if (passes(rawRecord(r))) ++n;
    return n;
}

std::uint32_t Table::deletedCount() const {
    checkOpen();
    if (deletedCount_ < 0) {
        std::int64_t n = 0;
        for (std::uint32_t r = 1; r <= header_.recordCount; ++r)
            if (rawRecord(r)[0] == '*') ++n;
        deletedCount_ = n;
    }
    return std::uint32_t(deletedCount_);
}

bool Table::isEmpty() const {
    return firstVisible(true) == 0;
}

// ---------------------------------------------------------------- locate

bool Table::recordMatches(const char* rec, const std::vector<int>& fields,
                          const QVariantList& values) const {
    for (size_t k = 0; k < fields.size(); ++k) {
        const FieldDef& f = header_.fields[size_t(fields[k])];
        const QVariant want = k < size_t(values.size()) ? values[qsizetype(k)] : QVariant();
        const QVariant have = engine::decodeField(header_.fields[size_t(fields[k])], rec);
        if (f.type == 'C') {
            QString w = want.isNull() ? QString() : want.toString();
            while (w.endsWith(QLatin1Char(' ')))
                w.chop(1);
            if (have.toString() != w) return false;
        } else if (f.type == 'D') {
            const QDate hd = have.toDate();
            QDate wd;
            if (want.typeId() == QMetaType::QDate) {
                wd = want.toDate();
            } else if (!want.isNull()) {
                bool isBlank = false;
                wd = parseDateText(want.toString(), &isBlank);
                if (!isBlank && !wd.isValid()) return false;
            }
            if (hd != wd) return false;
        } else if (f.type == 'N' || f.type == 'F') {
            if (want.isNull() ||
                (want.typeId() == QMetaType::QString && want.toString().trimmed().isEmpty())) {
                if (!have.isNull()) return false;
            } else {
                bool ok = false;
                const double w = QString(want.toString()).replace(',', '.').toDouble(&ok);
                if (!ok || have.isNull() || have.toDouble() != w) return false;
            }
        } else if (have != want) {
            return false;
        }
    }
    return true;
}

bool Table::locate(const QString& fieldList, const QVariantList& values) {
    checkBrowse("locate");
    std::vector<int> fields;
    for (const QString& name : fieldList.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        fields.push_back(requireField(name.trimmed()));
    if (fields.empty()) return false;

    // With a tag led by these character fields (in this order), seek: through
    // the active tag when it is one, else through another and pick the first
    // match in the active order.
    auto prefixFor = [&](const Tag& t, QByteArray& prefix) -> int {
        const auto& parts = t.expr.components();
        size_t k = 0;
        while (k < fields.size() && k < parts.size() && parts[k].kind == KeyExpr::Kind::Field &&
               parts[k].field == fields[k] && header_.fields[size_t(fields[k])].type == 'C') {
            const FieldDef& f = header_.fields[size_t(fields[k])];
            QString w = values.value(qsizetype(k)).toString();
            while (w.endsWith(QLatin1Char(' ')))
                w.chop(1);
            auto enc = encode852(w);
            if (!enc || enc->size() > f.width) return -1; // cannot match at all
            QByteArray padded = *enc;
            padded.append(QByteArray(f.width - enc->size(), ' '));
            prefix += padded;
            ++k;
        }
        KeyExpr::weigh(prefix.data(), int(prefix.size()));
        return int(k);
    };
    auto matches = [&](const char* rec) { return recordMatches(rec, fields, values); };
    auto land = [&](std::uint32_t r) {
        if (r == 0) return false;
        recno_ = r;
        bof_ = eof_ = false;
        return true;
    };
    int best = -1, bestLen = 0;
    QByteArray bestPrefix;
    for (size_t ti = 0; ti < tags_.size(); ++ti) {
        QByteArray prefix;
        const int k = prefixFor(tags_[ti], prefix);
        if (k < 0) return false;
        if (k > bestLen || (k == bestLen && k > 0 && int(ti) == active_)) {
            best = int(ti);
            bestLen = k;
            bestPrefix = prefix;
        }
    }
    if (best >= 0 && best == active_) return land(seek(best, bestPrefix, matches, false));
    if (best >= 0) {
        std::vector<std::uint32_t> found;
        seek(best, bestPrefix, matches, true, &found);
        if (found.empty()) return false;
        std::uint32_t pick = found.front();
        if (active_ < 0) {
            pick = *std::min_element(found.begin(), found.end());
        } else {
            std::size_t order = orderOf(pick);
            for (std::uint32_t r : found)
                if (const std::size_t o = orderOf(r); o < order) order = o, pick = r;
        }
        return land(pick);
    }
    // A walk that found the index stale on the way is done once more on the
    // rebuilt one, which agrees with every record.
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::uint64_t repairs = repairs_;
        for (std::uint32_t r = firstVisible(true); r != 0; r = scan(r, true, false))
            if (recordMatches(rawRecord(r), fields, values)) return land(r);
        if (repairs_ == repairs) break;
    }
    return false;
}

bool Table::locatePrefix(const QString& field, const QString& text) {
    checkBrowse("locatePrefix");
    const int fi = requireField(field);
    if (active_ >= 0) {
        const Tag& t = tag(active_);
        const auto& parts = t.expr.components();
        if (parts[0].kind == KeyExpr::Kind::Field && parts[0].field == fi &&
            header_.fields[size_t(fi)].type == 'C') {
            auto enc = encode852(text);
            if (!enc) return false;
            QByteArray prefix = enc->left(header_.fields[size_t(fi)].width);
            KeyExpr::weigh(prefix.data(), int(prefix.size()));
            const FieldDef& f = header_.fields[size_t(fi)];
            const std::uint32_t r = seek(active_, prefix, [&](const char* rec) {
                return engine::decodeField(f, rec).toString().startsWith(text, Qt::CaseInsensitive);
            });
            if (r == 0) return false;
            recno_ = r;
            bof_ = eof_ = false;
            return true;
        }
    }
    for (int attempt = 0; attempt < 2; ++attempt) {
        const std::uint64_t repairs = repairs_;
        for (std::uint32_t r = firstVisible(true); r != 0; r = scan(r, true, false)) {
            const QVariant v = engine::decodeField(header_.fields[size_t(fi)], rawRecord(r));
            const QString s = header_.fields[size_t(fi)].type == 'D'
                                  ? v.toDate().toString(QStringLiteral("yyyy.MM.dd"))
                                  : v.toString();
            if (s.startsWith(text, Qt::CaseInsensitive)) {
                recno_ = r;
                bof_ = eof_ = false;
                return true;
            }
        }
        if (repairs_ == repairs) break;
    }
    return false;
}

} // namespace engine
