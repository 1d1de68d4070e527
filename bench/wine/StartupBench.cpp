// InitSnapin of the real module against the floor of the same run: a bare
// listing of SNAPINS\ plus RegEnumValueA over the four lists, and, where every
// file is new, what the design needs for each file (open, size, map, unmap,
// close).
//
// Cases, for N files: "known" with every file named in a list (spread over
// the four), "new" with the lists empty; and "policy/10000": the known case
// under a machine policy whose Blocked list names every file, against the
// known floor plus an enumeration of that list. With a baseline module, each
// case also times it in turn ("today"). The files are small libraries whose
// .rdata lacks the marker, so a new one is mapped and checked and then
// rejected, and no dialog opens.
//
// "trusted/N", first, while SNAPINS\ holds nothing else: N enabled entries,
// each its own copy of a snap-in signed by the trusted publisher, under a
// machine policy with RequireTrustedPublisher on, against a floor of the same
// module's start-up with the setting absent ("absent") plus, per file, one
// WinVerifyTrust and one look-up of the signer's SHA-1 in the machine's
// opened TrustedPublisher store ("checks").
#include "bench/wine/BenchHost.h"
#include "files/PublisherTrust.h"
#include "registry/RegistryKey.h"
#include "tests/native/ImageBuilder.h"
#include "tests/support/SnapinLists.h"


#include <cstdio>
#include <vector>

namespace {
const char* const kLists[] = {kObjectOn, kObjectOff, kViewOn, kViewOff};

std::string FileName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "BENCH%05d.DLL", index);
    return name;
}

const ImageBuilder::Bytes& NonSnapinImage() {
    static const ImageBuilder::Bytes image =
        ImageBuilder()
            .Section(".rdata", std::string("strings\0NotTheMarker\0", 21))
            .Section(".idata", std::string("\0\0KERNEL32.dll\0\0\0GetVersionExA\0", 31))
            .Build();
    return image;
}

void AddFiles(int from, int to) {
    const ImageBuilder::Bytes& image = NonSnapinImage();
    for (int i = from; i < to; ++i) WriteBytes(SnapinsDirectory() + FileName(i), image.data(), image.size());
}

void RegisterFiles(int count) {
    for (int i = 0; i < count; ++i) PutEntry(kLists[i % 4], FileName(i), "SNAPINS\\" + FileName(i));
}

void ForgetLists() { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Velmark"); }

// What the design needs for one candidate file, and nothing more.
void OpenSizeMapClose(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_RANDOM_ACCESS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return;
    GetFileSize(file, nullptr);
    if (HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READONLY, 0, 0, nullptr)) {
        if (const void* view = MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0)) UnmapViewOfFile(view);
        CloseHandle(mapping);
    }
    CloseHandle(file);
}

// The floor: every value name of the four lists, every match of the pattern,
// and with `mapEach` each match opened and mapped.
void Floor(bool mapEach) {
    for (const char* list : kLists) {
        CRegistryKey key;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, list, 0, KEY_READ, &key.Receive()) != 0) continue;
        char name[MAX_PATH];
        DWORD size = sizeof name;
        for (DWORD index = 0; RegEnumValueA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr) == 0; ++index)
            size = sizeof name;
    }
    const std::string directory = SnapinsDirectory();
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((directory + "*.DLL").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        if (mapEach) OpenSizeMapClose(directory + found.cFileName);
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

// Every name and data of the machine's Blocked list.
void EnumerateBlocked() {
    CRegistryKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Policies\\Velmark\\Velmark Administrator\\Snapins\\Blocked", 0,
                      KEY_READ, &key.Receive()) != 0)
        return;
    char name[MAX_PATH];
    BYTE data[MAX_PATH];
    DWORD nameSize = sizeof name, dataSize = sizeof data;
    for (DWORD index = 0; RegEnumValueA(key, index, name, &nameSize, nullptr, nullptr, data, &dataSize) == 0; ++index)
        nameSize = sizeof name, dataSize = sizeof data;
}

Measure StartAndStop(const LoadedModule& module) {
    return WallMilliseconds([&] {
        module.InitSnapin();
        module.ShutDown();
    });
}

const char kTrustSetting[] = "RequireTrustedPublisher";

