// Cstring's operations against a model: a std::string that does each
// operation the plain way. After every step the two must hold the same text,
// and the string's room must follow its rules.

#include "FuzzSupport.h"
#include "foundation/Arrays.h"
#include "foundation/Cstring.h"

#include <algorithm>
#include <cctype>
#include <strings.h>

namespace {

// Every operation copies and compares the model: texts beyond this size make
// an input take seconds under the sanitizers without reaching new code.
const size_t kLongestText = 1 << 14;

enum Operation {
    kAssign,
    kAssignPrefix,
    kAppend,
    kReplace,
    kSplit,
    kSplitRepeated,
    kTrimLeft,
    kTrimTrailing,
    kMakeUpper,
    kFormat,
    kCopy,
    kReserve,
    kClear,
    kCharAt,
    kPath,
    kCompare,
    kOperationCount
};

std::string Upper(std::string theText)
{
    for (char& c : theText)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return theText;
}

std::vector<std::string> ModelSplit(const std::string& theText, char theDelimiter)
{
    std::vector<std::string> pieces;
    if (theText.empty())
        return pieces;
    size_t start = 0;
    for (size_t at = theText.find(theDelimiter); theDelimiter && at != std::string::npos;
         at = theText.find(theDelimiter, start)) {
        pieces.push_back(theText.substr(start, at - start));
        start = at + 1;
    }
    pieces.push_back(theText.substr(start));
    return pieces;
}

// Counts overlapping occurrences, then replaces from the left without overlap.
int ModelReplace(std::string& theText, const std::string& theOld, const std::string& theNew)
{
    int count = 0;
    for (size_t at = theText.find(theOld); at != std::string::npos; at = theText.find(theOld, at + 1))
        ++count;
    if (count == 0)
        return 0;
    std::string result;
    size_t start = 0;
    for (size_t at = theText.find(theOld); at != std::string::npos; at = theText.find(theOld, start)) {
        result += theText.substr(start, at - start) + theNew;
        start = at + theOld.size();
    }
    theText = result + theText.substr(start);
    return count;
}

void CheckSplit(const Cstring& theString, const std::string& theModel, char theDelimiter)
{
    CStringArray pieces;
    pieces.Add("before");
    theString.Split(pieces, theDelimiter);
    const std::vector<std::string> expected = ModelSplit(theModel, theDelimiter);
    PW_FUZZ_CHECK(pieces.GetCount() == static_cast<int>(expected.size()) + 1, "Split gave %d pieces, not %zu",
        pieces.GetCount() - 1, expected.size());
    PW_FUZZ_CHECK(pieces.At(0) == Cstring("before"), "Split changed what the array held");
    for (size_t i = 0; i < expected.size(); ++i)
        PW_FUZZ_CHECK(
            expected[i] == pieces.At(static_cast<int>(i) + 1).GetText(), "Split piece %zu differs", i);
}

void CheckSame(const Cstring& theString, const std::string& theModel, int theOperation)
{
    PW_FUZZ_CHECK(theString.GetAllocSize() == static_cast<uint32_t>(theString.GetMaxLength()) + 15,
        "room rule broken after operation %d", theOperation);
    PW_FUZZ_CHECK(theString.Length() <= theString.GetMaxLength(), "text beyond its room after operation %d",
        theOperation);
    PW_FUZZ_CHECK(theModel == theString.GetText(), "after operation %d: \"%s\", expected \"%s\"",
        theOperation, theString.GetText(), theModel.c_str());
}

FuzzSeeds Seeds()
{
    const auto op = [](Operation theOperation) { return std::string(1, static_cast<char>(theOperation)); };
    return {
        { "assign-append", op(kAssign) + "abc" + '\0' + op(kAppend) + "def" + '\0' },
        { "replace-grows", op(kAssign) + "axbxc" + '\0' + op(kReplace) + "x" + '\0' + "yy" + '\0' },
        { "replace-overlaps", op(kAssign) + "aaa" + '\0' + op(kReplace) + "aa" + '\0' + "b" + '\0' },
        { "split-fields", op(kAssign) + "a||b|" + '\0' + op(kSplit) + "|" },
        { "split-many", op(kAssign) + "ab," + '\0' + op(kSplitRepeated) + ",\xff" },
        { "trim", op(kAssign) + " \t x//" + '\0' + op(kTrimLeft) + op(kTrimTrailing) + "/" },
        { "path", op(kAssign) + "/a" + '\0' + op(kPath) + "//b" + '\0' },
        { "format-copy", op(kFormat) + "%s%n" + '\0' + "\x05" + op(kCopy) + op(kCharAt) },
        { "compare", op(kAssign) + "Update.ZIP" + '\0' + op(kCompare) + ".zip" + '\0' },
    };
}

} // namespace

