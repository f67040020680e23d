#pragma once
// A table object: one dBase III file opened exclusively, navigated in the
// active tag's order through a standing filter, edited one record at a time
// and posted straight to the file. Deleted records stay in the file, flagged,
// and are skipped everywhere until a pack.
//
// Navigation follows the desktop-database convention: first() and last()
// land on a record or set eof()/bof() when none passes; next() past the last
// record sets eof() and stays on the last one; prior() before the first sets
// bof().

#include "engine/dbffile.h"
#include "engine/dbfheader.h"
#include "engine/fieldcodec.h"
#include "engine/filterexpr.h"
#include "engine/keyexpr.h"
#include "engine/tablebuilder.h"
#include "engine/tagindex.h"

#include <QByteArray>
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <vector>

namespace engine {

class ChangeUnit;
class Database;
struct MdxDirectory;
namespace journal {
struct TableImage;
}

class Table {
public:
    enum class State { Inactive, Browse, Edit, Insert };
    enum class Mode { Exclusive, ReadOnly };

    // `name` is the name queries use for the table while it is open
    // ("lap", "lapb"); `db` may be null for a table outside SQL.
    explicit Table(const QString& name = {}, Database* db = nullptr);
    ~Table();
    Table(const Table&) = delete;
    Table& operator=(const Table&) = delete;

    // Creates a new, empty table file (replacing one that exists) with the
    // given fields, and removes an index file of the same name beside it.
    static void create(const QString& path, std::vector<FieldDef> fields);

    // Where the last-update date written into headers comes from (tests fix it).
    static void setClock(std::function<QDate()> today);

    // True when the index file beside the table exists and is one of ours.
    static bool indexFileOk(const QString& dbfPath);

    void open(const QString& path, Mode mode = Mode::Exclusive);
    void close();
    bool isOpen() const { return fd_ >= 0; }
    bool readOnly() const { return readOnly_; }
    State state() const { return state_; }
    const QString& name() const { return name_; }
    const QString& path() const { return path_; }
    Database* database() const { return db_; }

    const DbfHeader& header() const { return header_; }
    const std::vector<FieldDef>& fields() const { return header_.fields; }
    int fieldIndex(const QString& name) const; // -1 when absent
    bool hasField(const QString& name) const { return fieldIndex(name) >= 0; }
    // Records in the file, deleted ones included.
    std::uint32_t fileRecordCount() const { return header_.recordCount; }
    // Records that navigation reaches (not deleted, passing the filter).
    std::uint32_t recordCount() const;
    // Deleted records in the file: counted on first need, then kept up to
    // date as records are written.
    std::uint32_t deletedCount() const;
    bool isEmpty() const;

    // --- index tags (kept in the .mdx file beside the table) ---
    QString indexPath() const;
    void addTag(const QString& name, const QString& expression);
    void dropTags();
    // Sets the active tag by name (any letter case); an empty name means
    // record order. The choice belongs to the table object and survives close.
    void setActiveTag(const QString& name);
    QString activeTag() const;
    QStringList tagNames() const;
    QString tagExpression(const QString& name) const;

    // --- standing filter ---
    void setFilter(const QString& expression);
    const QString& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }

    // --- navigation ---
    void first();
    void last();
    void next();
    void prior();
    bool bof() const { return bof_; }
    bool eof() const { return eof_; }
    // Re-reads the position: stays on the current record when it is still
    // visible, else moves to the nearest following one.
    void refresh();
    std::uint32_t recno() const { return recno_; }
    // Makes record n current (even if filtered out); throws for a bad number.
    void go(std::uint32_t recno);
    // Ordinal of the current record in tag order among all entries (deleted
    // and filtered included) and the inverse, for grids reading on demand.
    std::size_t orderCount() const;
    std::uint32_t recnoAtOrder(std::size_t ordinal) const;
    std::size_t orderOf(std::uint32_t recno) const;
    bool isVisible(std::uint32_t recno) const;
    // The visible records in the active order, with their ordinals (as
    // orderOf gives them) when `ordinals` is given. A standing filter that
    // bounds the leading field of some tag reads only that tag's range.
    void visibleInOrder(std::vector<std::uint32_t>& recnos,
                        std::vector<std::uint32_t>* ordinals = nullptr) const;

    // First record (in the active order, through the filter) whose fields,
    // listed separated by ";", equal the values exactly, case-sensitively.
    bool locate(const QString& fields, const QVariantList& values);
    bool locate(const QString& field, const QVariant& value) {
        return locate(field, QVariantList{value});
    }
    // First record whose field begins with `text`, ignoring case.
    bool locatePrefix(const QString& field, const QString& text);

