#pragma once
// The scripted run's pauses: a dialog before it is answered, a "pause"
// action, the open "Snap-ins" menu, the console before it exits. Each lasts
// the hold time or, with --release FILE, until that file appears (the console
// then deletes it), so that a script can take its time over what is shown,
// a screenshot for instance, however slowly the machine runs.
#include "host/ConsoleLog.h"
#include "host/ConsoleOptions.h"

#include <windows.h>

#include <string>

class ConsoleHold {
public:
    static const UINT kPollMs = 50;  // how often a hold asks whether it is over

    ConsoleHold(ConsoleLog& log, const ConsoleOptions& options);

    // Starts holding what is shown now; the returned mark goes to Over().
    // With a release file, logs "holding: " and what is shown.
    DWORD Begin(const std::string& shown);
    bool Over(DWORD mark);

private:
    ConsoleLog& m_log;
    unsigned m_holdMs;
    std::string m_releaseFile;
};
