// A small host of the component on Windows, for the whole flows under a desktop and for the
// dialogs' pictures. It makes the automation object as an in-process host does (the class
// factory of DllGetClassObject, then IDispatch) from the component it links, and calls its
// members by their dispatch ids:
//
//   tqdialoghost add KEY               SetProductKey, Load, OpenAddAppDialog, Save
//   tqdialoghost edit KEY TYPE NUMBER  SetProductKey, Load, OpenEditAppDialog, Save
//   tqdialoghost shot KEY NAME FOLDER OUT.bmp
//                                      a picture of one dialog (see DialogShots.h)
//
// KEY is the product key below the product keys' base path. Each call's answer is printed as
// "Member = value"; Save runs only after a dialog that changed something. The exit status is 0
// when every call answered without a failure, else 1 (2 for a wrong command line).
#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include <cstdio>
#include <string>
#include <vector>

#include "DialogShots.h"
#include "frame/CtrlFileMgrIds.h"
#include "frame/Exports.h"
#include "manager/ProductRegKey.h"
#include "platform/Cp932.h"
#include "platform/Unknown.h"

namespace {

// One member of the object by its dispatch id: the answer as a long (VT_I4/VT_BOOL), or the
// HRESULT's failure as LONG_MIN.
long Call(IDispatch* pObject, DISPID id, std::vector<VARIANT> args) {
    std::vector<VARIANT> reversed(args.rbegin(), args.rend());  // the last argument first
    DISPPARAMS params{reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr =
        pObject->Invoke(id, tq::IID_NULL, 0, tq::DISPATCH_METHOD | tq::DISPATCH_PROPERTYGET,
                        &params, &result, nullptr, nullptr);
    for (VARIANT& arg : args) {
        ::VariantClear(&arg);
    }
    long lAnswer = tq::FAILED(hr)         ? -0x7FFFFFFF
                   : result.vt == VT_BOOL ? (result.boolVal != 0 ? 1 : 0)
                   : result.vt == VT_I4   ? result.lVal
                                          : 0;
    ::VariantClear(&result);
    return lAnswer;
}

VARIANT Long(long lValue) {
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = lValue;
    return v;
}

VARIANT String(const std::string& strCp932) {
    std::u16string wide;
    tq::Cp932ToUtf16(strCp932, wide);
    VARIANT v;
    ::VariantInit(&v);
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocStringLen(reinterpret_cast<const OLECHAR*>(wide.data()),
                                    static_cast<UINT>(wide.size()));
    return v;
}

IDispatch* CreateObject() {
    IClassFactory* pFactory = nullptr;
    IDispatch* pObject = nullptr;
    if (tq::FAILED(DllGetClassObject(tq::CLSID_CtrlFileMgr, tq::IID_IClassFactory,
                                     reinterpret_cast<void**>(&pFactory)))) {
        return nullptr;
    }
    pFactory->CreateInstance(nullptr, tq::IID_IDispatch, reinterpret_cast<void**>(&pObject));
    pFactory->Release();
    return pObject;
}

bool Print(const char* pszMember, long lAnswer, bool bFailed) {
    std::printf("%s = %ld\n", pszMember, lAnswer);
    std::fflush(stdout);
    return !bFailed;
}

// SetProductKey and Load, the dialog, and Save when the dialog changed something.
int RunDialog(const std::string& strKey, const std::vector<long>& editArgs) {
    IDispatch* pObject = CreateObject();
    if (pObject == nullptr) {
        std::fprintf(stderr, "tqdialoghost: the object could not be made\n");
        return 1;
    }
    bool bOk =
        Print("SetProductKey", Call(pObject, tq::DISPID_SETPRODUCTKEY, {String(strKey)}), false);
    const long lLoad = Call(pObject, tq::DISPID_LOAD, {});
    bOk = Print("Load", lLoad, lLoad != 0) && bOk;
    const bool bEdit = !editArgs.empty();
    const long lDialog =
        bEdit ? Call(pObject, tq::DISPID_OPENEDITAPPDIALOG, {Long(editArgs[0]), Long(editArgs[1])})
              : Call(pObject, tq::DISPID_OPENADDAPPDIALOG, {});
    bOk = Print(bEdit ? "OpenEditAppDialog" : "OpenAddAppDialog", lDialog, lDialog < 0) && bOk;
    if (lDialog >= 0) {
        const long lSave = Call(pObject, tq::DISPID_SAVE, {Long(0)});
        bOk = Print("Save", lSave, lSave != 0) && bOk;
    }
    pObject->Release();
    return bOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "add") {
        return RunDialog(args[1], {});
    }
    if (args.size() == 4 && args[0] == "edit") {
        return RunDialog(args[1], {std::stol(args[2]), std::stol(args[3])});
    }
    if (args.size() == 5 && args[0] == "shot") {
        return tq::TakeDialogShot(std::string(tq::kProductKeyBase) + args[1], args[2], args[3],
                                  args[4]);
    }
    std::fprintf(
        stderr,
        "usage: tqdialoghost add KEY | edit KEY TYPE NUMBER | shot KEY NAME FOLDER OUT.bmp\n");
    return 2;
}