    // --- fields of the current record (the edit buffer while editing) ---
    QVariant value(const QString& field) const;
    QVariant value(int field) const;
    // The field as text: character fields without trailing blanks, dates as
    // "YYYY.MM.DD" (empty when blank), numbers as stored without blanks.
    QString text(const QString& field) const;
    QDate date(const QString& field) const;
    double number(const QString& field) const;
    bool isBlank(const QString& field) const;
    bool isDeleted() const;
    void setValue(const QString& field, const QVariant& v);
    void setValue(int field, const QVariant& v);

    // --- editing ---
    void edit();
    void append();
    void post();
    void cancel();
    // Deletes the current record at once (sets its flag) and moves on.
    void remove();
    // Removes deleted records into a new file that replaces the old one only
    // when complete; rebuilds the tags. Not inside a change unit.
    void pack();
    // Recomputes every tag from the records.
    void rebuildTags();
    // Replaces every tag by the given ones (name, expression), built from the
    // records: the new index file is written beside the old one and takes
    // its place only when complete. On a failure the old index file and the
    // old tags stay as they were. Not inside a change unit.
    void replaceTags(const std::vector<std::pair<QString, QString>>& tags);

    // Appends every row of `rows` (values by column position): the records
    // written a megabyte at a time, the header once, the tags at the end.
    void appendRows(const std::vector<QVariantList>& rows);
    // Appends records produced by `next` (which fills a blank record and
    // returns true, or returns false at the end) the same way. On a failure
    // the table keeps the records it had.
    void bulkAppend(const std::function<bool(char* record)>& next);

    // Reads every record (not deleted) of another open dBase table straight
    // into this one: fields matched by name, bytes copied where the two
    // fields agree in type and width, converted through the field codec where
    // they do not; fields the source lacks stay blank. Replace puts a new file
    // in the old one's place when complete. Returns the records read.
    // Inside a change unit Replace takes effect when the unit commits, as
    // replaceWith does.
    enum class Import { Append, Replace };
    std::uint32_t importFrom(const Table& source, Import mode = Import::Append);

    // Puts the file `built` wrote (this table's fields, not yet finished) in
    // the table's place: at once outside a change unit; inside one when the
    // unit commits, through its journal, so that the table ends wholly old or
    // wholly new. Until then the table reads as before and takes no other
    // writes; a table with writes held by the unit cannot be replaced.
    void replaceWith(std::unique_ptr<TableBuilder> built);

    // A read-only view of record n (deleted or not); throws for a bad number.
    // Code above the engine reads records this way or through engine::Scan.
    RecordView record(std::uint32_t recno) const;
    // The key record n has in tag i (the bytes the tag orders by).
    QByteArray tagKey(int tag, std::uint32_t recno) const;

    struct Tag {
        QString name;
        KeyExpr expr;
        TagIndex index; // valid once loaded: read it through tag(i) or tags()
        bool loaded = true;
        // where its entries lie in the index file, read on first use, and
        // the room of its region there (inFile: the region is this tag's)
        std::uint64_t fileOffset = 0, fileSum = 0;
        std::uint32_t fileCount = 0, fileCapacity = 0;
        bool inFile = false;
        // Key changes made while the entries were not read yet, in order:
        // they are applied when the entries are read (appending a few rows
        // to a big table reads none of its tags). The file's entries are
        // those of the table's first `pendingBase` records.
        struct Change {
            bool insert;
            std::uint32_t recno;
            QByteArray key;
        };
        std::vector<Change> pending = {};
        std::uint32_t pendingBase = 0;
    };
    // Every tag with its entries (read from the index file as needed).
    const std::vector<Tag>& tags() const;
    // Tag i with its entries.
    const Tag& tag(int i) const;
    // The tags' names and expressions without reading their entries.
    const std::vector<Tag>& tagList() const { return tags_; }
    int activeTagIndex() const { return active_; }
    // Moves whenever any table's list of tags changes (a tag added or
    // dropped): plans made from the tags compare it.
    static std::uint64_t tagListEpoch();
    // Bumped whenever a record is written; cursors and views compare it.
    std::uint64_t generation() const { return generation_; }
    // How many times an open of this object found the index file older than
    // the table (another program changed the table) and checked every key
    // against its record.
    std::uint64_t recordChecks() const { return recordChecks_; }

    // The change unit that holds the table, or null.
    ChangeUnit* changeUnit() const { return unit_; }

