// The policy moves of start-up, run by rundll32 at every logon (the
// installer registers it under the machine's Run key), so that each user's
// lists follow the policy before the console first loads them.
#include "files/SnapinFiles.h"
#include "framework/Array.h"
#include "framework/WinApp.h"
#include "registry/SnapinPolicy.h"
#include "registry/SnapinRegistry.h"
#include "startup/PolicyEnforcement.h"

#include <windows.h>

// rundll32's entry point: shows nothing and leaves every failure for the
// next logon or the next start of the console. Without a policy key, or
// with one that cannot be read, nothing changes. The module lives in the
// host directory, from which the entries' relative data is taken.
extern "C" void CALLBACK EnforceSnapinPolicy(HWND, HINSTANCE, LPSTR, int) {
    CSnapinPolicy policy;
    if (policy.Read() != 0 || !policy.IsSet()) return;
    CString hostDirectory;
    GetModuleDirectory(AfxGetInstanceHandle(), hostDirectory);
    CPolicyJudge judge(policy, hostDirectory);
    CSnapinRegistry registry;
    CArray<PolicyMove> moves;
    PlanPolicyMoves(registry, judge, moves);
    MakePolicyMoves(registry, moves);
}
