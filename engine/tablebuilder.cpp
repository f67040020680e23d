#include "engine/tablebuilder.h"

#include "engine/clock.h"
#include "engine/coding.h"
#include "engine/dberror.h"
#include "engine/fieldcodec.h"
#include "engine/outsidefile.h"
#include "engine/sysfile.h"

#include <QFile>
#include <algorithm>
#include <cerrno>

namespace engine {

namespace {
constexpr qsizetype kChunk = 1 << 20; // records go to the file a megabyte at a time
}

TableBuilder::TableBuilder(const QString& target, std::vector<FieldDef> fields,
                           const QString& tmpSuffix) {
    const QByteArray head = buildDbfHeader(fields, target);
    header_.fields = std::move(fields);
    header_.headerLength = std::uint16_t(head.size());
    int len = 1;
    for (const FieldDef& f : header_.fields)
        len += f.width;
    header_.recordLength = std::uint16_t(len);
    file_ = std::make_unique<NewFile>(target, target + tmpSuffix);
    buffer_ = head;
}

TableBuilder::TableBuilder(const QString& target, const DbfHeader& header,
                           const QByteArray& headerBytes, const QString& tmpSuffix)
    : header_(header) {
    file_ = std::make_unique<NewFile>(target, target + tmpSuffix);
    buffer_ = headerBytes.left(header.headerLength);
}

TableBuilder::~TableBuilder() {
    abandon();
}

void TableBuilder::flush() {
    if (buffer_.isEmpty()) return;
    file_->append(buffer_.constData(), std::size_t(buffer_.size()));
    buffer_.clear();
}

void TableBuilder::addRaw(const char* record) {
    if (!file_ || sealed_) throw DbError(DbError::Kind::Usage, QString(), QStringLiteral("a tábla kész"));
    if (count_ == 0xFFFFFFFFu)
        throw DbError(DbError::Kind::Value, target(), QStringLiteral("a tábla megtelt"));
    buffer_.append(record, header_.recordLength);
    ++count_;
    if (buffer_.size() >= kChunk) flush();
}

void TableBuilder::addRow(const QVariantList& values) {
    if (row_.size() != header_.recordLength) row_ = QByteArray(header_.recordLength, ' ');
    row_.fill(' ');
    const int n = std::min(int(header_.fields.size()), int(values.size()));
    for (int i = 0; i < n; ++i)
        encodeField(header_.fields[size_t(i)], values[i], row_.data(), target());
    addRaw(row_.constData());
}

void TableBuilder::writeTrailer() {
    buffer_.append(char(0x1A));
    flush();
    char h[7];
    const QDate d = date_.isValid() ? date_ : today();
    h[0] = char(d.year() % 100);
    h[1] = char(d.month());
    h[2] = char(d.day());
    put32le(h + 3, count_);
    file_->writeAt(1, h, 7);
}

void TableBuilder::seal() {
    if (!file_ || sealed_)
        throw DbError(DbError::Kind::Usage, QString(), QStringLiteral("a tábla kész"));
    try {
        writeTrailer();
        file_->sync();
        sealed_ = true;
    } catch (...) {
        abandon();
        throw;
    }
}

int TableBuilder::takeSealed() {
    if (!file_ || !sealed_)
        throw DbError(DbError::Kind::Usage, QString(), QStringLiteral("a tábla nincs lezárva"));
    const int fd = file_->release();
    file_.reset();
    return fd;
}

int TableBuilder::commit(bool keepOpen) {
    if (!file_) throw DbError(DbError::Kind::Usage, QString(), QStringLiteral("a tábla kész"));
    try {
        if (!sealed_) writeTrailer();
        const int fd = file_->commit(keepOpen);
        file_.reset();
        return fd;
    } catch (...) {
        abandon();
        throw;
    }
}

void TableBuilder::abandon() {
    if (file_) file_->abandon();
    file_.reset();
    buffer_.clear();
}

void TableBuilder::copyFile(const QString& from, const QString& to, const QString& tmpSuffix) {
    // A regular file only, and no more of it than it held when opened: a
    // link to a device or a FIFO neither fills the disk nor waits forever.
    qint64 left = 0;
    const int in = openRegularFile(from, &left);
    try {
        NewFile out(to, to + tmpSuffix);
        std::vector<char> buf(1 << 16);
        std::uint64_t at = 0;
        while (left > 0) {
            const long long n = sys::readAt(
                in, buf.data(), std::size_t(std::min<qint64>(left, qint64(buf.size()))), at);
            if (n < 0) throw ioError(from, QStringLiteral("nem olvasható"));
            if (n == 0) break;
            out.append(buf.data(), std::size_t(n));
            left -= n;
            at += std::uint64_t(n);
        }
        out.commit();
    } catch (...) {
        sys::close(in);
        throw;
    }
    sys::close(in);
}

} // namespace engine
