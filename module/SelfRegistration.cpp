// Self-registration: when the module runs under another file name and an
// enabled list holds an entry whose data is that bare file name, the entry is
// renamed to the canonical name and the file in the snap-ins directory is
// registered.
#include "files/SnapinFiles.h"
#include "module/SnapinSetupApp.h"
#include "registry/RegistryKey.h"
#include "registry/SnapinRegistry.h"
#include "registry/TextCase.h"
#include "files/FileProbe.h"

namespace {
// Writes the canonical value with the given data into the list's key.
int WriteCanonicalValue(CSnapinRegistry& registry, const char* list, const char* data) {
    CRegistryKey key;
    const int result = registry.CreateListKey(list, key);
    return result != 0 ? result
                       : key.SetValue(kCanonicalFileName, REG_SZ, data, static_cast<DWORD>(lstrlenA(data) + 1));
}
}  // namespace

int CSnapinSetupApp::RegisterSelf() {
    CString modulePath;
    int result = GetModulePath(m_hInstance, modulePath);
    if (result != 0) return result;

    const CString currentName = FileNameOfPath(modulePath);
    if (currentName.Failed()) return kFailedAllocation;
    if (EqualIgnoringAsciiCase(currentName, kCanonicalFileName)) return 0;

    CSnapinRegistry registry;
    const char* list = ListKey(ListOfKind(kSnapinObject, true));
    CString oldName;
    result = registry.FindEntryByValue(list, currentName, oldName);
    if (result != 0) {
        list = ListKey(ListOfKind(kSnapinView, true));
        result = registry.FindEntryByValue(list, currentName, oldName);
        if (result != 0) return result;
    }
    if (EqualIgnoringAsciiCase(oldName, kCanonicalFileName)) return 0;

    CString hostDirectory;
    result = GetHostDirectory(hostDirectory);
    if (result != 0) return result;
    // A search that failed tells nothing: the canonical data would be wrong.
    bool canonicalFile = false;
    result = ProbeFile(hostDirectory + kCanonicalFileName, canonicalFile);
    if (result != 0) return result;
    const char* canonicalData = canonicalFile ? kCanonicalFileName : "";

    // The old entry stays when the canonical one could not be written, so
    // the module's registration is never lost.
    result = WriteCanonicalValue(registry, list, canonicalData);
    if (result != 0) return result;
    registry.DeleteEntry(list, oldName);

    result = GetHostDirectory(hostDirectory);
    if (result != 0) return result;
    bool snapinFile = false;
    result = ProbeFile(hostDirectory + EntryData(currentName), snapinFile);
    if (result != 0 || !snapinFile) return result;
    return registry.WriteEntry(list, currentName, false);
}
