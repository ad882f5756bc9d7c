/* A plain C host of TQCSTM.dll, as a program of the product that needs no object uses it: loads
   the module with LoadLibraryA, finds the plain functions by their decorated names, and drives
   the standard entry points by hand. Usage: ModuleClient MODULE PRODUCTKEYPATH. Exits with the
   number of the first check that fails (0: all held). */
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int (*PFN_KEYPATH)(const char*);
typedef unsigned (*PFN_ERRORSTRING)(int, char*, unsigned);
typedef HRESULT(STDAPICALLTYPE* PFN_GETCLASSOBJECT)(REFCLSID, REFIID, void**);
typedef HRESULT(STDAPICALLTYPE* PFN_CANUNLOADNOW)(void);

static const CLSID kClsid = {
    0xFE1B0AC2, 0x7074, 0x11D5, {0x99, 0xA1, 0x00, 0xC0, 0x4F, 0xB9, 0xCD, 0x98}};
/* "編集中です" in code page 932. */
static const char kEditing[] = "\x95\xD2\x8F\x57\x92\x86\x82\xC5\x82\xB7";

static int s_nCheck = 0;

/* A plain function by its decorated name: the pointer of the 64-bit target carries the "E" of
   its width where the format has %s. */
typedef void (*PFN_ANY)(void); /* what an export is until it is cast to its own type */

static PFN_ANY FindDecorated(HMODULE h, const char* pszFormat) {
    char szName[64];
    snprintf(szName, sizeof szName, pszFormat, sizeof(void*) == 8 ? "PE" : "P");
    return (PFN_ANY)GetProcAddress(h, szName);
}

static void Check(int bHolds, const char* pszWhat) {
    ++s_nCheck;
    if (!bHolds) {
        printf("check %d failed: %s\n", s_nCheck, pszWhat);
        exit(s_nCheck);
    }
}

/* An object keeps the module loaded; once it and the factory are released, it may go. */
static void CheckUnloadWhileObjectLives(HMODULE h) {
    PFN_GETCLASSOBJECT pfnGet = (PFN_GETCLASSOBJECT)(PFN_ANY)GetProcAddress(h, "DllGetClassObject");
    PFN_CANUNLOADNOW pfnCan = (PFN_CANUNLOADNOW)(PFN_ANY)GetProcAddress(h, "DllCanUnloadNow");
    IClassFactory* pFactory = NULL;
    IDispatch* pObject = NULL;
    Check(pfnGet != NULL && pfnCan != NULL, "standard entry points found");
    Check(pfnGet(&IID_IDispatch, &IID_IClassFactory, (void**)&pFactory) ==
                  CLASS_E_CLASSNOTAVAILABLE &&
              pFactory == NULL,
          "another class is not served");
    Check(pfnGet(&kClsid, &IID_IClassFactory, (void**)&pFactory) == S_OK, "class factory");
    Check(
        pFactory->lpVtbl->CreateInstance(pFactory, NULL, &IID_IDispatch, (void**)&pObject) == S_OK,
        "object created");
    pFactory->lpVtbl->Release(pFactory);
    Check(pfnCan() == S_FALSE, "no unload while the object lives");
    pObject->lpVtbl->Release(pObject);
    Check(pfnCan() == S_OK, "unload once it is released");
}

int main(int argc, char** argv) {
    HMODULE h = argc == 3 ? LoadLibraryA(argv[1]) : NULL;
    Check(h != NULL, "LoadLibraryA of the module");
    PFN_KEYPATH pfnConvert = (PFN_KEYPATH)FindDecorated(h, "?VXCSTM_BaseInfoToControl@@YAH%sBD@Z");
    PFN_KEYPATH pfnStatus = (PFN_KEYPATH)FindDecorated(h, "?VXCSTM_GetStatus@@YAH%sBD@Z");
    PFN_ERRORSTRING pfnError =
        (PFN_ERRORSTRING)FindDecorated(h, "?VXCSTM_GetErrorString@@YAIH%sADI@Z");
    Check(pfnConvert != NULL && pfnStatus != NULL && pfnError != NULL, "plain functions found");
    /* The buffer rule itself is the suite's (ErrorTableTest); here the call across the module. */
    char buf[16];
    Check(pfnError(-1043, NULL, 0) == 11, "size query of -1043");
    Check(pfnError(-1043, buf, sizeof buf) == 11 && strcmp(buf, kEditing) == 0, "cp932 message");
    Check(pfnStatus("SOFTWARE\\Orbanworks\\Trellisquest\\NoSuch") == 4, "no such product: 4");
    Check(pfnStatus(argv[2]) == 0, "the product is free");
    Check(pfnConvert(argv[2]) == 0, "conversion");
    Check(pfnConvert(argv[2]) == 0, "a second conversion finds nothing to write");
    CheckUnloadWhileObjectLives(h);
    FreeLibrary(h);
    return 0;
}
