#include "files/PublisherTrust.h"

#include <softpub.h>

#include <cstring>
#include <iterator>

namespace {
// The entry points of CPublisherTrust::Api, wintrust.dll's first.
constexpr char kEntryPoints[] =
    "WinVerifyTrust\0WTHelperProvDataFromStateData\0WTHelperGetProvSignerFromChain\0"
    "CertOpenStore\0CertCloseStore\0CertFindCertificateInStore\0CertFreeCertificateContext\0"
    "CertEnumCertificatesInStore\0CertGetCertificateContextProperty\0CertGetNameStringA";
constexpr int kWintrustEntryPoints = 3;

void StayInScope(bool) {}
PlatformKeyScope g_platformKeyScope = StayInScope;

// The stores of the local machine's Trusted Publishers, in the order they
// are searched.
constexpr DWORD kStoreLocations[CPublisherTrust::kStoreCount] = {CERT_SYSTEM_STORE_LOCAL_MACHINE,
                                                                 CERT_SYSTEM_STORE_LOCAL_MACHINE_GROUP_POLICY};

// The verdict of WinVerifyTrust's result other than 0.
TrustVerdict VerdictOfFailure(LONG status) {
    const DWORD code = static_cast<DWORD>(status);
    if (code == static_cast<DWORD>(TRUST_E_NOSIGNATURE) || code == static_cast<DWORD>(TRUST_E_SUBJECT_FORM_UNKNOWN))
        return TrustVerdict::NotSigned;
    if (code == static_cast<DWORD>(TRUST_E_BAD_DIGEST)) return TrustVerdict::ChangedAfterSigning;
    // The chain's own faults, which Windows checks: expired, an untrusted
    // root, the wrong usage, a certificate distrusted.
    if (code == static_cast<DWORD>(TRUST_E_SUBJECT_NOT_TRUSTED) ||
        (code > static_cast<DWORD>(TRUST_E_NOSIGNATURE) && code <= static_cast<DWORD>(TRUST_E_EXPLICIT_DISTRUST)))
        return TrustVerdict::UntrustedPublisher;
    return TrustVerdict::CannotVerify;
}
}  // namespace

void SetPlatformKeyScope(PlatformKeyScope scope) { g_platformKeyScope = scope ? scope : StayInScope; }

CPublisherTrust::~CPublisherTrust() {
    for (HCERTSTORE store : m_stores)
        if (store) m_api.closeStore(store, 0);
}

bool CPublisherTrust::Load() {
    if (m_tried) return m_loaded;
    m_tried = true;
    m_wintrust.Reset(LoadLibraryA("WINTRUST.DLL"));
    m_crypt32.Reset(LoadLibraryA("CRYPT32.DLL"));
    if (!m_wintrust || !m_crypt32) return false;
    FARPROC found[sizeof(Api) / sizeof(FARPROC)];
    const char* name = kEntryPoints;
    for (int i = 0; i < static_cast<int>(std::size(found)); ++i, name += lstrlenA(name) + 1)
        if (!(found[i] = GetProcAddress(i < kWintrustEntryPoints ? m_wintrust.Get() : m_crypt32.Get(), name)))
            return false;
    static_assert(sizeof found == sizeof m_api, "one entry point for each member");
    std::memcpy(&m_api, found, sizeof m_api);
    m_loaded = true;
    OpenStores();
    return true;
}

// A store that does not exist holds no publisher; one that cannot be opened
// for another reason makes every signer unverifiable, even one that the other
// store holds: what the machine trusts is not known.
void CPublisherTrust::OpenStores() {
    for (int store = 0; store < kStoreCount; ++store) {
        m_stores[store] = m_api.openStore(CERT_STORE_PROV_SYSTEM_A, 0, 0,
                                          kStoreLocations[store] | CERT_STORE_READONLY_FLAG |
                                              CERT_STORE_OPEN_EXISTING_FLAG,
                                          "TrustedPublisher");
        if (!m_stores[store] && GetLastError() != ERROR_FILE_NOT_FOUND) m_storeFailed = true;
    }
}

