// The bulk paths: many records appended at once, and another dBase table read
// straight into this one (appended, or replacing its records in one step).
// Records go to the file a megabyte at a time, the header's count is written
// once, and the tags are brought up to date at the end, by one sort each when
// many records came.

#include "engine/table.h"

#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fieldcodec.h"
#include "engine/sysfile.h"
#include "engine/tablebuilder.h"

#include <cstring>

namespace engine {

namespace {
constexpr qsizetype kChunk = 1 << 20;
}

void Table::bulkAppend(const std::function<bool(char* record)>& next) {
    checkBrowse("append");
    checkWritable();
    if (held_) {
        // Inside a change unit the rows join the unit's held writes, one by
        // one, so that the unit can still drop or roll them back.
        QByteArray one(header_.recordLength, ' ');
        for (;;) {
            one.fill(' ');
            if (!next(one.data())) break;
            appendRaw(one);
        }
        return;
    }
    touchIndexFile();
    // Many rows at once: the tags take them in their entries.
    ensureAllTagsLoaded();
    const std::uint32_t before = header_.recordCount;
    const std::uint64_t start =
        std::uint64_t(header_.headerLength) + std::uint64_t(before) * header_.recordLength;
    std::uint64_t at = start;
    std::uint32_t added = 0;
    QByteArray chunk;
    chunk.reserve(kChunk + header_.recordLength + 1);
    QByteArray rec(header_.recordLength, ' ');
    try {
        for (;;) {
            rec.fill(' ');
            if (!next(rec.data())) break;
            if (std::uint64_t(before) + added >= 0xFFFFFFFFu)
                throw DbError(DbError::Kind::Value, path_, QStringLiteral("a tábla megtelt"));
            chunk.append(rec);
            ++added;
            if (chunk.size() >= kChunk) {
                writeAt(fd_, at, chunk.constData(), std::size_t(chunk.size()), path_);
                at += std::uint64_t(chunk.size());
                chunk.clear();
            }
        }
        chunk.append(char(0x1A));
        writeAt(fd_, at, chunk.constData(), std::size_t(chunk.size()), path_);
        header_.recordCount = before + added;
        writeHeaderCount();
    } catch (...) {
        // The header still counts the records before: what was written after
        // them is not part of the table. Cut it off again where possible.
        header_.recordCount = before;
        try {
            truncateAt(fd_, start, path_);
            writeAt(fd_, start, "\x1A", 1, path_);
        } catch (...) {
        }
        throw;
    }
    if (added == 0) return;
    ensureMapped(start + std::uint64_t(added) * header_.recordLength + 1);
    if (deletedCount_ >= 0)
        for (std::uint32_t r = before + 1; r <= header_.recordCount; ++r)
            if (rawRecord(r)[0] == '*') ++deletedCount_;
    if (added > before / 8) {
        for (Tag& t : tags_)
            buildTag(t);
    } else {
        for (std::uint32_t r = before + 1; r <= header_.recordCount; ++r)
            tagsInsert(r, rawRecord(r));
    }
    if (!tags_.empty()) indexDirty_ = true;
    ++generation_;
    recno_ = header_.recordCount;
    bof_ = eof_ = false;
}

void Table::appendRows(const std::vector<QVariantList>& rows) {
    const int nf = int(header_.fields.size());
    std::size_t i = 0;
    bulkAppend([&](char* rec) {
        if (i >= rows.size()) return false;
        const QVariantList& row = rows[i++];
        for (int f = 0; f < nf && f < row.size(); ++f)
            engine::encodeField(header_.fields[size_t(f)], row[f], rec, path_);
        return true;
    });
}

std::function<void(const char*, char*)> Table::recordMapper(const Table& source) const {
    struct Step {
        int dst, src;
        bool raw;
    };
    std::vector<Step> steps;
    for (int i = 0; i < int(header_.fields.size()); ++i) {
        const FieldDef& d = header_.fields[size_t(i)];
        const int s = source.fieldIndex(d.name);
        if (s < 0) continue;
        const FieldDef& f = source.fields()[size_t(s)];
        const bool raw =
            f.type == d.type && f.width == d.width && (d.type != 'N' || f.decimals == d.decimals);
        steps.push_back({i, s, raw});
    }
    const std::vector<FieldDef>* dst = &header_.fields;
    const std::vector<FieldDef>* src = &source.fields();
    const QString path = path_;
    return [steps, dst, src, path](const char* in, char* out) {
        for (const Step& st : steps) {
            const FieldDef& d = (*dst)[size_t(st.dst)];
            const FieldDef& s = (*src)[size_t(st.src)];
            if (st.raw)
                memcpy(out + d.offset, in + s.offset, size_t(d.width));
            else
                engine::encodeField(d, engine::decodeField(s, in), out, path);
        }
    };
}

std::uint32_t Table::importFrom(const Table& source, Import mode) {
    checkBrowse("import");
    source.checkOpen();
    checkWritable();
    const auto convert = recordMapper(source);
    const std::uint32_t n = source.fileRecordCount();
    if (mode == Import::Append) {
        const std::uint32_t before = header_.recordCount;
        std::uint32_t r = 0;
        bulkAppend([&](char* rec) {
            while (r < n) {
                const char* in = source.rawRecord(++r);
                if (in[0] == '*') continue;
                convert(in, rec);
                return true;
            }
            return false;
        });
        return header_.recordCount - before;
    }
    // Replace: a new file with this table's header takes the old one's place
    // when complete; until then the table is as it was.
    if (held_ && !held_->empty())
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("egy folyamatban lévő művelet alatt a tábla nem cserélhető"));
    // replaceWith locks the new file, once, before it takes the table's name.
    auto out = std::make_unique<TableBuilder>(
        path_, header_, QByteArray(map_, header_.headerLength), QStringLiteral(".uj"));
    QByteArray rec(header_.recordLength, ' ');
    for (std::uint32_t r = 1; r <= n; ++r) {
        const char* in = source.rawRecord(r);
        if (in[0] == '*') continue;
        rec.fill(' ');
        convert(in, rec.data());
        out->addRaw(rec.constData());
    }
    const std::uint32_t count = out->count();
    replaceWith(std::move(out));
    return count;
}

