#include "tools/patchkit/findings.h"

#include <algorithm>

namespace patchkit {

void Findings::error(const std::string& file, const std::string& field, const std::string& reason) {
    all_.push_back({Severity::Error, file, field, reason});
}

void Findings::warning(const std::string& file, const std::string& field, const std::string& reason) {
    all_.push_back({Severity::Warning, file, field, reason});
}

void Findings::note(const std::string& file, const std::string& field, const std::string& reason) {
    all_.push_back({Severity::Note, file, field, reason});
}

bool Findings::hasErrors() const { return count(Severity::Error) > 0; }

size_t Findings::count(Severity severity) const {
    return static_cast<size_t>(
        std::count_if(all_.begin(), all_.end(), [severity](const Finding& f) { return f.severity == severity; }));
}

const char* severityName(Severity severity) {
    switch (severity) {
        case Severity::Error: return "error";
        case Severity::Warning: return "warning";
        case Severity::Note: return "note";
    }
    return "";
}

void printFindings(std::ostream& out, const std::vector<Finding>& findings) {
    for (const Finding& f : findings) {
        out << severityName(f.severity) << ": " << f.file;
        if (!f.field.empty()) out << ": " << f.field;
        out << ": " << f.reason << '\n';
    }
}

}  // namespace patchkit
