#include "startup/PolicyJudge.h"

#include "files/FileProbe.h"
#include "registry/SnapinLists.h"

CPolicyJudge::CPolicyJudge(const CSnapinPolicy& policy, const CString& hostDirectory)
    : m_policy(policy), m_hostDirectory(hostDirectory) {}

PolicyStanding CPolicyJudge::StandingOfEntry(const CString& upperName, const char* data) {
    return WithTrust(m_policy.StandingOfEntry(upperName, LoadedFileName(data)), upperName, data);
}

PolicyStanding CPolicyJudge::StandingOfNewFile(const CString& upperName) {
    return WithTrust(m_policy.StandingOf(upperName), upperName, EntryData(upperName));
}

bool CPolicyJudge::ChecksTrust(PolicyStanding byNames, const CString& upperName) const {
    return m_policy.Readable() && m_policy.RequiresTrustedPublisher() && !KeepsFromRunning(byNames) &&
           !(upperName == kCanonicalFileName);
}

PolicyStanding CPolicyJudge::WithTrust(PolicyStanding byNames, const CString& upperName, const char* data) {
    if (!ChecksTrust(byNames, upperName)) return byNames;
    const CString path = LoadedPath(m_hostDirectory, data);
    bool exists = true;
    if ((path.IsEmpty() && !path.Failed()) || (ProbeFile(path, exists) == 0 && !exists)) return byNames;
    // A path that could not be made names no file that a check could trust.
    m_verdict = m_trust.Verify(path);
    return m_verdict == TrustVerdict::Trusted ? byNames : PolicyStanding::Untrusted;
}