void Table::replaceWith(std::unique_ptr<TableBuilder> built) {
    checkBrowse("replace");
    checkWritable();
    bool same = built && built->recordLength() == header_.recordLength &&
                built->fields().size() == header_.fields.size();
    for (size_t i = 0; same && i < header_.fields.size(); ++i) {
        const FieldDef &a = built->fields()[i], &b = header_.fields[i];
        same = a.name.compare(b.name, Qt::CaseInsensitive) == 0 && a.type == b.type &&
               a.width == b.width && a.decimals == b.decimals;
    }
    if (!same)
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("az új állomány szerkezete eltér a tábláétól"));
    if (held_ && !held_->empty())
        throw DbError(DbError::Kind::Usage, path_,
                      QStringLiteral("egy folyamatban lévő művelet alatt a tábla nem cserélhető"));
    // The new file is locked as the old one is, before it takes its name.
    if (!sys::lockFile(built->fd(), true))
        throw ioError(path_, QStringLiteral("az állomány nem cserélhető"));
    if (held_) {
        built->seal();
        held_->replacement = std::move(built);
        return;
    }
    const std::uint32_t count = built->count();
    touchIndexFile();
    adoptFile(built->commit(true), count);
}

void Table::adoptFile(int fd, std::uint32_t count) {
    unmap();
    sys::close(fd_);
    fd_ = fd;
    header_.recordCount = count;
    ensureMapped(std::uint64_t(header_.headerLength) + std::uint64_t(count) * header_.recordLength +
                 1);
    deletedCount_ = -1;
    ++generation_;
    for (Tag& t : tags_)
        buildTag(t);
    if (!tags_.empty()) {
        // Counted while the tags' build has the records at hand, so that the
        // index file keeps the count and the next start need not read them.
        deletedCount();
        indexDirty_ = true;
        saveIndexFile();
    }
    first();
}

} // namespace engine
