// Prints where the module reads its policy, for check_policy_templates.py:
//   key PATH            below HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER
//   list NAME           a subkey of file names
//   dword NAME N...     a value and every number the module takes from it
#include "registry/SnapinPolicy.h"

#include <cstdio>

int main() {
    std::printf("key %s\n", kPolicyKey);
    for (int index = 0; index < kPolicySettingCount; ++index)
        if (index != kNewSnapinsSetting) std::printf("list %s\n", PolicySettingName(static_cast<PolicySetting>(index)));
    std::printf("dword %s", PolicySettingName(kNewSnapinsSetting));
    for (DWORD rule = 0; rule <= static_cast<DWORD>(NewSnapinsRule::Disable); ++rule) std::printf(" %lu", rule);
    std::printf("\n");
    return 0;
}
