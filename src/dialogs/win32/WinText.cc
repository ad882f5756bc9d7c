#include "dialogs/win32/DialogApi.h"
// The system first (DialogApi.h), then the project.

#include "dialogs/win32/WinText.h"
#include "platform/Cp932.h"

namespace tq {

std::wstring WideFromCp932(std::string_view text) {
    std::u16string wide;
    if (Cp932ToUtf16(text, wide) == 0) {
        return std::wstring(wide.begin(), wide.end());
    }
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        const size_t n = CharLength(text, i);
        out += Cp932ToUtf16(text.substr(i, n), wide) == 0 ? std::wstring(wide.begin(), wide.end())
                                                          : std::wstring(1, L'\x30FB');
        i += n;
    }
    return out;
}

bool Cp932FromWide(std::wstring_view text, std::string& strOut) {
    return Utf16ToCp932(std::u16string(text.begin(), text.end()), strOut) == 0;
}

std::string Cp932FromWideLossy(std::wstring_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        // A character beyond the basic plane is two units and one character.
        const bool bPair = text[i] >= 0xD800 && text[i] <= 0xDBFF && i + 1 < text.size();
        std::string strChar;
        out += Cp932FromWide(text.substr(i, bPair ? 2 : 1), strChar) ? strChar : "?";
        i += bPair ? 1 : 0;
    }
    return out;
}

std::wstring GetWindowTextWide(HWND hWnd) {
    std::wstring text(static_cast<size_t>(::GetWindowTextLengthW(hWnd)) + 1, L'\0');
    text.resize(
        static_cast<size_t>(::GetWindowTextW(hWnd, text.data(), static_cast<int>(text.size()))));
    return text;
}

void SetWindowTextCp932(HWND hWnd, std::string_view text) {
    ::SetWindowTextW(hWnd, WideFromCp932(text).c_str());
}

void SetInputMethodOpen(HWND hWnd, bool bOpen) {
    if (HIMC hContext = ::ImmGetContext(hWnd); hContext != nullptr) {
        ::ImmSetOpenStatus(hContext, bOpen ? TRUE : FALSE);
        ::ImmReleaseContext(hWnd, hContext);
    }
}

}  // namespace tq
