#pragma once

#include <string>
#include <vector>

#include "tests/support/hostile_update.h"

// Files the generator's installations cannot hold, and a Linux folder under Wine can: an
// installed file's name with the case of its letters turned (a.txt beside A.txt, ａ.txt beside
// Ａ.txt, d\a.txt beside D\A.txt), both there as two files. Windows holds such pairs in a folder
// marked case-sensitive. Drawn from the same choices as the case, after it.
namespace wine_runner {

struct CaseTwin {
    std::string name;  // code page 932, '\' between names
    std::string content;
    bool readOnly = false;
    bool recorded = false;  // listed in the installation's record too
};

std::vector<CaseTwin> drawCaseTwins(const testing_support::HostileUpdate& update, const testing_support::Choices& choose);

// The case as the runner lays it out: the twins recorded where they were drawn so.
testing_support::HostileUpdate withTwinsRecorded(testing_support::HostileUpdate update, const std::vector<CaseTwin>& twins);

// Makes each twin under its exact name below the folder, with the folders on its way, through
// Wine's exact path (wine_host.h). False where that path is missing: the system is not Wine.
bool placeCaseTwins(const std::vector<CaseTwin>& twins, const std::string& folder);

// The twins as text, for a failure's description.
std::string describeCaseTwins(const std::vector<CaseTwin>& twins);

}  // namespace wine_runner
