// Values of the positional text files (the case data file, the predesign
// input file): a line's tokens split at runs of ',', ';', blanks and tabs, and
// the leading decimal number of a token, read the same way by every reader
// and never through the host's locale.
#pragma once

#include <cstddef>
#include <optional>
#include <string_view>

namespace h2 {

inline constexpr std::string_view kDataSeparators = ",; \t";

// The tokens of one line, in order.
class DataTokens {
public:
    explicit DataTokens(std::string_view line) : rest_(line) {}
    std::optional<std::string_view> next() {
        const auto start = rest_.find_first_not_of(kDataSeparators);
        if (start == std::string_view::npos) return std::nullopt;
        rest_.remove_prefix(start);
        const auto end = rest_.find_first_of(kDataSeparators);
        const std::string_view token = rest_.substr(0, end);
        rest_.remove_prefix(token.size());
        return token;
    }

private:
    std::string_view rest_;
};

// True when the token begins with a decimal integer: an optional sign and at
// least one digit.
bool has_leading_int(std::string_view t);
// The leading decimal integer of the token; no digits give 0, values beyond
// the int range are held at its ends.
int to_int(std::string_view t);

// The leading decimal floating-point number of the token (optional sign,
// digits with an optional decimal point, an optional exponent), exactly as
// the conversion gives it (an infinity when it overflows); nullopt when the
// token does not begin with a number. Hexadecimal, "inf" and "nan" are no
// numbers.
std::optional<double> leading_real(std::string_view t);
// leading_real held inside the double range, 0.0 when there is no number: an
// infinity would be saved as "inf", which reads back as 0.
double to_real(std::string_view t);

}  // namespace h2