    // The table's side of a change unit (engine/changeunit.h): what a unit
    // that holds the table reads of it and asks of it. Only the unit uses it.
    class UnitSide {
    public:
        explicit UnitSide(Table& t) : t_(t) {}
        void checkOpen() const { t_.checkOpen(); }
        // From now on the table's writes are held for `unit` (reads see
        // them) until drop() or release().
        void hold(ChangeUnit* unit) { t_.holdWrites(unit); }
        bool holdsChanges() const { return t_.held_ && !t_.held_->empty(); }
        // The whole new file the table takes at the commit, or null.
        const TableBuilder* replacement() const {
            return t_.held_ ? t_.held_->replacement.get() : nullptr;
        }
        std::unique_ptr<TableBuilder> takeReplacement() {
            return std::move(t_.held_->replacement);
        }
        // The file before the unit, as the journal records it: its records,
        // size, header, the bytes after the records, and the before-images
        // of the records the unit changes. DbError(Io) when it cannot be read.
        journal::TableImage beforeImage() const;
        // Writes the held records to the file (its index marked first).
        void flush() { t_.flushHeld(); }
        // Flushes the table file; DbError(Io) on failure.
        void sync() const;
        // Forgets the held records and puts the tags back to the file's.
        void drop() { t_.dropHeld(); }
        // Ends the hold (after a commit, or after drop()).
        void release() { t_.releaseHeld(); }
        // Marks the index file "being changed" before the file is replaced.
        void markIndexChanging() { t_.touchIndexFile(); }
        // Takes the open descriptor of the new file now in the table's place.
        void adopt(int fd, std::uint32_t count) { t_.adoptFile(fd, count); }
        // The table takes no writes until the program starts again.
        void block() { t_.blocked_ = true; }
        void showBeforeImages(const std::vector<std::pair<std::uint32_t, QByteArray>>& images,
                              std::uint32_t count) {
            t_.showBeforeImages(images, count);
        }
        // Puts the file back as the journal describes it (journal::restoreFile).
        // The map of the file is let go meanwhile: Windows cannot shorten a
        // file while a view of it is mapped.
        void restore(const journal::TableImage& image);

    private:
        Table& t_;
    };
    UnitSide unitSide() { return UnitSide(*this); }

    // Marks the index file beside the table as "being changed", so that the
    // next open rebuilds it (the table is closed). No index file: nothing.
    static void markIndexStale(const QString& dbfPath);

private:
    // --- raw records: the engine's own (engine/tableraw.h), never above it ---
    friend class TableRaw;
    const char* rawRecord(std::uint32_t recno) const;
    void writeRaw(std::uint32_t recno, const QByteArray& record);
    std::uint32_t appendRaw(const QByteArray& record);
    void deleteRaw(std::uint32_t recno);
    // Encodes v into the raw record for field i; throws for a bad value.
    void encodeField(int field, const QVariant& v, char* record) const;
    QVariant decodeField(int field, const char* record) const;

    // While a change unit holds the table its writes are held here, read back
    // through rawRecord(), and reach the file only when the unit commits,
    // after its journal is durable.
    struct Held {
        std::uint32_t diskCount = 0;                 // records in the file
        std::map<std::uint32_t, QByteArray> changed; // records of the file
        std::vector<QByteArray> appended;            // records diskCount+1...
        std::unique_ptr<TableBuilder> replacement;   // a whole new file (sealed)
        bool empty() const { return changed.empty() && appended.empty() && !replacement; }
    };
    void holdWrites(ChangeUnit* unit);
    // Writes the held records to the file (its index marked first).
    void flushHeld();
    // Forgets the held records and puts the tags back to the file's records.
    void dropHeld();
    // Ends the hold (after a commit, or after dropHeld).
    void releaseHeld();
    // After a rollback that failed half-way: reads see the records as they
    // were before the unit (the before-images over the half-written file)
    // until the table closes; the table takes no writes and cannot be opened
    // again until the next start has rolled the journal back.
    void showBeforeImages(const std::vector<std::pair<std::uint32_t, QByteArray>>& images,
                          std::uint32_t count);

