// SPDX-License-Identifier: MIT
// The fast paths against the walk, on the real stand-in over AT-SPI: for randomly built windows, what
// a bulk read hands over equals what element-by-element reads give, limits included, and the scanner
// finds exactly the same with them as without. Both ways of bulk reading are tried: level by level,
// and from the application's own cache, which GTK offers once an assistive technology listens.

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/PromptReader.h"
#include "core/Scanner.h"
#include "platform/atspi/AtspiPlatform.h"
#include "tests/support/ForwardingPlatform.h"
#include "tests/support/RunProgram.h"
#include "tests/support/Target.h"

namespace ondrel {
namespace {

using testing_support::StandIn;

// The platform with its bulk reads hidden: every read goes element by element, as a walk reads, and
// parts of lists are cut from whole copies.
class ElementByElement final : public testing_support::ForwardingPlatform {
public:
    using ForwardingPlatform::ForwardingPlatform;
    void requestTrust() override {}
    std::optional<AttributeValue> copyAttributeValues(const Element& element, std::string_view attribute,
                                                      std::size_t index, std::size_t maxValues) override {
        return AccessibilityPlatform::copyAttributeValues(element, attribute, index, maxValues);
    }
    ActionResult performAction(const Element&, std::string_view) override { return {}; }
    std::optional<std::string> hiddenContentAdvice(const Element&) override { return std::nullopt; }
    std::vector<ElementFacts> readSubtree(const Element&, WalkLimits, const KnownElement&) override { return {}; }
    bool watchChanges(ChangeListener) override { return false; }
};

// A scenario of one to three windows of nested boxes, texts and buttons, some of them "Allow".
std::string randomScenario(std::mt19937& random) {
    const char* labels[] = {"Allow", "Deny", "Run", "Allow (Ctrl+Enter)", "  allow ", "Always Allow", "Open"};
    const char* texts[] = {"Velquin wants to read README.md",
                           "rm -rf build/",
                           "hello",
                           "Run: ls -la",
                           "",
                           "a longer line of conversation that goes on for a while"};
    const auto pick = [&](int count) { return std::uniform_int_distribution(0, count - 1)(random); };
    std::ostringstream scenario;
    for (int w = 0, windows = 1 + pick(3); w < windows; ++w) {
        scenario << "window Window " << w << "\n";
        int open = 0;
        for (int i = 0, items = 5 + pick(56); i < items; ++i) {
            const int kind = pick(8);
            if (kind <= 1) {
                scenario << "box\n";
                ++open;
            } else if (kind == 2 && open > 0) {
                scenario << "end\n";
                --open;
            } else if (kind == 3 || kind == 4) {
                scenario << "text " << texts[pick(6)] << "\n";
            } else if (kind == 5) {
                scenario << "fillers " << 1 + pick(30) << "\n";
            } else if (kind >= 6) {
                scenario << (pick(5) == 0 ? "button-disabled " : "button ") << labels[pick(7)] << "\n";
            }
        }
        for (; open > 0; --open)
            scenario << "end\n";
    }
    return scenario.str();
}

// What a scanner makes of every window: titles, matches with their prompts, labels and texts.
std::vector<std::string> findings(Scanner& scanner) {
    std::vector<std::string> lines;
    for (const TargetWindow& window : scanner.targetWindows()) {
        lines.push_back("window " + window.title);
        const std::vector<FoundButton> found = scanner.findButtons(window.element, {"Allow"}, false);
        PromptReader prompts(scanner, 600, found);
        for (const FoundButton& button : found)
            lines.push_back("match " + scanner.buttonLabel(button.element) + " | " +
                            prompts.textAround(button).value_or("?"));
        for (const std::string& label : scanner.buttonLabels(window.element))
            lines.push_back("label " + label);
        lines.push_back("text " + scanner.gatherText(window.element, 100000).text);
    }
    return lines;
}

// Whether a fact read in bulk is what a read of that attribute gives now: elements compared as nodes.
bool sameAsLive(const AttributeValue& value, const AttributeValue& live) {
    const auto sameNodes = [](const ElementList& a, const ElementList& b) {
        return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                          [](const Element& x, const Element& y) { return x->sameNode(*y); });
    };
    if (const auto* list = std::get_if<ElementList>(&value))
        return std::holds_alternative<ElementList>(live) && sameNodes(*list, std::get<ElementList>(live));
    if (const auto* element = std::get_if<Element>(&value))
        return std::holds_alternative<Element>(live) && sameNodes({*element}, {std::get<Element>(live)});
    return value == live;
}

void expectFactsFaithful(atspi::AtspiPlatform& platform, const Element& root, WalkLimits limits) {
    const std::vector<ElementFacts> facts = platform.readSubtree(root, limits, nullptr);
    ASSERT_FALSE(facts.empty());
    for (const ElementFacts& element : facts) {
        for (const auto& [attribute, value] : element.attributes) {
            const std::optional<AttributeValue> live = platform.copyAttribute(element.element, attribute);
            EXPECT_TRUE(live && sameAsLive(value, *live)) << attribute;
        }
    }
}

class BulkReads : public testing::TestWithParam<bool> {
protected:
    void SetUp() override {
        testing_support::runProgram(
            "/usr/bin/gdbus",
            {"call", "--session", "--dest", "org.a11y.Bus", "--object-path", "/org/a11y/bus", "--method",
             "org.freedesktop.DBus.Properties.Set", "org.a11y.Status", "IsEnabled", "<true>"});
    }
};

TEST_P(BulkReads, randomWindows_factsFaithfulAndScannerFindsTheSame) {
    const bool listening = GetParam();
    const unsigned seed = std::random_device{}();
    std::mt19937 random(seed);
    for (int round = 0; round < 4; ++round) {
        const std::string scenario = randomScenario(random);
        SCOPED_TRACE("seed " + std::to_string(seed) + ", round " + std::to_string(round) + ":\n" + scenario);
        StandIn velquin(scenario);
        ASSERT_TRUE(velquin.ready());
        atspi::AtspiPlatform platform;
        // Listening for changes makes GTK offer its cache of the tree, which the bulk read then takes.
        if (listening) {
            ASSERT_TRUE(platform.watchChanges([](ProcessId, const Element&, ChangeKind) {}));
        }
        ElementByElement walking(platform);
        Scanner walk(walking);
        Scanner fast(platform);
        EXPECT_EQ(findings(fast), findings(walk));

        const ProcessId process = platform.runningProcesses("dev.velquin.desktop").at(0);
        ElementList roots{platform.applicationElement(process)};
        const auto windows = platform.copyAttribute(roots.front(), ax::attribute::children);
        ASSERT_TRUE(windows && std::holds_alternative<ElementList>(*windows));
        for (const Element& window : std::get<ElementList>(*windows))
            roots.push_back(window);
        for (const Element& root : roots) {
            for (const WalkLimits limits : {WalkLimits{20000, 60}, WalkLimits{7, 60}, WalkLimits{200, 2}})
                expectFactsFaithful(platform, root, limits);
        }
    }
}
INSTANTIATE_TEST_SUITE_P(Ways, BulkReads, testing::Values(false, true),
                         [](const auto& param) { return param.param ? "fromTheCache" : "levelByLevel"; });

}  // namespace
}  // namespace ondrel
