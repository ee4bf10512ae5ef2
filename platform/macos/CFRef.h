// SPDX-License-Identifier: MIT
#pragma once

// Owns one CoreFoundation reference and releases it when it goes, so no release is written by hand.

#include <CoreFoundation/CoreFoundation.h>

#include <utility>

namespace ondrel::macos {

template <typename Ref>
class CFRef {
public:
    CFRef() = default;
    // Takes over a reference from a Create or Copy call.
    explicit CFRef(Ref reference) : reference_(reference) {}
    ~CFRef() { reset(); }
    CFRef(const CFRef& other) : reference_(other.reference_) {
        if (reference_ != nullptr)
            CFRetain(reference_);
    }
    CFRef(CFRef&& other) noexcept : reference_(std::exchange(other.reference_, nullptr)) {}
    CFRef& operator=(CFRef other) noexcept {
        std::swap(reference_, other.reference_);
        return *this;
    }

    // Retains a reference this code does not own (one read out of a container, say).
    static CFRef retained(Ref reference) {
        if (reference != nullptr)
            CFRetain(reference);
        return CFRef(reference);
    }

    Ref get() const { return reference_; }
    explicit operator bool() const { return reference_ != nullptr; }
    // For Copy calls that hand a reference back through an out parameter.
    Ref* out() {
        reset();
        return &reference_;
    }
    void reset() {
        if (reference_ != nullptr)
            CFRelease(reference_);
        reference_ = nullptr;
    }

private:
    Ref reference_ = nullptr;
};

}  // namespace ondrel::macos
