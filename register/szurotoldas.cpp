#include "register/szurotoldas.h"

#include "core/kozos.h"

namespace reg {

SzuroToldas::SzuroToldas(engine::Table& lap, const QString& toldas)
    : lap_(lap), regi_(lap.filter()), voltBe_(lap.filtered()),
      recno_(lap.bof() && lap.eof() ? 0 : lap.recno()) {
    QString uj = toldas.trimmed();
    if (uj.startsWith(QStringLiteral("and "))) uj = uj.mid(4);
    // The register's filter is the year of the current period; in
    // parentheses it stays one condition whatever it holds.
    if (voltBe_ && !kozos::ures(regi_))
        uj = QLatin1Char('(') + regi_ + QStringLiteral(") and ") + uj;
    try {
        lap_.setFilter(uj);
        lap_.setFiltered(true);
        lap_.first();
    } catch (...) {
        visszaallit();
        throw;
    }
}

SzuroToldas::~SzuroToldas() {
    try {
        visszaallit();
    } catch (...) {
        // The filter text was accepted before; nothing more can be done here.
    }
}

void SzuroToldas::visszaallit() {
    if (!aktiv_) return;
    aktiv_ = false;
    lap_.setFilter(regi_);
    lap_.setFiltered(voltBe_);
    if (recno_ != 0 && recno_ <= lap_.fileRecordCount() && lap_.isVisible(recno_))
        lap_.go(recno_);
    else
        lap_.first();
}

} // namespace reg
