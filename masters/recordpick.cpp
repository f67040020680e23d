#include "masters/recordpick.h"

#include "core/appstate.h"

namespace masters {

RecordPick::RecordPick(engine::Table& table, const QString& keyField, const QString& nameField,
                       OnShow onShow)
    : table_(&table), keyField_(keyField), nameField_(nameField), onShow_(onShow) {}

RecordPick RecordPick::apol(core::AppState& st) {
    return RecordPick(st.tables.apol, QStringLiteral("APTAJ"), QStringLiteral("ANEV"),
                      OnShow::Keep);
}

RecordPick RecordPick::orvos(core::AppState& st) {
    return RecordPick(st.tables.orvos, QStringLiteral("ORVOSKOD"), QStringLiteral("ONEV"),
                      OnShow::ClearKey);
}

RecordPick RecordPick::telep(core::AppState& st) {
    return RecordPick(st.tables.telep, QStringLiteral("KOZIGKOD"), QStringLiteral("HELYNEV"),
                      OnShow::Keep);
}

RecordPick RecordPick::bno(core::AppState& st) {
    return RecordPick(st.tables.bno, QStringLiteral("KOD10"), QStringLiteral("NEV"),
                      OnShow::ClearKey);
}

void RecordPick::activate() {
    if (onShow_ == OnShow::ClearKey) key_.clear();
}

void RecordPick::valaszt() {
    engine::Table& t = *table_;
    if (t.isEmpty()) {
        chosen_ = false;
        return;
    }
    if (t.bof() && t.eof()) t.first();
    key_ = t.text(keyField_);
    name_ = t.text(nameField_);
    chosen_ = true;
}

void RecordPick::megse() {
    chosen_ = false;
}

} // namespace masters
