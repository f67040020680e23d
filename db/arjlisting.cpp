#include "db/arjlisting.h"

#include <limits>

namespace db {

namespace {

using View = QByteArrayView;

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

bool allDigits(View v) {
    if (v.isEmpty()) return false;
    for (char c : v)
        if (!isDigit(c)) return false;
    return true;
}

// A decimal number that fits 64 bits.
std::optional<quint64> number(View v) {
    if (!allDigits(v) || v.size() > 19) return std::nullopt;
    quint64 n = 0;
    for (char c : v)
        n = n * 10 + quint64(c - '0');
    return n;
}

// The words of a line, split at blanks.
std::vector<View> words(View line) {
    std::vector<View> w;
    qsizetype i = 0;
    while (i < line.size()) {
        while (i < line.size() && line[i] == ' ')
            ++i;
        const qsizetype from = i;
        while (i < line.size() && line[i] != ' ')
            ++i;
        if (i > from) w.push_back(line.sliced(from, i - from));
    }
    return w;
}

// "nn-nn-nn" or "nn:nn:nn".
bool isTriple(View v, char sep) {
    return v.size() == 8 && isDigit(v[0]) && isDigit(v[1]) && v[2] == sep && isDigit(v[3]) &&
           isDigit(v[4]) && v[5] == sep && isDigit(v[6]) && isDigit(v[7]);
}

// "1.000", "0.512".
bool isRatio(View v) {
    const qsizetype dot = v.indexOf('.');
    return dot > 0 && allDigits(v.first(dot)) && allDigits(v.sliced(dot + 1));
}

// The rule under the heading and above the count: dashes in groups.
bool isRule(View line) {
    if (!line.startsWith(View("------------ ---------- ---------- -----"))) return false;
    for (char c : line)
        if (c != '-' && c != ' ') return false;
    return true;
}

bool isBlank(View line) {
    for (char c : line)
        if (c != ' ' && c != '\t') return false;
    return true;
}

// "001) NAME": the sequence number and the name (everything after ") ").
bool nameLine(View line, quint64* seq, View* name) {
    const qsizetype close = line.indexOf(')');
    if (close <= 0 || close + 2 > line.size() || line[close + 1] != ' ') return false;
    const std::optional<quint64> n = number(line.first(close));
    if (!n) return false;
    *seq = *n;
    *name = line.sliced(close + 2);
    return !name->isEmpty();
}

// " 11 UNIX     6     6 1.000 26-12-09 20:18:30 -rw-r--r-- ---   0": the
// version, the host system (one word or more), the original and compressed
// sizes, the ratio, the date and time, then attributes. Gives the original
// size.
bool detailLine(View line, quint64* size) {
    if (line.isEmpty() || line[0] != ' ') return false;
    const std::vector<View> w = words(line);
    if (w.size() < 7 || !allDigits(w[0])) return false;
    for (size_t k = 2; k + 4 < w.size(); ++k) {
        if (allDigits(w[k]) && allDigits(w[k + 1]) && isRatio(w[k + 2]) &&
            isTriple(w[k + 3], '-') && isTriple(w[k + 4], ':')) {
            const std::optional<quint64> original = number(w[k]);
            if (!original || !number(w[k + 1])) return false;
            *size = *original;
            return true;
        }
    }
    return false;
}

// "      DTA   26-12-09 20:18:30": the access or creation time of an entry.
bool timeLine(View line) {
    if (line.isEmpty() || line[0] != ' ') return false;
    const std::vector<View> w = words(line);
    return w.size() == 3 && (w[0] == View("DTA") || w[0] == View("DTC")) && isTriple(w[1], '-') &&
           isTriple(w[2], ':');
}

// "     3 files         10         10 1.000": the count and the total of the
// original sizes.
bool countLine(View line, quint64* count, quint64* total) {
    const std::vector<View> w = words(line);
    if (w.size() < 3 || w[1] != View("files")) return false;
    const std::optional<quint64> c = number(w[0]), t = number(w[2]);
    if (!c || !t) return false;
    *count = *c;
    *total = *t;
    return true;
}

} // namespace

std::optional<std::vector<ArjEntry>> parseArjListing(QByteArrayView output) {
    std::vector<View> lines;
    for (qsizetype from = 0; from < output.size();) {
        qsizetype nl = output.indexOf('\n', from);
        if (nl < 0) nl = output.size();
        lines.push_back(output.sliced(from, nl - from));
        from = nl + 1;
    }
    const size_t n = lines.size();
    size_t i = 0;
    while (i < n && lines[i] != View("Sequence/Pathname/Comment/Chapters"))
        ++i;
    if (i + 2 >= n || !lines[i + 1].startsWith(View("Rev/Host OS")) || !isRule(lines[i + 2]))
        return std::nullopt;
    i += 3;

    std::vector<ArjEntry> entries;
    quint64 sum = 0;
    for (;;) {
        if (i >= n) return std::nullopt;
        if (isRule(lines[i])) break;
        quint64 seq = 0;
        View name;
        if (!nameLine(lines[i], &seq, &name) || seq != entries.size() + 1) return std::nullopt;
        ++i;
        quint64 size = 0;
        if (i >= n || !detailLine(lines[i], &size)) return std::nullopt;
        ++i;
        while (i < n && timeLine(lines[i]))
            ++i;
        if (size > std::numeric_limits<quint64>::max() - sum) return std::nullopt;
        sum += size;
        entries.push_back({name.toByteArray(), size});
    }
    ++i;
    quint64 count = 0, total = 0;
    if (i >= n || !countLine(lines[i], &count, &total)) return std::nullopt;
    if (entries.empty() || count != entries.size() || total != sum) return std::nullopt;
    for (++i; i < n; ++i)
        if (!isBlank(lines[i])) return std::nullopt;
    return entries;
}

bool isPlainFileName(QByteArrayView name) {
    if (name.isEmpty() || name.size() > 255 || name == View(".")) return false;
    if (name.indexOf(View("..")) >= 0) return false;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || c == '/' || c == '\\' || c == ':') return false;
    }
    return true;
}

QString shownEntryName(QByteArrayView name) {
    QString s = QString::fromUtf8(name);
    for (QChar& c : s)
        if (c.unicode() < 0x20 || c.unicode() == 0x7F) c = QLatin1Char('?');
    return s;
}

} // namespace db
