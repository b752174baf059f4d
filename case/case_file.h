// Internal side of the case data file: the line reader and the completion of
// a case after its file has been read.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "halvorine2/case_block.h"
#include "halvorine2/case_file.h"

namespace h2 {

// Size of the line buffer of read_data_line: a longer line is read as several.
inline constexpr int kDataLineSize = 2000;

// classify_data_line results
inline constexpr int kDataLine = 0;
inline constexpr int kBlankLine = 1;
inline constexpr int kCommentLine = 2;

// read_data_line results
inline constexpr int kLineRead = 0;
inline constexpr int kEndOfFile = -1;
inline constexpr int kReadError = -2;
inline constexpr int kLineTooLong = -3;

// Longest line read_whole_data_line takes: far beyond any record a case has
// (a CC line of the largest path with 17-digit values is some 2,500 bytes).
inline constexpr std::size_t kMaxWholeLine = std::size_t{1} << 20;

// Reads the next data line of the stream whole, however long up to
// kMaxWholeLine bytes, cut at its first '#', CR or LF; blank and comment
// lines are skipped. kLineRead, kEndOfFile, kReadError, or kLineTooLong.
int read_whole_data_line(std::FILE* stream, std::string& line);

// Makes a case that a file loaded before set its fluid up anew from its
// fluid number: the plug-in name and the loaded-fluid mark of the earlier
// numbered set-up are cleared (a name the host gave, without such a mark,
// stays), and so are the gas constants when the number changed, so that the
// new fluid's defaults apply. Without this a second file read into a used
// case kept the first file's plug-in.
void forget_loaded_fluid(bdLocals& c);

}  // namespace h2

H2_EXTERN_C_BEGIN

// 1 for a line of only spaces, tabs, CR and LF; 2 when its first other
// character is '#'; 0 for a data line.
int classify_data_line(const char* line);

// Reads the next data line of the stream into buffer (kDataLineSize bytes),
// cut at its first '#', CR or LF; blank and comment lines are skipped.
// 0 read, -1 end of file, -2 the stream reports a read error.
int read_data_line(std::FILE* stream, char* buffer);

// Completes the current case after its file has been read: solver defaults,
// the middle streamline spread over all streamlines, blade-row defaults, radii
// and pitches. Does nothing for a case whose arrays do not hold its counts.
void prepare_loaded_data(void);

// The solver's tolerances and relaxation factors of a freshly loaded case.
void set_solver_defaults(void);

H2_EXTERN_C_END