    void checkOpen() const;
    // Refuses (DbError Damaged) a file holding whole records past its count.
    void checkNothingPastCount(std::uint64_t fileSize) const;
    // Read-only tables, and tables whose unit could not roll back (its
    // journal waits for the next start), take no writes.
    void checkWritable() const;
    // Takes the open descriptor of a new file that replaced this table's
    // (the table builder's) and rebuilds the tags over its records.
    void adoptFile(int fd, std::uint32_t count);
    std::function<void(const char*, char*)> recordMapper(const Table& source) const;
    void checkBrowse(const char* what) const;
    int requireField(const QString& name) const;
    const char* currentRecord() const;
    bool passes(const char* rec) const;
    void ensureMapped(std::uint64_t size) const;
    void unmap() const;
    // The record reads that follow jump about the file (a sample), or not.
    void readsAtRandom(bool random) const;
    void writeHeaderCount();
    void touchIndexFile();
    void loadIndexFile();
    // After the table file is closed: its modification time as the system
    // keeps it from now on goes into the index file's directory, when that
    // directory is clean and describes the file as this object left it.
    static void stampIndexTime(const QString& dbfPath, std::uint32_t records,
                               std::uint64_t size);
    void saveIndexFile();
    // The index file with directory `d` written whole under a temporary
    // name, or only the entries that changed and the directory, in place.
    void writeIndexWhole(const QString& target, MdxDirectory& d);
    void writeIndexInPlace(const QString& target, const MdxDirectory& d);
    void ensureTagLoaded(std::size_t i) const;
    void ensureAllTagsLoaded() const;
    // True when every entry's key is the key of its record.
    bool tagsAgreeWithRecords() const;
    // Rebuilds every tag from the records: the index disagreed with them.
    void repairIndex() const;
    void buildTag(Tag& t);
    void keyOf(const Tag& t, const char* rec, char* out) const;
    void tagsInsert(std::uint32_t recno, const char* rec);
    // Before a record is written, appended or deleted: each tag follows the
    // change from then on, either in its entries or, when they were not
    // read yet, in its pending changes.
    void prepareTagChanges();
    // One key into or out of tag t (false: the entry was not there; a
    // pending removal cannot know, and says true).
    void tagInsert(Tag& t, const char* key, std::uint32_t recno);
    bool tagErase(Tag& t, const char* key, std::uint32_t recno);
    // Moves from position `from` (in order) in direction dir to the first
    // visible record; returns 0 when none.
    std::uint32_t scan(std::uint32_t from, bool forward, bool inclusive) const;
    std::uint32_t firstVisible(bool forward) const;
    bool tagPos(std::uint32_t recno, TagIndex::Pos& pos) const;
    // Hands `visit` each entry of tag ti from the first key at or above `lo`
    // to the last whose first bytes are at most *hi (to the end without hi),
    // until it returns false. Keys and bounds are weighed. An entry whose key
    // disagrees with its record makes the index be rebuilt: false is
    // returned, and the walk is to be done again.
    bool walkRange(int ti, const QByteArray& lo, const QByteArray* hi,
                   const std::function<bool(std::uint32_t, const char*)>& visit) const;
    // The first record (or with `all` every one, into *found) among tag ti's
    // entries whose keys begin with `prefix` that passes and satisfies
    // `match`; an entry whose key disagrees with its record makes the index
    // be rebuilt and the seek done again.
    std::uint32_t seek(int ti, const QByteArray& prefix,
                       const std::function<bool(const char*)>& match, bool all = false,
                       std::vector<std::uint32_t>* found = nullptr) const;
    bool recordMatches(const char* rec, const std::vector<int>& fields,
                       const QVariantList& values) const;
    // The records that may pass the standing filter, read from the range of
    // a tag led by a field the filter bounds; false when the filter bounds no
    // such field (every record must then be tried).
    bool filterCandidates(std::vector<std::uint32_t>& out) const;

    QString name_;
    Database* db_;
    QString path_;
    int fd_ = -1;
    bool readOnly_ = false;
    DbfHeader header_;
    mutable const char* map_ = nullptr;
    mutable std::uint64_t mapSize_ = 0;

    std::vector<Tag> tags_;
    int active_ = -1;
    QString activeName_;
    bool activeNameSet_ = false;
    bool indexDirty_ = false;  // tags changed since the index file was written
    bool indexMarked_ = false; // the index file says "being changed"
    bool indexDefaultChanged_ = false;
    bool indexHeaderStale_ = false;    // the index file's directory needs writing
    // This object wrote the table or its index file since it opened it: at
    // close the index file takes the table's time as it is once closed.
    bool indexStampDue_ = false;
    bool deletedCountInFile_ = false; // the index file holds deletedCount_
    std::uint64_t recordChecks_ = 0;
    std::uint32_t indexDirLength_ = 0; // of the directory in the index file
    std::uint64_t repairs_ = 0;        // times the tags were rebuilt from the records

    QString filterText_;
    FilterExpr filterExpr_;
    bool filtered_ = false;

    State state_ = State::Inactive;
    std::uint32_t recno_ = 0;
    bool bof_ = true, eof_ = true;
    QByteArray buffer_;                      // edit buffer
    QByteArray original_;                    // record before edit
    std::uint32_t insertFrom_ = 0;           // current record when append() began
    mutable std::int64_t deletedCount_ = -1; // counted on first need
    std::uint64_t generation_ = 0;

    ChangeUnit* unit_ = nullptr;
    std::unique_ptr<Held> held_;
    bool blocked_ = false;
};

} // namespace engine
