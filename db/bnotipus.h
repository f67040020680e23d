#pragma once
// The kinds of a sheet's BNO fields: the numbers the diagnosis file of the
// monthly shipment writes as BNOTIP, and the kind a code is checked as.

namespace db {

enum BnoMezo {
    BnoFekvo = 1,      // inpatient diagnosis
    BnoFo = 3,         // main diagnosis justifying the nursing
    BnoKisero = 4,     // accompanying disease
    BnoAlap = 5,       // underlying disease
    BnoBefolyasol = 6, // factor influencing the care: the only kind for chapter Z
};

} // namespace db
