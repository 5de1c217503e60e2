#include "foundation/ProfileEntry.h"

#include "foundation/ProfileText.h"

#include <cstring>
#include <string>

CProfileEntry::CProfileEntry(const char* theKey, int theGroup, int theType, void* pVariable)
    : itsKey(theKey)
    , itsGroup(theGroup)
    , itsType(theType)
    , itsVariable(pVariable)
{
}

Cstring CProfileEntry::Write() const
{
    Cstring line;
    line.Format("%s = %s\n", itsKey.GetText(), ValueText().GetText());
    return line;
}

Cstring CProfileEntry::NormaliseValue(const char* theValue) const
{
    Cstring result;
    if (theValue && std::strcmp(theValue, "\"\"") == 0)
        return result;
    ParseQuoted(theValue, result);
    return result;
}

namespace {

// Reads up to theCount numbers; the first one missing and all after it are 0,
// as scanf leaves them when it stops.
void ScanNumbers(const char* theText, long* pNumbers, int theCount)
{
    bool bReading = theText != nullptr;
    for (int i = 0; i < theCount; ++i) {
        pNumbers[i] = 0;
        if (bReading)
            bReading = ScanLong(theText, pNumbers[i]);
    }
}

// The value is held as the bound variable's own type, so capturing and
// applying are plain copies.
template <typename T> class CValueEntry : public CProfileEntry {
public:
    using CProfileEntry::CProfileEntry;
    void Capture() override
    {
        itsValue = Variable();
        bChanged = true;
    }
    void Apply() override { Variable() = itsValue; }

protected:
    T& Variable() { return *static_cast<T*>(itsVariable); }
    T itsValue {};
};

class CStringEntry : public CValueEntry<Cstring> {
public:
    using CValueEntry::CValueEntry;
    void Parse(const char* theValue) override
    {
        itsValue = NormaliseValue(theValue);
        bChanged = true;
    }

protected:
    Cstring ValueText() const override
    {
        Cstring text;
        text.Format("\"%s\"", itsValue.GetText());
        return text;
    }
};

// Whole numbers of one size: codes 3 and 4 ("%d"), 6 and 10 ("%ld").
template <typename T> class CNumberEntry : public CValueEntry<T> {
public:
    using CValueEntry<T>::CValueEntry;
    void Parse(const char* theValue) override
    {
        long number = 0;
        ScanNumbers(theValue, &number, 1);
        this->itsValue = static_cast<T>(number);
        this->bChanged = true;
    }

protected:
    Cstring ValueText() const override
    {
        Cstring text;
        text.Format("%ld", static_cast<long>(this->itsValue));
        return text;
    }
};

class CDoubleEntry : public CValueEntry<double> {
public:
    using CValueEntry::CValueEntry;
    void Parse(const char* theValue) override
    {
        const char* at = theValue ? theValue : "";
        itsValue = 0;
        ScanDouble(at, itsValue);
        bChanged = true;
    }

protected:
    Cstring ValueText() const override
    {
        Cstring text;
        text.Format("%lf", itsValue);
        return text;
    }
};

class CRectEntry : public CValueEntry<CShortRect> {
public:
    using CValueEntry::CValueEntry;
    void Parse(const char* theValue) override
    {
        long numbers[4];
        ScanNumbers(theValue, numbers, 4);
        itsValue.left = static_cast<int16_t>(numbers[0]);
        itsValue.top = static_cast<int16_t>(numbers[1]);
        itsValue.right = static_cast<int16_t>(numbers[2]);
        itsValue.bottom = static_cast<int16_t>(numbers[3]);
        bChanged = true;
    }

protected:
    Cstring ValueText() const override
    {
        Cstring text;
        text.Format("%d %d %d %d", itsValue.left, itsValue.top, itsValue.right, itsValue.bottom);
        return text;
    }
};

class CFontEntry : public CValueEntry<CProfileFont> {
public:
    using CValueEntry::CValueEntry;
    void Parse(const char* theValue) override
    {
        // A name without quotes swallows the whole text; style and size stay 0.
        const char* rest = ParseQuoted(theValue, itsValue.name);
        long numbers[2];
        ScanNumbers(rest, numbers, 2);
        itsValue.style = static_cast<int16_t>(numbers[0]);
        itsValue.size = static_cast<int16_t>(numbers[1]);
        bChanged = true;
    }

protected:
    Cstring ValueText() const override
    {
        Cstring text;
        text.Format(
            "\"%s\" %ld %d", itsValue.name.GetText(), static_cast<long>(itsValue.style), itsValue.size);
        return text;
    }
};

// Codes 11, 12, 14, 15 and 20: a fixed number of values, bound to an int32_t
// array of that length.
class CNumbersEntry : public CProfileEntry {
public:
    CNumbersEntry(const char* theKey, int theGroup, int theType, void* pVariable, int theCount)
        : CProfileEntry(theKey, theGroup, theType, pVariable)
        , itsCount(theCount)
    {
    }
    void Parse(const char* theValue) override
    {
        long numbers[kMaxCount];
        ScanNumbers(theValue, numbers, itsCount);
        for (int i = 0; i < itsCount; ++i)
            itsValues[i] = static_cast<int32_t>(numbers[i]);
        bChanged = true;
    }
    void Capture() override
    {
        std::memcpy(itsValues, itsVariable, sizeof(int32_t) * itsCount);
        bChanged = true;
    }
    void Apply() override { std::memcpy(itsVariable, itsValues, sizeof(int32_t) * itsCount); }

protected:
    Cstring ValueText() const override
    {
        Cstring text;
        for (int i = 0; i < itsCount; ++i)
            text.Append(Cstring().Format(i ? " %ld" : "%ld", static_cast<long>(itsValues[i])).GetText());
        return text;
    }

private:
    static const int kMaxCount = 7;
    int itsCount;
    int32_t itsValues[kMaxCount] = {};
};

// Bad input must not make a count allocate without bound.
const long kMaxListCount = 4096;

// Codes 23, 24, 25: "count v1 v2 ...", each number followed by one blank.
template <typename TArray, typename TValue> class CListEntry : public CValueEntry<TArray> {
public:
    using CValueEntry<TArray>::CValueEntry;
    void Parse(const char* theValue) override
    {
        const char* at = theValue ? theValue : "";
        long count = 0;
        ScanLong(at, count);
        if (count < 0)
            count = 0;
        if (count > kMaxListCount)
            count = kMaxListCount;
        TArray& values = this->itsValue;
        values.SetSize(static_cast<int>(count));
        for (int i = 0; i < values.GetCount(); ++i)
            if (!ScanValue(at, values.At(i)))
                break; // the rest stays 0
        this->bChanged = true;
    }

protected:
    Cstring ValueText() const override
    {
        // Gathered first: appending to a Cstring, which grows exactly, would
        // copy the text once for every value.
        TArray& values = const_cast<TArray&>(this->itsValue);
        std::string text = Cstring().Format("%d ", values.GetCount()).GetText();
        for (int i = 0; i < values.GetCount(); ++i)
            text += FormatValue(values.At(i)).GetText();
        return Cstring(text.c_str());
    }

private:
    static bool ScanValue(const char*& theText, int32_t& theValue)
    {
        long number = 0;
        const bool bRead = ScanLong(theText, number);
        theValue = static_cast<int32_t>(number);
        return bRead;
    }
    static bool ScanValue(const char*& theText, double& theValue) { return ScanDouble(theText, theValue); }
    static Cstring FormatValue(int32_t theValue) { return Cstring().Format("%d ", theValue); }
    static Cstring FormatValue(double theValue) { return Cstring().Format("%lf ", theValue); }
};

// Code 2: one line per element, "key[i] = "text"".
class CStringArrayEntry : public CValueEntry<CStringArray> {
public:
    using CValueEntry::CValueEntry;
    Cstring Write() const override
    {
        Cstring lines;
        for (int i = 0; i < itsValue.GetCount(); ++i)
            lines.Append(Cstring()
                             .Format("%s[%d] = \"%s\"\n", itsKey.GetText(), i, itsValue.At(i).GetText())
                             .GetText());
        return lines;
    }
    void Parse(const char* theValue) override
    {
        if (itsValue.GetCount() < kMaxListCount)
            itsValue.Add(NormaliseValue(theValue));
        bChanged = true;
    }

protected:
    Cstring ValueText() const override { return Cstring(); }
};

} // namespace

