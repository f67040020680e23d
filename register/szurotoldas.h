#pragma once
// A condition appended to LAP's standing filter for the time a chooser
// window (Treszlap, Tjavit) is open: the register's filter text and its
// on/off state come back when the object goes, whatever happened meanwhile,
// and the register's current record with them when it is still visible.

#include "engine/table.h"

#include <QString>

namespace reg {

class SzuroToldas {
public:
    // `toldas` begins with " and ...".
    SzuroToldas(engine::Table& lap, const QString& toldas);
    ~SzuroToldas();
    SzuroToldas(const SzuroToldas&) = delete;
    SzuroToldas& operator=(const SzuroToldas&) = delete;

    // Puts the previous filter back now (the destructor then does nothing).
    void visszaallit();

private:
    engine::Table& lap_;
    QString regi_;
    bool voltBe_;
    std::uint32_t recno_;
    bool aktiv_ = true;
};

} // namespace reg
