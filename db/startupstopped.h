#pragma once
// Thrown by a start-up step that has already told the user why it cannot go
// on (for example "Hiba az állomány készítésében!"). The start-up sequence
// catches it, shows nothing more and skips its remaining steps.

#include <stdexcept>

namespace db {

class StartupStopped : public std::runtime_error {
public:
    StartupStopped() : std::runtime_error("start-up stopped; the user has been told why") {}
};

} // namespace db
