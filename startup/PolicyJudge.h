#pragma once
// The policy's standing of an entry or a new snap-in with its file looked at
// too: where the policy requires trusted publishers, a file that is not
// signed by one is kept from running as a blocked one is, even if required.
#include "files/PublisherTrust.h"
#include "framework/String.h"
#include "registry/SnapinPolicy.h"

class CPolicyJudge {
public:
    // Relative data is taken from `hostDirectory`, with its backslash, which
    // must outlive the judge.
    CPolicyJudge(const CSnapinPolicy& policy, const CString& hostDirectory);

    const CSnapinPolicy& Policy() const { return m_policy; }
    // An entry by its upper-cased value name and its data.
    PolicyStanding StandingOfEntry(const CString& upperName, const char* data);
    // A file of the snap-ins directory, by its upper-cased name.
    PolicyStanding StandingOfNewFile(const CString& upperName);
    // `byNames`, or Untrusted when the file the data loads could run, the
    // policy requires trusted publishers and the file's signer is not one.
    // A missing file has no standing of its own: nothing runs.
    PolicyStanding WithTrust(PolicyStanding byNames, const CString& upperName, const char* data);
    // Why the last standing given was Untrusted.
    TrustVerdict LastVerdict() const { return m_verdict; }

private:
    bool ChecksTrust(PolicyStanding byNames, const CString& upperName) const;

    const CSnapinPolicy& m_policy;
    const CString& m_hostDirectory;
    CPublisherTrust m_trust;
    TrustVerdict m_verdict = TrustVerdict::Trusted;
};
