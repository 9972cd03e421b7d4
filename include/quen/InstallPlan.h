// What CInstaller::Plan finds: the staging copy an installation would make,
// entry by entry in copy order, and what would go wrong on the way.
#pragma once

#include <string>
#include <vector>

struct InstallPlanCopy {
    std::wstring label;        // the module's label, or the foundation image's
    std::wstring releasePath;  // the folder below the source it is copied from
    int disc = -1;             // the disc that holds it; -1 from a recovery folder
};

struct InstallPlanProblem {
    std::wstring label;  // the record's label ("(no label)" without one)
    std::wstring text;   // what is wrong, naming the field, folder or file
};

struct InstallPlan {
    std::vector<InstallPlanCopy> copies;
    std::vector<InstallPlanProblem> problems;
};
