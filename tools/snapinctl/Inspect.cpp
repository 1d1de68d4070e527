#include "tools/snapinctl/Inspect.h"

#include "registry/TextCase.h"
#include "tools/snapinctl/PolicyCommands.h"
#include "tools/snapinctl/Errors.h"
#include "tools/snapinctl/JsonNames.h"
#include "tools/snapinctl/Text.h"

namespace snapinctl {

namespace {
std::string DescriptionReason(int code) {
    if (code == -1) return "no memory for the version information";
    if (code == -2) return "no U.S. English FileDescription";
    if (code == kCorruptVersionBlock) return "a corrupt version block";
    return Win32ErrorText(code);
}

const char* SignatureText(TrustVerdict verdict) {
    switch (verdict) {
        case TrustVerdict::Trusted:
        case TrustVerdict::UntrustedPublisher: return "signed";
        case TrustVerdict::NotSigned:
        case TrustVerdict::ChangedAfterSigning: return VerdictText(verdict);
        case TrustVerdict::CannotVerify: break;
    }
    return "cannot verify";
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("\\/:");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}
}  // namespace

FileReport InspectFile(const std::string& file) {
    FileReport report;
    report.file = file;
    report.image = CheckFile(file.c_str());
    CString description;
    report.descriptionCode = ReadFileDescription(file.c_str(), description);
    if (report.descriptionCode == 0) report.description = description.str();
    CPublisherTrust trust;
    report.trust = trust.Inspect(file.c_str(), report.signer, report.signerRead);
    return report;
}

Record InspectRecord(const FileReport& report) {
    const FileCheck& image = report.image;
    Record record;
    record[json::kFile] = AnsiToUtf8(report.file);
    record[json::kName] = AnsiToUtf8(UpperCaseName(FileNameOf(report.file).c_str()).str());
    record[json::kList] = nullptr;
    record[json::kCheck] = image.check;
    record[json::kKind] = image.check == 0 ? Record(image.kind) : Record();
    record[json::kState] = StateName(image.state);
    record[json::kReason] = CheckText(image);
    record[json::kDescriptionCode] = report.descriptionCode;
    record[json::kDescription] = report.descriptionCode == 0 ? Record(AnsiToUtf8(report.description)) : Record();
    record[json::kDescriptionReason] =
        report.descriptionCode == 0 ? Record() : Record(DescriptionReason(report.descriptionCode));
    record[json::kSignature] = SignatureText(report.trust);
    record[json::kSigner] = report.signerRead ? Record(AnsiToUtf8(report.signer.name.str())) : Record();
    record[json::kThumbprint] = report.signerRead ? Record(ThumbprintText(report.signer)) : Record();
    record[json::kTrustedPublisher] = report.trust == TrustVerdict::Trusted;
    return record;
}

std::string InspectText(const FileReport& report) {
    const FileCheck& image = report.image;
    std::string line = AnsiToUtf8(report.file) + ": ";
    if (image.check == 0)
        line += KindText(image.kind);
    else if (image.check == -1)
        line += "not a snap-in (" + CheckText(image) + ")";
    else
        line += "not inspected (" + CheckText(image) + ")";
    if (report.descriptionCode == 0)
        line += "; description \"" + AnsiToUtf8(report.description) + "\"";
    else
        line += "; no description (" + DescriptionReason(report.descriptionCode) + ")";
    line += std::string("; ") + SignatureText(report.trust);
    if (report.signerRead)
        line += " by \"" + AnsiToUtf8(report.signer.name.str()) + "\" (" + ThumbprintText(report.signer) + "), " +
                (report.trust == TrustVerdict::Trusted ? "a trusted publisher" : "not a trusted publisher");
    return line;
}

}  // namespace snapinctl
