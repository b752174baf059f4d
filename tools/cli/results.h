// What the command-line host prints and writes about a case beyond the
// library's own reports: the key table, the run summary, the JSON results
// and the --set assignments.
#pragma once

#include <string>
#include <vector>

#include "halvorine2/case_block.h"

namespace h2cli {

// `halvorine2 keys [PATTERN]`: the documented keys whose name or meaning
// contains PATTERN (any case), with role, unit and meaning; exit code.
int print_keys(const char* pattern);

// The headline figures of the current, solved case, in SI units.
struct Headline {
    bool expanding = true;
    double p0 = 0.0, T0 = 0.0, G = 0.0, G_given = 0.0;
    double pi = 0.0, pix = 0.0;  // total-to-static and total-to-total, span means as the report prints them
    double power = 0.0, eff = 0.0, effx = 0.0;
    double speed = 0.0;  // rad/s, the fastest rotor
};
Headline headline();

// The meaning of a run's result code.
const char* result_meaning(int code);

// The summary block after the reports (at most ten lines) and, for a design
// task, the table of the designed blade rows.
void print_summary(const std::string& file, int result);

// One --set: KEY=VALUE, KEY[i]=VALUE or KEY[i][j]=VALUE.
struct Assignment {
    std::string key;
    std::vector<int> index;
    std::string value;
    std::string text;  // as given, for the messages
};
// Parses one --set argument; false with why filled when it is malformed.
bool parse_assignment(const std::string& text, Assignment& out, std::string& why);
// Applies the assignments to the current case; false with why filled at the
// first key or index the case does not have.
bool apply_assignments(const std::vector<Assignment>& all, std::string& why);

// The run works on a copy of the host's case and copies back most results,
// but not the heads cyld__H0 and cyld__H0x: a completion hook on the case
// keeps them as the run computed them.
void watch_run(bdLocals* b);
// A scalar result by key: the run's own value where the copy-back leaves it
// out, else the case's.
double result_value(const char* key);

// Writes the headline results and the per-station arrays of the current
// case as JSON; false when the file cannot be written.
bool write_json(const std::string& path, const std::string& case_file, int result);

}  // namespace h2cli
