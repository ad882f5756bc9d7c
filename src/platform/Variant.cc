#include "platform/Variant.h"

#include <cstring>

namespace tq {

CVariant::CVariant(int32_t l) {
    VariantInit(this);
    vt = VT_I4;
    lVal = l;
}

CVariant::CVariant(int16_t i) {
    VariantInit(this);
    vt = VT_I2;
    iVal = i;
}

CVariant::CVariant(bool b) {
    VariantInit(this);
    vt = VT_BOOL;
    boolVal = b ? VARIANT_TRUE : VARIANT_FALSE;
}

CVariant::CVariant(OleStringView str) {
    VariantInit(this);
    vt = VT_BSTR;
    bstrVal = SysAllocStringLen(str.data(), static_cast<uint32_t>(str.size()));
}

CVariant::CVariant(const CVariant& other) {
    VariantInit(this);
    VariantCopy(this, &other);
}

CVariant& CVariant::operator=(const CVariant& other) {
    VariantCopy(this, &other);
    return *this;
}

CVariant::CVariant(CVariant&& other) noexcept {
    std::memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&other), sizeof(VARIANT));
    VariantInit(&other);
}

CVariant& CVariant::operator=(CVariant&& other) noexcept {
    if (this != &other) {
        VariantClear(this);
        std::memcpy(static_cast<VARIANT*>(this), static_cast<VARIANT*>(&other), sizeof(VARIANT));
        VariantInit(&other);
    }
    return *this;
}

void CVariant::AttachBstr(BSTR bstr) {
    VariantClear(this);
    vt = VT_BSTR;
    bstrVal = bstr;
}

void CVariant::Detach(VARIANT* pvar) {
    std::memcpy(pvar, static_cast<VARIANT*>(this), sizeof(VARIANT));
    VariantInit(this);
}

}  // namespace tq
