#include "Host.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/Cp932.h"

namespace tq::tqctl {

bool ParseInt32(const std::string& strText, int32_t& value) {
    size_t i = 0;
    bool bNegative = false;
    if (i < strText.size() && (strText[i] == '-' || strText[i] == '+')) {
        bNegative = strText[i] == '-';
        ++i;
    }
    if (i == strText.size()) {
        return false;
    }
    int64_t v = 0;
    for (; i < strText.size(); ++i) {
        if (strText[i] < '0' || strText[i] > '9') {
            return false;
        }
        v = v * 10 + (strText[i] - '0');
        if (v > int64_t{INT32_MAX} + 1) {
            return false;
        }
    }
    v = bNegative ? -v : v;
    if (v > INT32_MAX || v < INT32_MIN) {
        return false;
    }
    value = static_cast<int32_t>(v);
    return true;
}

CHost& GetHost() {
    static CHost s_host(std::cout, std::cerr);
    return s_host;
}

bool CHost::Prepare(std::string& strError) {
    return UseHostOptions(m_options, strError);
}

std::string CHost::ToTerminal(const std::string& strCp932) const {
    return m_options.m_bRaw ? strCp932 : Cp932ToUtf8Lossy(strCp932);
}

bool CHost::FromTerminal(const std::string& strText, std::string& strCp932) const {
    if (m_options.m_bRaw) {
        if (!IsWellFormedCp932(strText)) {
            return false;
        }
        strCp932 = strText;
        return true;
    }
    return Utf8ToCp932(strText, strCp932) == 0;
}

bool CHost::GetProduct(std::string& strKey) {
    if (m_options.m_strProduct.empty()) {
        Usage("no product: give --product KEY or set TQ_PRODUCT");
        return false;
    }
    if (!FromTerminal(m_options.m_strProduct, strKey)) {
        Usage("the product key has characters that code page 932 cannot hold");
        return false;
    }
    return true;
}

bool CHost::GetProductKeyPath(std::string& strPath) {
    std::string strKey;
    if (!GetProduct(strKey)) {
        return false;
    }
    strPath = std::string(kProductKeyBase) + strKey;
    return true;
}

bool CHost::GetObject(CAutomationClient*& pClient) {
    if (!m_client.IsCreated()) {
        std::string strDetail;
        HRESULT hr = m_client.Create(&strDetail);
        if (FAILED(hr)) {
            FailHResult(hr, strDetail);
            return false;
        }
    }
    pClient = &m_client;
    return true;
}

bool CHost::GetExports(const CModuleExports*& pExports) {
    if (!m_bExportsLoaded) {
        std::string strDetail;
        HRESULT hr = m_exports.Load(&strDetail);
        if (FAILED(hr)) {
            FailHResult(hr, strDetail);
            return false;
        }
        m_bExportsLoaded = true;
    }
    pExports = &m_exports;
    return true;
}

int CHost::Fail(int32_t lCode, const std::string& strMessageCp932) {
    m_out << lCode << '\t' << ToTerminal(strMessageCp932) << '\n' << std::flush;
    return kExitFailed;
}

int CHost::Succeed() {
    m_out << "0\t\n" << std::flush;
    return kExitOk;
}

int CHost::FailHResult(HRESULT hr, const std::string& strDetail) {
    char szCode[16];
    std::snprintf(szCode, sizeof szCode, "0x%08" PRIX32, static_cast<uint32_t>(hr));
    m_out << szCode << '\t' << DescribeHResult(hr) << (strDetail.empty() ? "" : ": ") << strDetail
          << '\n'
          << std::flush;
    return kExitFailed;
}

int CHost::Usage(const std::string& strText) {
    m_err << "tqctl: " << strText << '\n';
    return kExitUsage;
}

}  // namespace tq::tqctl
