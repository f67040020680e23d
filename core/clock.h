#pragma once
// The one place the program takes "today" from (engine/clock.h): correction
// limits, the closing window, the shipment's closing date and the dates the
// tables record all turn on it, so tests set it instead of waiting for the
// calendar.

#include "engine/clock.h"

namespace core {

using Clock = engine::Clock;

} // namespace core
