#include "hostclient/HostOptions.h"

#include "platform/Environment.h"
#include "platform/Module.h"

namespace tq::host {

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

bool UseHostOptions(const CHostOptions& options, std::string& strError) {
    if (!options.m_strPrefix.empty()) {
        int32_t err = UseMachine(options.m_strPrefix);
        if (err != 0) {
            strError = "cannot use the prefix " + options.m_strPrefix + " (error " +
                       std::to_string(err) + ")";
            return false;
        }
    }
    if (options.m_answer != CHostOptions::Answer::Ask) {
        SetEnvironmentVariable("TQ_ANSWER",
                               options.m_answer == CHostOptions::Answer::Yes ? "yes" : "no");
    }
    return true;
}

}  // namespace tq::host
