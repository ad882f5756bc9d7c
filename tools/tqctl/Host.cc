#include "Host.h"

#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#include "platform/Cp932.h"
#include "platform/Environment.h"
#include "platform/Prefix.h"

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

bool CHostOptions::Parse(const std::vector<std::string>& args, size_t& i, std::string& strError) {
    std::string strValue;
    if (m_strProduct.empty() && GetEnvironmentVariable("TQ_PRODUCT", strValue) == 0) {
        m_strProduct = strValue;
    }
    for (; i < args.size(); ++i) {
        const std::string& strArg = args[i];
        if (strArg == "--help" || strArg == "-h") {
            m_bHelp = true;
        } else if (strArg == "--yes") {
            m_answer = Answer::Yes;
        } else if (strArg == "--no") {
            m_answer = Answer::No;
        } else if (strArg == "--raw") {
            m_bRaw = true;
        } else if (strArg == "--prefix" || strArg == "--product") {
            if (i + 1 >= args.size()) {
                strError = strArg + " needs a value";
                return false;
            }
            (strArg == "--prefix" ? m_strPrefix : m_strProduct) = args[++i];
        } else if (strArg.size() > 1 && strArg[0] == '-') {
            strError = "unknown option " + strArg;
            return false;
        } else {
            break;
        }
    }
    return true;
}

CHost& GetHost() {
    static CHost s_host(std::cout, std::cerr);
    return s_host;
}

bool CHost::Prepare(std::string& strError) {
    if (!m_options.m_strPrefix.empty()) {
        int32_t err = CPrefix::Use(m_options.m_strPrefix);
        if (err != 0) {
            strError = "cannot use the prefix " + m_options.m_strPrefix + " (error " +
                       std::to_string(err) + ")";
            return false;
        }
        SetEnvironmentVariable("TQ_PREFIX", CPrefix::Current().GetDir());
    }
    if (m_options.m_answer != CHostOptions::Answer::Ask) {
        SetEnvironmentVariable("TQ_ANSWER",
                               m_options.m_answer == CHostOptions::Answer::Yes ? "yes" : "no");
    }
    return true;
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
