#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

#include "case/console_internal.h"
#include "halvorine2/console.h"
#include "platform/terminal.h"
#include "tests/support/captured_console.h"

namespace {

TEST(ConsoleColour, AttributeArithmetic) {
    h2::test::CapturedConsole console;  // not a terminal: no escape sequences
    SetConDefColor();
    EXPECT_EQ(h2::console_attribute(), 7);
    SetConColor(12, 240);  // bright red on the current (black) background
    EXPECT_EQ(h2::console_attribute(), 12);

    SetConColor(0x3E, 0);  // yellow on cyan
    SetConColor(0, 15);    // clears the background, keeps the foreground
    EXPECT_EQ(h2::console_attribute(), 0x0E);

    for (std::uint16_t start : {0x00, 0x3E, 0xF1, 0x7C}) {
        SetConColor(start, 0);
        SetConDefColor();
        EXPECT_EQ(h2::console_attribute(), 7) << start;
    }
    EXPECT_EQ(console.text(), "");
}

TEST(ConsoleColour, AnsiRendering) {
    struct Case {
        std::uint16_t attribute;
        const char* ansi;
    };
    for (const Case c : {Case{7, "\x1b[0m"}, Case{12, "\x1b[0;91;40m"}, Case{0x1F, "\x1b[0;97;44m"},
                         Case{0x3E, "\x1b[0;93;46m"}, Case{0x62, "\x1b[0;32;43m"}}) {
        char buffer[32];
        EXPECT_EQ(h2::platform::ansi_for_attribute(c.attribute, buffer), c.ansi) << c.attribute;
    }
}

TEST(ConsoleDrawing, EGAstrColoursTheCellsItIsGiven) {
    h2::test::CapturedConsole console;
    const std::string text(38, 'x');
    EGAstr(2, 21, 38, 3, 14, text.c_str());
    const auto& screen = h2::console_screen();
    EXPECT_EQ(screen.at(2, 21).attribute, 62);
    EXPECT_EQ(screen.at(2, 58).attribute, 62);
    EXPECT_NE(screen.at(2, 59).attribute, 62);
    EXPECT_EQ(screen.row_text(2, 21, 38), text);
}

TEST(ConsoleDrawing, EGAstrNeverReadsPastItsTextOrTheRowLimit) {
    h2::test::CapturedConsole console;
    EGAstr(10, 0, 5000, 0, 15, "short");  // longer than the text and than 2,000 cells
    EGAstr(11, 0, 10, 0, 15, nullptr);
    EGAstr(12, 0, -3, 0, 15, "abc");
    const auto& screen = h2::console_screen();
    EXPECT_EQ(screen.row_text(10, 0, 7), "short  ");
    EXPECT_EQ(screen.at(10, 79).attribute, 15);
    EXPECT_EQ(screen.row_text(12, 0, 3), "   ");
}

TEST(ConsoleDrawing, SplashBoxFramesTheTitle) {
    h2::test::CapturedConsole console;
    const std::string long_title = "#Halvorine2 test title that is much longer than the box";
    ConSplash(long_title.c_str());
    const auto& screen = h2::console_screen();
    EXPECT_EQ(screen.row_text(0, 20, 40), " " + std::string(38, '-') + " ");
    EXPECT_EQ(screen.row_text(1, 20, 40), "|" + std::string(38, ' ') + "|");
    EXPECT_EQ(screen.row_text(2, 20, 40), "|" + long_title.substr(1, 38) + "|");
    EXPECT_EQ(screen.row_text(4, 20, 40), "|" + std::string(38, '.') + "|");
    const std::string credit = screen.row_text(5, 20, 40);
    EXPECT_EQ(credit.front(), '|');
    EXPECT_EQ(credit.back(), '|');
    EXPECT_NE(credit.find("Halvorine2"), std::string::npos);
    EXPECT_EQ(screen.row_text(6, 20, 40), screen.row_text(0, 20, 40));
    EXPECT_EQ(screen.at(2, 20).attribute, 0x3F);  // frame white on cyan
    EXPECT_EQ(screen.at(2, 21).attribute, 0x3E);  // title yellow on cyan
    EXPECT_EQ(screen.at(5, 30).attribute, 0x3F);

    ConSplash("ab");  // a short title keeps the blanks after it
    EXPECT_EQ(screen.row_text(2, 20, 40), "|b" + std::string(37, ' ') + "|");
    ConSplash(nullptr);
    EXPECT_EQ(screen.row_text(2, 20, 40), "|" + std::string(38, ' ') + "|");
}

// Run threads colour their lines outside the run lock: each change is one
// whole read-modify-write, so no thread's bit is lost to another's write.
TEST(ConsoleColour, ConcurrentChangesAreEachAppliedWhole) {
    h2::test::CapturedConsole console;
    SetConColor(0, 0);
    std::vector<std::thread> threads;
    for (int k = 0; k < 8; ++k)
        threads.emplace_back([k] {
            const auto bit = static_cast<std::uint16_t>(1u << k);
            for (int n = 0; n < 2000; ++n) {
                SetConColor(0, static_cast<std::uint16_t>(~bit));  // clear own bit
                SetConColor(bit, 0xFFFF);                          // set it again
            }
        });
    for (auto& t : threads) t.join();
    EXPECT_EQ(h2::console_attribute(), 0xFF);
    SetConDefColor();
}

}  // namespace
