#include "platform/terminal.h"

#include <termios.h>
#include <unistd.h>

#include <string>

namespace h2::platform {

namespace {
// Console colour bits (blue 1, green 2, red 4) to the ANSI colour index (red 1, green 2, blue 4).
constexpr int ansi_colour(int bits) {
    return ((bits & 4) ? 1 : 0) | ((bits & 2) ? 2 : 0) | ((bits & 1) ? 4 : 0);
}
}  // namespace

std::string_view ansi_for_attribute(std::uint16_t attribute, char (&buffer)[32]) {
    if ((attribute & 0xFF) == 7) return "\x1b[0m";
    const int fg = attribute & 0x0F;
    const int bg = (attribute >> 4) & 0x0F;
    const int fg_code = ((fg & 8) ? 90 : 30) + ansi_colour(fg);
    const int bg_code = ((bg & 8) ? 100 : 40) + ansi_colour(bg);
    const int n = std::snprintf(buffer, sizeof buffer, "\x1b[0;%d;%dm", fg_code, bg_code);
    return std::string_view(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

bool is_terminal(std::FILE* stream) { return stream != nullptr && isatty(fileno(stream)) == 1; }

void ScreenBuffer::write_text(int row, int column, std::string_view text) {
    if (row < 0 || row >= kRows) return;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const long c = column + static_cast<long>(i);
        if (c < 0) continue;
        if (c >= kColumns) break;
        cells_[static_cast<std::size_t>(row) * kColumns + static_cast<std::size_t>(c)].ch = text[i];
    }
}

void ScreenBuffer::fill_attribute(int row, int column, int count, std::uint16_t attribute) {
    if (row < 0 || row >= kRows) return;
    for (int i = 0; i < count; ++i) {
        const int c = column + i;
        if (c < 0) continue;
        if (c >= kColumns) break;
        cells_[static_cast<std::size_t>(row) * kColumns + static_cast<std::size_t>(c)].attribute = attribute;
    }
}

Cell ScreenBuffer::at(int row, int column) const {
    if (row < 0 || row >= kRows || column < 0 || column >= kColumns) return {};
    return cells_[static_cast<std::size_t>(row) * kColumns + static_cast<std::size_t>(column)];
}

std::string ScreenBuffer::row_text(int row, int column, int count) const {
    std::string s;
    for (int i = 0; i < count; ++i) s += at(row, column + i).ch;
    return s;
}

void ScreenBuffer::clear() {
    for (auto& c : cells_) c = Cell{};
}

void terminal_draw(std::FILE* stream, int row, int column, std::string_view text, std::uint16_t attribute) {
    char colour[32];
    const auto seq = ansi_for_attribute(attribute, colour);
    // Save the cursor, move (1-based), draw, reset colours, restore the cursor.
    std::fprintf(stream,
                 "\x1b"
                 "7\x1b[%d;%dH%.*s%.*s\x1b[0m\x1b"
                 "8",
                 row + 1, column + 1, static_cast<int>(seq.size()), seq.data(), static_cast<int>(text.size()),
                 text.data());
    std::fflush(stream);
}

void terminal_enter_alternate_screen(std::FILE* stream) {
    std::fputs("\x1b[?1049h", stream);
    std::fflush(stream);
}

void terminal_leave_alternate_screen(std::FILE* stream) {
    std::fputs("\x1b[?1049l", stream);
    std::fflush(stream);
}

void terminal_home_cursor(std::FILE* stream) {
    std::fputs("\x1b[H\x1b[?25h", stream);
    std::fflush(stream);
}

void terminal_discard_input() {
    if (isatty(STDIN_FILENO) == 1) tcflush(STDIN_FILENO, TCIFLUSH);
}

}  // namespace h2::platform
