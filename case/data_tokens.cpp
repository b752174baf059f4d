#include "case/data_tokens.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include <locale.h>

namespace h2 {
namespace {

bool is_digit(char ch) { return ch >= '0' && ch <= '9'; }

std::size_t skip_digits(std::string_view t, std::size_t k) {
    while (k < t.size() && is_digit(t[k])) ++k;
    return k;
}

std::size_t skip_sign(std::string_view t) { return !t.empty() && (t[0] == '-' || t[0] == '+') ? 1 : 0; }

// Length of the leading floating-point number, 0 when there is none.
std::size_t real_length(std::string_view t) {
    std::size_t k = skip_sign(t);
    const std::size_t int_begin = k;
    k = skip_digits(t, k);
    std::size_t digits = k - int_begin;
    if (k < t.size() && t[k] == '.') {
        const std::size_t frac_begin = k + 1;
        k = skip_digits(t, frac_begin);
        digits += k - frac_begin;
    }
    if (digits == 0) return 0;
    if (k < t.size() && (t[k] == 'e' || t[k] == 'E')) {
        std::size_t e = k + 1;
        if (e < t.size() && (t[e] == '-' || t[e] == '+')) ++e;
        const std::size_t exp_end = skip_digits(t, e);
        if (exp_end > e) k = exp_end;
    }
    return k;
}

}  // namespace

bool has_leading_int(std::string_view t) {
    const std::size_t k = skip_sign(t);
    return k < t.size() && is_digit(t[k]);
}

int to_int(std::string_view t) {
    std::size_t k = skip_sign(t);
    const bool negative = k == 1 && t[0] == '-';
    constexpr long long kBeyond = static_cast<long long>(std::numeric_limits<int>::max()) + 1;
    long long value = 0;
    for (; k < t.size() && is_digit(t[k]); ++k) value = std::min(value * 10 + (t[k] - '0'), kBeyond);
    value = negative ? -value : value;
    return static_cast<int>(
        std::clamp<long long>(value, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()));
}

std::optional<double> leading_real(std::string_view t) {
    const std::size_t n = real_length(t);
    if (n == 0) return std::nullopt;
    // Only the number's own characters are converted: the token need not end
    // where the number does, and may be longer than any fixed buffer.
    char small[64];
    std::string large;
    const char* number = small;
    if (n < sizeof small) {
        std::memcpy(small, t.data(), n);
        small[n] = '\0';
    } else {
        large.assign(t.data(), n);
        number = large.c_str();
    }
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return c_locale ? strtod_l(number, nullptr, c_locale) : std::strtod(number, nullptr);
}

double to_real(std::string_view t) {
    constexpr double kLargest = std::numeric_limits<double>::max();
    return std::clamp(leading_real(t).value_or(0.0), -kLargest, kLargest);
}

}  // namespace h2
