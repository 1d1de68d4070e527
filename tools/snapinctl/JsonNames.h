#pragma once
// Every field name of snapinctl's JSON: its records, its errors and its
// list documents. No other code spells one.
namespace snapinctl::json {


constexpr char kAction[] = "action";
constexpr char kBase64[] = "base64";
constexpr char kChanged[] = "changed";
constexpr char kCheck[] = "check";
constexpr char kCode[] = "code";
constexpr char kData[] = "data";
constexpr char kDescriptionCode[] = "descriptionCode";
constexpr char kDescriptionReason[] = "descriptionReason";
constexpr char kDescription[] = "description";
constexpr char kError[] = "error";
constexpr char kFamily[] = "family";
constexpr char kFile[] = "file";
constexpr char kFrom[] = "from";
constexpr char kIgnored[] = "ignored";
constexpr char kKey[] = "key";
constexpr char kKind[] = "kind";
constexpr char kList[] = "list";
constexpr char kLists[] = "lists";
constexpr char kNameBase64[] = "nameBase64";
constexpr char kName[] = "name";
constexpr char kNames[] = "names";
constexpr char kPath[] = "path";
constexpr char kPolicy[] = "policy";
constexpr char kReason[] = "reason";
constexpr char kRule[] = "rule";
constexpr char kPublishers[] = "trustedPublishers";
constexpr char kSetting[] = "setting";
constexpr char kSignature[] = "signature";
constexpr char kSigner[] = "signer";
constexpr char kSource[] = "source";
constexpr char kStaleCopy[] = "staleCopy";
constexpr char kState[] = "state";
constexpr char kText[] = "text";
constexpr char kThumbprint[] = "thumbprint";
constexpr char kTrustedPublisher[] = "trustedPublisher";
constexpr char kType[] = "type";
constexpr char kValues[] = "values";
constexpr char kUnlistedRequired[] = "unlistedRequired";
}  // namespace snapinctl::json
