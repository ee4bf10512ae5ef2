// SPDX-License-Identifier: MIT
// One pass over a tree built from the input on the in-memory platform: processes, windows, groups,
// buttons and texts, with repeated children, cycles, vanished elements, failing presses and values of
// the wrong kind. Whatever the tree, a pass presses an enabled button at most once, writes every log
// message on one line, and reads no more than its limits allow.

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "core/AccessibilityReads.h"
#include "core/ActivityLog.h"
#include "core/Engine.h"
#include "core/PromptReader.h"
#include "fuzz/FuzzInput.h"
#include "platform/fake/FakePlatform.h"
#include "tests/support/PrivateHome.h"

namespace {

namespace ax = ondrel::ax;
using ondrel::AttributeValue;
using ondrel::Element;
using ondrel::fuzz::FuzzInput;
using ondrel::fuzz::require;

constexpr const char* attributes[] = {ax::attribute::role,        ax::attribute::title,   ax::attribute::value,
                                      ax::attribute::description, ax::attribute::enabled, ax::attribute::minimized,
                                      ax::attribute::children,    ax::attribute::parent};

std::optional<AttributeValue> oddValue(FuzzInput& input, const std::vector<Element>& elements) {
    switch (input.byte() % 6) {
        case 0:
            return std::nullopt;  // the read fails
        case 1:
            return AttributeValue();
        case 2:
            return AttributeValue(input.text(24));
        case 3:
            return AttributeValue(input.byte() % 2 == 1);
        case 4:
            return AttributeValue(static_cast<double>(input.byte()));
        default:
            return AttributeValue(elements[input.byte() % elements.size()]);
    }
}

// Children lists may repeat an element many times, but an application's only a few times: a pass
// walks every window it lists, and thousands of windows would make each input slow to try.
std::size_t repeatCount(FuzzInput& input, const Element& target, const std::vector<Element>& applications) {
    const bool application = std::find(applications.begin(), applications.end(), target) != applications.end();
    return application ? input.byte() % 8 : static_cast<std::size_t>(input.byte()) * 128;
}

struct Quiet {
    ondrel::testing_support::PrivateHome home;  // the log file goes to a folder of its own
    Quiet() { require(std::freopen("/dev/null", "w", stdout) != nullptr, "standard output silenced"); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static Quiet quiet;
    FuzzInput input(data, size);

    const std::uint8_t flags = input.byte();
    ondrel::Options options;
    options.safe = (flags & 1) == 0;
    options.dryRun = (flags & 2) != 0;
    options.list = (flags & 4) != 0;
    options.contains = (flags & 8) != 0;
    options.verbose = (flags & 16) != 0;
    options.labels = (flags & 32) != 0 ? std::vector<std::string>{"Allow", "Run"} : std::vector<std::string>{"Allow"};

    ondrel::fake::FakePlatform platform;
    std::vector<Element> applications{platform.addProcess(100)};
    std::vector<Element> elements{applications.front()};
    Element parent = applications.front();
    auto pick = [&] { return elements[input.byte() % elements.size()]; };
    while (!input.empty() && elements.size() < 400) {
        switch (input.byte() % 10) {
            case 0: {
                std::string title = input.text(24);
                elements.push_back(parent = platform.addWindow(applications.back(), title, input.byte() % 4 == 0));
                break;
            }
            case 1:
                elements.push_back(parent = platform.addGroup(parent));
                break;
            case 2: {
                std::string label = input.text(24);
                elements.push_back(platform.addButton(parent, label, input.byte() % 4 != 0));
                break;
            }
            case 3: {
                std::string text = input.text(200);
                elements.push_back(
                    platform.addText(parent, text, input.byte() % 2 ? ax::role::textArea : ax::role::staticText));
                break;
            }
            case 4:
                parent = pick();
                break;
            case 5: {
                Element target = pick();
                Element child = pick();
                platform.setRepeatedChildren(target, child, repeatCount(input, target, applications));
                break;
            }
            case 6:
                platform.vanish(pick());
                break;
            case 7:
                platform.failPress(pick());
                break;
            case 8: {
                Element target = pick();
                const char* attribute = attributes[input.byte() % std::size(attributes)];
                platform.setValue(target, attribute, oddValue(input, elements));
                break;
            }
            default: {
                const bool velquin = input.byte() % 4 != 0;
                applications.push_back(velquin ? platform.addProcess(101 + static_cast<int>(applications.size()))
                                               : platform.addProcess(900, "org.other.app"));
                elements.push_back(parent = applications.back());
                break;
            }
        }
    }

    std::vector<std::string> messages;
    ondrel::Subscription listening =
        ondrel::listenToLog([&](const std::string& message) { messages.push_back(message); });
    ondrel::Scanner scanner(platform);
    const ondrel::PassResult result = ondrel::runPass(scanner, options);
    listening.reset();

    require(result.pressed == static_cast<std::int64_t>(platform.presses.size()), "every press is counted");
    ondrel::NodeSet pressed;
    for (const Element& button : platform.presses) {
        require(pressed.insert(button).second, "a button is pressed once a pass at most");
        require(ondrel::readText(platform, button, ax::attribute::role) == ax::role::button,
                "only buttons are pressed");
        require(ondrel::readEnabled(platform, button), "only enabled buttons are pressed");
    }
    if (options.list || options.dryRun)
        require(platform.presses.empty(), "listing and dry runs press nothing");
    for (const std::string& message : messages) {
        for (char c : message)
            require(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F, "a log message stays on one line");
    }

    // Per process: its child list and three reads a window. Per window: the button walk at most six reads
    // an element and three more for a decided button's label; the prompt reading at most five reads for
    // each element of its allowance and of the one gather that may pass it.
    const std::size_t walk = ondrel::buttonWalkLimits.maxExamined;
    const std::size_t perWindow = 9 * walk + 5 * (ondrel::promptWalkAllowance + ondrel::textWalkLimits.maxExamined);
    const std::size_t windows = static_cast<std::size_t>(std::max<std::int64_t>(result.windows, 1));
    require(platform.reads <= applications.size() * (1 + 3 * walk) + windows * perWindow,
            "a pass's reads stay bounded");
    return 0;
}
