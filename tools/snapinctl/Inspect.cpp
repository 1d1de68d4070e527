#include "tools/snapinctl/Inspect.h"

#include "registry/SnapinRegistry.h"

namespace snapinctl {

namespace {
std::string CheckReason(const FileReport& report) {
    return report.check == 0 ? KindText(report.kind) : CheckText(report.check, report.verdict);
}

std::string DescriptionReason(int code) {
    if (code == -1) return "no memory for the version information";
    if (code == -2) return "no U.S. English FileDescription";
    if (code == kCorruptVersionBlock) return "a corrupt version block";
    return Win32ErrorText(code);
}

std::string StateOf(const FileReport& report) {
    if (report.check == 0) return "ok";
    if (report.directory) return "directory";
    if (report.check == ERROR_FILE_NOT_FOUND || report.check == ERROR_PATH_NOT_FOUND) return "missing";
    return "not-snapin";
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

FileReport InspectFile(const std::string& file) {
    FileReport report;
    report.file = file;
    const DWORD attributes = GetFileAttributesA(file.c_str());
    report.directory = attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    report.check = InspectSnapinFile(file.c_str(), report.kind, report.verdict);
    CString description;
    report.descriptionCode = ReadFileDescription(file.c_str(), description);
    if (report.descriptionCode == 0) report.description = description.str();
    return report;
}

Record InspectRecord(const FileReport& report) {
    Record record;
    record["file"] = AnsiToUtf8(report.file);
    record["name"] = AnsiToUtf8(UpperCaseName(FileNameOf(report.file).c_str()).str());
    record["list"] = nullptr;
    record["check"] = report.check;
    record["kind"] = report.check == 0 ? Record(report.kind) : Record();
    record["state"] = StateOf(report);
    record["reason"] = CheckReason(report);
    record["descriptionCode"] = report.descriptionCode;
    record["description"] = report.descriptionCode == 0 ? Record(AnsiToUtf8(report.description)) : Record();
    record["descriptionReason"] =
        report.descriptionCode == 0 ? Record() : Record(DescriptionReason(report.descriptionCode));
    return record;
}

std::string InspectText(const FileReport& report) {
    std::string line = AnsiToUtf8(report.file) + ": ";
    if (report.check == 0)
        line += KindText(report.kind);
    else if (report.check == -1)
        line += "not a snap-in (" + CheckReason(report) + ")";
    else
        line += "not inspected (" + CheckReason(report) + ")";
    if (report.descriptionCode == 0)
        line += "; description \"" + AnsiToUtf8(report.description) + "\"";
    else
        line += "; no description (" + DescriptionReason(report.descriptionCode) + ")";
    return line;
}

}  // namespace snapinctl
