#pragma once

#include <ostream>
#include <string>
#include <vector>

// What the tool found wrong with a description, a tree or a package. An error is something
// the updater would refuse or trip over; a warning is something that may still work; a note
// tells what was found without finding fault.
namespace patchkit {

enum class Severity { Warning, Error, Note };

struct Finding {
    Severity severity;
    std::string file;    // UTF-8, as the user named it
    std::string field;   // "UpdateHeader.title", "entry 3 size", "update.shortcuts[1].target"; may be empty
    std::string reason;  // English
};

class Findings {
public:
    void error(const std::string& file, const std::string& field, const std::string& reason);
    void warning(const std::string& file, const std::string& field, const std::string& reason);
    void note(const std::string& file, const std::string& field, const std::string& reason);
    void add(const Finding& finding) { all_.push_back(finding); }

    bool hasErrors() const;
    size_t count(Severity severity) const;
    const std::vector<Finding>& all() const { return all_; }

private:
    std::vector<Finding> all_;
};

// One line per finding: "error: FILE: FIELD: REASON".
void printFindings(std::ostream& out, const std::vector<Finding>& findings);

const char* severityName(Severity severity);

}  // namespace patchkit
