#pragma once
// Discovery of the snap-ins copied into the snap-ins directory: which files start-up
// offers, which it already knows and which it passes over, and the list a
// new snap-in is written to. Start-up and snapinctl's scan and sync both
// run this code.
#include "files/SnapinFiles.h"
#include "framework/String.h"
#include "registry/SnapinRegistry.h"

#include <unordered_map>
#include <vector>

// Upper-cased value name -> the first list holding it.
using KnownNames = std::unordered_map<CString, ListCategory, CStringHash>;

// Appends the upper-cased value names of one list. A missing list holds
// nothing, and an over-long name is passed over and the rest of its list
// read: 0 then. Otherwise the code of a list that exists but could not be
// read to its end, whose names are then missing.
int ReadKnownNames(CSnapinRegistry& registry, const SnapinListFacts& list, CStringList& names);

// The value names of all four lists, in the order start-up reads them.
// `unread` receives the code of a list that exists but could not be read to
// its end, whose names are then missing; 0 when every list was read.
KnownNames CollectKnownNames(CSnapinRegistry& registry, int& unread);

enum class ScanAction { Offer, Known, Skip };

// One DLL of the snap-ins directory and what start-up does with it.
struct ScannedFile {
    CString file;  // as the search found it
    CString name;  // upper-cased: the value name start-up writes
    ScanAction action = ScanAction::Skip;
    bool directory = false;
    ListCategory knownIn = kEnabledObjectCategory;  // Known: the list holding the name
    int check = 0;     // Offer and Skip of a file: InspectSnapinFile's result
    ImageVerdict verdict = ImageVerdict::Snapin;
    int32_t kind = 0;  // Offer: the SnapinKind
};

// Every match below the host directory (with its trailing backslash), in the
// order the directory search returns them.
std::vector<ScannedFile> ScanSnapinsDirectory(const CString& hostDirectory, const KnownNames& known);
