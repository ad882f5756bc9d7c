/* Calls a two-argument method of an IDispatch object from C through its virtual table. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Finds the member by name and invokes it with (a, b). 0 on success with *pResult set;
 * otherwise the number of the step that failed. */
int TqCallBinaryThroughVtbl(void* pDispatch, const uint16_t* pszName, int32_t a, int32_t b,
                            int32_t* pResult);

#ifdef __cplusplus
}
#endif
