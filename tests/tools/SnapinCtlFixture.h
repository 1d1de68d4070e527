#pragma once
// snapinctl.exe as a process against a scratch HKEY_CURRENT_USER and a host
// directory of fixture files.
#include "tests/hostile/RawLists.h"
#include "tests/support/SnapinLists.h"
#include "tests/tools/SnapinCtlRun.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <vector>

using Json = nlohmann::json;
inline const char* const kLists[] = {kObjectOn, kObjectOff, kViewOn, kViewOff};

inline std::vector<Json> JsonLines(const ProcessResult& result) {
    std::vector<Json> records;
    for (const std::string& line : Lines(result.out)) records.push_back(Json::parse(line));
    return records;
}

inline std::string WithoutSlash(const std::string& path) { return path.substr(0, path.size() - 1); }

class SnapinCtl : public ::testing::Test {
protected:
    ProcessResult Run(const std::string& arguments, const std::string& host = "") {
        return RunSnapinctl(work, arguments + " --hkcu \"" + hkcu.path() + "\" --host \"" +
                                      WithoutSlash(host.empty() ? dir.path() : host) + "\"");
    }
    void Install(const char* fixture, const std::string& name) {
        CreateDirectoryA((dir / "SNAPINS").c_str(), nullptr);
        ASSERT_TRUE(CopyFileA((ExecutableDirectory() + fixture).c_str(), (dir / "SNAPINS\\" + name).c_str(), FALSE));
    }
    std::vector<RawList> Snapshot() const {
        std::vector<RawList> lists;
        for (const char* list : kLists) lists.push_back(ReadRawList(list));
        return lists;
    }

    ScratchHkcu hkcu;
    TempDir dir, work;
};
