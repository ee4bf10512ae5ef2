// SPDX-License-Identifier: MIT
#include "platform/macos/GrantMemory.h"

#include <CoreFoundation/CoreFoundation.h>
#include <Security/Security.h>

#include "platform/macos/CFConversion.h"
#include "platform/macos/CFRef.h"
#include "platform/macos/MacWording.h"

namespace ondrel::macos {
namespace {

constexpr std::string_view grantedSignatureKey = "AccessibilityGrantedSignature";

// The designated requirement of the running code, as text: the very thing a grant is checked against.
std::optional<std::string> runningSignature() {
    CFRef<SecCodeRef> self;
    if (SecCodeCopySelf(kSecCSDefaultFlags, self.out()) != errSecSuccess)
        return std::nullopt;
    CFRef<SecRequirementRef> requirement;
    if (SecCodeCopyDesignatedRequirement(self.get(), kSecCSDefaultFlags, requirement.out()) != errSecSuccess)
        return std::nullopt;
    CFRef<CFStringRef> text;
    if (SecRequirementCopyString(requirement.get(), kSecCSDefaultFlags, text.out()) != errSecSuccess)
        return std::nullopt;
    return fromCFString(text.get());
}

std::optional<std::string> rememberedSignature() {
    CFRef<CFTypeRef> value(
        CFPreferencesCopyAppValue(makeCFString(grantedSignatureKey).get(), kCFPreferencesCurrentApplication));
    if (!value || CFGetTypeID(value.get()) != CFStringGetTypeID())
        return std::nullopt;
    return fromCFString(static_cast<CFStringRef>(value.get()));
}

}  // namespace

GrantMemory::GrantMemory() : running_(runningSignature()), granted_(rememberedSignature()) {}

bool GrantMemory::grantOutdated() const {
    return isGrantOutdated(granted_, running_);
}

void GrantMemory::noteTrusted() {
    if (!running_ || granted_ == running_)
        return;
    CFPreferencesSetAppValue(makeCFString(grantedSignatureKey).get(), makeCFString(*running_).get(),
                             kCFPreferencesCurrentApplication);
    CFPreferencesAppSynchronize(kCFPreferencesCurrentApplication);
    granted_ = running_;
}

}  // namespace ondrel::macos
