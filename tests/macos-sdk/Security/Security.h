// SPDX-License-Identifier: MIT
// The code signing (Security) declarations platform/macos uses, as Apple documents them.
// Compile check only.
#pragma once

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef SInt32 OSStatus;
enum { errSecSuccess = 0 };

typedef struct __SecCode* SecCodeRef;
typedef const struct __SecCode* SecStaticCodeRef;
typedef struct __SecRequirement* SecRequirementRef;

typedef uint32_t SecCSFlags;
enum : uint32_t { kSecCSDefaultFlags = 0 };

OSStatus SecCodeCopySelf(SecCSFlags flags, SecCodeRef* _Nonnull CF_RETURNS_RETAINED self);
OSStatus SecCodeCopyDesignatedRequirement(SecStaticCodeRef code, SecCSFlags flags,
                                          SecRequirementRef* _Nonnull CF_RETURNS_RETAINED requirement);
OSStatus SecRequirementCopyString(SecRequirementRef requirement, SecCSFlags flags,
                                  CFStringRef* _Nonnull CF_RETURNS_RETAINED text);

#ifdef __cplusplus
}
#endif
