#include "startup/SnapinScan.h"

#include "framework/FileFind.h"
#include "registry/TextCase.h"

#include <algorithm>
#include <utility>

namespace {
ScannedFile Classify(const CString& hostDirectory, const KnownNames& known, const CFileFind& finder) {
    ScannedFile found;
    found.file = finder.GetFileName();
    found.name = UpperCaseName(found.file);
    if (found.file.Failed() || found.name.Failed()) {
        found.check = kFailedAllocation;
        return found;
    }
    if (finder.IsDirectory()) {
        found.directory = true;
        return found;
    }
    if (const ListCategory* list = known.Find(found.name)) {
        found.action = ScanAction::Known;
        found.knownIn = *list;
        return found;
    }
    const CString path = hostDirectory + EntryData(found.name);
    found.check = path.Failed() ? kFailedAllocation : InspectSnapinFile(path, found.kind, found.verdict);
    if (found.check == 0) found.action = ScanAction::Offer;
    return found;
}
}  // namespace

bool KnownNames::Before(const Known& a, const Known& b) {
    const int order = CompareNames(a.name, b.name);
    return order != 0 ? order < 0 : a.list < b.list;
}

bool KnownNames::Add(CString name, ListCategory list, CString data) {
    return m_names.Add(Known{std::move(name), list, std::move(data)});
}

// A heap sort takes less code than std::sort, in a module whose size is counted.
void KnownNames::Sort() {
    std::make_heap(m_names.begin(), m_names.end(), Before);
    std::sort_heap(m_names.begin(), m_names.end(), Before);
}

const KnownNames::Known* KnownNames::First(const CString& name) const {
    const Known* found = std::lower_bound(m_names.begin(), m_names.end(), name,
                                          [](const Known& known, const CString& key) { return CompareNames(known.name, key) < 0; });
    return found != m_names.end() && CompareNames(found->name, name) == 0 ? found : nullptr;
}

const ListCategory* KnownNames::Find(const CString& name) const {
    const Known* found = First(name);
    return found ? &found->list : nullptr;
}

bool KnownNames::Holds(const CString& name, ListCategory list) const {
    for (const Known* found = First(name); found && found != end() && found->name == name; ++found)
        if (found->list == list) return true;
    return false;
}

int ReadKnownNames(CSnapinRegistry& registry, const SnapinListFacts& list, CStringList& names, CStringList* data) {
    const int result = registry.EnumEntries(list.key, names, data);
    return result == ERROR_FILE_NOT_FOUND || result == ERROR_MORE_DATA ? 0 : result;
}

KnownNames CollectKnownNames(CSnapinRegistry& registry, int& unread, bool withData) {
    KnownNames known;
    unread = 0;
    for (const SnapinListFacts& list : kSnapinLists) {
        CStringList names, data;
        const int result = ReadKnownNames(registry, list, names, withData ? &data : nullptr);
        if (result != 0) unread = result;
        const CString* text = data.begin();
        for (const CString& name : names) {
            CString copy(name), textCopy(text != data.end() ? *text++ : CString());
            if (copy.Failed() || textCopy.Failed() || !known.Add(std::move(copy), list.category, std::move(textCopy)))
                unread = kFailedAllocation;
        }
    }
    known.Sort();
    return known;
}

CArray<ScannedFile> ScanSnapinsDirectory(const CString& hostDirectory, const KnownNames& known) {
    CArray<ScannedFile> files;
    const CString pattern = hostDirectory + EntryData("*.DLL");
    CFileFind finder;
    bool more = !pattern.Failed() && finder.FindFile(pattern);
    while (more) {
        more = finder.FindNextFile();
        files.Add(Classify(hostDirectory, known, finder));
    }
    finder.Close();
    return files;
}
