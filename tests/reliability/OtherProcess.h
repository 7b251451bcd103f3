#pragma once
// Other processes a case needs: one that holds a file open without sharing for as long as this
// owner lives, and a program started on its own.
#include "system/ScopedHandle.h"

#include <string>

// This test program's own path.
std::string SuiteProgram();

class HeldByAnotherProcess {
public:
    explicit HeldByAnotherProcess(const std::string& path);
    ~HeldByAnotherProcess();
    HeldByAnotherProcess(const HeldByAnotherProcess&) = delete;
    HeldByAnotherProcess& operator=(const HeldByAnotherProcess&) = delete;

    bool Holding() const { return holding_; }

private:
    UniqueHandle process_;
    bool holding_ = false;
};

// Starts `commandLine` in `directory`; returns the process, or an empty owner when it couldn't be
// started.
UniqueHandle StartProcess(const std::string& commandLine, const std::string& directory, DWORD* processId = nullptr);
