#pragma once
// Helpers shared by the engine tests: readable Qt values in failure messages,
// catching the engine's errors, a fixed header date and a small table shaped
// like the program's sheet table.

#include "engine/dberror.h"
#include "engine/table.h"
#include "support/testsupport.h"

#include <QDate>
#include <QString>
#include <QVariant>
#include <gtest/gtest.h>

#include <optional>
#include <ostream>
#include <vector>

// Readable failure messages for Qt values.
inline void PrintTo(const QString& s, std::ostream* os) {
    *os << '"' << s.toStdString() << '"';
}
inline void PrintTo(const QVariant& v, std::ostream* os) {
    if (v.isNull())
        *os << "NULL(" << v.typeName() << ")";
    else
        *os << v.typeName() << ":" << v.toString().toStdString();
}
inline void PrintTo(const QDate& d, std::ostream* os) {
    *os << (d.isValid() ? d.toString(Qt::ISODate).toStdString() : std::string("<no date>"));
}

namespace enginetest {

using engine::DbError;
using engine::Table;

// The engine error `f` throws, or nothing when it returns normally.
template <class F> std::optional<DbError> dbError(F&& f) {
    try {
        f();
    } catch (const DbError& e) {
        return e;
    }
    return std::nullopt;
}

inline const char* kindName(DbError::Kind k) {
    switch (k) {
    case DbError::Kind::Io:
        return "Io";
    case DbError::Kind::Damaged:
        return "Damaged";
    case DbError::Kind::Locked:
        return "Locked";
    case DbError::Kind::Encoding:
        return "Encoding";
    case DbError::Kind::Value:
        return "Value";
    case DbError::Kind::Usage:
        return "Usage";
    case DbError::Kind::Query:
        return "Query";
    case DbError::Kind::KeyViolation:
        return "KeyViolation";
    }
    return "?";
}

// Passes when `f` throws DbError of `kind`; prints what happened otherwise.
template <class F>::testing::AssertionResult throwsKind(DbError::Kind kind, F&& f) {
    try {
        f();
    } catch (const DbError& e) {
        if (e.kind() == kind) return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure()
               << "DbError of kind " << kindName(e.kind()) << " instead of " << kindName(kind)
               << ": " << e.what();
    } catch (const std::exception& e) {
        return ::testing::AssertionFailure() << "another exception: " << e.what();
    }
    return ::testing::AssertionFailure() << "no error, expected " << kindName(kind);
}

// Fixes the date written into headers for the life of the object.
class FixedClock {
public:
    explicit FixedClock(QDate d) : day_(d) {
        Table::setClock([this] { return day_; });
    }
    ~FixedClock() { Table::setClock(nullptr); }
    void set(QDate d) { day_ = d; }

private:
    QDate day_;
};

// A few fields of the sheet table, enough for tags, filters and queries.
inline std::vector<engine::FieldDef> sheetFields() {
    using engine::fieldDef;
    return {
        fieldDef("IDOSZAK", 'C', 7), fieldDef("SORSZ", 'C', 5),    fieldDef("RESZ", 'C', 1),
        fieldDef("NEV", 'C', 20),    fieldDef("ELB", 'D'),         fieldDef("APNAP", 'N', 3),
        fieldDef("TELE", 'C', 1),    fieldDef("ELKULDVE", 'C', 7), fieldDef("MODTIPUS", 'C', 1)};
}

struct Sheet {
    Sheet(QString idoszak = {}, QString sorsz = {}, QString resz = {}, QString nev = {},
          QDate elb = {}, QVariant apnap = {}, QString tele = {}, QString elkuldve = {},
          QString modtipus = {})
        : idoszak(idoszak), sorsz(sorsz), resz(resz), nev(nev), elb(elb), apnap(apnap), tele(tele),
          elkuldve(elkuldve), modtipus(modtipus) {}
    QString idoszak, sorsz, resz, nev;
    QDate elb;
    QVariant apnap;
    QString tele, elkuldve, modtipus;
};

inline void appendSheet(Table& t, const Sheet& s) {
    t.append();
    t.setValue("idoszak", s.idoszak);
    t.setValue("sorsz", s.sorsz);
    t.setValue("resz", s.resz);
    t.setValue("nev", s.nev);
    t.setValue("elb", s.elb);
    t.setValue("apnap", s.apnap);
    t.setValue("tele", s.tele);
    t.setValue("elkuldve", s.elkuldve);
    t.setValue("modtipus", s.modtipus);
    t.post();
}

// Creates a sheet table at `path` holding `rows`.
inline void makeSheetTable(const QString& path, const std::vector<Sheet>& rows) {
    Table::create(path, sheetFields());
    Table t;
    t.open(path);
    for (const Sheet& s : rows)
        appendSheet(t, s);
    t.close();
}

// The values of `field` in navigation order, first to eof.
inline QStringList walk(Table& t, const QString& field) {
    QStringList out;
    for (t.first(); !t.eof(); t.next())
        out << t.text(field);
    return out;
}

// The values of `field` in navigation order, last to bof.
inline QStringList walkBack(Table& t, const QString& field) {
    QStringList out;
    for (t.last(); !t.bof(); t.prior())
        out << t.text(field);
    return out;
}

} // namespace enginetest
