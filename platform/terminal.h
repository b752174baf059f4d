// Text console: a 16-bit attribute in the console's colour bits (foreground in
// the low nibble, background in the next; blue 1, green 2, red 4, bright 8),
// rendered as ANSI sequences, and a cell grid for text written at fixed places.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

namespace h2::platform {

// ANSI sequence that shows `attribute`; grey on black (7) resets to the
// terminal's own default colours.
std::string_view ansi_for_attribute(std::uint16_t attribute, char (&buffer)[32]);

bool is_terminal(std::FILE* stream);

struct Cell {
    char ch = ' ';
    std::uint16_t attribute = 0;
};

// The screen buffer text is drawn into at fixed rows and columns. It exists
// whether or not a terminal shows it, so drawing is the same everywhere.
class ScreenBuffer {
public:
    static constexpr int kColumns = 80;
    static constexpr int kRows = 300;

    ScreenBuffer() : cells_(static_cast<std::size_t>(kColumns) * kRows) {}

    // Writes the characters at (row, column); cells outside the buffer are dropped.
    void write_text(int row, int column, std::string_view text);
    // Gives `count` cells from (row, column) the attribute.
    void fill_attribute(int row, int column, int count, std::uint16_t attribute);
    Cell at(int row, int column) const;
    std::string row_text(int row, int column, int count) const;
    void clear();

private:
    std::vector<Cell> cells_;
};

// Draws `text` at (row, column) of a terminal with `attribute`, leaving the cursor where it was.
void terminal_draw(std::FILE* stream, int row, int column, std::string_view text, std::uint16_t attribute);
void terminal_enter_alternate_screen(std::FILE* stream);
void terminal_leave_alternate_screen(std::FILE* stream);
void terminal_home_cursor(std::FILE* stream);
void terminal_discard_input();

}  // namespace h2::platform
