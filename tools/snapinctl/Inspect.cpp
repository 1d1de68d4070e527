#include "tools/snapinctl/Inspect.h"

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
}  // namespace

FileReport InspectFile(const std::string& file) {
    FileReport report;
    report.file = file;
    report.check = InspectSnapinFile(file.c_str(), report.kind, report.verdict);
    CString description;
    report.descriptionCode = ReadFileDescription(file.c_str(), description);
    if (report.descriptionCode == 0) report.description = description.str();
    return report;
}

Record InspectRecord(const FileReport& report) {
    Record record;
    record["file"] = AnsiToUtf8(report.file);
    record["check"] = report.check;
    record["kind"] = report.kind;
    record["reason"] = CheckReason(report);
    record["descriptionCode"] = report.descriptionCode;
    record["description"] = report.descriptionCode == 0 ? Record(AnsiToUtf8(report.description)) : Record();
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
