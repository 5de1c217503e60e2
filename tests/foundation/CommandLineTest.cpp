// How both programs read their command lines, the GNU way; and the nearest
// command offered for one mistyped.

#include "foundation/CommandLine.h"
#include "foundation/Arrays.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Takes = CCommandLine::Takes;
using Problem = CCommandLine::Problem;

// Reads theArguments (blank-separated) and tells what was understood:
// "help", "name=V", "data=V,V", "operands=A,B", or the problem.
std::string Understood(const std::string& theArguments)
{
    CStringArray words;
    Cstring(theArguments.c_str()).Split(words, ' ');
    std::vector<char*> args;
    for (int i = 0; i < words.GetCount(); ++i)
        args.push_back(words.At(i).GetBuffer());
    CCommandLine line(
        { { "--help", Takes::kNothing, "-h" }, { "--name", Takes::kValue }, { "--data", Takes::kList } });
    if (!line.Read(static_cast<int>(args.size()), args.data())) {
        const char* kinds[] = { "", "unknown", "needs a value", "takes no value" };
        return std::string(kinds[static_cast<int>(line.GetProblem())]) + " " + line.ProblemArgument();
    }
    std::string said;
    const auto join = [&](const char* theLabel, const std::vector<const char*>& theValues) {
        if (theValues.empty())
            return;
        said += said.empty() ? "" : " ";
        said += theLabel;
        for (size_t i = 0; i < theValues.size(); ++i)
            said += (i ? "," : "=") + std::string(theValues[i]);
    };
    if (line.Has("--help"))
        said = "help";
    join("name", line.Values("--name"));
    join("data", line.Values("--data"));
    join("operands", line.Operands());
    return said;
}

} // namespace

TEST(CommandLine, ReadsOptionsAndOperandsInAnyOrder)
{
    const std::pair<const char*, const char*> cases[] = {
        { "out --name N", "name=N operands=out" },
        { "--name=N out", "name=N operands=out" },
        { "--name N --name=M", "name=N,M" }, // Value gives the last
        { "-h", "help" },
        { "out --data a b --name N c", "name=N data=a,b operands=out,c" },
        { "--data=a b - c", "data=a,b,-,c" }, // a lone "-" is a value or an operand
        { "--name -x", "name=-x" }, // a value is taken whatever it looks like
        { "-- --name -h", "operands=--name,-h" },
        { "--bogus", "unknown --bogus" },
        { "-x out", "unknown -x" },
        { "--bogus=1", "unknown --bogus" },
        { "--name", "needs a value --name" },
        { "--name=", "needs a value --name" },
        { "--data --name N", "needs a value --data" },
        { "--help=yes", "takes no value --help" },
    };
    for (const auto& [arguments, understood] : cases)
        EXPECT_EQ(Understood(arguments), understood) << arguments;
}

TEST(CommandLine, TheNearestNameIsAPrefixOrTwoSlipsAway)
{
    const std::vector<const char*> names = { "archive", "data", "dump", "kit", "keygen", "sign", "verify" };
    const std::pair<const char*, const char*> cases[] = {
        { "kti", "kit" }, // two letters swapped
        { "arch", "archive" },
        { "verfy", "verify" },
        { "sing", "sign" },
        { "dat", "data" },
        { "xyz", nullptr }, // "kit" is three slips away
        { "frobnicate", nullptr },
        { "", nullptr },
    };
    for (const auto& [typed, nearest] : cases) {
        const char* found = NearestName(typed, names);
        EXPECT_STREQ(found, nearest) << typed;
    }
}
