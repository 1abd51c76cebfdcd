// Runs a check without root's right to override file permissions: CI runs as root,
// and permission tests would prove nothing there.
#pragma once

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace testing_support {

constexpr uid_t kNobody = 65534;

// Runs check in this process when it is not root; otherwise in a child process that
// has become "nobody". Failures of the child's expectations fail the test.
inline void runUnprivileged(const std::function<void()>& check) {
    if (::geteuid() != 0) {
        check();
        return;
    }
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0)
            ::_exit(3);
        check();
        ::_exit(::testing::Test::HasFailure() ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the unprivileged check failed";
}

}  // namespace testing_support