TrustVerdict CPublisherTrust::Verify(const char* path) { return Check(path, nullptr, nullptr); }

TrustVerdict CPublisherTrust::Inspect(const char* path, SignerFacts& signer, bool& signerRead) {
    signer = SignerFacts();
    const TrustVerdict verdict = Check(path, &CPublisherTrust::ReadSigner, &signer);
    signerRead = verdict == TrustVerdict::Trusted || verdict == TrustVerdict::UntrustedPublisher;
    return verdict;
}

TrustVerdict CPublisherTrust::Check(const char* path, SignerReader reader, SignerFacts* signer) {
    if (!Load()) return TrustVerdict::CannotVerify;
    // A path longer than this is no file the host loads.
    wchar_t widePath[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, path, -1, widePath, MAX_PATH))
        return TrustVerdict::CannotVerify;
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = widePath;
    // These machines may be offline: no revocation check, nothing fetched.
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    data.dwProvFlags = WTD_REVOCATION_CHECK_NONE | WTD_CACHE_ONLY_URL_RETRIEVAL;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND noWindow = static_cast<HWND>(INVALID_HANDLE_VALUE);
    g_platformKeyScope(true);
    const LONG status = m_api.verify(noWindow, &action, &data);
    g_platformKeyScope(false);
    const TrustVerdict verdict =
        status == 0 ? JudgeSigner(data.hWVTStateData, reader, signer) : VerdictOfFailure(status);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    m_api.verify(noWindow, &action, &data);
    return verdict;
}

// The signer is the leaf of the first signature's chain.
TrustVerdict CPublisherTrust::JudgeSigner(HANDLE state, SignerReader reader, SignerFacts* signer) const {
    CRYPT_PROVIDER_DATA* provider = m_api.providerData(state);
    CRYPT_PROVIDER_SGNR* first = provider ? m_api.signerOf(provider, 0, FALSE, 0) : nullptr;
    const PCCERT_CONTEXT leaf =
        first && first->csCertChain > 0 && first->pasCertChain ? first->pasCertChain[0].pCert : nullptr;
    if (!leaf || (reader && !(this->*reader)(leaf, *signer)) || m_storeFailed) return TrustVerdict::CannotVerify;
    return IsTrustedPublisher(leaf) ? TrustVerdict::Trusted : TrustVerdict::UntrustedPublisher;
}

bool CPublisherTrust::IsTrustedPublisher(PCCERT_CONTEXT leaf) const {
    BYTE hash[kThumbprintBytes];
    DWORD size = sizeof hash;
    if (!m_api.property(leaf, CERT_SHA1_HASH_PROP_ID, hash, &size) || size != sizeof hash) return false;
    CRYPT_HASH_BLOB blob{size, hash};
    for (HCERTSTORE store : m_stores) {
        const PCCERT_CONTEXT found =
            store ? m_api.find(store, X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0, CERT_FIND_SHA1_HASH, &blob, nullptr)
                  : nullptr;
        if (found) {
            m_api.release(found);
            return true;
        }
    }
    return false;
}

bool CPublisherTrust::ReadSigner(PCCERT_CONTEXT certificate, SignerFacts& facts) const {
    char name[256];
    DWORD size = sizeof facts.thumbprint;
    if (!m_api.property(certificate, CERT_SHA1_HASH_PROP_ID, facts.thumbprint, &size) || size != sizeof facts.thumbprint)
        return false;
    // An empty name is still a name: 1, its terminator.
    if (m_api.nameOf(certificate, CERT_NAME_SIMPLE_DISPLAY_TYPE, 0, nullptr, name, sizeof name) == 0) return false;
    facts.name = name;
    return !facts.name.Failed();
}

PCCERT_CONTEXT CPublisherTrust::NextInStore(int store, PCCERT_CONTEXT previous) const {
    return m_stores[store] ? m_api.enumerate(m_stores[store], previous) : nullptr;
}
