#pragma once
// Another process a case needs: one that holds a file open without sharing for as long as this
// owner lives.
#include "system/ScopedHandle.h"

#include <string>

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
