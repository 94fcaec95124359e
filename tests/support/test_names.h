#pragma once

// Names each case of a parameterised test after its `name` member.

#include <string>

namespace testsupport {

struct ByName {
    template <typename Info> std::string operator()(const Info& info) const {
        return std::string(info.param.name);
    }
};

} // namespace testsupport
