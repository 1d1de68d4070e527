#pragma once
// What a file is to snapinctl, decided by one classifier for list, prune and
// inspect, and the texts that say why.
#include "files/SnapinFiles.h"

#include <cstdint>
#include <string>

namespace snapinctl {

// NameMismatch: an entry whose data loads another file than its value name.
// AgainstPolicy: an entry whose list the organisation's policy forbids; enforce,
// not prune, deals with it.
enum class FileState { Ok, Missing, Directory, NotSnapin, WrongKind, BadEntry, NameMismatch, AgainstPolicy };

// "ok", "missing", "directory", "not-snapin", "wrong-kind", "bad-entry",
// "name-mismatch" or "against-policy".
const char* StateName(FileState state);
// Every state's name but ok's and against-policy's: what prune may be asked
// to remove.
const char* const* PrunableStateNames(int& count);

// A file as start-up discovery inspects it.
struct FileCheck {
    FileState state = FileState::NotSnapin;  // Ok, Missing, Directory or NotSnapin
    int check = 0;     // InspectSnapinFile's result
    int32_t kind = 0;  // the kind as InspectSnapinFile left it
    ImageVerdict verdict = ImageVerdict::Snapin;
};
FileCheck CheckFile(const char* path);

// What a file is: an object snap-in, a view snap-in, ...
std::string KindText(int32_t kind);
// Why a file is not a snap-in: the image verdict for -1, else the platform's code.
std::string CheckText(int check, ImageVerdict verdict);
// The kind of a snap-in, or why the file is none.
std::string CheckText(const FileCheck& file);

}  // namespace snapinctl
