// quen_plan: CInstaller::Plan's result, with C views of its entries.
#include "capi/Call.h"
#include "capi/Installer.h"

#include <vector>

struct quen_plan {
    InstallPlan plan;
    std::vector<quen_plan_copy> copies;
    std::vector<quen_plan_problem> problems;
};

namespace {

using namespace quen::capi;

template <typename T>
const T* At(const std::vector<T>& list, std::size_t index)
{
    if (index >= list.size())
        throw InvalidArgument("index " + std::to_string(index) + " is beyond the " + std::to_string(list.size()) +
                              " entries");
    return &list[index];
}

}  // namespace

QUEN_C_API quen_status quen_installer_plan(quen_installer* installer, const wchar_t* media_type,
                                           const wchar_t* const* disc_roots, size_t disc_root_count,
                                           quen_plan** plan)
{
    return Call([&] {
        Required(plan, "plan") = nullptr;
        quen_installer& self = Required(installer, "installer");
        if (disc_root_count > 0)
            Required(disc_roots, "disc_roots");
        std::vector<std::wstring> roots;
        for (std::size_t i = 0; i < disc_root_count; ++i)
            roots.push_back(Text(disc_roots[i]));
        const std::wstring media = Text(media_type);
        auto result = std::make_unique<quen_plan>();
        result->plan = self.installer.Plan(&media, self.database.db.Applications(), self.database.db.Modules(), roots);
        for (const InstallPlanCopy& copy : result->plan.copies) {
            const auto disc = static_cast<int32_t>(copy.disc);
            result->copies.push_back({sizeof(quen_plan_copy), copy.label.c_str(), copy.releasePath.c_str(), disc});
        }
        for (const InstallPlanProblem& problem : result->plan.problems)
            result->problems.push_back({sizeof(quen_plan_problem), problem.label.c_str(), problem.text.c_str()});
        *plan = result.release();
    });
}

QUEN_C_API quen_status quen_plan_counts(const quen_plan* plan, size_t* copies, size_t* problems)
{
    return Call([&] {
        const quen_plan& self = Required(plan, "plan");
        Required(copies, "copies") = self.copies.size();
        Required(problems, "problems") = self.problems.size();
    });
}

QUEN_C_API quen_status quen_plan_copy_at(const quen_plan* plan, size_t index, const quen_plan_copy** copy)
{
    return Call([&] { Required(copy, "copy") = At(Required(plan, "plan").copies, index); });
}

QUEN_C_API quen_status quen_plan_problem_at(const quen_plan* plan, size_t index, const quen_plan_problem** problem)
{
    return Call([&] { Required(problem, "problem") = At(Required(plan, "plan").problems, index); });
}

QUEN_C_API quen_status quen_plan_destroy(quen_plan* plan)
{
    return Call([&] { delete &Required(plan, "plan"); });
}
