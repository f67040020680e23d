#include "engine/changeunit.h"
#include "engine/sysfile.h"

#include "engine/dberror.h"
#include "engine/dbffile.h"
#include "engine/fileswap.h"
#include "engine/journal.h"
#include "engine/table.h"
#include "engine/tablebuilder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace engine {

namespace {

int openUnitCount = 0;

QString dirOf(const QString& file) {
    return QFileInfo(file).absolutePath();
}

journal::NewFileName namesOf(const TableBuilder& f) {
    return {QDir::cleanPath(QFileInfo(f.tmpPath()).absoluteFilePath()),
            QDir::cleanPath(QFileInfo(f.target()).absoluteFilePath())};
}

} // namespace

// What a commit changes: the tables whose records change with their
// before-state, the tables that take a whole new file, and the new files.
struct ChangeUnit::Plan {
    std::vector<Table*> changing;
    std::vector<journal::TableImage> images;
    std::vector<Table*> replacing;
    std::vector<FileSwap> swaps;
    std::vector<journal::NewFileName> newFiles;
    bool empty() const { return changing.empty() && replacing.empty() && newFiles.empty(); }
};

int ChangeUnit::openUnits() {
    return openUnitCount;
}

ChangeUnit::ChangeUnit(std::initializer_list<Table*> tables)
    : ChangeUnit(std::vector<Table*>(tables)) {}

ChangeUnit::ChangeUnit(const std::vector<Table*>& tables) {
    for (Table* t : tables)
        if (t && std::find(tables_.begin(), tables_.end(), t) == tables_.end())
            tables_.push_back(t);
    if (tables_.empty())
        throw DbError(DbError::Kind::Usage, QString(),
                      QStringLiteral("a műveletnek nincs táblája"));
    for (Table* t : tables_) {
        t->unitSide().checkOpen();
        if (t->readOnly())
            throw DbError(DbError::Kind::Usage, t->path(),
                          QStringLiteral("a tábla csak olvasható"));
    }
    // Tables an open unit holds: this one joins it when it holds them all.
    ChangeUnit* holder = tables_.front()->changeUnit();
    for (Table* t : tables_)
        if (t->changeUnit() != holder)
            throw DbError(DbError::Kind::Usage, t->path(),
                          QStringLiteral("a tábla egy másik folyamatban lévő művelet része"));
    if (holder) {
        while (holder->outer_)
            holder = holder->outer_;
        outer_ = holder;
        directory_ = holder->directory_;
        active_ = true;
        ++openUnitCount;
        return;
    }
    directory_ = dirOf(tables_.front()->path());
    for (Table* t : tables_)
        if (dirOf(t->path()) != directory_)
            throw DbError(DbError::Kind::Usage, t->path(),
                          QStringLiteral("a művelet táblái nem egy könyvtárban vannak"));
    // A journal left by a rollback that failed earlier in this run must be
    // applied first (at the next start); a new one must not replace it.
    if (QFileInfo::exists(journalPath(directory_)))
        throw DbError(DbError::Kind::Io, journalPath(directory_),
                      QStringLiteral("egy korábbi félbeszakadt művelet még nincs visszaállítva; "
                                     "indítsa újra a programot"));
    for (Table* t : tables_)
        t->unitSide().hold(this);
    active_ = true;
    ++openUnitCount;
}

ChangeUnit::~ChangeUnit() {
    if (active_) rollback();
}

void ChangeUnit::end() {
    if (!outer_)
        for (Table* t : tables_)
            t->unitSide().release();
    tables_.clear();
    // Files not given their names go with their builders.
    newFiles_.clear();
    active_ = false;
    --openUnitCount;
}

void ChangeUnit::rollback() {
    if (!active_) return;
    if (outer_) {
        outer_->doomed_ = true;
    } else {
        for (Table* t : tables_)
            t->unitSide().drop();
    }
    end();
}

void ChangeUnit::addNewFile(std::unique_ptr<TableBuilder> file) {
    if (!file) return;
    ChangeUnit* holder = this;
    while (holder->outer_)
        holder = holder->outer_;
    const auto refuse = [&](const QString& why) {
        const QString target = file->target();
        file.reset();
        return DbError(DbError::Kind::Usage, target, why);
    };
    if (!active_) throw refuse(QStringLiteral("a művelet már véget ért"));
    if (!file->sealed()) throw refuse(QStringLiteral("az új állomány nincs lezárva"));
    const journal::NewFileName names = namesOf(*file);
    if (!journal::plausibleNewFile(names))
        throw refuse(QStringLiteral("az új állomány ideiglenes neve nem megfelelő"));
    if (QFileInfo::exists(names.target)) throw refuse(QStringLiteral("az állomány már létezik"));
    holder->newFiles_.push_back(std::move(file));
}

void ChangeUnit::tableClosing(Table& table) {
    // Only the outermost unit holds tables; the closing one leaves it.
    table.unitSide().drop();
    table.unitSide().release();
    tables_.erase(std::remove(tables_.begin(), tables_.end(), &table), tables_.end());
    doomed_ = true;
}