std::string SignedName(int index) {
    char name[32];
    std::snprintf(name, sizeof name, "TRUST%05d.DLL", index);
    return name;
}

// `count` trusted entries, the files of those before `from` already there.
void MeasureTrustedCase(const BenchOptions& options, const LoadedModule& module, int from, int count) {
    std::vector<std::string> paths;
    for (int i = 0; i < count; ++i) {
        const std::string path = SnapinsDirectory() + SignedName(i);
        if (i >= from) CopyFileA((HostDirectory() + "signed_trusted.dll").c_str(), path.c_str(), FALSE);
        PutEntry(kObjectOn, SignedName(i), "SNAPINS\\" + SignedName(i));
        paths.push_back(path);
    }
    // The floor checks each file as the module does, with no more around it:
    // WinVerifyTrust and one lookup in the stores, opened once.
    CPublisherTrust floor;
    bool trusted = true;
    const std::vector<double> medians = InterleavedMedians(
        options.repetitions(), {StartAndStop(module), [&] {
                                    ForgetMachinePolicy();
                                    const double absent = StartAndStop(module)();
                                    PutMachinePolicy("", kTrustSetting, "", 1);
                                    return absent;
                                },
                                WallMilliseconds([&] {
                                    for (const std::string& path : paths)
                                        trusted = floor.Verify(path.c_str()) == TrustVerdict::Trusted && trusted;
                                })});
    // Every entry still enabled: no file was found untrusted and moved.
    const bool stayed = ReadList(kObjectOn).size() >= static_cast<size_t>(count);
    const std::string name = "startup/trusted/" + std::to_string(count);
    PrintFigure(name + " module", stayed ? medians[0] : -1);
    PrintFigure(name + " floor", trusted && medians[1] >= 0 ? medians[1] + medians[2] : -1);
    PrintFigure(name + " absent", medians[1]);
    PrintFigure(name + " checks", trusted ? medians[2] : -1);
}

void MeasureTrustedCases(const BenchOptions& options, const LoadedModule& module) {
    ScratchHklm machine;
    if (!machine.UseAuthenticode()) return PrintFigure("startup/trusted authenticode", -1);
    PutMachinePolicy("", kTrustSetting, "", 1);
    int files = 0;
    for (int count : {100, 1000}) {
        if (options.brief && count > 100) break;
        MeasureTrustedCase(options, module, files, count);
        files = count;
    }
    ForgetLists();
    for (int i = 0; i < files; ++i) DeleteFileA((SnapinsDirectory() + SignedName(i)).c_str());
}

void MeasureCase(const BenchOptions& options, const LoadedModule& module, const LoadedModule* baseline,
                 const std::string& name, std::function<void()> floor) {
    std::vector<Measure> measures = {StartAndStop(module), WallMilliseconds(floor)};
    if (baseline) measures.push_back(StartAndStop(*baseline));
    const std::vector<double> medians = InterleavedMedians(options.repetitions(), measures);
    PrintFigure(name + " module", medians[0]);
    PrintFigure(name + " floor", medians[1]);
    if (baseline) PrintFigure(name + " today", medians[2]);
}

// 10,000 known entries under a 10,000-name machine Blocked list; the round
// that is not counted makes the moves, so the figures are of later starts.
void MeasurePolicyCase(const BenchOptions& options, const LoadedModule& module, int count) {
    ScratchHklm machine;
    for (int i = 0; i < count; ++i) PutMachinePolicy("Blocked", std::to_string(i + 1), FileName(i));
    MeasureCase(options, module, nullptr, "startup/policy/" + std::to_string(count), [] {
        Floor(false);
        EnumerateBlocked();
    });
}
}  // namespace

void BenchStartup(const BenchOptions& options, const LoadedModule& module, const LoadedModule* baseline) {
    MeasureTrustedCases(options, module);
    int files = 0;
    for (int count : {10, 100, 1000, 10000}) {
        if (options.brief && count > 100) break;
        AddFiles(files, count);
        files = count;
        RegisterFiles(count);
        MeasureCase(options, module, baseline, "startup/known/" + std::to_string(count), [] { Floor(false); });
        if (count == 10000) MeasurePolicyCase(options, module, count);
        ForgetLists();
        MeasureCase(options, module, baseline, "startup/new/" + std::to_string(count), [] { Floor(true); });
    }
}
