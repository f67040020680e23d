#pragma once
// The table objects of the main window: one per table, opened exclusively for
// the whole run; every window reads and writes through them. The names are
// the names the tables carry in SQL ("select ... from lap").

#include "engine/database.h"
#include "engine/table.h"

#include <QString>
#include <vector>

namespace db {

struct TableSet {
    engine::Database dbo;

    engine::Table lap{QStringLiteral("lap"), &dbo};
    engine::Table lapb{QStringLiteral("lapb"), &dbo};
    engine::Table szerz{QStringLiteral("szerz"), &dbo};
    engine::Table szolgsz{QStringLiteral("szolgsz"), &dbo};
    engine::Table part{QStringLiteral("part"), &dbo};
    engine::Table telep{QStringLiteral("telepul"), &dbo};
    engine::Table terul{QStringLiteral("terulet"), &dbo};
    engine::Table thely{QStringLiteral("thely"), &dbo};
    engine::Table apol{QStringLiteral("apol"), &dbo};
    engine::Table beteg{QStringLiteral("beteg"), &dbo};
    engine::Table orvos{QStringLiteral("orvos"), &dbo};
    engine::Table bno{QStringLiteral("bnotorzs"), &dbo};
    engine::Table maradv{QStringLiteral("maradv"), &dbo};
    engine::Table zaras{QStringLiteral("zaras"), &dbo};
    engine::Table elrend{QStringLiteral("elrend"), &dbo};
    // Not opened with the others: the password table and the sheet entry's
    // scratch table.
    engine::Table sys{QStringLiteral("sys"), &dbo};
    engine::Table temp{QStringLiteral("temp"), &dbo};

    // The database directory, with a trailing "/".
    QString directory() const { return dbo.directory(); }
    // A file of the database directory, found whatever the letter case.
    QString file(const QString& name) const { return dbo.filePath(name); }
};

} // namespace db
