#pragma once
// The pieces the full data set's import (exchange/teljesadat.h) reads the
// office's files and writes the local records with: a field's place in a
// raw record, the office's file read field by field with every value
// checked as a typed value would be, and the copying of fields of the same
// meaning (db/kuldemenyforma.h) into the local tables' records. A million
// visit rows go through here, so the values are read from the fields' stored
// characters (engine::RecordView) and checked byte by byte; a value that does
// not fit is reported through RavFajl's message.

#include "core/idoszak.h"
#include "db/kuldemenyforma.h"
#include "engine/dbfheader.h"
#include "engine/fieldcodec.h"
#include "exchange/ravfajl.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace engine {
class TableBuilder;
}

namespace exch {

// A field of a layout: its number (for reading a record of the office's
// file) and where it lies in a record (for writing a local one).
struct Mezo {
    int i = -1, off = -1, width = 0;
    char type = 'C';
    QString name;
    bool ok() const { return off >= 0; }
    engine::FieldDef def() const;
};

// The field `name` of a layout (any letter case); !ok() when it lacks it.
Mezo mezo(const std::vector<engine::FieldDef>& fields, const QString& name);

// The field's stored characters without blanks and NULs on either side.
QByteArrayView nyers(const engine::RecordView& rec, const Mezo& f);

inline bool szamjegy(char c) {
    return c >= '0' && c <= '9';
}

// One of the office's files, read through RavFajl, its records in an order
// of our choosing.
struct Forras {
    std::unique_ptr<RavFajl> f;
    const engine::Table* t = nullptr;
    Forras(const QString& path, const QStringList& needed, const QString& shown);
    Mezo m(const char* name) const { return mezo(t->fields(), QLatin1String(name)); }

    [[noreturn]] void hiba(std::uint32_t recno, const Mezo& m, const engine::RecordView& rec,
                           const QString& why) const;
    // Why a value that does not fit the local column `d` is refused: the
    // typed field's message.
    [[noreturn]] void nemFer(std::uint32_t recno, const Mezo& m, const engine::RecordView& rec,
                             const QString& v, const Mezo& d, bool digits) const;
    // A whole number; -1 when blank.
    qint64 egesz(std::uint32_t recno, const engine::RecordView& rec, const Mezo& m) const;
    // A whole number that must be there.
    qint64 kotelezoEgesz(std::uint32_t recno, const engine::RecordView& rec, const Mezo& m) const;
    // A period in one of the office's forms (db::kuldIdoszak).
    core::Idoszak idoszak(std::uint32_t recno, const engine::RecordView& rec, const Mezo& m) const;
    // A real date as the number yyyyMMdd (0: blank), from a date field or a
    // date written as text.
    int datum(std::uint32_t recno, const engine::RecordView& rec, const Mezo& m) const;
    // A text for the local column `d`, checked as a typed text: no control
    // character, at most `d`'s width, digits only when `digits`. The bytes
    // without the padding on the right (and, from a numeric field, on the
    // left); what stands before a text is its own.
    QByteArrayView szoveg(std::uint32_t recno, const engine::RecordView& rec, const Mezo& m,
                          const Mezo& d, bool digits = false) const;

private:
    // The last period read, its bytes and its value.
    mutable QByteArray utolsoIdoszak_;
    mutable core::Idoszak utolsoErtek_;
};

// Writing fields of a record of a local table (filled with blanks first).
// The values are checked before they come here.
struct Cel {
    const std::vector<engine::FieldDef>* fields;
    Mezo m(const char* name) const { return mezo(*fields, QLatin1String(name)); }

    static void szoveg(char* rec, const Mezo& d, QByteArrayView v) {
        std::memcpy(rec + d.off, v.data(), size_t(std::min<qsizetype>(v.size(), d.width)));
    }
};

// A key's whole number checked for its text column: refused when it has
// more digits than the column is wide.
void ferBe(const Forras& f, std::uint32_t recno, const engine::RecordView& in, const Mezo& src,
           const Mezo& d, qint64 n);
// A whole number into a text column as digits filled with "0" to `width`
// (at most the column's); blank when n < 0.
void nullas(const Forras& f, std::uint32_t recno, const engine::RecordView& in, const Mezo& src,
            char* out, const Mezo& d, qint64 n, int width = 0);

// Copies a field of the same meaning: text as bytes, numbers re-justified,
// dates as dates, each checked for its column. `szamHossz` > 0: a number
// becomes a text of that many digits filled with "0" (a TAJ number sent as a
// number lost its zero), and a text must be digits.
struct Masolas {
    Mezo src, dst;
    int szamHossz = 0;
};

void masol(const Forras& f, std::uint32_t recno, const engine::RecordView& in, char* out,
           const std::vector<Masolas>& lista);

// The copies from the office's file into the local table `tabla`: the
// fields of `lista` the import takes back as they are (Visszavetel Masol,
// Kulcs, Taj), the key fields also into ELREND.
std::vector<Masolas> masolasok(const Forras& f, const Cel& c,
                               const std::vector<db::KuldMezo>& lista, db::KuldTabla tabla);

// A new, empty file beside the table, of its layout, for its new records.
std::unique_ptr<engine::TableBuilder> ujTabla(const engine::Table& t);

// A sheet's (or visit's) key in the office's file.
struct Kulcs {
    core::Idoszak p;
    qint64 sorszam;
    char resz;
    int nap; // visits only: yyyyMMdd as a number
    std::uint32_t recno;

    bool ugyanaz(const Kulcs& o) const {
        return p == o.p && sorszam == o.sorszam && resz == o.resz && nap == o.nap;
    }
};
// The order of period, serial number, part and day (then the row).
bool kisebb(const Kulcs& a, const Kulcs& b);

// The key as one number, for the sheets' index.
quint64 lapKulcs(core::Idoszak p, qint64 sorszam, char resz);
// A sheet as messages name it: "00007", "00030/A", and its period.
QString lapNeve(const Kulcs& k);
// The part of a sheet's key as one byte: blank when empty.
inline char reszBajt(QByteArrayView v) {
    return v.isEmpty() ? ' ' : v[0];
}

} // namespace exch
