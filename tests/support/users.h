#pragma once
// File permissions as a player meets them, also in a test run as root: while an AsUser lives,
// this thread's file operations are checked as those of another user (Linux file-system ids).
// Without root only the user running the test can be played.
#include <sys/fsuid.h>
#include <unistd.h>

namespace talomir::testing {

inline constexpr uid_t kPlayerA = 40001;
inline constexpr uid_t kPlayerB = 40002;

class AsUser {
public:
    // uid 0: the user running the test when not root, else kPlayerA.
    explicit AsUser(uid_t uid = 0) {
        if (geteuid() != 0) {
            ok_ = uid == 0;
            return;
        }
        uid = uid ? uid : kPlayerA;
        setfsgid(uid);
        setfsuid(uid);
        ok_ = uid_t(setfsuid(uid_t(-1))) == uid;
    }
    ~AsUser() {
        if (geteuid() != 0) return;
        setfsuid(0);
        setfsgid(0);
    }
    AsUser(const AsUser&) = delete;
    AsUser& operator=(const AsUser&) = delete;
    bool ok() const { return ok_; }

private:
    bool ok_ = false;
};

}  // namespace talomir::testing
