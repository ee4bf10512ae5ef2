// SPDX-License-Identifier: MIT
#include "platform/macos/CFConversion.h"

#include <optional>

#include "platform/macos/MacRules.h"

namespace ondrel::macos {
namespace {

class MacElement final : public ElementHandle {
public:
    explicit MacElement(AXUIElementRef element) : element_(CFRef<AXUIElementRef>::retained(element)) {
        pid_t pid = 0;
        if (AXUIElementGetPid(element, &pid) == kAXErrorSuccess)
            process_ = pid;
    }
    AXUIElementRef get() const { return element_.get(); }
    ProcessId process() const { return process_; }

    // Every read hands out a new reference; equal ones name the same node.
    bool sameNode(const ElementHandle& other) const override {
        const auto* mac = dynamic_cast<const MacElement*>(&other);
        return mac != nullptr && CFEqual(element_.get(), mac->element_.get());
    }
    std::size_t nodeHash() const override { return CFHash(element_.get()); }

private:
    CFRef<AXUIElementRef> element_;
    ProcessId process_ = 0;
};

bool isElement(CFTypeRef value) {
    return value != nullptr && CFGetTypeID(value) == AXUIElementGetTypeID();
}

}  // namespace

CFRef<CFStringRef> makeCFString(std::string_view text) {
    return CFRef<CFStringRef>(CFStringCreateWithBytes(kCFAllocatorDefault, reinterpret_cast<const UInt8*>(text.data()),
                                                      static_cast<CFIndex>(text.size()), kCFStringEncodingUTF8, false));
}

std::string fromCFString(CFStringRef text) {
    const CFIndex length = CFStringGetLength(text);
    const std::optional<std::size_t> size =
        utf8BufferSize(CFStringGetMaximumSizeForEncoding(length, kCFStringEncodingUTF8));
    if (length == 0 || !size)
        return {};  // no size at all only for a string longer than memory could hold
    // Every unit converts: what UTF-8 cannot carry (an unpaired surrogate) becomes the loss byte rather
    // than failing the whole text, and an embedded NUL stays, so that no prompt text is lost unseen.
    std::string converted(*size, '\0');
    CFIndex used = 0;
    CFStringGetBytes(text, CFRangeMake(0, length), kCFStringEncodingUTF8, '?', false,
                     reinterpret_cast<UInt8*>(converted.data()), static_cast<CFIndex>(converted.size()), &used);
    converted.resize(static_cast<std::size_t>(used));
    return converted;
}

AttributeValue attributeValueFrom(CFTypeRef value) {
    if (value == nullptr)
        return AttributeValue();
    const CFTypeID type = CFGetTypeID(value);
    if (type == CFStringGetTypeID())
        return AttributeValue(fromCFString(static_cast<CFStringRef>(value)));
    if (type == CFBooleanGetTypeID())
        return AttributeValue(bool(CFBooleanGetValue(static_cast<CFBooleanRef>(value))));
    if (type == CFNumberGetTypeID()) {
        double number = 0;
        CFNumberGetValue(static_cast<CFNumberRef>(value), kCFNumberDoubleType, &number);
        return AttributeValue(number);
    }
    if (type == AXUIElementGetTypeID())
        return AttributeValue(makeElement(static_cast<AXUIElementRef>(value)));
    if (type == CFArrayGetTypeID()) {
        const auto array = static_cast<CFArrayRef>(value);
        ElementList elements;
        const CFIndex count = CFArrayGetCount(array);
        for (CFIndex i = 0; i < count; ++i) {
            CFTypeRef item = CFArrayGetValueAtIndex(array, i);
            if (!isElement(item))
                return AttributeValue(OtherValue{"array"});
            elements.push_back(makeElement(static_cast<AXUIElementRef>(item)));
        }
        return AttributeValue(std::move(elements));
    }
    return AttributeValue(OtherValue{"other"});
}

std::optional<AttributeValue> knownAnswerFrom(CFTypeRef entry, std::size_t maxListLength) {
    if (entry == nullptr || CFGetTypeID(entry) == CFNullGetTypeID())
        return std::nullopt;
    if (CFGetTypeID(entry) == AXValueGetTypeID() &&
        AXValueGetType(static_cast<AXValueRef>(entry)) == kAXValueTypeAXError)
        return std::nullopt;
    if (CFGetTypeID(entry) == CFArrayGetTypeID() &&
        static_cast<std::size_t>(CFArrayGetCount(static_cast<CFArrayRef>(entry))) > maxListLength)
        return std::nullopt;
    return attributeValueFrom(entry);
}

Element makeElement(AXUIElementRef element) {
    return element != nullptr ? std::make_shared<MacElement>(element) : nullptr;
}

AXUIElementRef axElement(const Element& element) {
    return static_cast<const MacElement&>(*element).get();
}

ProcessId processOf(const Element& element) {
    return static_cast<const MacElement&>(*element).process();
}

}  // namespace ondrel::macos
