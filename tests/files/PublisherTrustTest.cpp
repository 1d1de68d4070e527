// Verdicts on real signatures made at build time by throwaway publishers
// (tests/fixtures/make_signed_fixtures.py), and on hostile certificate tables.
#include "files/PublisherTrust.h"
#include "tests/fixtures/Fixtures.h"
#include "tests/support/Scratch.h"
#include "tests/support/SnapinLists.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {
std::string Bin(const std::string& name) { return ExecutableDirectory() + name; }

TEST(PublisherTrust, EachFileGetsItsVerdictAndOnlyAStoredSignerIsTrusted) {
    ScratchHklm machine;
    using V = TrustVerdict;
    ASSERT_TRUE(machine.UseAuthenticode(false));
    EXPECT_EQ(CPublisherTrust().Verify(Bin("signed_trusted.dll").c_str()), V::UntrustedPublisher) << "empty store";
    ASSERT_TRUE(machine.UseAuthenticode());
    const std::pair<std::string, TrustVerdict> cases[] = {
        {"signed_trusted.dll", V::Trusted},          {"signed_other.dll", V::UntrustedPublisher},
        {"signed_unnamed.dll", V::UntrustedPublisher}, {"signed_twice.dll", V::UntrustedPublisher},  // the first signer's
        {"signed_changed.dll", V::ChangedAfterSigning}, {fixtures::kObjectDll, V::NotSigned},
        {"signed_outside.dll", V::NotSigned},        {"signed_wrap.dll", V::NotSigned},
        {"signed_cut.dll", V::CannotVerify},         {std::string(259, 'n'), V::CannotVerify}};
    CPublisherTrust trust;
    for (const auto& [file, verdict] : cases) EXPECT_EQ(trust.Verify(Bin(file).c_str()), verdict) << file;

    SignerFacts signer;
    bool read = false;
    ASSERT_EQ(trust.Inspect(Bin("signed_trusted.dll").c_str(), signer, read), V::Trusted);
    std::ifstream thumbprint(Bin("trusted.thumbprint"));
    std::string expected((std::istreambuf_iterator<char>(thumbprint)), {}), hex;
    for (BYTE byte : signer.thumbprint) hex += "0123456789ABCDEF"[byte >> 4], hex += "0123456789ABCDEF"[byte & 15];
    EXPECT_TRUE(read && signer.name == "Plugward Test Publisher" && hex == expected) << signer.name.str() << " " << hex;
    EXPECT_EQ(trust.Inspect(Bin("signed_unnamed.dll").c_str(), signer, read), V::UntrustedPublisher);
    EXPECT_TRUE(read && signer.name.IsEmpty());
}

// A file another process holds open without sharing cannot be read, so it is
// not trusted; once released it is.
TEST(PublisherTrust, ALockedFileIsNotTrusted) {
    ScratchHklm machine;
    ASSERT_TRUE(machine.UseAuthenticode());
    TempDir dir;
    ASSERT_TRUE(CopyFileA(Bin("signed_trusted.dll").c_str(), (dir / "locked.dll").c_str(), FALSE));
    const HANDLE lock = CreateFileA((dir / "locked.dll").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_NE(CPublisherTrust().Verify((dir / "locked.dll").c_str()), TrustVerdict::Trusted);
    CloseHandle(lock);
    EXPECT_EQ(CPublisherTrust().Verify((dir / "locked.dll").c_str()), TrustVerdict::Trusted);
}
}  // namespace