PW_FUZZ_SEEDS(Seeds)

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* theData, size_t theSize)
{
    CFuzzInput input(theData, theSize);
    Cstring string;
    std::string model;
    size_t splitBudget = 1 << 18;
    for (int steps = 0; !input.IsEmpty() && steps < 64; ++steps) {
        const int operation = input.Byte() % kOperationCount;
        switch (operation) {
        case kAssign:
            model = input.Until(0);
            string.Assign(model.c_str());
            break;
        case kAssignPrefix: {
            const std::string source = input.Until(0);
            const size_t length = source.empty() ? 0 : input.Byte() % source.size() + 1;
            model = source.substr(0, length);
            string.Assign(source.c_str(), static_cast<int>(length));
            break;
        }
        case kAppend: {
            const std::string text = input.Until(0);
            model += text;
            string += text.c_str();
            break;
        }
        case kReplace: {
            const std::string from = input.Until(0);
            const std::string to = input.Until(0);
            // Replacing repeatedly grows a text exponentially; past a size the
            // run would only measure the machine.
            std::string replaced = model;
            const int expected = from.empty() ? 0 : ModelReplace(replaced, from, to);
            if (replaced.size() > kLongestText)
                break;
            model = replaced;
            const int count = string.Replace(from.c_str(), to.c_str());
            PW_FUZZ_CHECK(count == expected, "Replace counted %d, expected %d", count, expected);
            break;
        }
        case kSplit:
            CheckSplit(string, model, static_cast<char>(input.Byte()));
            break;
        case kSplitRepeated: {
            // Long texts of many pieces, which a quadratic split cannot finish;
            // one budget for the whole input keeps each run short.
            const char delimiter = static_cast<char>(input.Byte());
            const int times = input.Byte() * 64 + 1;
            std::string repeated;
            for (int i = 0; i < times && repeated.size() < splitBudget; ++i)
                repeated += model;
            splitBudget -= std::min(splitBudget, repeated.size());
            CheckSplit(Cstring(repeated.c_str()), repeated, delimiter);
            break;
        }
        case kTrimLeft:
            model.erase(0, std::min(model.size(), model.find_first_not_of(" \t")));
            string.TrimLeft();
            break;
        case kTrimTrailing: {
            const char trimmed = static_cast<char>(input.Byte());
            while (model.size() > 1 && model.back() == trimmed)
                model.pop_back();
            string.TrimTrailing(trimmed);
            break;
        }
        case kMakeUpper:
            model = Upper(model);
            string.MakeUpper();
            break;
        case kFormat: {
            // Only conversions whose arguments are given: the text and a number.
            const std::string text = input.Until(0);
            const int number = static_cast<int8_t>(input.Byte());
            model = text + std::to_string(number) + "|" + model;
            const Cstring old(string);
            string.Format("%s%d|%s", text.c_str(), number, old.GetText());
            break;
        }
        case kCopy: {
            const Cstring copy(string);
            PW_FUZZ_CHECK(copy.GetMaxLength() == string.GetMaxLength(), "a copy lost the room");
            PW_FUZZ_CHECK(copy == string, "a copy differs");
            Cstring assigned("x");
            assigned = copy;
            PW_FUZZ_CHECK(assigned == string, "an assigned string differs");
            string = assigned.GetText();
            break;
        }
        case kReserve: {
            const int room = input.Byte() * 8;
            const int before = string.GetMaxLength();
            string.Reserve(room);
            PW_FUZZ_CHECK(
                string.GetMaxLength() == (before > room ? before : room), "Reserve gave the wrong room");
            break;
        }
        case kClear:
            model.clear();
            string.Clear();
            break;
        case kCharAt: {
            const char* last = string.CharAt(-1);
            PW_FUZZ_CHECK(
                model.empty() ? *last == 0 : *last == model.back(), "CharAt(-1) is not the last character");
            const int index = input.Byte();
            PW_FUZZ_CHECK(string.CharAt(index) - string.GetText() < static_cast<long>(string.GetAllocSize()),
                "CharAt(%d) points past the buffer", index);
            break;
        }
        case kPath: {
            std::string name = input.Until(0);
            name.erase(0, std::min(name.size(), name.find_first_not_of('/')));
            if (!model.empty() && model.back() != '/')
                model += '/';
            model += name;
            string = Cstring::Path(string, name.c_str());
            break;
        }
        case kCompare: {
            const std::string other = input.Until(0);
            const bool bEnds = !model.empty() && !other.empty() && model.size() >= other.size()
                && strcasecmp(model.c_str() + model.size() - other.size(), other.c_str()) == 0;
            PW_FUZZ_CHECK(
                EndsWithNoCase(string.GetText(), other.c_str()) == bEnds, "EndsWithNoCase is wrong");
            const bool bStarts
                = model.size() > other.size() && Upper(model.substr(0, other.size())) == Upper(other);
            PW_FUZZ_CHECK(
                StartsWithNoCase(string.GetText(), other.c_str()) == bStarts, "StartsWithNoCase is wrong");
            PW_FUZZ_CHECK((Cstring(other.c_str()) == string) == (other == model), "equality is wrong");
            break;
        }
        }
        CheckSame(string, model, operation);
    }
    return 0;
}
