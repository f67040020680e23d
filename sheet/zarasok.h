#pragma once
// The closed periods (ZARAS) as the sheet commands read them: the latest
// record (the last in "Idoszak+dtos(Zaras)" order: the latest period dealt
// with) and the record of one period. Read through SQL so that the shared
// table object's cursor and active tag stay where the windows left them.

#include <QDate>
#include <QString>

namespace engine {
class Database;
}

namespace sheet {

struct ZarasRekord {
    bool van = false; // a record was found
    QString idoszak;  // "YYYY.MM"
    QDate zaras;      // closing date; invalid when the record has none
};

// The last ZARAS record in index order. Throws engine::DbError when the
// query cannot run.
ZarasRekord utolsoZaras(engine::Database& db);

// The (first) ZARAS record of the period. Throws engine::DbError.
ZarasRekord idoszakZarasa(engine::Database& db, const QString& idoszak);

// A date as the program writes it, "YYYY.MM.DD"; empty when invalid.
QString datumSzoveg(const QDate& d);
// A date the SQL layer hands back ("YYYY-MM-DD") as "YYYY.MM.DD"; empty
// for NULL or anything else that is not such a date.
QString isoDatum(const QVariant& v);

} // namespace sheet
