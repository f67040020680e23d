// The archive listing reader on any text: it reads a listing or refuses it
// and never fails. What it reads holds together: every name is on one line
// and not empty, the names are judged without failing, and the same entries
// written back as the archiver lists them read the same again.
#include "db/arjlisting.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

namespace {

QByteArray listing(const std::vector<db::ArjEntry>& entries) {
    QByteArray out("ARJ32 v 3.10, Copyright (c) 1998-2004, ARJ Software Russia.\n\n"
                   "Processing archive: t.arj\n"
                   "Archive created: 2024-01-02 10:00:00, modified: 2024-01-02 10:00:00\n"
                   "Sequence/Pathname/Comment/Chapters\n"
                   "Rev/Host OS    Original Compressed Ratio DateTime modified Attributes/GUA "
                   "BPMGS\n"
                   "------------ ---------- ---------- ----- ----------------- -------------- "
                   "-----\n");
    quint64 total = 0;
    for (size_t i = 0; i < entries.size(); ++i) {
        out += QByteArray::number(qulonglong(i + 1)).rightJustified(3, '0') + ") " +
               entries[i].name + "\n";
        out += " 11 UNIX  " + QByteArray::number(qulonglong(entries[i].size)).rightJustified(10) +
               "          0 0.000 24-01-02 10:00:00 -rw-r--r-- ---   0  \n";
        if (i % 2) out += "                                   DTA   24-01-02 10:00:00\n";
        total += entries[i].size;
    }
    out += "------------ ---------- ---------- -----\n";
    out += QByteArray::number(qulonglong(entries.size())).rightJustified(6) + " files " +
           QByteArray::number(qulonglong(total)).rightJustified(10) + "          0 0.000 \n";
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView in(reinterpret_cast<const char*>(data), qsizetype(size));
    db::isPlainFileName(in.first(std::min<qsizetype>(in.size(), 300)));
    const std::optional<std::vector<db::ArjEntry>> entries = db::parseArjListing(in);
    if (!entries) return 0;
    if (entries->empty()) std::abort();
    for (const db::ArjEntry& e : *entries) {
        if (e.name.isEmpty() || e.name.contains('\n')) std::abort();
        db::isPlainFileName(e.name);
        db::shownEntryName(e.name);
    }
    const std::optional<std::vector<db::ArjEntry>> again = db::parseArjListing(listing(*entries));
    if (!again || again->size() != entries->size()) std::abort();
    for (size_t i = 0; i < entries->size(); ++i)
        if ((*again)[i].name != (*entries)[i].name || (*again)[i].size != (*entries)[i].size)
            std::abort();
    return 0;
}
