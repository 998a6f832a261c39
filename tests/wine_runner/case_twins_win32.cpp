#include <windows.h>

#include "platform/text_encoding.h"
#include "platform/win32/wide_text.h"
#include "tests/support/manifest_builder.h"
#include "tests/wine_runner/case_twins.h"
#include "tests/wine_runner/wine_host.h"

namespace wine_runner {
namespace {

wchar_t turned(wchar_t c) {
    if ((c >= L'a' && c <= L'z') || (c >= 0xFF41 && c <= 0xFF5A)) return static_cast<wchar_t>(c - 0x20);
    if ((c >= L'A' && c <= L'Z') || (c >= 0xFF21 && c <= 0xFF3A)) return static_cast<wchar_t>(c + 0x20);
    return c;
}

// The name's components, whatever separates them ('/' or '\', doubled or not).
std::vector<std::wstring> componentsOf(const std::wstring& name) {
    std::vector<std::wstring> components(1);
    for (wchar_t c : name) {
        if (c != L'\\' && c != L'/') {
            components.back() += c;
        } else if (!components.back().empty()) {
            components.emplace_back();
        }
    }
    if (components.back().empty()) components.pop_back();
    return components;
}

std::wstring joined(const std::vector<std::wstring>& components, size_t count) {
    std::wstring path;
    for (size_t i = 0; i < count; ++i) path += (i ? L"\\" : L"") + components[i];
    return path;
}

}  // namespace

std::vector<CaseTwin> drawCaseTwins(const testing_support::HostileUpdate& update, const testing_support::Choices& choose) {
    std::vector<CaseTwin> twins;
    for (size_t i = 0; i < update.installedFiles.size(); ++i) {
        if (choose(4) != 0) continue;
        std::vector<std::wstring> components = componentsOf(platform::win32::wideOf(update.installedFiles[i].name, CP_ACP));
        bool wholePath = choose(2) == 0;
        CaseTwin twin;
        twin.readOnly = choose(5) == 0;
        twin.recorded = choose(2) == 0;
        if (components.empty()) continue;
        std::vector<std::wstring> spelled = components;
        for (size_t k = wholePath ? 0 : spelled.size() - 1; k < spelled.size(); ++k) {
            for (wchar_t& c : spelled[k]) c = turned(c);
        }
        if (spelled == components) continue;  // no letter to turn
        twin.name = platform::win32::narrowOf(joined(spelled, spelled.size()), CP_ACP);
        twin.content = "twin" + std::to_string(i) + ":" + twin.name;
        twins.push_back(twin);
    }
    return twins;
}

testing_support::HostileUpdate withTwinsRecorded(testing_support::HostileUpdate update, const std::vector<CaseTwin>& twins) {
    for (const CaseTwin& twin : twins) {
        if (twin.recorded) update.recordEntries.push_back(testing_support::entry(twin.name, twin.content.size()));
    }
    return update;
}

bool placeCaseTwins(const std::vector<CaseTwin>& twins, const std::string& folder) {
    std::wstring exact = exactPathOf(folder);
    if (exact.empty()) return false;
    for (const CaseTwin& twin : twins) {
        std::vector<std::wstring> components = componentsOf(platform::win32::wideOf(twin.name, CP_ACP));
        for (size_t k = 1; k < components.size(); ++k) CreateDirectoryW((exact + joined(components, k)).c_str(), nullptr);
        std::wstring path = exact + joined(components, components.size());
        HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) continue;
        DWORD written = 0;
        WriteFile(file, twin.content.data(), static_cast<DWORD>(twin.content.size()), &written, nullptr);
        CloseHandle(file);
        if (twin.readOnly) SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    }
    return true;
}

std::string describeCaseTwins(const std::vector<CaseTwin>& twins) {
    std::string out;
    for (const CaseTwin& twin : twins) {
        out += " \"" + platform::utf8OrRawBytes(twin.name) + "\"" + (twin.readOnly ? "(read-only)" : "") + (twin.recorded ? "(recorded)" : "");
    }
    return out;
}

}  // namespace wine_runner
