// Internal side of the fluid-property plug-in host: the tables of
// the numbered fluids, for the reports and the tests.
#pragma once

namespace h2 {

// Library file name of main fluid number n ("flxb.dll" for 0 and 3, ...), or
// nullptr for a number outside 0..7.
const char* fluid_library(int n);
// Library file name of cooling fluid number n, or nullptr when the number
// loads nothing (6, 7) or is unknown.
const char* cooling_fluid_library(int n);
// Report label of main fluid number n ("AIR", "GAS", "STEAM", "R134a",
// "KEROSENE", "METHANE"); nullptr for 6 and 7, whose label is the fluidName
// text, and for unknown numbers.
const char* fluid_label(int n);

}  // namespace h2
