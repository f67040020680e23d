// szindexbench: what closing a table costs after a small change, when its
// index file (.mdx) has to follow. The visit table LAPB (1 000 000 records,
// the program's two tags) and the sheet table LAP (100 000 records, its three
// tags), each closed after
//   (a) one key change in the middle,
//   (b) ten rows of the newest period appended (a new sheet's visits; its
//       number the year's next, and (b') one as in the middle of a year,
//       whose rows land in the middle of the tag led by the number),
//   (c) one row marked deleted,
//   (d) a change of a field no tag reads.
// Each case is run six times on a fresh open: the first run and the median,
// wall clock (the flush included) and processor time, the bytes the process
// wrote while closing and the engine's writes and flushes counted through
// its I/O hook; then where the time of a closing goes, taken from the hook's
// moments (preparing the entries before the first write, writing, flushing).
//
// Usage: szindexbench [FOLDER]   (a temporary folder when none is given)

#include "db/layouts.h"
#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/heap.h"
#include "engine/mdxfile.h"
#include "engine/sysfile.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <functional>
#include <random>
#include <vector>

using engine::FieldDef;
using engine::Table;

namespace {

constexpr int kFirstYear = 2005;
constexpr int kPeriods = 20 * 12;

// The program's layout of a table and its tags.
std::vector<FieldDef> fieldsOf(db::TableId id) {
    return db::layout(id).fields;
}

std::vector<std::pair<QString, QString>> tagsOf(db::TableId id) {
    std::vector<std::pair<QString, QString>> tags;
    for (const db::TagDef& t : db::layout(id).tags)
        tags.emplace_back(t.name, t.expression);
    return tags;
}

QString period(int p) {
    return QStringLiteral("%1.%2")
        .arg(kFirstYear + p / 12)
        .arg(p % 12 + 1, 2, 10, QLatin1Char('0'));
}

// A raw record filled field by field from text, as the file stores it.
struct RecordMaker {
    std::vector<FieldDef> fields;
    QByteArray rec;
    explicit RecordMaker(const std::vector<FieldDef>& f, int length)
        : fields(f), rec(length, ' ') {}
    void clear() { rec.fill(' '); }
    void set(const char* name, const QByteArray& text) {
        for (const FieldDef& f : fields)
            if (f.name == QLatin1String(name)) {
                const int len = std::min<int>(int(text.size()), f.width);
                if (f.type == 'N')
                    memcpy(rec.data() + f.offset + f.width - len, text.constData(), size_t(len));
                else
                    memcpy(rec.data() + f.offset, text.constData(), size_t(len));
                return;
            }
        throw std::runtime_error(std::string("no field ") + name);
    }
};

// The sheets: 100 000 over 240 periods, numbered from 1 again each year, ten
// visit rows each.
struct Sheet {
    QByteArray idoszak, sorsz, taj;
};

std::vector<Sheet> makeSheets(int count) {
    std::vector<Sheet> out;
    int number = 0, lastYear = -1;
    for (int i = 0; i < count; ++i) {
        const int p = int(std::int64_t(i) * kPeriods / count);
        if (p / 12 != lastYear) number = 0;
        lastYear = p / 12;
        out.push_back({period(p).toLatin1(), QByteArray::number(++number).rightJustified(5, '0'),
                       QByteArray::number(100000000 + (i * 7919) % 30000)});
    }
    return out;
}

void fillSheet(RecordMaker& m, const Sheet& s) {
    m.clear();
    m.set("IDOSZAK", s.idoszak);
    m.set("INTKOD", "0123");
    m.set("FINKOD", "123456789");
    m.set("SORSZ", s.sorsz);
    m.set("TAJ", s.taj);
    m.set("ELB", s.idoszak.left(4) + s.idoszak.mid(5, 2) + "01");
    m.set("SZVIZ", "10");
    m.set("ELKULDVE", s.idoszak);
}

void fillVisit(RecordMaker& m, const Sheet& s, int v) {
    m.clear();
    m.set("IDOSZAK", s.idoszak);
    m.set("INTKOD", "0123");
    m.set("FINKOD", "123456789");
    m.set("SORSZ", s.sorsz);
    m.set("TEVKOD", "12");
    m.set("ELLTIP", "2");
    m.set("ONKEP", QByteArray::number(1 + v % 3));
    m.set("APDATUM", s.idoszak.left(4) + s.idoszak.mid(5, 2) + QByteArray::number(10 + v));
    m.set("APTAJ", s.taj);
    m.set("VIZITDB", "1");
    m.set("ELIDO", "0130");
    m.set("ELKULDVE", s.idoszak);
}

void build(const QString& path, const std::vector<FieldDef>& fields,
           const std::vector<std::pair<QString, QString>>& tags, std::size_t rows,
           const std::function<void(RecordMaker&, std::size_t)>& fill) {
    QFile::remove(path);
    QFile::remove(engine::mdxPathFor(path));
    {
        engine::TableBuilder b(path, fields);
        RecordMaker m(b.fields(), b.recordLength());
        for (std::size_t i = 0; i < rows; ++i) {
            fill(m, i);
            b.addRaw(m.rec.constData());
        }
        b.commit();
    }
    Table t;
    t.open(path);
    t.replaceTags(tags);
}

double cpuNow() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

using Clock = std::chrono::steady_clock;

double since(Clock::time_point a) {
    return std::chrono::duration<double>(Clock::now() - a).count();
}

// Bytes this process has written through write calls (/proc/self/io).
long long bytesWritten() {
    QFile f(QStringLiteral("/proc/self/io"));
    if (!f.open(QIODevice::ReadOnly)) return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("wchar:")) return line.mid(6).trimmed().toLongLong();
    return -1;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

// One closing measured: its times, bytes, the hook's operations and where the
// time went between them.
struct Closing {
    double wall = 0, cpu = 0;
    long long bytes = 0;
    int writes = 0, syncs = 0;
    double prep = 0, writing = 0, flushing = 0;
};

Closing measureClose(Table& t) {
    struct Event {
        engine::testing::IoOp op;
        Clock::time_point at;
    };
    std::vector<Event> events;
    engine::testing::setIoHook([&](engine::testing::IoOp op, long) {
        events.push_back({op, Clock::now()});
        return engine::testing::IoAction::Proceed;
    });
    Closing r;
    const long long b0 = bytesWritten();
    const double c0 = cpuNow();
    const auto a = Clock::now();
    t.close();
    const auto end = Clock::now();
    r.cpu = cpuNow() - c0;
    r.wall = std::chrono::duration<double>(end - a).count();
    r.bytes = bytesWritten() - b0;
    engine::testing::setIoHook(nullptr);
    auto span = [](Clock::time_point x, Clock::time_point y) {
        return std::chrono::duration<double>(y - x).count();
    };
    r.prep = events.empty() ? r.wall : span(a, events.front().at);
    for (size_t i = 0; i < events.size(); ++i) {
        const double s = span(events[i].at, i + 1 < events.size() ? events[i + 1].at : end);
        if (events[i].op == engine::testing::IoOp::Sync) {
            ++r.syncs;
            r.flushing += s;
        } else {
            if (events[i].op == engine::testing::IoOp::Write) ++r.writes;
            r.writing += s;
        }
    }
    return r;
}

void printCase(const char* what, const std::vector<Closing>& runs) {
    std::vector<double> wall, cpu, prep, writing, flushing;
    for (const Closing& c : runs) {
        wall.push_back(c.wall);
        cpu.push_back(c.cpu);
        prep.push_back(c.prep);
        writing.push_back(c.writing);
        flushing.push_back(c.flushing);
    }
    const Closing& f = runs.front();
    std::vector<long long> bytes;
    for (const Closing& c : runs)
        bytes.push_back(c.bytes);
    std::sort(bytes.begin(), bytes.end());
    std::printf("%-34s wall first %8.2f / median %8.2f ms   cpu first %7.2f / median %7.2f ms\n",
                what, f.wall * 1e3, median(wall) * 1e3, f.cpu * 1e3, median(cpu) * 1e3);
    std::printf("%-34s %12lld bytes written (median), %d writes, %d flushes; median: prepare "
                "%.2f, write %.2f, flush %.2f ms\n",
                "", bytes[bytes.size() / 2], runs.back().writes, runs.back().syncs,
                median(prep) * 1e3, median(writing) * 1e3, median(flushing) * 1e3);
}

struct Case {
    const char* name;
    std::function<void(Table&, int run)> change;
};

void runTable(const char* title, const QString& path, const std::vector<Case>& cases) {
    std::printf("\n%s\n", title);
    for (const Case& k : cases) {
        std::vector<Closing> runs;
        for (int run = 0; run < 6; ++run) {
            Table t;
            t.open(path);
            k.change(t, run);
            runs.push_back(measureClose(t));
        }
        printCase(k.name, runs);
    }
}

// Where the time of writing a whole index goes: the entries laid out, their
// checksums, written into a new file and flushed.
void wholeWriteParts(const QString& path) {
    Table t;
    t.open(path, Table::Mode::ReadOnly);
    const auto& tags = t.tags();
    std::vector<std::vector<char>> entries(tags.size());
    auto a = Clock::now();
    for (size_t i = 0; i < tags.size(); ++i)
        tags[i].index.save(entries[i]);
    const double serialise = since(a);
    a = Clock::now();
    std::uint64_t sum = 0;
    std::size_t total = 0;
    for (const auto& e : entries) {
        sum ^= engine::mdxChecksum(e.data(), e.size());
        total += e.size();
    }
    const double checksums = since(a);
    // The tags' checksums as the file keeps them now: a hash per entry, summed.
    a = Clock::now();
    std::uint64_t hashes = 0;
    for (size_t i = 0; i < tags.size(); ++i) {
        const int el = tags[i].index.entryLength();
        for (size_t at = 0; at < entries[i].size(); at += size_t(el))
            hashes += engine::mdxEntryHash(entries[i].data() + at, el);
    }
    const double entryHashes = since(a);
    const QString tmp = path + QStringLiteral(".bench-tmp");
    const int fd = engine::sys::open(tmp, engine::sys::ReadWrite | engine::sys::Create | engine::sys::Truncate);
    a = Clock::now();
    std::uint64_t at = 0;
    for (const auto& e : entries) {
        engine::writeAt(fd, at, e.data(), e.size(), tmp);
        at += e.size();
    }
    const double write = since(a);
    a = Clock::now();
    engine::sys::sync(fd);
    const double flush = since(a);
    engine::sys::close(fd);
    QFile::remove(tmp);
    std::printf("  a whole index of %zu bytes (%zu tags): serialising %.2f ms, checksums %.2f ms "
                "(summed per entry %.2f ms), writing %.2f ms, flushing %.2f ms (sum %llx)\n",
                total, tags.size(), serialise * 1e3, checksums * 1e3, entryHashes * 1e3,
                write * 1e3, flush * 1e3, static_cast<unsigned long long>((sum ^ hashes) & 0xF));
}

// Closing each table after each kind of small change.
void closings(const QString& lapbPath, const QString& lapPath, const std::vector<Sheet>& sheets) {
    // The newest sheets: the last period, numbered on from the year's last.
    const Sheet& newest = sheets.back();
    int next = newest.sorsz.toInt();
    auto newSheet = [&]() {
        Sheet s = newest;
        s.sorsz = QByteArray::number(++next).rightJustified(5, '0');
        return s;
    };
    auto keyChange = [](Table& t, int run) {
        t.go(t.fileRecordCount() / 2 + std::uint32_t(run) * 37);
        t.edit();
        t.setValue(QStringLiteral("RESZ"),
                   t.text(QStringLiteral("RESZ")) == u"A" ? QString() : QStringLiteral("A"));
        t.post();
    };
    auto deletion = [](Table& t, int run) {
        t.go(t.fileRecordCount() / 3 + std::uint32_t(run) * 101);
        t.remove();
    };
    // A sheet of the newest period numbered as in the middle of a year
    // (its visits land in the middle of Lapb1).
    int midNumber = 2500;
    auto midYearSheet = [&]() {
        Sheet s = newest;
        s.sorsz = QByteArray::number(++midNumber).rightJustified(5, '0');
        return s;
    };
    auto append = [&](Table& t, int rows, bool visits, bool midYear = false) {
        RecordMaker m(t.fields(), int(t.header().recordLength));
        const Sheet s = midYear ? midYearSheet() : newSheet();
        for (int v = 0; v < rows; ++v) {
            if (visits)
                fillVisit(m, s, v);
            else
                fillSheet(m, v == 0 ? s : newSheet());
            // appended as the program appends: its fields set and posted
            const engine::RecordView made(&m.fields, m.rec.constData());
            t.append();
            for (int f = 0; f < made.fieldCount(); ++f)
                if (!made.isBlank(f)) t.setValue(f, made.value(f));
            t.post();
        }
    };
    auto plainField = [](const char* field) {
        return [field](Table& t, int run) {
            t.go(t.fileRecordCount() / 2 + std::uint32_t(run) * 53);
            t.edit();
            t.setValue(QLatin1String(field), t.number(QLatin1String(field)) == 7 ? 8 : 7);
            t.post();
        };
    };

    std::printf("\nwhere the time of a whole index write goes, before any closing:\n");
    std::printf("LAPB:");
    wholeWriteParts(lapbPath);
    std::printf("LAP: ");
    wholeWriteParts(lapPath);

    runTable(
        "closing LAPB (1 000 000 rows, tags Lapb1 Sorsz+Resz, Lapb2 Idoszak+Sorsz+Resz)", lapbPath,
        {{"(a) one key change in the middle", keyChange},
         {"(b) ten visit rows appended", [&](Table& t, int) { append(t, 10, true); }},
         {"(b') the same, a mid-year number", [&](Table& t, int) { append(t, 10, true, true); }},
         {"(c) one row marked deleted", deletion},
         {"(d) a non-key field changed", plainField("VIZITDB")}});
    runTable("closing LAP (100 000 rows, tags Lap1 Sorsz+Resz, Lap2 Taj+Idoszak, Lap3 "
             "Idoszak+Sorsz+Resz)",
             lapPath,
             {{"(a) one key change in the middle", keyChange},
              {"(b) ten sheets appended", [&](Table& t, int) { append(t, 10, false); }},
              {"(c) one row marked deleted", deletion},
              {"(d) a non-key field changed", plainField("SZVIZ")}});
}

void firstTagReads(const QString& lapbPath) {
    // The tags read on first use after an open (their checksums
    // summed, their order checked): what the first seek pays.
    std::vector<double> reads;
    for (int run = 0; run < 6; ++run) {
        Table t;
        t.open(lapbPath);
        const auto a = Clock::now();
        t.tags();
        reads.push_back(since(a));
    }
    std::printf("\nLAPB's two tags read on first use     first %8.2f / median %8.2f ms\n",
                reads.front() * 1e3, median(reads) * 1e3);
}

void unchangedClose(const QString& lapbPath) {
    // Unchanged: opening and closing touch nothing.
    std::vector<Closing> runs;
    for (int run = 0; run < 6; ++run) {
        Table t;
        t.open(lapbPath);
        runs.push_back(measureClose(t));
    }
    std::printf("\n");
    printCase("LAPB opened and closed unchanged", runs);
}

} // namespace

