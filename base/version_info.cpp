#include "base/version_info.h"

#include <array>
#include <utility>

namespace lumo {

std::optional<std::string> versionText(const std::string& key) {
    static const std::array<std::pair<const char*, const char*>, 5> texts = {{
        {"CompanyName", "LUMO systémy"},
        {"FileDescription", "Ovládací panel systému LUMO-line"},
        {"FileVersion", "Verze 2.32"},
        {"LegalCopyright", "Copyright © LUMO systémy"},
        {"LegalTrademarks", "LUMO-line"},
    }};
    for (const auto& [k, v] : texts) {
        if (key == k && v[0] != '\0') return std::string(v);
    }
    return std::nullopt;
}

}  // namespace lumo
