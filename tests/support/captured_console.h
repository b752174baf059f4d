// Captures what the library writes to its console stream.
#pragma once

#include <cstdio>
#include <string>

#include "case/output_internal.h"

namespace h2::test {

class CapturedConsole {
public:
    CapturedConsole() : file_(std::tmpfile()) { h2::set_console_stream(file_); }
    ~CapturedConsole() {
        h2::set_console_stream(nullptr);
        std::fclose(file_);
    }
    CapturedConsole(const CapturedConsole&) = delete;
    CapturedConsole& operator=(const CapturedConsole&) = delete;

    std::string text() const {
        std::fflush(file_);
        std::string s;
        std::rewind(file_);
        for (int c; (c = std::fgetc(file_)) != EOF;) s += static_cast<char>(c);
        return s;
    }

private:
    std::FILE* file_;
};

inline std::string read_file(const std::string& name) {
    std::string s;
    if (std::FILE* f = std::fopen(name.c_str(), "rb")) {
        for (int c; (c = std::fgetc(f)) != EOF;) s += static_cast<char>(c);
        std::fclose(f);
    }
    return s;
}

}  // namespace h2::test
