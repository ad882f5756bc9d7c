// The extensions the file list shows: files whose extension is not among them are left out;
// folders always pass. An empty filter lets every file pass.
#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace tq {

class CFileFilter {
public:
    // Adds the pieces of a '|'-separated text, upper-cased. Two adjacent bars add the empty
    // extension (files without one then pass); a trailing bar adds nothing. Pieces are only
    // ever added.
    void AddExtensions(std::string_view strText);
    bool IsEmpty() const { return m_extensions.empty(); }
    // Whether a file of this name (or path) passes.
    bool Passes(std::string_view strFileName) const;

private:
    std::unordered_set<std::string> m_extensions;
};

// The extension of the last name of a path, with its dot; empty when the name has none.
std::string_view ExtensionOf(std::string_view strPath);

}  // namespace tq
