// POSIX only: a descriptor closed when its holder ends, unless taken.
#pragma once

#include "platform/posix/system_calls.h"

namespace ketrav::platform::posix {

class Descriptor {
   public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) sys_close(fd_);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd) {
        if (fd_ >= 0) sys_close(fd_);
        fd_ = fd;
    }
    int take() {
        int fd = fd_;
        fd_ = -1;
        return fd;
    }

   private:
    int fd_;
};

}  // namespace ketrav::platform::posix
