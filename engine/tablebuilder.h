#pragma once
// Writing a whole table file at once: rows are added to a new file under a
// temporary name beside the target, and commit() puts it in the target's
// place only when complete (the header's count and date written once, the
// contents synced, the rename made durable). abandon(), or destroying the
// builder unfinished, removes the temporary file: never a half-written file
// under the real name. Pack, the table upgrades, the backup's copies and the
// shipment files are written this way.

#include "engine/dbffile.h"
#include "engine/dbfheader.h"

#include <QByteArray>
#include <QString>
#include <QVariant>
#include <memory>
#include <vector>

namespace engine {

class TableBuilder {
public:
    // A new table with these fields (offsets are filled in) that will replace
    // `target`; the temporary file is `target` + `tmpSuffix`.
    TableBuilder(const QString& target, std::vector<FieldDef> fields,
                 const QString& tmpSuffix = QStringLiteral(".uj"));
    // A new table with the header of an existing one (its exact bytes).
    TableBuilder(const QString& target, const DbfHeader& header, const QByteArray& headerBytes,
                 const QString& tmpSuffix);
    ~TableBuilder();
    TableBuilder(const TableBuilder&) = delete;
    TableBuilder& operator=(const TableBuilder&) = delete;

    const std::vector<FieldDef>& fields() const { return header_.fields; }
    int recordLength() const { return header_.recordLength; }
    std::uint32_t count() const { return count_; }
    const QString& target() const { return file_->target(); }
    const QString& tmpPath() const { return file_->tmpPath(); }
    int fd() const { return file_->fd(); }

    // Appends a row: values by field position (missing ones blank).
    void addRow(const QVariantList& values);
    // Appends a raw record of recordLength() bytes (deletion flag first).
    void addRaw(const char* record);
    // The date commit() writes as the header's last update (by default
    // engine::today()).
    void setDate(const QDate& day) { date_ = day; }

    // Completes the file and puts it in the target's place. With keepOpen,
    // returns the open descriptor of the new file (else -1).
    int commit(bool keepOpen = false);
    void abandon();

    // Completes the file under its temporary name (count and date written,
    // contents synced) without putting it in place: a change unit puts it
    // there with its journal (Table::replaceWith). No rows may follow.
    void seal();
    bool sealed() const { return sealed_; }
    // After the unit renamed the sealed file over the target: the file's
    // open descriptor; the builder is done and removes nothing.
    int takeSealed();

    // Copies any file byte for byte the same way (the backup's copies).
    static void copyFile(const QString& from, const QString& to,
                         const QString& tmpSuffix = QStringLiteral(".uj"));

private:
    void flush();
    void writeTrailer();

    DbfHeader header_;
    std::unique_ptr<NewFile> file_;
    QByteArray buffer_;
    QByteArray row_;
    std::uint32_t count_ = 0;
    QDate date_;
    bool sealed_ = false;
};

} // namespace engine
