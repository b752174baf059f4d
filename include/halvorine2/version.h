/* Halvorine2: the version of this interface. The build takes its project
 * version from these lines, so the header and the library never disagree. */
#ifndef HALVORINE2_VERSION_H
#define HALVORINE2_VERSION_H

#define HALVORINE2_VERSION_MAJOR 0
#define HALVORINE2_VERSION_MINOR 1
#define HALVORINE2_VERSION_PATCH 0
#define HALVORINE2_VERSION_STRING "0.1.0"

#endif
