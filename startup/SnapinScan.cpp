#include "startup/SnapinScan.h"

#include "framework/FileFind.h"

namespace {
ScannedFile Classify(const CString& hostDirectory, const KnownNames& known, const CFileFind& finder) {
    ScannedFile found;
    found.file = finder.GetFileName();
    found.name = UpperCaseName(found.file);
    if (finder.IsDirectory()) {
        found.directory = true;
        return found;
    }
    const auto entry = known.find(found.name);
    if (entry != known.end()) {
        found.action = ScanAction::Known;
        found.knownIn = entry->second;
        return found;
    }
    found.check = InspectSnapinFile(hostDirectory + EntryData(found.name), found.kind, found.verdict);
    if (found.check == 0) found.action = ScanAction::Offer;
    return found;
}
}  // namespace

int ReadKnownNames(CSnapinRegistry& registry, const SnapinListFacts& list, CStringList& names) {
    const int result = registry.EnumEntries(list.key, names);
    return result == ERROR_FILE_NOT_FOUND || result == ERROR_MORE_DATA ? 0 : result;
}

KnownNames CollectKnownNames(CSnapinRegistry& registry, int& unread) {
    KnownNames known;
    unread = 0;
    for (const SnapinListFacts& list : kSnapinLists) {
        CStringList names;
        const int result = ReadKnownNames(registry, list, names);
        if (result != 0) unread = result;
        for (const CString& name : names) known.emplace(name, list.category);
    }
    return known;
}

std::vector<ScannedFile> ScanSnapinsDirectory(const CString& hostDirectory, const KnownNames& known) {
    std::vector<ScannedFile> files;
    CFileFind finder;
    bool more = finder.FindFile(hostDirectory + EntryData("*.DLL"));
    while (more) {
        more = finder.FindNextFile();
        files.push_back(Classify(hostDirectory, known, finder));
    }
    finder.Close();
    return files;
}
