#pragma once
// What an ARJ archive holds, read from the archiver's own listing ("arj v")
// before anything is unpacked. The listing is read strictly, line by line as
// the archiver writes it: a heading, for each entry its numbered name line
// and its detail line (with the extended time lines the archiver may add),
// a closing rule and the count of files. Anything out of place (a comment
// line, a name that spans lines, a count or a total that does not add up,
// text after the count) makes the listing unreadable, so that an entry can
// never hide behind another.
//
// Pure functions on bytes: the fuzz target drives them.

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>
#include <vector>

namespace db {

struct ArjEntry {
    QByteArray name;  // as the archive holds it, with any folder part
    quint64 size = 0; // the original (unpacked) size in bytes
    bool file = true; // a file (not a folder, a volume or a chapter label)
};

// The entries of the standard output of "arj v ARCHIVE", in archive order;
// nullopt when it is not a complete listing of that form (an archive with
// no entry has none).
std::optional<std::vector<ArjEntry>> parseArjListing(QByteArrayView output);

// True when `name` is a plain file name that unpacks beside the others and
// nowhere else: not empty, no folder part ("/" or "\"), no drive (":"), no
// ".." anywhere, not ".", no control character, at most 255 bytes.
bool isPlainFileName(QByteArrayView name);

// The name as a message shows it: read as UTF-8 (a byte that is none shows
// as the replacement character), control characters as "?".
QString shownEntryName(QByteArrayView name);

} // namespace db
