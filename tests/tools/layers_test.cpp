// The folders include each other one way only: the engine knows nothing of
// the program, db/ knows the engine and the message door, core/ (the shared
// state, the clock, the period type and the common checks) stands on db/, the
// subsystems stand on core/, and nothing includes app/, the shell. A
// dependency the other way is passed in as a callback. The test reads every
// include of the program's own headers, "..." and <...> alike, and names each
// one that runs against these directions.

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace {

// The headers of other folders that every subsystem folder may include.
const QStringList base = {"engine/", "ui/", "db/", "core/"};

// What each checked folder may include besides its own files. app/, tools/,
// bench/ and tests/ may include everything; nothing else includes app/.
const std::map<QString, QStringList>& rules() {
    static const std::map<QString, QStringList> r = {
        {"engine", {}},
        {"ui", {"engine/"}},
        // The clock and the period type are plain values the table upgrades use.
        {"db", {"engine/", "ui/", "core/clock.h", "core/idoszak.h"}},
        {"core", {"engine/", "ui/", "db/"}},
        // The report engine: rows come as engine queries, nothing else.
        {"print", {"engine/"}},
        {"masters", base},
        {"sheet", base + QStringList{"masters/"}},
        {"register", base + QStringList{"masters/", "sheet/"}},
        {"exchange", base + QStringList{"masters/", "sheet/", "register/", "print/"}},
        {"reports", base + QStringList{"masters/", "sheet/", "register/", "print/"}},
    };
    return r;
}

// The folders of the program's own headers; an include naming none of them
// (<QString>, <gtest/gtest.h>) is a library's.
const QStringList ownFolders = {"engine/",  "ui/",    "db/",       "core/",     "app/",
                                "masters/", "sheet/", "register/", "exchange/", "reports/",
                                "print/"};

// May a file of `folder` include `header` (as written between the quotes)?
bool allowed(const QString& folder, const QString& header) {
    const auto rule = rules().find(folder);
    if (rule == rules().end()) return true;
    if (!header.contains('/') || header.startsWith(folder + '/')) return true;
    for (const QString& a : rule->second)
        if (a.endsWith('/') ? header.startsWith(a) : header == a) return true;
    return false;
}

TEST(Layers, DirectionsOfTheRules) {
    struct Case {
        const char* folder;
        const char* header;
        bool ok;
    };
    const Case cases[] = {
        {"engine", "engine/table.h", true},     {"engine", "db/tableset.h", false},
        {"ui", "engine/table.h", true},         {"ui", "app/hints.h", false},
        {"ui", "core/appstate.h", false},       {"db", "ui/messages.h", true},
        {"db", "core/appstate.h", false},       {"db", "app/startup.h", false},
        {"db", "core/kozos.h", false},          {"db", "masters/betegek.h", false},
        {"masters", "core/clock.h", true},      {"masters", "app/mainwindow.h", false},
        {"masters", "core/kozos.h", true},      {"masters", "sheet/lapmodel.h", false},
        {"sheet", "masters/betegek.h", true},   {"sheet", "register/x.h", false},
        {"register", "sheet/lapmodel.h", true}, {"register", "exchange/x.h", false},
        {"exchange", "register/x.h", true},     {"exchange", "reports/x.h", false},
        {"reports", "exchange/x.h", false},     {"app", "reports/x.h", true},
        {"tools", "app/startup.h", true},       {"masters", "betegek.h", true},
        {"db", "core/idoszak.h", true},         {"core", "db/tableset.h", true},
        {"core", "sheet/lapmodel.h", false},    {"sheet", "app/appstate.h", false},
        {"exchange", "print/report.h", true},   {"reports", "print/renderer.h", true},
        {"print", "engine/database.h", true},   {"print", "core/appstate.h", false},
        {"print", "reports/lista.h", false},    {"print", "ui/messages.h", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(allowed(c.folder, c.header), c.ok) << c.folder << " -> " << c.header;
}

TEST(Layers, SourceTreeIncludesRunOneWay) {
    const QDir root(QStringLiteral(SZ_SOURCE_DIR));
    static const QRegularExpression include(
        QStringLiteral(R"re(^\s*#\s*include\s*["<]([^">]+)[">])re"));
    QStringList wrong;
    int files = 0;
    for (const auto& [folder, _] : rules()) {
        QDirIterator it(root.filePath(folder), {"*.h", "*.cpp"}, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QFile f(path);
            ASSERT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
            ++files;
            const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
            for (const QString& line : lines) {
                const auto m = include.match(line);
                if (!m.hasMatch()) continue;
                const QString header = m.captured(1);
                const bool own =
                    std::any_of(ownFolders.begin(), ownFolders.end(),
                                [&](const QString& f) { return header.startsWith(f); });
                if ((own || line.contains('"')) && !allowed(folder, header))
                    wrong << root.relativeFilePath(path) + " includes " + header;
            }
        }
    }
    EXPECT_GT(files, 50);
    EXPECT_TRUE(wrong.isEmpty()) << wrong.join('\n').toStdString();
}

} // namespace
