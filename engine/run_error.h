#pragma once

#include <stdexcept>
#include <string>

namespace dissim {

// The one failure type of the engine. Its message is the one-line description of what failed
// and where, meant for a person (the window shows it as the status label's tooltip).
class RunError : public std::runtime_error {
public:
    explicit RunError(const std::string& what) : std::runtime_error(what) {}
};

} // namespace dissim
