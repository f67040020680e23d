#pragma once
// The patient's master fields copied onto a sheet: the one copy the sheet
// entry (TAJ typed or picked) and the register's loading of a sheet share.

#include "masters/torzsadat.h"
#include "sheet/lapmodel.h"

namespace sheet {

// Name, address, birth, identifier type and sex onto `m` (the TAJ number is
// the caller's).
inline void betegLapra(const masters::BetegTorzs& b, LapModel& m) {
    m.m_nev = b.nev;
    m.m_kozigkod = b.kozigkod;
    m.m_cim1 = b.cime1;
    m.m_cim2 = b.cime2;
    m.m_aztip = b.aztip;
    m.m_szh = b.szulh;
    m.m_szido = b.szuli;
    m.bnem = b.nemIndex();
}

} // namespace sheet
