/* Symbol visibility and linkage of the exported interface. */
#ifndef HALVORINE2_EXPORT_H
#define HALVORINE2_EXPORT_H

#if defined(H2_BUILDING_LIBRARY)
#define H2_API __attribute__((visibility("default")))
#else
#define H2_API
#endif

#ifdef __cplusplus
#define H2_EXTERN_C_BEGIN extern "C" {
#define H2_EXTERN_C_END }
#else
#define H2_EXTERN_C_BEGIN
#define H2_EXTERN_C_END
#endif

#endif
