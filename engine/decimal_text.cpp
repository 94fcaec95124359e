#include "decimal_text.h"

#include <charconv>
#include <cmath>
#include <system_error>

// The floating-point std::from_chars and std::to_chars where the standard library has them:
// they are locale-independent, exact and fast. Elsewhere (WebAssembly's C++ library) the
// portable conversions stand in, giving the same numbers and the same text.
#if defined(__cpp_lib_to_chars) && __cpp_lib_to_chars >= 201611L
#define DISSIM_STD_DECIMAL 1
#else
#define DISSIM_STD_DECIMAL 0
#endif

namespace dissim {

std::optional<double> readDecimal(std::string_view text) {
#if DISSIM_STD_DECIMAL
    double value = 0.0;
    const char* const last = text.data() + text.size();
    const auto [end, error] = std::from_chars(text.data(), last, value);
    if (error != std::errc{} || end != last || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
#else
    return readDecimalPortable(text);
#endif
}

std::string writeDecimal(double magnitude, DecimalForm form) {
#if DISSIM_STD_DECIMAL
    char buffer[400]; // the longest fixed form of a double has 309 digits
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, magnitude,
                                      form == DecimalForm::fixed ? std::chars_format::fixed
                                                                 : std::chars_format::general);
    if (result.ec != std::errc{}) {
        return {};
    }
    return std::string(buffer, result.ptr);
#else
    return writeDecimalPortable(magnitude, form);
#endif
}

} // namespace dissim
