#pragma once
// Authenticode as the platform checks it: whether a file's signature holds,
// and whether its signer is in the machine's Trusted Publishers store.
// wintrust.dll and crypt32.dll are loaded on first use, never imported:
// Windows 95 and NT 4.0 may lack them, and without them nothing is trusted.
#include "files/Win32Handle.h"
#include "framework/String.h"

#include <windows.h>
#include <wincrypt.h>
#include <wintrust.h>

enum class TrustVerdict {
    Trusted,
    NotSigned,
    ChangedAfterSigning,  // the file's digest no longer matches its signature
    UntrustedPublisher,   // the signature holds; its signer is not a trusted publisher
    CannotVerify,         // Authenticode is missing or failed
};

constexpr int kThumbprintBytes = 20;  // a SHA-1 hash

// The leaf certificate of a signature, or of a trusted publisher.
struct SignerFacts {
    CString name;
    BYTE thumbprint[kThumbprintBytes] = {};
};

// A program that moves HKEY_LOCAL_MACHINE for a trial (RegOverridePredefKey),
// as snapinctl's --hklm does, gives a scope that puts the platform's own back
// while Authenticode checks a file, true on entry and false on leaving: its
// registration and roots live there. The Trusted Publishers stores are read
// where the program moved the key. The module moves nothing and sets none.
using PlatformKeyScope = void (*)(bool platform);
void SetPlatformKeyScope(PlatformKeyScope scope);

class CPublisherTrust {
public:
    CPublisherTrust() = default;
    ~CPublisherTrust();
    CPublisherTrust(const CPublisherTrust&) = delete;
    CPublisherTrust& operator=(const CPublisherTrust&) = delete;

    // The verdict on the file at `path` (not null), as the host would load it.
    TrustVerdict Verify(const char* path);
    // The same, and the signer when the signature holds, whether it is a
    // trusted publisher or not; `signerRead` tells whether it was read.
    TrustVerdict Inspect(const char* path, SignerFacts& signer, bool& signerRead);

    // Calls `visit` with each certificate of the Trusted Publishers stores;
    // false when Authenticode or a store cannot be read.
    template <class Visit>
    bool ForEachTrustedPublisher(Visit visit);

    // The stores to search, in order: the machine's own and the one Group
    // Policy deploys.
    static constexpr int kStoreCount = 2;

private:
    // The entry points, found at run time, in the order of kEntryPoints.
    struct Api {
        decltype(&WinVerifyTrust) verify;
        decltype(&WTHelperProvDataFromStateData) providerData;
        decltype(&WTHelperGetProvSignerFromChain) signerOf;
        decltype(&CertOpenStore) openStore;
        decltype(&CertCloseStore) closeStore;
        decltype(&CertFindCertificateInStore) find;
        decltype(&CertFreeCertificateContext) release;
        decltype(&CertEnumCertificatesInStore) enumerate;
        decltype(&CertGetCertificateContextProperty) property;
        decltype(&CertGetNameStringA) nameOf;
    };
    struct LibraryTraits {
        using Value = HMODULE;
        static Value Invalid() { return nullptr; }
        static void Close(Value library) { FreeLibrary(library); }
    };

    // Reads a certificate's name and thumbprint; false when either fails.
    using SignerReader = bool (CPublisherTrust::*)(PCCERT_CONTEXT certificate, SignerFacts& facts) const;

    bool Load();
    void OpenStores();
    TrustVerdict Check(const char* path, SignerReader reader, SignerFacts* signer);
    TrustVerdict JudgeSigner(HANDLE state, SignerReader reader, SignerFacts* signer) const;
    bool IsTrustedPublisher(PCCERT_CONTEXT leaf) const;
    bool ReadSigner(PCCERT_CONTEXT certificate, SignerFacts& facts) const;
    PCCERT_CONTEXT NextInStore(int store, PCCERT_CONTEXT previous) const;

    UniqueWin32<LibraryTraits> m_wintrust;
    UniqueWin32<LibraryTraits> m_crypt32;
    Api m_api = {};
    bool m_tried = false;
    bool m_loaded = false;
    HCERTSTORE m_stores[kStoreCount] = {};
    bool m_storeFailed = false;  // a store exists but could not be opened
};

template <class Visit>
bool CPublisherTrust::ForEachTrustedPublisher(Visit visit) {
    if (!Load() || m_storeFailed) return false;
    for (int store = 0; store < kStoreCount; ++store) {
        for (PCCERT_CONTEXT certificate = NextInStore(store, nullptr); certificate;
             certificate = NextInStore(store, certificate)) {
            SignerFacts facts;
            if (ReadSigner(certificate, facts)) visit(facts);
        }
    }
    return true;
}
