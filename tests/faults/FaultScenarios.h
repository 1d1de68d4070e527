#pragma once
// The runs the fault sweep repeats with one failing platform call each:
// what lies in the host directory and the lists before, what the user does
// in the dialog, and which changes of the lists the run may make.
#include <string>
#include <utility>
#include <vector>

struct ListEntry {
    const char* list;  // full key text, as in tests/support/SnapinLists.h
    std::string name;
    std::string data;
};

// An entry the run may write. With `from`, it is a move: afterwards the entry
// stands in its old place, or in one of `to`, or in both, never in neither.
struct AllowedChange {
    std::vector<ListEntry> from;  // none or one
    std::vector<ListEntry> to;
    bool byFaultOnly = false;  // a run without faults leaves the entry in its old place
};

struct FaultScenario {
    std::string name;
    std::string moduleName;                                   // the file name the module runs under
    std::vector<std::pair<std::string, std::string>> files;   // bin file -> path in the host directory
    std::vector<ListEntry> before;
    std::vector<ListEntry> machinePolicy;                     // list: "Blocked", "Allowed" or "Required"
    std::vector<AllowedChange> changes;
    std::string caption;                                      // the dialog the user meets
    bool dialogExpected;                                      // it opens when nothing fails
    std::vector<std::vector<std::string>> toggles;            // rows the user toggles, each by its possible texts
    bool inMenuAction;  // faults during the menu action; the start before it runs without faults
    bool trustsPublisher = false;  // RequireTrustedPublisher on, signed_trusted.dll's signer trusted
};

const std::vector<FaultScenario>& FaultScenarios();
const FaultScenario* FindFaultScenario(const std::string& name);
