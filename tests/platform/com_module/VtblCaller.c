/* A plain C caller of IDispatch, written the way a C host reaches a COM object: the object's
 * first word is a table of function pointers in COM's order, each taking the object first.
 * It has its own copies of the structures, so it fails when the C++ layout drifts. */
#include <stdint.h>
#include <string.h>

typedef struct {
    uint16_t vt, wReserved1, wReserved2, wReserved3;
    union {
        int32_t lVal;
        void* rgpv[2];
    } u;
} CVariantC;

typedef struct {
    CVariantC* rgvarg;
    int32_t* rgdispidNamedArgs;
    uint32_t cArgs;
    uint32_t cNamedArgs;
} CDispParamsC;

typedef struct CDispatchC CDispatchC;
typedef struct {
    void* pfnUnused[5]; /* QueryInterface, AddRef, Release, GetTypeInfoCount, GetTypeInfo */
    int32_t (*GetIDsOfNames)(CDispatchC* self, const uint8_t* riid, uint16_t** rgszNames,
                             uint32_t cNames, uint32_t lcid, int32_t* rgDispId);
    int32_t (*Invoke)(CDispatchC* self, int32_t dispid, const uint8_t* riid, uint32_t lcid,
                      uint16_t wFlags, CDispParamsC* pParams, CVariantC* pResult, void* pExcepInfo,
                      uint32_t* puArgErr);
} CDispatchVtblC;
struct CDispatchC {
    const CDispatchVtblC* lpVtbl;
};

int TqCallBinaryThroughVtbl(void* pDispatch, const uint16_t* pszName, int32_t a, int32_t b,
                            int32_t* pResult) {
    static const uint8_t kIidNull[16] = {0};
    CDispatchC* self = (CDispatchC*)pDispatch;
    uint32_t argErr = 0;
    uint16_t* names[1] = {(uint16_t*)pszName};
    int32_t dispid = 0, hr;
    CVariantC args[2], result;
    CDispParamsC params = {args, 0, 2, 0};

    if (self->lpVtbl->GetIDsOfNames(self, kIidNull, names, 1, 0x0400, &dispid) != 0) {
        return 3;
    }
    /* Arguments last first, as COM passes them. */
    memset(args, 0, sizeof args);
    args[1].vt = 3; /* VT_I4 */
    args[1].u.lVal = a;
    args[0].vt = 3;
    args[0].u.lVal = b;
    memset(&result, 0, sizeof result);
    hr = self->lpVtbl->Invoke(self, dispid, kIidNull, 0x0400, 1 /* DISPATCH_METHOD */, &params,
                              &result, 0, &argErr);
    if (hr != 0 || result.vt != 3) {
        return 4;
    }
    *pResult = result.u.lVal;
    return 0;
}
