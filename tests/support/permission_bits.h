// While it lives, this thread's writes obey the permission bits even when it runs as root (it
// drops CAP_DAC_OVERRIDE from the effective set; capabilities are per thread, and threads started
// meanwhile keep the lowered set). Nothing changes for a process without capabilities.
#pragma once

#include <linux/capability.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace testsupport {

class PermissionBitsApply {
 public:
  PermissionBitsApply() {
    header_.version = _LINUX_CAPABILITY_VERSION_3;
    header_.pid = 0;
    if (syscall(SYS_capget, &header_, saved_) != 0) return;
    __user_cap_data_struct lowered[2] = {saved_[0], saved_[1]};
    lowered[0].effective &= ~(1u << CAP_DAC_OVERRIDE);
    active_ = syscall(SYS_capset, &header_, lowered) == 0;
  }
  ~PermissionBitsApply() {
    if (active_) syscall(SYS_capset, &header_, saved_);
  }
  PermissionBitsApply(const PermissionBitsApply&) = delete;
  PermissionBitsApply& operator=(const PermissionBitsApply&) = delete;

 private:
  __user_cap_header_struct header_{};
  __user_cap_data_struct saved_[2]{};
  bool active_ = false;
};

}  // namespace testsupport
