#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

// A command line read as GNU programs read theirs, shared by the updater and
// patchwell-pack: options and operands in any order, "--name=value" or
// "--name value", "--" ends the options, and a lone "-" is an operand. A
// list option takes the values that follow it up to the next option.
class CCommandLine {
public:
    enum class Takes { kNothing, kValue, kList };
    struct Option {
        const char* itsName; // "--data"
        Takes itsValue = Takes::kNothing;
        const char* itsShort = nullptr; // "-h"
    };
    enum class Problem { kNone, kUnknownOption, kNeedsValue, kTakesNoValue };

    CCommandLine(std::initializer_list<Option> theOptions);

    // Reads theCount arguments; false when one is wrong, which Problem and
    // ProblemArgument then tell.
    bool Read(int theCount, char* const* theArgs);
    Problem GetProblem() const { return itsProblem; }
    // The option as given ("--bogus", "-x"), without a value attached.
    const std::string& ProblemArgument() const { return itsProblemArgument; }

    bool Has(const char* theName) const;
    // The last value given for theName, or null.
    const char* Value(const char* theName) const;
    // Every value given for theName, in order.
    std::vector<const char*> Values(const char* theName) const;
    const std::vector<const char*>& Operands() const { return itsOperands; }

private:
    const Option* Find(const std::string& theName) const;
    bool Fail(Problem theProblem, std::string theArgument);

    std::vector<Option> itsOptions;
    std::vector<std::pair<const char*, const char*>> itsGiven; // option name, value or null
    std::vector<const char*> itsOperands;
    Problem itsProblem = Problem::kNone;
    std::string itsProblemArgument;
};

// The name among theNames nearest to theTyped, for "did you mean": one that
// starts with it, or one within two typing slips; null when none is near.
const char* NearestName(const char* theTyped, const std::vector<const char*>& theNames);
