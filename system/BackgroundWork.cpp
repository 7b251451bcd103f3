#include "system/BackgroundWork.h"

BackgroundWork::BackgroundWork(std::function<void()> work, std::function<void()> ended)
    : thread_([this, work = std::move(work), ended = std::move(ended)] {
          try {
              work();
          } catch (...) {
              failure_ = std::current_exception();
          }
          ended();
      })
{
}

BackgroundWork::~BackgroundWork()
{
    if (thread_.joinable())
        thread_.join();
}

std::exception_ptr BackgroundWork::Failure()
{
    if (thread_.joinable())
        thread_.join();
    return failure_;
}
