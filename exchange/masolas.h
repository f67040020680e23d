#pragma once
// The copy of a sent shipment's three files from KULD into a folder the user
// picked (a floppy, a stick, a shared folder), made so that the folder never
// holds a set that looks whole but is not:
//
//   1. a mark in KULD ("masolas.jel") names the folder and the files, flushed
//      before anything there changes;
//   2. the three files of an earlier copy in that folder are removed;
//   3. each file is written and flushed under a temporary name (".uj");
//   4. the three take their names, then the mark goes.
//
// A copy that fails takes what it wrote along and says why, naming the file
// the user knows. A copy cut short by a kill or a power loss leaves the mark
// (or the mark's own temporary file, when it was cut short before anything
// else): at the next start inditaskor() removes from the folder what the
// copy left (unless the three files there are already KULD's own) and
// returns the warning for the user.
//
//     if (auto hiba = exch::Masolas::masol(kuld, cel, intkod)) st.msg.error(*hiba);
//     const QString figyelmeztetes = exch::Masolas::inditaskor(kuld);

#include <QString>
#include <optional>

namespace exch {

class Masolas {
public:
    // Copies the three files of `intkod` from `kuld` into `cel` under their
    // lower-case names. Returns nothing when done, else the message for the
    // user (which ends with the advice that the files are in KULD).
    static std::optional<QString> masol(const QString& kuld, const QString& cel,
                                        const QString& intkod);

    // At start-up: when a copy was cut short, cleans its folder and returns
    // what to tell the user; an empty text otherwise.
    static QString inditaskor(const QString& kuld);

    // A folder as the user knows it: the system's separators, no trailing one
    // (but "F:\" and "/" stay whole).
    static QString mappaNev(const QString& dir);

    // The mark of a copy in progress, in KULD.
    static QString jelPath(const QString& kuld);
};

} // namespace exch
