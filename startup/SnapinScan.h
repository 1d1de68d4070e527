#pragma once
// Discovery of the snap-ins copied into the snap-ins directory: which files start-up
// offers, which it already knows and which it passes over, and the list a
// new snap-in is written to. Start-up and snapinctl's scan and sync both
// run this code.
#include "files/SnapinFiles.h"
#include "framework/Array.h"
#include "framework/String.h"
#include "registry/SnapinRegistry.h"

// Upper-cased value names, each with the first list holding it.
class KnownNames {
public:
    struct Known {
        CString name;
        ListCategory list;
        CString data;  // its data's text, when read
    };

    // False when there is no memory for the name.
    bool Add(CString name, ListCategory list, CString data = CString());
    // Makes the names searchable; Find needs it after the last Add.
    void Sort();
    // The first list holding the name, or null when none holds it.
    const ListCategory* Find(const CString& name) const;
    bool Holds(const CString& name, ListCategory list) const;
    // Every name with each list holding it, after Sort by name.
    const Known* begin() const { return m_names.begin(); }
    const Known* end() const { return m_names.end(); }

private:
    static bool Before(const Known& a, const Known& b);
    // The first of the name's entries, or null.
    const Known* First(const CString& name) const;

    CArray<Known> m_names;  // by name, then by list
};

// Appends the upper-cased value names of one list, and with `data` the
// text of each one's data. A missing list holds nothing, and an over-long name is
// passed over and the rest of its list read: 0 then. Otherwise the code of
// a list that exists but could not be read to its end, whose names are then
// missing.
int ReadKnownNames(CSnapinRegistry& registry, const SnapinListFacts& list, CStringList& names,
                   CStringList* data = nullptr);

// The value names of all four lists, in the order start-up reads them, and
// with `withData` each entry's data, whose file the policy judges too.
// `unread` receives the code of a list that exists but could not be read to
// its end, whose names are then missing, or -1 when names could not be kept
// for want of memory; 0 when every list was read.
KnownNames CollectKnownNames(CSnapinRegistry& registry, int& unread, bool withData = false);

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
// order the directory search returns them. A file that cannot be classified
// for want of memory is skipped with the check -1; one that cannot be
// recorded is left out, as start-up would pass it over.
CArray<ScannedFile> ScanSnapinsDirectory(const CString& hostDirectory, const KnownNames& known);
