#include "platform/win32/command_line.h"

#include "platform/win32/windows_api.h"

namespace lumo::platform {

namespace {

// A word the runtime reads back unchanged: in quotes when it has blanks or quotes or is empty;
// backslashes doubled before a quote and at the end, a quote escaped.
std::wstring quoted(const std::wstring& word) {
    if (!word.empty() && word.find_first_of(L" \t\n\v\"") == std::wstring::npos) return word;
    std::wstring out = L"\"";
    for (std::size_t i = 0;; ++i) {
        std::size_t backslashes = 0;
        while (i < word.size() && word[i] == L'\\') {
            ++i;
            ++backslashes;
        }
        if (i == word.size()) {
            out.append(backslashes * 2, L'\\');
            break;
        }
        if (word[i] == L'"') {
            out.append(backslashes * 2 + 1, L'\\');
        } else {
            out.append(backslashes, L'\\');
        }
        out.push_back(word[i]);
    }
    out.push_back(L'"');
    return out;
}

}  // namespace

std::wstring commandLineOf(const std::vector<std::string>& words) {
    std::wstring line;
    for (const auto& w : words) {
        if (!line.empty()) line.push_back(L' ');
        line += quoted(wideText(w));
    }
    return line;
}

}  // namespace lumo::platform
