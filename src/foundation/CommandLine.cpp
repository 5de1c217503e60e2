#include "foundation/CommandLine.h"

#include <algorithm>
#include <cstring>
#include <string_view>

namespace {

bool LooksLikeOption(const char* theArgument)
{
    return theArgument[0] == '-' && theArgument[1] != 0;
}

} // namespace

CCommandLine::CCommandLine(std::initializer_list<Option> theOptions)
    : itsOptions(theOptions)
{
}

const CCommandLine::Option* CCommandLine::Find(const std::string& theName) const
{
    for (const Option& option : itsOptions)
        if (theName == option.itsName || (option.itsShort && theName == option.itsShort))
            return &option;
    return nullptr;
}

bool CCommandLine::Fail(Problem theProblem, std::string theArgument)
{
    itsProblem = theProblem;
    itsProblemArgument = std::move(theArgument);
    return false;
}

bool CCommandLine::Read(int theCount, char* const* theArgs)
{
    itsGiven.clear();
    itsOperands.clear();
    itsProblem = Problem::kNone;
    bool bOptionsEnded = false;
    for (int i = 0; i < theCount; ++i) {
        const std::string_view argument(theArgs[i]);
        if (bOptionsEnded || argument.size() < 2 || argument[0] != '-') {
            itsOperands.push_back(theArgs[i]);
            continue;
        }
        if (argument == "--") {
            bOptionsEnded = true;
            continue;
        }
        const size_t equals = argument.starts_with("--") ? argument.find('=') : std::string_view::npos;
        const std::string name(argument.substr(0, equals));
        const char* attached = equals == std::string_view::npos ? nullptr : theArgs[i] + equals + 1;
        const Option* option = Find(name);
        if (!option)
            return Fail(Problem::kUnknownOption, name);
        if (option->itsValue == Takes::kNothing) {
            if (attached)
                return Fail(Problem::kTakesNoValue, name);
            itsGiven.emplace_back(option->itsName, nullptr);
            continue;
        }
        // A single value is taken whatever it looks like; a list starts with
        // a value that does not look like an option.
        const bool bNextIsValue
            = i + 1 < theCount && (option->itsValue == Takes::kValue || !LooksLikeOption(theArgs[i + 1]));
        const char* value = attached ? attached : bNextIsValue ? theArgs[++i] : nullptr;
        if (!value || !*value)
            return Fail(Problem::kNeedsValue, name);
        itsGiven.emplace_back(option->itsName, value);
        // The rest of a list, up to the next option.
        while (option->itsValue == Takes::kList && i + 1 < theCount && !LooksLikeOption(theArgs[i + 1]))
            itsGiven.emplace_back(option->itsName, theArgs[++i]);
    }
    return true;
}

bool CCommandLine::Has(const char* theName) const
{
    return std::any_of(itsGiven.begin(), itsGiven.end(),
        [theName](const auto& theGiven) { return std::strcmp(theGiven.first, theName) == 0; });
}

const char* CCommandLine::Value(const char* theName) const
{
    const std::vector<const char*> values = Values(theName);
    return values.empty() ? nullptr : values.back();
}

std::vector<const char*> CCommandLine::Values(const char* theName) const
{
    std::vector<const char*> values;
    for (const auto& [name, value] : itsGiven)
        if (value && std::strcmp(name, theName) == 0)
            values.push_back(value);
    return values;
}

namespace {

// The slips between two names: letters added, dropped, changed or swapped.
size_t Slips(std::string_view theFirst, std::string_view theSecond)
{
    const size_t rows = theFirst.size() + 1, columns = theSecond.size() + 1;
    std::vector<size_t> cost(rows * columns);
    for (size_t i = 0; i < rows; ++i)
        for (size_t j = 0; j < columns; ++j) {
            if (i == 0 || j == 0) {
                cost[i * columns + j] = i + j;
                continue;
            }
            const size_t change = theFirst[i - 1] == theSecond[j - 1] ? 0 : 1;
            size_t best = std::min({ cost[(i - 1) * columns + j] + 1, cost[i * columns + j - 1] + 1,
                cost[(i - 1) * columns + j - 1] + change });
            if (i > 1 && j > 1 && theFirst[i - 1] == theSecond[j - 2] && theFirst[i - 2] == theSecond[j - 1])
                best = std::min(best, cost[(i - 2) * columns + j - 2] + 1);
            cost[i * columns + j] = best;
        }
    return cost.back();
}

} // namespace

const char* NearestName(const char* theTyped, const std::vector<const char*>& theNames)
{
    const std::string_view typed(theTyped);
    const char* nearest = nullptr;
    size_t fewest = 3;
    for (const char* name : theNames) {
        const std::string_view candidate(name);
        const size_t slips = !typed.empty() && candidate.starts_with(typed) ? 0 : Slips(typed, candidate);
        // Two slips in a name of three letters leave nothing of it.
        if (slips < fewest && slips < std::max<size_t>(candidate.size() - 1, 1)) {
            nearest = name;
            fewest = slips;
        }
    }
    return nearest;
}
