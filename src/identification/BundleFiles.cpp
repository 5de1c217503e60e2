#include "identification/BundleFiles.h"

#include "identification/PartDigests.h"
#include "platform/FolderIterator.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <strings.h>
#include <vector>

namespace {

void CollectInto(std::vector<Cstring>& theFiles, const char* theFolder)
{
    CFolderIterator folder(theFolder);
    while (folder.Next()) {
        if (folder.IsFolder())
            CollectInto(theFiles, folder.GetPath().GetText());
        else
            theFiles.push_back(folder.GetPath());
    }
}

} // namespace

Cstring WithoutBundleEnding(const char* theName)
{
    Cstring base(theName);
    char* dot = std::strrchr(base.GetBuffer(), '.');
    if (dot && strcasecmp(dot, kBundleEnding) == 0)
        *dot = 0;
    return base;
}

void CollectFiles(CStringArray& theTarget, const char* theFolder)
{
    // Gathered first and added at once: the array reallocates on every size
    // change, and a bundle holds thousands of files.
    std::vector<Cstring> files;
    CollectInto(files, theFolder);
    const int start = theTarget.GetCount();
    theTarget.SetSize(start + static_cast<int>(files.size()));
    for (size_t i = 0; i < files.size(); ++i)
        theTarget.At(start + static_cast<int>(i)) = files[i];
}

Cstring GetBundleExecutable(const char* thePath)
{
    static const char kKey[] = "<key>CFBundleExecutable</key>";
    static const char kOpen[] = "<string>";
    static const char kClose[] = "</string>";
    std::unique_ptr<FILE, int (*)(FILE*)> file(OpenPartFile(thePath), std::fclose);
    if (!file)
        return Cstring();
    CBuffer line(1024);
    bool bKeySeen = false;
    while (std::fgets(line.GetBuffer(), 1024, file.get())) {
        if (char* end = std::strrchr(line.GetBuffer(), '\n'))
            *end = 0;
        if (line.IsEmpty())
            continue;
        line.TrimLeft();
        line.TrimTrailing(' ');
        if (strcasecmp(line.GetText(), kKey) == 0) {
            bKeySeen = true;
            continue;
        }
        const int length = line.Length();
        const int tags = static_cast<int>(std::strlen(kOpen) + std::strlen(kClose));
        if (bKeySeen && length >= tags && StartsWithNoCase(line.GetText(), kOpen)
            && EndsWithNoCase(line.GetText(), kClose)) {
            Cstring value;
            if (length > tags)
                value.Assign(line.GetText() + std::strlen(kOpen), length - tags);
            return value;
        }
    }
    return Cstring();
}
