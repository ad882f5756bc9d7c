// The command line every host of the component shares: the prefix and the product, and the
// answer to the component's questions given up front.
#pragma once

#include <string>
#include <vector>

namespace tq::host {

struct CHostOptions {
    enum class Answer { Ask, Yes, No };

    std::string m_strPrefix;   // --prefix, else TQ_PREFIX
    std::string m_strProduct;  // --product, else TQ_PRODUCT (terminal text)
    Answer m_answer = Answer::Ask;
    bool m_bRaw = false;  // terminal text is code page 932 instead of UTF-8
    bool m_bHelp = false;

    // Reads the global options at args[i...] up to the command (TQ_PRODUCT gives the product
    // unless --product does); i ends at the command. False with strError for an unknown
    // option or a missing value.
    bool Parse(const std::vector<std::string>& args, size_t& i, std::string& strError);
};

// Makes the prefix and the answer mode current for this process and for the module it will
// load (which reads the environment); false with strError when the prefix cannot be used.
bool UseHostOptions(const CHostOptions& options, std::string& strError);

}  // namespace tq::host
