// A table's side of a change unit: its writes held while the unit runs,
// written or forgotten when it ends, and what the unit's journal records of
// the file before it.

#include "engine/table.h"

#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/journal.h"
#include "engine/sysfile.h"

#include <QFileInfo>
#include <algorithm>

namespace engine {

journal::TableImage Table::UnitSide::beforeImage() const {
    const Table& t = t_;
    sys::FileInfo st;
    if (!sys::fileInfo(t.fd_, &st)) throw ioError(t.path(), QStringLiteral("nem olvasható"));
    const DbfHeader& h = t.header_;
    journal::TableImage img;
    img.file = QFileInfo(t.path()).fileName();
    img.count = t.held_->diskCount;
    img.size = st.size;
    img.recordLength = h.recordLength;
    img.header = QByteArray(t.map_, h.headerLength);
    const quint64 end = quint64(h.headerLength) + quint64(img.count) * h.recordLength;
    if (img.size > end) img.tail = QByteArray(t.map_ + end, qsizetype(img.size - end));
    for (const auto& held : t.held_->changed) {
        const std::uint32_t recno = held.first;
        img.images.emplace_back(
            recno, QByteArray(t.map_ + h.headerLength + quint64(recno - 1) * h.recordLength,
                              h.recordLength));
    }
    return img;
}

void Table::UnitSide::sync() const {
    syncFile(t_.fd_, t_.path());
}

void Table::UnitSide::restore(const journal::TableImage& image) {
    t_.unmap();
    try {
        journal::restoreFile(t_.fd_, image, t_.path());
    } catch (...) {
        // Whatever the failure left, the file still holds its records before
        // the unit: the map reads them again.
        t_.ensureMapped(image.size);
        throw;
    }
    t_.ensureMapped(image.size);
}

void Table::holdWrites(ChangeUnit* unit) {
    unit_ = unit;
    held_ = std::make_unique<Held>();
    held_->diskCount = header_.recordCount;
}

void Table::flushHeld() {
    if (!held_ || held_->empty()) return;
    touchIndexFile();
    const std::uint32_t rl = header_.recordLength;
    const std::uint64_t base = header_.headerLength;
    for (const auto& [recno, rec] : held_->changed)
        writeAt(fd_, base + std::uint64_t(recno - 1) * rl, rec.constData(), rl, path_);
    if (!held_->appended.empty()) {
        QByteArray block;
        block.reserve(qsizetype(held_->appended.size() * rl + 1));
        for (const QByteArray& rec : held_->appended)
            block.append(rec);
        block.append(char(0x1A));
        const std::uint64_t at = base + std::uint64_t(held_->diskCount) * rl;
        writeAt(fd_, at, block.constData(), size_t(block.size()), path_);
        writeHeaderCount();
        ensureMapped(at + std::uint64_t(block.size()));
    }
}

void Table::dropHeld() {
    if (!held_) return;
    std::unique_ptr<Held> held = std::move(held_);
    if (state_ == State::Edit || state_ == State::Insert) cancel();
    // Back to the file's records: the held ones leave the tags, the file's
    // own come back. A tag that does not hold what it should is rebuilt.
    header_.recordCount = held->diskCount;
    for (Tag& t : tags_) {
        bool lost = false;
        std::vector<char> k(size_t(t.expr.keyLength()));
        for (const auto& [recno, rec] : held->changed) {
            keyOf(t, rec.constData(), k.data());
            lost |= !tagErase(t, k.data(), recno);
            keyOf(t, rawRecord(recno), k.data());
            tagInsert(t, k.data(), recno);
        }
        for (size_t i = 0; i < held->appended.size(); ++i) {
            keyOf(t, held->appended[i].constData(), k.data());
            lost |= !tagErase(t, k.data(), held->diskCount + std::uint32_t(i) + 1);
        }
        // A tag not read yet is checked when its changes are applied.
        if (lost || (t.loaded && t.index.size() != header_.recordCount)) buildTag(t);
    }
    if (!tags_.empty() && !held->empty()) indexDirty_ = true;
    deletedCount_ = -1;
    ++generation_;
    if (recno_ > header_.recordCount) recno_ = 0;
    refresh();
}

void Table::releaseHeld() {
    // The deleted count followed the held writes (a dropped unit's were
    // forgotten with them): it stays.
    held_.reset();
    unit_ = nullptr;
    ++generation_;
}

void Table::showBeforeImages(const std::vector<std::pair<std::uint32_t, QByteArray>>& images,
                             std::uint32_t count) {
    blocked_ = true;
    if (state_ == State::Edit || state_ == State::Insert) cancel();
    held_ = std::make_unique<Held>();
    header_.recordCount = std::min(count, header_.recordCount);
    held_->diskCount = header_.recordCount;
    for (const auto& [recno, rec] : images)
        if (recno >= 1 && recno <= header_.recordCount &&
            rec.size() == qsizetype(header_.recordLength))
            held_->changed[recno] = rec;
    for (Tag& t : tags_)
        buildTag(t);
    deletedCount_ = -1;
    ++generation_;
    if (recno_ > header_.recordCount) recno_ = 0;
    refresh();
}

} // namespace engine
