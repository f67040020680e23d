#pragma once
// The ARJ archive format, read and written by the program itself (where
// there is no archiver to run, as on Windows).
//
// An archive is a chain of headers, each "60 EA", its size, the header's
// bytes, their CRC-32 and any extended headers (skipped, their CRC-32
// checked): the main header, then for each member its local header followed
// by its data, then an empty header at the end. The reader takes nothing on
// trust: every header's CRC-32, every size against the archive's length and
// the original size, the member's CRC-32 after unpacking. Members split over
// volumes, garbled (encrypted) members and unknown methods are refused
// before anything is unpacked.
//
// Methods read: 0 (stored), 1-3 (LZ77 with Huffman codes in blocks, one
// decoder for all three) and 4 (LZ77 with fixed prefix codes). The writer
// packs each file with method 4 where that makes it smaller (and unpacks it
// again to be sure), and stores it (method 0) otherwise. Memory stays bounded (a 64 KiB window), the output
// never exceeds the declared size, and `stop` is asked often (at least
// every 32 KiB of output) so that a stop takes effect at once.
//
// Qt Core only; the fuzz target drives it on any bytes.

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <functional>
#include <optional>
#include <vector>

namespace db::arjformat {

// Why an archive is refused.
enum class Fault {
    None,
    NotArj,        // it does not start with an ARJ main header
    BadHeader,     // a header that is damaged (CRC-32, sizes, fields)
    Truncated,     // the archive ends before its end mark or a member's data
    MultiVolume,   // split over volumes
    Encrypted,     // a garbled (password-protected) member or archive
    UnknownMethod, // a member packed with a method other than 0-4
    BadData,       // a member's data do not unpack to its bytes
    TooMany,       // more members than any archive the program reads
    Stopped,       // the caller's stop
    WriteFailed,   // the output could not be written
    ReadFailed,    // an input of the writer could not be read
};

enum class Kind : quint8 { File, Folder, Other };

struct Member {
    QByteArray name;       // as stored, with any folder part
    quint64 size = 0;      // original size in bytes
    quint64 packed = 0;    // its bytes in the archive
    quint32 crc = 0;       // CRC-32 of the original bytes
    int method = 0;        // 0-4
    Kind kind = Kind::File;
    quint32 stamp = 0;     // when it was modified, as stored (see modifiedAt)
    int host = 0;          // the system that packed it (2: UNIX)
    qint64 offset = 0;     // where its data start in the archive
};

struct Catalog {
    std::vector<Member> members;
    Fault fault = Fault::None;
    QByteArray entry; // the member concerned, where there is one
    int method = 0;   // the unknown method
    bool ok() const { return fault == Fault::None; }
};

// At most this many members in an archive.
constexpr size_t kMaxMembers = 10000;

// The standard CRC-32 (as ZIP and ARJ use it), continued from `crc`.
quint32 crc32(const char* data, qsizetype size, quint32 crc = 0);

using Stop = std::function<bool()>;

// Reads every header of the archive (`in` from its start, random access).
Catalog readCatalog(QIODevice& in, const Stop& stop = {});

// Unpacks `m` from `in` (the archive its catalog came from) into `out`:
// exactly `m.size` bytes with their CRC-32 checked, or a fault (the output
// then holds a part and is to be thrown away).
Fault extract(QIODevice& in, const Member& m, QIODevice& out, const Stop& stop = {});

struct Input {
    QByteArray name;     // the name stored (no folder)
    QIODevice* data;     // open for reading, at most 4 GiB - 1
    quint32 modified;    // seconds since 1970 (UTC)
};

// Writes an archive of `inputs` into `out` (open for writing, random access:
// an input over 64 MiB is stored, its header completed after its data).
Fault write(QIODevice& out, const QByteArray& archiveName, const std::vector<Input>& inputs,
            quint32 created, const Stop& stop = {});

// When a member was modified: its stamp is seconds since 1970 where a UNIX
// system packed it (as the writer does), a DOS date and time (local) else.
QDateTime modifiedAt(const Member& m);

} // namespace db::arjformat