CProfileEntry* MakeProfileEntry(int theType, int theGroup, const char* theKey, void* pVariable)
{
    switch (theType) {
    case kProfileString:
    case kProfileText:
        return new CStringEntry(theKey, theGroup, theType, pVariable);
    case kProfileStringArray:
        return new CStringArrayEntry(theKey, theGroup, theType, pVariable);
    case kProfileInt:
    case kProfileLong:
    case kProfileLongValue:
        return new CNumberEntry<int32_t>(theKey, theGroup, theType, pVariable);
    case kProfileShort:
        return new CNumberEntry<int16_t>(theKey, theGroup, theType, pVariable);
    case kProfileDouble:
        return new CDoubleEntry(theKey, theGroup, theType, pVariable);
    case kProfileRect:
        return new CRectEntry(theKey, theGroup, theType, pVariable);
    case kProfileFont:
        return new CFontEntry(theKey, theGroup, theType, pVariable);
    case kProfilePair:
        return new CNumbersEntry(theKey, theGroup, theType, pVariable, 2);
    case kProfileTwoPairs:
        return new CNumbersEntry(theKey, theGroup, theType, pVariable, 4);
    case kProfileSevenNumbers:
        return new CNumbersEntry(theKey, theGroup, theType, pVariable, 7);
    case kProfileSixNumbers:
        return new CNumbersEntry(theKey, theGroup, theType, pVariable, 6);
    case kProfileThreeNumbers:
        return new CNumbersEntry(theKey, theGroup, theType, pVariable, 3);
    case kProfileLongArray:
    case kProfileLongList:
        return new CListEntry<CLongArray, int32_t>(theKey, theGroup, theType, pVariable);
    case kProfileDoubleArray:
        return new CListEntry<CDoubleArray, double>(theKey, theGroup, theType, pVariable);
    default:
        return nullptr;
    }
}
