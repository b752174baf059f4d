// The console: text attribute arithmetic, the screen that fixed-place text is
// drawn into, and the splash box. Colours reach a terminal as ANSI sequences
// once SetConMode has set the console up; redirected output stays plain text.
#include "halvorine2/console.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <string>
#include <string_view>

#include "case/console_internal.h"
#include "case/output_internal.h"
#include "platform/terminal.h"

namespace {

constexpr int kMaxCells = 2000;   // longest text EGAstr draws
constexpr int kSplashWidth = 40;  // the splash box, columns 20-59
constexpr int kSplashColumn = 20;
constexpr std::uint16_t kGreyOnBlack = 7;

// Row 5 of the splash box, centred in its 38 inner cells.
constexpr std::string_view kCredit = "  Halvorine2 turbomachine flow paths  ";
static_assert(kCredit.size() == kSplashWidth - 2);

// Process-wide, and changed by every run thread's coloured lines outside the
// run lock: the attribute and the flags are atomic, the screen has its lock.
struct ConsoleState {
    std::atomic<std::uint16_t> attribute{0};
    std::atomic<bool> output_set{false};  // SetConMode has taken standard output as the console
    std::atomic<bool> own_screen{false};  // SetConMode opened a screen of its own
    std::mutex screen_lock;
    h2::platform::ScreenBuffer screen;
};

ConsoleState& state() {
    static ConsoleState s;
    return s;
}

bool shows_on_terminal() { return state().output_set && h2::platform::is_terminal(h2::console_stream()); }

// A row of the splash box: the inner text between two frame characters. Built
// by append: the library's `"x" + str` would instantiate a standard-library
// operator that clang gives default visibility, leaking a C++ symbol.
std::string framed(char frame, std::string_view inner) {
    std::string row(1, frame);
    row.append(inner);
    row.push_back(frame);
    return row;
}

}  // namespace

namespace h2 {
std::uint16_t console_attribute() { return state().attribute; }
const platform::ScreenBuffer& console_screen() { return state().screen; }
}  // namespace h2

extern "C" {

void SetConMode(int16_t mode) {
    auto& s = state();
    std::FILE* out = h2::console_stream();
    const bool terminal = h2::platform::is_terminal(out);
    // A terminal starts in its default colours, which the attribute calls grey on black.
    if (terminal) s.attribute = kGreyOnBlack;
    s.output_set = true;
    if (mode != 1) {
        s.own_screen = true;
        const std::lock_guard<std::mutex> lock(s.screen_lock);
        s.screen.clear();
        if (terminal) h2::platform::terminal_enter_alternate_screen(out);
    }
    if (terminal) h2::platform::terminal_home_cursor(out);
    h2::platform::terminal_discard_input();
}

void UnsetConMode(void) {
    auto& s = state();
    if (s.own_screen && h2::platform::is_terminal(h2::console_stream()))
        h2::platform::terminal_leave_alternate_screen(h2::console_stream());
    s.own_screen = false;
}

void EGAstr(int16_t row, int16_t column, int length, int8_t background, int8_t foreground, const char* text) {
    // The cell count is bounded by the longest row drawn, and the characters by
    // the text itself: reading past either would run off the caller's memory.
    const int cells = std::clamp(length, 0, kMaxCells);
    const int chars = text ? static_cast<int>(strnlen(text, static_cast<std::size_t>(cells))) : 0;
    const auto attribute = static_cast<std::uint16_t>(background * 16 + foreground);
    const std::string_view shown(text ? text : "", static_cast<std::size_t>(chars));

    auto& s = state();
    const std::lock_guard<std::mutex> lock(s.screen_lock);
    s.screen.write_text(row, column, shown);
    s.screen.fill_attribute(row, column, cells, attribute);
    if (shows_on_terminal()) {
        std::string padded(shown);
        padded.resize(static_cast<std::size_t>(cells), ' ');
        h2::platform::terminal_draw(h2::console_stream(), row, column, padded, attribute);
    }
}

void ConSplash(const char* title) {
    const std::string edge = framed(' ', std::string(kSplashWidth - 2, '-'));
    const std::string blank = framed('|', std::string(kSplashWidth - 2, ' '));
    const std::string dots = framed('|', std::string(kSplashWidth - 2, '.'));
    const std::string credit = framed('|', kCredit);

    // The title is laid over the blank row from its first cell, then framed: the
    // frame covers the title's first character. Longer titles are cut at the box.
    std::string title_row = blank;
    const std::size_t n = title ? strnlen(title, kSplashWidth) : 0;
    title_row.replace(0, n, title ? title : "", n);
    title_row.front() = '|';
    title_row.back() = '|';

    constexpr int8_t kCyan = 3, kWhite = 15, kYellow = 14;
    const std::string* rows[] = {&edge, &blank, &title_row, &blank, &dots, &credit, &edge};
    for (int r = 0; r < 7; ++r) EGAstr(r, kSplashColumn, kSplashWidth, kCyan, kWhite, rows[r]->c_str());
    EGAstr(2, kSplashColumn + 1, kSplashWidth - 2, kCyan, kYellow, title_row.c_str() + 1);
}

void SetConColor(uint16_t bits, uint16_t mask) {
    auto& s = state();
    // One read-modify-write, so that concurrent callers each apply their change whole.
    std::uint16_t now = 0;
    std::uint16_t before = s.attribute.load();
    do {
        now = static_cast<std::uint16_t>((before & mask) | bits);
    } while (!s.attribute.compare_exchange_weak(before, now));
    if (shows_on_terminal()) {
        char buffer[32];
        const auto seq = h2::platform::ansi_for_attribute(now, buffer);
        std::fwrite(seq.data(), 1, seq.size(), h2::console_stream());
    }
}

void SetConDefColor(void) {
    SetConColor(kGreyOnBlack, 240);
    SetConColor(0, 15);
    std::fflush(h2::console_stream());
}
}