void ChangeUnit::commit() {
    if (!active_)
        throw DbError(DbError::Kind::Usage, QString(), QStringLiteral("a művelet már véget ért"));
    if (outer_) {
        end();
        return;
    }
    if (doomed_) {
        rollback();
        throw DbError(DbError::Kind::Usage, directory_,
                      QStringLiteral("a művelet egy része nem sikerült, semmi sem változott"));
    }
    Plan plan;
    try {
        plan = makePlan();
    } catch (const DbError&) {
        rollback();
        throw;
    }
    if (plan.empty()) {
        end();
        return;
    }
    const QString journal = journalPath(directory_);
    writeJournalFor(plan, journal);
    try {
        applyPlan(plan, journal);
    } catch (const DbError& failure) {
        // Unlinked but the folder not flushed: the changes stand (a power
        // cut now could only bring the journal back and roll them back).
        if (QFileInfo::exists(journal)) {
            const QString undone = undoAfterFailure(plan, journal);
            if (undone.isEmpty()) throw;
            throw undoFailed(plan, failure, undone);
        }
    }
    adoptNewFiles(plan);
}

ChangeUnit::Plan ChangeUnit::makePlan() const {
    // The before-state of every table that changes: its records are still
    // the file's, the held ones are not written yet.
    Plan plan;
    for (Table* t : tables_) {
        Table::UnitSide side = t->unitSide();
        if (!side.holdsChanges()) continue;
        if (const TableBuilder* fresh = side.replacement()) {
            // a table that takes a whole new file (Table::replaceWith)
            FileSwap s;
            s.target = QFileInfo(t->path()).fileName();
            s.fresh = QFileInfo(fresh->tmpPath()).fileName();
            s.saved = savedName(s.target);
            plan.swaps.push_back(s);
            plan.replacing.push_back(t);
            continue;
        }
        plan.images.push_back(side.beforeImage());
        plan.changing.push_back(t);
    }
    for (const auto& f : newFiles_)
        plan.newFiles.push_back(namesOf(*f));
    return plan;
}

void ChangeUnit::writeJournalFor(const Plan& plan, const QString& journal) {
    try {
        journal::prepareSwaps(directory_, plan.swaps);
        for (const journal::NewFileName& f : plan.newFiles)
            if (QFileInfo::exists(f.target))
                throw DbError(DbError::Kind::Io, f.target,
                              QStringLiteral("az állomány már létezik"));
        journal::write(journal, directory_,
                       journal::encode(plan.images, plan.swaps, plan.newFiles));
    } catch (const DbError&) {
        // Nothing changed: the journal goes (if it was made) with the unit.
        QFile::remove(journal);
        rollback();
        throw;
    }
}

void ChangeUnit::applyPlan(const Plan& plan, const QString& journal) {
    for (Table* t : plan.replacing)
        t->unitSide().markIndexChanging();
    journal::applySwaps(directory_, plan.swaps);
    for (Table* t : plan.changing)
        t->unitSide().flush();
    for (Table* t : plan.changing)
        t->unitSide().sync();
    // The new files take their names once the tables hold the changes.
    for (const journal::NewFileName& f : plan.newFiles)
        renameDurably(f.fresh, f.target);
    removeDurably(journal);
}

QString ChangeUnit::undoAfterFailure(const Plan& plan, const QString& journal) {
    QString undone;
    try {
        for (size_t i = 0; i < plan.changing.size(); ++i)
            plan.changing[i]->unitSide().restore(plan.images[i]);
        journal::undoSwaps(directory_, plan.swaps);
        for (const journal::NewFileName& f : plan.newFiles)
            journal::removeNewFile(f);
        removeDurably(journal);
    } catch (const DbError& e) {
        undone = e.text();
        for (Table* t : plan.changing)
            t->unitSide().block();
        for (Table* t : plan.replacing)
            t->unitSide().block();
    }
    rollback();
    return undone;
}

DbError ChangeUnit::undoFailed(const Plan& plan, const DbError& failure, const QString& undone) {
    // The files hold part of the unit until the next start rolls the
    // journal back: the tables show what they held before it, and take
    // no writes.
    for (size_t i = 0; i < plan.changing.size(); ++i)
        plan.changing[i]->unitSide().showBeforeImages(plan.images[i].images,
                                                      plan.images[i].count);
    return DbError(DbError::Kind::Io, failure.file(),
                   failure.detail() +
                       QStringLiteral("; a változások visszaállítása sem sikerült (%1), a "
                                      "program következő indításakor megtörténik")
                           .arg(undone));
}

void ChangeUnit::adoptNewFiles(const Plan& plan) {
    // The new files become the tables' own once the journal is gone.
    journal::finishSwaps(directory_, plan.swaps);
    // The new files are in place under their names: their builders are
    // done and remove nothing.
    for (auto& f : newFiles_)
        sys::close(f->takeSealed());
    std::vector<std::pair<Table*, std::unique_ptr<TableBuilder>>> adopt;
    for (Table* t : plan.replacing)
        adopt.emplace_back(t, t->unitSide().takeReplacement());
    end();
    for (auto& [t, built] : adopt) {
        const std::uint32_t count = built->count();
        try {
            t->unitSide().adopt(built->takeSealed(), count);
        } catch (const DbError&) {
            // The index file was marked before the swap: rebuilt at
            // the next open.
        }
    }
}

} // namespace engine
