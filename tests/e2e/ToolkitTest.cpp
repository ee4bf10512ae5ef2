// SPDX-License-Identifier: MIT
// Ondrel against toolkits nobody here wrote: GTK 3, GTK 4, Qt 6 and Chromium, each showing every prompt
// shape of tests/e2e/targets/prompt_shapes.py at once, risky and harmless twins side by side. One pass
// presses exactly the harmless prompts and leaves each risky one, naming the fragment it holds.

#include <gmock/gmock.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "tests/support/CaseName.h"
#include "tests/support/Desktop.h"
#include "tests/support/Files.h"

namespace ondrel::testing_support {
namespace {

constexpr const char* python = "/usr/bin/python3";  // the distribution's, with its GTK and Qt bindings

struct Toolkit {
    const char* name;
    std::string program;
    std::vector<std::string> arguments;
    std::vector<std::string> environment;
    bool treeBuiltLate = false;  // a web runtime builds a page's tree only after an assistive technology asked
};

class Toolkits : public Desktop, public testing::WithParamInterface<Toolkit> {};

TEST_P(Toolkits, everyShape_harmlessPressedRiskyLeftNamingItsFragment) {
    // Chromium owns no bus name and overwrites its environment: Velquin's desktop entry names its program.
    const ScratchFolder dataHome;
    dataHome.write("applications/dev.velquin.desktop.desktop",
                   "[Desktop Entry]\nType=Application\nName=Velquin\nExec=/usr/lib/chromium/chromium %U\n");
    Target velquin(GetParam().program, GetParam().arguments, GetParam().environment);
    ASSERT_TRUE(velquin.ready());
    Lines log{"Accessibility OK."};
    Lines presses;
    std::set<std::string> windows;
    for (const std::vector<std::string>& prompt : velquin.prompts()) {  // name, window, fragment
        ASSERT_EQ(prompt.size(), 3u);
        windows.insert(prompt[1]);
        if (prompt[2].empty()) {
            log.push_back("Pressed \"Allow\" in [" + prompt[1] + "]");
            presses.push_back("Allow in " + prompt[0]);
        } else {
            log.push_back("SKIP (safe mode) in [" + prompt[1] + "]: prompt mentions \"" + prompt[2] +
                          "\" - left for you");
        }
    }
    ASSERT_GT(presses.size(), 30u);
    ASSERT_TRUE(velquin.showsWindows(static_cast<int>(windows.size())));  // Qt lists its windows a while later

    const std::vector<std::string> environment{"XDG_DATA_HOME=" + dataHome.path()};
    for (int tries = 0; GetParam().treeBuiltLate && tries < 20; ++tries) {
        // Listing shows Ondrel to the runtime, which then builds the page's tree in one go.
        const Lines listed = messages(ondrel({"--list"}, 30, environment).out);
        if (std::find(listed.begin(), listed.end(), "    Allow") != listed.end())
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    const ProgramRun run = ondrel({"--once"}, 30, environment);
    EXPECT_THAT(messages(run.out), testing::UnorderedElementsAreArray(log));
    // A page's handlers run a moment after the press was taken: under load, after Ondrel has ended.
    within(5, [&] { return velquin.presses().size() >= presses.size(); });
    EXPECT_THAT(velquin.presses(), testing::UnorderedElementsAreArray(presses));
}

INSTANTIATE_TEST_SUITE_P(
    Toolkit, Toolkits,
    testing::Values(
        // GTK 3 names a message dialog after its kind ("Question"), whatever its title.
        Toolkit{"gtk3", python, {targetScript("gtk_shapes.py"), "3"}, {}},
        // GTK 4.8 names a dialog's buttons twice over ("Allow Allow"). Drawn without GL: much faster on Xvfb.
        Toolkit{"gtk4", python, {targetScript("gtk_shapes.py"), "4"}, {"GSK_RENDERER=cairo"}},
        // Qt names its application after the script, so only the launch environment says it is Velquin.
        Toolkit{"qt6LaunchedByGio",
                "/bin/sh",
                {"-c", "export GIO_LAUNCHED_DESKTOP_FILE_PID=$$; exec \"$0\" \"$@\"", python,
                 targetScript("qt6_shapes.py")},
                {"GIO_LAUNCHED_DESKTOP_FILE=/usr/share/applications/dev.velquin.desktop.desktop"}},
        // Started without --force-renderer-accessibility: Ondrel shows itself as an assistive technology.
        Toolkit{"chromiumByDesktopEntry", python, {targetScript("chromium_shapes.py")}, {}, true}),
    CaseName());

}  // namespace
}  // namespace ondrel::testing_support