int main(int argc, char** argv) {
    engine::keepFreedMemory();
    QTemporaryDir tmp;
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : tmp.path();
    QDir().mkpath(dir);
    const QString lapbPath = dir + "/LAPB.DBF";
    const QString lapPath = dir + "/LAP.DBF";
    try {
        const std::vector<Sheet> sheets = makeSheets(100000);
        const auto t0 = Clock::now();
        build(lapbPath, fieldsOf(db::TableId::Lapb), tagsOf(db::TableId::Lapb), 1000000,
              [&](RecordMaker& m, std::size_t i) { fillVisit(m, sheets[i / 10], int(i % 10)); });
        build(lapPath, fieldsOf(db::TableId::Lap), tagsOf(db::TableId::Lap), sheets.size(),
              [&](RecordMaker& m, std::size_t i) { fillSheet(m, sheets[i]); });
        std::printf("built LAPB (1 000 000 rows) and LAP (100 000 rows) in %.1f s in %s\n",
                    since(t0), qPrintable(dir));
        std::printf("index files: LAPB.MDX %lld bytes, LAP.MDX %lld bytes\n",
                    QFileInfo(engine::mdxPathFor(lapbPath)).size(),
                    QFileInfo(engine::mdxPathFor(lapPath)).size());

        closings(lapbPath, lapPath, sheets);
        firstTagReads(lapbPath);
        unchangedClose(lapbPath);
    } catch (const engine::DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
