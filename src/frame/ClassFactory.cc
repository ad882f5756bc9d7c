#include "frame/ClassFactory.h"

#include "frame/CtrlFileMgr.h"
#include "platform/Registry.h"
#include "platform/Win32Error.h"

namespace tq {

namespace {

int32_t SetClassesDefault(const std::string& strKey, const std::string& strValue) {
    CRegKey key;
    int32_t err = key.Create(HKEY_CLASSES_ROOT, strKey, KEY_WRITE);
    return err != ERROR_SUCCESS ? err : key.SetString("", strValue);
}

}  // namespace

CModuleCount& GetModuleCount() {
    static CModuleCount s_count;
    return s_count;
}

CClassFactory& GetCtrlFileMgrFactory() {
    static CClassFactory s_factory(CLSID_CtrlFileMgr, CCtrlFileMgr::Create, GetModuleCount());
    return s_factory;
}

int32_t RegisterCtrlFileMgr(const std::string& strModulePath) {
    const std::string strProgID = kCtrlFileMgrProgID;
    const std::string strClsid = GuidToString(CLSID_CtrlFileMgr);
    const std::string strClassKey = "CLSID\\" + strClsid;
    const std::pair<std::string, std::string> entries[] = {
        {strProgID, strProgID},
        {strProgID + "\\CLSID", strClsid},
        {strClassKey, strProgID},
        {strClassKey + "\\ProgID", strProgID},
        {strClassKey + "\\InProcServer32", strModulePath},
    };
    int32_t first = ERROR_SUCCESS;
    for (const auto& [strKey, strValue] : entries) {
        int32_t err = SetClassesDefault(strKey, strValue);
        if (first == ERROR_SUCCESS) {
            first = err;
        }
    }
    return first;
}

}  // namespace tq
